#include "app/edithistory.h"

namespace facetry {

void EditHistory::record(int vertex, const Vector& before) {
    // the saved state was among the steps dropped: no undo reaches it now
    if (saved > static_cast<long long>(done)) saved = -1;
    count = done;
    // chunks only redone steps used go back; one more is made when full
    chunks.resize((count + kChunkSteps - 1) / kChunkSteps);
    if (count == chunks.size() * kChunkSteps) chunks.emplace_back(new EditStep[kChunkSteps]);
    at(count++) = {vertex, before};
    ++done;
}

EditMove EditHistory::swapAt(std::size_t k, const PositionOf& now) {
    EditStep& step = at(k);
    const EditMove move{step.vertex, step.position};
    step.position = now(step.vertex);
    return move;
}

std::optional<EditMove> EditHistory::undo(const PositionOf& now) {
    if (done == 0) return std::nullopt;
    return swapAt(--done, now);
}

std::optional<EditMove> EditHistory::redo(const PositionOf& now) {
    if (done == count) return std::nullopt;
    return swapAt(done++, now);
}

}  // namespace facetry

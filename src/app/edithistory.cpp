#include "app/edithistory.h"

void EditHistory::record(int vertex, const Vector& before, const Vector& after) {
    steps.resize(done);
    // the saved state was among the steps dropped: no undo reaches it now
    if (saved > static_cast<long long>(done)) saved = -1;
    steps.push_back({vertex, before, after});
    ++done;
}

const EditStep* EditHistory::undo() {
    if (done == 0) return nullptr;
    return &steps[--done];
}

const EditStep* EditHistory::redo() {
    if (done == steps.size()) return nullptr;
    return &steps[done++];
}

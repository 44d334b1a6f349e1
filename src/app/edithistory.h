#pragma once
// The undo history of an editing session: one step per vertex drag (press to
// release). A step keeps the vertex and one position, the one the vertex does
// not stand at now: its position before the drag while the step is applied,
// after the drag once it is undone. Taking a step back or again swaps that
// position with the vertex's current one, so 16 bytes hold a step both ways.
// Steps live in chunks of kChunkSteps, so the history never holds more than
// one partly used chunk beyond its steps (no doubling reserve).
//
// Invariants: steps [0, done) are applied, steps [done, size) can be redone;
// saved is the number of applied steps the last save wrote (0 at the start,
// whose positions are the input's), or -1 once that state cannot come back.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "math/vector.h"

namespace facetry {

struct EditStep {
    int vertex;       // the control vertex moved
    Vector position;  // where it goes when the step is taken back or again
};
static_assert(sizeof(EditStep) == 16, "a step is its vertex and one position");

// Where to put which vertex to take a step back or again.
struct EditMove {
    int vertex;  // the control vertex
    Vector to;   // its new position
};

class EditHistory {
public:
    // Where a vertex stands now.
    using PositionOf = std::function<Vector(int vertex)>;

    // A finished drag from `before` (the vertex is now at its end position):
    // drops the steps that could have been redone.
    void record(int vertex, const Vector& before);
    // The move that takes the last applied step back, or none.
    std::optional<EditMove> undo(const PositionOf& now);
    // The move that takes the first undone step again, or none.
    std::optional<EditMove> redo(const PositionOf& now);

    // Whether the positions now are those last saved (or the input's, before any save).
    bool unchanged() const { return saved >= 0 && static_cast<std::size_t>(saved) == done; }
    // The positions now are saved.
    void markSaved() { saved = static_cast<long long>(done); }

    std::size_t applied() const { return done; }
    std::size_t size() const { return count; }
    // Bytes the history holds on the heap.
    std::size_t bytes() const {
        return chunks.size() * kChunkSteps * sizeof(EditStep) + chunks.capacity() * sizeof(chunks[0]);
    }

    static constexpr std::size_t kChunkSteps = 4096;  // steps per chunk: 64 KiB

private:
    EditStep& at(std::size_t k) { return chunks[k / kChunkSteps][k % kChunkSteps]; }
    EditMove swapAt(std::size_t k, const PositionOf& now);

    std::vector<std::unique_ptr<EditStep[]>> chunks;  // the steps, oldest first, kChunkSteps a chunk
    std::size_t count = 0;                            // steps kept
    std::size_t done = 0;                             // how many of them are applied
    long long saved = 0;                              // applied steps when last saved, -1 for a state dropped
};

}  // namespace facetry

#pragma once
// The undo history of an editing session: one step per vertex drag (press to
// release), each the vertex and its positions before and after, 28 bytes.
//
// Invariants: steps [0, done) are applied, steps [done, size) can be redone;
// saved is the number of applied steps the last save wrote (0 at the start,
// whose positions are the input's), or -1 once that state cannot come back.

#include <cstddef>
#include <vector>

#include "math/vector.h"

struct EditStep {
    int vertex;     // the control vertex moved
    Vector before;  // its position at the press
    Vector after;   // its position at the release
};
static_assert(sizeof(EditStep) == 28, "a step is its vertex and two positions");

class EditHistory {
public:
    // A finished drag: drops the steps that could have been redone.
    void record(int vertex, const Vector& before, const Vector& after);
    // The step to take back (put its vertex at `before`), or null for none.
    const EditStep* undo();
    // The step to take again (put its vertex at `after`), or null for none.
    const EditStep* redo();

    // Whether the positions now are those last saved (or the input's, before any save).
    bool unchanged() const { return saved >= 0 && static_cast<std::size_t>(saved) == done; }
    // The positions now are saved.
    void markSaved() { saved = static_cast<long long>(done); }

    std::size_t applied() const { return done; }
    std::size_t size() const { return steps.size(); }
    // Bytes the history holds on the heap.
    std::size_t bytes() const { return steps.capacity() * sizeof(EditStep); }

private:
    std::vector<EditStep> steps;  // every step, oldest first
    std::size_t done = 0;         // how many of them are applied
    long long saved = 0;          // applied steps when last saved, -1 for a state dropped
};

#pragma once
// The work every reader's fuzz target does on one input, shared with the
// regression tests that replay the inputs the fuzzers found: read the bytes
// as a control mesh of one format and, when they load, lay the surface over
// it, refine it, move a control vertex and step back a level, all within a
// small memory budget so that no input can make a level too big to hold.

#include <cstddef>
#include <cstdint>
#include <string>

#include "mesh/meshfile.h"

// What became of one input.
struct ExerciseOutcome {
    bool loaded = false;   // the reader accepted the input
    std::string error;     // the reader's fatal message when it did not
    int messages = 0;      // the reader's non-fatal messages
    int levels = 0;        // the surface level reached when it loaded
};

// Memory the surface is told it has during an exercise: 160 MiB. It keeps
// an eighth and 64 MiB of that in reserve, so a new level may take about
// 76 MiB; anything bigger is refused, as on a small machine.
constexpr std::size_t kExerciseMemoryBudget = std::size_t(160) << 20;
// Levels an exercise tries to reach (fewer when the budget refuses one).
constexpr int kExerciseLevels = 2;

// Reads `size` bytes as a mesh of `format` and, if they load, works the
// surface as described above. Never exits: fatal input errors come back in
// the outcome.
ExerciseOutcome exerciseReader(facetry::MeshFormat format, const std::uint8_t* data, std::size_t size);

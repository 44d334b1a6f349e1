// The levels of the surface: one block of points per kind of element and
// level, and the operations that move the whole surface between levels,
// with the guard that refuses a level the memory cannot hold.
#include <algorithm>
#include <new>
#include <string>

#include "math/format.h"
#include "mr/mrmesh.h"
#include "mr/parallel.h"

namespace facetry {

namespace {

// The share of the available memory a new level may take: the rest is left
// to the system and to the rest of the program.
constexpr std::size_t kReserveBytes = std::size_t(64) << 20;
std::size_t allowedBytes(std::size_t available) {
    std::size_t usable = available - available / 8;
    return usable > kReserveBytes ? usable - kReserveBytes : 0;
}

// A byte count for people: "812 bytes", "3.5 KiB", "1.2 GiB".
std::string humanBytes(std::size_t bytes) {
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) return format("%zu bytes", bytes);
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return format("%.1f %s", value, units[unit]);
}

}  // namespace

LevelPoints MrMesh::points(int level) const {
    const LevelBlocks& blocks = *levels[level];
    LevelPoints p;
    p.cells = 1 << level;
    p.vertices = const_cast<Vector*>(blocks.vertices.data());
    p.edges = const_cast<Vector*>(blocks.edges.data());
    p.faces = const_cast<Vector*>(blocks.faces.data());
    return p;
}

std::unique_ptr<MrMesh::LevelBlocks> MrMesh::allocateLevel(int level) const {
    const std::size_t inner = (std::size_t(1) << level) - 1;
    auto blocks = std::make_unique<LevelBlocks>();
    blocks->vertices = PointBlock(numV);
    blocks->edges = PointBlock(numE * inner);
    blocks->faces = PointBlock(numF * inner * inner);
    return blocks;
}

void MrMesh::setAllLevels(int to) {
    elementLevels.reset();
    meshLevel = to;
    topo.dropSegmentsAbove(to);
    for (std::size_t r = 1; r < levels.size(); ++r)
        if (static_cast<int>(r) != to) levels[r].reset();
    levels.resize(std::max<std::size_t>(to + 1, 1));
    if (uvLayout && uvLayout->hasLevel(to)) uvLayout->keepLevel(to, threadCount);  // lets go of the others
}

std::size_t MrMesh::bytesForNextLevel() const {
    const std::size_t inner = 2 * (std::size_t(1) << curRes()) - 1;
    const std::size_t points = sizeof(Vector) * (numV + numE * inner + numF * inner * inner);
    return points + topo.segmentBytesAt(curRes() + 1) + (uvLayout ? uvLayout->bytesAt(curRes() + 1) : 0) +
           (companionBytes ? companionBytes(curRes() + 1) : 0);
}

Status MrMesh::subdivide() {
    const int next = curRes() + 1;
    const std::size_t need = bytesForNextLevel();
    const std::size_t available = availableMemory ? availableMemory() : systemAvailableMemory();
    if (need > allowedBytes(available)) {
        // The figure given is what may be used, the available memory less
        // the safety margin, so the line never names room the level fits in.
        return {false, format("Not subdivided to level %d: it needs %s of memory and only %s may be used "
                              "(%s available, less a safety margin)",
                              next, humanBytes(need).c_str(), humanBytes(allowedBytes(available)).c_str(),
                              humanBytes(available).c_str())};
    }
    return refineAll();
}

// One refinement step of the whole surface, into the next level's blocks,
// which are allocated first: running out of memory leaves the surface as it
// was. Every rule reads only the current level, so the three kinds of
// element can go in any order and every element on any thread.
Status MrMesh::refineAll() {
    if (elementLevels) {
        refineElementByElement();
        changed(nullptr);
        return {};
    }
    const int level = curRes(), next = level + 1;
    std::unique_ptr<LevelBlocks> blocks;
    try {
        blocks = allocateLevel(next);
        topo.keepSegmentsTo(next);  // the step reads the sharpness of the segments it makes
        const LevelPoints from = points(level);
        LevelPoints to;
        to.cells = 2 * from.cells;
        to.vertices = blocks->vertices.data();
        to.edges = blocks->edges.data();
        to.faces = blocks->faces.data();
        // The first two steps, where each element's few points cost less
        // than reading its neighbourhood, refine the texture coordinates in
        // the points' pass; the finer ones, long runs of values, each in a
        // pass of its own.
        if (uvLayout && uvLayout->hasLevel(level) && next <= 2) {
            uvLayout->stepWithPoints(next, from, to, threadCount);
        } else {
            refineStep(topo, from, to, StepElements{}, threadCount);
            if (uvLayout) uvLayout->keepLevel(next, threadCount);
        }
    } catch (const std::bad_alloc&) {
        return {false, format("Not subdivided to level %d: not enough memory", next)};
    }
    if (static_cast<int>(levels.size()) <= next) levels.resize(next + 1);
    levels[next] = std::move(blocks);
    setAllLevels(next);
    changed(nullptr);
    return {};
}

void MrMesh::reset() {
    setAllLevels(0);
    changed(nullptr);
}

// Levels that existed before are rebuilt without the memory guard: their
// storage was just given back.
Status MrMesh::rebuildTo(int level) {
    reset();
    while (curRes() < level) {
        Status step = refineAll();
        if (!step) return step;
    }
    return {};
}

Status MrMesh::undivide() {
    const int level = curRes();
    if (level == 0) return {};
    return rebuildTo(level - 1);
}

}  // namespace facetry

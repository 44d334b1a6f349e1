// Welded comparison of two point sets through a sorted grid of cells.
#include "weldcompare.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

// Cell coordinates are packed 21 bits per axis, x major, so that the cells
// of one (x, y) column are neighbours in the sorted order.
constexpr int kAxisBits = 21;
constexpr long kAxisCells = 1L << kAxisBits;

using Entry = std::pair<std::uint64_t, std::size_t>;  // (cell key, point index)

// The distance from `p` to the nearest of the points that the entries
// [first, last) name, if it is within `radius` and below `best` (negative:
// none yet); otherwise `best`.
double nearestAmong(const Vector& p, const std::vector<Vector>& points, const Entry* first, const Entry* last,
                    double radius, double best) {
    for (; first != last; ++first) {
        const Vector& q = points[first->second];
        double dx = double(p.x) - q.x, dy = double(p.y) - q.y, dz = double(p.z) - q.z;
        double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (distance <= radius && (best < 0 || distance < best)) best = distance;
    }
    return best;
}

// A point set sorted by grid cell. Cells are `cell` wide and counted from
// `origin`, so a point within one cell width of p lies in one of the at most
// eight cells that p's tolerance box touches.
class CellGrid {
public:
    CellGrid(const std::vector<Vector>& points_, const Vector& origin_, double cell_)
        : points(points_), origin(origin_), cell(cell_) {
        entries.reserve(points.size());
        for (std::size_t k = 0; k < points.size(); ++k) {
            const Vector& p = points[k];
            entries.push_back({key(cellOf(p.x, origin.x), cellOf(p.y, origin.y), cellOf(p.z, origin.z)), k});
        }
        std::sort(entries.begin(), entries.end());
    }

    // The distance from p to its nearest point, if one lies within `radius`
    // (at most a cell width); a negative value otherwise.
    double nearest(const Vector& p, double radius) const {
        double best = -1;
        for (long x = cellOf(p.x - radius, origin.x); x <= cellOf(p.x + radius, origin.x); ++x)
            for (long y = cellOf(p.y - radius, origin.y); y <= cellOf(p.y + radius, origin.y); ++y)
                best = nearestInColumn(p, key(x, y, cellOf(p.z - radius, origin.z)),
                                       key(x, y, cellOf(p.z + radius, origin.z)), radius, best);
        return best;
    }

    // The entries in cell order.
    const std::vector<Entry>& sortedEntries() const { return entries; }

    // How far p lies from the nearest wall of its cell: a point of its own
    // cell at most this far is nearer than any point of another cell.
    double wallDistance(const Vector& p) const {
        double nearestWall = cell;
        for (const auto& [c, start] : {std::pair<float, float>{p.x, origin.x}, {p.y, origin.y}, {p.z, origin.z}}) {
            const double t = (double(c) - start) / cell, within = (t - std::floor(t)) * cell;
            nearestWall = std::min(nearestWall, std::min(within, cell - within));
        }
        return nearestWall;
    }

private:
    long cellOf(double coordinate, float start) const {
        long c = static_cast<long>(std::floor((coordinate - start) / cell)) + 1;  // one spare cell below
        return std::min(std::max(c, 0L), kAxisCells - 1);
    }
    static std::uint64_t key(long x, long y, long z) {
        return static_cast<std::uint64_t>(x) << (2 * kAxisBits) | static_cast<std::uint64_t>(y) << kAxisBits |
               static_cast<std::uint64_t>(z);
    }
    // Scans the cells from key `low` to key `high` of one (x, y) column.
    double nearestInColumn(const Vector& p, std::uint64_t low, std::uint64_t high, double radius,
                           double best) const {
        const Entry* end = entries.data() + entries.size();
        const Entry* first = std::lower_bound(entries.data(), end, Entry(low, 0));
        const Entry* last = first;
        while (last != end && last->first <= high) ++last;
        return nearestAmong(p, points, first, last, radius, best);
    }

    const std::vector<Vector>& points;                           // the indexed points
    Vector origin;                                               // the corner the cells count from
    double cell;                                                 // cell width
    std::vector<Entry> entries;                                  // one per point, sorted
};

// Counts the points of `from` without a partner in `to`, and widens `largest`
// by each point's distance to its nearest partner. Both grids are walked
// together cell by cell: nearly every point finds its partner in its own
// cell, nearer than the cell's walls, and only the others search the cells
// around them (a point of its own cell may be within the tolerance and yet
// not the nearest).
std::size_t unmatchedPoints(const std::vector<Vector>& from, const CellGrid& fromGrid,
                            const std::vector<Vector>& to, const CellGrid& toGrid, double tolerance,
                            double& largest) {
    const std::vector<Entry>& mine = fromGrid.sortedEntries();
    const std::vector<Entry>& theirs = toGrid.sortedEntries();
    std::size_t missing = 0, t = 0;
    for (std::size_t k = 0; k < mine.size(); ++k) {
        std::uint64_t cellKey = mine[k].first;
        while (t < theirs.size() && theirs[t].first < cellKey) ++t;
        std::size_t end = t;
        while (end < theirs.size() && theirs[end].first == cellKey) ++end;
        const Vector& p = from[mine[k].second];
        double distance = nearestAmong(p, to, theirs.data() + t, theirs.data() + end, tolerance, -1);
        if (distance < 0)
            distance = toGrid.nearest(p, tolerance);
        else if (distance > toGrid.wallDistance(p))
            distance = toGrid.nearest(p, distance);
        if (distance < 0)
            ++missing;
        else
            largest = std::max(largest, distance);
    }
    return missing;
}

Vector lowestCorner(const std::vector<Vector>& a, const std::vector<Vector>& b) {
    Vector low = a.empty() ? (b.empty() ? Vector() : b[0]) : a[0];
    for (const Vector& p : a) low = componentMin(low, p);
    for (const Vector& p : b) low = componentMin(low, p);
    return low;
}

}  // namespace

std::string WeldResult::summary() const {
    if (matched()) return "yes";
    char text[96];
    std::snprintf(text, sizeof text, "NO (%s, %zu unmatched)", countsEqual ? "same count" : "counts differ",
                  unmatched);
    return text;
}

WeldResult compareWelded(const std::vector<Vector>& a, const std::vector<Vector>& b, double tolerance) {
    WeldResult result;
    result.countsEqual = a.size() == b.size();
    Vector origin = lowestCorner(a, b);
    CellGrid gridA(a, origin, tolerance), gridB(b, origin, tolerance);
    result.unmatched = unmatchedPoints(a, gridA, b, gridB, tolerance, result.largestDistance) +
                       unmatchedPoints(b, gridB, a, gridA, tolerance, result.largestDistance);
    return result;
}

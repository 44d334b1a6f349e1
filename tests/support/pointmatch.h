#pragma once
// The one matching of two point sets by position, for the surface tests, the
// peer tests and the benchmark: each point's partner is its nearest point of
// the other set, if that lies within the tolerance. Only the nearest counts:
// a point of the same cell that is within the tolerance but farther cannot
// stand in for it, so a surface whose points drifted apart by less than the
// tolerance still shows how far.
//
// The points are looked up in a sorted grid of cells as wide as the
// tolerance, so a query looks at no more than eight cells; both sets are
// walked together cell by cell, and nearly every point finds its partner in
// its own cell, nearer than the cell's walls. Header only, so that the
// benchmark uses it without the tests' support library. A point type is
// anything with x, y and z (Vector, RefPoint).

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace pointmatch {

// A corner in double precision.
struct Corner {
    double x = 0, y = 0, z = 0;
};

using Entry = std::pair<std::uint64_t, std::size_t>;  // (cell key, point index)

// Cell coordinates are packed 21 bits per axis, x major, so that the cells
// of one (x, y) column are neighbours in the sorted order.
constexpr int kAxisBits = 21;
constexpr long kAxisCells = 1L << kAxisBits;

template <class P, class Q>
double distance(const P& p, const Q& q) {
    const double dx = double(p.x) - double(q.x), dy = double(p.y) - double(q.y), dz = double(p.z) - double(q.z);
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// A point set sorted by grid cell. Cells are `cell` wide and counted from
// `origin`, so a point within one cell width of p lies in one of the at most
// eight cells that p's tolerance box touches.
template <class P>
class CellGrid {
public:
    CellGrid(const std::vector<P>& points_, const Corner& origin_, double cell_)
        : points(points_), origin(origin_), cell(cell_ > 0 ? cell_ : 1e-30) {
        entries.reserve(points.size());
        for (std::size_t k = 0; k < points.size(); ++k)
            entries.push_back({keyOf(points[k].x, points[k].y, points[k].z), k});
        std::sort(entries.begin(), entries.end());
    }

    const std::vector<P>& indexed() const { return points; }
    // The entries in cell order.
    const std::vector<Entry>& sortedEntries() const { return entries; }
    std::uint64_t keyOf(double x, double y, double z) const {
        return key(cellOf(x, origin.x), cellOf(y, origin.y), cellOf(z, origin.z));
    }

    // The index of p's nearest point within `radius` (at most a cell width)
    // and its distance, which stays `best` when none is nearer than
    // `best.second` (negative: none yet).
    template <class Q>
    std::pair<long long, double> nearest(const Q& p, double radius, std::pair<long long, double> best) const {
        for (long x = cellOf(p.x - radius, origin.x); x <= cellOf(p.x + radius, origin.x); ++x)
            for (long y = cellOf(p.y - radius, origin.y); y <= cellOf(p.y + radius, origin.y); ++y) {
                const Entry* end = entries.data() + entries.size();
                const Entry* first = std::lower_bound(entries.data(), end, Entry(key(x, y, cellOf(p.z - radius, origin.z)), 0));
                const Entry* last = first;
                const std::uint64_t high = key(x, y, cellOf(p.z + radius, origin.z));
                while (last != end && last->first <= high) ++last;
                best = nearestAmong(p, first, last, radius, best);
            }
        return best;
    }

    // The same among the entries [first, last).
    template <class Q>
    std::pair<long long, double> nearestAmong(const Q& p, const Entry* first, const Entry* last, double radius,
                                              std::pair<long long, double> best) const {
        for (; first != last; ++first) {
            const double d = distance(p, points[first->second]);
            if (d <= radius && (best.second < 0 || d < best.second)) best = {static_cast<long long>(first->second), d};
        }
        return best;
    }

    // How far p lies from the nearest wall of its cell: a point of its own
    // cell at most this far is nearer than any point of another cell.
    template <class Q>
    double wallDistance(const Q& p) const {
        double nearestWall = cell;
        for (const auto& [c, start] : {std::pair<double, double>{p.x, origin.x}, {p.y, origin.y}, {p.z, origin.z}}) {
            const double t = (c - start) / cell, within = (t - std::floor(t)) * cell;
            nearestWall = std::min(nearestWall, std::min(within, cell - within));
        }
        return nearestWall;
    }

private:
    long cellOf(double coordinate, double start) const {
        long c = static_cast<long>(std::floor((coordinate - start) / cell)) + 1;  // one spare cell below
        return std::min(std::max(c, 0L), kAxisCells - 1);
    }
    static std::uint64_t key(long x, long y, long z) {
        return static_cast<std::uint64_t>(x) << (2 * kAxisBits) | static_cast<std::uint64_t>(y) << kAxisBits |
               static_cast<std::uint64_t>(z);
    }

    const std::vector<P>& points;  // the indexed points
    Corner origin;                 // the corner the cells count from
    double cell;                   // cell width
    std::vector<Entry> entries;    // one per point, sorted
};

// The lowest corner of both sets: where the cells of both start.
template <class P, class Q>
Corner lowestCorner(const std::vector<P>& a, const std::vector<Q>& b) {
    Corner low{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    auto widen = [&low](double x, double y, double z) {
        low = {std::min(low.x, x), std::min(low.y, y), std::min(low.z, z)};
    };
    for (const P& p : a) widen(p.x, p.y, p.z);
    for (const Q& q : b) widen(q.x, q.y, q.z);
    return a.empty() && b.empty() ? Corner() : low;
}

// Calls visit(k, partner, distance) for every point k of `from` with the
// index of its nearest point in `to` within `tolerance` and the distance to
// it, or with -1 and -1 when there is none. Both grids must share their
// origin and cell width.
template <class P, class Q, class Visit>
void visitNearestPartners(const CellGrid<P>& from, const CellGrid<Q>& to, double tolerance, Visit visit) {
    const std::vector<Entry>& mine = from.sortedEntries();
    const std::vector<Entry>& theirs = to.sortedEntries();
    std::size_t t = 0;
    for (const Entry& entry : mine) {
        while (t < theirs.size() && theirs[t].first < entry.first) ++t;
        std::size_t end = t;
        while (end < theirs.size() && theirs[end].first == entry.first) ++end;
        const P& p = from.indexed()[entry.second];
        std::pair<long long, double> best =
            to.nearestAmong(p, theirs.data() + t, theirs.data() + end, tolerance, {-1, -1.0});
        // None in its own cell, or one farther than a wall: the cells around
        // may hold a nearer one.
        if (best.second < 0)
            best = to.nearest(p, tolerance, best);
        else if (best.second > to.wallDistance(p))
            best = to.nearest(p, best.second, best);
        visit(entry.second, best.first, best.second);
    }
}

template <class P>
std::string describe(const P& p) {
    char text[96];
    std::snprintf(text, sizeof text, "(%.9g, %.9g, %.9g)", double(p.x), double(p.y), double(p.z));
    return text;
}

}  // namespace pointmatch

// For every point of `a`, the index of its nearest point of `b` within
// `tolerance`, or -1 when there is none.
template <class P, class Q>
std::vector<int> matchPoints(const std::vector<P>& a, const std::vector<Q>& b, double tolerance) {
    const pointmatch::Corner origin = pointmatch::lowestCorner(a, b);
    pointmatch::CellGrid<P> gridA(a, origin, tolerance);
    pointmatch::CellGrid<Q> gridB(b, origin, tolerance);
    std::vector<int> partner(a.size(), -1);
    pointmatch::visitNearestPartners(gridA, gridB, tolerance, [&partner](std::size_t k, long long index, double) {
        partner[k] = static_cast<int>(index);
    });
    return partner;
}

// Whether `actual` is `expected` one to one: as many points, and every point
// of `actual` with a nearest partner in `expected` within `tolerance` that
// is no other point's nearest partner. "" when it is, else what is wrong.
template <class P, class Q>
std::string matchPointSets(const std::vector<P>& actual, const std::vector<Q>& expected, double tolerance) {
    if (actual.size() != expected.size())
        return "point counts " + std::to_string(actual.size()) + " and " + std::to_string(expected.size());
    const std::vector<int> partner = matchPoints(actual, expected, tolerance);
    std::vector<int> takenBy(expected.size(), -1);
    for (std::size_t k = 0; k < actual.size(); ++k) {
        if (partner[k] < 0) {
            char tol[32];
            std::snprintf(tol, sizeof tol, "%g", tolerance);
            return std::string("no reference point within ") + tol + " of " + pointmatch::describe(actual[k]);
        }
        if (takenBy[partner[k]] >= 0)
            return pointmatch::describe(actual[k]) + " and " + pointmatch::describe(actual[takenBy[partner[k]]]) +
                   " have the same nearest reference point " + pointmatch::describe(expected[partner[k]]);
        takenBy[partner[k]] = static_cast<int>(k);
    }
    return "";
}

// Two point sets compared both ways, as the benchmark reports it.
struct WeldResult {
    bool countsEqual = false;      // both sets have as many points
    std::size_t unmatched = 0;     // points of either set with no partner within the tolerance
    double largestDistance = 0;    // over the matched points, the largest distance to the nearest partner
    bool matched() const { return countsEqual && unmatched == 0; }
    // "yes" or what differs.
    std::string summary() const {
        if (matched()) return "yes";
        char text[96];
        std::snprintf(text, sizeof text, "NO (%s, %zu unmatched)", countsEqual ? "same count" : "counts differ",
                      unmatched);
        return text;
    }
};

// Whether two point sets describe the same surface: the same number of
// points, and every point of each set within `tolerance` of a point of the
// other.
template <class P>
WeldResult compareWelded(const std::vector<P>& a, const std::vector<P>& b, double tolerance) {
    WeldResult result;
    result.countsEqual = a.size() == b.size();
    const pointmatch::Corner origin = pointmatch::lowestCorner(a, b);
    pointmatch::CellGrid<P> gridA(a, origin, tolerance), gridB(b, origin, tolerance);
    auto tally = [&result](std::size_t, long long partner, double distance) {
        if (partner < 0)
            ++result.unmatched;
        else
            result.largestDistance = std::max(result.largestDistance, distance);
    };
    pointmatch::visitNearestPartners(gridA, gridB, tolerance, tally);
    pointmatch::visitNearestPartners(gridB, gridA, tolerance, tally);
    return result;
}

// Welded comparison of two point sets through a sorted spatial hash.
#include "weldcompare.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

// A point set sorted by hash cell: each query finds a cell's points with a
// binary search.
class SpatialHash {
public:
    // Indexes `points` (kept by reference) in cells of width `cell`.
    SpatialHash(const std::vector<Vector>& points, double cell) : points(points), cell(cell) {
        entries.reserve(points.size());
        for (std::size_t k = 0; k < points.size(); ++k)
            entries.push_back({key(cellOf(points[k].x), cellOf(points[k].y), cellOf(points[k].z)), k});
        std::sort(entries.begin(), entries.end());
    }

    // The distance from p to its nearest indexed point, if one lies within
    // `radius` (no wider than a cell); a negative value otherwise.
    double nearest(const Vector& p, double radius) const {
        double best = -1;
        long cx = cellOf(p.x), cy = cellOf(p.y), cz = cellOf(p.z);
        for (long dx = -1; dx <= 1; ++dx)
            for (long dy = -1; dy <= 1; ++dy)
                for (long dz = -1; dz <= 1; ++dz) best = nearestInCell(p, key(cx + dx, cy + dy, cz + dz), radius, best);
        return best;
    }

private:
    long cellOf(float coordinate) const { return static_cast<long>(std::floor(coordinate / cell)); }
    static std::uint64_t key(long x, long y, long z) {
        return static_cast<std::uint64_t>(x) * 73856093u ^ static_cast<std::uint64_t>(y) * 19349663u ^
               static_cast<std::uint64_t>(z) * 83492791u;
    }
    // Points of other cells may share the key; the distance test sorts them out.
    double nearestInCell(const Vector& p, std::uint64_t cellKey, double radius, double best) const {
        auto first = std::lower_bound(entries.begin(), entries.end(), std::make_pair(cellKey, std::size_t(0)));
        for (auto it = first; it != entries.end() && it->first == cellKey; ++it) {
            const Vector& q = points[it->second];
            double dx = double(p.x) - q.x, dy = double(p.y) - q.y, dz = double(p.z) - q.z;
            double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
            if (distance <= radius && (best < 0 || distance < best)) best = distance;
        }
        return best;
    }

    const std::vector<Vector>& points;                        // the indexed points
    double cell;                                              // cell width
    std::vector<std::pair<std::uint64_t, std::size_t>> entries; // (cell key, point index), sorted
};

// Counts the points of `from` without a partner in `to`, and widens `largest`.
std::size_t unmatchedPoints(const std::vector<Vector>& from, const SpatialHash& to, double tolerance,
                            double& largest) {
    std::size_t missing = 0;
    for (const Vector& p : from) {
        double distance = to.nearest(p, tolerance);
        if (distance < 0)
            ++missing;
        else
            largest = std::max(largest, distance);
    }
    return missing;
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
    SpatialHash hashA(a, tolerance), hashB(b, tolerance);
    result.unmatched = unmatchedPoints(a, hashB, tolerance, result.largestDistance) +
                       unmatchedPoints(b, hashA, tolerance, result.largestDistance);
    return result;
}

#include "peer/peeragreement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"
#include "support/osdpeer.h"
#include "support/pointmatch.h"

using namespace facetry;

namespace {

double distance(const Vector& a, const Vector& b) {
    const double x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
    return std::sqrt(x * x + y * y + z * z);
}

double angle(const Vector& a, const Vector& b) {
    const Vector c = cross(a, b);
    const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
    return std::atan2(std::sqrt(double(c.lengthSquared())), dot);
}

std::vector<Vector> weldedPoints(const MrMesh& surface) {
    std::vector<Vector> points;
    WeldedSurface(surface).forEachPoint([&points](const Vector& p) { points.push_back(p); });
    return points;
}

// How far our limit is from OpenSubdiv's over one mesh and level: the
// largest differences and the points beyond the tolerances.
struct Agreement {
    double position = 0, normal = 0;  // limit position (of the size), normal (rad)
    int positionsOff = 0, normalsOff = 0;
    std::string firstOff;  // the first point beyond a tolerance
};

// Ours (in our order) against theirs (in OpenSubdiv's), `partner` mapping
// the one order to the other.
Agreement compareLimits(const std::vector<Vector>& points, const std::vector<int>& partner,
                        const std::vector<Vector>& positions, const std::vector<Vector>& normals,
                        const std::vector<Vector>& theirPositions, const std::vector<Vector>& theirNormals,
                        double size, double normalTolerance) {
    Agreement a;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const int q = partner[k];
        const double dp = distance(positions[k], theirPositions[q]) / size;
        a.position = std::max(a.position, dp);
        // a zero normal (no tangent plane) only where OpenSubdiv has none either
        const bool ours = normals[k].lengthSquared() > 0, theirs = theirNormals[q].lengthSquared() > 0;
        const double da = ours && theirs ? angle(normals[k], theirNormals[q]) : ours == theirs ? 0 : 4;
        a.normal = std::max(a.normal, da);
        const bool off = dp > 1e-5 || da > normalTolerance;
        a.positionsOff += dp > 1e-5;
        a.normalsOff += da > normalTolerance;
        if (off && a.firstOff.empty())
            a.firstOff = "point " + std::to_string(k) + ": position off by " + std::to_string(dp) +
                         " of the size, normal (" + std::to_string(normals[k].x) + ", " + std::to_string(normals[k].y) +
                         ", " + std::to_string(normals[k].z) + ") against (" + std::to_string(theirNormals[q].x) +
                         ", " + std::to_string(theirNormals[q].y) + ", " + std::to_string(theirNormals[q].z) + ")";
    }
    return a;
}

}  // namespace

void expectAgreesWithOpenSubdiv(Mesh& control, double size) {
    const double tolerance = 1e-5 * size;
    MrMesh surface;
    ASSERT_TRUE(surface.build(control).ok);
    const int offset = surface.isAllQuads() ? 0 : 1;  // OpenSubdiv's level of Facetry's level 0
    for (int level = offset; level <= 4; ++level) {
        while (surface.curRes() + offset < level) ASSERT_TRUE(surface.subdivide().ok);
        SCOPED_TRACE("OpenSubdiv level " + std::to_string(level));
        const std::vector<Vector> points = weldedPoints(surface);
        if (points.size() > 100000) break;  // enough to show agreement; keeps the test short
        std::vector<Vector> positions, normals;
        limitPointsAndNormals(surface, &positions, &normals);
        const OsdSurface osd = osdLimitSurface(control, level);
        ASSERT_EQ(points.size(), osd.points.size());

        const std::vector<int> partner = matchPoints(points, osd.points, tolerance);
        std::vector<int> taken(osd.points.size(), 0);
        int unmatched = 0, shared = 0;
        double worstPoint = 0;
        for (std::size_t k = 0; k < points.size(); ++k) {
            if (partner[k] < 0) {
                ++unmatched;
                continue;
            }
            shared += taken[partner[k]]++ > 0;
            worstPoint = std::max(worstPoint, distance(points[k], osd.points[partner[k]]) / size);
        }
        ASSERT_EQ(unmatched, 0);
        ASSERT_EQ(shared, 0);

        std::vector<Vector> ourPointsTheirOrder(points.size()), sameInputPositions, sameInputNormals;
        for (std::size_t k = 0; k < points.size(); ++k) ourPointsTheirOrder[partner[k]] = points[k];
        osdLimitOf(control, level, ourPointsTheirOrder, sameInputPositions, sameInputNormals);
        const Agreement same = compareLimits(points, partner, positions, normals, sameInputPositions,
                                             sameInputNormals, size, 1e-4);
        EXPECT_EQ(same.positionsOff + same.normalsOff, 0) << same.firstOff;
        const Agreement whole = compareLimits(points, partner, positions, normals, osd.limitPositions,
                                              osd.limitNormals, size, 1e-4);
        EXPECT_EQ(whole.positionsOff + whole.normalsOff, 0) << whole.firstOff;
        char figures[160];
        std::snprintf(figures, sizeof figures, "%.1e %.1e %.1e %.1e %.1e", worstPoint, same.position, same.normal,
                      whole.position, whole.normal);
        testing::Test::RecordProperty("level" + std::to_string(level), figures);
    }
}


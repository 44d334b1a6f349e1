// The limit masks: positions reproduce a constant, the general masks agree
// with the regular ones they specialise to, and the tangents of flat,
// symmetric rings lie where the symmetry puts them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "rules/limitmasks.h"

using namespace facetry;

namespace {

constexpr double kPi = 3.14159265358979323846;

Vector onCircle(double angle, double radius) {
    return Vector(static_cast<float>(radius * std::cos(angle)), static_cast<float>(radius * std::sin(angle)), 0);
}

// An irregular ring of n edge ends and n diagonals around p.
struct Ring {
    Vector p;
    std::vector<Vector> e, d;
};
Ring irregularRing(int n) {
    Ring r{Vector(0.1f, -0.2f, 0.3f), {}, {}};
    for (int k = 0; k < n; ++k) {
        const float t = static_cast<float>(k);
        r.e.push_back(Vector(std::cos(1.1f * t) + 0.5f, std::sin(0.9f * t), 0.2f * t));
        r.d.push_back(Vector(std::sin(1.7f * t), std::cos(0.3f * t) - 0.4f, 0.5f - 0.1f * t));
    }
    return r;
}

double distance(const Vector& a, const Vector& b) {
    const Vector d = a - b;
    return std::sqrt(static_cast<double>(d.lengthSquared()));
}

// t1 and t2 of a smooth point from smoothTangentWeights, t2 turned by one edge.
void smoothTangents(const Ring& r, Vector& t1, Vector& t2) {
    const int n = static_cast<int>(r.e.size());
    std::vector<float> we, wf;
    smoothTangentWeights(n, we, wf);
    t1 = t2 = Vector();
    for (int i = 0; i < n; ++i) {
        const int prev = (i + n - 1) % n;
        t1 += (r.d[i] - r.p) * wf[i] + (r.e[i] - r.p) * we[i];
        t2 += (r.d[i] - r.p) * wf[prev] + (r.e[i] - r.p) * we[prev];
    }
}

// The tangent across a crease sector of k faces from creaseTangentWeights,
// the sector's edges 0 .. k and faces 0 .. k-1.
Vector acrossSector(const Ring& r, int k) {
    const CreaseTangentWeights c = creaseTangentWeights(k);
    Vector t2;
    for (int i = 0; i < k; ++i) t2 += (r.d[i] - r.p) * c.face[i];
    for (int i = 1; i < k; ++i) t2 += (r.e[i] - r.p) * c.edge[i];
    return t2 + ((r.e[0] - r.p) + (r.e[k] - r.p)) * c.ends;
}

}  // namespace

TEST(LimitMasks, PositionsReproduceAConstant) {
    EXPECT_NEAR(regularLimitPoint(1.0f, 4.0f, 4.0f), 1.0f, 1e-6f);
    const Vector one(1, 1, 1);
    EXPECT_NEAR(creaseLimitPoint(one, one * 2.0f).x, 1.0f, 1e-6f);
    for (int n = 3; n <= 12; ++n) {
        const float count = static_cast<float>(n);
        EXPECT_NEAR(smoothLimitPoint(one, one * count, one * count, n).z, 1.0f, 1e-6f) << "valence " << n;
    }
}

TEST(LimitMasks, RulesFollowTheVertexRuleButTwoFacesKeepTheirPlace) {
    EXPECT_EQ(limitRule(VertexRule::Smooth, 2), VertexRule::Corner);
    EXPECT_EQ(limitRule(VertexRule::Smooth, 3), VertexRule::Smooth);
    EXPECT_EQ(limitRule(VertexRule::Crease, 2), VertexRule::Crease);
    EXPECT_EQ(limitRule(VertexRule::Corner, 5), VertexRule::Corner);
}

// At valence 4 the general smooth masks are the regular ones.
TEST(LimitMasks, GeneralSmoothMasksAtValenceFourAreTheRegularOnes) {
    const Ring r = irregularRing(4);
    const Vector neighbours = r.e[0] + r.e[1] + r.e[2] + r.e[3], diagonals = r.d[0] + r.d[1] + r.d[2] + r.d[3];
    EXPECT_LT(distance(smoothLimitPoint(r.p, neighbours, diagonals, 4), regularLimitPoint(r.p, neighbours, diagonals)), 1e-6);
    Vector t1, t2;
    smoothTangents(r, t1, t2);
    EXPECT_LT(distance(t1, regularTangent(r.e[0] - r.e[2], r.d[0] - r.d[2], r.d[3] - r.d[1])), 1e-5);
    EXPECT_LT(distance(t2, regularTangent(r.e[1] - r.e[3], r.d[0] - r.d[2], r.d[1] - r.d[3])), 1e-5);
}

// The sector of two faces has its own form; the general weights give it too.
TEST(LimitMasks, GeneralCreaseTangentOverTwoFacesIsTheRegularOne) {
    const Ring r = irregularRing(5);
    const Vector regular = creaseTangentAcrossTwoFaces(r.d[0] - r.p, r.d[1] - r.p, r.e[1] - r.p, r.e[0] - r.p, r.e[2] - r.p);
    EXPECT_LT(distance(acrossSector(r, 2), regular), 1e-6);
}

TEST(LimitMasks, SmoothTangentWeightsSumToZero) {
    for (int n = 3; n <= 16; ++n) {
        std::vector<float> we, wf;
        smoothTangentWeights(n, we, wf);
        ASSERT_EQ(static_cast<int>(we.size()), n);
        ASSERT_EQ(static_cast<int>(wf.size()), n);
        double edges = 0, faces = 0;
        for (int i = 0; i < n; ++i) {
            edges += we[i];
            faces += wf[i];
        }
        EXPECT_NEAR(edges, 0, 1e-5) << "valence " << n;
        EXPECT_NEAR(faces, 0, 1e-5) << "valence " << n;
    }
}

// A flat ring, edges at angles 2 pi k / n and diagonals between them, turned
// counterclockwise: the normal t1 x t2 is +z, and t1, t2 have one length.
TEST(LimitMasks, SmoothTangentsOfAFlatRingSpanItsPlane) {
    for (int n = 3; n <= 12; ++n) {
        Ring r{Vector(), {}, {}};
        for (int k = 0; k < n; ++k) {
            r.e.push_back(onCircle(2 * kPi * k / n, 1));
            r.d.push_back(onCircle(2 * kPi * (k + 0.5) / n, 1.4));
        }
        Vector t1, t2;
        smoothTangents(r, t1, t2);
        const Vector normal = cross(t1, t2);
        EXPECT_GT(normal.z, 0) << "valence " << n;
        EXPECT_NEAR(normal.x, 0, 1e-5) << "valence " << n;
        EXPECT_NEAR(normal.y, 0, 1e-5) << "valence " << n;
        EXPECT_NEAR(std::sqrt(t1.lengthSquared()), std::sqrt(t2.lengthSquared()), 1e-4) << "valence " << n;
    }
}

// A flat half disc of k faces, the crease along the x axis from (1, 0, 0) to
// (-1, 0, 0): the tangent along the crease is +x, the one across it points
// straight into the sector (+y).
TEST(LimitMasks, CreaseTangentsOfAFlatSectorPointAlongAndAcross) {
    for (int k = 2; k <= 9; ++k) {
        Ring r{Vector(), {}, {}};
        for (int i = 0; i <= k; ++i) r.e.push_back(onCircle(kPi * i / k, 1));
        for (int i = 0; i < k; ++i) r.d.push_back(onCircle(kPi * (i + 0.5) / k, 1.4));
        const Vector along = creaseTangentAlong(r.e[0], r.e[k]);
        EXPECT_NEAR(along.x, 1, 1e-6);
        EXPECT_NEAR(along.y, 0, 1e-6);
        const Vector across = k == 2 ? creaseTangentAcrossTwoFaces(r.d[0], r.d[1], r.e[1], r.e[0], r.e[2]) : acrossSector(r, k);
        EXPECT_GT(across.y, 0) << k << " faces";
        EXPECT_NEAR(across.x, 0, 1e-5) << k << " faces";
        EXPECT_EQ(across.z, 0) << k << " faces";
    }
    // One face, its sides along x and y: across it along the diagonal.
    const Vector across = creaseTangentAcrossOneFace(Vector(1, 0, 0), Vector(0, 1, 0));
    EXPECT_EQ(across, Vector(3, 3, 0));
}

// The sharpness rules: how sharpness wears off (uniformly and by Chaikin's
// rule), the one classifier of vertex rules, the weight of a transition, and
// the creased edge and vertex points, as tables of hand-worked cases.
#include <gtest/gtest.h>

#include <vector>

#include "rules/creases.h"

using namespace facetry;

namespace {

// A neighbourhood over a list of ring-edge sharpness values.
struct Ring {
    float vertex;
    std::vector<float> edges;
    CreasingMethod creasing = CreasingMethod::Uniform;
    auto neighbourhood() const {
        const std::vector<float>* list = &edges;
        return vertexNeighbourhood(static_cast<int>(edges.size()), vertex, [list](int k) { return (*list)[k]; },
                                   creasing);
    }
};

const char* nameOf(VertexRule rule) {
    switch (rule) {
    case VertexRule::Smooth: return "smooth";
    case VertexRule::Crease: return "crease";
    case VertexRule::Corner: return "corner";
    }
    return "?";
}

}  // namespace

TEST(Sharpness, WearsOffOneLevelAtATime) {
    struct Case {
        float s;
        float next;
    };
    const Case cases[] = {{0, 0}, {0.5f, 0}, {1, 0}, {1.25f, 0.25f}, {2.5f, 1.5f}, {9.5f, 8.5f}, {10, 10}, {12, 12}};
    for (const Case& c : cases) {
        EXPECT_EQ(nextSharpness(c.s), c.next) << c.s;
        // Level by level the same as all levels at once, for these values.
        float s = c.s;
        for (int levels = 0; levels <= 11; ++levels, s = nextSharpness(s))
            EXPECT_EQ(sharpnessAfter(c.s, levels), s) << c.s << " after " << levels;
    }
    EXPECT_TRUE(sharpThroughStep(1));
    EXPECT_FALSE(sharpThroughStep(0.999f));
    EXPECT_EQ(edgeRuleSharpness(0, true), kInfinitelySharp);
    EXPECT_EQ(edgeRuleSharpness(0.5f, false), 0.5f);
    EXPECT_EQ(interiorEdgeSharpness(3, true), 0);
    EXPECT_EQ(interiorEdgeSharpness(3, false), 3);
}

TEST(VertexRules, FollowTheVertexAndItsSharpEdges) {
    struct Case {
        Ring ring;
        VertexRule now, next;
        float weight;  // of the present rule, where the two differ
    };
    const Case cases[] = {
        {{0, {0, 0, 0, 0}}, VertexRule::Smooth, VertexRule::Smooth, 1},
        {{0, {2, 0, 0, 0}}, VertexRule::Smooth, VertexRule::Smooth, 1},           // one sharp edge
        {{0, {2, 0, 3, 0}}, VertexRule::Crease, VertexRule::Crease, 1},
        {{0, {0.5f, 0, 2, 0}}, VertexRule::Crease, VertexRule::Smooth, 0.5f},     // one edge falls to 0
        {{0, {1.5f, 0.5f, 0}}, VertexRule::Crease, VertexRule::Smooth, 0.5f},     // 1.5 stays sharp
        {{0, {0.25f, 0.75f}}, VertexRule::Crease, VertexRule::Smooth, 0.5f},      // the mean of both
        {{0, {0.2f, 0.4f, 10, 0}}, VertexRule::Corner, VertexRule::Smooth, 0.3f},
        {{0, {3, 3, 3, 0}}, VertexRule::Corner, VertexRule::Corner, 1},
        {{0.3f, {0, 0, 0}}, VertexRule::Corner, VertexRule::Smooth, 0.3f},        // a corner tag
        {{1.5f, {0, 0, 0}}, VertexRule::Corner, VertexRule::Corner, 1},
        {{0.5f, {10, 10, 0}}, VertexRule::Corner, VertexRule::Crease, 0.5f},      // a sharp vertex on a crease
        {{4, {2, 2, 2}}, VertexRule::Corner, VertexRule::Corner, 1},
        {{0.5f, {3, 1.5f, 0}}, VertexRule::Corner, VertexRule::Crease, 0.5f},
        {{0.75f, {0.25f, 0, 0}}, VertexRule::Corner, VertexRule::Smooth, 0.5f},   // vertex and edge both fall
        {{2, {2, 1.5f, 1.25f}}, VertexRule::Corner, VertexRule::Corner, 1},
    };
    for (const Case& c : cases) {
        const auto v = c.ring.neighbourhood();
        EXPECT_STREQ(nameOf(v.rule()), nameOf(c.now)) << "vertex " << c.ring.vertex;
        EXPECT_STREQ(nameOf(v.ruleAfterStep()), nameOf(c.next)) << "vertex " << c.ring.vertex;
        if (c.now != c.next) {
            EXPECT_FLOAT_EQ(v.transitionWeight(), c.weight) << "vertex " << c.ring.vertex;
        }
    }
    EXPECT_STREQ(nameOf(vertexRuleOf(0, 1)), "smooth");
    EXPECT_STREQ(nameOf(vertexRuleOf(0, 2)), "crease");
    EXPECT_STREQ(nameOf(vertexRuleOf(0, 3)), "corner");
    EXPECT_STREQ(nameOf(vertexRuleOf(0.01f, 0)), "corner");
}

TEST(VertexRules, CreaseEndsAreTheFirstAndLastSharpEdge) {
    const std::vector<bool> ring = {false, true, false, false, true, false};
    int first = -1, last = -1;
    creaseEnds(static_cast<int>(ring.size()), [&](int k) { return ring[k]; }, first, last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 4);
}

TEST(VertexRules, OnlySharpVerticesAndInteriorEdgesTakeTheCreaseRules) {
    const std::vector<float> smooth = {0, 0, 0}, creased = {0, 2, 0};
    auto over = [](const std::vector<float>& s) { return [&s](int k) { return s[k]; }; };
    EXPECT_FALSE(takesCreaseRules(0, 3, over(smooth)));
    EXPECT_TRUE(takesCreaseRules(0, 3, over(creased)));
    EXPECT_TRUE(takesCreaseRules(0.1f, 3, over(smooth)));
}

// The creased points at p = origin, ring edge k ending at ends[k].
TEST(CreasedPoints, BlendSharpAndSmoothByTheFallingSharpness) {
    const Vector p(0, 0, 0), mid(2, 0, 0), smoothEdge(2, 4, 0);
    EXPECT_EQ(creasedEdgePoint(mid, smoothEdge, 1), mid);
    EXPECT_EQ(creasedEdgePoint(mid, smoothEdge, 3), mid);
    EXPECT_EQ(creasedEdgePoint(mid, smoothEdge, 0.25f), Vector(2, 3, 0));

    const std::vector<Vector> ends = {{8, 0, 0}, {0, 8, 0}, {-8, 0, 0}, {0, -16, 0}};
    const Vector smooth(1, 1, 1);
    auto neighbour = [&](int k) { return ends[k]; };
    auto smoothRule = [&] { return smooth; };
    struct Case {
        Ring ring;
        Vector expected;
    };
    const Case cases[] = {
        {{0, {0, 0, 0, 0}}, smooth},
        {{0, {2, 0, 2, 0}}, Vector(0, 0, 0)},                 // the curve through (8,0,0) and (-8,0,0)
        {{0, {0, 2, 0, 2}}, Vector(0, -1, 0)},                // 1/8 of (0,8,0) + (0,-16,0)
        {{0, {2, 2, 2, 0}}, p},                               // a corner stays
        {{0, {0, 0.5f, 0, 0.5f}}, Vector(0.5f, 0, 0.5f)},     // half curve (0,-1,0), half smooth
        {{0.5f, {0, 0, 0, 0}}, Vector(0.5f, 0.5f, 0.5f)},     // half corner, half smooth
        {{0, {10, 0.25f, 0, 10}}, Vector(0.75f, -1.5f, 0)},   // 1/4 corner, 3/4 the curve through ends 0 and 3
    };
    for (const Case& c : cases) {
        const Vector got = creasedVertexPoint(p, c.ring.neighbourhood(), neighbour, smoothRule);
        EXPECT_FLOAT_EQ(got.x, c.expected.x) << "vertex " << c.ring.vertex << ", case " << (&c - cases);
        EXPECT_FLOAT_EQ(got.y, c.expected.y) << "vertex " << c.ring.vertex << ", case " << (&c - cases);
        EXPECT_FLOAT_EQ(got.z, c.expected.z) << "vertex " << c.ring.vertex << ", case " << (&c - cases);
    }
}

// Chaikin creasing at a vertex, worked by hand: each semi-sharp edge's half
// takes 3/4 of its own sharpness and 1/4 of the mean of the other semi-sharp
// edges', less 1; smooth and infinite edges count for nothing and stay.
TEST(ChaikinSharpness, EachHalfBlendsWithTheOtherSemiSharpEdgesAtItsVertex) {
    struct Case {
        std::vector<float> ring;
        std::vector<float> halves;  // one level down, edge by edge
    };
    const Case cases[] = {
        {{2.5f, 0, 10, 0}, {1.5f, 0, 10, 0}},                   // one semi-sharp edge: s - 1
        {{0.5f, 0, 0}, {0, 0, 0}},                              // 0.5 - 1 <= 0: smooth
        {{2, 1, 0, 10}, {0.75f, 0.25f, 0, 10}},                 // two: 3/4 2 + 1/4 1 - 1, 3/4 1 + 1/4 2 - 1
        {{1, 1, 0, 0}, {0, 0, 0, 0}},                           // two of 1: both end smooth
        {{0.8f, 5, 0, 0}, {0.85f, 2.95f, 0, 0}},                // a weak edge beside a strong one stays sharp
        {{3, 1, 0.5f, 0}, {1.4375f, 0.1875f, 0, 0}},            // three: 3/4 s + 1/4 (mean of the other two) - 1
        {{3, 0, 1, 10, 0.5f}, {1.4375f, 0, 0.1875f, 10, 0}},    // the same with a smooth and an infinite edge between
        {{9.5f, 9.5f, 9.5f}, {8.5f, 8.5f, 8.5f}},               // all alike: uniform
    };
    for (const Case& c : cases) {
        const Ring ring{0, c.ring, CreasingMethod::Chaikin};
        const auto v = ring.neighbourhood();
        for (std::size_t k = 0; k < c.ring.size(); ++k) {
            EXPECT_FLOAT_EQ(v.edgeSharpnessAfterStep(static_cast<int>(k)), c.halves[k])
                << "case " << (&c - cases) << ", edge " << k;
        }
    }
    // A vertex of one edge wears off uniformly.
    EXPECT_EQ(chaikinSharpness(2, 1, 1, 2), 1);
    EXPECT_EQ(chaikinSharpness(10, 3, 2, 3), 10);
    EXPECT_EQ(chaikinSharpness(0, 3, 2, 3), 0);
}

// The vertex rules read the halves' sharpness: under Chaikin creasing an edge
// below 1 can stay sharp, and a whole one can fall to 0.
TEST(ChaikinSharpness, VertexRulesAfterTheStepFollowTheHalves) {
    struct Case {
        std::vector<float> ring;
        VertexRule uniformNext, chaikinNext;
        float chaikinWeight;  // of the present rule, where it differs from the next
    };
    const Case cases[] = {
        {{0.8f, 5, 0, 0}, VertexRule::Smooth, VertexRule::Crease, 1},      // 0.8 stays at 0.85
        {{1.1f, 0.5f, 0, 0}, VertexRule::Smooth, VertexRule::Smooth, 0.8f},  // both fall: (1.1 + 0.5)/2, not 0.5
        {{2, 0.5f, 0}, VertexRule::Smooth, VertexRule::Smooth, 0.5f},      // 2 stays at 0.625, 0.5 falls
    };
    for (const Case& c : cases) {
        const Ring uniformRing{0, c.ring, CreasingMethod::Uniform}, chaikinRing{0, c.ring, CreasingMethod::Chaikin};
        const auto uniform = uniformRing.neighbourhood(), chaikin = chaikinRing.neighbourhood();
        EXPECT_STREQ(nameOf(uniform.ruleAfterStep()), nameOf(c.uniformNext)) << "case " << (&c - cases);
        EXPECT_STREQ(nameOf(chaikin.ruleAfterStep()), nameOf(c.chaikinNext)) << "case " << (&c - cases);
        if (chaikin.rule() != chaikin.ruleAfterStep()) {
            EXPECT_FLOAT_EQ(chaikin.transitionWeight(), c.chaikinWeight) << "case " << (&c - cases);
        }
    }
}

// The edge rule with halves of their own: the midpoint while both stay
// sharp, otherwise the blend by the edge's sharpness, past the midpoint when
// that is above 1.
TEST(ChaikinSharpness, TheEdgePointIsTheMidpointOnlyWhileBothHalvesStaySharp) {
    const Vector mid(2, 0, 0), smooth(2, 4, 0);
    EXPECT_EQ(creasedEdgePoint(mid, smooth, 0.5f, 0.25f, 0.1f), mid);
    EXPECT_EQ(creasedEdgePoint(mid, smooth, 0.5f, 0.25f, 0), Vector(2, 2, 0));
    EXPECT_EQ(creasedEdgePoint(mid, smooth, 1.25f, 0, 0.25f), Vector(2, -1, 0));
}

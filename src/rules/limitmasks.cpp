#include "rules/limitmasks.h"

#include <cmath>

namespace facetry {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

void smoothTangentWeights(int n, std::vector<float>& edge, std::vector<float>& face) {
    const double theta = 2 * kPi / n, cosTheta = std::cos(theta), cosHalf = std::cos(theta / 2);
    const double lambda = 5.0 / 16 + (cosTheta + cosHalf * std::sqrt(2 * (9 + cosTheta))) / 16;
    const double faceScale = 1 / (4 * lambda - 1);
    edge.clear();
    face.clear();
    for (int i = 0; i < n; ++i) {
        edge.push_back(static_cast<float>(4 * std::cos(i * theta)));
        face.push_back(static_cast<float>(faceScale * (std::cos(i * theta) + std::cos((i + 1) * theta))));
    }
}

// The sector's weights are sin(i theta) (edges, times 4) and sin(i theta) +
// sin((i+1) theta) (faces), theta = pi / k, over k (3 + cos theta); the
// ends take -(1 + 2 cos theta) (1 + cos theta) / sin theta over the same, and
// p the rest.
CreaseTangentWeights creaseTangentWeights(int k) {
    const double theta = kPi / k, cosTheta = std::cos(theta), sinTheta = std::sin(theta);
    const double denominator = 1 / (k * (3 + cosTheta)), r = (cosTheta + 1) / sinTheta;
    CreaseTangentWeights c;
    c.ends = static_cast<float>(-r * (1 + 2 * cosTheta) * denominator);
    c.face.push_back(static_cast<float>(sinTheta * denominator));
    c.edge.push_back(0);
    for (int i = 1; i < k; ++i) {
        const double s = std::sin(i * theta), next = std::sin((i + 1) * theta);
        c.edge.push_back(static_cast<float>(4 * s * denominator));
        c.face.push_back(static_cast<float>((s + next) * denominator));
    }
    return c;
}

}  // namespace facetry

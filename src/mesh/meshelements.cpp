#include "mesh/meshelements.h"

#include <cstdio>

#include "mesh/catmullclark.h"
#include "mesh/creases.h"

int MeshVertex::counter = 0;
int MeshEdge::counter = 0;
int MeshFace::counter = 0;

void MeshVertex::setPosition(const Vector& p) {
    Vector d = p - pos;
    pos = p;
    for (int i = 0; i < faceVal(); ++i) {
        MeshFace* f = face(i);
        f->center += d / static_cast<float>(f->valence());
    }
}

Vector MeshVertex::vertexPoint() const {
    if (edgeVal() == 0) return pos;  // a vertex no face uses is not part of the surface
    bool creased = sharp > 0;
    for (int i = 0; i < edgeVal() && !creased; ++i) creased = edge(i)->sharpness() > 0 && !edge(i)->onBoundary();
    if (!creased) return smoothVertexPoint();
    return creasedVertexPoint(
        pos, sharp, edgeVal(), [this](int k) { return edge(k)->ruleSharpness(); },
        [this](int k) { return edge(k)->otherVertex(this)->position(); }, [this] { return smoothVertexPoint(); });
}

// The vertex point without creases: the boundary curve on the boundary.
Vector MeshVertex::smoothVertexPoint() const {
    if (onBoundary()) {
        Vector a = edge(0)->otherVertex(this)->position();
        Vector b = edge(edgeVal() - 1)->otherVertex(this)->position();
        return pos * kCurveVertexSelf + (a + b) * kCurveVertexNeighbour;
    }
    // ((n-2) P + average of neighbours + average of face points) / n, expanded.
    int n = faceVal();
    Vector s;
    for (int i = 0; i < n; ++i) s += face(i)->centroid() + edge(i)->otherVertex(this)->position();
    float selfWeight = static_cast<float>(1.0 - 2.0 / n);
    return s / static_cast<float>(n * n) + pos * selfWeight;
}

void MeshVertex::print() const {
    std::printf("[v%d e:{", id);
    for (int i = 0; i < edgeVal(); ++i) std::printf(i ? " %d" : "%d", edge(i)->id);
    std::printf("} f:{");
    for (int i = 0; i < faceVal(); ++i) std::printf(i ? " %d" : "%d", face(i)->id);
    std::printf("}]");
}

Vector MeshEdge::edgePoint() const {
    Vector a = vertex(0)->position(), b = vertex(1)->position();
    if (onBoundary()) return (a + b) * kCurveMidpoint;
    const Vector smooth = (((a + b) + face(0)->centroid()) + face(1)->centroid()) * kEdgePoint;
    return sharp > 0 ? creasedEdgePoint((a + b) * kCurveMidpoint, smooth, sharp) : smooth;
}

float MeshEdge::ruleSharpness() const { return onBoundary() ? kInfinitelySharp : sharp; }

void MeshEdge::print() const {
    std::printf("[e%d v:{%d %d}, f:{%d %d}]", id, vertex(0)->id, vertex(1)->id, face(0) ? face(0)->id : -1,
                face(1) ? face(1)->id : -1);
}

void MeshFace::computeCentroid() {
    center = Vector();
    for (int i = 0; i < valence(); ++i) center += vertex(i)->position();
    center /= static_cast<float>(valence());
}

void MeshFace::print() const {
    std::printf("[f%d v:{", id);
    for (int i = 0; i < valence(); ++i) std::printf(i ? " %d" : "%d", vertex(i)->id);
    std::printf("}]");
}

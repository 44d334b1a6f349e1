#include "mesh/meshelements.h"

#include <cstdio>

#include "rules/catmullclark.h"
#include "rules/creases.h"

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
    auto interiorSharpness = [this](int k) { return interiorEdgeSharpness(edge(k)->sharpness(), edge(k)->onBoundary()); };
    if (!takesCreaseRules(sharp, edgeVal(), interiorSharpness)) return smoothVertexPoint();
    return creasedVertexPoint(
        pos, vertexNeighbourhood(edgeVal(), sharp, [this](int k) { return edge(k)->ruleSharpness(); }),
        [this](int k) { return edge(k)->otherVertex(this)->position(); }, [this] { return smoothVertexPoint(); });
}

// The vertex point without creases: the boundary curve on the boundary.
Vector MeshVertex::smoothVertexPoint() const {
    if (onBoundary()) {
        Vector a = edge(0)->otherVertex(this)->position();
        Vector b = edge(edgeVal() - 1)->otherVertex(this)->position();
        return curveVertexPoint(pos, a + b);
    }
    int n = faceVal();
    Vector s;
    for (int i = 0; i < n; ++i) s += face(i)->centroid() + edge(i)->otherVertex(this)->position();
    return vertexPointOverFacePoints(pos, s, n);
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
    if (onBoundary()) return curveMidpoint(a, b);
    const Vector smooth = smoothEdgePoint(a, b, face(0)->centroid(), face(1)->centroid());
    return isSharp(sharp) ? creasedEdgePoint(curveMidpoint(a, b), smooth, sharp) : smooth;
}

float MeshEdge::ruleSharpness() const { return edgeRuleSharpness(sharp, onBoundary()); }

void MeshEdge::print() const {
    std::printf("[e%d v:{%d %d}, f:{%d %d}]", id, vertex(0)->id, vertex(1)->id, face(0) ? face(0)->id : -1,
                face(1) ? face(1)->id : -1);
}

void MeshFace::computeCentroid() {
    Vector corners;
    for (int i = 0; i < valence(); ++i) corners += vertex(i)->position();
    center = facePoint(corners, valence());
}

void MeshFace::print() const {
    std::printf("[f%d v:{", id);
    for (int i = 0; i < valence(); ++i) std::printf(i ? " %d" : "%d", vertex(i)->id);
    std::printf("}]");
}

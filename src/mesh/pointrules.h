#pragma once
// The control mesh's point rules (meshelements.h's vertexPoint and
// edgePoint) over any value the masks combine: the positions, and the
// surface's texture coordinates where the UV layout runs on across the
// vertex or edge. Written once here; the positions are one instance.

#include "mesh/mesh.h"
#include "mesh/meshelements.h"
#include "rules/catmullclark.h"
#include "rules/creases.h"

namespace facetry {

// Vertex v as its rules see it: its ring edges' sharpness, infinite on the boundary.
inline auto controlNeighbourhood(const MeshVertex* v, const SchemeOptions& options) {
    return vertexNeighbourhood(v->edgeVal(), v->sharpness(), [v](int k) { return v->edge(k)->ruleSharpness(); },
                               options.creasing);
}

template <class T, class Neighbour, class FacePoint>
T MeshVertex::vertexPointOf(const T& self, Neighbour neighbour, FacePoint facePoint) const {
    if (edgeVal() == 0) return self;  // a vertex no face uses is not part of the surface
    // Without a sharp edge or vertex anywhere, the rules are the smooth ones.
    if (!mesh->hasCreases()) return smoothVertexPointOf(self, neighbour, facePoint);
    auto interiorSharpness = [this](int k) { return interiorEdgeSharpness(edge(k)->sharpness(), edge(k)->onBoundary()); };
    if (!takesCreaseRules(sharpness(), edgeVal(), interiorSharpness)) return smoothVertexPointOf(self, neighbour, facePoint);
    return creasedVertexPoint(self, controlNeighbourhood(this, mesh->options()), neighbour,
                              [&] { return smoothVertexPointOf(self, neighbour, facePoint); });
}

// The vertex point without creases: the boundary curve on the boundary.
template <class T, class Neighbour, class FacePoint>
T MeshVertex::smoothVertexPointOf(const T& self, Neighbour neighbour, FacePoint facePoint) const {
    const int n = edgeVal();
    if (onBoundary()) return curveVertexPoint(self, neighbour(0) + neighbour(n - 1));
    T s;
    for (int i = 0; i < n; ++i) s += facePoint(i) + neighbour(i);
    return vertexPointOverFacePoints(self, s, n);
}

template <class T>
T MeshEdge::edgePointOf(const T& a, const T& b, const T& f0, const T& f1) const {
    if (onBoundary()) return curveMidpoint(a, b);
    const SchemeOptions& options = mesh->options();
    const float triangleWeight = options.triangles == TriangleSubdivision::Smooth
                                     ? smoothTriangleFaceWeight(face(0)->valence(), face(1)->valence())
                                     : 0.0f;
    const T smooth = triangleWeight > 0 ? smoothTriangleEdgePoint(a, b, f0, f1, triangleWeight)
                                        : smoothEdgePoint(a, b, f0, f1);
    const float s = sharpness();
    if (!isSharp(s)) return smooth;
    if (options.creasing == CreasingMethod::Uniform) return creasedEdgePoint(curveMidpoint(a, b), smooth, s);
    return creasedEdgePoint(curveMidpoint(a, b), smooth, s, vertex(0)->halfSharpnessAfterStep(this),
                            vertex(1)->halfSharpnessAfterStep(this));
}

}  // namespace facetry

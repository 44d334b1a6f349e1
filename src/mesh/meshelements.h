#pragma once
// The control-mesh elements: MeshVertex, MeshEdge and MeshFace are handles
// over the Mesh's index arrays (MeshTopology) and its flat arrays of
// positions, centroids, sharpness (see rules/creases.h) and links to the
// surface, one handle per element, whose id is its index. They answer the
// element queries and hold the Catmull-Clark point rules that give the first
// level of the surface when the control mesh is not made only of quads (the
// rules' masks from src/rules, applied to the elements' neighbours).
//
// A const Mesh hands out const handles, which only read; moving a vertex
// and linking an element to the surface take a mutable one.
//
// The ring, incidence and face-side checks are the topology's own
// (RingSizes, EdgeLinks, sidesAt), shared with the surface's handles, so a
// broken precondition reads the same, expression and file, from either mesh.

#include "math/vector.h"
#include "mesh/TopFace.h"
#include "mesh/mrvertexhost.h"
#include "mesh/topedge.h"
#include "mesh/topvertex.h"

namespace facetry {

class Mesh;
class MeshEdge;
class MeshFace;

class MeshVertex {
public:
    MeshVertex(Mesh* mesh_, int id_) : id(id_), mesh(mesh_) {}
    MeshVertex(const MeshVertex&) = delete;
    MeshVertex& operator=(const MeshVertex&) = delete;

    // The rings in cyclic order: face i lies between edge i and edge i+1; a
    // boundary vertex has its two boundary edges first and last and one
    // face fewer than edges; a vertex no face uses has empty rings.
    int edgeVal() const;
    int faceVal() const;
    const MeshEdge* edge(int i) const;
    const MeshFace* face(int i) const;
    bool onBoundary() const { return rings().onBoundary(); }
    // The edge that ends at v, or null.
    const MeshEdge* edgeTo(const MeshVertex* v) const;
    bool adjacent(const MeshVertex* v) const { return edgeTo(v) != nullptr; }

    Vector position() const;
    // Moves the vertex; the centroids of its faces follow by the same share.
    void setPosition(const Vector& p);
    // Catmull-Clark vertex point over the control mesh, with the crease
    // rules where the vertex or one of its edges is sharp. A vertex that no
    // face uses keeps its own position.
    Vector vertexPoint() const;
    // The same rules over any value the masks combine (a Vector or a
    // TexCoord): the vertex's own `self`, neighbour(k) at the far end of
    // ring edge k and facePoint(i) of ring face i. Defined in
    // mesh/pointrules.h, for the surface's texture coordinates.
    template <class T, class Neighbour, class FacePoint>
    T vertexPointOf(const T& self, Neighbour neighbour, FacePoint facePoint) const;
    // The vertex's own sharpness as the rules take it: its corner tag (0
    // unless tagged), infinite at a corner that boundary interpolation
    // "edge and corner" sharpens.
    float sharpness() const;
    // The sharpness the file tagged, whatever the options make of it.
    float taggedSharpness() const;
    // The sharpness one level down of the half of ring edge e at this
    // vertex: 1 less under uniform creasing, and under Chaikin creasing what
    // the semi-sharp edges of the ring make of it.
    float halfSharpnessAfterStep(const MeshEdge* e) const;
    // The surface vertex that stands for this vertex, which the surface's
    // build sets (mrvertexhost.h).
    MrVertex* mrVertex() const;
    void setMrV(MrVertex* v);
    void print() const;

    const int id;  // position in the mesh's vertex array

private:
    RingSizes rings() const { return {edgeVal(), faceVal()}; }
    Vector neighbour(int k) const;
    template <class T, class Neighbour, class FacePoint>
    T smoothVertexPointOf(const T& self, Neighbour neighbour, FacePoint facePoint) const;

    Mesh* mesh;  // the mesh the vertex belongs to
};

// Edges are numbered in order of first use; vertex(0) to vertex(1) runs the
// way its face(0), the lower-numbered face, goes round.
class MeshEdge {
public:
    MeshEdge(Mesh* mesh_, int id_) : id(id_), mesh(mesh_) {}
    MeshEdge(const MeshEdge&) = delete;
    MeshEdge& operator=(const MeshEdge&) = delete;

    const MeshVertex* vertex(int i) const;
    const MeshVertex* otherVertex(const MeshVertex* v) const;
    // face(1) is null on the boundary; indices other than 0 mean 1.
    const MeshFace* face(int i) const;
    // An edge with fewer than two faces lies on the boundary.
    bool onBoundary() const;
    bool incident(const MeshVertex* v) const;
    bool incident(const MeshFace* f) const;
    // Whether the two edges share an end.
    bool incident(const MeshEdge* e) const;

    // Catmull-Clark edge point: the midpoint on the boundary, otherwise the
    // average of both ends and both face centroids (beside a triangle, with
    // smooth triangles, the weights rules/catmullclark.h gives them),
    // blended towards the midpoint on a sharp edge.
    Vector edgePoint() const;
    // The same rules over any value: ends a and b, the face points f0 and f1
    // of face(0) and face(1) (f1 unused on the boundary). In mesh/pointrules.h.
    template <class T>
    T edgePointOf(const T& a, const T& b, const T& f0, const T& f1) const;
    // The edge's sharpness as tagged (0 unless tagged); a boundary edge is
    // infinitely sharp whatever its tag.
    float sharpness() const;
    // The sharpness the rules use: infinite on the boundary.
    float ruleSharpness() const;
    MrVertex* mrVertex() const;
    void setMrV(MrVertex* v);
    void print() const;

    const int id;  // position in the mesh's edge array

private:
    EdgeLinks links() const { return {vertex(0), vertex(1), face(0), face(1)}; }

    Mesh* mesh;  // the mesh the edge belongs to
};

// A face's vertices in order around it; edge i joins vertex i to vertex
// i+1, every index taken cyclically.
class MeshFace {
public:
    MeshFace(Mesh* mesh_, int id_) : id(id_), mesh(mesh_) {}
    MeshFace(const MeshFace&) = delete;
    MeshFace& operator=(const MeshFace&) = delete;

    int valence() const;
    const MeshVertex* vertex(int i) const;
    const MeshEdge* edge(int i) const;
    bool incident(const MeshEdge* e) const;
    // The two edges of this face that meet at v, in face order: edge j-1
    // then edge j for v at corner j > 0; edge 0 then the last edge at corner 0.
    void edgesAt(const MeshVertex* v, const MeshEdge*& e1, const MeshEdge*& e2) const;

    // The face point: the average of the vertex positions, kept current as
    // vertices move.
    Vector centroid() const;
    MrVertex* mrVertex() const;
    void setMrV(MrVertex* v);
    void print() const;

    const int id;  // position in the mesh's face array

private:
    Mesh* mesh;  // the mesh the face belongs to
};

}  // namespace facetry

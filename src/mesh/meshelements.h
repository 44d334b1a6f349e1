#pragma once
// The control-mesh elements: the topology bases plus an id, the link to the
// surface, a position (vertex) or centroid (face), a sharpness (vertex and
// edge; see rules/creases.h), and the Catmull-Clark point rules that give the
// first level of the surface when the control mesh is not made only of quads
// (the rules' masks from src/rules, applied to the elements' neighbours).
//
// Every id equals the element's position in its mesh's array: numbering
// starts at 0 whenever a mesh allocates an array (see startNumbering).

#include "math/vector.h"
#include "mesh/TopFace.h"
#include "mesh/mrvertexhost.h"
#include "mesh/topedge.h"
#include "mesh/topvertex.h"

class MeshEdge;
class MeshFace;

class MeshVertex : public TopVertex, public MrVertexHost {
public:
    MeshVertex() : id(counter++) {}
    static void startNumbering() { counter = 0; }

    MeshEdge* edge(int i) const;
    MeshFace* face(int i) const;

    Vector position() const { return pos; }
    // Moves the vertex; the centroids of its faces follow by the same share.
    void setPosition(const Vector& p);
    // Catmull-Clark vertex point over the control mesh, with the crease
    // rules where the vertex or one of its edges is sharp. A vertex that no
    // face uses keeps its own position.
    Vector vertexPoint() const;
    // The vertex's own sharpness (a corner tag): 0 unless tagged.
    float sharpness() const { return sharp; }
    void print() const;

    const int id;  // position in the mesh's vertex array

private:
    friend class MeshBuilder;
    Vector smoothVertexPoint() const;

    static int counter;
    Vector pos;        // position in space
    float sharp = 0;   // its sharpness
};

class MeshEdge : public TopEdge, public MrVertexHost {
public:
    MeshEdge() : id(counter++) {}
    static void startNumbering() { counter = 0; }

    MeshVertex* vertex(int i) const { return static_cast<MeshVertex*>(TopEdge::vertex(i)); }
    MeshVertex* otherVertex(const MeshVertex* v) const {
        return static_cast<MeshVertex*>(TopEdge::otherVertex(v));
    }
    MeshFace* face(int i) const;

    // Catmull-Clark edge point: the midpoint on the boundary, otherwise the
    // average of both ends and both face centroids, blended towards the
    // midpoint on a sharp edge.
    Vector edgePoint() const;
    // The edge's sharpness as tagged (0 unless tagged); a boundary edge is
    // infinitely sharp whatever its tag.
    float sharpness() const { return sharp; }
    // The sharpness the rules use: infinite on the boundary.
    float ruleSharpness() const;
    void print() const;

    const int id;  // position in the mesh's edge array

private:
    friend class MeshBuilder;
    static int counter;
    float sharp = 0;  // its sharpness as tagged
};

class MeshFace : public TopFace, public MrVertexHost {
public:
    MeshFace() : id(counter++) {}
    static void startNumbering() { counter = 0; }

    MeshVertex* vertex(int i) const { return static_cast<MeshVertex*>(TopFace::vertex(i)); }
    MeshEdge* edge(int i) const { return static_cast<MeshEdge*>(TopFace::edge(i)); }

    // The face point: the average of the vertex positions, kept current as
    // vertices move.
    Vector centroid() const { return center; }
    void computeCentroid();
    void print() const;

    const int id;  // position in the mesh's face array

private:
    friend class MeshVertex;
    static int counter;
    Vector center;  // average of the vertex positions
};

inline MeshEdge* MeshVertex::edge(int i) const { return static_cast<MeshEdge*>(TopVertex::edge(i)); }
inline MeshFace* MeshVertex::face(int i) const { return static_cast<MeshFace*>(TopVertex::face(i)); }
inline MeshFace* MeshEdge::face(int i) const { return static_cast<MeshFace*>(TopEdge::face(i)); }

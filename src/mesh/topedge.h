#pragma once
// The incidence checks that both meshes' edges share (EdgeLinks), and
// TopEdge, an edge of the element-by-element API: pure topology, two
// distinct ends and at most two faces, the faces in the order they were
// attached (not by side).

namespace facetry {

class TopVertex;
class TopFace;

// An edge's ends and faces as plain addresses, and the incidence queries on
// them. TopEdge answers through it, and so do the edge handles of the
// control mesh and of the surface: all check the same preconditions here, so
// a broken one reads the same, expression and file, from any of them. The addresses are only compared, never followed.
struct EdgeLinks {
    const void* v0;  // first end
    const void* v1;  // second end
    const void* f0;  // first face attached, or null
    const void* f1;  // second face attached, or null

    // Whether v is an end; asserts v.
    bool incident(const void* v) const;
    // Whether the two edges share an end; asserts e.
    bool incident(const EdgeLinks* e) const;
    // Whether f is one of the faces; asserts f.
    bool incidentFace(const void* f) const;
    // The end that is not v, as 0 for v0 or 1 for v1; asserts that v is an end.
    int otherEnd(const void* v) const;
};

class TopEdge {
public:
    TopEdge() = default;
    TopEdge(const TopEdge&) = delete;
    TopEdge& operator=(const TopEdge&) = delete;

    // Late initialisation: joins the edge rings of v0_, then v1_.
    void setVertices(TopVertex* v0_, TopVertex* v1_);
    // Attaches a face as face(0), then face(1); there is no room for a third.
    void addFace(TopFace* f);

    bool incident(const TopVertex* v) const;
    bool incident(const TopFace* f) const;

    TopVertex* vertex(int i) const { return i == 0 ? v0 : v1; }
    TopFace* face(int i) const { return i == 0 ? f0 : f1; }
    // An edge with fewer than two faces lies on the boundary.
    bool onBoundary() const { return !(f0 && f1); }
    TopVertex* otherVertex(const TopVertex* v) const;

private:
    EdgeLinks links() const { return {v0, v1, f0, f1}; }

    TopVertex* v0 = nullptr;  // first end, in the direction of the face that made the edge
    TopVertex* v1 = nullptr;  // second end
    TopFace* f0 = nullptr;    // first face attached
    TopFace* f1 = nullptr;    // second face attached, null on a boundary edge
};

}  // namespace facetry

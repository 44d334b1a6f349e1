#pragma once
// Level 0 of the surface, made from the control mesh. It is the control mesh
// itself when every control face is a quad (the quad path), and otherwise
// one Catmull-Clark step of it (the refinement path), numbered as
// LevelZeroNumbering says and with the control mesh's orientation.
// MrMesh::build takes these steps in turn: the numbering, the topology, the
// sharpness, the positions (and, in texturecoordinates.h, the texture
// coordinates).

#include "math/vector.h"
#include "mesh/mesh.h"
#include "mesh/meshtopology.h"
#include "mr/mrtopology.h"

namespace facetry {

// How level 0 numbers the elements it makes. On the quad path they are the
// control mesh's own. On the refinement path, from a control mesh of cF
// faces, cE edges and cV vertices:
// - vertices: the point of control face f is vertex f, of control edge e
//   vertex cF + e, of control vertex v vertex cF + cE + v;
// - edges: control edge e gives the halves 2e (from its vertex(0) to its
//   point) and 2e + 1 (from its point to its vertex(1)); control corner k
//   (its index among all faces' corners, MeshTopology::faceStart) the edge
//   2cE + k from its edge point to the face point;
// - faces: corner k gives quad k.
class LevelZeroNumbering {
public:
    LevelZeroNumbering() = default;  // the quad path of an empty mesh
    // Decides the path: the refinement path when some control face is not a quad.
    explicit LevelZeroNumbering(const MeshTopology& control);

    // Whether level 0 is one step of the control mesh (the refinement path).
    bool refined() const { return isRefined; }
    int numV() const { return isRefined ? controlFaces + controlEdges + controlVertices : controlVertices; }
    int numE() const { return isRefined ? 2 * controlEdges + controlCorners : controlEdges; }
    int numF() const { return isRefined ? controlCorners : controlFaces; }

    // The vertex of control vertex v: v itself on the quad path.
    int vertexVertex(int v) const { return isRefined ? controlFaces + controlEdges + v : v; }
    // On the refinement path only: the vertices of face and edge points, the
    // halves of control edge e (end 0 at its vertex(0), 1 at its vertex(1)),
    // and the edge of control corner k.
    int faceVertex(int f) const { return f; }
    int edgeVertex(int e) const { return controlFaces + e; }
    int edgeHalf(int e, int end) const { return 2 * e + end; }
    int cornerEdge(int corner) const { return 2 * controlEdges + corner; }
    // The control edge whose point is vertex v, or -1 (always on the quad path).
    int controlEdgeAt(int v) const {
        return isRefined && v >= controlFaces && v < controlFaces + controlEdges ? v - controlFaces : -1;
    }

private:
    bool isRefined = false;
    int controlVertices = 0;
    int controlEdges = 0;
    int controlFaces = 0;
    int controlCorners = 0;  // the corners of all control faces
};

// Level 0's quads, edges and rings into `topology` (its counts and every
// array but the sharpness, allocated here), on up to `threads` threads. On
// the refinement path the rings follow from the control mesh's by index
// arithmetic.
void buildLevelZeroTopology(const Mesh& mesh, const LevelZeroNumbering& numbering, MrTopology& topology, int threads);

// The control mesh's sharpness on level 0's edges and vertices (on the
// refinement path one level down: the halves of a control edge take its
// sharpness, the edges inside the faces are smooth), and which vertices it
// gives the crease rules. Nothing is kept when nothing is sharp.
void takeSharpness(const Mesh& mesh, const LevelZeroNumbering& numbering, MrTopology& topology);

// The control mesh's holes on level 0's faces: on the refinement path every
// quad of a hole face. Nothing is kept when no face is a hole.
void takeHoles(const Mesh& mesh, const LevelZeroNumbering& numbering, MrTopology& topology);

// Level 0's positions into `positions` (numbering.numV() of them): the
// control vertices' on the quad path, the control mesh's point rules on the
// refinement path.
void levelZeroPositions(const Mesh& mesh, const LevelZeroNumbering& numbering, Vector* positions, int threads);

}  // namespace facetry

#pragma once
// Mesh: the control mesh the user edits. It comes into being once, from a
// text file (read) or from indexed data (MeshBuilder), and afterwards only its
// vertex positions change.
//
// Its topology is one set of index arrays (MeshTopology); its positions,
// centroids, sharpness and links to the surface are flat arrays beside them;
// MeshVertex, MeshEdge and MeshFace are handles over both.
//
// Invariants after loading: every id equals the element's array position;
// every edge belongs to one or two accepted faces; the faces around every
// vertex that has any form one fan, and its rings are in cyclic order; every
// face's centroid is the average of its vertex positions.

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "math/vector.h"
#include "mesh/handles.h"
#include "mesh/meshelements.h"
#include "mesh/meshtopology.h"
#include "rules/options.h"

namespace facetry {

// A fatal input error, carrying the message the program prints for it and,
// where the reader knows them, the file and the line it is about. The OBJ and
// OFF readers put the place in front of the message; the text format's
// messages stand alone, as the programs have always printed them.
class LoadError : public std::runtime_error {
public:
    explicit LoadError(const std::string& message) : std::runtime_error(message) {}
    LoadError(const std::string& message, std::string file, long line)
        : std::runtime_error(message), source(std::move(file)), lineNumber(line) {}

    // The file the error is about, or empty; its line (1 for the first), or
    // 0 for an error about the whole mesh or one whose line is not known.
    const std::string& file() const { return source; }
    long line() const { return lineNumber; }
    // The message with its place in front, "FILE:LINE: message" ("FILE:
    // message" without a line), for callers that show it away from the file:
    // what() itself when it already begins with the file's name or no file is known.
    std::string located() const;

private:
    std::string source;   // the file, or empty
    long lineNumber = 0;  // the line, or 0
};

// Where loading reports what it drops and warns about without stopping.
using MessageSink = std::function<void(const std::string&)>;

class Mesh {
public:
    Mesh() = default;
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Fills an empty mesh from the text format. Warnings go to standard
    // error; a fatal input error prints its message and exits with status -1.
    void read(FILE* input);
    // The same reading for callers that go on after bad input: fatal errors
    // are thrown as LoadError, warnings go to `report`. The mesh is left
    // empty when it throws.
    void load(FILE* input, const MessageSink& report);

    // The elements; a const mesh gives handles that only read.
    const MeshVertex* vertex(int i) const {
        FACETRY_ASSERT(0<=i && i<numV);
        return &vertices[i];
    }
    MeshVertex* vertex(int i) {
        FACETRY_ASSERT(0<=i && i<numV);
        return &vertices[i];
    }
    const MeshEdge* edge(int i) const {
        FACETRY_ASSERT(0<=i && i<numE);
        return &edges[i];
    }
    MeshEdge* edge(int i) {
        FACETRY_ASSERT(0<=i && i<numE);
        return &edges[i];
    }
    const MeshFace* face(int i) const {
        FACETRY_ASSERT(0<=i && i<numF);
        return &faces[i];
    }
    MeshFace* face(int i) {
        FACETRY_ASSERT(0<=i && i<numF);
        return &faces[i];
    }
    int numVertices() const { return numV; }
    int numEdges() const { return numE; }
    int numFaces() const { return numF; }
    // The number of face corners.
    int totalValence() const;
    // The elements and how they meet, as index arrays.
    const MeshTopology& topology() const { return topo; }
    // Whether some edge or vertex has a sharpness above 0 (see rules/creases.h).
    bool hasCreases() const { return creased; }
    // The scheme options the file asked for (the defaults when it asked none).
    const SchemeOptions& options() const { return schemeOptions; }
    // Whether face f is a hole: it keeps its vertices and its part in its
    // neighbours' rules, but has no surface of its own.
    bool isHole(int f) const { return !holes.empty() && holes[f] != 0; }
    bool hasHoles() const { return !holes.empty(); }
    // Whether the faces carry texture coordinates: all of them do, or none.
    bool hasTextureCoordinates() const { return !cornerTex.empty(); }
    // u, v per texture coordinate, in file order; empty when the faces carry none.
    const std::vector<float>& textureCoordinates() const { return texCoords; }
    // The texture coordinate of corner k of face f: the corner at
    // face(f)->vertex(k), which is topology().cornerVertices[topology().faceStart[f] + k].
    int cornerTextureCoordinate(int f, int k) const;
    // Componentwise minimum and maximum of the vertex positions.
    void boundingBox(Vector& min, Vector& max) const;

    // Diagnostic dump of every element on standard output.
    void print() const;

private:
    friend class MeshBuilder;
    friend class MeshVertex;
    friend class MeshEdge;
    friend class MeshFace;
    void clear();

    int numV = 0;                   // number of vertices
    Handles<MeshVertex> vertices;   // numV vertex handles, in file order
    int numE = 0;                   // number of edges
    Handles<MeshEdge> edges;        // numE edge handles, in order of first use
    int numF = 0;                   // number of accepted faces
    Handles<MeshFace> faces;        // numF face handles, in file order

    MeshTopology topo;                        // how the elements meet
    std::vector<Vector> positions;            // per vertex, its position
    std::vector<Vector> centroids;            // per face, the average of its vertex positions
    std::vector<float> vertexSharpness;       // per vertex, its sharpness (0 unless tagged)
    std::vector<float> edgeSharpness;         // per edge, its sharpness as tagged
    std::vector<MrVertexHost> vertexLinks;    // per vertex, the surface vertex that stands for it
    std::vector<MrVertexHost> edgeLinks;      // per edge, likewise (on the refinement path only)
    std::vector<MrVertexHost> faceLinks;      // per face, likewise (on the refinement path only)

    bool creased = false;           // some edge or vertex is sharp
    SchemeOptions schemeOptions;    // as tagged
    std::vector<unsigned char> holes;  // per face, 1 for a hole; empty when there is none
    std::vector<float> texCoords;   // u, v per texture coordinate
    std::vector<int> cornerTex;     // per corner (as topo.cornerVertices), its texture coordinate; empty for none
};

// The element queries that loops over a whole mesh take, inline.
inline int MeshVertex::edgeVal() const { return mesh->topo.edgeVal(id); }
inline int MeshVertex::faceVal() const { return mesh->topo.faceVal(id); }
inline const MeshEdge* MeshVertex::edge(int i) const {
    return &mesh->edges[mesh->topo.ringEdges[mesh->topo.ringStart[id] + rings().edgeEntry(i)]];
}
inline const MeshFace* MeshVertex::face(int i) const {
    return &mesh->faces[mesh->topo.ringFaces[mesh->topo.ringStart[id] + rings().faceEntry(i)]];
}
inline Vector MeshVertex::position() const { return mesh->positions[id]; }
inline float MeshVertex::sharpness() const { return mesh->vertexSharpness[id]; }
inline const MeshVertex* MeshEdge::vertex(int i) const { return &mesh->vertices[mesh->topo.edgeVertices[2 * id + (i == 0 ? 0 : 1)]]; }
inline const MeshFace* MeshEdge::face(int i) const {
    const int f = mesh->topo.edgeFaces[2 * id + (i == 0 ? 0 : 1)];
    return f < 0 ? nullptr : &mesh->faces[f];
}
inline bool MeshEdge::onBoundary() const { return mesh->topo.edgeFaces[2 * id + 1] < 0; }
inline float MeshEdge::sharpness() const { return mesh->edgeSharpness[id]; }
inline int MeshFace::valence() const { return mesh->topo.valence(id); }
inline const MeshVertex* MeshFace::vertex(int i) const {
    return &mesh->vertices[mesh->topo.cornerVertices[mesh->topo.faceStart[id] + wrapIndex(i, valence())]];
}
inline const MeshEdge* MeshFace::edge(int i) const {
    return &mesh->edges[mesh->topo.cornerEdges[mesh->topo.faceStart[id] + wrapIndex(i, valence())]];
}
inline Vector MeshFace::centroid() const { return mesh->centroids[id]; }

}  // namespace facetry

#pragma once
// Mesh: the control mesh the user edits. It comes into being once, from a
// text file (read) or from indexed data (MeshBuilder), and afterwards only its
// vertex positions change.
//
// Invariants after loading: every id equals the element's array position;
// every edge belongs to one or two accepted faces; the faces around every
// vertex that has any form one fan, and its rings are in cyclic order; every
// face's centroid is the average of its vertex positions.

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "math/vector.h"
#include "mesh/meshelements.h"
#include "mesh/meshtopology.h"

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

    MeshVertex* vertex(int i) const {
        FACETRY_ASSERT(0<=i && i<numV);
        return &vertices[i];
    }
    MeshEdge* edge(int i) const {
        FACETRY_ASSERT(0<=i && i<numE);
        return &edges[i];
    }
    MeshFace* face(int i) const {
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
    void clear();

    int numV = 0;                   // number of vertices
    MeshVertex* vertices = nullptr; // numV vertices in file order
    int numE = 0;                   // number of edges
    MeshEdge* edges = nullptr;      // numE edges in order of first use
    int numF = 0;                   // number of accepted faces
    MeshFace* faces = nullptr;      // numF faces in file order

    MeshTopology topo;              // the same topology as index arrays
    // The storage of the rings and face lists, one array each for all elements.
    std::unique_ptr<TopEdge*[]> ringEdges;        // every vertex's edge ring in turn
    std::unique_ptr<TopFace*[]> ringFaces;        // every vertex's face ring in turn
    std::unique_ptr<TopVertex*[]> faceVertexList; // every face's vertices in turn
    std::unique_ptr<TopEdge*[]> faceEdgeList;     // every face's edges in turn

    bool creased = false;           // some edge or vertex is sharp
    std::vector<float> texCoords;   // u, v per texture coordinate
    std::vector<int> cornerTex;     // per corner (as topo.cornerVertices), its texture coordinate; empty for none
};

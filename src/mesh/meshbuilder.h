#pragma once
// MeshBuilder: checks a control mesh face by face on plain indices and then
// builds the Mesh in one go. Every reader goes through it, so every format
// gets the same checks and the same messages, which are written here alone:
// - a face of more than kMaxFaceValence or fewer than 3 vertices, one that
//   repeats a vertex, and one that would give one of its edges a third face
//   are dropped with a message and leave nothing behind; messages number
//   faces by the slot the next accepted face takes;
// - edges are numbered in order of first use, each taking the direction of
//   the face that first needed it; a declared edge count is an upper bound
//   ("Too many edges" beyond it), and fewer edges are reported at the end;
// - vertices that no face uses are kept but take no part in the surface;
// - a vertex whose faces do not form one fan, a mesh without vertices and a
//   mesh without faces are fatal;
// - texture coordinates go with the faces that name them, every face or none;
// - sharpness is set per edge and per vertex once the faces are in, the last
//   value given standing. A reader checks what it hands over: indices in
//   range, sharpness finite and not negative.
// Working on indices first means no memory is committed for counts the input
// announces but never delivers. Edges are found through a hash table of
// vertex pairs and rings are put in order on index arrays, so loading takes
// time linear in the input whatever the order of its vertices and faces.

#include <cstdint>
#include <utility>
#include <vector>

#include "mesh/mesh.h"

namespace facetry {

// The most vertices a face may have.
constexpr int kMaxFaceValence = 20;

class MeshBuilder {
public:
    // Messages about dropped faces and the edge count go to `report`.
    explicit MeshBuilder(MessageSink report);

    // The edge count the input declares: the faces may make at most that
    // many edges, and finish() reports it when they make fewer. Formats that
    // declare none leave the edges unbounded.
    void declareEdgeCount(int count) { declaredEdges = count; }
    void addVertex(const Vector& p) { positions.push_back(p); }
    int vertexCount() const { return static_cast<int>(positions.size()); }
    // The number of faces accepted so far: the slot the next face goes into.
    int faceCount() const { return static_cast<int>(faceStart.size()) - 1; }
    int edgeCount() const { return static_cast<int>(edgeEnds.size() / 2); }

    // Texture coordinates, in file order (index 0 is the first).
    void addTextureCoordinate(float u, float v);
    int textureCoordinateCount() const { return static_cast<int>(texCoords.size() / 2); }

    // Checks one face whose indices are all valid vertex indices and, if it
    // passes, accepts it; returns whether it was accepted. A face of more
    // than kMaxFaceValence vertices is dropped without its indices being
    // read, so a reader may stop keeping them at the limit. Throws LoadError
    // ("Too many edges") when the face needs an edge beyond the declared count.
    // `texIndices` holds the face's texture-coordinate indices, one valid
    // index per corner, or is null for none; they are kept with the face when
    // it is accepted and dropped with it otherwise. Either every accepted face
    // has them or none has (asserted: a reader reports a mix first).
    bool addFace(const int* indices, int count, const int* texIndices = nullptr);

    // The edge that accepted faces made between vertices a and b, or -1.
    int findEdge(int a, int b) const;
    // A crease or corner as the input gives it, once the faces are in: the
    // edge between vertices a and b, or vertex v, gets sharpness s. Throws
    // LoadError, without a place, when a vertex index is out of range, a and
    // b share no edge, or s is negative or not finite; the OBJ tags and the
    // arrays of a program say the same.
    void tagCrease(std::int64_t a, std::int64_t b, float s);
    void tagCorner(std::int64_t v, float s);
    // The sharpness of an edge (by its index) and of a vertex; 0 is smooth.
    // The value must be finite and not negative; a later call for the same
    // element replaces an earlier one.
    void setEdgeSharpness(int edge, float s);
    void setVertexSharpness(int vertex, float s);

    // The scheme options the mesh is to carry; the defaults unless set.
    void setOptions(const SchemeOptions& o) { options = o; }
    // Marks accepted face f (by its slot, as faceCount() numbers them) a hole.
    void setHole(int face);

    // Reports a declared edge count the faces did not reach, then builds the
    // checked mesh into an empty Mesh, with its sharpness and, when the faces
    // carry them, its texture coordinates. Throws LoadError.
    void finish(Mesh& mesh);

private:
    // The edges met so far, by their unordered vertex pair: open addressing
    // with linear probing, at most half full.
    class EdgeTable {
    public:
        // The edge joining a and b, or -1.
        int find(int a, int b) const;
        void insert(int a, int b, int edge);

    private:
        static std::uint64_t key(int a, int b);
        std::size_t slot(std::uint64_t key) const;
        void grow();

        std::vector<std::uint64_t> keys;  // per slot: the pair (smaller index high), or kEmpty
        std::vector<int> edges;           // per slot: the edge of that pair
        std::size_t used = 0;             // slots holding a pair
        int shift = 64;                   // 64 - log2(slot count)
    };

    void orderRings(MeshTopology& topology) const;
    void makeElements(MeshTopology& topology, Mesh& mesh);
    void takeSharpness(Mesh& mesh) const;

    MessageSink report;
    int declaredEdges = -1;               // the declared edge count, or -1 for none
    std::vector<Vector> positions;        // one per vertex
    EdgeTable edgeTable;                  // every edge by its ends
    std::vector<int> edgeEnds;            // two vertex indices per edge
    std::vector<unsigned char> edgeFaces; // per edge, the number of accepted faces
    std::vector<int> faceStart{0};        // accepted face k spans faceIndices[faceStart[k]..faceStart[k+1])
    std::vector<int> faceIndices;         // vertex indices of the accepted faces
    std::vector<int> faceEdges;           // per face corner k, the edge from it to the next corner
    std::vector<float> texCoords;         // u, v per texture coordinate
    std::vector<int> faceTex;             // per face corner, its texture coordinate; empty for faces without
    // Sharpness as set, in order: only what is tagged takes memory.
    std::vector<std::pair<int, float>> edgeSharpness;    // edge, sharpness
    std::vector<std::pair<int, float>> vertexSharpness;  // vertex, sharpness
    SchemeOptions options;
    std::vector<int> holeFaces;           // accepted faces marked holes, in the order marked
};

}  // namespace facetry

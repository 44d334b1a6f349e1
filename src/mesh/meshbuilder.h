#pragma once
// MeshBuilder: checks a control mesh face by face on plain indices and then
// builds the Mesh in one go. Every reader goes through it, so every format
// gets the same checks and messages:
// - a face that repeats a vertex, or that would give one of its edges a third
//   face, is dropped with a message and leaves nothing behind;
// - edges are numbered in order of first use, each taking the direction of
//   the face that first needed it;
// - vertices that no face uses are kept but take no part in the surface;
// - a vertex whose faces do not form one fan, a mesh without vertices and a
//   mesh without faces are fatal.
// Working on indices first means no memory is committed for counts the input
// announces but never delivers. Edges are found through a hash table of
// vertex pairs and rings are put in order on index arrays, so loading takes
// time linear in the input whatever the order of its vertices and faces.

#include <cstdint>
#include <limits>
#include <vector>

#include "mesh/mesh.h"

class MeshBuilder {
public:
    // edgeLimit: the most edges the faces may create ("Too many edges" beyond
    // it); a format that declares no edge count passes the default.
    explicit MeshBuilder(MessageSink report, long long edgeLimit = std::numeric_limits<long long>::max());

    // The most edges the faces may create; "Too many edges" beyond it.
    void setEdgeLimit(long long limit) { edgeLimit = limit; }
    void addVertex(const Vector& p) { positions.push_back(p); }
    int vertexCount() const { return static_cast<int>(positions.size()); }
    // The number of faces accepted so far: the slot the next face goes into.
    int faceCount() const { return static_cast<int>(faceStart.size()) - 1; }
    int edgeCount() const { return static_cast<int>(edgeEnds.size() / 2); }

    // Checks one face of 3 to 20 vertices whose indices are all valid and, if
    // it passes, accepts it. Returns whether it was accepted.
    bool addFace(const int* indices, int count);

    // Builds the checked mesh into an empty Mesh. Throws LoadError.
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
    void linkElements(const MeshTopology& topology, Mesh& mesh) const;

    MessageSink report;
    long long edgeLimit;
    std::vector<Vector> positions;        // one per vertex
    EdgeTable edgeTable;                  // every edge by its ends
    std::vector<int> edgeEnds;            // two vertex indices per edge
    std::vector<unsigned char> edgeFaces; // per edge, the number of accepted faces
    std::vector<int> faceStart{0};        // accepted face k spans faceIndices[faceStart[k]..faceStart[k+1])
    std::vector<int> faceIndices;         // vertex indices of the accepted faces
    std::vector<int> faceEdges;           // per face corner k, the edge from it to the next corner
};

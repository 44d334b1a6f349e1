#include "mesh/meshbuilder.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <numeric>
#include <utility>

namespace {

constexpr int kMaxFaceValence = 20;
constexpr std::uint64_t kEmpty = ~std::uint64_t(0);

std::string format(const char* pattern, int value) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

std::uint64_t MeshBuilder::EdgeTable::key(int a, int b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(a) << 32) | static_cast<std::uint32_t>(b);
}

// Fibonacci hashing: the high bits of the key times 2^64 / golden ratio.
std::size_t MeshBuilder::EdgeTable::slot(std::uint64_t k) const {
    return static_cast<std::size_t>((k * 0x9E3779B97F4A7C15ull) >> shift);
}

int MeshBuilder::EdgeTable::find(int a, int b) const {
    if (keys.empty()) return -1;
    const std::uint64_t k = key(a, b);
    const std::size_t mask = keys.size() - 1;
    for (std::size_t s = slot(k);; s = (s + 1) & mask) {
        if (keys[s] == k) return edges[s];
        if (keys[s] == kEmpty) return -1;
    }
}

void MeshBuilder::EdgeTable::insert(int a, int b, int edge) {
    if (2 * (used + 1) > keys.size()) grow();
    const std::uint64_t k = key(a, b);
    const std::size_t mask = keys.size() - 1;
    std::size_t s = slot(k);
    while (keys[s] != kEmpty) s = (s + 1) & mask;
    keys[s] = k;
    edges[s] = edge;
    ++used;
}

void MeshBuilder::EdgeTable::grow() {
    std::vector<std::uint64_t> oldKeys(keys.empty() ? 64 : 2 * keys.size(), kEmpty);
    std::vector<int> oldEdges(oldKeys.size());
    oldKeys.swap(keys);
    oldEdges.swap(edges);
    shift = 64;
    for (std::size_t size = keys.size(); size > 1; size /= 2) --shift;
    const std::size_t mask = keys.size() - 1;
    for (std::size_t k = 0; k < oldKeys.size(); ++k) {
        if (oldKeys[k] == kEmpty) continue;
        std::size_t s = slot(oldKeys[k]);
        while (keys[s] != kEmpty) s = (s + 1) & mask;
        keys[s] = oldKeys[k];
        edges[s] = oldEdges[k];
    }
}

MeshBuilder::MeshBuilder(MessageSink report_, long long edgeLimit_)
    : report(std::move(report_)), edgeLimit(edgeLimit_) {}

bool MeshBuilder::addFace(const int* indices, int count) {
    const int slot = faceCount();
    for (int p = 0; p < count; ++p)
        for (int q = p + 1; q < count; ++q)
            if (indices[p] == indices[q]) {
                report(format("ERROR: Face %d -- repeats a vertex", slot));
                return false;
            }
    // Every side is tested before any edge is made, so a dropped face leaves
    // no edge behind.
    int sides[kMaxFaceValence];
    for (int p = 0; p < count; ++p) {
        sides[p] = edgeTable.find(indices[p], indices[(p + 1) % count]);
        if (sides[p] >= 0 && edgeFaces[sides[p]] >= 2) {
            report(format("ERROR: Face %d -- creates non-manifold geometry", slot));
            return false;
        }
    }
    for (int p = 0; p < count; ++p) {
        int e = sides[p];
        if (e < 0) {
            if (edgeCount() >= edgeLimit) throw LoadError("Too many edges");
            const int a = indices[p], b = indices[(p + 1) % count];
            e = edgeCount();
            edgeEnds.push_back(a);
            edgeEnds.push_back(b);
            edgeFaces.push_back(0);
            edgeTable.insert(a, b, e);
        }
        ++edgeFaces[e];
        faceEdges.push_back(e);
    }
    faceIndices.insert(faceIndices.end(), indices, indices + count);
    faceStart.push_back(static_cast<int>(faceIndices.size()));
    return true;
}

// The faces at a vertex must form one fan: joining, for every face corner at
// the vertex, the corner's two edges must link all of the vertex's edges into
// one path or cycle. Edges are joined by their position in the vertex's list,
// which holds them in increasing order.
void MeshBuilder::checkFans(const std::vector<int>& edgeStart, const std::vector<int>& edgeList,
                            const std::vector<int>& cornerStart, const std::vector<std::int64_t>& corners) const {
    std::vector<int> parent;
    for (int v = 0; v + 1 < static_cast<int>(edgeStart.size()); ++v) {
        const int* first = edgeList.data() + edgeStart[v];
        const int n = edgeStart[v + 1] - edgeStart[v];
        if (n == 0) continue;
        parent.resize(n);
        std::iota(parent.begin(), parent.end(), 0);
        auto root = [&parent](int i) {
            while (parent[i] != i) i = parent[i] = parent[parent[i]];
            return i;
        };
        auto local = [first, n](int edge) { return static_cast<int>(std::lower_bound(first, first + n, edge) - first); };
        int components = n;
        for (int c = cornerStart[v]; c < cornerStart[v + 1]; ++c) {
            const int face = static_cast<int>(corners[c] >> 5), j = static_cast<int>(corners[c] & 31);
            const int start = faceStart[face], size = faceStart[face + 1] - start;
            const int a = root(local(faceEdges[start + (j + size - 1) % size]));
            const int b = root(local(faceEdges[start + j]));
            if (a != b) {
                parent[a] = b;
                --components;
            }
        }
        if (components != 1)
            throw LoadError(format("Non-manifold geometry -- the faces at vertex %d do not form one fan", v));
    }
}

void MeshBuilder::finish(Mesh& mesh) {
    FACETRY_ASSERT(!mesh.numV && !mesh.numE && !mesh.numF);
    if (positions.empty()) throw LoadError("ERROR: the mesh has no vertices");
    if (faceCount() == 0) throw LoadError("ERROR: the mesh has no faces");
    const int numV = vertexCount(), numF = faceCount(), numE = edgeCount();
    const int numCorners = static_cast<int>(faceIndices.size());

    // Per vertex: its edges in order of creation, and its face corners in
    // face order (face and corner packed; a face has at most 20 corners).
    std::vector<int> edgeStart(numV + 1, 0), cornerStart(numV + 1, 0);
    for (int v : edgeEnds) ++edgeStart[v + 1];
    for (int v : faceIndices) ++cornerStart[v + 1];
    std::partial_sum(edgeStart.begin(), edgeStart.end(), edgeStart.begin());
    std::partial_sum(cornerStart.begin(), cornerStart.end(), cornerStart.begin());
    std::vector<int> edgeList(edgeEnds.size());
    std::vector<std::int64_t> corners(numCorners);
    {
        std::vector<int> fill(edgeStart.begin(), edgeStart.end() - 1);
        for (int e = 0; e < numE; ++e)
            for (int end = 0; end < 2; ++end) edgeList[fill[edgeEnds[2 * e + end]]++] = e;
        fill.assign(cornerStart.begin(), cornerStart.end() - 1);
        for (int f = 0; f < numF; ++f)
            for (int k = faceStart[f]; k < faceStart[f + 1]; ++k)
                corners[fill[faceIndices[k]]++] = (static_cast<std::int64_t>(f) << 5) | (k - faceStart[f]);
    }
    checkFans(edgeStart, edgeList, cornerStart, corners);

    // The elements, with their rings and face lists in four shared arrays
    // sized from the counts above, then linked in the order a mesh read
    // element by element links them: edges join their ends' rings in order
    // of creation, faces their edges and vertices in file order.
    try {
        mesh.ringEdges.reset(new TopEdge*[edgeEnds.size()]);
        mesh.ringFaces.reset(new TopFace*[numCorners]);
        mesh.faceVertexList.reset(new TopVertex*[numCorners]);
        mesh.faceEdgeList.reset(new TopEdge*[numCorners]);
        MeshVertex::startNumbering();
        mesh.vertices = new MeshVertex[numV];
        mesh.numV = numV;
        MeshEdge::startNumbering();
        mesh.edges = new MeshEdge[numE];
        mesh.numE = numE;
        MeshFace::startNumbering();
        mesh.faces = new MeshFace[numF];
        mesh.numF = numF;
    } catch (const std::bad_alloc&) {
        mesh.clear();
        throw LoadError("ERROR: not enough memory for the mesh");
    }
    for (int v = 0; v < numV; ++v) {
        MeshVertex& vertex = mesh.vertices[v];
        vertex.lendRings(&mesh.ringEdges[edgeStart[v]], edgeStart[v + 1] - edgeStart[v],
                         &mesh.ringFaces[cornerStart[v]], cornerStart[v + 1] - cornerStart[v]);
        vertex.setPosition(positions[v]);
    }
    for (int e = 0; e < numE; ++e)
        mesh.edges[e].setVertices(&mesh.vertices[edgeEnds[2 * e]], &mesh.vertices[edgeEnds[2 * e + 1]]);
    TopVertex* vertexList[kMaxFaceValence];
    TopEdge* sideList[kMaxFaceValence];
    for (int f = 0; f < numF; ++f) {
        const int start = faceStart[f], size = faceStart[f + 1] - start;
        for (int k = 0; k < size; ++k) {
            vertexList[k] = &mesh.vertices[faceIndices[start + k]];
            sideList[k] = &mesh.edges[faceEdges[start + k]];
        }
        mesh.faces[f].lendStorage(&mesh.faceVertexList[start], &mesh.faceEdgeList[start]);
        mesh.faces[f].setVertices(size, vertexList, sideList);
    }
    for (int v = 0; v < numV; ++v)
        if (mesh.vertices[v].edgeVal() > 0) mesh.vertices[v].orderRings();
    for (int f = 0; f < numF; ++f) mesh.faces[f].computeCentroid();
}

#include "mesh/meshbuilder.h"

#include <cstdio>
#include <numeric>
#include <unordered_map>
#include <utility>

namespace {

std::string format(const char* pattern, int value) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

MeshBuilder::MeshBuilder(MessageSink report_, long long edgeLimit_)
    : report(std::move(report_)), edgeLimit(edgeLimit_) {}

// Two vertices share at most one edge: it is looked for in the shorter of
// their two lists, so a vertex of very high valence stays cheap.
int MeshBuilder::findEdge(int a, int b) const {
    if (vertexEdges[b].size() < vertexEdges[a].size()) std::swap(a, b);
    for (int e : vertexEdges[a])
        if (edgeEnds[2 * e] == b || edgeEnds[2 * e + 1] == b) return e;
    return -1;
}

bool MeshBuilder::addFace(const int* indices, int count) {
    if (vertexEdges.size() < positions.size()) vertexEdges.resize(positions.size());
    const int slot = faceCount();
    for (int p = 0; p < count; ++p)
        for (int q = p + 1; q < count; ++q)
            if (indices[p] == indices[q]) {
                report(format("ERROR: Face %d -- repeats a vertex", slot));
                return false;
            }
    // Every pair is tested before any edge is made, so a dropped face leaves
    // no edge behind.
    for (int p = 0; p < count; ++p) {
        int e = findEdge(indices[p], indices[(p + 1) % count]);
        if (e >= 0 && edgeFaces[e] >= 2) {
            report(format("ERROR: Face %d -- creates non-manifold geometry", slot));
            return false;
        }
    }
    for (int p = 0; p < count; ++p) {
        int a = indices[p], b = indices[(p + 1) % count];
        int e = findEdge(a, b);
        if (e < 0) {
            if (edgeCount() >= edgeLimit) throw LoadError("Too many edges");
            e = edgeCount();
            edgeEnds.push_back(a);
            edgeEnds.push_back(b);
            edgeFaces.push_back(0);
            vertexEdges[a].push_back(e);
            vertexEdges[b].push_back(e);
        }
        ++edgeFaces[e];
    }
    faceIndices.insert(faceIndices.end(), indices, indices + count);
    faceStart.push_back(static_cast<int>(faceIndices.size()));
    return true;
}

// The faces at v must form one fan: joining, for every face corner at v, the
// two edges of that corner must link all of v's edges into one path or cycle.
void MeshBuilder::checkFan(int v, const std::vector<long long>& corners) const {
    const std::vector<int>& edges = vertexEdges[v];
    const int n = static_cast<int>(edges.size());
    std::vector<int> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&parent](int i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    // The position in v's list of the edge towards each neighbour.
    std::unordered_map<int, int> towards;
    towards.reserve(n);
    for (int i = 0; i < n; ++i) {
        int a = edgeEnds[2 * edges[i]], b = edgeEnds[2 * edges[i] + 1];
        towards.emplace(a == v ? b : a, i);
    }
    auto local = [&towards](int other) { return towards.at(other); };
    int components = n;
    for (long long corner : corners) {
        int face = static_cast<int>(corner >> 5), j = static_cast<int>(corner & 31);
        int start = faceStart[face], size = faceStart[face + 1] - start;
        int prev = faceIndices[start + (j + size - 1) % size];
        int next = faceIndices[start + (j + 1) % size];
        int a = root(local(prev)), b = root(local(next));
        if (a != b) {
            parent[a] = b;
            --components;
        }
    }
    if (components != 1)
        throw LoadError(format("Non-manifold geometry -- the faces at vertex %d do not form one fan", v));
}

void MeshBuilder::finish(Mesh& mesh) {
    FACETRY_ASSERT(!mesh.numV && !mesh.numE && !mesh.numF);
    if (positions.empty()) throw LoadError("ERROR: the mesh has no vertices");
    if (faceCount() == 0) throw LoadError("ERROR: the mesh has no faces");
    vertexEdges.resize(positions.size());

    // Face corners per vertex (face index and corner packed; a face has at most 20 corners).
    const int numV = vertexCount(), numF = faceCount(), numE = edgeCount();
    std::vector<int> cornerStart(numV + 1, 0);
    for (int i : faceIndices) ++cornerStart[i + 1];
    std::partial_sum(cornerStart.begin(), cornerStart.end(), cornerStart.begin());
    std::vector<long long> corners(faceIndices.size());
    std::vector<int> fill(cornerStart.begin(), cornerStart.end() - 1);
    for (int f = 0; f < numF; ++f)
        for (int k = faceStart[f]; k < faceStart[f + 1]; ++k)
            corners[fill[faceIndices[k]]++] = (static_cast<long long>(f) << 5) | (k - faceStart[f]);
    std::vector<long long> mine;
    for (int v = 0; v < numV; ++v) {
        if (vertexEdges[v].empty()) continue;
        mine.assign(corners.begin() + cornerStart[v], corners.begin() + cornerStart[v + 1]);
        checkFan(v, mine);
    }

    try {
        MeshVertex::startNumbering();
        mesh.vertices = new MeshVertex[numV];
        mesh.numV = numV;
        for (int v = 0; v < numV; ++v) mesh.vertices[v].setPosition(positions[v]);
        MeshEdge::startNumbering();
        mesh.edges = new MeshEdge[numE];
        mesh.numE = numE;
        for (int e = 0; e < numE; ++e)
            mesh.edges[e].setVertices(&mesh.vertices[edgeEnds[2 * e]], &mesh.vertices[edgeEnds[2 * e + 1]]);
        MeshFace::startNumbering();
        mesh.faces = new MeshFace[numF];
        mesh.numF = numF;
        TopVertex* list[20];
        for (int f = 0; f < numF; ++f) {
            int start = faceStart[f], size = faceStart[f + 1] - start;
            for (int k = 0; k < size; ++k) list[k] = &mesh.vertices[faceIndices[start + k]];
            mesh.faces[f].setVertices(size, list);
        }
    } catch (const std::bad_alloc&) {
        mesh.clear();
        throw LoadError("ERROR: not enough memory for the mesh");
    }
    for (int v = 0; v < numV; ++v)
        if (mesh.vertices[v].edgeVal() > 0) mesh.vertices[v].orderRings();
    for (int f = 0; f < numF; ++f) mesh.faces[f].computeCentroid();
}

#include "mesh/meshbuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numeric>
#include <utility>

#include "math/format.h"
#include "rules/catmullclark.h"

namespace facetry {

namespace {

constexpr std::uint64_t kEmpty = ~std::uint64_t(0);

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

MeshBuilder::MeshBuilder(MessageSink report_) : report(std::move(report_)) {}

void MeshBuilder::addTextureCoordinate(float u, float v) {
    texCoords.push_back(u);
    texCoords.push_back(v);
}

int MeshBuilder::findEdge(int a, int b) const {
    if (a < 0 || b < 0 || a >= vertexCount() || b >= vertexCount()) return -1;
    return edgeTable.find(a, b);
}

namespace {

// A tag's vertex index: within the vertices, or LoadError.
void checkTagVertex(const char* kind, std::int64_t v, int count) {
    if (v < 0 || v >= count)
        throw LoadError(format("%s vertex index %lld out of range (%d vertices)", kind, static_cast<long long>(v), count));
}

void checkTagSharpness(const char* kind, float s) {
    if (!std::isfinite(s)) throw LoadError(format("%s sharpness %g is not finite", kind, s));
    if (s < 0) throw LoadError(format("%s sharpness %g is negative", kind, s));
}

}  // namespace

void MeshBuilder::tagCrease(std::int64_t a, std::int64_t b, float s) {
    checkTagVertex("crease", a, vertexCount());
    checkTagVertex("crease", b, vertexCount());
    const int edge = findEdge(static_cast<int>(a), static_cast<int>(b));
    if (edge < 0)
        throw LoadError(format("crease vertices %lld and %lld share no edge", static_cast<long long>(a), static_cast<long long>(b)));
    checkTagSharpness("crease", s);
    setEdgeSharpness(edge, s == 0 ? 0.0f : s);  // -0 is 0
}

void MeshBuilder::tagCorner(std::int64_t v, float s) {
    checkTagVertex("corner", v, vertexCount());
    checkTagSharpness("corner", s);
    setVertexSharpness(static_cast<int>(v), s == 0 ? 0.0f : s);
}

void MeshBuilder::setEdgeSharpness(int edge, float s) {
    FACETRY_ASSERT(0 <= edge && edge < edgeCount() && s >= 0 && s <= std::numeric_limits<float>::max());
    edgeSharpness.emplace_back(edge, s);
}

void MeshBuilder::setVertexSharpness(int vertex, float s) {
    FACETRY_ASSERT(0 <= vertex && vertex < vertexCount() && s >= 0 && s <= std::numeric_limits<float>::max());
    vertexSharpness.emplace_back(vertex, s);
}

bool MeshBuilder::addFace(const int* indices, int count, const int* texIndices) {
    // Faces with texture coordinates and faces without never meet in one mesh.
    FACETRY_ASSERT(faceCount() == 0 || (texIndices != nullptr) == !faceTex.empty());
    const int slot = faceCount();
    if (count > kMaxFaceValence) {
        report(format("PARSE ERROR: face %d has too high valence", slot));
        return false;
    }
    if (count < 3) {
        // The number given is the face's vertex count, not its slot.
        report(format("parse error, vertex %d valence out of range", count));
        return false;
    }
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
            if (declaredEdges >= 0 && edgeCount() >= declaredEdges) throw LoadError("Too many edges");
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
    if (texIndices) {
        for (int p = 0; p < count; ++p)
            FACETRY_ASSERT(0 <= texIndices[p] && texIndices[p] < textureCoordinateCount());
        faceTex.insert(faceTex.end(), texIndices, texIndices + count);
    }
    faceIndices.insert(faceIndices.end(), indices, indices + count);
    faceStart.push_back(static_cast<int>(faceIndices.size()));
    return true;
}

// Puts every vertex's ring in cyclic order and checks that its faces form
// one fan. Each face corner at a vertex joins two of the vertex's edges; the
// ring is the walk along these joins, as TopVertex::orderRings walks it: from
// the first edge the vertex received (the lowest-numbered), or its first
// boundary edge, across that edge's face(0), then from each face to its other
// edge at the vertex and on across that edge's other face. The faces form one
// fan exactly when the walk meets every edge of the vertex. Everything the
// walk needs lies in the vertex's own lists of edges and corners.
namespace {

// Each vertex's edges, in increasing order (spans t.ringStart, which it
// sets), and its corners, in face order, with the face of every corner.
struct VertexElements {
    std::vector<int> edges;        // spans of t.ringStart
    std::vector<int> cornerStart;  // vertex v's corners span corners[cornerStart[v]..cornerStart[v+1])
    std::vector<int> corners;      // corner indices (as t.cornerVertices)
    std::vector<int> cornerFace;   // per corner, its face
};

VertexElements vertexElements(MeshTopology& t) {
    const int numV = t.numV, numCorners = static_cast<int>(t.cornerVertices.size());
    VertexElements lists;
    lists.cornerStart.assign(numV + 1, 0);
    lists.cornerFace.resize(numCorners);
    t.ringStart.assign(numV + 1, 0);
    for (int v : t.edgeVertices) ++t.ringStart[v + 1];
    for (int v : t.cornerVertices) ++lists.cornerStart[v + 1];
    std::partial_sum(t.ringStart.begin(), t.ringStart.end(), t.ringStart.begin());
    std::partial_sum(lists.cornerStart.begin(), lists.cornerStart.end(), lists.cornerStart.begin());
    lists.edges.resize(t.edgeVertices.size());
    lists.corners.resize(numCorners);
    std::vector<int> fill(t.ringStart.begin(), t.ringStart.end() - 1);
    for (int e = 0; e < t.numE; ++e)
        for (int end = 0; end < 2; ++end) lists.edges[fill[t.edgeVertices[2 * e + end]]++] = e;
    fill.assign(lists.cornerStart.begin(), lists.cornerStart.end() - 1);
    for (int f = 0; f < t.numF; ++f)
        for (int k = t.faceStart[f]; k < t.faceStart[f + 1]; ++k) {
            lists.cornerFace[k] = f;
            lists.corners[fill[t.cornerVertices[k]]++] = k;
        }
    return lists;
}

}  // namespace

void MeshBuilder::orderRings(MeshTopology& t) const {
    const int numV = t.numV;
    const VertexElements lists = vertexElements(t);
    const std::vector<int>& vertexEdges = lists.edges;
    const std::vector<int>& vertexCorners = lists.corners;
    const std::vector<int>& cornerStart = lists.cornerStart;
    const std::vector<int>& cornerFace = lists.cornerFace;
    t.ringEdges.resize(vertexEdges.size());
    t.ringFaces.resize(vertexEdges.size());
    std::vector<int> joined;  // per edge of the vertex: its two corners (-1 for none)
    std::vector<int> ends;    // per corner of the vertex: the positions of its two edges
    std::vector<char> met;    // per edge of the vertex: whether the walk has met it
    for (int v = 0; v < numV; ++v) {
        const int* edges = vertexEdges.data() + t.ringStart[v];
        const int n = t.ringStart[v + 1] - t.ringStart[v];
        const int* corners = vertexCorners.data() + cornerStart[v];
        const int m = cornerStart[v + 1] - cornerStart[v];
        if (n == 0) continue;  // a vertex no face uses
        joined.assign(2 * n, -1);
        ends.resize(2 * m);
        met.assign(n, 0);
        auto position = [edges, n](int edge) { return static_cast<int>(std::lower_bound(edges, edges + n, edge) - edges); };
        for (int c = 0; c < m; ++c) {
            const int k = corners[c], f = cornerFace[k], size = t.valence(f);
            const int before = t.cornerEdges[t.faceStart[f] + (k - t.faceStart[f] + size - 1) % size];
            ends[2 * c] = position(before);
            ends[2 * c + 1] = position(t.cornerEdges[k]);
            for (int side = 0; side < 2; ++side) {
                int* slots = &joined[2 * ends[2 * c + side]];
                slots[slots[0] < 0 ? 0 : 1] = c;
            }
        }
        int p = 0;
        for (int q = 0; q < n; ++q)
            if (joined[2 * q + 1] < 0) {
                p = q;  // the first boundary edge
                break;
            }
        int c = joined[2 * p];  // its face(0): corners come in face order
        int* ringEdges = t.ringEdges.data() + t.ringStart[v];
        int* ringFaces = t.ringFaces.data() + t.ringStart[v];
        int steps = 0, faces = 0;
        for (; steps < n && !met[p]; ++steps) {
            met[p] = 1;
            ringEdges[steps] = edges[p];
            ringFaces[steps] = c >= 0 ? cornerFace[corners[c]] : -1;
            if (c < 0) break;
            ++faces;
            p = ends[2 * c] == p ? ends[2 * c + 1] : ends[2 * c];
            c = joined[2 * p] == c ? joined[2 * p + 1] : joined[2 * p];
        }
        // The walk ends at the far boundary edge or back at the start; any
        // edge or corner it missed belongs to another fan.
        if (steps + (c < 0 ? 1 : 0) != n || faces != m)
            throw LoadError(format("Non-manifold geometry -- the faces at vertex %d do not form one fan", v));
    }
}

void MeshBuilder::finish(Mesh& mesh) {
    FACETRY_ASSERT(!mesh.numV && !mesh.numE && !mesh.numF);
    if (declaredEdges >= 0 && edgeCount() != declaredEdges)
        report(format("PARSE WARNING: %d actual edges in mesh", edgeCount()));
    if (positions.empty()) throw LoadError("ERROR: the mesh has no vertices");
    if (faceCount() == 0) throw LoadError("ERROR: the mesh has no faces");
    MeshTopology topology;
    topology.numV = vertexCount();
    topology.numE = edgeCount();
    topology.numF = faceCount();
    topology.faceStart = faceStart;
    topology.cornerVertices = faceIndices;
    topology.cornerEdges = faceEdges;
    topology.edgeVertices = edgeEnds;
    // Faces join their edges in file order: the first becomes face(0).
    topology.edgeFaces.assign(edgeEnds.size(), -1);
    for (int f = 0; f < topology.numF; ++f)
        for (int k = faceStart[f]; k < faceStart[f + 1]; ++k) {
            int* slots = &topology.edgeFaces[2 * faceEdges[k]];
            slots[slots[0] < 0 ? 0 : 1] = f;
        }
    orderRings(topology);
    makeElements(topology, mesh);
    takeSharpness(mesh);
    mesh.schemeOptions = options;
    if (!holeFaces.empty()) {
        mesh.holes.assign(mesh.numF, 0);
        for (int f : holeFaces) mesh.holes[f] = 1;
    }
    // Texture coordinates only come with faces that name them.
    if (!faceTex.empty()) {
        mesh.cornerTex = std::move(faceTex);
        mesh.texCoords = std::move(texCoords);
    }
}

// The handles over the topology, the positions and the centroids, and room
// for the sharpness and the links to the surface.
void MeshBuilder::makeElements(MeshTopology& t, Mesh& mesh) {
    const int numV = t.numV, numE = t.numE, numF = t.numF;
    try {
        mesh.vertices.reserve(numV);
        mesh.edges.reserve(numE);
        mesh.faces.reserve(numF);
        mesh.centroids.resize(numF);
        mesh.vertexSharpness.assign(numV, 0.0f);
        mesh.edgeSharpness.assign(numE, 0.0f);
        mesh.vertexLinks.resize(numV);
        mesh.edgeLinks.resize(numE);
        mesh.faceLinks.resize(numF);
    } catch (const std::bad_alloc&) {
        mesh.clear();
        throw LoadError("ERROR: not enough memory for the mesh");
    }
    mesh.vertices.make(&mesh, numV);
    mesh.edges.make(&mesh, numE);
    mesh.faces.make(&mesh, numF);
    mesh.numV = numV;
    mesh.numE = numE;
    mesh.numF = numF;
    mesh.topo = std::move(t);
    mesh.positions = std::move(positions);
    const MeshTopology& topo = mesh.topo;
    for (int f = 0; f < numF; ++f) {
        Vector corners;
        for (int k = topo.faceStart[f]; k < topo.faceStart[f + 1]; ++k) corners += mesh.positions[topo.cornerVertices[k]];
        mesh.centroids[f] = facePoint(corners, topo.valence(f));
    }
}

void MeshBuilder::setHole(int face) {
    FACETRY_ASSERT(0 <= face && face < faceCount());
    holeFaces.push_back(face);
}

// Sharpness in the order it was set, so the last value stands.
void MeshBuilder::takeSharpness(Mesh& mesh) const {
    for (const auto& [e, s] : edgeSharpness) mesh.edgeSharpness[e] = s;
    for (const auto& [v, s] : vertexSharpness) mesh.vertexSharpness[v] = s;
    mesh.creased = false;
    for (const auto& entry : edgeSharpness) mesh.creased = mesh.creased || mesh.edgeSharpness[entry.first] > 0;
    for (const auto& entry : vertexSharpness) mesh.creased = mesh.creased || mesh.vertexSharpness[entry.first] > 0;
}

}  // namespace facetry

#include "reference_subdivision.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace {

// An edge of the reference: its two ends, in the faces that use it.
struct RefEdge {
    int a = 0, b = 0;          // end vertex indices
    std::vector<int> faces;    // faces that use the edge, one or two
};

RefPoint add(RefPoint p, RefPoint q) { return {p.x + q.x, p.y + q.y, p.z + q.z}; }
RefPoint scale(RefPoint p, double s) { return {p.x * s, p.y * s, p.z * s}; }

// Every edge once, keyed by its unordered pair of ends, with its faces.
std::vector<RefEdge> collectEdges(const RefMesh& mesh, std::map<std::pair<int, int>, int>& index) {
    std::vector<RefEdge> edges;
    for (int f = 0; f < static_cast<int>(mesh.faces.size()); ++f) {
        const std::vector<int>& face = mesh.faces[f];
        for (std::size_t k = 0; k < face.size(); ++k) {
            int a = face[k], b = face[(k + 1) % face.size()];
            std::pair<int, int> key(std::min(a, b), std::max(a, b));
            auto found = index.find(key);
            if (found == index.end()) {
                found = index.emplace(key, static_cast<int>(edges.size())).first;
                edges.push_back({a, b, {}});
            }
            edges[found->second].faces.push_back(f);
        }
    }
    for (const RefEdge& e : edges)
        if (e.faces.size() > 2) throw std::invalid_argument("reference: non-manifold edge");
    return edges;
}

std::vector<RefPoint> facePoints(const RefMesh& mesh) {
    std::vector<RefPoint> result;
    for (const std::vector<int>& face : mesh.faces) {
        RefPoint sum;
        for (int v : face) sum = add(sum, mesh.points[v]);
        result.push_back(scale(sum, 1.0 / face.size()));
    }
    return result;
}

std::vector<RefPoint> edgePoints(const RefMesh& mesh, const std::vector<RefEdge>& edges,
                                 const std::vector<RefPoint>& facePts) {
    std::vector<RefPoint> result;
    for (const RefEdge& e : edges) {
        RefPoint ends = add(mesh.points[e.a], mesh.points[e.b]);
        if (e.faces.size() == 1)
            result.push_back(scale(ends, 0.5));
        else
            result.push_back(scale(add(ends, add(facePts[e.faces[0]], facePts[e.faces[1]])), 0.25));
    }
    return result;
}

// The new position of every old vertex.
std::vector<RefPoint> vertexPoints(const RefMesh& mesh, const std::vector<RefEdge>& edges,
                                   const std::vector<RefPoint>& facePts) {
    int count = static_cast<int>(mesh.points.size());
    std::vector<RefPoint> faceSum(count), midpointSum(count), boundaryNeighbourSum(count);
    std::vector<int> faceCount(count, 0), edgeCount(count, 0), boundaryEdgeCount(count, 0);
    for (int f = 0; f < static_cast<int>(mesh.faces.size()); ++f)
        for (int v : mesh.faces[f]) {
            faceSum[v] = add(faceSum[v], facePts[f]);
            ++faceCount[v];
        }
    for (const RefEdge& e : edges) {
        RefPoint mid = scale(add(mesh.points[e.a], mesh.points[e.b]), 0.5);
        for (int end : {e.a, e.b}) {
            midpointSum[end] = add(midpointSum[end], mid);
            ++edgeCount[end];
        }
        if (e.faces.size() == 1) {
            boundaryNeighbourSum[e.a] = add(boundaryNeighbourSum[e.a], mesh.points[e.b]);
            boundaryNeighbourSum[e.b] = add(boundaryNeighbourSum[e.b], mesh.points[e.a]);
            ++boundaryEdgeCount[e.a];
            ++boundaryEdgeCount[e.b];
        }
    }
    std::vector<RefPoint> result;
    for (int v = 0; v < count; ++v) {
        RefPoint p = mesh.points[v];
        if (edgeCount[v] == 0) {
            result.push_back(p);  // no face uses it
        } else if (boundaryEdgeCount[v] > 0) {
            if (boundaryEdgeCount[v] != 2) throw std::invalid_argument("reference: boundary vertex without two boundary edges");
            result.push_back(add(scale(p, 0.75), scale(boundaryNeighbourSum[v], 0.125)));
        } else {
            double n = faceCount[v];
            RefPoint q = scale(faceSum[v], 1 / n), r = scale(midpointSum[v], 1 / n);
            result.push_back(scale(add(add(q, scale(r, 2)), scale(p, n - 3)), 1 / n));
        }
    }
    return result;
}

}  // namespace

RefMesh refineOnce(const RefMesh& mesh) {
    std::map<std::pair<int, int>, int> edgeIndex;
    std::vector<RefEdge> edges = collectEdges(mesh, edgeIndex);
    std::vector<RefPoint> facePts = facePoints(mesh);
    std::vector<RefPoint> edgePts = edgePoints(mesh, edges, facePts);

    RefMesh next;
    next.points = vertexPoints(mesh, edges, facePts);
    int edgeBase = static_cast<int>(next.points.size());
    next.points.insert(next.points.end(), edgePts.begin(), edgePts.end());
    int faceBase = static_cast<int>(next.points.size());
    next.points.insert(next.points.end(), facePts.begin(), facePts.end());

    // One quad per face corner: face point, edge point before, the corner, edge point after.
    for (int f = 0; f < static_cast<int>(mesh.faces.size()); ++f) {
        const std::vector<int>& face = mesh.faces[f];
        int n = static_cast<int>(face.size());
        for (int k = 0; k < n; ++k) {
            int prev = face[(k + n - 1) % n], corner = face[k], next_ = face[(k + 1) % n];
            int before = edgeIndex.at({std::min(prev, corner), std::max(prev, corner)});
            int after = edgeIndex.at({std::min(corner, next_), std::max(corner, next_)});
            next.faces.push_back({faceBase + f, edgeBase + before, corner, edgeBase + after});
        }
    }
    return next;
}

RefMesh refine(const RefMesh& mesh, int steps) {
    RefMesh result = mesh;
    for (int s = 0; s < steps; ++s) result = refineOnce(result);
    return result;
}

namespace {

// Every vertex's neighbours along the faces' sides.
std::vector<std::set<int>> neighbours(const RefMesh& mesh) {
    std::vector<std::set<int>> result(mesh.points.size());
    for (const std::vector<int>& face : mesh.faces)
        for (std::size_t k = 0; k < face.size(); ++k) {
            const int a = face[k], b = face[(k + 1) % face.size()];
            result[a].insert(b);
            result[b].insert(a);
        }
    return result;
}

// The one vertex joined to both a and b.
int between(const std::vector<std::set<int>>& joined, int a, int b) {
    std::vector<int> common;
    std::set_intersection(joined[a].begin(), joined[a].end(), joined[b].begin(), joined[b].end(),
                          std::back_inserter(common));
    if (common.size() != 1) throw std::invalid_argument("reference: no single point between two neighbours");
    return common[0];
}

}  // namespace

std::vector<std::vector<RefPoint>> edgeChains(const RefMesh& mesh, const std::vector<std::pair<int, int>>& edges,
                                              int steps) {
    // Vertex indices survive a step, so each chain is a list of indices
    // that every step fills in between.
    std::vector<std::vector<int>> chains;
    for (const auto& [a, b] : edges) chains.push_back({a, b});
    RefMesh current = mesh;
    for (int s = 0; s < steps; ++s) {
        current = refineOnce(current);
        const std::vector<std::set<int>> joined = neighbours(current);
        for (std::vector<int>& chain : chains) {
            std::vector<int> finer{chain[0]};
            for (std::size_t k = 1; k < chain.size(); ++k) {
                finer.push_back(between(joined, chain[k - 1], chain[k]));
                finer.push_back(chain[k]);
            }
            chain.swap(finer);
        }
    }
    std::vector<std::vector<RefPoint>> result;
    for (const std::vector<int>& chain : chains) {
        result.emplace_back();
        for (int v : chain) result.back().push_back(current.points[v]);
    }
    return result;
}

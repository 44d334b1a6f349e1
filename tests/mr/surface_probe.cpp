#include "surface_probe.h"

#include "support/catalogue.h"
#include "support/loading.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <memory>
#include <sstream>

using namespace facetry;

namespace {

bool identical(const Vector& a, const Vector& b) { return std::memcmp(&a, &b, sizeof(Vector)) == 0; }

std::string describe(const Vector& v) {
    std::ostringstream s;
    s.precision(9);
    s << "(" << v.x << ", " << v.y << ", " << v.z << ")";
    return s.str();
}

// The k-th point of an edge counted from one of its ends.
Vector edgePointFrom(const MrEdge* e, const MrVertex* from, int k) {
    return e->vertex(0) == from ? e->point(k) : e->point(e->pointCount() - 1 - k);
}

std::string faceBorderMismatch(const MrFace* f) {
    const int m = f->gridSize() - 1;
    const int corner[4][2] = {{0, 0}, {m, 0}, {m, m}, {0, m}};
    for (int c = 0; c < 4; ++c)
        if (!identical(f->point(corner[c][0], corner[c][1]), f->vertex(c)->position()))
            return "face " + std::to_string(f->id) + " corner " + std::to_string(c);
    // Side s runs along edge(s) from the corner it starts at.
    const int start[4] = {0, 1, 3, 0};
    for (int s = 0; s < 4; ++s) {
        const MrEdge* e = f->edge(s);
        if (e->pointCount() != m + 1) return "face " + std::to_string(f->id) + " side " + std::to_string(s) + " length";
        for (int k = 0; k <= m; ++k) {
            const int ij[4][2] = {{k, 0}, {m, k}, {k, m}, {0, k}};
            Vector copy = f->point(ij[s][0], ij[s][1]);
            Vector owner = edgePointFrom(e, f->vertex(start[s]), k);
            if (!identical(copy, owner))
                return "face " + std::to_string(f->id) + " side " + std::to_string(s) + " point " + std::to_string(k) +
                       ": " + describe(copy) + " vs edge " + std::to_string(e->id) + " " + describe(owner);
        }
    }
    return "";
}

}  // namespace

std::vector<Vector> surfacePoints(const MrMesh& mr) {
    std::vector<Vector> points;
    for (int i = 0; i < mr.numVertices(); ++i) points.push_back(mr.vertex(i)->position());
    for (int i = 0; i < mr.numEdges(); ++i)
        for (int k = 0; k < mr.edge(i)->pointCount(); ++k) points.push_back(mr.edge(i)->point(k));
    for (int i = 0; i < mr.numFaces(); ++i) {
        const MrFace* f = mr.face(i);
        for (int a = 0; a < f->gridSize(); ++a)
            for (int b = 0; b < f->gridSize(); ++b) points.push_back(f->point(a, b));
    }
    return points;
}

bool sameBits(const std::vector<Vector>& a, const std::vector<Vector>& b, std::string* where) {
    if (a.size() != b.size()) {
        if (where) *where = "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
        return false;
    }
    for (std::size_t k = 0; k < a.size(); ++k)
        if (!identical(a[k], b[k])) {
            if (where) *where = "point " + std::to_string(k) + ": " + describe(a[k]) + " vs " + describe(b[k]);
            return false;
        }
    return true;
}

std::vector<RefPoint> weldedPoints(const MrMesh& mr) {
    std::vector<RefPoint> points;
    auto add = [&points](const Vector& v) { points.push_back({v.x, v.y, v.z}); };
    for (int i = 0; i < mr.numVertices(); ++i) add(mr.vertex(i)->position());
    for (int i = 0; i < mr.numEdges(); ++i)
        for (int k = 1; k + 1 < mr.edge(i)->pointCount(); ++k) add(mr.edge(i)->point(k));
    for (int i = 0; i < mr.numFaces(); ++i) {
        const MrFace* f = mr.face(i);
        for (int a = 1; a + 1 < f->gridSize(); ++a)
            for (int b = 1; b + 1 < f->gridSize(); ++b) add(f->point(a, b));
    }
    return points;
}

std::vector<Vector> sideAlong(const MrFace* f, const MrEdge* e) {
    const int m = f->gridSize() - 1;
    const int corner[4][2] = {{0, 0}, {m, 0}, {m, m}, {0, m}};
    for (int s = 0; s < 4; ++s) {
        if (f->edge(s) != e) continue;
        int from = s, to = (s + 1) % 4;
        if (f->vertex(from) != e->vertex(0)) std::swap(from, to);
        if (f->vertex(from) != e->vertex(0) || f->vertex(to) != e->vertex(1)) return {};
        std::vector<Vector> side;
        for (int k = 0; k <= m; ++k)
            side.push_back(f->point(corner[from][0] + (corner[to][0] - corner[from][0]) / m * k,
                                    corner[from][1] + (corner[to][1] - corner[from][1]) / m * k));
        return side;
    }
    return {};
}

std::string sharedPointMismatch(const MrMesh& mr) {
    for (int i = 0; i < mr.numEdges(); ++i) {
        const MrEdge* e = mr.edge(i);
        for (int which = 0; which < 2; ++which) {
            const MrFace* f = e->face(which);
            if (!f) continue;
            const std::string where = "edge " + std::to_string(i) + " face(" + std::to_string(which) + ") " +
                                      std::to_string(f->id);
            const std::vector<Vector> side = sideAlong(f, e);
            if (static_cast<int>(side.size()) != e->pointCount()) return where + ": not a side with the edge's ends";
            for (int k = 0; k < e->pointCount(); ++k)
                if (!identical(side[k], e->point(k)))
                    return where + " point " + std::to_string(k) + ": " + describe(side[k]) + " vs " +
                           describe(e->point(k));
        }
    }
    for (int i = 0; i < mr.numFaces(); ++i) {
        std::string problem = faceBorderMismatch(mr.face(i));
        if (!problem.empty()) return problem;
    }
    return "";
}

std::string levelMismatch(const MrMesh& mr, int level) {
    const int count = (1 << level) + 1;
    if (mr.curRes() != level) return "mesh at level " + std::to_string(mr.curRes());
    for (int i = 0; i < mr.numVertices(); ++i)
        if (mr.vertex(i)->curRes() != level) return "vertex " + std::to_string(i);
    for (int i = 0; i < mr.numEdges(); ++i)
        if (mr.edge(i)->curRes() != level || mr.edge(i)->pointCount() != count) return "edge " + std::to_string(i);
    for (int i = 0; i < mr.numFaces(); ++i)
        if (mr.face(i)->curRes() != level || mr.face(i)->gridSize() != count) return "face " + std::to_string(i);
    return "";
}

std::unique_ptr<MrMesh> buildSurface(Mesh& mesh, std::string* progress) {
    auto mr = std::make_unique<MrMesh>();
    testing::internal::CaptureStdout();
    const Status built = mr->build(mesh);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the library prints nothing; the programs do";
    EXPECT_TRUE(built.ok) << built.message;
    if (progress) *progress = built.message;
    return mr;
}

Surface makeSurface(const RefMesh& control, int levels) {
    Surface s;
    s.mesh = loadMesh(meshText(control));
    s.mr = buildSurface(*s.mesh, &s.progress);
    for (int l = 0; l < levels; ++l) s.mr->subdivide();
    return s;
}

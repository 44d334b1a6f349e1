#include "mr/mrmesh.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <type_traits>

#include "mesh/dump.h"
#include "mr/parallel.h"

namespace {

// Room for `count` handles, which are made in place later, one per element,
// with their index as id. Memory that is never written costs nothing.
template <class Element>
Element* roomForHandles(int count) {
    static_assert(std::is_trivially_destructible<Element>::value, "handles are freed without destruction");
    return static_cast<Element*>(::operator new(sizeof(Element) * std::max(count, 1)));
}

template <class Element>
void makeHandles(MrMesh* mesh, Element* items, int count) {
    for (int i = 0; i < count; ++i) new (items + i) Element(mesh, i);
}

}  // namespace

MrMesh::MrMesh() : threadCount(machineThreads()) {}

MrMesh::~MrMesh() {
    ::operator delete(faces);
    ::operator delete(edges);
    ::operator delete(vertices);
}

Status MrMesh::build(const Mesh& mesh) {
    FACETRY_ASSERT(!vertices);
    for (int i = 0; i < mesh.numFaces(); ++i)
        if (mesh.face(i)->valence() != 4) {
            allQuads = false;
            break;
        }
    try {
        if (allQuads)
            buildQuadPath(mesh);
        else
            buildRefinementPath(mesh);
        takeTextureCoordinates(mesh);
    } catch (const std::bad_alloc&) {
        return {false, "ERROR: not enough memory to build the surface"};
    }
    return {true, buildPath()};
}

// On the quad path a face's corners are the control face's; on the
// refinement path quad j of a control face has the face's centre, the
// midpoint of the side before corner j, corner j and the midpoint of the side
// after it: linear refinement within the face.
void MrMesh::takeTextureCoordinates(const Mesh& mesh) {
    if (!mesh.hasTextureCoordinates()) return;
    const std::vector<float>& uv = mesh.textureCoordinates();
    cornerUVs = Block<float>(8 * static_cast<std::size_t>(numF));
    auto cornerUV = [&](int f, int k, int axis) { return uv[2 * mesh.cornerTextureCoordinate(f, k) + axis]; };
    const MeshTopology& c = mesh.topology();
    for (int f = 0; f < c.numF; ++f) {
        const int n = c.valence(f);
        if (allQuads) {
            for (int k = 0; k < 4; ++k)
                for (int axis = 0; axis < 2; ++axis) cornerUVs[8 * f + 2 * k + axis] = cornerUV(f, k, axis);
            continue;
        }
        for (int axis = 0; axis < 2; ++axis) {
            float centre = 0;
            for (int k = 0; k < n; ++k) centre += cornerUV(f, k, axis);
            centre /= static_cast<float>(n);
            for (int j = 0; j < n; ++j) {
                float* q = cornerUVs.data() + 8 * static_cast<std::size_t>(c.faceStart[f] + j);
                const float before = cornerUV(f, (j + n - 1) % n, axis), at = cornerUV(f, j, axis),
                            after = cornerUV(f, (j + 1) % n, axis);
                q[axis] = centre;
                q[2 + axis] = (before + at) * 0.5f;
                q[4 + axis] = at;
                q[6 + axis] = (at + after) * 0.5f;
            }
        }
    }
}

void MrMesh::textureCoordinateAt(int f, int i, int j, float uv[2]) const {
    FACETRY_ASSERT(hasTextureCoordinates() && 0 <= f && f < numF);
    const float m = static_cast<float>(1 << curRes()), s = static_cast<float>(i) / m, t = static_cast<float>(j) / m;
    const float* q = cornerUVs.data() + 8 * static_cast<std::size_t>(f);
    // corner 0 at (0, 0), 1 at (m, 0), 2 at (m, m), 3 at (0, m)
    for (int axis = 0; axis < 2; ++axis)
        uv[axis] = (q[axis] * (1 - s) + q[2 + axis] * s) * (1 - t) + (q[6 + axis] * (1 - s) + q[4 + axis] * s) * t;
}

const char* MrMesh::buildPath() const {
    return allQuads ? "Not subdividing original mesh -- all quads" : "Subdividing original mesh";
}

// The handles, every element at level 0, and the level-0 block.
void MrMesh::makeElements() {
    topo.numV = numV;
    topo.numE = numE;
    topo.numF = numF;
    vertices = roomForHandles<MrVertex>(numV);
    makeHandles(this, vertices, numV);  // the control mesh's links point at them
    edges = roomForHandles<MrEdge>(numE);
    faces = roomForHandles<MrFace>(numF);
    vertexLevel.assign(numV, 0);
    edgeLevel.assign(numE, 0);
    faceLevel.assign(numF, 0);
    population.assign(1, static_cast<long long>(numV) + numE + numF);
    levels.clear();
    levels.push_back(allocateLevel(0));
    topo.edges = Block<MrEdgeTopology>(numE);
    topo.faces = Block<MrFaceTopology>(numF);
    topo.faceSides = Block<unsigned char>(numF);
    topo.edgeFrames = Block<unsigned char>(2 * static_cast<std::size_t>(numE));
}

// Level 0 is the control mesh: the same elements, numbers and rings.
void MrMesh::buildQuadPath(const Mesh& mesh) {
    const MeshTopology& control = mesh.topology();
    numV = control.numV;
    numE = control.numE;
    numF = control.numF;
    makeElements();
    Vector* positions = points(0).vertices;
    for (int i = 0; i < numV; ++i) {
        mesh.vertex(i)->setMrV(&vertices[i]);
        positions[i] = mesh.vertex(i)->position();
    }
    for (int i = 0; i < numE; ++i)
        topo.edges[i] = {{control.edgeVertices[2 * i], control.edgeVertices[2 * i + 1]},
                         {control.edgeFaces[2 * i], control.edgeFaces[2 * i + 1]}};
    for (int i = 0; i < numF; ++i) {
        const MeshFace* f = mesh.face(i);
        FACETRY_ASSERT(f->valence() == 4);
        for (int k = 0; k < 4; ++k) {
            topo.faces[i].vertices[k] = control.cornerVertices[control.faceStart[i] + k];
            topo.faces[i].edges[k] = control.cornerEdges[control.faceStart[i] + k];
        }
    }
    const std::size_t entries = control.ringEdges.size();
    topo.ringStart = Block<int>(numV + 1);
    std::copy(control.ringStart.begin(), control.ringStart.end(), topo.ringStart.data());
    topo.ringEdges = Block<int>(entries);
    topo.ringFaces = Block<int>(entries);
    topo.ringCorners = Block<unsigned char>(entries);
    parallelFor(numV, threadCount, grainFor(1), [&](std::size_t begin, std::size_t end) {
        for (std::size_t v = begin; v < end; ++v)
            for (int k = control.ringStart[v]; k < control.ringStart[v + 1]; ++k) {
                const int e = control.ringEdges[k], f = control.ringFaces[k];
                topo.ringEdges[k] = e;
                topo.ringFaces[k] = f;
                const int corner = f >= 0 ? control.cornerOf(f, static_cast<int>(v)) : 0;
                const bool fromEnd = control.edgeVertices[2 * e + 1] == static_cast<int>(v);
                topo.ringCorners[k] = static_cast<unsigned char>(corner | (fromEnd ? 4 : 0));
            }
    });
    topo.completeFrames(threadCount);
    takeSharpness(mesh, [](int i) { return i; }, [](int i) { return i; }, 0);
}

// Copies the control mesh's sharpness onto the surface's edges and vertices
// (control edge e to surface edges edgeOf(e) and edgeOf(e) + halves - 1,
// control vertex v to vertexOf(v)), `steps` levels down, and marks the
// vertices whose rules it changes. Nothing is kept when nothing is sharp.
template <class EdgeOf, class VertexOf>
void MrMesh::takeSharpness(const Mesh& mesh, EdgeOf edgeOf, VertexOf vertexOf, int steps) {
    const int halves = steps ? 2 : 1;
    bool sharp = false;
    for (int e = 0; e < mesh.numEdges() && !sharp; ++e) sharp = sharpnessAfter(mesh.edge(e)->sharpness(), steps) > 0;
    for (int v = 0; v < mesh.numVertices() && !sharp; ++v) sharp = sharpnessAfter(mesh.vertex(v)->sharpness(), steps) > 0;
    if (!sharp) return;
    topo.edgeSharpness = Block<float>(numE);
    topo.vertexSharpness = Block<float>(numV);
    topo.vertexCreased = Block<unsigned char>(numV);
    for (int e = 0; e < mesh.numEdges(); ++e)
        for (int h = 0; h < halves; ++h) topo.edgeSharpness[edgeOf(e) + h] = sharpnessAfter(mesh.edge(e)->sharpness(), steps);
    for (int v = 0; v < mesh.numVertices(); ++v)
        topo.vertexSharpness[vertexOf(v)] = sharpnessAfter(mesh.vertex(v)->sharpness(), steps);
    for (int v = 0; v < numV; ++v) {
        bool creased = topo.vertexSharpness[v] > 0;
        for (int k = topo.ringStart[v]; k < topo.ringStart[v + 1] && !creased; ++k) {
            const int e = topo.ringEdges[k];
            creased = topo.edgeSharpness[e] > 0 && !topo.edgeOnBoundary(e);
        }
        topo.vertexCreased[v] = creased;
    }
}

namespace {

// The numbering of level 0 on the refinement path, from the control mesh:
// the point of control face f is vertex f, of control edge e vertex cF + e,
// of control vertex v vertex cF + cE + v. Control edge e gives the halves 2e
// (from its vertex(0) to its point) and 2e + 1 (from its point to its
// vertex(1)); the corner k of a control face the edge 2cE + k from its edge
// point to the face point, and the quad k.
struct RefinedNumbering {
    const MeshTopology& c;  // the control mesh
    int faceVertex(int f) const { return f; }
    int edgeVertex(int e) const { return c.numF + e; }
    int vertexVertex(int v) const { return c.numF + c.numE + v; }
    // Quad and corner edge of corner j of face f, j taken cyclically.
    int corner(int f, int j) const { return c.faceStart[f] + (j + c.valence(f)) % c.valence(f); }
    int cornerEdge(int f, int j) const { return 2 * c.numE + corner(f, j); }
    // The half of edge e at its end w.
    int half(int e, int w) const { return 2 * e + (c.edgeVertices[2 * e] == w ? 0 : 1); }
    // Where edge e lies in face f: the j of corner j from which it runs.
    int sideOf(int f, int e) const {
        const int* first = c.cornerEdges.data() + c.faceStart[f];
        return static_cast<int>(std::find(first, first + c.valence(f), e) - first);
    }
};

}  // namespace

// Level 0 is one Catmull-Clark step of the control mesh, numbered as
// RefinedNumbering says, with the same orientation; its rings follow from
// the control mesh's by index arithmetic.
void MrMesh::buildRefinementPath(const Mesh& mesh) {
    const MeshTopology& c = mesh.topology();
    const int cV = c.numV, cE = c.numE, cF = c.numF, corners = static_cast<int>(c.cornerVertices.size());
    const RefinedNumbering at{c};
    numV = cF + cE + cV;
    numE = 2 * cE + corners;
    numF = corners;
    makeElements();

    // Vertices: face points, then edge points, then vertex points.
    {
        MrVertex* offset = vertices;
        for (int i = 0; i < cF; ++i) mesh.face(i)->setMrV(offset++);
        for (int i = 0; i < cE; ++i) mesh.edge(i)->setMrV(offset++);
        for (int i = 0; i < cV; ++i) mesh.vertex(i)->setMrV(offset++);
        FACETRY_ASSERT(offset == vertices+numV);
    }

    // Edges: the two halves of every control edge, then one from every face
    // corner's edge point to the face point.
    {
        MrEdge* offset = edges;
        auto join = [&](int a, int b) { topo.edges[offset++ - edges] = {{a, b}, {-1, -1}}; };
        for (int e = 0; e < cE; ++e) {
            join(at.vertexVertex(c.edgeVertices[2 * e]), at.edgeVertex(e));
            join(at.edgeVertex(e), at.vertexVertex(c.edgeVertices[2 * e + 1]));
        }
        for (int f = 0; f < cF; ++f)
            for (int k = c.faceStart[f]; k < c.faceStart[f + 1]; ++k) join(at.edgeVertex(c.cornerEdges[k]), at.faceVertex(f));
        FACETRY_ASSERT(offset == edges+numE);
    }

    // Faces: one quad per control-face corner, with the control face's
    // orientation: face point, edge point before, vertex point, edge point
    // after; the quads of a face in its corner order. Sides 0 and 3 run from
    // the edge points to the face point, against the grid; sides 1 and 2 run
    // with it when they are the half from the edge point to the vertex point
    // (an odd half).
    {
        MrFace* offset = faces;
        for (int f = 0; f < cF; ++f)
            for (int j = 0; j < c.valence(f); ++j) {
                const int before = c.cornerEdges[at.corner(f, j - 1)], after = c.cornerEdges[at.corner(f, j)];
                const int corner = c.cornerVertices[at.corner(f, j)];
                const int side1 = at.half(before, corner), side2 = at.half(after, corner);
                const int q = static_cast<int>(offset++ - faces);
                topo.faces[q] = {{at.faceVertex(f), at.edgeVertex(before), at.vertexVertex(corner), at.edgeVertex(after)},
                                 {at.cornerEdge(f, j - 1), side1, side2, at.cornerEdge(f, j)}};
                topo.faceSides[q] = static_cast<unsigned char>((side1 & 1) << 1 | (side2 & 1) << 2);
            }
        FACETRY_ASSERT(offset == faces+numF);
    }

    // Rings: a face point's run through its corner edges backwards, a vertex
    // point's follows its control vertex's ring, an edge point's goes round
    // its two halves and the corner edges between them. The edges' faces and
    // frames (the side of each face an edge lies on, bits 0-1, and whether it
    // runs with the grid there, bit 2) come with them.
    topo.ringStart = Block<int>(numV + 1);
    for (int f = 0; f < cF; ++f) topo.ringStart[at.faceVertex(f) + 1] = c.valence(f);
    for (int e = 0; e < cE; ++e) topo.ringStart[at.edgeVertex(e) + 1] = c.edgeFaces[2 * e + 1] < 0 ? 3 : 4;
    for (int v = 0; v < cV; ++v) topo.ringStart[at.vertexVertex(v) + 1] = c.edgeVal(v);
    for (int v = 0; v < numV; ++v) topo.ringStart[v + 1] += topo.ringStart[v];
    topo.ringEdges = Block<int>(topo.ringStart[numV]);
    topo.ringFaces = Block<int>(topo.ringStart[numV]);
    topo.ringCorners = Block<unsigned char>(topo.ringStart[numV]);
    auto entry = [this](int slot, int edge, int face, int corner, bool fromEnd) {
        topo.ringEdges[slot] = edge;
        topo.ringFaces[slot] = face;
        topo.ringCorners[slot] = static_cast<unsigned char>(corner | (fromEnd ? 4 : 0));
    };
    constexpr bool kFromStart = false, kFromEnd = true;  // whether the vertex is the edge's vertex(1)
    parallelFor(cF, threadCount, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end; ++f) {
            const int n = c.valence(static_cast<int>(f)), first = topo.ringStart[at.faceVertex(static_cast<int>(f))];
            for (int k = 0; k < n; ++k)
                entry(first + k, at.cornerEdge(static_cast<int>(f), -k), at.corner(static_cast<int>(f), -k), 0, kFromEnd);
        }
    });
    parallelFor(cE, threadCount, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const int e = static_cast<int>(i), a = c.edgeVertices[2 * e], f0 = c.edgeFaces[2 * e], f1 = c.edgeFaces[2 * e + 1];
            // The edge runs from a in its first face, which made it.
            const int j0 = at.sideOf(f0, e);
            topo.edges[2 * e].faces[0] = at.corner(f0, j0);
            topo.edges[2 * e + 1].faces[0] = at.corner(f0, j0 + 1);
            topo.edgeFrames[4 * e] = 2;      // the half at a: side 2 of its first quad
            topo.edgeFrames[4 * e + 2] = 5;  // the half at b: side 1, with the grid
            const int first = topo.ringStart[at.edgeVertex(e)];
            entry(first, 2 * e, at.corner(f0, j0), 3, kFromEnd);
            entry(first + 1, at.cornerEdge(f0, j0), at.corner(f0, j0 + 1), 1, kFromStart);
            if (f1 < 0) {
                entry(first + 2, 2 * e + 1, -1, 0, kFromStart);
                continue;
            }
            // In the second face it runs from a too when the two faces do
            // not turn the same way.
            const int j1 = at.sideOf(f1, e);
            const bool sameWay = c.cornerVertices[at.corner(f1, j1)] == a;
            const int atA = at.corner(f1, sameWay ? j1 : j1 + 1), atB = at.corner(f1, sameWay ? j1 + 1 : j1);
            topo.edges[2 * e].faces[1] = atA;
            topo.edges[2 * e + 1].faces[1] = atB;
            topo.edgeFrames[4 * e + 1] = sameWay ? 2 : 1;
            topo.edgeFrames[4 * e + 3] = sameWay ? 5 : 6;
            entry(first + 2, 2 * e + 1, atB, sameWay ? 1 : 3, kFromStart);
            entry(first + 3, at.cornerEdge(f1, j1), atA, sameWay ? 3 : 1, kFromStart);
        }
    });
    parallelFor(cF, threadCount, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const int f = static_cast<int>(i), n = c.valence(f);
            for (int j = 0; j < n; ++j) {
                // side 3 of quad j, side 0 of quad j+1
                const int k = at.cornerEdge(f, j), q = at.corner(f, j), next = at.corner(f, j + 1);
                topo.edges[k].faces[0] = std::min(q, next);
                topo.edges[k].faces[1] = std::max(q, next);
                topo.edgeFrames[2 * k] = q < next ? 3 : 0;
                topo.edgeFrames[2 * k + 1] = q < next ? 0 : 3;
            }
        }
    });
    parallelFor(cV, threadCount, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const int v = static_cast<int>(i), first = topo.ringStart[at.vertexVertex(v)];
            for (int k = 0; k < c.edgeVal(v); ++k) {
                const int e = c.ringEdges[c.ringStart[v] + k], f = c.ringFaces[c.ringStart[v] + k];
                entry(first + k, at.half(e, v), f >= 0 ? at.corner(f, c.cornerOf(f, v)) : -1, 2,
                      c.edgeVertices[2 * e] != v);
            }
        }
    });

    // Sharpness one level down: the halves of a control edge take its
    // sharpness, the edges inside the faces are smooth.
    takeSharpness(mesh, [](int e) { return 2 * e; }, [at](int v) { return at.vertexVertex(v); }, 1);

    // Positions from the control mesh's point rules.
    Vector* positions = points(0).vertices;
    parallelFor(cF, threadCount, grainFor(1), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) positions[i] = mesh.face(static_cast<int>(i))->centroid();
    });
    parallelFor(cE, threadCount, grainFor(1), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) positions[cF + i] = mesh.edge(static_cast<int>(i))->edgePoint();
    });
    parallelFor(cV, threadCount, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            positions[cF + cE + i] = mesh.vertex(static_cast<int>(i))->vertexPoint();
    });
}

void MrMesh::makeEdgeAndFaceHandles() const {
    MrMesh* self = const_cast<MrMesh*>(this);
    makeHandles(self, edges, numE);
    makeHandles(self, faces, numF);
    edgesMade = true;
}

Status MrMesh::vertexMoved(const MeshVertex* v) {
    FACETRY_ASSERT(v);
    moved.clear();
    auto place = [this](MrVertex* target, const Vector& p) {
        target->setPosition(p);
        moved.push_back(target->id);
    };
    if (allQuads) {
        place(v->mrVertex(), v->position());
    } else if (v->faceVal() == 0) {
        place(v->mrVertex(), v->vertexPoint());  // a vertex no face uses
    } else {
        // Every level-0 point that depends on v: the face points of its
        // faces, and the edge and vertex points all around them. v's own
        // vertex point sums over all its neighbours and every face shares
        // it, so it is computed once, not once per face (which would make a
        // drag cost the square of v's valence).
        place(v->mrVertex(), v->vertexPoint());
        for (int i = 0; i < v->faceVal(); ++i) {
            const MeshFace* f = v->face(i);
            place(f->mrVertex(), f->centroid());
            for (int j = 0; j < f->valence(); ++j) {
                const MeshEdge* e = f->edge(j);
                const MeshVertex* w = f->vertex(j);
                place(e->mrVertex(), e->edgePoint());
                if (w != v) place(w->mrVertex(), w->vertexPoint());
            }
        }
    }
    // The level the edit keeps is the surface's level as curRes() reports
    // it, vertex 0's, also when elements were refined or reset one by one
    // through their handles and stand at other levels: the level callers see
    // before the edit is the one they see after it.
    const int level = curRes();
    // The edit region computes from the level-0 positions on the premise
    // that every element is at the level; elements at several levels are
    // all brought to it instead, by a reset and the steps up again.
    if (!allAtOneLevel()) return rebuildTo(level);
    // Only the part of the surface these points reach is computed again;
    // short of memory for that, the whole surface is.
    try {
        editRegion.recompute(topo, points(0), points(level), moved, level, threadCount);
    } catch (const std::bad_alloc&) {
        return rebuildTo(level);
    }
    changed(&editRegion.changedFaces());
    return {};
}

void MrMesh::print() const { printElements("[MR-MESH]", numV, vertices, numE, edges, numF, faces); }

#include "mr/mrmesh.h"

#include <malloc.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "mesh/dump.h"
#include "mesh/error.h"

namespace {

// The share of the available memory a new level may take: the rest is left
// to the system and to the rest of the program.
constexpr std::size_t kReserveBytes = std::size_t(64) << 20;
constexpr std::size_t kAllocationOverhead = 16;  // per heap block
// How far the heap grows at a time. A level takes tens of megabytes in
// thousands of blocks; growing in steps of 16 MiB rather than glibc's 128 KiB
// makes the first refinement to a level several times faster (see the
// benchmark), and untouched address space costs no memory.
constexpr int kHeapGrowthStep = 16 << 20;

std::size_t allowedBytes(std::size_t available) {
    std::size_t usable = available - available / 8;
    return usable > kReserveBytes ? usable - kReserveBytes : 0;
}

// A byte count for people: "812 bytes", "3.5 KiB", "1.2 GiB".
std::string humanBytes(std::size_t bytes) {
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
    char text[32];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%zu bytes", bytes);
        return text;
    }
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

}  // namespace

MrMesh::~MrMesh() {
    delete[] faces;
    delete[] edges;
    delete[] vertices;
}

void MrMesh::build(const Mesh& mesh) {
    FACETRY_ASSERT(!vertices);
    mallopt(M_TOP_PAD, kHeapGrowthStep);
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
        linkAll();
    } catch (const std::bad_alloc&) {
        fatalError("%s", "ERROR: not enough memory to build the surface");
    }
}

void MrMesh::buildQuadPath(const Mesh& mesh) {
    std::printf("Not subdividing original mesh -- all quads\n");
    std::fflush(stdout);
    numV = mesh.numVertices();
    MrVertex::startNumbering();
    vertices = new MrVertex[numV];
    for (int i = 0; i < numV; ++i) {
        mesh.vertex(i)->setMrV(&vertices[i]);
        vertices[i].setPosition(mesh.vertex(i)->position());
    }
    numE = mesh.numEdges();
    MrEdge::startNumbering();
    edges = new MrEdge[numE];
    for (int i = 0; i < numE; ++i) {
        const MeshEdge* e = mesh.edge(i);
        edges[i].setVertices(e->vertex(0)->mrVertex(), e->vertex(1)->mrVertex());
    }
    numF = mesh.numFaces();
    MrFace::startNumbering();
    faces = new MrFace[numF];
    for (int i = 0; i < numF; ++i) {
        const MeshFace* f = mesh.face(i);
        FACETRY_ASSERT(f->valence() == 4);
        TopVertex* list[4] = {f->vertex(0)->mrVertex(), f->vertex(1)->mrVertex(), f->vertex(2)->mrVertex(),
                              f->vertex(3)->mrVertex()};
        faces[i].setVertices(4, list);
    }
    for (int i = 0; i < numV; ++i)
        if (vertices[i].edgeVal() > 0) vertices[i].orderRings();
}

void MrMesh::buildRefinementPath(const Mesh& mesh) {
    std::printf("Subdividing original mesh\n");
    std::fflush(stdout);
    const int cV = mesh.numVertices(), cE = mesh.numEdges(), cF = mesh.numFaces();

    // Vertices: face points, then edge points, then vertex points.
    numV = cF + cE + cV;
    MrVertex::startNumbering();
    vertices = new MrVertex[numV];
    MrVertex* offset = vertices;
    for (int i = 0; i < cF; ++i) mesh.face(i)->setMrV(offset++);
    for (int i = 0; i < cE; ++i) mesh.edge(i)->setMrV(offset++);
    for (int i = 0; i < cV; ++i) mesh.vertex(i)->setMrV(offset++);
    FACETRY_ASSERT(offset == vertices+numV);

    // Edges: the two halves of every control edge, then one from every
    // face corner's edge point to the face point.
    numE = 2 * cE + mesh.totalValence();
    MrEdge::startNumbering();
    edges = new MrEdge[numE];
    MrEdge* edgeCursor = edges;
    for (int i = 0; i < cE; ++i) {
        const MeshEdge* e = mesh.edge(i);
        (edgeCursor++)->setVertices(e->vertex(0)->mrVertex(), e->mrVertex());
        (edgeCursor++)->setVertices(e->mrVertex(), e->vertex(1)->mrVertex());
    }
    for (int i = 0; i < cF; ++i) {
        const MeshFace* f = mesh.face(i);
        for (int j = 0; j < f->valence(); ++j) (edgeCursor++)->setVertices(f->edge(j)->mrVertex(), f->mrVertex());
    }
    {
        MrEdge* offset = edgeCursor;
        FACETRY_ASSERT(offset == edges+numE);
    }

    // Faces: one quad per control-face corner, with the control face's orientation.
    numF = mesh.totalValence();
    MrFace::startNumbering();
    faces = new MrFace[numF];
    MrFace* faceCursor = faces;
    for (int i = 0; i < cF; ++i) {
        const MeshFace* f = mesh.face(i);
        for (int j = 0; j < f->valence(); ++j) {
            TopVertex* list[4] = {f->mrVertex(), f->edge(j - 1)->mrVertex(), f->vertex(j)->mrVertex(),
                                  f->edge(j)->mrVertex()};
            (faceCursor++)->setVertices(4, list);
        }
    }
    {
        MrFace* offset = faceCursor;
        FACETRY_ASSERT(offset == faces+numF);
    }
    for (int i = 0; i < numV; ++i)
        if (vertices[i].edgeVal() > 0) vertices[i].orderRings();

    // Positions from the control mesh's point rules.
    for (int i = 0; i < cF; ++i) mesh.face(i)->mrVertex()->setPosition(mesh.face(i)->centroid());
    for (int i = 0; i < cE; ++i) mesh.edge(i)->mrVertex()->setPosition(mesh.edge(i)->edgePoint());
    for (int i = 0; i < cV; ++i) mesh.vertex(i)->mrVertex()->setPosition(mesh.vertex(i)->vertexPoint());
}

void MrMesh::linkAll() {
    for (int i = 0; i < numV; ++i) vertices[i].link();
    for (int i = 0; i < numE; ++i) edges[i].link();
    for (int i = 0; i < numF; ++i) faces[i].link();
    editRegion.attach(vertices, numV, edges, numE, faces, numF);
}

std::size_t MrMesh::bytesForNextLevel() const {
    std::size_t bytes = 0;
    for (int i = 0; i < numE; ++i) {
        std::size_t d = 2 * static_cast<std::size_t>(edges[i].pointCount()) - 1;
        bytes += d * sizeof(Vector) + kAllocationOverhead;
    }
    for (int i = 0; i < numF; ++i) {
        std::size_t n = 2 * static_cast<std::size_t>(faces[i].gridSize()) - 1;
        bytes += n * n * sizeof(Vector) + kAllocationOverhead;
    }
    return bytes;
}

bool MrMesh::subdivide() {
    const int next = curRes() + 1;
    const std::size_t need = bytesForNextLevel();
    const std::size_t available = availableMemory ? availableMemory() : systemAvailableMemory();
    if (need > allowedBytes(available)) {
        // The figure given is what may be used, the available memory less
        // the safety margin, so the line never names room the level fits in.
        std::fprintf(stderr,
                     "Not subdivided to level %d: it needs %s of memory and only %s may be used "
                     "(%s available, less a safety margin)\n",
                     next, humanBytes(need).c_str(), humanBytes(allowedBytes(available)).c_str(),
                     humanBytes(available).c_str());
        return false;
    }
    return refineAll();
}

// One refinement step of the whole surface. The next level's storage is
// allocated first, so that running out of memory leaves the surface as it was.
bool MrMesh::refineAll() {
    const int next = curRes() + 1;
    std::vector<Vector*> edgePoints(numE, nullptr);
    std::unique_ptr<Table<Vector>[]> grids;
    try {
        grids.reset(new Table<Vector>[numF]);
        for (int i = 0; i < numE; ++i) edgePoints[i] = new Vector[2 * edges[i].pointCount() - 1];
        for (int i = 0; i < numF; ++i) grids[i].resize(2 * faces[i].gridSize() - 1);
    } catch (const std::bad_alloc&) {
        for (Vector* p : edgePoints) delete[] p;
        std::fprintf(stderr, "Not subdivided to level %d: not enough memory\n", next);
        return false;
    }
    // Every rule reads only the current level: vertices first, then edges,
    // then faces; only then do the elements take their new points.
    for (int i = 0; i < numV; ++i) vertices[i].refine();
    for (int i = 0; i < numE; ++i) edges[i].refineInto(edgePoints[i]);
    for (int i = 0; i < numF; ++i) faces[i].refineInto(grids[i]);
    for (int i = 0; i < numE; ++i) edges[i].adopt(edgePoints[i]);
    for (int i = 0; i < numF; ++i) faces[i].adopt(grids[i]);
    // The shared copies follow their owners.
    for (int i = 0; i < numE; ++i) edges[i].updateEnds();
    for (int i = 0; i < numF; ++i) faces[i].updateBoundary();
    return true;
}

void MrMesh::reset() {
    for (int i = 0; i < numV; ++i) vertices[i].reset();
    for (int i = 0; i < numE; ++i) edges[i].reset();
    for (int i = 0; i < numF; ++i) faces[i].reset();
}

// Levels that existed before are rebuilt without the memory guard: their
// storage was just given back.
void MrMesh::rebuildTo(int level) {
    reset();
    while (curRes() < level)
        if (!refineAll()) return;
}

void MrMesh::undivide() {
    const int level = curRes();
    if (level == 0) return;
    rebuildTo(level - 1);
}

void MrMesh::vertexMoved(const MeshVertex* v) {
    FACETRY_ASSERT(v);
    std::vector<MrVertex*> moved;  // every surface vertex given a new level-0 position
    auto place = [&moved](MrVertex* target, const Vector& p) {
        target->setPosition(p);
        moved.push_back(target);
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
    // Only the part of the surface these points reach is computed again;
    // short of memory for that, the whole surface is.
    const int level = curRes();
    try {
        editRegion.recompute(moved, level);
    } catch (const std::bad_alloc&) {
        rebuildTo(level);
    }
}

void MrMesh::print() const { printElements("[MR-MESH]", numV, vertices, numE, edges, numF, faces); }

#include "mr/mrmesh.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "mesh/dump.h"
#include "mr/parallel.h"
#include "mr/texturecoordinates.h"

namespace facetry {

MrMesh::MrMesh() : threadCount(machineThreads()) {}

MrMesh::~MrMesh() = default;

Status MrMesh::build(Mesh& mesh) {
    FACETRY_ASSERT(!vertices);
    numbering = LevelZeroNumbering(mesh.topology());
    allQuads = !numbering.refined();
    schemeOptions = mesh.options();
    try {
        numV = numbering.numV();
        numE = numbering.numE();
        numF = numbering.numF();
        makeElements();
        linkControlMesh(mesh);
        buildLevelZeroTopology(mesh, numbering, topo, threadCount);
        takeSharpness(mesh, numbering, topo);
        takeHoles(mesh, numbering, topo);
        levelZeroPositions(mesh, numbering, points(0).vertices, threadCount);
        if (mesh.hasTextureCoordinates() && mesh.options().faceVarying != FaceVaryingInterpolation::All)
            uvLayout = std::make_unique<FaceVaryingLayout>(mesh, numbering, topo);
        else
            cornerUVs = levelZeroTextureCoordinates(mesh, numbering);
    } catch (const std::bad_alloc&) {
        return {false, "ERROR: not enough memory to build the surface"};
    }
    return {true, buildPath()};
}

void MrMesh::textureCoordinateAt(int f, int i, int j, float uv[2]) const {
    FACETRY_ASSERT(hasTextureCoordinates() && 0 <= f && f < numF);
    if (uvLayout) {
        const TexCoord value = uvLayout->valueAt(curRes(), f, i, j);
        uv[0] = value.u;
        uv[1] = value.v;
        return;
    }
    bilinearTextureCoordinate(cornerUVs.data() + 8 * static_cast<std::size_t>(f), 1 << curRes(), i, j, uv);
}

const char* MrMesh::buildPath() const {
    return allQuads ? "Not subdividing original mesh -- all quads" : "Subdividing original mesh";
}

// The handles, every element at level 0, and the level-0 block.
void MrMesh::makeElements() {
    vertices.reserve(numV);
    vertices.make(this, numV);  // the control mesh's links point at them
    edges.reserve(numE);
    faces.reserve(numF);
    meshLevel = 0;
    levels.clear();
    levels.push_back(allocateLevel(0));
}

// Each control element that gives a level-0 point links to its vertex: on
// the quad path the control vertices, on the refinement path the face
// points, then the edge points, then the vertex points.
void MrMesh::linkControlMesh(Mesh& mesh) {
    for (int i = 0; i < mesh.numVertices(); ++i) mesh.vertex(i)->setMrV(&vertices[numbering.vertexVertex(i)]);
    if (allQuads) return;
    for (int i = 0; i < mesh.numFaces(); ++i) mesh.face(i)->setMrV(&vertices[numbering.faceVertex(i)]);
    for (int i = 0; i < mesh.numEdges(); ++i) mesh.edge(i)->setMrV(&vertices[numbering.edgeVertex(i)]);
}

void MrMesh::makeEdgeAndFaceHandles() const {
    // A handle reads through its mesh; the const is the caller's view only.
    MrMesh* self = const_cast<MrMesh*>(this);
    edges.make(self, numE);
    faces.make(self, numF);
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
    // before the edit is the one they see after it. The edit region computes
    // from the level-0 positions on the premise that every element is at the
    // level; elements at several levels are all brought to it instead, by a
    // reset and the steps up again.
    if (elementLevels) return rebuildTo(meshLevel);
    // Only the part of the surface these points reach is computed again;
    // short of memory for that, the whole surface is.
    try {
        editRegion.recompute(topo, points(0), points(meshLevel), moved, meshLevel, threadCount);
    } catch (const std::bad_alloc&) {
        return rebuildTo(meshLevel);
    }
    changed(&editRegion.changedFaces());
    return {};
}

void MrMesh::print() const { printElements("[MR-MESH]", numV, vertices.data(), numE, edges.data(), numF, faces.data()); }

}  // namespace facetry

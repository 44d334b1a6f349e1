#pragma once
// The surface as OpenGL vertex arrays: every face's whole grid of the current
// level, n x n points (n = 2^level + 1) row by row as gatherGrid gives them,
// face after face, so face f's point (i, j) is vertex f n^2 + i n + j.
//
// The faces are drawn in batches: runs of consecutive faces of about
// kBatchVertices vertices, always a multiple of the edge palette's 14 faces.
// Every full batch then has the same layout and every batch starts at a face
// of palette colour 0, so one index array for the cells, one for the lines
// and one colour array serve all batches: a batch costs a few calls that only
// move the vertex and normal pointers, whatever the size of the surface.
//
// A face that is a hole (MrTopology::isHole) keeps its place in the arrays
// but is not drawn: a batch with holes is drawn as its runs of other faces.
//
// Cell (i, j) has the corners A = (i, j), B = (i+1, j), C = (i+1, j+1) and
// D = (i, j+1) and is drawn as the quad D, A, B, C: the same quadrilateral,
// split by the software renderer into the same two triangles, as the old
// row-by-row quad strips. Its last vertex C, whose colour flat shading gives
// the whole quad, is that cell's alone, so it carries the cell's normal; the
// points of row 0 and column 0, last vertex of no cell, carry a neighbouring
// cell's normal.

#include <GL/gl.h>

#include <cstddef>
#include <vector>

#include "math/vector.h"
#include "mr/mrtopology.h"
#include "mr/refinement.h"

namespace facetry {

// The four display modes of the surface.
enum class SurfaceMode { Vertices, Edges, ColoredEdges, Faces };

// Vertices a batch aims at: enough for the renderer to spread a draw over its
// threads, few enough that its index arrays stay in cache.
constexpr int kBatchVertices = 1 << 17;

// The batch layout of a surface of `faces` faces at `level`, and the arrays
// all its batches share (made on first use).
class GridLayout {
public:
    // `holes`, when not null, holds one flag per face, 1 for a face not drawn.
    GridLayout(int faces, int level, const unsigned char* holes = nullptr);
    GridLayout(const GridLayout&) = delete;
    GridLayout& operator=(const GridLayout&) = delete;

    int level() const { return res; }
    int faces() const { return numF; }
    int side() const { return n; }                      // n: points along a grid side
    int facePoints() const { return n * n; }            // vertices per face
    int facesPerBatch() const { return batchFaces; }    // faces of every batch but perhaps the last
    int batches() const { return (numF + batchFaces - 1) / batchFaces; }
    int firstFace(int batch) const { return batch * batchFaces; }
    int facesIn(int batch) const;                       // faces of that batch
    bool hasHoles() const { return holeFlags != nullptr; }
    bool isHole(int f) const { return holeFlags && holeFlags[f] != 0; }

    // 4 indices per cell of a full batch: D, A, B, C.
    const GLuint* cellIndices();
    // 2 indices per segment of a full batch: per face the lines of constant
    // i, then those of constant j, each from its first point to its last.
    const GLuint* lineIndices();
    // RGB per vertex of a full batch: face k of the batch in palette colour k mod 14.
    const GLfloat* colours();
    GLsizei cellIndexCount(int faces) const { return static_cast<GLsizei>(faces) * 4 * (n - 1) * (n - 1); }
    GLsizei lineIndexCount(int faces) const { return static_cast<GLsizei>(faces) * 4 * n * (n - 1); }

    // The bytes the shared arrays take now, and the most they take for a
    // surface of `faces` faces at `level`.
    std::size_t bytes() const;
    static std::size_t sharedBytes(int faces, int level);

private:
    int res;         // the level
    int numF;        // faces of the surface
    int n;           // points along a grid side
    int batchFaces;  // faces per full batch
    const unsigned char* holeFlags;  // per face, 1 for a hole; null when there is none
    std::vector<GLuint> cells;    // cellIndexCount(batchFaces), empty until used
    std::vector<GLuint> lines;    // lineIndexCount(batchFaces), empty until used
    std::vector<GLfloat> palette; // 3 per vertex of a full batch, empty until used
};

// The hole flags GridLayout takes: the surface's, or null when no face is a hole.
inline const unsigned char* holeFlags(const MrTopology& topology) {
    return topology.hasHoles() ? topology.faceHoles.data() : nullptr;
}

// Face f's n x n grid points into `points` and, when `normals` is not null,
// the normals that go with them (see above).
void fillFace(const MrTopology& topology, const LevelPoints& level, int f, int n, Vector* points, Vector* normals);
// The normals of one n x n grid from its points.
void fillNormals(const Vector* points, int n, Vector* normals);

// One batch as the draw calls read it: its faces' points and, for the faces
// mode, their normals.
struct BatchArrays {
    const Vector* points = nullptr;   // facePoints() per face
    const Vector* normals = nullptr;  // as many, or null outside the faces mode
};

// Draws the surface in `mode` batch by batch; arraysOf(b) gives batch b's
// arrays and is called once per batch, in order. Sets the point size of the
// vertices mode and leaves the current colour (coloured edges) and normal
// (faces) as the last face's drawing would; turns the client arrays it
// enables off again.
template <class ArraysOf>
void drawBatches(GridLayout& layout, SurfaceMode mode, ArraysOf arraysOf);

// The calls for one batch of `faces` faces from face `first`; drawBatches makes them.
void drawBatch(GridLayout& layout, SurfaceMode mode, const BatchArrays& arrays, int first, int faces);
// Turns the client arrays of `mode` on or off, and for on, points the colour
// array at the shared colours.
void enableArrays(GridLayout& layout, SurfaceMode mode, bool on);
// Leaves the current colour or normal as drawing the last face in
// immediate mode did; `last` holds the last batch's arrays of `faces` faces.
void finishMode(const GridLayout& layout, SurfaceMode mode, const BatchArrays& last, int faces);

template <class ArraysOf>
void drawBatches(GridLayout& layout, SurfaceMode mode, ArraysOf arraysOf) {
    if (layout.faces() == 0) return;
    enableArrays(layout, mode, true);
    BatchArrays arrays;
    for (int b = 0; b < layout.batches(); ++b) {
        arrays = arraysOf(b);
        drawBatch(layout, mode, arrays, layout.firstFace(b), layout.facesIn(b));
    }
    enableArrays(layout, mode, false);
    finishMode(layout, mode, arrays, layout.facesIn(layout.batches() - 1));
}

}  // namespace facetry

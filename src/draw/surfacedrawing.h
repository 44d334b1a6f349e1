#pragma once
// SurfaceDrawing: the surface's vertex arrays, kept between frames, and its
// four display modes drawn from them (the layout is GridLayout's).
//
// Invariants between calls: the arrays, when present, hold the grids of the
// surface's current level as the surface has them, and the normals, when
// present, go with those points. Turning or zooming the view only replays
// them. The drawing learns of every change from the surface: an edit
// refreshes the faces it reports, anything else (subdivide, undivide, reset)
// drops the arrays, which the next draw builds again for the new level. The
// points are built for any mode, the normals only once the faces mode is
// drawn. The surface's memory guard counts what the arrays take at the level
// it is asked for.
//
// The drawing registers itself with the surface it is made for and must not
// outlive it.

#include <cstddef>
#include <memory>
#include <vector>

#include "draw/gridarrays.h"
#include "mr/block.h"
#include "mr/mrmesh.h"

namespace facetry {

class SurfaceDrawing {
public:
    explicit SurfaceDrawing(MrMesh& surface);
    ~SurfaceDrawing();
    SurfaceDrawing(const SurfaceDrawing&) = delete;
    SurfaceDrawing& operator=(const SurfaceDrawing&) = delete;

    // The display modes, as the surface's operations of the same names draw
    // them. The first draw after a change builds what the mode needs (slow:
    // a pass over the whole surface); later ones only replay.
    void drawVertices() { draw(SurfaceMode::Vertices); }
    void drawEdges() { draw(SurfaceMode::Edges); }
    void drawColoredEdges() { draw(SurfaceMode::ColoredEdges); }
    void drawFaces() { draw(SurfaceMode::Faces); }
    void draw(SurfaceMode mode);

    // The most the arrays take for a surface of `faces` faces at `level`, in bytes.
    static std::size_t bytesAtLevel(int faces, int level);
    // The bytes the arrays take now.
    std::size_t bytes() const;
    // Faces whose arrays have been filled since the drawing was made: every
    // face per build, the reported ones per edit.
    long long facesFilled() const { return filled; }

private:
    void surfaceChanged(const std::vector<int>* faces);
    // Builds what `mode` needs; false when memory ran out for it.
    bool prepare(SurfaceMode mode);
    void fillFaces(bool points, bool normals);
    void release();

    MrMesh& surface;                     // the surface drawn; outlives the drawing
    std::unique_ptr<GridLayout> layout;  // the batches of the current level; null until built
    PointBlock points;                   // facePoints() per face, face by face; empty until built
    PointBlock normals;                  // as many, going with points; empty until faces are drawn
    bool outOfMemory = false;            // building failed since the last change: the modes draw streamed
    long long filled = 0;                // faces filled so far
};

}  // namespace facetry

#pragma once
// Viewer: everything the window's callbacks work on, in one place, so the
// callbacks stay thin and tests can drive a viewer without a window.
//
// Invariants: mesh and mrMesh are set before the first event, never change
// and outlive the viewer; mrMesh is built over mesh, and surfaceDrawing, made
// for mrMesh, draws it. While drag.draggingVertex is true,
// drag.moveVertex points at a vertex of mesh.

#include <functional>
#include <memory>

#include "app/arcball.h"
#include "app/editsession.h"
#include "app/view.h"
#include "math/vector.h"
#include "mesh/mesh.h"
#include "mr/mrmesh.h"
#include "draw/surfacedrawing.h"

namespace facetry {

// The state of a control-vertex drag, set at the press and kept until the release.
struct VertexDrag {
    bool draggingVertex = false;       // a vertex was picked at the press and the button is still down
    MeshVertex* moveVertex = nullptr;  // the vertex of the last pick, or null; a release keeps it
    Vector dragRight;                  // model displacement per pixel of mouse motion to the right
    Vector dragUp;                     // model displacement per pixel of mouse motion upwards
    int lastX = 0;                     // mouse x at the press or at the last step that moved the vertex
    int lastY = 0;                     // mouse y at the press or at the last step that moved the vertex
};

struct Viewer {
    // Asks for the picture to be drawn again; a no-op until a window or a test sets it.
    void redisplay() const {
        if (postRedisplay) postRedisplay();
    }

    Arcball arcball;                     // the rotation controller, made first
    View view;                           // camera, zoom, display modes, window size
    Mesh* mesh = nullptr;                // the control mesh, not owned
    MrMesh* mrMesh = nullptr;            // the surface over it, not owned
    std::unique_ptr<SurfaceDrawing> surfaceDrawing;  // the surface's vertex arrays, kept between frames
    VertexDrag drag;                     // the control-vertex drag in progress, if any
    bool levelDropped = false;           // a coarser level was taken since the last frame: its memory can go back
    std::function<void()> postRedisplay; // schedules a redraw (glutPostRedisplay in the window)
    std::unique_ptr<EditSession> session;  // the editing session, null in the plain viewer
};

}  // namespace facetry

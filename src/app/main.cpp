// The viewer's main module: start-up and the mouse. The process entry
// point (facetry.cpp) only hands the command line to runViewer, so that
// tests can link everything here.
#include "app/main.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/picking.h"
#include "app/programio.h"
#include "app/startup.h"
#include "app/window.h"
#include "math/check.h"
#include "mesh/error.h"

namespace facetry {

namespace {

// A drag moves the vertex this many units of the fitted view (the cube
// -1..1 before zoom) across the whole window.
constexpr double kDragSpan = 2.0;

bool isFinite(const Vector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The rotation and scale of a modelview: screen directions map back into
// model directions without the translation, wherever the mesh lies.
void rotationAndScale(const float m[16], float linear[16]) {
    std::memcpy(linear, m, 16 * sizeof(float));
    linear[12] = linear[13] = linear[14] = 0;
}

}  // namespace

void runViewer(int argc, char** argv) {
    ViewerCommandLine line;
    const bool parsed = parseViewerCommandLine(argc, argv, line);
    if (parsed && line.help) {
        std::fputs(kViewerHelp, stdout);
        std::exit(0);
    }
    // without any argument the plain viewer's usage line, as always
    if (!parsed && argc > 1) fatalError("%s", kEditUsage);
    Viewer* viewer = new Viewer;  // the arcball first, in its default state
    viewer->arcball.copyMatrix(viewer->view.viewRotation);
    Mesh* mesh = new Mesh;
    if (line.edit) {
        viewer->session = std::make_unique<EditSession>(line.input, line.output);
        readMeshFile(line.input, *mesh);
        // A save beyond the file size limit then fails like one on a full
        // disk, and the session goes on with its edits.
        std::signal(SIGXFSZ, SIG_IGN);
    } else {
        loadControlMesh(argc, argv, *mesh);
    }
    ViewFit fit = fitView(*mesh);
    viewer->view.center = fit.center;
    viewer->view.scale = fit.scale;
    MrMesh* mrMesh = new MrMesh;
    buildSurface(*mrMesh, *mesh);
    viewer->mesh = mesh;
    viewer->mrMesh = mrMesh;
    viewer->surfaceDrawing = std::make_unique<SurfaceDrawing>(*mrMesh);
    if (viewer->session) printStatus({true, sessionKeysLine(*viewer->session)});
    openWindow(*viewer, argc, argv);
}

void mouse(Viewer& viewer, int button, int state, int x, int y) {
    VertexDrag& drag = viewer.drag;
    if (state == GLUT_DOWN) {
        if (viewer.view.meshDisplay == kDisplayOff) {
            drag.draggingVertex = false;  // nothing to pick from
        } else {
            drag.moveVertex = pickVertex(viewer.view, *viewer.mesh, x, y);
            drag.draggingVertex = drag.moveVertex != nullptr;
        }
    } else if (state != GLUT_UP) {
        return;
    }
    if (drag.draggingVertex)
        vertexButton(viewer, button, state, x, y);
    else
        arcballButton(viewer, button, state, x, y);
}

void motion(Viewer& viewer, int x, int y) {
    if (viewer.drag.draggingVertex)
        vertexDrag(viewer, x, y);
    else
        arcballDrag(viewer, x, y);
}

void vertexButton(Viewer& viewer, int, int state, int x, int y) {
    VertexDrag& drag = viewer.drag;
    if (state == GLUT_DOWN) {
        drag.lastX = x;
        drag.lastY = y;
        setModelview(viewer.view);
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        dragVectors(m, viewer.view, drag.dragRight, drag.dragUp);
        if (viewer.session) startPointerPlane(viewer, x, y);
    } else if (state == GLUT_UP) {
        drag.draggingVertex = false;
        if (viewer.session) recordDrag(viewer);
        // with the surface hidden it was not kept up to date during the drag
        if (viewer.view.mrMeshDisplay == kDisplayOff) {
            printStatus(viewer.mrMesh->vertexMoved(drag.moveVertex));
            viewer.redisplay();
        }
    }
}

void vertexDrag(Viewer& viewer, int x, int y) {
    VertexDrag& drag = viewer.drag;
    if (!drag.draggingVertex) return;
    MeshVertex* moveVertex = drag.moveVertex;
    FACETRY_ASSERT(moveVertex);
    int dx = x - drag.lastX, dy = y - drag.lastY;
    if (dx == 0 && dy == 0) return;
    if (viewer.session) {
        Vector p;
        if (!pointOnPointerPlane(viewer.session->plane, x, y, p)) return;
        moveVertex->setPosition(p);
    } else {
        // window y runs downwards, the screen's up axis upwards
        Vector p = moveVertex->position();
        moveVertex->setPosition((p + drag.dragRight * static_cast<float>(dx)) - drag.dragUp * static_cast<float>(dy));
    }
    if (viewer.view.mrMeshDisplay != kDisplayOff) printStatus(viewer.mrMesh->vertexMoved(moveVertex));
    drag.lastX = x;
    drag.lastY = y;
    viewer.redisplay();
}

void arcballButton(Viewer& viewer, int, int state, int x, int y) {
    const View& view = viewer.view;
    Arcball& arcball = viewer.arcball;
    Quaternion p = windowToBall(x, y, view.windowWidth, view.windowHeight);
    if (state == GLUT_DOWN) {
        arcball.setMouse(p);
        arcball.beginDrag();
        arcball.update();
    } else if (state == GLUT_UP) {
        // the release point adds nothing: the last motion's rotation stays
        arcball.setMouse(p);
        arcball.endDrag();
        arcball.update();
        arcball.copyMatrix(viewer.view.viewRotation);
    }
    viewer.redisplay();
}

void arcballDrag(Viewer& viewer, int x, int y) {
    Quaternion p = windowToBall(x, y, viewer.view.windowWidth, viewer.view.windowHeight);
    viewer.arcball.setMouse(p);
    viewer.arcball.update();
    viewer.arcball.copyMatrix(viewer.view.viewRotation);
    viewer.redisplay();
}

Vector unproject(const float m[16], const Vector& p) {
    const float a[4] = {p.x, p.y, p.z, 1};
    float b[4];
    for (int i = 0; i < 4; ++i) {
        b[i] = 0;
        for (int j = 0; j < 4; ++j) b[i] += m[4 * i + j] * a[j];
    }
    FACETRY_ASSERT(b[3]);
    return Vector(b[0], b[1], b[2]) / b[3];
}

bool dragVectors(const float m[16], const View& view, Vector& dragRight, Vector& dragUp) {
    float linear[16];
    rotationAndScale(m, linear);
    Vector o = unproject(linear, view.target);
    Vector right = unproject(linear, view.right) - o;
    Vector up = unproject(linear, view.up) - o;
    dragRight = dragUp = Vector();
    float l = minOf(right.lengthSquared(), up.lengthSquared());
    // A point-like mesh (scale 0), a scale whose square overflows or a
    // window without area allows no motion.
    if (!(l > 0) || !std::isfinite(l) || view.windowWidth <= 0 || view.windowHeight <= 0) return false;
    float k = static_cast<float>(kDragSpan / l);
    right *= k / static_cast<float>(view.windowWidth);
    up *= k / static_cast<float>(view.windowHeight);
    if (!isFinite(right) || !isFinite(up)) return false;
    dragRight = right;
    dragUp = up;
    return true;
}

void startPointerPlane(Viewer& viewer, int x, int y) {
    PointerPlane& plane = viewer.session->plane;
    plane.pressX = x;
    plane.pressY = y;
    plane.start = viewer.drag.moveVertex->position();
    // the modelview of this press (loaded by the caller) and the frame's projection
    glGetDoublev(GL_MODELVIEW_MATRIX, plane.modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, plane.projection);
    glGetIntegerv(GL_VIEWPORT, plane.viewport);
    plane.valid = gluProject(plane.start.x, plane.start.y, plane.start.z, plane.modelview, plane.projection,
                             plane.viewport, &plane.window[0], &plane.window[1], &plane.window[2]) == GL_TRUE;
}

bool pointOnPointerPlane(const PointerPlane& plane, int x, int y, Vector& p) {
    if (!plane.valid) return false;
    // the pointer's motion since the press, window y turned upwards; the
    // depth of the start position keeps the point in its plane
    const double wx = plane.window[0] + (x - plane.pressX), wy = plane.window[1] - (y - plane.pressY);
    double px, py, pz;
    if (gluUnProject(wx, wy, plane.window[2], plane.modelview, plane.projection, plane.viewport, &px, &py, &pz) !=
        GL_TRUE)
        return false;
    const Vector q(static_cast<float>(px), static_cast<float>(py), static_cast<float>(pz));
    if (!isFinite(q)) return false;
    p = q;
    return true;
}

void recordDrag(Viewer& viewer) {
    EditSession& session = *viewer.session;
    const MeshVertex* v = viewer.drag.moveVertex;
    const Vector end = v->position(), start = session.plane.start;
    if (end.x == start.x && end.y == start.y && end.z == start.z) return;  // a click
    session.history.record(v->id, start);
    session.quitAsked = false;
    viewer.redisplay();  // the title gets its mark
}

}  // namespace facetry

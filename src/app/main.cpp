// The viewer's main module: start-up and the mouse. The process entry
// point (facetry.cpp) only hands the command line to runViewer, so that
// tests can link everything here.
#include "app/main.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <cmath>
#include <cstring>

#include "app/picking.h"
#include "app/programio.h"
#include "app/startup.h"
#include "app/window.h"
#include "math/check.h"

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
    Viewer* viewer = new Viewer;  // the arcball first, in its default state
    viewer->arcball.copyMatrix(viewer->view.viewRotation);
    Mesh* mesh = new Mesh;
    loadControlMesh(argc, argv, *mesh);
    ViewFit fit = fitView(*mesh);
    viewer->view.center = fit.center;
    viewer->view.scale = fit.scale;
    MrMesh* mrMesh = new MrMesh;
    buildSurface(*mrMesh, *mesh);
    viewer->mesh = mesh;
    viewer->mrMesh = mrMesh;
    viewer->surfaceDrawing = std::make_unique<SurfaceDrawing>(*mrMesh);
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
    } else if (state == GLUT_UP) {
        drag.draggingVertex = false;
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
    // window y runs downwards, the screen's up axis upwards
    Vector p = moveVertex->position();
    moveVertex->setPosition((p + drag.dragRight * static_cast<float>(dx)) - drag.dragUp * static_cast<float>(dy));
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

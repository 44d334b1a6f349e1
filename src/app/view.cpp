#include "app/view.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "math/quaternion.h"

namespace facetry {

namespace {

// The perspective of the camera.
constexpr double kFieldOfViewY = 60;  // vertical angle, degrees
constexpr double kNearPlane = 0.1;
constexpr double kFarPlane = 100;
// The side of the pick region around the mouse, in pixels.
constexpr double kPickRegion = 7;

}  // namespace

View::View() {
    eye = target + cross(right, up) * eyeDistance;
    std::memcpy(viewRotation, identityMatrix, sizeof viewRotation);
}

void View::resize(int w, int h) {
    windowWidth = w;
    windowHeight = h;
    aspect = static_cast<float>(w) / maxOf(static_cast<float>(h), 1);
}

void setProjection(const View& view, bool pick, int x, int y) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (pick) {
        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        // window y runs downwards, OpenGL's upwards
        gluPickMatrix(x, vp[3] - y, kPickRegion, kPickRegion, vp);
    }
    gluPerspective(kFieldOfViewY, view.aspect, kNearPlane, kFarPlane);
    gluLookAt(view.eye.x, view.eye.y, view.eye.z, view.target.x, view.target.y, view.target.z, view.up.x, view.up.y,
              view.up.z);
}

void setModelview(const View& view) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(view.viewRotation);
    glScalef(view.zoom, view.zoom, view.zoom);
    glScalef(view.scale, view.scale, view.scale);
    glTranslatef(-view.center.x, -view.center.y, -view.center.z);
}

}  // namespace facetry

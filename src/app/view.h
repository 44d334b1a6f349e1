#pragma once
// View: what the viewer shows and from where: the fixed camera, the zoom,
// the two display modes, the window size, and the centring, scaling and
// rotation that bring the mesh in front of the camera.
//
// Invariants: the camera never moves (eye = target + cross(right, up) x
// eyeDistance); aspect = windowWidth / max(windowHeight, 1) after every
// resize; a model point p reaches the camera's space as
// viewRotation . zoom . scale . (p - center).

#include "math/vector.h"

namespace facetry {

// The display-mode values, equal to the values of their menu entries.
constexpr int kDisplayVertices = 1;
constexpr int kDisplayEdges = 2;         // the control mesh draws vertices and edges
constexpr int kDisplayColoredEdges = 3;  // surface only
constexpr int kDisplayFaces = 4;         // surface only
constexpr int kDisplayOff = -1;

// One zoom step: the image grows by 1/0.9 or shrinks by 0.9.
constexpr float kZoomStep = 0.9f;

struct View {
    View();

    // Stores the new window size and its aspect ratio.
    void resize(int w, int h);
    void zoomIn() { zoom = zoom / kZoomStep; }
    void zoomOut() { zoom = zoom * kZoomStep; }

    float zoom = 0.8f;                  // uniform zoom factor of the modelview
    int meshDisplay = kDisplayEdges;    // what is drawn of the control mesh
    int mrMeshDisplay = kDisplayFaces;  // what is drawn of the surface
    int windowWidth = 0;                // window width in pixels, 0 before the first reshape
    int windowHeight = 0;               // window height in pixels, 0 before the first reshape
    float aspect = 0;                   // windowWidth / max(windowHeight, 1)
    Vector target;                      // the point the camera looks at
    Vector right{1, 0, 0};              // the camera's screen-right axis
    Vector up{0, 1, 0};                 // the camera's up axis
    float eyeDistance = 3;              // distance from the eye to the target
    Vector eye;                         // the camera position
    Vector center;                      // the model point shown at the target
    float scale = 0;                    // fits the mesh into the cube -1..1; 0 for a point-like mesh
    float viewRotation[16];             // rotation factor of the modelview, OpenGL column order
};

// Loads the projection: the perspective and the camera's look-at, narrowed
// to the 7 x 7 pixels around (x, y) when picking. Leaves GL_PROJECTION current.
void setProjection(const View& view, bool pick, int x, int y);
// Loads the modelview: rotation, zoom, scale, then the move of center to the origin.
void setModelview(const View& view);

}  // namespace facetry

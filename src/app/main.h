#pragma once
// The viewer's main module: start-up in its fixed order, and the mouse. A
// press picks a control vertex and drags it parallel to the screen, or,
// away from every vertex, turns the view with the arcball.

#include "app/viewer.h"

namespace facetry {

// Start-up: the arcball, the control mesh named by argv[1], the view's
// centring and scaling, the surface, then the window and its event loop.
// Never returns; bad command lines and bad files end the process with -1.
[[noreturn]] void runViewer(int argc, char** argv);

// GLUT's mouse callback: a press picks (unless the control mesh is Off) and
// starts a vertex drag or a rotation; the release ends whichever it started.
void mouse(Viewer& viewer, int button, int state, int x, int y);
// GLUT's motion callback: moves the dragged vertex or turns the view.
void motion(Viewer& viewer, int x, int y);

// Sets up (press) or ends (release) the drag of drag.moveVertex.
void vertexButton(Viewer& viewer, int button, int state, int x, int y);
// Moves the dragged vertex by the mouse motion since the last step.
void vertexDrag(Viewer& viewer, int x, int y);
// Starts (press) or ends (release) a rotation of the view.
void arcballButton(Viewer& viewer, int button, int state, int x, int y);
// Turns the view to follow the mouse from the press point.
void arcballDrag(Viewer& viewer, int x, int y);

// p through the transpose of m (as glGetFloatv gives it), divided by the
// resulting w: for a rotation and scale, the model point that m maps to p.
Vector unproject(const float m[16], const Vector& p);
// The model-space displacements per pixel of mouse motion to the right and
// upwards on the screen, from the modelview m: each is the model direction of
// that screen axis, of length 2 / (zoom . scale . window size along the axis).
// Returns false, with both zero, when there is no finite such motion (a
// point-like mesh or a window without area).
bool dragVectors(const float m[16], const View& view, Vector& dragRight, Vector& dragUp);

// The editing session's drag: the vertex stays under the pointer, in the
// plane through its start position parallel to the screen, in the view of
// the press (its modelview loaded, the frame's projection).
// Called at the press, with the modelview of the press loaded.
void startPointerPlane(Viewer& viewer, int x, int y);
// The model point under window position (x, y) in that plane, keeping the
// offset between pointer and vertex of the press; false when there is none.
bool pointOnPointerPlane(const PointerPlane& plane, int x, int y, Vector& p);
// At the release: a drag that moved the vertex becomes one undo step.
void recordDrag(Viewer& viewer);

}  // namespace facetry

#pragma once
// Arcball: turns the view by dragging the mouse across a virtual unit sphere.
//
// Invariants: `matrix` is always toMatrix(rotation.conjugate()), so OpenGL,
// reading it column by column, applies `rotation`. While dragging, rotation
// is dragRotation x rotationAtPress, measured from the press point, so
// rotations never pile up event by event. Points on the sphere have w = 0.
// The rotation is never renormalised; toMatrix divides by its norm.

#include "math/colors.h"
#include "math/quaternion.h"

namespace facetry {

// The number of equal segments of every arc drawn; a power of two, because
// the first point is found by halving the arc four times.
constexpr int kArcSegments = 16;

class Arcball {
public:
    Arcball();

    void setMouse(const Quaternion& p) { mousePoint = p; }
    void beginDrag();
    void endDrag();
    // Recomputes the sphere points, the rotation (while dragging) and matrix.
    void update();
    void copyMatrix(float out[16]) const;
    // The rim and the drag arc while a drag is on; leaves dragColor current.
    void draw() const;

    bool isDragging() const { return dragging; }
    Quaternion currentRotation() const { return rotation; }
    Quaternion currentDragRotation() const { return dragRotation; }

private:
    Color rimColor;                // colour of the rim circle
    Color dragColor;               // colour of the drag arc
    Quaternion ballCenter;         // centre of the ball; only x and y count
    double ballRadius;             // radius of the ball in ball coordinates
    Quaternion rotation;           // the current rotation
    Quaternion rotationAtPress;    // the rotation when the current drag began
    Quaternion dragRotation;       // what the current drag adds
    Quaternion mousePoint;         // latest mouse position in ball coordinates
    Quaternion mousePointAtPress;  // mouse position when the drag began
    Quaternion fromPoint;          // mousePointAtPress on the sphere
    Quaternion toPoint;            // mousePoint on the sphere
    float matrix[16];              // toMatrix(rotation.conjugate()), for OpenGL
    bool dragging;                 // a drag is in progress
};

// A window position in ball coordinates (px, py, 0, 0): the largest centred
// circle of the window maps onto the unit disc, y upwards.
Quaternion windowToBall(float x, float y, float width, float height);
// p on the unit sphere: lifted onto the front half inside the ball, pulled
// onto the rim (z = 0) outside it.
Quaternion projectToSphere(const Quaternion& p, const Quaternion& center, double radius);
// The cross product as vector part and the dot product as w: for unit points,
// the turn about from x to by twice the angle between them.
Quaternion rotationBetween(const Quaternion& from, const Quaternion& to);
// The midpoint of the great arc from a to b, on the sphere; (0, 0, 1, 0) for
// opposite points.
Quaternion midArcPoint(const Quaternion& v1, const Quaternion& v2);
// The kArcSegments + 1 equally spaced points of the arc from `from` to `to`.
void arcPoints(const Quaternion& from, const Quaternion& to, Quaternion pts[kArcSegments + 1]);
// The arc as one line strip.
void drawArc(const Quaternion& from, const Quaternion& to);
// The unit circle in the plane z = 0, as four quarter arcs.
void drawCircle();

}  // namespace facetry

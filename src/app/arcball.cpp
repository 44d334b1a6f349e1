#include "app/arcball.h"

#include <GL/gl.h>

#include <cstring>

#include "draw/glcolor.h"
#include "math/check.h"

namespace facetry {

namespace {

// Below this squared length the two arc ends are taken as opposite points.
constexpr float kOppositeNorm = 0.00001f;
// The number of halvings that bring `to` down to the first segment's end.
constexpr int kArcHalvings = 4;  // 2^4 = kArcSegments
static_assert(1 << kArcHalvings == kArcSegments, "arc halvings and segments disagree");

}  // namespace

Arcball::Arcball()
    : rimColor(white),
      dragColor(cyan),
      ballCenter(identityQuaternion),
      ballRadius(1.0),
      rotation(identityQuaternion),
      rotationAtPress(identityQuaternion),
      dragRotation(),
      mousePoint(identityQuaternion),
      mousePointAtPress(identityQuaternion),
      fromPoint(),
      toPoint(),
      dragging(false) {
    std::memcpy(matrix, identityMatrix, sizeof matrix);
}

void Arcball::beginDrag() {
    dragging = true;
    mousePointAtPress = mousePoint;
}

void Arcball::endDrag() {
    dragging = false;
    rotationAtPress = rotation;
}

void Arcball::update() {
    fromPoint = projectToSphere(mousePointAtPress, ballCenter, ballRadius);
    toPoint = projectToSphere(mousePoint, ballCenter, ballRadius);
    if (dragging) {
        dragRotation = rotationBetween(fromPoint, toPoint);
        rotation = dragRotation * rotationAtPress;
    }
    toMatrix(rotation.conjugate(), matrix);
}

void Arcball::copyMatrix(float out[16]) const { std::memcpy(out, matrix, sizeof matrix); }

void Arcball::draw() const {
    if (dragging) {
        setColor(rimColor);
        drawCircle();
    }
    setColor(dragColor);
    if (dragging) drawArc(fromPoint, toPoint);
}

Quaternion windowToBall(float x, float y, float width, float height) {
    float sx = width > height ? width / height : 1;
    float sy = height > width ? height / width : 1;
    float px = (x / width - 0.5f) * 2 * sx;
    float py = -(y / height - 0.5f) * 2 * sy;
    return Quaternion(px, py, 0, 0);
}

Quaternion projectToSphere(const Quaternion& p, const Quaternion& center, double radius) {
    Quaternion b(static_cast<float>((p.x - center.x) / radius), static_cast<float>((p.y - center.y) / radius), 0, 0);
    float m = b.norm();
    if (m > 1)
        b *= 1 / squareRoot(m);
    else
        b.z = squareRoot(1 - m);
    return b;
}

Quaternion rotationBetween(const Quaternion& f, const Quaternion& t) {
    return Quaternion(f.y * t.z - f.z * t.y, f.z * t.x - f.x * t.z, f.x * t.y - f.y * t.x,
                      f.x * t.x + f.y * t.y + f.z * t.z);
}

Quaternion midArcPoint(const Quaternion& v1, const Quaternion& v2) {
    FACETRY_ASSERT(!v1.w && !v2.w);
    Quaternion s = v1 + v2;
    float n = s.norm();
    if (n < kOppositeNorm) return Quaternion(0, 0, 1, 0);
    return s * (1 / squareRoot(n));
}

void arcPoints(const Quaternion& from, const Quaternion& to, Quaternion pts[kArcSegments + 1]) {
    pts[0] = from;
    pts[kArcSegments] = to;
    pts[1] = to;
    for (int k = 0; k < kArcHalvings; ++k) pts[1] = midArcPoint(pts[0], pts[1]);
    // Equally spaced points on a circle: p[i] = 2cos(step) p[i-1] - p[i-2].
    float d = 2 * dot(pts[0], pts[1]);
    for (int i = 2; i < kArcSegments; ++i) pts[i] = pts[i - 1] * d - pts[i - 2];
}

void drawArc(const Quaternion& from, const Quaternion& to) {
    Quaternion pts[kArcSegments + 1];
    arcPoints(from, to, pts);
    glBegin(GL_LINE_STRIP);
    for (const Quaternion& p : pts) glVertex3f(p.x, p.y, p.z);
    glEnd();
}

void drawCircle() {
    const Quaternion p(1, 0, 0, 0), q(0, 1, 0, 0);
    drawArc(p, q);
    drawArc(q, -p);
    drawArc(-p, -q);
    drawArc(-q, p);
}

}  // namespace facetry

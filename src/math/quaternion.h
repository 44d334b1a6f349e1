#pragma once
#include <cmath>

namespace facetry {

// Quaternion: four floats, scalar part w; the arcball's rotations and its
// points on the unit sphere (w = 0). Matrices are plain arrays of 16 floats
// in the order OpenGL reads them.

struct Quaternion {
    float x = 0, y = 0, z = 0, w = 0;

    Quaternion() = default;
    Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    Quaternion operator+(const Quaternion& q) const { return Quaternion(x + q.x, y + q.y, z + q.z, w + q.w); }
    Quaternion operator-(const Quaternion& q) const { return Quaternion(x - q.x, y - q.y, z - q.z, w - q.w); }
    Quaternion operator-() const { return Quaternion(-x, -y, -z, -w); }
    Quaternion operator*(float s) const { return Quaternion(x * s, y * s, z * s, w * s); }
    Quaternion& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        w *= s;
        return *this;
    }
    // The quaternion product.
    Quaternion operator*(const Quaternion& q) const {
        return Quaternion(w * q.x + x * q.w + y * q.z - z * q.y, w * q.y + y * q.w + z * q.x - x * q.z,
                          w * q.z + z * q.w + x * q.y - y * q.x, w * q.w - x * q.x - y * q.y - z * q.z);
    }
    // The squared length.
    float norm() const { return x * x + y * y + z * z + w * w; }
    Quaternion conjugate() const { return Quaternion(-x, -y, -z, w); }
};

inline float dot(const Quaternion& p, const Quaternion& q) { return p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w; }

// The float square root, computed in double precision.
inline float squareRoot(float v) { return static_cast<float>(std::sqrt(static_cast<double>(v))); }

extern const Quaternion identityQuaternion;
extern const float identityMatrix[16];

// Writes the rotation matrix of q/|q| into m, row by row; OpenGL, reading it
// column by column, sees the rotation of the conjugate. A zero q gives the identity.
void toMatrix(const Quaternion& q, float m[16]);

}  // namespace facetry

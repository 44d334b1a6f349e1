#pragma once
// Vector: three single-precision coordinates, the value type of every point;
// TexCoord: two, the value type of every texture coordinate.
// Operators return new values; every result is rounded to float as it is formed.

#include "math/check.h"

namespace facetry {

// maxOf(a, b): b if a < b, otherwise a (equal values give a).
inline float maxOf(float a, float b) { return a < b ? b : a; }
// minOf(a, b): b if a > b, otherwise a (equal values give a).
inline float minOf(float a, float b) { return a > b ? b : a; }
inline float maxOf3(float a, float b, float c) { return maxOf(maxOf(a, b), c); }

struct Vector {
    float x = 0, y = 0, z = 0;

    Vector() = default;
    Vector(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector operator+(const Vector& b) const { return Vector(x + b.x, y + b.y, z + b.z); }
    Vector operator-(const Vector& b) const { return Vector(x - b.x, y - b.y, z - b.z); }
    Vector operator*(float s) const { return Vector(s * x, s * y, s * z); }
    Vector operator/(float s) const {
        FACETRY_ASSERT(s);
        return *this * (1 / s);
    }
    Vector& operator+=(const Vector& b) {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }
    Vector& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    Vector& operator/=(float s) {
        FACETRY_ASSERT(s);
        return *this *= (1 / s);
    }
    float lengthSquared() const { return x * x + y * y + z * z; }
    bool operator==(const Vector& b) const { return x == b.x && y == b.y && z == b.z; }
    bool operator!=(const Vector& b) const { return !(*this == b); }
};

// TexCoord: a texture coordinate (u, v), refined with the same masks as the
// points, and with the same rounding.
struct TexCoord {
    float u = 0, v = 0;

    TexCoord() = default;
    TexCoord(float u_, float v_) : u(u_), v(v_) {}

    TexCoord operator+(const TexCoord& b) const { return TexCoord(u + b.u, v + b.v); }
    TexCoord operator-(const TexCoord& b) const { return TexCoord(u - b.u, v - b.v); }
    TexCoord operator*(float s) const { return TexCoord(s * u, s * v); }
    TexCoord operator/(float s) const {
        FACETRY_ASSERT(s);
        return *this * (1 / s);
    }
    TexCoord& operator+=(const TexCoord& b) {
        u += b.u;
        v += b.v;
        return *this;
    }
    bool operator==(const TexCoord& b) const { return u == b.u && v == b.v; }
    bool operator!=(const TexCoord& b) const { return !(*this == b); }
};

inline Vector cross(const Vector& a, const Vector& b) {
    return Vector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
inline Vector componentMin(const Vector& a, const Vector& b) {
    return Vector(minOf(a.x, b.x), minOf(a.y, b.y), minOf(a.z, b.z));
}
inline Vector componentMax(const Vector& a, const Vector& b) {
    return Vector(maxOf(a.x, b.x), maxOf(a.y, b.y), maxOf(a.z, b.z));
}

}  // namespace facetry

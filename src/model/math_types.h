// Plain vector and matrix values shared by every part of the editor.
#pragma once

#include <array>
#include <cmath>

namespace zmf {

// Component by component arithmetic: each result component is the one float operation on the
// matching components, so code written with these rounds exactly as code written out by hand.
struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3& operator+=(const Vector3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  Vector3& operator-=(const Vector3& o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    return *this;
  }
  Vector3& operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  Vector3& operator/=(float s) {
    x /= s;
    y /= s;
    z /= s;
    return *this;
  }

  friend Vector3 operator+(Vector3 a, const Vector3& b) { return a += b; }
  friend Vector3 operator-(Vector3 a, const Vector3& b) { return a -= b; }
  friend Vector3 operator-(const Vector3& a) { return {-a.x, -a.y, -a.z}; }
  friend Vector3 operator*(Vector3 a, float s) { return a *= s; }
  friend Vector3 operator*(float s, Vector3 a) { return a *= s; }
  friend Vector3 operator/(Vector3 a, float s) { return a /= s; }

  friend bool operator==(const Vector3&, const Vector3&) = default;
};

// x, then y, then z added in that order.
inline float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vector3& a) { return std::sqrt(Dot(a, a)); }

// Sixteen floats in OpenGL storage order; the translation sits in elements 12, 13 and 14.
// A point transforms as x' = m0 x + m4 y + m8 z + m12 (and likewise for y', z').
struct Matrix4 {
  std::array<float, 16> m{};

  static constexpr Matrix4 Identity() {
    Matrix4 r;
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
  }

  float& operator[](int i) { return m[i]; }
  float operator[](int i) const { return m[i]; }

  friend bool operator==(const Matrix4&, const Matrix4&) = default;
};

}  // namespace zmf

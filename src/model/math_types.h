// Plain vector and matrix values shared by every part of the editor.
#pragma once

#include <array>

namespace zmf {

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  friend bool operator==(const Vector3&, const Vector3&) = default;
};

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

// The Euler rotation, matrices applied to points and directions, and bone joints.
#include "model/transforms.h"

#include <cmath>

namespace zmf {
namespace {

// The identity with v's components at the three elements.
Matrix4 IdentityWith(int x, int y, int z, const Vector3& v) {
  Matrix4 m = Matrix4::Identity();
  m[x] = v.x;
  m[y] = v.y;
  m[z] = v.z;
  return m;
}

}  // namespace

Matrix4 EulerMatrix(float pitch, float yaw, float roll) {
  // Sines and cosines rounded once from double precision; the products are in float.
  auto cosine = [](float a) { return static_cast<float>(std::cos(static_cast<double>(a))); };
  auto sine = [](float a) { return static_cast<float>(std::sin(static_cast<double>(a))); };
  const float cp = cosine(pitch), sp = sine(pitch);
  const float cy = cosine(yaw), sy = sine(yaw);
  const float cr = cosine(roll), sr = sine(roll);
  Matrix4 r;
  r[0] = cr * cy + sy * sr * sp;
  r[1] = sr * cp;
  r[2] = sr * sp * cy - sy * cr;
  r[4] = sp * cr * sy - sr * cy;
  r[5] = cr * cp;
  r[6] = sr * sy + cy * sp * cr;
  r[8] = sy * cp;
  r[9] = -sp;
  r[10] = cy * cp;
  r[15] = 1.0f;
  return r;
}

Matrix4 TranslationMatrix(const Vector3& t) { return IdentityWith(12, 13, 14, t); }

Matrix4 ScaleMatrix(const Vector3& s) { return IdentityWith(0, 5, 10, s); }

Vector3 TransformPoint(const Matrix4& m, const Vector3& p) {
  const Vector3 d = TransformDirection(m, p);
  return {d.x + m[12], d.y + m[13], d.z + m[14]};
}

Vector3 TransformDirection(const Matrix4& m, const Vector3& d) {
  return {d.x * m[0] + d.y * m[4] + d.z * m[8], d.x * m[1] + d.y * m[5] + d.z * m[9],
          d.x * m[2] + d.y * m[6] + d.z * m[10]};
}

Vector3 InverseRotate(const Matrix4& m, const Vector3& d) {
  return {m[0] * d.x + m[1] * d.y + m[2] * d.z, m[4] * d.x + m[5] * d.y + m[6] * d.z,
          m[8] * d.x + m[9] * d.y + m[10] * d.z};
}

Matrix4 JointMatrixAt(const Matrix4& parentBind, const Vector3& p) {
  Matrix4 m = parentBind;
  m[12] = -p.x - m[12];
  m[13] = -p.y - m[13];
  m[14] = -p.z - m[14];
  return m;
}

}  // namespace zmf

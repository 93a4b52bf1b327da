// The transform math every folder shares: the Euler rotation of the camera, mouse rotation,
// whole-model rotation and revolution; points and directions through a matrix and back through a
// rotation; and the matrix that puts a bone's joint at a point.
#pragma once

#include "model/math_types.h"

namespace zmf {

// Ry(yaw) x Rx(pitch) x Rz(roll), angles in radians, without translation (elements 12-14 are 0,
// element 15 is 1). With pitch = roll = 0 a point turns as x' = cos(yaw) x + sin(yaw) z,
// z' = -sin(yaw) x + cos(yaw) z. Sines and cosines are rounded once from double precision; the
// products are in float.
Matrix4 EulerMatrix(float pitch, float yaw, float roll);

// The identity with the translation t (elements 12-14).
Matrix4 TranslationMatrix(const Vector3& t);
// The identity with the scale factors s on the diagonal.
Matrix4 ScaleMatrix(const Vector3& s);

// The point transformed by m, translation included.
Vector3 TransformPoint(const Matrix4& m, const Vector3& p);
// The direction transformed by m: the same rows without the translation.
Vector3 TransformDirection(const Matrix4& m, const Vector3& d);
// The direction turned back by m's rotation: the rotation transposed, translation ignored. For a
// view matrix, a direction in view space given in model space.
Vector3 InverseRotate(const Matrix4& m, const Vector3& d);

// The local matrix that puts a bone's joint at the model point p: its parent's bind matrix (the
// identity for a root) with the translation t replaced by -p - t.
Matrix4 JointMatrixAt(const Matrix4& parentBind, const Vector3& p);

}  // namespace zmf

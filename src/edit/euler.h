// The Euler rotation shared by the camera, mouse rotation, the whole-model rotation and the
// surface of revolution.
#pragma once

#include "model/math_types.h"

namespace zmf::edit {

// Ry(yaw) x Rx(pitch) x Rz(roll), angles in radians, without translation (elements 12-14 are 0,
// element 15 is 1). With pitch = roll = 0 a point turns as x' = cos(yaw) x + sin(yaw) z,
// z' = -sin(yaw) x + cos(yaw) z.
Matrix4 EulerMatrix(float pitch, float yaw, float roll);

// The identity with the translation t (elements 12-14).
Matrix4 TranslationMatrix(const Vector3& t);

// The point transformed by m, translation included.
Vector3 TransformPoint(const Matrix4& m, const Vector3& p);
// The direction transformed by m: the same rows without the translation.
Vector3 TransformDirection(const Matrix4& m, const Vector3& d);

}  // namespace zmf::edit

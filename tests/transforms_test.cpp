// The Euler rotation: its composition order and how it turns points and directions.
#include "model/transforms.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmf::testing {
namespace {

// Row-vector product: the point goes through a first, then b (storage order as in Matrix4).
Matrix4 Then(const Matrix4& a, const Matrix4& b) {
  Matrix4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[4 * i + k] * b[4 * k + j];
      r[4 * i + j] = sum;
    }
  }
  return r;
}

TEST(Euler, IsRollThenPitchThenYawAndLeavesTranslationOut) {
  const float pitch = 0.3f, yaw = -1.1f, roll = 2.0f;
  // Each elementary turn, built through the function with the other two angles zero.
  const Matrix4 expected =
      Then(Then(EulerMatrix(0, 0, roll), EulerMatrix(pitch, 0, 0)), EulerMatrix(0, yaw, 0));
  const Matrix4 r = EulerMatrix(pitch, yaw, roll);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(r[i], expected[i], 1e-6f) << i;

  // Yaw turns about y: x' = cos x + sin z, z' = -sin x + cos z.
  const Vector3 p = TransformPoint(EulerMatrix(0, 0.5f, 0), {1, 2, 0});
  EXPECT_NEAR(p.x, std::cos(0.5f), 1e-6f);
  EXPECT_EQ(p.y, 2.0f);
  EXPECT_NEAR(p.z, -std::sin(0.5f), 1e-6f);
  // Pitch lifts +z towards -y (R9 = -sin pitch); roll turns +x towards +y (R1 = sin roll).
  EXPECT_NEAR(TransformDirection(EulerMatrix(0.5f, 0, 0), {0, 0, 1}).y, -std::sin(0.5f), 1e-6f);
  EXPECT_NEAR(TransformDirection(EulerMatrix(0, 0, 0.5f), {1, 0, 0}).y, std::sin(0.5f), 1e-6f);

  Matrix4 moved = EulerMatrix(0, 0, 0);
  moved[12] = 5;
  EXPECT_EQ(TransformPoint(moved, {1, 0, 0}).x, 6.0f);
  EXPECT_EQ(TransformDirection(moved, {1, 0, 0}).x, 1.0f);
}

}  // namespace
}  // namespace zmf::testing

// The right-handed cross product, and the dot product and length it goes with. (The componentwise
// operators are used by every geometry test.)
#include "model/math_types.h"

#include <gtest/gtest.h>

namespace zmf::testing {
namespace {

TEST(Vector3Arithmetic, TheCrossProductIsRightHanded) {
  const Vector3 a{1, 2, 3};
  const Vector3 b{10, 20, 40};
  EXPECT_EQ(Dot(a, b), 170.0f);
  EXPECT_EQ(Length(Vector3{3, 0, 4}), 5.0f);
  EXPECT_EQ(Cross({1, 0, 0}, {0, 1, 0}), (Vector3{0, 0, 1}));
  EXPECT_EQ(Cross({0, 1, 0}, {0, 0, 1}), (Vector3{1, 0, 0}));
  EXPECT_EQ(Cross({0, 0, 1}, {1, 0, 0}), (Vector3{0, 1, 0}));
  // (1, 2, 3) x (10, 20, 40) = (2*40 - 3*20, 3*10 - 1*40, 1*20 - 2*10).
  EXPECT_EQ(Cross(a, b), (Vector3{20, -10, 0}));
}

}  // namespace
}  // namespace zmf::testing

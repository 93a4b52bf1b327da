// Vector arithmetic: which component goes where, and the right-handed cross product.
#include "model/math_types.h"

#include <gtest/gtest.h>

namespace zmf::testing {
namespace {

TEST(Vector3Arithmetic, ComponentsStayApartAndTheCrossProductIsRightHanded) {
  const Vector3 a{1, 2, 3};
  const Vector3 b{10, 20, 40};
  EXPECT_EQ(a + b, (Vector3{11, 22, 43}));
  EXPECT_EQ(b - a, (Vector3{9, 18, 37}));
  EXPECT_EQ(-a, (Vector3{-1, -2, -3}));
  EXPECT_EQ(a * 2.0f, (Vector3{2, 4, 6}));
  EXPECT_EQ(0.5f * b, (Vector3{5, 10, 20}));
  EXPECT_EQ(b / 4.0f, (Vector3{2.5f, 5, 10}));
  Vector3 c = a;
  c += b;
  c -= Vector3{1, 1, 1};
  c *= 2.0f;
  c /= 8.0f;
  EXPECT_EQ(c, (Vector3{2.5f, 5.25f, 10.5f}));

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

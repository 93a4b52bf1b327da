// Bone matrices: inverting, composing down the hierarchy, and what editing a bone recomputes.
// Every expected matrix is worked out by hand from the rule that a point goes through the
// parent's bind matrix first and then the bone's local matrix.
#include "anim/skeleton.h"

#include <gtest/gtest.h>

#include "model_fixture.h"

namespace zmf::testing {
namespace {

using Skeleton = ModelTest;

// Columns in storage order: x' = m0 x + m4 y + m8 z + m12, and likewise for y' and z'.
Matrix4 Columns(Vector3 x, Vector3 y, Vector3 z, Vector3 t) {
  return Matrix4{{x.x, x.y, x.z, 0, y.x, y.y, y.z, 0, z.x, z.y, z.z, 0, t.x, t.y, t.z, 1}};
}
Matrix4 Translation(float x, float y, float z) {
  return Columns({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {x, y, z});
}
// A quarter turn about z: x goes to y, y to -x; then the translation.
Matrix4 QuarterTurn(Vector3 t) { return Columns({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, t); }
// Its inverse: x goes to -y, y to x.
Matrix4 QuarterTurnBack(Vector3 t) { return Columns({0, -1, 0}, {1, 0, 0}, {0, 0, 1}, t); }

TEST_F(Skeleton, InvertUndoesRotationsScalesAndTranslationsAndLeavesSingularMatricesAlone) {
  EXPECT_EQ(anim::Invert(QuarterTurn({0, 0, 0})), QuarterTurnBack({0, 0, 0}));
  // p' = 2p + (2, 4, 8) with the scales 2, 4, 8: p = p' / scale - (1, 1, 1).
  const Matrix4 scaled = Columns({2, 0, 0}, {0, 4, 0}, {0, 0, 8}, {2, 4, 8});
  EXPECT_EQ(anim::Invert(scaled),
            Columns({0.5f, 0, 0}, {0, 0.25f, 0}, {0, 0, 0.125f}, {-1, -1, -1}));

  // Flattened onto the plane y = 0: no inverse, the matrix comes back as it was.
  const Matrix4 flat = Columns({1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {3, 4, 5});
  EXPECT_EQ(anim::Invert(flat), flat);
  // A determinant of 1e90 is infinite in float: treated as singular too.
  const Matrix4 huge = Columns({1e30f, 0, 0}, {0, 1e30f, 0}, {0, 0, 1e30f}, {0, 0, 0});
  EXPECT_EQ(anim::Invert(huge), huge);
}

TEST_F(Skeleton, BindMatricesComposeDownTheChainAndSetBoneRecomputesTheSubtree) {
  ASSERT_TRUE(anim::AddBone(model, "root", -1, Translation(1, 2, 3), 1));
  ASSERT_TRUE(anim::AddBone(model, "arm", 0, QuarterTurn({10, 0, 0}), 1));
  ASSERT_TRUE(anim::AddBone(model, "hand", 1, Translation(0, 0, 5), 1));
  const Bone& root = model.bones[0];
  const Bone& arm = model.bones[1];
  const Bone& hand = model.bones[2];

  EXPECT_EQ(root.bindMatrix, Translation(1, 2, 3));
  EXPECT_EQ(root.frameMatrix, Translation(-1, -2, -3));
  // arm: p -> turn(p + (1, 2, 3)) + (10, 0, 0) = turn(p) + (-2, 1, 3) + (10, 0, 0).
  EXPECT_EQ(arm.bindMatrix, QuarterTurn({8, 1, 3}));
  // Back: p -> turnBack(p - (8, 1, 3)) = turnBack(p) - (1, -8, 3).
  EXPECT_EQ(arm.frameMatrix, QuarterTurnBack({-1, 8, -3}));
  // hand: the arm's, then 5 along z.
  EXPECT_EQ(hand.bindMatrix, QuarterTurn({8, 1, 8}));
  EXPECT_EQ(hand.frameMatrix, QuarterTurnBack({-1, 8, -8}));

  // Moving the root moves everything below it.
  anim::SetBone(model, 0, -1, Translation(0, 0, 1), 2);
  EXPECT_EQ(root.grams, 2.0f);
  EXPECT_EQ(root.frameMatrix, Translation(0, 0, -1));
  EXPECT_EQ(arm.bindMatrix, QuarterTurn({10, 0, 1}));
  EXPECT_EQ(arm.frameMatrix, QuarterTurnBack({0, 10, -1}));
  EXPECT_EQ(hand.bindMatrix, QuarterTurn({10, 0, 6}));
  EXPECT_EQ(hand.frameMatrix, QuarterTurnBack({0, 10, -6}));

  // A bone moved under the arm takes the arm's bind matrix before its own local one.
  ASSERT_TRUE(anim::AddBone(model, "finger", 0, Translation(0, 1, 0), 1));
  EXPECT_EQ(model.bones[3].bindMatrix, Translation(0, 1, 1));
  anim::SetBone(model, 3, 1, Translation(0, 1, 0), 1);
  EXPECT_EQ(model.bones[3].parent, 1);
  EXPECT_EQ(model.bones[3].bindMatrix, QuarterTurn({10, 1, 1}));
  EXPECT_EQ(model.bones[3].frameMatrix, QuarterTurnBack({-1, 10, -1}));

  // Under its own descendant the root would close a loop: it keeps no parent, but takes the
  // local matrix, and a singular one leaves the frame equal to the bind matrix.
  const Matrix4 flat = Columns({1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0, 0, 0});
  anim::SetBone(model, 0, 2, flat, 1);
  EXPECT_EQ(root.parent, kNoBone);
  EXPECT_EQ(root.bindMatrix, flat);
  EXPECT_EQ(root.frameMatrix, flat);
  // arm: flatten, turn, then (10, 0, 0); singular as well, so its frame is its bind matrix.
  EXPECT_EQ(arm.bindMatrix, Columns({0, 1, 0}, {0, 0, 0}, {0, 0, 1}, {10, 0, 0}));
  EXPECT_EQ(arm.frameMatrix, arm.bindMatrix);
}

}  // namespace
}  // namespace zmf::testing

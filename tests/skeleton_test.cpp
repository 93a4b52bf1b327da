// Bone matrices: inverting, composing down the hierarchy, and what editing a bone recomputes.
// Every expected matrix is worked out by hand from the rule that a point goes through the
// parent's bind matrix first and then the bone's local matrix.
#include "anim/skeleton.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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
  // local matrix, and a singular one leaves the previous frame in place.
  const Matrix4 flat = Columns({1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0, 0, 0});
  anim::SetBone(model, 0, 2, flat, 1);
  EXPECT_EQ(root.parent, kNoBone);
  EXPECT_EQ(model.rootBone, 0);
  EXPECT_EQ(root.bindMatrix, flat);
  EXPECT_EQ(root.frameMatrix, Translation(0, 0, -1));
  // arm: flatten, turn, then (10, 0, 0); singular as well, so it keeps its frame too.
  EXPECT_EQ(arm.bindMatrix, Columns({0, 1, 0}, {0, 0, 0}, {0, 0, 1}, {10, 0, 0}));
  EXPECT_EQ(arm.frameMatrix, QuarterTurnBack({0, 10, -1}));
  EXPECT_EQ(hand.frameMatrix, QuarterTurnBack({0, 10, -6}));
}

TEST_F(Skeleton, OneRootAtMost128BonesNoLoopsAndWeightsEvenedOut) {
  ASSERT_TRUE(anim::AddBone(model, std::string(40, 'r'), -1, Matrix4::Identity(), 1));
  EXPECT_EQ(model.bones[0].name, std::string(31, 'r'));
  EXPECT_EQ(model.bones[0].parentName, "NONE");
  EXPECT_FALSE(anim::AddBone(model, "second", -1, Matrix4::Identity(), 1));  // a second root
  // Names that a file would tie to another bone: one taken (after the cut) and the root's mark.
  EXPECT_FALSE(anim::AddBone(model, std::string(35, 'r'), 0, Matrix4::Identity(), 1));
  EXPECT_FALSE(anim::AddBone(model, "NONE", 0, Matrix4::Identity(), 1));
  for (int i = 1; i < kMaxBones; ++i) {
    ASSERT_TRUE(
        anim::AddBone(model, "b" + std::to_string(i), i < 3 ? 0 : 1, Matrix4::Identity(), 1));
  }
  EXPECT_FALSE(anim::AddBone(model, "b128", 127, Matrix4::Identity(), 1));
  // The same parent again changes only matrix and grams ("b1" stays first); under its own
  // child the bone stays where it is.
  anim::SetBone(model, 1, 0, Translation(1, 0, 0), 3);
  EXPECT_EQ(model.bones[0].firstChild, 1);
  EXPECT_EQ(model.bones[3].bindMatrix, Translation(1, 0, 0));
  anim::SetBone(model, 1, 3, Matrix4::Identity(), 1);
  EXPECT_EQ(model.bones[1].parent, 0);

  Vertex* v = AddVertex(1, 2, 3);
  auto weight = [&](std::uint32_t bone) { return anim::FindWeight(model.bones[bone], v)->weight; };
  anim::AddVertexWeight(model, 0, v);
  EXPECT_EQ(weight(0), 1.0f);
  anim::AddVertexWeight(model, 1, v);
  EXPECT_EQ(weight(1), 0.5f);
  anim::RemoveVertexWeight(model, 0, v);
  EXPECT_EQ(weight(1), 1.0f);
}

// Skinning reads only the bind and frame matrices: with binds of identity, frames set by hand.
TEST_F(Skeleton, SkinningAddsWeightedSharesInTheOrderOfTheBoneWalk) {
  for (auto [name, parent] : {std::pair{"root", -1}, {"arm", 0}, {"leg", 0}, {"toe", 2}}) {
    ASSERT_TRUE(anim::AddBone(model, name, parent, Matrix4::Identity(), 1));
  }
  Vertex* v = AddVertex(1, 0, 0);
  Vertex* flat = AddVertex(0, 0, 0);
  model.SetVertex(v, v->position, {1, 0, 0}, 0, 0);
  model.SetVertex(flat, flat->position, {0, 0, 0}, 0, 0);
  anim::AddVertexWeight(model, 1, v);
  anim::AddVertexWeight(model, 2, v);
  anim::AddVertexWeight(model, 1, flat);
  model.bones[1].frameMatrix = QuarterTurn({0, 0, 0});
  model.bones[2].frameMatrix = Translation(0, 4, 0);
  ManualClock clock;
  anim::PoseMesh(model, clock);
  anim::PoseMesh(model, clock);  // starts from the mesh again
  // The average of (0, 1, 0) and (1, 4, 0); unit normals halved, and not normalised again.
  EXPECT_EQ(v->savedPosition, (Vector3{0.5f, 2.5f, 0}));
  EXPECT_EQ(v->savedNormal, (Vector3{0.5f, 0.5f, 0}));
  EXPECT_EQ(flat->savedNormal, (Vector3{0, 0, 0}));

  // Bone, its later siblings with their subtrees, then its children: root, arm, leg, toe. Sums
  // depend on it: (2^24 + 1) - 1 = 2^24 - 1, where (2^24 - 1) + 1 would give 2^24.
  ASSERT_TRUE(anim::AddBone(model, "hand", 1, Matrix4::Identity(), 1));
  Vertex* far = AddVertex(0, 0, 0);
  for (std::uint32_t b : {0u, 3u, 4u}) model.bones[b].AddWeight(far, 1.0f);  // as files have them
  model.bones[0].frameMatrix = Translation(16777216.0f, 0, 0);
  model.bones[3].frameMatrix = Translation(1, 0, 0);
  model.bones[4].frameMatrix = Translation(-1, 0, 0);
  anim::PoseMesh(model, clock);
  EXPECT_EQ(far->savedPosition.x, 16777215.0f);

  // Overflowing matrices move their share as at rest. A local matrix of zero scale has no
  // inverse: the bone keeps its frame and flattens what it moves, finitely.
  const Matrix4 huge = Columns({1e30f, 0, 0}, {0, 1e30f, 0}, {0, 0, 1e30f}, {0, 0, 0});
  model.bones[1].frameMatrix = model.bones[1].bindMatrix = huge;
  anim::PoseMesh(model, clock);
  EXPECT_EQ(v->savedPosition, (Vector3{1, 2, 0}));
  anim::SetBone(model, 1, 0, Columns({0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 4, 0}), 1);
  EXPECT_EQ(model.bones[1].frameMatrix, huge);
  EXPECT_EQ(model.bones[4].frameMatrix, Translation(-1, 0, 0));
  model.bones[1].frameMatrix = Translation(0, 0, 1);
  anim::PoseMesh(model, clock);
  EXPECT_EQ(v->savedPosition, (Vector3{0.5f, 4, 0.5f}));
}

}  // namespace
}  // namespace zmf::testing

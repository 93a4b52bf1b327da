// Animations, keys and key bones, and playback by a manual clock. Key matrices are translations,
// whose blends are exact in floats, so poses are checked exactly.
#include "anim/animation.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "anim/skeleton.h"
#include "file_fixture.h"
#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf::testing {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::vector<float> KeyTimes(const Animation& animation) {
  std::vector<float> times;
  for (std::uint32_t k = 0; k < animation.keyCount; ++k) times.push_back(animation.keys[k].time);
  return times;
}

class AnimationTest : public ModelTest {
 protected:
  bool Answer(const std::string& text) {
    anim::AnimationAnswer parsed;
    return anim::ParseAnimationAnswer(text, parsed) &&
           anim::AddAnimation(model, parsed.name, parsed.keyCount, parsed.totalTime);
  }
  // The posed mesh at that clock time.
  Vector3 PosedAt(float seconds, const Vertex* v) {
    clock.Set(seconds);
    anim::PoseMesh(model, clock);
    return v->savedPosition;
  }

  ManualClock clock;
};

TEST_F(AnimationTest, AnswersTotalTimesAndDeletion) {
  ASSERT_TRUE(Answer("walk 5 2.0"));
  EXPECT_EQ(KeyTimes(model.animation(0)), (std::vector<float>{0, 0.5f, 1, 1.5f, 2}));
  ASSERT_TRUE(Answer("stand\t1  2.0 more words"));
  EXPECT_EQ(KeyTimes(model.animation(1)), std::vector<float>{0});
  EXPECT_EQ(model.currentAnimation, 1);
  // "-1" reads as 4294967295 keys; a long name is read whole and cut to 31 characters.
  // Numbers are whole words: "walk 2.0" is no count of 2 and a time of .0.
  for (const char* answer :
       {"walk 32 1.0", "walk 0 1.0", "walk -1 1", "walk 5", "walk 5 -1", "walk 5 inf", "walk 5 nan",
        "", "walk 2.0", "walk 2x 1", "walk 2 1s"}) {
    EXPECT_FALSE(Answer(answer)) << answer;
  }
  ASSERT_TRUE(Answer(std::string(300, 'n') + " 2 0"));
  EXPECT_EQ(model.animation(2).name, std::string(31, 'n'));

  anim::SetTotalTime(model, 0, 4.0f);
  anim::SetTotalTime(model, 0, -1.0f);
  anim::SetTotalTime(model, 1, 3.0f);
  EXPECT_EQ(KeyTimes(model.animation(0)), (std::vector<float>{0, 1, 2, 3, 4}));
  EXPECT_EQ(KeyTimes(model.animation(1)), std::vector<float>{0});

  // Deleting moves the later animations down; playback state and currentAnimation stay.
  model.animation(0).playTime = 0.75f;
  anim::DeleteAnimation(model, 0);
  anim::DeleteAnimation(model, 2);
  EXPECT_EQ(model.animationCount, 2u);
  EXPECT_EQ(model.animation(0).name, "stand");
  EXPECT_EQ(model.animation(0).totalTime, 3.0f);
  EXPECT_EQ(model.animation(0).playTime, 0.75f);
  EXPECT_EQ(model.currentAnimation, 2);  // now past the end: none
  EXPECT_FALSE(anim::ToggleAnimationRunning(model, clock));
  while (model.animationCount < kMaxAnimations) ASSERT_TRUE(Answer("more 2 1.0"));
  EXPECT_FALSE(Answer("one-too-many 2 1.0"));
}

TEST_F(AnimationTest, KeyBonesShareASlotInEveryKeyAndStartAtRest) {
  ASSERT_TRUE(anim::AddBone(model, "root", -1, Translation(1, 2, 3), 1));
  ASSERT_TRUE(anim::AddBone(model, "arm", 0, QuarterTurn(0, 0, 0), 1));
  ASSERT_TRUE(Answer("walk 3 1.0"));
  EXPECT_FALSE(anim::AddKeyBone(model, 0));  // no current key
  model.currentKey = 1;
  anim::AddKeyBonesForCommand(model);  // the current bone, "arm"
  model.currentBone = -1;
  anim::AddKeyBonesForCommand(model);  // key 0 is not empty: nothing
  EXPECT_EQ(model.animation(0).keys[2].keyBoneCount, 1u);
  ASSERT_TRUE(Answer("run 2 1.0"));
  anim::AddKeyBonesForCommand(model);  // every bone, slot j posing bone j
  for (std::uint32_t j = 0; j < 2; ++j) {
    const KeyBone& keyBone = model.animation(1).keys[1].keyBones[j];
    EXPECT_EQ(keyBone.boneIndex, j);
    EXPECT_EQ(keyBone.matrix, anim::Invert(model.bones[j].localMatrix));
  }
  EXPECT_EQ(model.currentKeyBone, 1);

  // Deleting from one key moves its later slots down; the current slot is then past the end.
  anim::DeleteKeyBone(model, 1, 1, 0);
  anim::DeleteKeyBone(model, 1, 2, 0);
  EXPECT_EQ(model.animation(1).keys[1].keyBoneCount, 1u);
  EXPECT_EQ(model.animation(1).keys[1].keyBones[0].boneIndex, 1u);
  EXPECT_EQ(model.animation(1).keys[0].keyBoneCount, 2u);
  anim::ApplyKeyBoneMatrix(model, Translation(9, 9, 9));
  EXPECT_EQ(model.animation(1).keys[1].keyBones[1].matrix, anim::Invert(QuarterTurn(0, 0, 0)));

  while (model.animation(1).keys[0].keyBoneCount < kMaxKeyBones) anim::AddKeyBone(model, 0);
  EXPECT_FALSE(anim::AddKeyBone(model, 0));  // the 129th
  EXPECT_EQ(model.animation(1).keys[1].keyBoneCount, 127u);
}

// One bone, three keys at 0, 0.5 and 1.0 of a 1.0 s loop.
class PlaybackTest : public AnimationTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(anim::AddBone(model, "root", -1, Matrix4::Identity(), 1));
    anim::AddVertexWeight(model, 0, v);
    ASSERT_TRUE(Answer("wag 3 1.0"));
    model.currentKey = 0;
    ASSERT_TRUE(anim::AddKeyBone(model, 0));
    wag.keys[1].keyBones[0].matrix = Translation(2, 0, 0);
    wag.keys[2].keyBones[0].matrix = Translation(4, 8, 0);
  }
  Vector3 PosedAt(float seconds) { return AnimationTest::PosedAt(seconds, v); }

  Vertex* v = AddVertex(0, 0, 0);
  Animation& wag = model.animation(0);
};

TEST_F(PlaybackTest, BlendsFromKeyToKeyAndWraps) {
  model.currentKey = 2;
  EXPECT_EQ(PosedAt(0), (Vector3{4, 8, 0}));  // stopped: the current key
  clock.Set(10.0f);
  ASSERT_TRUE(anim::ToggleAnimationRunning(model, clock));
  EXPECT_EQ(wag.playTime, -0.25f);
  // The lead-in blends evenly from the shown pose into key 0, reached as t reaches 0: a quarter
  // of the way after a quarter of it.
  EXPECT_EQ(PosedAt(10.0625f), (Vector3{3, 6, 0}));
  EXPECT_EQ(PosedAt(10.25f), (Vector3{0, 0, 0}));
  EXPECT_EQ(wag.inTransition, 1);
  EXPECT_EQ(PosedAt(10.5f), (Vector3{1, 0, 0}));                   // t = 0.25
  EXPECT_EQ(PosedAt(11.25f), (Vector3{4, 8, 0}));                  // t = 1.0: key 2 with w = 0
  EXPECT_EQ(PosedAt(11.265625f), (Vector3{0.0625f, 0, 0}));        // wrapped to 1/64
  EXPECT_EQ(PosedAt(1011.015625f), (Vector3{3.0625f, 4.25f, 0}));  // 999.75 s: 0.765625
  wag.keys[2].time = 0.75f;  // a last key before the end blends on into key 0
  EXPECT_EQ(PosedAt(1011.125f), (Vector3{2, 4, 0}));
  PosedAt(1e7f);  // a day's pause does not loop a million times
  EXPECT_TRUE(wag.playTime >= 0 && wag.playTime <= 1);

  // Stopped, then restarted with a clock that went back: the lead-in moves nothing.
  ASSERT_FALSE(anim::ToggleAnimationRunning(model, clock));
  model.currentKey = 1;
  EXPECT_EQ(PosedAt(30.0f), (Vector3{2, 0, 0}));
  ASSERT_TRUE(anim::ToggleAnimationRunning(model, clock));
  EXPECT_EQ(PosedAt(29.0f), (Vector3{2, 0, 0}));
}

TEST_F(PlaybackTest, LoopsWithoutLengthSingleKeysAndUnboundKeyBonesAreSafe) {
  ASSERT_TRUE(anim::ToggleAnimationRunning(model, clock));
  wag.keys[0].keyBones[0].matrix = Translation(0, 0, 5);
  for (float total : {0.0f, -1.0f, kNaN, std::numeric_limits<float>::infinity()}) {
    wag.totalTime = total;
    EXPECT_EQ(PosedAt(clock.Seconds() + 1e6f), (Vector3{0, 0, 5})) << total;
  }
  wag.keyCount = 1;
  wag.keys[0].keyBones[0].matrix = Translation(0, 0, 6);
  EXPECT_EQ(PosedAt(clock.Seconds() + 0.4f), (Vector3{0, 0, 6}));
  wag.keyCount = 0;  // as a file may say: the poses stay
  EXPECT_EQ(PosedAt(clock.Seconds() + 0.4f), (Vector3{0, 0, 6}));
  wag.keyCount = 3;
  wag.totalTime = 1.0f;
  for (AnimKey& key : wag.keys) key.keyBones[0].boneIndex = kUnboundKeyBone;
  EXPECT_EQ(PosedAt(clock.Seconds() + 0.4f), (Vector3{0, 0, 6}));
  ASSERT_FALSE(anim::ToggleAnimationRunning(model, clock));
  for (AnimKey& key : wag.keys) key.keyBones[0].boneIndex = 1;  // past the bone count
  EXPECT_EQ(PosedAt(0), (Vector3{0, 0, 6}));
  EXPECT_EQ(model.bones[1].poseMatrix, Matrix4::Identity());
}

TEST_F(AnimationTest, KeyBonesBlendTowardsTheirOwnBoneAfterADeletionFromOneKey) {
  ASSERT_TRUE(anim::AddBone(model, "root", -1, Matrix4::Identity(), 1));
  ASSERT_TRUE(anim::AddBone(model, "a", 0, Matrix4::Identity(), 1));
  ASSERT_TRUE(anim::AddBone(model, "b", 0, Matrix4::Identity(), 1));
  ASSERT_TRUE(Answer("sway 2 1.0"));
  model.currentKey = 0;
  model.currentBone = -1;
  anim::AddKeyBonesForCommand(model);
  Animation& sway = model.animation(0);
  for (std::uint32_t j = 0; j < 3; ++j) {
    const float d = 4.0f * float(j + 1);
    sway.keys[0].keyBones[j].matrix = Translation(0, d, 0);
    sway.keys[1].keyBones[j].matrix = Translation(d, 0, 0);
  }
  anim::DeleteKeyBone(model, 0, 0, 0);  // key 0: a, b
  anim::DeleteKeyBone(model, 0, 1, 1);  // key 1: root, b
  clock.Set(10.0f);
  ASSERT_TRUE(anim::ToggleAnimationRunning(model, clock));
  clock.Set(10.5f);  // a quarter of the way from key 0 to key 1
  anim::EvaluateAnimation(model, clock);
  EXPECT_EQ(model.bones[1].poseMatrix, Translation(0, 8, 0));  // key 1 has none for a: held
  EXPECT_EQ(model.bones[2].poseMatrix, Translation(3, 9, 0));  // towards b's own
}

TEST_F(AnimationTest, RestPosesShowTheMeshWithAndWithoutAnAnimation) {
  ASSERT_TRUE(anim::AddBone(model, "root", -1, Translation(1, 2, 3), 1));
  ASSERT_TRUE(anim::AddBone(model, "arm", 0, QuarterTurn(0.5f, 0, 0), 1));
  ASSERT_TRUE(anim::AddBone(model, "hand", 1, QuarterTurn(0, 0, 2), 1));
  Vertex* v = AddVertex(-4, 0.5f, 2);
  model.SetVertex(v, v->position, {0, 3, 4}, 0, 0);
  for (std::uint32_t b = 0; b < 3; ++b) anim::AddVertexWeight(model, b, v);
  auto expectMesh = [&](float seconds) {
    const Vector3 p = PosedAt(seconds, v);
    EXPECT_NEAR(p.x, -4, 1e-5f);
    EXPECT_NEAR(p.y, 0.5f, 1e-5f);
    EXPECT_NEAR(p.z, 2, 1e-5f);
    // Each bone's share of the normal is unit length; the sum is not normalised again.
    EXPECT_NEAR(v->savedNormal.z, 0.8f, 1e-6f);
  };
  expectMesh(0);
  ASSERT_TRUE(Answer("rest 4 1.5"));
  model.currentKey = 0;
  model.currentBone = -1;
  anim::AddKeyBonesForCommand(model);
  expectMesh(0);  // stopped: key 0
  ASSERT_TRUE(anim::ToggleAnimationRunning(model, clock));
  for (float seconds : {0.1f, 0.26f, 0.7f, 1.3f, 1.75f, 40.0f}) expectMesh(seconds);
}

TEST_F(AnimationTest, PosedFilesWriteBackTheSameAndRenamedBonesSurviveASave) {
  const std::string golden = EverySectionTextReadBack();
  format::ReadModelText(model, golden, "/nonexistent-folder/every_section.zmf");
  model.currentAnimation = 0;
  ASSERT_TRUE(anim::ToggleAnimationRunning(model, clock));
  const Vertex* v3 = model.vertices.Nth(3);
  for (float seconds : {0.1f, 0.3f, 0.75f, 1.4f}) PosedAt(seconds, v3);
  // At 0.15 s key 1 has no key bone for the root, which holds key 0's identity; the arm blends
  // towards key 1's scale of 2, whose axes are made unit length again, and its move shrinks.
  EXPECT_EQ(model.bones[0].poseMatrix, Matrix4::Identity());
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(model.bones[1].poseMatrix[i], Translation(0, 0.425f, 0)[i], 1e-6f) << i;
  }
  EXPECT_NE(v3->savedPosition, v3->position);
  EXPECT_EQ(format::WriteModelText(model), golden);

  // Names that would tie children or key bones to another bone in a file are refused.
  for (const char* name : {"", "arm", "NONE"}) EXPECT_FALSE(anim::RenameBone(model, 0, name));
  ASSERT_TRUE(anim::RenameBone(model, 0, "hip"));
  format::ReadModelText(model, format::WriteModelText(model), "/nonexistent-folder/x.zmf");
  EXPECT_EQ(model.bones[1].parent, 0);
  EXPECT_EQ(model.animation(0).keys[0].keyBones[0].boneName, "hip");
  EXPECT_EQ(model.animation(0).keys[0].keyBones[0].boneIndex, 0u);
}

}  // namespace
}  // namespace zmf::testing

// Deleting a bone (hierarchy, weights, key bones, renumbering), taking the deletion back and
// doing it again, Delete All, and Set Bone on Selection. Deletions undone and redone among other
// edits, through the whole history, are in undo_stress_test.cpp.
#include "anim/bone_deletion.h"

#include <string>
#include <vector>

#include "anim/skeleton.h"
#include "edit/bone_edits.h"
#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/undo_redo.h"
#include "model/validate_model.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

// Everything a deletion changes, exact to the bit and in list order: each bone's fields and
// weights, the root, and every key bone of every key in use.
std::string Skeleton(const Model& m) {
  std::string out =
      "bones " + std::to_string(m.boneCount) + " root " + std::to_string(m.rootBone) + "\n";
  for (std::uint32_t i = 0; i < m.boneCount; ++i) {
    const Bone& b = m.bones[i];
    out += std::to_string(b.index) + " " + b.name.str() + " <" + b.parentName.str() + "> p" +
           std::to_string(b.parent) + " c" + std::to_string(b.firstChild) + " s" +
           std::to_string(b.nextSibling) + " g" + ExactText(b.grams) + " l" +
           ExactText(b.localMatrix) + " o" + ExactText(b.poseMatrix) + " b" +
           ExactText(b.bindMatrix) + " f" + ExactText(b.frameMatrix) + " w";
    for (const VertexWeight* w : b.weights) {
      out += " " + std::to_string(w->vertex->id) + "=" + ExactText(w->weight);
    }
    out += "\n";
  }
  for (std::uint32_t a = 0; a < m.animationCount; ++a) {
    for (std::uint32_t k = 0; k < m.animation(a).keyCount; ++k) {
      const AnimKey& key = m.animation(a).keys[k];
      out += "key " + std::to_string(a) + "." + std::to_string(k) + ":";
      for (std::uint32_t s = 0; s < key.keyBoneCount; ++s) {
        const KeyBone& kb = key.keyBones[s];
        out += " " + std::to_string(kb.boneIndex) + "/" + kb.boneName.str() + "/" +
               ExactText(kb.matrix);
      }
      out += "\n";
    }
  }
  return out;
}

class BoneDeletion : public ModelTest {
 protected:
  // root(0) - a(1) - {x(2), b(3), e(6)}; b - {c(4), d(5)}; c - f(7). Every bone is added
  // through the journal, and so are the weights.
  void SetUp() override {
    for (int i = 0; i < 5; ++i) v.push_back(edit::JournalAddVertex(model, {1, 0, 0}, {}, 0, 0));
    const struct {
      const char* name;
      int parent;
    } bones[] = {{"root", -1}, {"a", 0}, {"x", 1}, {"b", 1},
                 {"c", 3},     {"d", 3}, {"e", 1}, {"f", 4}};
    float t = 1;
    for (const auto& bone : bones) {
      ASSERT_TRUE(edit::JournalAddBone(model, bone.name, bone.parent, Translation(t, 0, 0), t));
      model.bones[model.boneCount - 1].poseMatrix = Translation(0, t, 0);
      t += 1;
    }
    for (int i : {0, 1, 2}) edit::JournalAddVertexWeight(model, kB, v[i]);
    edit::JournalAddVertexWeight(model, 1, v[1]);  // a already holds v1
    edit::JournalAddVertexWeight(model, 4, v[2]);
    edit::JournalAddVertexWeight(model, 7, v[3]);
    edit::JournalAddVertexWeight(model, 0, v[4]);
    // Weights as a file may give them: the deletion evens out every vertex.
    model.bones[0].weights.head()->weight = 0.25f;

    // Animation 0: two keys posing root, b, f, an unbound key bone and one whose bone index is
    // beyond the table; animation 1: one key posing b and c.
    model.animationCount = 2;
    model.animation(0).keyCount = 2;
    for (std::uint32_t k = 0; k < 2; ++k) {
      SetKeyBones(0, k, {0, kB, 7, kUnboundKeyBone, 9});
    }
    model.animation(1).keyCount = 1;
    SetKeyBones(1, 0, {kB, 4});
  }

  void SetKeyBones(std::uint32_t a, std::uint32_t k, std::vector<std::uint32_t> indices) {
    AnimKey& key = model.animation(a).keys[k];
    key.keyBoneCount = static_cast<std::uint32_t>(indices.size());
    for (std::uint32_t s = 0; s < indices.size(); ++s) {
      key.keyBones[s].boneIndex = indices[s];
      key.keyBones[s].matrix =
          Translation(static_cast<float>(a), static_cast<float>(k), static_cast<float>(s));
      key.keyBones[s].boneName.Set("kb" + std::to_string(indices[s]));
    }
  }

  std::vector<std::uint32_t> KeyBoneIndices(std::uint32_t a, std::uint32_t k) const {
    const AnimKey& key = model.animation(a).keys[k];
    std::vector<std::uint32_t> indices;
    for (std::uint32_t s = 0; s < key.keyBoneCount; ++s) {
      indices.push_back(key.keyBones[s].boneIndex);
    }
    return indices;
  }

  std::vector<std::pair<std::uint32_t, float>> Weights(std::uint32_t bone) const {
    std::vector<std::pair<std::uint32_t, float>> weights;
    for (const VertexWeight* w : model.bones[bone].weights) {
      weights.emplace_back(w->vertex->id, w->weight);
    }
    return weights;
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < model.boneCount; ++i) names.push_back(model.bones[i].name.str());
    return names;
  }

  static constexpr std::uint32_t kB = 3;
  std::vector<Vertex*> v;
};

TEST_F(BoneDeletion, HandsWeightsAndChildrenToTheParentAndRenumbersTheLaterBones) {
  model.currentAnimation = 0;
  model.currentKey = 1;
  model.currentKeyBone = 2;  // the key bone of f, which moves down to slot 1
  model.currentBone = kB;
  ASSERT_TRUE(anim::DeleteBone(model, kB));

  EXPECT_THAT(Names(), ElementsAre("root", "a", "x", "c", "d", "e", "f"));
  // a's children: x, then b's later sibling e, then b's children c and d.
  const Bone* bones = model.bones.data();
  EXPECT_EQ(bones[1].firstChild, 2);
  EXPECT_EQ(bones[2].nextSibling, 5);
  EXPECT_EQ(bones[5].nextSibling, 3);
  EXPECT_EQ(bones[3].nextSibling, 4);
  EXPECT_EQ(bones[4].nextSibling, kNoBone);
  EXPECT_EQ(bones[3].firstChild, 6);
  // Indices are slots, each child's parent and parent name follow the chains it is in, and the
  // freed slot holds no weights.
  EXPECT_THAT(ValidateModel(model), IsEmpty());
  EXPECT_EQ(model.rootBone, 0);
  EXPECT_EQ(model.currentBone, 1);
  // c now hangs from a: its rest matrices follow (1 + 2 + 5 along x).
  EXPECT_EQ(bones[3].bindMatrix[12], 8.0f);
  EXPECT_EQ(bones[3].frameMatrix[12], -8.0f);
  EXPECT_EQ(bones[3].poseMatrix, Translation(0, 5, 0));  // its own, moved with it
  EXPECT_EQ(bones[3].grams, 5.0f);

  // a kept its entry for v1 and took v0 and v2 in b's order; every vertex is evened out.
  EXPECT_THAT(Weights(1), ElementsAre(Pair(1, 1.0f), Pair(0, 1.0f), Pair(2, 0.5f)));
  EXPECT_THAT(Weights(3), ElementsAre(Pair(2, 0.5f)));
  EXPECT_THAT(Weights(6), ElementsAre(Pair(3, 1.0f)));
  EXPECT_THAT(Weights(0), ElementsAre(Pair(4, 1.0f)));

  // b's key bones are gone; the later bones' key bones follow them; unbound and out-of-range
  // ones are left alone.
  for (std::uint32_t k = 0; k < 2; ++k) {
    EXPECT_THAT(KeyBoneIndices(0, k), ElementsAre(0, 6, kUnboundKeyBone, 9));
    EXPECT_EQ(model.animation(0).keys[k].keyBones[1].matrix,
              Translation(0, static_cast<float>(k), 2));
  }
  EXPECT_THAT(KeyBoneIndices(1, 0), ElementsAre(3));
  EXPECT_EQ(model.currentKeyBone, 1);

  // Deleting c: its child f goes to a; the key bone of f (slot 1) stays current.
  model.currentKey = 0;
  model.currentBone = 5;  // e, which moves down
  ASSERT_TRUE(anim::DeleteBone(model, 3));
  EXPECT_EQ(model.currentBone, 4);
  EXPECT_EQ(model.currentKeyBone, 1);
  EXPECT_EQ(model.bones[5].parent, 1);
  EXPECT_THAT(KeyBoneIndices(1, 0), ElementsAre());
  // Deleting f takes the current key bone with it.
  ASSERT_TRUE(anim::DeleteBone(model, 5));
  EXPECT_EQ(model.currentKeyBone, -1);
  EXPECT_THAT(KeyBoneIndices(0, 0), ElementsAre(0, kUnboundKeyBone, 9));
  EXPECT_THAT(Names(), ElementsAre("root", "a", "x", "d", "e"));
}

TEST_F(BoneDeletion, ARootAfterTheDeletedBoneMovesDownWithItsLinks) {
  // As a file may order them: a(0) under root(2), b(1) under a.
  model.Reset();
  model.boneCount = 3;
  const char* names[] = {"a", "b", "root"};
  const std::int32_t parents[] = {2, 0, kNoBone};
  for (std::int32_t i = 0; i < 3; ++i) {
    Bone& bone = model.bones[i];
    bone.index = static_cast<std::uint32_t>(i);
    bone.name.Set(names[i]);
    bone.parent = parents[i];
    bone.parentName.Set(i == 2 ? "NONE" : names[parents[i]]);
    bone.firstChild = i == 2 ? 0 : i == 0 ? 1 : kNoBone;
    bone.nextSibling = kNoBone;
  }
  model.rootBone = 2;
  ASSERT_TRUE(anim::DeleteBone(model, 0));
  EXPECT_THAT(Names(), ElementsAre("b", "root"));
  EXPECT_EQ(model.rootBone, 1);
  EXPECT_EQ(model.bones[1].firstChild, 0);
  EXPECT_THAT(ValidateModel(model), IsEmpty());
}

TEST_F(BoneDeletion, RefusesTheRootAndBonesOutsideTheTable) {
  const std::string before = Skeleton(model);
  const std::uint64_t words = model.journal.position();
  for (std::uint32_t bone : {0u, 8u, 200u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(edit::JournalDeleteBone(model, bone)) << bone;
    EXPECT_FALSE(anim::DeleteBone(model, bone)) << bone;
  }
  EXPECT_EQ(Skeleton(model), before);
  EXPECT_EQ(model.journal.position(), words);
}

TEST_F(BoneDeletion, UndoRestoresEverythingAndRedoDeletesAgain) {
  model.currentAnimation = 0;
  model.currentKey = 0;
  model.currentKeyBone = 2;
  model.currentBone = 7;
  const std::string before = Skeleton(model);
  const std::uint64_t words = model.journal.position();

  ASSERT_TRUE(edit::JournalDeleteBone(model, kB));
  const std::string after = Skeleton(model);
  const std::string meshAfter = DumpModel(model);
  ASSERT_NE(after, before);
  EXPECT_EQ(model.currentBone, 6);
  EXPECT_EQ(model.currentKeyBone, 1);

  for (int round = 0; round < 2; ++round) {
    edit::Undo(model);
    EXPECT_EQ(Skeleton(model), before) << "round " << round;
    EXPECT_EQ(model.journal.position(), words);
    // The current bone and key bone follow what they named.
    EXPECT_EQ(model.currentBone, 7);
    EXPECT_EQ(model.currentKeyBone, 2);
    edit::Redo(model);
    EXPECT_EQ(Skeleton(model), after) << "round " << round;
    EXPECT_EQ(DumpModel(model), meshAfter);
  }
}

TEST_F(BoneDeletion, ATooBigDeletionIsFinalAndStopsBothWalks) {
  model.journal.Resize(64);
  edit::JournalAddVertex(model, {2, 0, 0}, {}, 0, 0);
  const std::uint64_t words = model.journal.position();
  ASSERT_TRUE(edit::JournalDeleteBone(model, kB));
  const std::string after = Skeleton(model);
  ASSERT_EQ(model.journal.position(), words + 2);
  EXPECT_EQ(model.journal.At(words).AsInt(), edit::kDeleteBone);
  EXPECT_EQ(model.journal.At(words + 1).AsInt(), edit::kDeleteBone);
  edit::Undo(model);
  edit::Undo(model);
  EXPECT_EQ(model.journal.position(), words + 2);
  EXPECT_EQ(model.vertices.count(), 6u);
  EXPECT_EQ(Skeleton(model), after);
  // From before the two words, Redo does not pass them either.
  model.journal.StepBack();
  model.journal.StepBack();
  edit::Redo(model);
  EXPECT_EQ(model.journal.position(), words);
  EXPECT_EQ(Skeleton(model), after);
}

TEST_F(BoneDeletion, UndoAndRedoLeaveASkeletonOfAnotherSizeAlone) {
  ASSERT_TRUE(edit::JournalDeleteBone(model, kB));
  // Delete All is not journaled: the deletion's record no longer fits the table.
  anim::DeleteAllBonesAndAnimations(model);
  ASSERT_TRUE(anim::AddBone(model, "new", -1, Matrix4::Identity(), 1));
  const std::string other = Skeleton(model);
  const std::uint64_t words = model.journal.position();
  edit::Undo(model);
  EXPECT_EQ(model.journal.position(), words - model.journal.At(words - 3).AsUint() - 6);
  EXPECT_EQ(Skeleton(model), other);
  edit::Redo(model);
  EXPECT_EQ(model.journal.position(), words);
  EXPECT_EQ(Skeleton(model), other);
}

TEST_F(BoneDeletion, DeleteAllEmptiesBonesAndAnimationsAndANewRootCanFollow) {
  model.currentAnimation = 1;
  model.currentKey = 0;
  model.currentKeyBone = 1;
  model.animationRunning = true;
  const std::uint64_t words = model.journal.position();
  anim::DeleteAllBonesAndAnimations(model);
  EXPECT_EQ(model.boneCount, 0u);
  EXPECT_EQ(model.rootBone, kNoBone);
  EXPECT_EQ(model.currentBone, -1);
  EXPECT_EQ(model.animationCount, 0u);
  EXPECT_EQ(model.currentAnimation, -1);
  EXPECT_EQ(model.currentKey, -1);
  EXPECT_EQ(model.currentKeyBone, -1);
  EXPECT_FALSE(model.animationRunning);
  EXPECT_TRUE(model.bones[kB].weights.empty());
  EXPECT_EQ(model.journal.position(), words);

  ASSERT_TRUE(anim::AddBone(model, "new", -1, Matrix4::Identity(), 1));
  EXPECT_EQ(model.rootBone, 0);
  EXPECT_EQ(model.bones[0].parentName, "NONE");
  EXPECT_EQ(model.bones[0].firstChild, kNoBone);
  EXPECT_TRUE(model.bones[0].weights.empty());
  ASSERT_TRUE(anim::AddBone(model, "child", 0, Matrix4::Identity(), 1));
  EXPECT_EQ(model.bones[0].firstChild, 1);
}

TEST_F(BoneDeletion, SetBoneOnSelectionMakesTheWeightsTheSelectionOneStepPerVertex) {
  model.DeselectAll();
  model.currentBone = kB;  // holds v0, v1, v2
  model.vertices.Select(v[3]);
  model.vertices.Select(v[1]);
  const std::string before = DumpModel(model);
  edit::SetBoneOnSelection(model);
  EXPECT_THAT(Weights(kB), ElementsAre(Pair(1, 0.5f), Pair(3, 0.5f)));
  EXPECT_EQ(model.bones[7].weights.head()->weight, 0.5f);
  // Add v3, then remove v0 and v2: three steps.
  for (int step = 0; step < 3; ++step) edit::Undo(model);
  EXPECT_EQ(DumpModel(model), before);

  // Nothing selected empties the list; no current bone does nothing.
  model.DeselectAll();
  edit::SetBoneOnSelection(model);
  EXPECT_TRUE(model.bones[kB].weights.empty());
  const std::uint64_t words = model.journal.position();
  for (std::int32_t current : {-1, 8, 1000}) {
    model.currentBone = current;
    edit::SetBoneOnSelection(model);
  }
  EXPECT_EQ(model.journal.position(), words);
}

}  // namespace
}  // namespace zmf::testing

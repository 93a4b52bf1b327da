// Weights from the selection, and bone deletion as one undoable step.
#include "edit/bone_edits.h"

#include <algorithm>
#include <vector>

#include "anim/animation.h"
#include "anim/bone_deletion.h"
#include "anim/skeleton.h"
#include "edit/journal.h"

namespace zmf::edit {
namespace {

bool IsCurrentKey(const Model& model, std::uint32_t animation, std::uint32_t key) {
  return static_cast<std::int64_t>(animation) == model.currentAnimation &&
         static_cast<std::int64_t>(key) == model.currentKey;
}

}  // namespace

void SetBoneOnSelection(Model& model) {
  const std::int32_t current = model.currentBone;
  if (current < 0 || static_cast<std::uint32_t>(current) >= model.boneCount) return;
  const auto bone = static_cast<std::uint32_t>(current);
  for (Vertex* v : model.vertices.Selected()) {
    if (anim::FindWeight(model.bones[bone], v) == nullptr) JournalAddVertexWeight(model, bone, v);
  }
  std::vector<Vertex*> unselected;
  for (const VertexWeight* w : model.bones[bone].weights) {
    if (w->vertex != nullptr && !w->vertex->selected) unselected.push_back(w->vertex);
  }
  for (Vertex* v : unselected) JournalRemoveVertexWeight(model, bone, v);
}

BoneDeletionSnapshot TakeBoneDeletionSnapshot(const Model& model, std::uint32_t bone) {
  BoneDeletionSnapshot s;
  s.bone = bone;
  s.rootBone = model.rootBone;
  s.bones.resize(model.boneCount);
  for (std::uint32_t j = 0; j < s.bones.size(); ++j) {
    const Bone& b = model.bones[j];
    BoneDeletionSnapshot::BoneState& state = s.bones[j];
    CopyBoneFields(state, b);
    state.weights.reserve(b.weights.count());
    for (const VertexWeight* w : b.weights) {
      if (w->vertex != nullptr) state.weights.emplace_back(w->vertex->id, w->weight);
    }
  }
  ForEachKey(model, [&](std::uint32_t a, std::uint32_t k, const AnimKey& key) {
    for (std::uint32_t slot = 0; slot < key.keyBoneCount; ++slot) {
      const KeyBone& keyBone = key.keyBones[slot];
      if (keyBone.boneIndex == bone) {
        s.keyBones.push_back({a, k, slot, keyBone.matrix, keyBone.boneName.str()});
      }
    }
  });
  return s;
}

bool JournalDeleteBone(Model& model, std::uint32_t bone) {
  if (!anim::CanDeleteBone(model, bone)) return false;
  // A record that would overwrite itself leaves the deletion final, and its two words keep Undo
  // from taking back anything before it on a skeleton it no longer matches.
  WriteSnapshotRecord<kDeleteBone>(model.journal, TakeBoneDeletionSnapshot(model, bone),
                                   [&] { anim::DeleteBone(model, bone); });
  return true;
}

void UndoBoneDeletion(Model& model, const BoneDeletionSnapshot& s) {
  const std::size_t count = s.bones.size();
  if (count == 0 || count > kMaxBones || s.bone >= count || model.boneCount + 1 != count) return;
  const std::uint32_t deleted = s.bone;

  // Key bones: the bones above the deleted one move back up, then the removed key bones go back
  // into their slots (ascending, so each lands where it was).
  ForEachKey(model, [&](std::uint32_t, std::uint32_t, AnimKey& key) {
    for (std::uint32_t slot = 0; slot < key.keyBoneCount; ++slot) {
      std::uint32_t& index = key.keyBones[slot].boneIndex;
      if (index >= deleted && index < count - 1) ++index;
    }
  });
  for (const BoneDeletionSnapshot::RemovedKeyBone& removed : s.keyBones) {
    KeyBone* keyBone = anim::OpenKeyBoneSlot(model, static_cast<std::int32_t>(removed.animation),
                                             static_cast<std::int32_t>(removed.key),
                                             static_cast<std::int32_t>(removed.slot));
    if (keyBone == nullptr) continue;
    keyBone->boneIndex = deleted;
    keyBone->matrix = removed.matrix;
    keyBone->boneName.Set(removed.boneName);
    if (IsCurrentKey(model, removed.animation, removed.key) &&
        model.currentKeyBone >= static_cast<std::int32_t>(removed.slot)) {
      ++model.currentKeyBone;
    }
  }

  for (std::uint32_t j = 0; j < count; ++j) {
    const BoneDeletionSnapshot::BoneState& state = s.bones[j];
    Bone& b = model.bones[j];
    b.index = j;
    CopyBoneFields(b, state);
    b.weights.Clear();
    for (const auto& [id, weight] : state.weights) {
      if (Vertex* v = model.vertices.FindById(id)) b.AddWeight(v, weight);
    }
  }
  model.boneCount = static_cast<std::uint32_t>(count);
  model.rootBone = s.rootBone;
  const std::int32_t current = model.currentBone;
  if (current >= static_cast<std::int32_t>(deleted) &&
      current < static_cast<std::int32_t>(count) - 1) {
    ++model.currentBone;
  }
  anim::RefreshBindMatrices(model);
}

void RedoBoneDeletion(Model& model, const BoneDeletionSnapshot& s) {
  if (model.boneCount != s.bones.size()) return;
  anim::DeleteBone(model, s.bone);
}

}  // namespace zmf::edit

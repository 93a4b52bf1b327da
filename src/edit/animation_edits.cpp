// Deleting animations and key bones as undoable steps.
#include "edit/animation_edits.h"

#include "anim/animation.h"

namespace zmf::edit {
namespace {

void RestoreCurrent(Model& model, std::int32_t animation, std::int32_t key, std::int32_t keyBone) {
  model.currentAnimation = animation;
  model.currentKey = key;
  model.currentKeyBone = keyBone;
}

}  // namespace

AnimationDeletionSnapshot TakeAnimationDeletionSnapshot(const Model& model, std::uint32_t index) {
  AnimationDeletionSnapshot s;
  s.animation = index;
  s.currentAnimation = model.currentAnimation;
  s.currentKey = model.currentKey;
  s.currentKeyBone = model.currentKeyBone;
  if (!model.HasAnimation(index)) return s;
  const Animation& animation = model.animation(index);
  s.name = animation.name.str();
  s.totalTime = animation.totalTime;
  s.keys.resize(animation.keyCount);
  for (std::uint32_t k = 0; k < animation.keyCount; ++k) {
    const AnimKey& key = animation.keys[k];
    s.keys[k].time = key.time;
    for (std::uint32_t slot = 0; slot < key.keyBoneCount; ++slot) {
      const KeyBone& keyBone = key.keyBones[slot];
      s.keys[k].keyBones.push_back({keyBone.boneIndex, keyBone.matrix, keyBone.boneName.str()});
    }
  }
  return s;
}

void JournalDeleteAnimation(Model& model, std::uint32_t index) {
  if (!model.HasAnimation(index)) return;
  WriteSnapshotRecord<kDeleteAnimation>(model.journal, TakeAnimationDeletionSnapshot(model, index),
                                        [&] { anim::DeleteAnimation(model, index); });
}

void UndoAnimationDeletion(Model& model, const AnimationDeletionSnapshot& s) {
  Animation* animation = anim::OpenAnimationSlot(model, s.animation);
  if (animation == nullptr) return;
  animation->name.Set(s.name);
  animation->totalTime = s.totalTime;
  animation->keyCount = static_cast<std::uint32_t>(s.keys.size());
  for (std::uint32_t k = 0; k < s.keys.size(); ++k) {
    AnimKey& key = animation->keys[k];
    const std::vector<AnimationDeletionSnapshot::KeyBoneState>& keyBones = s.keys[k].keyBones;
    key.time = s.keys[k].time;
    key.keyBoneCount = static_cast<std::uint32_t>(keyBones.size());
    for (std::uint32_t slot = 0; slot < keyBones.size(); ++slot) {
      KeyBone& keyBone = key.keyBones[slot];
      keyBone.boneIndex = keyBones[slot].bone;
      keyBone.matrix = keyBones[slot].matrix;
      keyBone.boneName.Set(keyBones[slot].boneName);
    }
  }
  RestoreCurrent(model, s.currentAnimation, s.currentKey, s.currentKeyBone);
}

void JournalDeleteKeyBone(Model& model, std::int32_t animation, std::int32_t key,
                          std::int32_t slot) {
  const KeyBone* keyBone = anim::FindKeyBone(model, animation, key, slot);
  if (keyBone == nullptr) return;
  WriteRecord<kDeleteKeyBone>(model.journal, static_cast<std::uint32_t>(animation),
                              static_cast<std::uint32_t>(key), static_cast<std::uint32_t>(slot),
                              keyBone->boneIndex, keyBone->matrix, keyBone->boneName.view(),
                              model.currentAnimation, model.currentKey, model.currentKeyBone);
  anim::DeleteKeyBone(model, animation, key, slot);
}

void UndoKeyBoneDeletion(Model& model, const JournalRecord& r) {
  KeyBone* keyBone =
      anim::OpenKeyBoneSlot(model, static_cast<std::int32_t>(r.index),
                            static_cast<std::int32_t>(r.key), static_cast<std::int32_t>(r.keyBone));
  if (keyBone == nullptr) return;
  keyBone->boneIndex = r.bone;
  keyBone->matrix = r.matrix;
  keyBone->boneName.Set(r.name);
  RestoreCurrent(model, r.currentAnimation, r.currentKey, r.currentKeyBone);
}

}  // namespace zmf::edit

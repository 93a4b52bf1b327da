// Animations, their keys and key bones, and playback.
#include "anim/animation.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "anim/skeleton.h"

namespace zmf::anim {

namespace {

// The current indices may point past the end of a table after a deletion (DeleteAnimation keeps
// currentAnimation, DeleteKeyBone keeps currentKeyBone): such an index means none.

Animation* FindAnimation(Model& model, std::int64_t index) {
  if (!model.HasAnimation(index)) return nullptr;
  return &model.animation(static_cast<std::uint32_t>(index));
}

AnimKey* FindKey(Animation* animation, std::int64_t key) {
  if (animation == nullptr || key < 0 || key >= animation->keyCount) return nullptr;
  return &animation->keys[static_cast<std::size_t>(key)];
}

KeyBone* FindSlot(AnimKey* key, std::int64_t slot) {
  if (key == nullptr || slot < 0 || slot >= key->keyBoneCount) return nullptr;
  return &key->keyBones[static_cast<std::size_t>(slot)];
}

bool ValidTotalTime(float seconds) { return seconds >= 0.0f && std::isfinite(seconds); }

// Key i at i * totalTime / (keyCount - 1); a single key at 0.
void SpaceKeys(Animation& animation) {
  const std::uint32_t n = animation.keyCount;
  if (n == 1) {
    animation.keys[0].time = 0.0f;
    return;
  }
  for (std::uint32_t i = 0; i < n; ++i) {
    animation.keys[i].time =
        static_cast<float>(i) * animation.totalTime / static_cast<float>(n - 1);
  }
}

// The bone a key bone poses, or null for one bound to no bone (a name that matched none, or a
// bone since taken away).
Bone* PosedBone(Model& model, const KeyBone& keyBone) {
  return model.HasBone(keyBone.boneIndex) ? &model.bones[keyBone.boneIndex] : nullptr;
}

// The key's matrices become the poses of their bones.
void ShowKey(Model& model, const AnimKey& key) {
  for (std::uint32_t j = 0; j < key.keyBoneCount; ++j) {
    if (Bone* bone = PosedBone(model, key.keyBones[j])) bone->poseMatrix = key.keyBones[j].matrix;
  }
}

// Brings t into 0 .. total (a positive, finite loop length) by whole loops: added while below 0,
// taken away while above total, so that total itself stays. Playback is at most a loop or so
// away, where a few steps give the exact result; a time far outside (a long pause between
// frames) goes the rest of the way in one remainder, which is exact as well.
float WrapTime(float t, float total) {
  for (int step = 0; step < 4 && t < 0.0f; ++step) t += total;
  if (t < 0.0f) {
    t = std::fmod(t, total);  // in (-total, 0]
    if (t < 0.0f) t += total;
  }
  for (int step = 0; step < 4 && t > total; ++step) t -= total;
  if (t > total) {
    t = std::fmod(t, total);  // in [0, total): a whole number of loops ends at the loop's end
    if (t == 0.0f) t = total;
  }
  return t;
}

// The blend between the key before the time and the key after it (step 5 of playback).
void BlendKeys(Model& model, Animation& animation, float t) {
  const std::uint32_t n = animation.keyCount;
  const float total = animation.totalTime;
  std::uint32_t k = n - 1;
  while (k > 0 && !(animation.keys[k].time <= t)) --k;
  const std::uint32_t next = (k + 1) % n;
  // The blend from the last key runs on to key 0 at the end of the loop.
  const float nextTime = animation.keys[next].time + (next < k ? total : 0.0f);
  const float d = nextTime - animation.keys[k].time;
  float w = d > 0.0f ? (t - animation.keys[k].time) / d : 0.0f;
  // Keys out of time order (only a file can have them) give no weights outside the two keys.
  w = std::clamp(w, 0.0f, 1.0f);
  const AnimKey& from = animation.keys[k];
  const AnimKey& to = animation.keys[next];
  // Each bone blends towards its own key bone in the next key, wherever that key holds it (a key
  // bone deleted from one key only moves the later slots of that key down); the first of two
  // for the same bone counts.
  std::array<const KeyBone*, kMaxBones> target{};
  for (std::uint32_t j = to.keyBoneCount; j-- > 0;) {
    if (model.HasBone(to.keyBones[j].boneIndex)) target[to.keyBones[j].boneIndex] = &to.keyBones[j];
  }
  for (std::uint32_t j = 0; j < from.keyBoneCount; ++j) {
    Bone* bone = PosedBone(model, from.keyBones[j]);
    if (bone == nullptr) continue;
    bone->poseMatrix = from.keyBones[j].matrix;
    // A next key without a key bone for this bone holds this key's pose.
    if (const KeyBone* t = target[from.keyBones[j].boneIndex]) {
      Interpolate(bone->poseMatrix, t->matrix, w);
    }
  }
}

}  // namespace

bool ParseAnimationAnswer(std::string_view answer, AnimationAnswer& parsed) {
  const std::string text(answer);
  // No word of the answer can be longer than the answer.
  std::vector<char> name(text.size() + 1, '\0');
  unsigned int keyCount = 0;
  float totalTime = 0.0f;
  int countEnd = 0, timeEnd = 0;
  if (std::sscanf(text.c_str(), "%s %u%n %f%n", name.data(), &keyCount, &countEnd, &totalTime,
                  &timeEnd) != 3) {
    return false;
  }
  // Each number is a whole word: "walk 2.0" is no key count followed by a time.
  auto endsWord = [&](int end) {
    const char c = text.c_str()[end];
    return c == '\0' || std::isspace(static_cast<unsigned char>(c)) != 0;
  };
  if (!endsWord(countEnd) || !endsWord(timeEnd)) return false;
  parsed.name = name.data();
  parsed.keyCount = keyCount;
  parsed.totalTime = totalTime;
  return true;
}

KeyBone* FindKeyBone(Model& model, std::int32_t animation, std::int32_t key, std::int32_t keyBone) {
  return FindSlot(FindKey(FindAnimation(model, animation), key), keyBone);
}

bool AddAnimation(Model& model, std::string_view name, std::uint32_t keyCount, float totalTime) {
  if (name.empty() || keyCount < 1 || keyCount > kMaxKeys - 1) return false;
  if (!ValidTotalTime(totalTime) || model.animationCount >= kMaxAnimations) return false;
  const std::uint32_t index = model.animationCount;
  Animation& animation = model.animation(index);
  animation.name.Set(name);
  animation.keyCount = keyCount;
  animation.totalTime = totalTime;
  // A slot used before may hold the playback state of an animation deleted since.
  animation.transitionTime = 0.0f;
  animation.playTime = 0.0f;
  animation.inTransition = 0;
  for (AnimKey& key : animation.keys) key.keyBoneCount = 0;
  SpaceKeys(animation);
  model.currentAnimation = static_cast<std::int32_t>(index);
  model.animationCount = index + 1;
  model.MarkChanged();
  return true;
}

namespace {

// What the animation is moves to another slot; the playback state stays with the slot. Only the
// keys and key bones in use are copied (a full animation is about 400 KB).
void MoveAnimation(Animation& to, const Animation& from) {
  to.name = from.name;
  to.totalTime = from.totalTime;
  to.keyCount = from.keyCount;
  for (std::uint32_t k = 0; k < from.keyCount; ++k) {
    to.keys[k].time = from.keys[k].time;
    to.keys[k].keyBoneCount = from.keys[k].keyBoneCount;
    std::copy_n(from.keys[k].keyBones.begin(), from.keys[k].keyBoneCount,
                to.keys[k].keyBones.begin());
  }
}

}  // namespace

void DeleteAnimation(Model& model, std::uint32_t index) {
  const std::uint32_t count = model.animationCount;
  if (index >= count) return;
  model.MarkChanged();
  for (std::uint32_t i = index; i + 1 < count; ++i) {
    MoveAnimation(model.animation(i), model.animation(i + 1));
  }
  model.animationCount = count - 1;
}

Animation* OpenAnimationSlot(Model& model, std::uint32_t index) {
  const std::uint32_t count = model.animationCount;
  if (index > count || count >= kMaxAnimations) return nullptr;
  for (std::uint32_t i = count; i > index; --i) {
    MoveAnimation(model.animation(i), model.animation(i - 1));
  }
  model.animationCount = count + 1;
  return &model.animation(index);
}

KeyBone* OpenKeyBoneSlot(Model& model, std::int32_t animation, std::int32_t key,
                         std::int32_t slot) {
  AnimKey* k = FindKey(FindAnimation(model, animation), key);
  if (k == nullptr || slot < 0) return nullptr;
  const std::uint32_t count = k->keyBoneCount;
  if (count >= kMaxKeyBones || static_cast<std::uint32_t>(slot) > count) return nullptr;
  std::copy_backward(k->keyBones.begin() + slot, k->keyBones.begin() + count,
                     k->keyBones.begin() + count + 1);
  k->keyBoneCount = count + 1;
  return &k->keyBones[static_cast<std::size_t>(slot)];
}

bool RenameAnimation(Model& model, std::uint32_t index, std::string_view name) {
  Animation* animation = FindAnimation(model, index);
  if (animation == nullptr || name.empty()) return false;
  animation->name.Set(name);
  model.MarkChanged();
  return true;
}

void SetTotalTime(Model& model, std::uint32_t index, float seconds) {
  Animation* animation = FindAnimation(model, index);
  if (animation == nullptr || !ValidTotalTime(seconds)) return;
  animation->totalTime = seconds;
  if (animation->keyCount >= 1) SpaceKeys(*animation);
  model.MarkChanged();
}

bool AddKeyBone(Model& model, std::uint32_t bone) {
  Animation* animation = FindAnimation(model, model.currentAnimation);
  AnimKey* current = FindKey(animation, model.currentKey);
  if (current == nullptr || !model.HasBone(bone)) return false;
  // The new slot is added to every key or to none: a full key refuses it.
  const std::uint32_t keys = animation->keyCount;
  for (std::uint32_t k = 0; k < keys; ++k) {
    if (animation->keys[k].keyBoneCount >= kMaxKeyBones) return false;
  }
  const Bone& posed = model.bones[bone];
  const Matrix4 rest = Invert(posed.localMatrix);
  for (std::uint32_t k = 0; k < keys; ++k) {
    AnimKey& key = animation->keys[k];
    KeyBone& slot = key.keyBones[key.keyBoneCount++];
    slot.boneIndex = bone;
    slot.matrix = rest;
    slot.boneName = posed.name;
  }
  model.currentKeyBone = static_cast<std::int32_t>(current->keyBoneCount) - 1;
  model.MarkChanged();
  return true;
}

void AddKeyBonesForCommand(Model& model) {
  if (model.HasBone(model.currentBone)) {
    AddKeyBone(model, static_cast<std::uint32_t>(model.currentBone));
    return;
  }
  AnimKey* first = FindKey(FindAnimation(model, model.currentAnimation), 0);
  if (first == nullptr || first->keyBoneCount != 0) return;
  for (std::uint32_t b = 0; b < model.boneCount && b < kMaxBones; ++b) {
    if (!AddKeyBone(model, b)) return;
  }
}

void DeleteKeyBone(Model& model, std::int32_t animation, std::int32_t key, std::int32_t slot) {
  AnimKey* k = FindKey(FindAnimation(model, animation), key);
  if (FindSlot(k, slot) == nullptr) return;
  const std::uint32_t count = k->keyBoneCount;
  std::copy(k->keyBones.begin() + slot + 1, k->keyBones.begin() + count,
            k->keyBones.begin() + slot);
  k->keyBoneCount = count - 1;
  model.MarkChanged();
}

void ApplyKeyBoneMatrix(Model& model, const Matrix4& matrix) {
  AnimKey* key = FindKey(FindAnimation(model, model.currentAnimation), model.currentKey);
  if (KeyBone* keyBone = FindSlot(key, model.currentKeyBone)) {
    keyBone->matrix = matrix;
    model.MarkChanged();
  }
}

void StartAnimation(Model& model, const Clock& clock) {
  Animation* animation = FindAnimation(model, model.currentAnimation);
  if (animation == nullptr) return;
  model.playbackClock = clock.Seconds();
  animation->inTransition = 1;
  animation->transitionTime = 0.25f;
  animation->playTime = -animation->transitionTime;
}

bool ToggleAnimationRunning(Model& model, const Clock& clock) {
  // Stopping needs nothing; starting needs an animation to play.
  if (model.animationRunning) {
    model.animationRunning = false;
  } else if (FindAnimation(model, model.currentAnimation) != nullptr) {
    model.animationRunning = true;
    StartAnimation(model, clock);
  }
  return model.animationRunning;
}

void Interpolate(Matrix4& m, const Matrix4& target, float w) {
  for (int i = 0; i < 16; ++i) m[i] = target[i] * w + m[i] * (1.0f - w);
  for (int row = 0; row < 12; row += 4) {
    const float length =
        std::sqrt(m[row] * m[row] + m[row + 1] * m[row + 1] + m[row + 2] * m[row + 2]);
    if (length != 0.0f) {
      m[row] /= length;
      m[row + 1] /= length;
      m[row + 2] /= length;
    }
  }
}

void EvaluateAnimation(Model& model, const Clock& clock) {
  Animation* animation = FindAnimation(model, model.currentAnimation);
  if (animation == nullptr) return;
  const std::uint32_t keys = animation->keyCount;
  if (!model.animationRunning) {
    if (const AnimKey* key = FindKey(animation, model.currentKey)) ShowKey(model, *key);
    UpdateFrames(model);
    return;
  }

  const float now = clock.Seconds();
  const float dt = now - model.playbackClock;
  model.playbackClock = now;
  float t = animation->playTime + dt;
  if (std::isnan(t)) t = 0.0f;  // a clock or a play time that is not a number starts over
  if (t > 0.0f) animation->inTransition = 0;

  if (animation->inTransition != 0) {
    // The lead-in: each frame covers the share of the time that was left to key 0 which has
    // passed since the last one, so the poses move evenly and arrive at key 0 as playTime
    // reaches 0.
    animation->playTime = t;
    const float left = dt - t;  // -playTime before this frame
    float w = left > 0.0f ? dt / left : 1.0f;
    w = std::clamp(w, 0.0f, 1.0f);  // a clock that went back does not push the poses away
    if (keys >= 1) {
      const AnimKey& first = animation->keys[0];
      for (std::uint32_t j = 0; j < first.keyBoneCount; ++j) {
        if (Bone* bone = PosedBone(model, first.keyBones[j])) {
          Interpolate(bone->poseMatrix, first.keyBones[j].matrix, w);
        }
      }
    }
  } else if (keys == 1) {
    ShowKey(model, animation->keys[0]);
  } else if (keys > 1) {
    const float total = animation->totalTime;
    if (total > 0.0f && std::isfinite(total)) {
      animation->playTime = WrapTime(t, total);
      BlendKeys(model, *animation, animation->playTime);
    } else {
      // A loop of no length (or a length a file made negative or not a number) has nowhere to
      // go: it stands at key 0.
      animation->playTime = 0.0f;
      ShowKey(model, animation->keys[0]);
    }
  }
  UpdateFrames(model);
}

}  // namespace zmf::anim

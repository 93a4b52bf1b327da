// Animations, their keys and key bones, and playback: the poses the skeleton is drawn in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/host.h"
#include "model/model.h"

namespace zmf::anim {

// The answer to "Enter animation name, #of key frames and total time(sec):" read as
// "%s %u %f"; false unless all three convert and each number is a whole word (ends at a blank or
// the end of the answer: "walk 2.0" and "walk 2 1.0s" are refused). Words after the third are
// ignored.
struct AnimationAnswer {
  std::string name;
  std::uint32_t keyCount = 0;
  float totalTime = 0.0f;
};
bool ParseAnimationAnswer(std::string_view answer, AnimationAnswer& parsed);

// Appends an animation with keyCount keys spread evenly over totalTime (a single key at 0), no
// key bones, and makes it current. Refused (false) for an empty name, keyCount outside 1..31, a
// negative, infinite or NaN total time, or a full table. Not journaled.
bool AddAnimation(Model& model, std::string_view name, std::uint32_t keyCount, float totalTime);
// Removes the animation; the later ones move down a slot. currentAnimation is left as it was.
void DeleteAnimation(Model& model, std::uint32_t index);
// The inverse: the animations from `index` on move up a slot (the playback state stays with each
// slot, as DeleteAnimation leaves it), the count grows by one, and the slot at `index` is
// returned for the caller to fill. Null (nothing moved) when the table is full or `index` is
// beyond the count.
Animation* OpenAnimationSlot(Model& model, std::uint32_t index);
// Cut to 31 characters; false for an empty name or an index out of range.
bool RenameAnimation(Model& model, std::uint32_t index, std::string_view name);
// Stores the total time and spaces the keys evenly over it again (a single key stays at 0); a
// time AddAnimation would refuse changes nothing.
void SetTotalTime(Model& model, std::uint32_t animation, float seconds);

// Adds a key bone for the bone at the same new slot of every key of the current animation, at
// the bone's rest pose (the inverse of its local matrix), and makes that slot current. Needs a
// current animation and key; refused (false) for a bone out of range or a full key.
bool AddKeyBone(Model& model, std::uint32_t bone);
// The "Add Key Bone" command: the current bone, or, without one and while key 0 of the current
// animation has no key bones, every bone in table order (slot j poses bone j).
void AddKeyBonesForCommand(Model& model);
// Removes the slot from that one key; later slots of the key move down.
void DeleteKeyBone(Model& model, std::int32_t animation, std::int32_t key, std::int32_t slot);
// The inverse: the key's slots from `slot` on move up one, and the slot is returned for the caller
// to fill. Null (nothing moved) unless the animation and key are in use, the key is not full and
// `slot` is at most its key bone count.
KeyBone* OpenKeyBoneSlot(Model& model, std::int32_t animation, std::int32_t key, std::int32_t slot);
// The key-bone panel's apply: stores the matrix in the current key bone, not journaled; nothing
// without a current animation, key and key bone.
void ApplyKeyBoneMatrix(Model& model, const Matrix4& matrix);

// The key bone at those indices, or null unless the animation, its key and the key's slot are
// all in use.
KeyBone* FindKeyBone(Model& model, std::int32_t animation, std::int32_t key, std::int32_t keyBone);

// Starts the lead-in of the current animation: 0.25 s from the current poses into key 0.
void StartAnimation(Model& model, const Clock& clock);
// The Run / Stop toggle; starting needs a current animation, stopping does not. True when it is
// now running.
bool ToggleAnimationRunning(Model& model, const Clock& clock);

// m := target * w + m * (1 - w) element by element, then the three axis rows made unit length
// (a zero row stays zero).
void Interpolate(Matrix4& m, const Matrix4& target, float w);
// Writes the current animation's pose into the bones' poseMatrix at the clock's time (or the
// current key when not running), then the frames from the root. Between two keys each bone the
// earlier key poses blends towards its own key bone in the later one, found by bone, not by slot;
// where the later key has none for it, the bone holds the earlier key's pose. A loop without length
// (a total time of 0, or a negative or NaN one from a file) stands at key 0; key bones bound to no
// bone move nothing; a current animation or key past the end of its table counts as none.
void EvaluateAnimation(Model& model, const Clock& clock);

}  // namespace zmf::anim

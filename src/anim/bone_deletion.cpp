// Taking bones out of the skeleton.
#include "anim/bone_deletion.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "anim/skeleton.h"

namespace zmf::anim {
namespace {

// The bones of a sibling chain from `first` on, bounded by the table size.
std::vector<std::int32_t> Chain(const Model& model, std::int32_t first) {
  std::vector<std::int32_t> bones;
  for (std::int32_t at = first; model.HasBone(at) && bones.size() < kMaxBones;
       at = model.bones[at].nextSibling) {
    bones.push_back(at);
  }
  return bones;
}

// Where a link to bone `link` points once bone `deleted` is gone and the later bones have moved
// down a slot; `gone` stands in for a link to the deleted bone itself.
std::int32_t Renumbered(std::int32_t link, std::int32_t deleted, std::int32_t gone) {
  if (link == deleted) return gone;
  return link > deleted ? link - 1 : link;
}

// Removes the key bones that pose `deleted` from every key in use, moves the later slots of
// each key down, and renumbers key bones of the bones above it. The current key bone follows
// its slot, or becomes none when its slot went.
void DropKeyBones(Model& model, std::uint32_t deleted, std::uint32_t boneCount) {
  ForEachKey(model, [&](std::uint32_t a, std::uint32_t k, AnimKey& key) {
    const bool current = static_cast<std::int32_t>(a) == model.currentAnimation &&
                         static_cast<std::int32_t>(k) == model.currentKey;
    const std::uint32_t slots = key.keyBoneCount;
    std::uint32_t kept = 0;
    std::int32_t currentSlot = -1;
    for (std::uint32_t slot = 0; slot < slots; ++slot) {
      KeyBone& keyBone = key.keyBones[slot];
      if (keyBone.boneIndex == deleted) continue;
      if (keyBone.boneIndex > deleted && keyBone.boneIndex < boneCount) --keyBone.boneIndex;
      if (current && static_cast<std::int32_t>(slot) == model.currentKeyBone) {
        currentSlot = static_cast<std::int32_t>(kept);
      }
      if (kept != slot) key.keyBones[kept] = keyBone;
      ++kept;
    }
    if (kept == slots) return;
    key.keyBoneCount = kept;
    if (current) model.currentKeyBone = currentSlot;
  });
}

// Every vertex that some bone holds gets equal weights across the bones that hold it.
void EqualizeAllWeights(Model& model) {
  std::unordered_set<const Vertex*> held;
  std::vector<const Vertex*> order;
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    for (const VertexWeight* w : model.bones[b].weights) {
      if (held.insert(w->vertex).second) order.push_back(w->vertex);
    }
  }
  for (const Vertex* v : order) EqualizeWeights(model, v);
}

}  // namespace

void RefreshBindMatrices(Model& model) {
  // Every bone without a parent heads a tree: the root, and any stray roots a file left.
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    if (!model.HasBone(model.bones[b].parent)) UpdateBindMatrices(model, static_cast<int>(b));
  }
}

bool CanDeleteBone(const Model& model, std::uint32_t bone) {
  if (bone >= model.boneCount) return false;
  const auto i = static_cast<std::int32_t>(bone);
  const std::int32_t parent = model.bones[bone].parent;
  return i != model.rootBone && model.HasBone(parent) && parent != i;
}

bool DeleteBone(Model& model, std::uint32_t bone) {
  if (!CanDeleteBone(model, bone)) return false;
  const std::uint32_t count = model.boneCount;
  const auto i = static_cast<std::int32_t>(bone);
  Bone& deleted = model.bones[i];
  const std::int32_t p = deleted.parent;
  Bone& parent = model.bones[p];

  // Its weights go to the parent, for the vertices the parent does not hold yet.
  for (VertexWeight* w : deleted.weights) {
    if (parent.FindWeight(w->vertex) == nullptr) parent.AddWeight(w->vertex, w->weight);
  }

  // Out of the hierarchy: its later siblings, then its children, join the end of the parent's
  // children.
  const std::vector<std::int32_t> laterSiblings = Chain(model, deleted.nextSibling);
  const std::vector<std::int32_t> children = Chain(model, deleted.firstChild);
  if (parent.firstChild == i) parent.firstChild = kNoBone;
  for (std::uint32_t b = 0; b < count; ++b) {
    if (model.bones[b].nextSibling == i) model.bones[b].nextSibling = kNoBone;
  }
  deleted.nextSibling = deleted.firstChild = kNoBone;
  for (std::int32_t sibling : laterSiblings) AppendChild(model, p, sibling);
  for (std::int32_t child : children) {
    if (child == p) continue;  // only a malformed chain could hold it
    model.bones[child].parent = p;
    model.bones[child].parentName = parent.name;
    AppendChild(model, p, child);
  }

  DropKeyBones(model, bone, count);

  // The later bones move down a slot, each slot keeping its own index; the weights lists are
  // rebuilt in their new slots.
  for (std::uint32_t to = bone; to + 1 < count; ++to) {
    Bone& into = model.bones[to];
    const Bone& from = model.bones[to + 1];
    CopyBoneFields(into, from);
    into.weights.Clear();
    for (VertexWeight* w : from.weights) into.AddWeight(w->vertex, w->weight);
    into.index = to;
  }
  Bone& last = model.bones[count - 1];
  last.weights.Clear();
  last.parent = last.firstChild = last.nextSibling = kNoBone;
  model.boneCount = count - 1;

  // Links to the moved bones follow them; a link left to the deleted bone (only a malformed
  // hierarchy has one) goes to its parent, or to nothing.
  const std::int32_t newParent = Renumbered(p, i, kNoBone);
  for (std::uint32_t b = 0; b + 1 < count; ++b) {
    Bone& moved = model.bones[b];
    moved.parent = Renumbered(moved.parent, i, newParent);
    moved.firstChild = Renumbered(moved.firstChild, i, kNoBone);
    moved.nextSibling = Renumbered(moved.nextSibling, i, kNoBone);
  }
  model.rootBone = Renumbered(model.rootBone, i, kNoBone);
  model.currentBone = Renumbered(model.currentBone, i, newParent);

  EqualizeAllWeights(model);
  // The deleted bone's children now hang from its parent: their rest matrices follow.
  RefreshBindMatrices(model);
  return true;
}

void DeleteAllBonesAndAnimations(Model& model) {
  model.MarkChanged();
  const std::uint32_t animations = model.animationCount;
  for (std::uint32_t a = 0; a < animations; ++a) {
    Animation& animation = model.animation(a);
    for (AnimKey& key : animation.keys) key.keyBoneCount = 0;
    animation.keyCount = 0;
    animation.name.Set("");
  }
  model.animationCount = 0;
  model.currentAnimation = model.currentKey = model.currentKeyBone = -1;
  model.animationRunning = false;

  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    Bone& bone = model.bones[b];
    bone.weights.Clear();
    bone.parent = bone.firstChild = bone.nextSibling = kNoBone;
  }
  model.boneCount = 0;
  model.rootBone = kNoBone;
  model.currentBone = -1;
}

}  // namespace zmf::anim

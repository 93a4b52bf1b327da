// Bone matrices, bone editing and vertex weights.
#include "anim/skeleton.h"

#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "anim/animation.h"

namespace zmf::anim {

Matrix4 Compose(const Matrix4& a, const Matrix4& b) {
  Matrix4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) {
      r[4 * i + j] = a[4 * i] * b[j] + a[4 * i + 1] * b[4 + j] + a[4 * i + 2] * b[8 + j];
      if (i == 3) r[4 * i + j] += b[12 + j];
    }
  }
  r[3] = r[7] = r[11] = 0.0f;
  r[15] = 1.0f;
  return r;
}

std::optional<Matrix4> Inverse(const Matrix4& m) {
  Matrix4 inv;
  inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
           m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
            m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
           m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
           m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
           m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
           m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
            m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
            m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
  const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
  // A singular matrix has no inverse; handing back infinities would poison every frame below it.
  // So has one whose determinant is too small or too large for a float to scale by.
  if (det == 0.0f || !std::isfinite(det)) return std::nullopt;
  const float scale = 1.0f / det;
  if (!std::isfinite(scale)) return std::nullopt;
  for (float& value : inv.m) {
    value *= scale;
    if (!std::isfinite(value)) return std::nullopt;
  }
  return inv;
}

Matrix4 Invert(const Matrix4& m) { return Inverse(m).value_or(m); }

void AppendChild(Model& model, std::int32_t parent, std::int32_t child) {
  Bone& p = model.bones[parent];
  model.bones[child].nextSibling = kNoBone;
  if (p.firstChild == kNoBone) {
    p.firstChild = child;
    return;
  }
  std::int32_t last = p.firstChild;
  // The chain is bounded by the table size, whatever a file put in it.
  for (int guard = 0; guard < kMaxBones && model.HasBone(model.bones[last].nextSibling); ++guard) {
    last = model.bones[last].nextSibling;
  }
  model.bones[last].nextSibling = child;
}

namespace {

// The bones a walk down from the root reaches, each once.
std::uint32_t BonesUnderRoot(const Model& model) {
  std::array<bool, kMaxBones> visited{};
  std::vector<std::int32_t> pending{model.rootBone};
  std::uint32_t reached = 0;
  while (!pending.empty()) {
    const std::int32_t b = pending.back();
    pending.pop_back();
    if (!model.HasBone(b) || visited[b]) continue;
    visited[b] = true;
    ++reached;
    pending.push_back(model.bones[b].nextSibling);
    pending.push_back(model.bones[b].firstChild);
  }
  return reached;
}

}  // namespace

std::optional<HierarchyFault> LinkBonesByParentName(Model& model) {
  const std::uint32_t count = model.boneCount;
  for (std::uint32_t i = 0; i < count; ++i) {
    Bone& bone = model.bones[i];
    bone.parent = bone.firstChild = bone.nextSibling = kNoBone;
  }
  model.rootBone = kNoBone;
  std::uint32_t roots = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    Bone& bone = model.bones[i];
    if (bone.parentName == kRootParentName) {
      ++roots;
      model.rootBone = static_cast<std::int32_t>(i);
      continue;
    }
    const std::int32_t parent = model.FindBoneByName(bone.parentName.view());
    // The skeleton is dropped here; whether a root exists is then beside the point.
    if (parent == kNoBone) return HierarchyFault{"Bone name not found:", &bone};
    bone.parent = parent;
    AppendChild(model, parent, static_cast<std::int32_t>(i));
  }
  if (model.rootBone == kNoBone) return HierarchyFault{"Bad bone heirarchy, no root frame:"};
  if (roots > 1) return HierarchyFault{"Bad bone heirarchy, more than one root frame."};
  // Bones whose parents form a loop (a bone its own ancestor) hang from no root: every walk down
  // the hierarchy assumes a tree, so such a skeleton is refused like a rootless one.
  if (BonesUnderRoot(model) != count) return HierarchyFault{"Bad bone heirarchy, no root frame:"};
  return std::nullopt;
}

namespace {

void UnlinkChild(Model& model, std::int32_t child) {
  const std::int32_t parent = model.bones[child].parent;
  if (!model.HasBone(parent)) return;
  Bone& p = model.bones[parent];
  if (p.firstChild == child) {
    p.firstChild = model.bones[child].nextSibling;
  } else {
    std::int32_t at = p.firstChild;
    for (int guard = 0; guard < kMaxBones && model.HasBone(at); ++guard) {
      if (model.bones[at].nextSibling == child) {
        model.bones[at].nextSibling = model.bones[child].nextSibling;
        break;
      }
      at = model.bones[at].nextSibling;
    }
  }
  model.bones[child].nextSibling = kNoBone;
}

bool IsSelfOrAncestor(const Model& model, std::int32_t candidate, std::int32_t bone) {
  // Walks up from the would-be parent; finding the bone means the move would make a cycle.
  std::int32_t at = candidate;
  for (int guard = 0; guard <= kMaxBones && model.HasBone(at); ++guard) {
    if (at == bone) return true;
    at = model.bones[at].parent;
  }
  return false;
}

// The bone's own bind matrix (its local matrix after its parent's bind matrix) and frame matrix
// (the bind matrix inverted), from its parent's bind matrix as it stands. A bind matrix without
// an inverse (a local matrix of zero scale) leaves the bone's previous frame in place, which
// keeps every value finite.
void UpdateOwnBindMatrices(Model& model, std::int32_t bone) {
  Bone& b = model.bones[bone];
  b.bindMatrix = model.HasBone(b.parent) ? Compose(model.bones[b.parent].bindMatrix, b.localMatrix)
                                         : b.localMatrix;
  if (std::optional<Matrix4> frame = Inverse(b.bindMatrix)) b.frameMatrix = *frame;
}

// The bones reached from `bone` in the order of the recursion "the bone, then the walk from its
// next sibling, then the walk from its first child": the bone, its later siblings with all their
// descendants, then its own descendants. A parent always comes before its children. Each bone
// is taken once, so a damaged chain can neither loop nor overrun the list.
struct BoneOrder {
  std::array<std::int32_t, kMaxBones> bones;
  int count = 0;
};

BoneOrder WalkOrder(const Model& model, std::int32_t bone) {
  BoneOrder order;
  std::array<bool, kMaxBones> taken{};
  // Each bone taken pushes at most two more, so the stack never holds more than 2 * 128 + 1.
  std::array<std::int32_t, 2 * kMaxBones + 1> pending;
  int top = 0;
  pending[top++] = bone;
  while (top > 0) {
    const std::int32_t at = pending[--top];
    if (!model.HasBone(at) || taken[at]) continue;
    taken[at] = true;
    order.bones[order.count++] = at;
    pending[top++] = model.bones[at].firstChild;
    pending[top++] = model.bones[at].nextSibling;  // popped first
  }
  return order;
}

}  // namespace

void UpdateBindMatrices(Model& model, std::int32_t bone) {
  const BoneOrder order = WalkOrder(model, bone);
  for (int i = 0; i < order.count; ++i) UpdateOwnBindMatrices(model, order.bones[i]);
}

void EvaluateHierarchy(Model& model) { UpdateBindMatrices(model, model.rootBone); }

void UpdateFrames(Model& model) {
  const BoneOrder order = WalkOrder(model, model.rootBone);
  for (int i = 0; i < order.count; ++i) {
    Bone& b = model.bones[order.bones[i]];
    b.frameMatrix = model.HasBone(b.parent)
                        ? Compose(b.poseMatrix, model.bones[b.parent].frameMatrix)
                        : b.poseMatrix;
  }
}

namespace {

bool AllFinite(const Matrix4& m) {
  for (float value : m.m) {
    if (!std::isfinite(value)) return false;
  }
  return true;
}

// The bone's share of movement for every vertex it holds, through T (see SkinVertices).
void SkinBone(const Bone& bone, const Matrix4& t) {
  // The twelve elements a point and a direction use, out of the matrix for the loop below.
  const float m0 = t[0], m1 = t[1], m2 = t[2], m4 = t[4], m5 = t[5], m6 = t[6];
  const float m8 = t[8], m9 = t[9], m10 = t[10], m12 = t[12], m13 = t[13], m14 = t[14];
  for (const VertexWeight* entry : bone.weights) {
    Vertex* v = entry->vertex;
    if (v == nullptr) continue;
    const float w = entry->weight;
    const Vector3 p = v->position;
    const Vector3 q = v->normal;
    Vector3 position{p.x * m0 + p.y * m4 + p.z * m8 + m12, p.x * m1 + p.y * m5 + p.z * m9 + m13,
                     p.x * m2 + p.y * m6 + p.z * m10 + m14};
    Vector3 normal{q.x * m0 + q.y * m4 + q.z * m8, q.x * m1 + q.y * m5 + q.z * m9,
                   q.x * m2 + q.y * m6 + q.z * m10};
    position *= w;
    const float length = Length(normal);
    if (length != 0.0f) normal /= length;
    normal *= w;
    if (v->changed == 0) {
      v->savedPosition = position;
      v->savedNormal = normal;
      v->changed = 1;
    } else {
      v->savedPosition += position;
      v->savedNormal += normal;
    }
  }
}

}  // namespace

void SkinVertices(Model& model, std::int32_t bone) {
  model.MarkVertexDataChanged();
  const BoneOrder order = WalkOrder(model, bone);
  for (int i = 0; i < order.count; ++i) {
    const Bone& b = model.bones[order.bones[i]];
    Matrix4 t = Compose(b.bindMatrix, b.frameMatrix);
    // A bone whose matrices overflowed (or came as NaN from a file) leaves its share of each
    // vertex where it rests, rather than spreading infinities through the drawn mesh.
    if (!AllFinite(t)) t = Matrix4::Identity();
    SkinBone(b, t);
  }
}

void PoseMesh(Model& model, const Clock& clock) {
  if (model.animationCount > 0) EvaluateAnimation(model, clock);
  model.Commit();
  if (model.boneCount > 0) SkinVertices(model, model.rootBone);
}

bool RenameBone(Model& model, std::uint32_t index, std::string_view name) {
  const auto bone = static_cast<std::int32_t>(index);
  if (name.empty() || !model.HasBone(bone)) return false;
  const Name32 newName(name);
  // Files tie children and key bones to their bone by name: a name another bone has, or the
  // word that marks the root, would tie them to the wrong bone when the file is read back.
  if (newName == kRootParentName) return false;
  const std::int32_t holder = model.FindBoneByName(newName.view());
  if (holder != kNoBone && holder != bone) return false;
  model.bones[bone].name = newName;
  model.MarkChanged();
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    if (model.bones[b].parent == bone) model.bones[b].parentName = newName;
  }
  // Key bones follow the bone they pose, so that a saved file binds them to it again.
  ForEachKeyBone(model, [&](KeyBone& keyBone) {
    if (keyBone.boneIndex == index) keyBone.boneName = newName;
  });
  return true;
}

bool CanAddBone(const Model& model, std::string_view name, std::int32_t parent) {
  if (name.empty() || model.boneCount >= kMaxBones) return false;
  // As for a rename: a second bone of the same name, or one named like the root's parent, would
  // take another bone's children and key bones when the file is read back.
  const Name32 newName(name);
  if (newName == kRootParentName || model.FindBoneByName(newName.view()) != kNoBone) return false;
  const bool noParent = parent == -1 || parent == static_cast<std::int32_t>(model.boneCount);
  if (noParent) return model.rootBone == kNoBone;
  return model.HasBone(parent);
}

bool AddBone(Model& model, std::string_view name, std::int32_t parent, const Matrix4& localMatrix,
             float grams) {
  if (!CanAddBone(model, name, parent)) return false;
  const auto n = static_cast<std::int32_t>(model.boneCount);
  Bone& bone = model.bones[n];
  bone.weights.Clear();
  bone.firstChild = bone.nextSibling = kNoBone;
  bone.poseMatrix = Matrix4::Identity();
  bone.localMatrix = localMatrix;
  bone.grams = grams;
  bone.name.Set(name);
  bone.index = static_cast<std::uint32_t>(n);
  model.boneCount = static_cast<std::uint32_t>(n + 1);
  if (parent == -1 || parent == n) {
    bone.parent = kNoBone;
    bone.parentName.Set(kRootParentName);
    model.rootBone = n;
  } else {
    bone.parent = parent;
    bone.parentName = model.bones[parent].name;
    AppendChild(model, parent, n);
  }
  // Only this bone: it has no children or later siblings yet.
  UpdateOwnBindMatrices(model, n);
  model.currentBone = n;
  return true;
}

void SetBone(Model& model, std::uint32_t index, std::int32_t parent, const Matrix4& localMatrix,
             float grams) {
  const auto bone = static_cast<std::int32_t>(index);
  if (!model.HasBone(bone)) return;
  Bone& b = model.bones[bone];
  b.grams = grams;
  if (model.HasBone(parent) && b.parent != parent && !IsSelfOrAncestor(model, parent, bone)) {
    UnlinkChild(model, bone);
    if (model.rootBone == bone) model.rootBone = kNoBone;
    b.parent = parent;
    b.parentName = model.bones[parent].name;
    AppendChild(model, parent, bone);
  }
  b.localMatrix = localMatrix;
  // The bone and its subtree only: its later siblings have not changed.
  UpdateOwnBindMatrices(model, bone);
  UpdateBindMatrices(model, b.firstChild);
}

void RemoveLastBone(Model& model) {
  if (model.boneCount == 0) return;
  const auto n = static_cast<std::int32_t>(model.boneCount - 1);
  Bone& bone = model.bones[n];
  UnlinkChild(model, n);
  // The bone added last has no children unless later edits gave it some; hand those to nobody
  // would orphan them, so they move to the removed bone's parent.
  for (std::int32_t child = bone.firstChild; model.HasBone(child);) {
    const std::int32_t next = model.bones[child].nextSibling;
    model.bones[child].parent = bone.parent;
    if (model.HasBone(bone.parent)) {
      model.bones[child].parentName = model.bones[bone.parent].name;
      AppendChild(model, bone.parent, child);
    }
    child = next;
  }
  std::vector<Vertex*> held;
  for (VertexWeight* w : bone.weights) held.push_back(w->vertex);
  bone.weights.Clear();
  bone.firstChild = bone.nextSibling = bone.parent = kNoBone;
  model.boneCount = static_cast<std::uint32_t>(n);
  if (model.rootBone == n) model.rootBone = kNoBone;
  if (model.currentBone >= n) model.currentBone = n - 1;
  for (Vertex* v : held) EqualizeWeights(model, v);
}

VertexWeight* FindWeight(const Bone& bone, const Vertex* vertex) { return bone.FindWeight(vertex); }

bool AddVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex) {
  if (!model.HasBone(bone) || vertex == nullptr) return false;
  if (model.bones[bone].FindWeight(vertex) != nullptr) return false;
  if (model.bones[bone].AddWeight(vertex, 1.0f) == nullptr) return false;
  EqualizeWeights(model, vertex);
  return true;
}

bool RemoveVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex) {
  if (!model.HasBone(bone) || vertex == nullptr) return false;
  VertexWeight* w = FindWeight(model.bones[bone], vertex);
  if (w == nullptr) return false;
  model.bones[bone].RemoveWeight(w);
  EqualizeWeights(model, vertex);
  return true;
}

void EqualizeWeights(Model& model, const Vertex* vertex) {
  VertexWeight* held[kMaxBones];
  int n = 0;
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    if (VertexWeight* w = FindWeight(model.bones[b], vertex)) held[n++] = w;
  }
  if (n == 0) return;
  const float share = 1.0f / static_cast<float>(n);
  for (int i = 0; i < n; ++i) held[i]->weight = share;
}

}  // namespace zmf::anim

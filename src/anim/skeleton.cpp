// Bone matrices, bone editing and vertex weights.
#include "anim/skeleton.h"

#include <cmath>
#include <vector>

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

Matrix4 Invert(const Matrix4& m) {
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
  if (det == 0.0f || !std::isfinite(det)) return m;
  const float scale = 1.0f / det;
  for (float& value : inv.m) value *= scale;
  return inv;
}

namespace {

bool ValidBone(const Model& model, std::int32_t bone) {
  return bone >= 0 && static_cast<std::uint32_t>(bone) < model.boneCount && bone < kMaxBones;
}

}  // namespace

void AppendChild(Model& model, std::int32_t parent, std::int32_t child) {
  Bone& p = model.bones[parent];
  model.bones[child].nextSibling = kNoBone;
  if (p.firstChild == kNoBone) {
    p.firstChild = child;
    return;
  }
  std::int32_t last = p.firstChild;
  // The chain is bounded by the table size, whatever a file put in it.
  for (int guard = 0; guard < kMaxBones && ValidBone(model, model.bones[last].nextSibling);
       ++guard) {
    last = model.bones[last].nextSibling;
  }
  model.bones[last].nextSibling = child;
}

namespace {

void UnlinkChild(Model& model, std::int32_t child) {
  const std::int32_t parent = model.bones[child].parent;
  if (!ValidBone(model, parent)) return;
  Bone& p = model.bones[parent];
  if (p.firstChild == child) {
    p.firstChild = model.bones[child].nextSibling;
  } else {
    std::int32_t at = p.firstChild;
    for (int guard = 0; guard < kMaxBones && ValidBone(model, at); ++guard) {
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
  for (int guard = 0; guard <= kMaxBones && ValidBone(model, at); ++guard) {
    if (at == bone) return true;
    at = model.bones[at].parent;
  }
  return false;
}

// The bone's own bind matrix (its local matrix after its parent's bind matrix) and frame matrix
// (the bind matrix inverted), from its parent's bind matrix as it stands.
void UpdateOwnBindMatrices(Model& model, std::int32_t bone) {
  Bone& b = model.bones[bone];
  b.bindMatrix = ValidBone(model, b.parent)
                     ? Compose(model.bones[b.parent].bindMatrix, b.localMatrix)
                     : b.localMatrix;
  b.frameMatrix = Invert(b.bindMatrix);
}

void UpdateBindMatricesFrom(Model& model, std::int32_t bone, int depth) {
  // Siblings are walked in a loop and children by recursion, bounded by the table size.
  for (int guard = 0; guard < kMaxBones && depth <= kMaxBones && ValidBone(model, bone); ++guard) {
    UpdateOwnBindMatrices(model, bone);
    UpdateBindMatricesFrom(model, model.bones[bone].firstChild, depth + 1);
    bone = model.bones[bone].nextSibling;
  }
}

}  // namespace

void UpdateBindMatrices(Model& model, std::int32_t bone) { UpdateBindMatricesFrom(model, bone, 0); }

bool CanAddBone(const Model& model, std::string_view name, std::int32_t parent) {
  if (name.empty() || model.boneCount >= kMaxBones) return false;
  const bool noParent = parent == -1 || parent == static_cast<std::int32_t>(model.boneCount);
  if (noParent) return model.rootBone == kNoBone;
  return ValidBone(model, parent);
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
    bone.parentName.Set("NONE");
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
  if (!ValidBone(model, bone)) return;
  Bone& b = model.bones[bone];
  b.grams = grams;
  if (ValidBone(model, parent) && b.parent != parent && !IsSelfOrAncestor(model, parent, bone)) {
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
  for (std::int32_t child = bone.firstChild; ValidBone(model, child);) {
    const std::int32_t next = model.bones[child].nextSibling;
    model.bones[child].parent = bone.parent;
    if (ValidBone(model, bone.parent)) {
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
  if (bone >= model.boneCount || bone >= kMaxBones || vertex == nullptr) return false;
  if (model.bones[bone].FindWeight(vertex) != nullptr) return false;
  if (model.bones[bone].AddWeight(vertex, 1.0f) == nullptr) return false;
  EqualizeWeights(model, vertex);
  return true;
}

bool RemoveVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex) {
  if (bone >= model.boneCount || bone >= kMaxBones || vertex == nullptr) return false;
  VertexWeight* w = FindWeight(model.bones[bone], vertex);
  if (w == nullptr) return false;
  model.bones[bone].RemoveWeight(w);
  EqualizeWeights(model, vertex);
  return true;
}

void EqualizeWeights(Model& model, const Vertex* vertex) {
  VertexWeight* held[kMaxBones];
  int n = 0;
  for (std::uint32_t b = 0; b < model.boneCount && b < kMaxBones; ++b) {
    if (VertexWeight* w = FindWeight(model.bones[b], vertex)) held[n++] = w;
  }
  if (n == 0) return;
  const float share = 1.0f / static_cast<float>(n);
  for (int i = 0; i < n; ++i) held[i]->weight = share;
}

}  // namespace zmf::anim

// Moving, turning and resizing the whole model or the selected vertices.
#include "edit/model_transforms.h"

#include <algorithm>
#include <cmath>

#include "anim/animation.h"
#include "anim/bone_deletion.h"
#include "edit/journal.h"
#include "model/transforms.h"

namespace zmf::edit {
namespace {

Vector3 Translation(const Matrix4& m) { return {m[12], m[13], m[14]}; }

void SetTranslation(Matrix4& m, const Vector3& t) {
  m[12] = t.x;
  m[13] = t.y;
  m[14] = t.z;
}

// (pitch, yaw, roll) of a rotation made by EulerMatrix. Near a pitch of +-pi/2 yaw and roll turn
// about the same axis: yaw is taken as 0 and the whole turn goes to roll.
Vector3 EulerAngles(const Matrix4& m) {
  // A matrix that rounding left a hair beyond a quarter turn still has a pitch.
  const float pitch = std::asin(std::clamp(-m[9], -1.0f, 1.0f));
  if (std::fabs(std::cos(pitch)) > 0.0001f) {
    return {pitch, std::atan2(m[8], m[10]), std::atan2(m[1], m[5])};
  }
  return {pitch, 0.0f, std::atan2(-m[4], m[0])};
}

}  // namespace

void TranslateModel(Model& model, const Vector3& t) {
  model.MarkVertexDataChanged();
  for (Vertex* v : model.vertices) {
    v->position += t;
    v->savedPosition = v->position;
  }
  const std::int32_t root = model.rootBone;
  if (root < 0 || static_cast<std::uint32_t>(root) >= model.boneCount) return;
  Matrix4& local = model.bones[root].localMatrix;
  SetTranslation(local, Translation(local) - t);
  anim::RefreshBindMatrices(model);
  ForEachKeyBone(model, [&](KeyBone& keyBone) {
    if (keyBone.boneIndex == static_cast<std::uint32_t>(root)) {
      SetTranslation(keyBone.matrix, Translation(keyBone.matrix) + t);
    }
  });
}

void RotateModel(Model& model, const Vector3& pitchYawRoll) {
  const Matrix4 r = EulerMatrix(pitchYawRoll.x, pitchYawRoll.y, pitchYawRoll.z);
  model.MarkVertexDataChanged();
  for (Vertex* v : model.vertices) {
    v->position = TransformDirection(r, v->position);
    v->savedPosition = v->position;
    v->normal = TransformDirection(r, v->normal);
    v->savedNormal = v->normal;
  }
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    Matrix4& local = model.bones[b].localMatrix;
    SetTranslation(local, TransformDirection(r, Translation(local)));
  }
  anim::RefreshBindMatrices(model);
  ForEachKeyBone(model, [&](KeyBone& keyBone) {
    const Vector3 t = Translation(keyBone.matrix);
    const Vector3 angles = TransformDirection(r, EulerAngles(keyBone.matrix));
    keyBone.matrix = EulerMatrix(angles.x, angles.y, angles.z);
    SetTranslation(keyBone.matrix, TransformDirection(r, t));
  });
}

void ScaleModel(Model& model, const Vector3& s) {
  model.MarkVertexDataChanged();
  auto scale = [&](Matrix4& m) {
    m[12] *= s.x;
    m[13] *= s.y;
    m[14] *= s.z;
  };
  for (std::uint32_t b = 0; b < model.boneCount; ++b) scale(model.bones[b].localMatrix);
  anim::RefreshBindMatrices(model);
  ForEachKeyBone(model, [&](KeyBone& keyBone) { scale(keyBone.matrix); });
  for (Vertex* v : model.vertices) {
    v->position = {v->position.x * s.x, v->position.y * s.y, v->position.z * s.z};
    v->savedPosition = v->position;
  }
}

void ApplyModelTransform(Model& model, ModelTransform transform, const Vector3& values) {
  switch (transform) {
    case ModelTransform::Translate:
      TranslateModel(model, values);
      break;
    case ModelTransform::Rotate:
      RotateModel(model, values);
      break;
    case ModelTransform::Scale:
      ScaleModel(model, values);
      break;
  }
}

ModelTransformSnapshot TakeModelTransformSnapshot(const Model& model, ModelTransform transform,
                                                  const Vector3& values) {
  ModelTransformSnapshot s;
  s.transform = static_cast<std::uint32_t>(transform);
  s.values = values;
  s.vertices.reserve(model.vertices.count());
  for (const Vertex* v : model.vertices) s.vertices.push_back({v->id, v->position, v->normal});
  s.bones.reserve(model.boneCount);
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    s.bones.push_back({b, model.bones[b].localMatrix});
  }
  ForEachKey(model, [&](std::uint32_t a, std::uint32_t k, const AnimKey& key) {
    for (std::uint32_t slot = 0; slot < key.keyBoneCount; ++slot) {
      s.keyBones.push_back({a, k, slot, key.keyBones[slot].matrix});
    }
  });
  return s;
}

void JournalTransformModel(Model& model, ModelTransform transform, const Vector3& values) {
  WriteSnapshotRecord<kTransformModel>(model.journal,
                                       TakeModelTransformSnapshot(model, transform, values),
                                       [&] { ApplyModelTransform(model, transform, values); });
}

void UndoModelTransform(Model& model, const ModelTransformSnapshot& s) {
  model.MarkVertexDataChanged();
  for (const ModelTransformSnapshot::VertexState& state : s.vertices) {
    if (Vertex* v = model.vertices.FindById(state.id)) {
      model.SetVertex(v, state.position, state.normal, v->u, v->v);
    }
  }
  for (const ModelTransformSnapshot::BoneState& state : s.bones) {
    if (state.bone < model.boneCount) model.bones[state.bone].localMatrix = state.localMatrix;
  }
  if (!s.bones.empty()) anim::RefreshBindMatrices(model);
  for (const ModelTransformSnapshot::KeyBoneState& state : s.keyBones) {
    if (KeyBone* keyBone = anim::FindKeyBone(model, static_cast<std::int32_t>(state.animation),
                                             static_cast<std::int32_t>(state.key),
                                             static_cast<std::int32_t>(state.slot))) {
      keyBone->matrix = state.matrix;
    }
  }
}

void TransformSelection(Model& model, const Matrix4& m, bool turnNormals) {
  if (model.vertices.selCount() == 0) return;
  JournalGroup group(model);
  for (Vertex* v : model.vertices.Selected()) {
    const Vector3 normal = turnNormals ? TransformDirection(m, v->normal) : v->normal;
    JournalSetVertex(model, v, TransformPoint(m, v->position), normal, v->u, v->v);
  }
}

}  // namespace zmf::edit

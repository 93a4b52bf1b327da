// Moving, turning and resizing the whole model or the selected vertices.
#include "edit/model_transforms.h"

#include "anim/animation.h"
#include "anim/bone_deletion.h"
#include "anim/skeleton.h"
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

// The rotation r's inverse: its 3 x 3 part transposed.
Matrix4 Transposed(const Matrix4& r) {
  Matrix4 t = Matrix4::Identity();
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) t[4 * i + j] = r[4 * j + i];
  }
  return t;
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
  // Every bone's local matrix and every key bone's matrix m becomes inverse(r) m r: bind matrices
  // become inverse(r) bind r and posed frames inverse(r) frame r, so each bone moves a turned
  // vertex to where it moved the vertex before, turned. Translations turn as points and a rotation
  // part without a turn (a joint placed by its position alone) keeps none.
  const Matrix4 back = Transposed(r);
  // The fourth column, which files may fill, is kept as it is.
  auto turn = [&](Matrix4& m) {
    const Matrix4 turned = anim::Compose(anim::Compose(back, m), r);
    for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14}) m[i] = turned[i];
  };
  for (std::uint32_t b = 0; b < model.boneCount; ++b) turn(model.bones[b].localMatrix);
  anim::RefreshBindMatrices(model);
  ForEachKeyBone(model, [&](KeyBone& keyBone) { turn(keyBone.matrix); });
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

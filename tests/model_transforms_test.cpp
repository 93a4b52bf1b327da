// Translating, rotating and scaling the whole model (vertices, bones, key bones) and the selected
// vertices, each one undo step.
#include "edit/model_transforms.h"

#include <string>
#include <vector>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "edit/journal.h"
#include "edit/undo_redo.h"
#include "model/transforms.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf::testing {
namespace {

Matrix4 WithTranslation(Matrix4 m, float x, float y, float z) {
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

class ModelTransforms : public ModelTest {
 protected:
  void SetUp() override {
    v0 = AddVertex(1, 2, 3);
    v1 = AddVertex(-1, 0.5f, 0);
    model.SetVertex(v1, v1->position, {1, 0, 0}, 0.25f, 0.75f);
    ASSERT_TRUE(anim::AddBone(model, "root", -1, Translation(-1, -2, -3), 1));
    ASSERT_TRUE(anim::AddBone(model, "arm", 0, QuarterTurn(0, 4, 0), 1));
    // Animation 0: two keys posing root then arm; animation 1: one key posing arm then root.
    model.animationCount = 2;
    model.animation(0).keyCount = 2;
    model.animation(1).keyCount = 1;
    for (AnimKey* key : {&model.animation(0).keys[0], &model.animation(0).keys[1]}) {
      key->keyBoneCount = 2;
      key->keyBones[0] = {0, Translation(0.5f, 1, 1.5f), Name32("root")};
      key->keyBones[1] = {1, QuarterTurn(2, 0, 0), Name32("arm")};
    }
    AnimKey& key = model.animation(1).keys[0];
    key.keyBoneCount = 2;
    key.keyBones[0] = {1, Translation(0, 0, 1), Name32("arm")};
    key.keyBones[1] = {0, Translation(-1, 0, 0), Name32("root")};
    // A key beyond the key count is not in use: nothing touches it.
    model.animation(1).keys[1].keyBoneCount = 1;
    model.animation(1).keys[1].keyBones[0] = {0, Translation(7, 7, 7), Name32("root")};
  }

  KeyBone& Slot(std::uint32_t a, std::uint32_t k, std::uint32_t s) {
    return model.animation(a).keys[k].keyBones[s];
  }

  void ExpectBindMatricesFollowTheLocalOnes() {
    EXPECT_EQ(model.bones[0].bindMatrix, model.bones[0].localMatrix);
    EXPECT_EQ(model.bones[1].bindMatrix,
              anim::Compose(model.bones[0].bindMatrix, model.bones[1].localMatrix));
    EXPECT_EQ(model.bones[1].frameMatrix, anim::Invert(model.bones[1].bindMatrix));
  }

  Vertex* v0 = nullptr;
  Vertex* v1 = nullptr;
};

TEST_F(ModelTransforms, TranslateMovesVerticesAndTheRootAndItsKeyBonesOnly) {
  edit::TranslateModel(model, {1, 0, 0});
  EXPECT_EQ(v0->position, (Vector3{2, 2, 3}));
  EXPECT_EQ(v0->savedPosition, v0->position);
  EXPECT_EQ(v1->position, (Vector3{0, 0.5f, 0}));
  EXPECT_EQ(v1->normal, (Vector3{1, 0, 0}));
  EXPECT_EQ(model.bones[0].localMatrix, Translation(-2, -2, -3));
  EXPECT_EQ(model.bones[1].localMatrix, QuarterTurn(0, 4, 0));
  ExpectBindMatricesFollowTheLocalOnes();
  for (std::uint32_t k : {0u, 1u}) {
    EXPECT_EQ(Slot(0, k, 0).matrix, Translation(1.5f, 1, 1.5f));
    EXPECT_EQ(Slot(0, k, 1).matrix, QuarterTurn(2, 0, 0));
  }
  EXPECT_EQ(Slot(1, 0, 0).matrix, Translation(0, 0, 1));
  EXPECT_EQ(Slot(1, 0, 1).matrix, Translation(0, 0, 0));
  EXPECT_EQ(Slot(1, 1, 0).matrix, Translation(7, 7, 7));
  EXPECT_EQ(model.journal.position(), 0u);

  // Without bones or animations only the vertices move.
  model.Reset();
  Vertex* alone = AddVertex(0, 0, 0);
  edit::TranslateModel(model, {0, -1, 0});
  edit::RotateModel(model, {0, 1.570f, 0});
  edit::ScaleModel(model, {2, 2, 2});
  EXPECT_EQ(alone->position.y, -2.0f);
  EXPECT_EQ(model.boneCount, 0u);
}

TEST_F(ModelTransforms, RotateTurnsTheMeshAndTheBonesSoThatEveryKeyPosesTheTurnedMesh) {
  // A unit cube on a chain of three bones (each corner held by one or two), one animation of
  // three keys that turn, move and scale every bone.
  model.Reset();
  for (int i = 0; i < 8; ++i) AddVertex(float(i & 1), float(i >> 1 & 1), float(i >> 2 & 1));
  ASSERT_TRUE(anim::AddBone(model, "root", -1, Translation(-0.5f, 0, -0.5f), 1));
  ASSERT_TRUE(anim::AddBone(model, "mid", 0, QuarterTurn(0, -0.5f, 0), 1));
  ASSERT_TRUE(anim::AddBone(model, "tip", 1,
                            WithTranslation(EulerMatrix(0.3f, -0.2f, 0.7f), 0, 0.25f, 1), 1));
  for (std::uint32_t i = 0; i < 8; ++i) {
    anim::AddVertexWeight(model, i % 3, model.vertices.Nth(i));
    if (i % 2 == 1) anim::AddVertexWeight(model, (i + 1) % 3, model.vertices.Nth(i));
  }
  ASSERT_TRUE(anim::AddAnimation(model, "bend", 3, 2.0f));
  model.currentKey = 0;
  model.currentBone = -1;
  anim::AddKeyBonesForCommand(model);
  for (std::uint32_t k = 0; k < 3; ++k) {
    for (std::uint32_t b = 0; b < 3; ++b) {
      const float f = float(k + 2 * b + 1) * 0.37f;
      Matrix4 m = WithTranslation(EulerMatrix(f, -0.5f * f, 0.8f - f), 0.1f * f, -0.3f, f);
      if (k == 2) m[0] *= 1.5f;  // a stretch
      Slot(0, k, b).matrix = m;
    }
  }
  ManualClock clock;
  auto posed = [&] {
    std::vector<Vector3> points;
    for (std::uint32_t k = 0; k < 3; ++k) {
      model.currentKey = static_cast<std::int32_t>(k);
      anim::PoseMesh(model, clock);
      for (const Vertex* v : model.vertices) {
        points.push_back(v->savedPosition);
        points.push_back(v->savedNormal);
      }
    }
    return points;
  };
  const std::vector<Vector3> before = posed();
  const Vector3 corner = model.vertices.Nth(7)->position;
  const Vector3 angles{0.3f, 1.2f, -0.4f};
  const Matrix4 r = EulerMatrix(angles.x, angles.y, angles.z);
  edit::JournalTransformModel(model, edit::ModelTransform::Rotate, angles);

  EXPECT_EQ(model.vertices.Nth(7)->position, TransformDirection(r, corner));
  // The root's joint turns as a point and it gains no turn of its own.
  const Vector3 joint = TransformDirection(r, {-0.5f, 0, -0.5f});
  const Matrix4& root = model.bones[0].localMatrix;
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(root[i], WithTranslation(Matrix4::Identity(), joint.x, joint.y, joint.z)[i], 1e-6);
  }
  const std::vector<Vector3> after = posed();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    const Vector3 want = TransformDirection(r, before[i]);
    EXPECT_NEAR(after[i].x, want.x, 1e-5) << i;
    EXPECT_NEAR(after[i].y, want.y, 1e-5) << i;
    EXPECT_NEAR(after[i].z, want.z, 1e-5) << i;
  }
}

TEST_F(ModelTransforms, ScaleDoublesPositionsAndEveryTranslationButNotNormals) {
  edit::ScaleModel(model, {2, 2, 2});
  EXPECT_EQ(v0->position, (Vector3{2, 4, 6}));
  EXPECT_EQ(v0->savedPosition, v0->position);
  EXPECT_EQ(v1->normal, (Vector3{1, 0, 0}));
  EXPECT_EQ(v1->u, 0.25f);
  EXPECT_EQ(model.bones[0].localMatrix, Translation(-2, -4, -6));
  EXPECT_EQ(model.bones[1].localMatrix, QuarterTurn(0, 8, 0));
  ExpectBindMatricesFollowTheLocalOnes();
  EXPECT_EQ(Slot(0, 1, 0).matrix, Translation(1, 2, 3));
  EXPECT_EQ(Slot(0, 1, 1).matrix, QuarterTurn(4, 0, 0));
  EXPECT_EQ(Slot(1, 0, 1).matrix, Translation(-2, 0, 0));
  EXPECT_EQ(Slot(1, 1, 0).matrix, Translation(7, 7, 7));
  EXPECT_EQ(model.journal.position(), 0u);
}

TEST_F(ModelTransforms, AJournaledTransformIsOneUndoStepAndOneTooBigForTheRingIsFinal) {
  const auto dump = [this] {
    std::string out = DumpModel(model);
    for (std::uint32_t b = 0; b < model.boneCount; ++b) {
      out += ExactText(model.bones[b].localMatrix) + ExactText(model.bones[b].bindMatrix) + "\n";
    }
    for (auto [a, k, s] : {std::array{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}}) {
      out += ExactText(Slot(a, k, s).matrix) + "\n";
    }
    return out;
  };
  const std::string before = dump();
  for (auto transform : {edit::ModelTransform::Translate, edit::ModelTransform::Rotate,
                         edit::ModelTransform::Scale}) {
    edit::JournalTransformModel(model, transform, {0.3f, 1.2f, -0.4f});
    const std::string after = dump();
    EXPECT_NE(after, before);
    edit::Undo(model);
    EXPECT_EQ(dump(), before);
    edit::Redo(model);
    EXPECT_EQ(dump(), after);
    edit::Undo(model);
  }
  EXPECT_EQ(model.journal.position(), 0u);

  // Ten vertices take 70 words: in a ring of 64 the transform cannot be recorded and stays.
  model.journal.Resize(64);
  for (int i = 0; i < 8; ++i) AddVertex(0, 0, float(i));
  edit::JournalSetVertex(model, v0, {5, 5, 5}, v0->normal, 0, 0);
  edit::JournalTransformModel(model, edit::ModelTransform::Scale, {2, 2, 2});
  edit::Undo(model);
  EXPECT_EQ(v0->position, (Vector3{10, 10, 10}));
  EXPECT_EQ(model.journal.position(), model.journal.end());
}

TEST_F(ModelTransforms, ASelectionTransformMovesOnlyTheSelectionInOneUndoStep) {
  model.Reset();
  Vertex* a = edit::JournalAddVertex(model, {1, 0, 0}, {0, 0, 1}, 0.5f, 0.25f);
  Vertex* b = edit::JournalAddVertex(model, {0, 2, 0}, {1, 0, 0}, 0.75f, 1);
  Vertex* c = edit::JournalAddVertex(model, {0, 0, 3}, {0, 1, 0}, 0, 0);
  model.DeselectAll();
  const std::uint64_t words = model.journal.position();
  edit::TransformSelection(model, Translation(1, 0, 0), false);
  EXPECT_EQ(model.journal.position(), words);  // nothing selected, nothing written

  model.vertices.Select(b);
  const std::string before = DumpModel(model);
  edit::TransformSelection(model, Translation(1, 0, 0), false);
  EXPECT_EQ(a->position, (Vector3{1, 0, 0}));
  EXPECT_EQ(b->position, (Vector3{1, 2, 0}));
  EXPECT_EQ(b->savedPosition, b->position);
  EXPECT_EQ(b->normal, (Vector3{1, 0, 0}));
  EXPECT_EQ(b->u, 0.75f);
  EXPECT_EQ(c->position, (Vector3{0, 0, 3}));
  edit::Undo(model);
  EXPECT_EQ(DumpModel(model), before);
  EXPECT_EQ(model.journal.position(), words);
  model.vertices.Select(c);

  // Scaling keeps normals exactly; rotating turns them too.
  Matrix4 scale = Matrix4::Identity();
  scale[0] = 2;
  scale[5] = 3;
  scale[10] = 4;
  edit::TransformSelection(model, scale, false);
  EXPECT_EQ(b->position, (Vector3{0, 6, 0}));
  EXPECT_EQ(c->position, (Vector3{0, 0, 12}));
  EXPECT_EQ(b->normal, (Vector3{1, 0, 0}));
  edit::TransformSelection(model, QuarterTurn(0, 0, 0), true);
  EXPECT_EQ(b->position, (Vector3{-6, 0, 0}));
  EXPECT_EQ(b->normal, (Vector3{0, 1, 0}));
  EXPECT_EQ(c->normal, (Vector3{-1, 0, 0}));
  EXPECT_EQ(a->position, (Vector3{1, 0, 0}));
  edit::Undo(model);
  edit::Undo(model);
  EXPECT_EQ(DumpModel(model), before);
}

}  // namespace
}  // namespace zmf::testing

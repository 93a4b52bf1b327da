// ValidateModel: sound models pass, and each way of breaking one is named.
#include "model/validate_model.h"

#include <filesystem>
#include <string>

#include "edit/journal.h"
#include "edit/primitives.h"
#include "edit/undo_redo.h"
#include "format/zmf_reader.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kExamplesDir = ZMF_EXAMPLES_DIR;

// A vertex that is in no list.
Vertex stray;

// The first vertex that several faces use.
Vertex* SharedVertex(Model& model) {
  for (Vertex* v : model.vertices) {
    if (v->firstCorner && v->firstCorner.next()) return v;
  }
  return nullptr;
}

// The worm (bones, weights, an animation, two materials) with its duplicate pairs and a
// selection; every case breaks one rule of it.
class ValidateModelTest : public ModelTest {
 protected:
  void SetUp() override {
    format::ReadModelFile(model, kExamplesDir + "/worm.zmf");
    model.RebuildDuplicates();
    model.vertices.Select(model.vertices.Nth(5));
    model.vertices.Select(model.vertices.Nth(2));
    model.SelectFacesFromVertices();
    model.faces.Select(model.faces.Nth(3));
    model.SelectDuplicatesOfSelection();
    ASSERT_GT(model.duplicates.count(), 0u);
    ASSERT_EQ(model.boneCount, 5u);
    ASSERT_EQ(model.materialCount, 2u);
    ASSERT_THAT(ValidateModel(model, kReadModelRules), IsEmpty());
  }
};

TEST_F(ValidateModelTest, EachBrokenRuleIsNamed) {
  struct Case {
    const char* problem;
    void (*breakIt)(Model&);
  };
  const Case cases[] = {
      {"its corner chain lists",
       [](Model& m) {
         Vertex* v = SharedVertex(m);
         v->firstCorner = v->firstCorner.next();  // skips the first face
       }},
      {"lastCorner is not its chain's end",
       [](Model& m) { SharedVertex(m)->lastCorner = CornerRef(); }},
      {"which is another vertex",
       [](Model& m) { std::swap(m.faces.head()->a, m.faces.head()->b); }},
      {"corner c is not a live vertex", [](Model& m) { m.faces.tail()->c = &stray; }},
      {"vertex list: two records have id 0",
       [](Model& m) { m.vertices.SetId(m.vertices.Nth(1), 0); }},
      {"id not below nextId", [](Model& m) { m.vertices.SetId(m.vertices.Nth(1), 100000); }},
      {"prev link is not the record before it",
       [](Model& m) { m.faces.Nth(4)->prev = m.faces.Nth(2); }},
      {"face list: 2 records flagged selected, selCount 1",
       [](Model& m) { m.faces.Nth(7)->selected = 1; }},
      {"selPrev link is not the record before it",
       [](Model& m) { m.vertices.selTail()->selPrev = nullptr; }},
      {"face 9: material 2, but the table holds 2",
       [](Model& m) {
         Face* f = m.faces.Nth(9);
         m.faces.UnlinkFromChain(f);
         f->material = 2;
         m.faces.LinkToChain(f);
       }},
      {"holds face 9 of material", [](Model& m) { m.faces.Nth(9)->material ^= 1; }},
      {"materialCount 33 is above 32", [](Model& m) { m.materialCount = 33; }},
      {"names a vertex that is not in the list",
       [](Model& m) { m.duplicates.tail()->twin = &stray; }},
      {"bone 2: reached twice in the hierarchy", [](Model& m) { m.bones[2].nextSibling = 2; }},
      {"links to bone 7 outside the table", [](Model& m) { m.bones[1].nextSibling = 7; }},
      {"rootBone 2 is not a bone without parent", [](Model& m) { m.rootBone = 2; }},
      {"3 bones are not reached", [](Model& m) { m.bones[1].firstChild = kNoBone; }},
      {"bone 3: parentName is not its parent's name",
       [](Model& m) { m.bones[3].parentName.Set("elsewhere"); }},
      {"bone 2: weights vertex",
       [](Model& m) { m.bones[2].AddWeight(m.bones[2].weights.head()->vertex, 0.5f); }},
      {"bone 5: holds weights beyond boneCount",
       [](Model& m) { m.bones[5].AddWeight(m.vertices.head(), 1.0f); }},
      {"key bone 1 is bound to bone 5 of 5",
       [](Model& m) { m.animation(0).keys[0].keyBones[1].boneIndex = 5; }},
      {"keyCount 33 is above 32", [](Model& m) { m.animation(0).keyCount = 33; }},
      {"animationCount 33 is above 32", [](Model& m) { m.animationCount = 33; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problem);
    SetUp();
    c.breakIt(model);
    EXPECT_THAT(ValidateModel(model, kReadModelRules), Contains(HasSubstr(c.problem)));
  }
}

TEST_F(ValidateModelTest, ABrokenLinkIsNotFollowedAndManyProblemsAreSummedUp) {
  // A face chain looping back: the walk stops instead of running on.
  model.faces.Nth(6)->next = model.faces.Nth(2);
  EXPECT_THAT(ValidateModel(model), Contains("face list: the links loop back to face 2"));
  SetUp();
  model.vertices.head()->next->firstCorner = CornerRef(model.faces.head(), 3);
  EXPECT_THAT(ValidateModel(model), Contains(HasSubstr("holds a corner of no live face")));
  SetUp();
  for (Face* f : model.faces) f->material = 9;
  const std::vector<std::string> problems = ValidateModel(model);
  EXPECT_EQ(problems.size(), 41u);
  EXPECT_THAT(problems.back(), HasSubstr("more problems"));
}

// Primitives, a deletion undone (which re-creates its records at the tails of their lists under
// their old, lower ids), a load that ended early and the examples are sound.
TEST_F(ValidateModelTest, SoundModelsPass) {
  model.Reset();
  for (auto add : {edit::AddBox, edit::AddSphere, edit::AddTriad, edit::AddPyramid,
                   edit::AddCylinder, edit::AddCone, edit::AddPlane}) {
    add(model);
  }
  model.RebuildDuplicates();
  EXPECT_THAT(ValidateModel(model, kImportedModelRules), IsEmpty());
  {
    edit::JournalGroup group(model);
    edit::JournalDeleteVertex(model, model.vertices.Nth(3));
  }
  edit::Undo(model);
  EXPECT_EQ(model.vertices.tail()->id, 3u);
  EXPECT_THAT(ValidateModel(model), IsEmpty());

  // A bad vertex layout ends a load before the bones are linked: two roots, both unlinked.
  format::ReadModelText(model,
                        "ZMF BONES { 2 BONE { NAME a PARENT NONE } BONE { NAME b PARENT NONE } }"
                        " VERTICES { NONSENSE 1 }",
                        "/nonexistent/early.zmf");
  EXPECT_EQ(model.boneCount, 2u);
  EXPECT_THAT(ValidateModel(model, kReadModelRules), IsEmpty());

  for (const auto& entry : std::filesystem::directory_iterator(kExamplesDir)) {
    if (entry.path().extension() != ".zmf") continue;
    SCOPED_TRACE(entry.path().filename().string());
    format::ReadModelFile(model, entry.path().string());
    EXPECT_THAT(ValidateModel(model, kReadModelRules), IsEmpty());
  }
}

// A face around a vertex that is gone and a key bone left on a bone taken away are the store's
// to allow, not a read's; an empty material table a read's, not an import's.
TEST_F(ValidateModelTest, ReadAndImportRulesAddToTheStoresRules) {
  model.Reset();
  for (int i = 0; i < 2; ++i) AddVertex(static_cast<float>(i), 0, 0);
  model.MakeFaceFromIds(0, 0, 1, 2);
  model.materialCount = 0;
  model.animationCount = 1;
  model.animation(0).keyCount = 1;
  model.animation(0).keys[0].keyBoneCount = 1;
  model.animation(0).keys[0].keyBones[0].boneIndex = 3;
  EXPECT_THAT(ValidateModel(model), IsEmpty());
  const char* unbound = "animation 0 key 0: key bone 0 is bound to bone 3 of 0";
  EXPECT_THAT(ValidateModel(model, kReadModelRules),
              ElementsAre("face 0: corner c is missing", unbound));
  EXPECT_THAT(ValidateModel(model, kImportedModelRules),
              ElementsAre("the material table is empty", "face 0: corner c is missing", unbound));
  model.animation(0).keys[0].keyBones[0].boneIndex = kMaxBones;
  EXPECT_THAT(ValidateModel(model),
              ElementsAre("animation 0 key 0: key bone 0 is bound to bone 128 of 128"));
}

}  // namespace
}  // namespace zmf::testing

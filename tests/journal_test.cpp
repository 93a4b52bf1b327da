// Undo and redo: record sizes, group walks, the ring's limits, ids. Random sessions of every
// edit undone and redone in full are in undo_stress_test.cpp.
#include "edit/journal.h"

#include <cmath>
#include <string>

#include "edit/delete_selected.h"
#include "edit/journal_records.h"
#include "edit/undo_redo.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;

class Journal : public ModelTest {
 protected:
  std::uint64_t Words() const { return model.journal.position(); }

  // Adds a triangle of fresh vertices in one group (11-word records each: none is plain).
  Face* Triangle(float x) {
    edit::JournalGroup group(model);
    Vertex* a = edit::JournalAddVertex(model, {x, 0, 0}, {0, 0, 1}, 0, 0.5f);
    Vertex* b = edit::JournalAddVertex(model, {x + 1, 0, 0}, {0, 0, 1}, 1, 0);
    Vertex* c = edit::JournalAddVertex(model, {x, 1, 0}, {0, 0, 1}, 0, 1);
    return edit::JournalAddFace(model, a, b, c);
  }
};

// Each record's size is in journal_records_test.cpp; here, which edits write one.
TEST_F(Journal, RefusedEditsWriteNothingAndUnchangedOnesARecord) {
  Vertex* a = edit::JournalAddVertex(model, {0, 0, 0}, {0, 0, 1}, 0, 0);
  Vertex* b = edit::JournalAddVertex(model, {1, 0, 0}, {0, 0, 1}, 0, 0);
  Face* f = edit::JournalAddFace(model, a, b, edit::JournalAddVertex(model, {}, {0, 0, 1}, 0, 0));
  ASSERT_TRUE(edit::JournalAddBone(model, "hip", -1, Matrix4::Identity(), 1));
  edit::JournalAddVertexWeight(model, 0, a);
  const std::uint64_t words = Words();
  EXPECT_EQ(edit::JournalAddFace(model, a, b, nullptr), nullptr);
  EXPECT_FALSE(edit::JournalAddMaterial(model, ""));
  EXPECT_FALSE(edit::JournalAddBone(model, "second-root", -1, Matrix4::Identity(), 1));
  edit::JournalAddVertexWeight(model, 0, a);                  // already held
  edit::JournalSetKeyBoneMatrix(model, Matrix4::Identity());  // no animation
  model.animationCount = 1;
  model.currentAnimation = model.currentKey = model.currentKeyBone = 0;
  edit::JournalSetKeyBoneMatrix(model, Matrix4::Identity());  // a key or slot not in use
  EXPECT_EQ(Words(), words);

  // One whole record, even where nothing changes.
  auto oneRecord = [&](auto&& edit) {
    const std::uint64_t before = Words();
    edit();
    return Words() > before && edit::RecordLength(model.journal, before) == Words() - before;
  };
  EXPECT_TRUE(oneRecord([&] { edit::JournalSetFaceMaterial(model, f, 0); }));
  model.animation(0).keyCount = 1;
  model.animation(0).keys[0].keyBoneCount = 1;
  EXPECT_TRUE(oneRecord([&] { edit::JournalSetKeyBoneMatrix(model, Matrix4::Identity()); }));
}

// A vertex added with normal (0, 0, 1) and texture coordinates (0, 0), as the X reader adds a
// million of them, takes 6 words instead of 11 and comes back the same; -0 is not taken for 0.
TEST_F(Journal, PlainVerticesTakeAShortRecordAndComeBackExactly) {
  Vertex* plain = edit::JournalAddVertex(model, {1, 2, 3}, {0, 0, 1}, 0, 0);
  EXPECT_EQ(Words(), 6u);
  edit::JournalAddVertex(model, {4, 5, 6}, {0, 0, 1}, -0.0f, 0);
  EXPECT_EQ(Words(), 6u + 11u);
  model.vertices.ClearSelection();
  edit::Undo(model);
  edit::Undo(model);
  EXPECT_EQ(model.vertices.count(), 0u);
  edit::Redo(model);
  edit::Redo(model);
  ASSERT_EQ(model.vertices.count(), 2u);
  plain = model.vertices.FindById(0);
  EXPECT_EQ(plain->position, (Vector3{1, 2, 3}));
  EXPECT_EQ(plain->savedNormal, (Vector3{0, 0, 1}));
  EXPECT_EQ(plain->u, 0.0f);
  EXPECT_TRUE(std::signbit(model.vertices.FindById(1)->u));
}

TEST_F(Journal, UndoAndRedoOnAnEmptyHistoryDoNothing) {
  edit::DeleteSelectedVertices(model);  // nothing selected: not even a group
  edit::DeleteSelectedFaces(model);
  edit::Undo(model);
  EXPECT_EQ(Words(), 0u);
  edit::Redo(model);
  EXPECT_EQ(Words(), 0u);
  Triangle(0);
  model.Reset();
  edit::Undo(model);
  edit::Redo(model);
  EXPECT_EQ(Words(), 0u);
  EXPECT_EQ(model.vertices.count(), 0u);
}

TEST_F(Journal, DeletedVertexAndItsFacesComeBackUnderTheirIdsWithTheCurrentMaterial) {
  Vertex* hub = edit::JournalAddVertex(model, {0, 0, 0}, {0, 0, 1}, 0, 0);
  std::vector<Vertex*> rim;
  for (int i = 0; i < 4; ++i) {
    rim.push_back(edit::JournalAddVertex(model, {float(i), 1, 0}, {0, 0, 1}, 0, 0));
  }
  Face* kept = edit::JournalAddFace(model, rim[0], rim[1], rim[2]);
  for (int i = 0; i < 3; ++i) edit::JournalAddFace(model, hub, rim[i], rim[i + 1]);
  model.DeselectAll();
  {
    edit::JournalGroup group(model);
    edit::JournalDeleteVertex(model, hub);
  }
  EXPECT_THAT(Ids(model.faces), ElementsAre(kept->id));

  edit::JournalAddMaterial(model, "second");
  model.currentMaterial = 1;
  edit::Undo(model);  // the material
  model.currentMaterial = 0;
  edit::JournalAddMaterial(model, "other");
  model.currentMaterial = 1;
  edit::Undo(model);  // a new edit replaced the material record; this takes the new one back
  edit::Undo(model);  // the deletion group
  EXPECT_THAT(Ids(model.vertices), ElementsAre(1, 2, 3, 4, 0));
  EXPECT_THAT(Ids(model.faces), ElementsAre(0, 3, 2, 1));
  EXPECT_FALSE(model.vertices.tail()->selected);
  // The current material, 1, names no material since its addition was undone: material 0.
  for (Face* f : model.faces) {
    if (f != kept) {
      EXPECT_EQ(f->material, 0u);
      EXPECT_EQ(f->a, model.vertices.tail());
      EXPECT_FALSE(f->selected);
    }
  }
}

TEST_F(Journal, RedoStopsAtTheNewestRecordAfterANewEdit) {
  Triangle(0);
  Triangle(2);
  Triangle(4);
  edit::Undo(model);
  edit::Undo(model);
  EXPECT_EQ(model.faces.count(), 1u);
  edit::JournalAddMaterial(model, "new");  // overwrites the undone groups
  edit::Redo(model);
  edit::Redo(model);
  EXPECT_EQ(model.faces.count(), 1u);
  EXPECT_EQ(model.materialCount, 2u);
  edit::Undo(model);
  EXPECT_EQ(model.materialCount, 1u);
  edit::Redo(model);
  EXPECT_EQ(model.materialCount, 2u);
}

TEST_F(Journal, UndoStopsAtTheOldestIntactRecordOnceTheRingWrapsAndRedoFinishesItsGroup) {
  model.journal.Resize(64);
  for (int i = 0; i < 30; ++i) edit::JournalAddVertex(model, {float(i), 0, 0}, {0, 1, 0}, 0, 0);
  // 330 words written into 64: the newest five records (55 words) are intact.
  for (int i = 0; i < 10; ++i) edit::Undo(model);
  EXPECT_EQ(model.vertices.count(), 25u);
  EXPECT_EQ(model.vertices.tail()->position.x, 24.0f);
  for (int i = 0; i < 10; ++i) edit::Redo(model);
  EXPECT_EQ(model.vertices.count(), 30u);

  // A group whose opening marker was overwritten ends at the oldest intact record.
  model.Reset();
  {
    edit::JournalGroup group(model);
    for (int i = 0; i < 8; ++i) edit::JournalAddVertex(model, {float(i), 0, 0}, {0, 1, 0}, 0, 0);
  }
  edit::Undo(model);
  EXPECT_EQ(model.vertices.count(), 3u);  // 5 intact records after the lost ones
  edit::Undo(model);
  EXPECT_EQ(model.vertices.count(), 3u);

  // Redo after an Undo that stopped inside a group finishes that group first.
  model.Reset();
  Triangle(0);  // words 0-40
  Triangle(5);  // words 41-81: the first group's marker and first two vertices are lost
  const std::string both = DumpModel(model);
  edit::Undo(model);
  edit::Undo(model);  // the first group's last vertex and its face, up to the oldest intact record
  EXPECT_EQ(model.vertices.count(), 2u);
  EXPECT_EQ(model.faces.count(), 0u);
  edit::Redo(model);  // the rest of that group, through its closing marker
  EXPECT_EQ(model.faces.count(), 1u);
  edit::Redo(model);  // the whole second group
  EXPECT_EQ(model.faces.count(), 2u);
  EXPECT_EQ(Words(), 82u);
  EXPECT_EQ(DumpModel(model), both);
}

TEST_F(Journal, IdsStayExactBeyondFloatPrecision) {
  Vertex* v = edit::JournalAddVertex(model, {1, 1, 1}, {0, 0, 1}, 0, 0);
  Vertex* w = edit::JournalAddVertex(model, {2, 2, 2}, {0, 0, 1}, 0, 0);
  model.vertices.SetId(v, 20000001);
  model.vertices.SetId(w, 20000000);
  edit::JournalSetVertex(model, v, {5, 5, 5}, {0, 0, 1}, 0, 0);
  edit::Undo(model);
  EXPECT_EQ(v->position.x, 1.0f);
  EXPECT_EQ(w->position.x, 2.0f);
}

// What Undo restores of a bone is in the stress sessions; these are the rules they do not reach.
TEST_F(Journal, OnlyTheRootLosesItsParentAndKeyBoneUndoGoesByTheRecordedIndices) {
  edit::JournalAddBone(model, "root", -1, Matrix4::Identity(), 1);
  edit::JournalAddBone(model, "a", 0, Matrix4::Identity(), 1);
  const std::uint64_t words = Words();
  edit::JournalSetBone(model, 1, -1, Matrix4::Identity(), 3);  // ignored: nothing written
  EXPECT_EQ(Words(), words);
  EXPECT_EQ(model.bones[1].parent, 0);
  EXPECT_EQ(model.bones[1].grams, 1);

  model.animationCount = 1;
  model.animation(0).keyCount = 2;
  model.animation(0).keys[1].keyBoneCount = 3;
  model.currentAnimation = 0;
  model.currentKey = 1;
  model.currentKeyBone = 2;
  Matrix4 pose = Matrix4::Identity();
  pose[0] = 4;
  edit::JournalSetKeyBoneMatrix(model, pose);
  model.currentKey = 0;
  EXPECT_EQ(model.animation(0).keys[1].keyBones[2].matrix, pose);
  edit::Undo(model);
  EXPECT_EQ(model.animation(0).keys[1].keyBones[2].matrix, Matrix4::Identity());
  edit::Redo(model);
  EXPECT_EQ(model.animation(0).keys[1].keyBones[2].matrix, pose);
}

TEST_F(Journal, UndoAfterRenumberingFindsTheRecordsItMeans) {
  Triangle(0);
  Triangle(3);
  Vertex* moved = model.vertices.Nth(4);
  edit::JournalSetVertex(model, moved, {9, 9, 9}, {0, 0, 1}, 0, 0);
  {
    edit::JournalGroup group(model);
    edit::JournalDeleteVertex(model, model.vertices.Nth(1));  // and the first triangle's face
  }
  edit::RenumberIds(model);  // what saving does
  EXPECT_THAT(Ids(model.vertices), ElementsAre(0, 1, 2, 3, 4));
  EXPECT_EQ(model.vertices.nextId(), 6u);  // id 5 now stands for the deleted vertex
  EXPECT_EQ(model.faces.nextId(), 2u);

  edit::Undo(model);
  EXPECT_EQ(model.vertices.tail()->id, 5u);
  EXPECT_EQ(model.vertices.tail()->position, (Vector3{1, 0, 0}));
  ASSERT_EQ(model.faces.count(), 2u);
  EXPECT_EQ(model.faces.tail()->b, model.vertices.tail());
  edit::Undo(model);
  EXPECT_EQ(moved->position, (Vector3{4, 0, 0}));
  EXPECT_EQ(model.vertices.Nth(0)->position, (Vector3{0, 0, 0}));
  edit::Redo(model);
  edit::Redo(model);
  EXPECT_EQ(moved->position, (Vector3{9, 9, 9}));
  EXPECT_EQ(model.vertices.count(), 5u);
  EXPECT_EQ(model.faces.count(), 1u);

  // A record under an id far beyond the others is renumbered with the rest.
  Vertex* far = model.vertices.Nth(2);
  model.vertices.SetId(far, 1u << 30);
  edit::JournalSetVertex(model, far, {7, 7, 7}, {0, 0, 1}, 0, 0);
  edit::RenumberIds(model);
  EXPECT_EQ(far->id, 2u);
  edit::Undo(model);
  EXPECT_EQ(far->position, (Vector3{3, 0, 0}));

  // With nothing in the journal the ids simply restart after the live ones.
  model.journal.Reset();
  edit::RenumberIds(model);
  EXPECT_EQ(model.vertices.nextId(), 5u);
}

}  // namespace
}  // namespace zmf::testing

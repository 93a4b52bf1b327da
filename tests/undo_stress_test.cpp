// Undo and redo under long random edit sessions: every state a session passes through must come
// back exactly, walking the whole history backwards and forwards, also once the ring has wrapped.
#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "anim/skeleton.h"
#include "edit/animation_edits.h"
#include "edit/bone_edits.h"
#include "edit/delete_selected.h"
#include "edit/face_operations.h"
#include "edit/face_selection.h"
#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/material_edits.h"
#include "edit/model_transforms.h"
#include "edit/normals.h"
#include "edit/primitives.h"
#include "edit/reduce.h"
#include "edit/reflection.h"
#include "edit/revolution.h"
#include "edit/split_faces.h"
#include "edit/undo_redo.h"
#include "edit/weld.h"
#include "file_fixture.h"
#include "model/validate_model.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

// Faces re-created by Undo take the material current at that moment, so walking backwards the
// face materials are left out; walking forwards every record sets them again.
enum class FaceMaterials { Shown, Hidden };

// DumpModel plus the material table, the bones and the key bones of every key in use (with the
// first four slots of each key even when unused, which the key-bone matrix edits may write).
std::string FullDump(const Model& m, FaceMaterials materials) {
  std::string out;
  std::istringstream lines(DumpModel(m));
  for (std::string line; std::getline(lines, line);) {
    if (materials == FaceMaterials::Hidden && line.starts_with("f")) line.erase(line.rfind(" m"));
    out += line + "\n";
  }
  out += "materials " + std::to_string(m.materialCount) + "\n";
  for (std::uint32_t i = 0; i < m.materialCount; ++i) {
    const Material& mat = m.materials[i];
    out += "mat" + std::to_string(i) + " " + mat.name.str() + " ";
    for (const Colour* c : {&mat.ambient, &mat.diffuse, &mat.emission, &mat.specular}) {
      for (float f : *c) out += ExactText(f) + ",";
    }
    // The file and alpha settings stay while the texture is switched off; the texture object
    // is only in use while it is on.
    out += " s" + std::to_string(mat.shininess) + " t" + std::to_string(mat.hasTexture) + " " +
           mat.textureFile + " a" + std::to_string(mat.alphaMode) + "," +
           ExactText(mat.alphaValue) + (mat.hasTexture != 0 && mat.texture != 0 ? " loaded" : "");
    out += "\n";
  }
  out += "bones " + std::to_string(m.boneCount) + " root " + std::to_string(m.rootBone) + "\n";
  for (std::uint32_t i = 0; i < m.boneCount; ++i) {
    const Bone& b = m.bones[i];
    // Undo puts a bone back under its old parent as the last child (the record keeps no
    // sibling position), so the children are compared as a set.
    std::set<std::int32_t> children;
    for (std::int32_t c = b.firstChild; c != kNoBone && children.size() < kMaxBones;
         c = m.bones[c].nextSibling) {
      children.insert(c);
    }
    out += "bone" + std::to_string(i) + " " + b.name.str() + " p" + std::to_string(b.parent) + " " +
           b.parentName.str() + " g" + ExactText(b.grams) + " " + ExactText(b.localMatrix) +
           " bind " + ExactText(b.bindMatrix) + " children";
    for (std::int32_t c : children) out += " " + std::to_string(c);
    out += "\n";
  }
  for (std::uint32_t a = 0; a < m.animationCount; ++a) {
    for (std::uint32_t k = 0; k < m.animation(a).keyCount; ++k) {
      const AnimKey& key = m.animation(a).keys[k];
      out += "key " + std::to_string(a) + "." + std::to_string(k) + " n" +
             std::to_string(key.keyBoneCount) + "\n";
      for (std::uint32_t slot = 0; slot < std::max(key.keyBoneCount, 4u); ++slot) {
        const KeyBone& kb = key.keyBones[slot];
        out += "  " + std::to_string(kb.boneIndex) + " " + kb.boneName.str() + " " +
               ExactText(kb.matrix) + "\n";
      }
    }
  }
  return out;
}

// A record list's position tables agree with its links, in list and in selection order.
template <class T>
void ExpectPositionsConsistent(const RecordList<T>& list) {
  std::uint32_t n = 0;
  for (const T* r : list) ASSERT_EQ(list.Nth(n++), r) << "position " << n;
  n = 0;
  for (const T* r : list.Selected()) ASSERT_EQ(list.NthSelected(n++), r) << "selected " << n;
}

// The links, caches and cross references that must hold whatever was done and undone.
void ExpectConsistent(const Model& m) {
  ASSERT_THAT(ValidateModel(m), ::testing::IsEmpty());
  // Edits keep one tree: the root is the one bone without a parent.
  std::uint32_t parentless = 0;
  for (std::uint32_t b = 0; b < m.boneCount; ++b) parentless += m.bones[b].parent == kNoBone;
  ASSERT_EQ(parentless, m.rootBone == kNoBone ? 0u : 1u);
  ASSERT_NO_FATAL_FAILURE(ExpectPositionsConsistent(m.vertices)) << "vertices";
  ASSERT_NO_FATAL_FAILURE(ExpectPositionsConsistent<Face>(m.faces)) << "faces";
}

class UndoStress : public ModelTest {
 protected:
  void SetUp() override {
    // Textures of several path lengths, so material records vary in size, and a missing one.
    for (const std::string name : {"a.bmp", "a-rather-longer-texture-file-name-for-wood.bmp",
                                   "x-123456789-123456789-123456789-123456789-123456789-123456789"
                                   "-123456789-123456789-123456789-123456789-123456789.bmp"}) {
      textures_.push_back(folder_.File(name));
      WriteFile(textures_.back(), SolidBmp64(10, 20, 30));
    }
    textures_.push_back(folder_.File("missing.bmp"));
  }

  std::uint32_t Below(std::uint32_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng_);
  }
  bool Chance(int percent) { return Below(100) < static_cast<std::uint32_t>(percent); }
  float Coordinate() { return static_cast<float>(static_cast<int>(Below(9)) - 4) * 0.25f; }

  Vertex* AnyVertex() { return model.vertices.Nth(Below(model.vertices.count())); }
  Face* AnyFace() { return model.faces.Nth(Below(model.faces.count())); }

  void SelectSome(int percent) {
    model.DeselectAll();
    for (Vertex* v : model.vertices) {
      if (Chance(percent)) model.vertices.Select(v);
    }
    if (Chance(50)) {
      model.SelectFacesFromVertices();
    } else {
      for (Face* f : model.faces) {
        if (Chance(percent)) model.faces.Select(f);
      }
    }
  }

  // Keeps the model from growing without bound: large models make every step slow.
  bool Small() const { return model.vertices.count() < 150 && model.faces.count() < 300; }

  std::string MaterialName() {
    const std::uint32_t length = 1 + Below(40);
    std::string name;
    for (std::uint32_t i = 0; i < length; ++i) name += static_cast<char>('a' + Below(26));
    return name;
  }

  Matrix4 RandomMatrix() {
    Matrix4 m = Matrix4::Identity();
    m[12] = Coordinate();
    m[13] = Coordinate();
    m[0] = 1.0f + Coordinate();
    return m;
  }

  // A bone deletion whose record fits in the ring (one too big for it is final and stops both
  // walks; bone_deletion_test.cpp covers that).
  void DeleteAnyBone() {
    if (model.boneCount < 2) return;
    const std::uint32_t bone = Below(model.boneCount);
    if (edit::TakeBoneDeletionSnapshot(model, bone).RecordWords() <= model.journal.capacity()) {
      edit::JournalDeleteBone(model, bone);
    }
  }

  // One random command, as the user could give it: most are whole undo groups, a few are single
  // journaled primitives, which are one undo step each. The kinds come from a shuffled deck of
  // all of them, so that a short session still has each.
  void RandomEdit() {
    if (deck_.empty()) {
      for (std::uint32_t kind = 0; kind < kEditKinds; ++kind) deck_.push_back(kind);
      std::shuffle(deck_.begin(), deck_.end(), rng_);
    }
    lastEdit_ = deck_.back();
    deck_.pop_back();
    switch (lastEdit_) {
      case 0:
        edit::JournalAddVertex(model, {Coordinate(), Coordinate(), Coordinate()}, {0, 0, 1}, 0.5f,
                               0.25f);
        break;
      case 1:
        edit::JournalAddFace(model, AnyVertex(), AnyVertex(), AnyVertex());
        break;
      case 2:
        if (Small()) (Chance(50) ? edit::AddBox : edit::AddTriad)(model);
        break;
      case 3:
        if (Small()) (Chance(50) ? edit::AddPyramid : edit::AddCone)(model);
        break;
      case 4:
        if (Small()) (Chance(70) ? edit::AddCylinder : edit::AddSphere)(model);
        break;
      // The mesh operations, each on a random selection of a size that suits it.
      case 5:
        SelectSome(10);
        edit::DeleteSelectedVertices(model);
        break;
      case 6:
        SelectSome(15);
        edit::DeleteSelectedFaces(model);
        break;
      case 7:
        SelectSome(8);
        if (Small()) edit::SplitSelectedFaces(model, Chance(50));
        break;
      case 8:
        SelectSome(3);
        edit::WeldSelectedVertices(model);
        break;
      case 9:
        model.RebuildDuplicates();
        SelectSome(30);
        model.SelectDuplicatesOfSelection();
        edit::WeldSelectedDuplicates(model);
        break;
      case 10:
        SelectSome(40);
        edit::ReduceSelectedVertices(model, Below(60));
        break;
      case 11:
        SelectSome(20);
        if (Small()) edit::ReflectSelection(model, Chance(50));
        break;
      case 12:
        SelectSome(2);
        if (Small() && model.vertices.selCount() < 6) edit::RevolveSelection(model);
        break;
      case 13:
        SelectSome(30);
        edit::CalculateNormals(model, Chance(50), false);
        break;
      case 14:
        SelectSome(30);
        edit::CalculateNormalsAcrossDuplicates(model);
        break;
      case 15:
        SelectSome(30);
        edit::InvertSelectedNormals(model);
        break;
      case 16:
        SelectSome(30);
        edit::ReverseSelectedFaces(model);
        break;
      case 17:
        SelectSome(10);
        if (Small()) edit::DuplicateSelectedVertices(model, Chance(50));
        break;
      case 18:
        SelectSome(10);
        if (Small()) edit::DuplicateBackFaces(model);
        break;
      case 19:
        SelectSome(5);
        edit::FanSelectedVertices(model, Coordinate(), Coordinate(), 0);
        break;
      case 20:
        edit::JournalSetVertex(model, AnyVertex(), {Coordinate(), Coordinate(), Coordinate()},
                               {0, 1, 0}, 0.75f, 0.5f);
        break;
      case 21:
        edit::JournalAddMaterial(model, MaterialName());
        break;
      case 22:
        edit::JournalDeleteMaterial(model, Below(model.materialCount));
        break;
      case 23:
        edit::JournalSetMaterialColours(model, Below(model.materialCount), {Coordinate(), 0, 0, 1},
                                        {0, Coordinate(), 0, 1}, {0, 0, Coordinate(), 1}, {},
                                        Below(128));
        break;
      case 24:
        if (Chance(30)) {
          // Delete Selected > Texture: the flag toggled, the rest as stored.
          const std::uint32_t m = Below(model.materialCount);
          const Material& mat = model.materials[m];
          edit::JournalSetMaterialTexture(model, m, mat.hasTexture == 0, mat.textureFile,
                                          mat.alphaMode, mat.alphaValue);
          break;
        }
        edit::JournalSetMaterialTexture(
            model, Below(model.materialCount), Chance(75),
            textures_[Below(static_cast<std::uint32_t>(textures_.size()))], Below(8), Coordinate());
        break;
      case 25:
        edit::JournalSetFaceMaterial(model, AnyFace(), Below(model.materialCount));
        break;
      case 26:
        edit::JournalAddBone(model, MaterialName(),
                             model.boneCount == 0 ? -1 : static_cast<int>(Below(model.boneCount)),
                             RandomMatrix(), 1.0f);
        break;
      case 27:
        if (model.boneCount > 0) {
          edit::JournalSetBone(model, Below(model.boneCount),
                               static_cast<int>(Below(model.boneCount)), RandomMatrix(),
                               static_cast<float>(Below(5)));
        }
        break;
      case 28:
        edit::JournalAddVertexWeight(model, Below(model.boneCount), AnyVertex());
        break;
      case 29:
        if (model.boneCount > 0) {
          const Bone& bone = model.bones[Below(model.boneCount)];
          if (const VertexWeight* w = bone.weights.Nth(Below(bone.weights.count()))) {
            edit::JournalRemoveVertexWeight(model, bone.index, w->vertex);
          }
        }
        break;
      case 30:
        model.currentKeyBone = static_cast<std::int32_t>(Below(4));
        edit::JournalSetKeyBoneMatrix(model, RandomMatrix());
        break;
      case 31: {
        // A single vertex deletion is several records; the command brackets it.
        edit::JournalGroup group(model);
        edit::JournalDeleteVertex(model, AnyVertex());
        break;
      }
      case 32:
        SelectSome(30);
        edit::SelectUnconnectedVertices(model);
        break;
      case 33:
        SelectSome(20);
        edit::SelectConnectedFaces(model);
        break;
      case 34: {
        // A command made of compound edits: one undo step for all of it.
        edit::JournalGroup group(model);
        edit::JournalSetFaceMaterial(model, AnyFace(), Below(model.materialCount));
        edit::JournalDeleteMaterial(model, Below(model.materialCount));
        if (model.boneCount > 0) {
          edit::JournalSetBone(model, Below(model.boneCount),
                               static_cast<int>(Below(model.boneCount)), RandomMatrix(), 2.0f);
        }
        SelectSome(10);
        edit::DeleteSelectedFaces(model);
        break;
      }
      case 35:
        DeleteAnyBone();
        break;
      case 36: {
        // One undo step per vertex added or removed; bracketed so that the session's states
        // line up with whole edits.
        edit::JournalGroup group(model);
        SelectSome(15);
        model.currentBone = static_cast<std::int32_t>(Below(model.boneCount + 1)) - 1;
        edit::SetBoneOnSelection(model);
        break;
      }
      case 37: {
        // A deletion among other bone edits in one group.
        edit::JournalGroup group(model);
        edit::JournalAddVertexWeight(model, Below(model.boneCount), AnyVertex());
        DeleteAnyBone();
        if (model.boneCount > 0) {
          edit::JournalSetBone(model, Below(model.boneCount),
                               static_cast<int>(Below(model.boneCount)), RandomMatrix(), 3.0f);
        }
        model.currentKeyBone = static_cast<std::int32_t>(Below(4));
        edit::JournalSetKeyBoneMatrix(model, RandomMatrix());
        break;
      }
      case 38: {
        // A limb: a few bones, each under a random earlier one, in one group.
        edit::JournalGroup group(model);
        for (std::uint32_t n = 1 + Below(4); n > 0; --n) {
          edit::JournalAddBone(model, MaterialName(),
                               model.boneCount == 0 ? -1 : static_cast<int>(Below(model.boneCount)),
                               RandomMatrix(), 1.0f);
        }
        break;
      }
      case 39:
        // Faces re-created by Undo and Redo take the current material: it stays 0 between edits.
        SelectSome(20);
        model.currentMaterial = Below(model.materialCount);
        edit::SetMaterialOnSelection(model);
        model.currentMaterial = 0;
        break;
      case 40:
        SelectSome(20);
        edit::SetSelectionTexCoords(model, Coordinate(), Coordinate());
        break;
      case 41:
        SelectSome(30);
        edit::CoordsFromView(model, RandomMatrix(), 0.5f + static_cast<float>(Below(3)));
        break;
      case 42:
        SelectSome(40);
        edit::CoordsFromPinned(model, RandomMatrix());
        break;
      case 43: {
        // A whole-model transform whose record fits in the ring (one too big for it is final).
        const auto transform = static_cast<edit::ModelTransform>(Below(edit::kModelTransforms));
        const Vector3 values{Coordinate(), 1.0f + Coordinate(), Coordinate()};
        if (edit::TakeModelTransformSnapshot(model, transform, values).RecordWords() <=
            model.journal.capacity()) {
          edit::JournalTransformModel(model, transform, values);
        }
        break;
      }
      case 44:
        model.currentKeyBone = static_cast<std::int32_t>(Below(4));
        edit::JournalDeleteKeyBone(model, static_cast<std::int32_t>(Below(2)),
                                   static_cast<std::int32_t>(Below(2)),
                                   static_cast<std::int32_t>(Below(12)));
        break;
    }
  }

  // Two animations whose key bones pose bones that exist and some that do not yet, one unbound.
  void SetUpAnimations() {
    model.animationCount = 2;
    model.currentAnimation = model.currentKey = 0;
    for (std::uint32_t a = 0; a < 2; ++a) {
      Animation& animation = model.animation(a);
      animation.keyCount = 2 - a;
      for (std::uint32_t k = 0; k < animation.keyCount; ++k) {
        AnimKey& key = animation.keys[k];
        key.keyBoneCount = 10;
        for (std::uint32_t slot = 0; slot < kMaxKeyBones; ++slot) {
          KeyBone& kb = key.keyBones[slot];
          kb.boneIndex = slot == 9 ? kUnboundKeyBone : (slot + a * 3) % 12;
          kb.matrix = RandomMatrix();
          kb.boneName.Set(MaterialName());
        }
      }
    }
  }

  // Runs `edits` random edits, then walks the whole history back and forth twice, comparing each
  // state reached with the one recorded at that journal position. `redone` says whether Redo
  // restores face materials too: not once the ring has wrapped, since a face that Undo re-created
  // with the current material may have lost the records that gave it its own.
  void Session(int edits, FaceMaterials redone) {
    std::map<std::uint64_t, std::string> backwards, forwards;
    auto record = [&] {
      backwards[model.journal.position()] = FullDump(model, FaceMaterials::Hidden);
      forwards[model.journal.position()] = FullDump(model, redone);
    };
    record();
    for (int i = 0; i < edits; ++i) {
      const std::uint64_t before = model.journal.position();
      RandomEdit();
      if (model.journal.position() != before) journaled_.insert(lastEdit_);
      editAt_[model.journal.position()] = lastEdit_;
      ASSERT_NO_FATAL_FAILURE(ExpectConsistent(model)) << "after edit " << i;
      record();
    }
    const std::uint64_t newest = model.journal.position();
    // Once the ring has wrapped, the oldest intact record may lie inside an edit whose first
    // records were overwritten: Undo stops there, part way through that edit, and the first
    // Redo finishes it.
    const std::uint64_t firstWhole = backwards.lower_bound(model.journal.oldest())->first;
    for (int round = 0; round < 2; ++round) {
      std::uint64_t steps = 0;
      for (;;) {
        const std::uint64_t before = model.journal.position();
        edit::Undo(model);
        const std::uint64_t at = model.journal.position();
        if (at == before) break;
        ++steps;
        ASSERT_NO_FATAL_FAILURE(ExpectConsistent(model)) << "undo step " << steps;
        if (at < firstWhole) continue;
        ASSERT_EQ(backwards.count(at), 1u) << "undo stopped inside an edit, at " << at;
        ASSERT_EQ(FullDump(model, FaceMaterials::Hidden), backwards[at])
            << "undo step " << steps << " to position " << at << ", round " << round
            << ", taking back edit kind " << editAt_[before];
      }
      EXPECT_EQ(model.journal.position(), model.journal.oldest());
      for (;;) {
        const std::uint64_t before = model.journal.position();
        edit::Redo(model);
        const std::uint64_t at = model.journal.position();
        if (at == before) break;
        ASSERT_NO_FATAL_FAILURE(ExpectConsistent(model)) << "redo to " << at;
        ASSERT_EQ(forwards.count(at), 1u)
            << "redo stopped inside an edit, at " << at << " from " << before;
        ASSERT_EQ(FullDump(model, redone), forwards[at])
            << "redo to position " << at << ", round " << round << ", edit kind " << editAt_[at];
      }
      ASSERT_EQ(model.journal.position(), newest);
    }
  }

  static constexpr std::uint32_t kEditKinds = 45;
  std::vector<std::uint32_t> deck_;
  std::uint32_t lastEdit_ = 0;
  std::set<std::uint32_t> journaled_;  // the kinds that wrote to the journal at least once
  std::map<std::uint64_t, std::uint32_t> editAt_;  // journal position -> the edit that ended there
  std::mt19937 rng_{20240611};
  TempFolder folder_;
  std::vector<std::string> textures_;
};

// A session in the default journal, then two in rings small enough to wrap. Every edit kind but
// Select Connected Faces (a selection only) is journaled and undone somewhere.
TEST_F(UndoStress, RandomSessionsUndoAndRedoThroughEveryStateAlsoInAWrappingRing) {
  for (std::uint64_t capacity : {0u, 2500u, 4000u}) {
    SCOPED_TRACE(capacity);
    const bool wraps = capacity > 0;
    rng_.seed(static_cast<std::uint32_t>(capacity + 1));
    model.Reset();
    if (wraps) model.journal.Resize(capacity);
    SetUpAnimations();
    ASSERT_NO_FATAL_FAILURE(Session(135, wraps ? FaceMaterials::Hidden : FaceMaterials::Shown));
    // Unwrapped, the walk back ends at the empty model's dump at position 0.
    EXPECT_EQ(model.journal.oldest() > 0, wraps);
  }
  std::vector<std::uint32_t> unjournaled;
  for (std::uint32_t kind = 0; kind < kEditKinds; ++kind) {
    if (journaled_.count(kind) == 0) unjournaled.push_back(kind);
  }
  EXPECT_EQ(unjournaled, std::vector<std::uint32_t>{33});
}

}  // namespace
}  // namespace zmf::testing

// Undo and Redo: walking the journal back and forth, one record or one group at a time.
//
// A record is undone by its inverse action with its old values and redone by the same action
// with its new ones; a bone deletion, an animation deletion and a whole-model transform are
// undone from the snapshot their record holds. The two lone words of such an edit too big to
// record, and anything else that is not a whole record, stop both walks.
#include "edit/undo_redo.h"

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "edit/animation_edits.h"
#include "edit/bone_edits.h"
#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/model_transforms.h"
#include "material/material_table.h"

namespace zmf::edit {
namespace {

// A vertex appended under the given id with both copies set; not selected.
Vertex* RecreateVertex(Model& model, std::uint32_t id, const Vector3& position,
                       const Vector3& normal, float u, float v) {
  Vertex* vertex = model.AppendVertex();
  if (vertex == nullptr) return nullptr;
  model.SetVertex(vertex, position, normal, u, v);
  model.vertices.SetId(vertex, id);
  return vertex;
}

// A face appended under the given id with the current material, only when all three corners
// exist; not selected.
void RecreateFace(Model& model, std::uint32_t id, const std::array<std::uint32_t, 3>& corners) {
  Vertex* a = model.vertices.FindById(corners[0]);
  Vertex* b = model.vertices.FindById(corners[1]);
  Vertex* c = model.vertices.FindById(corners[2]);
  if (a == nullptr || b == nullptr || c == nullptr) return;
  model.MakeFaceFromIds(id, corners[0], corners[1], corners[2]);
}

void SetFaceCornersByIds(Model& model, std::uint32_t id, const std::array<std::uint32_t, 3>& ids) {
  model.SetFaceCorners(model.faces.FindById(id), model.vertices.FindById(ids[0]),
                       model.vertices.FindById(ids[1]), model.vertices.FindById(ids[2]));
}

// Removes the vertex a record names: normally the newest one, since everything after it was
// undone first.
void RemoveRecordedVertex(Model& model, std::uint32_t id) {
  Vertex* v = model.vertices.tail();
  if (v == nullptr || v->id != id) v = model.vertices.FindById(id);
  model.DeleteVertex(v);
}

void RemoveRecordedFace(Model& model, std::uint32_t id) {
  Face* f = model.faces.tail();
  if (f == nullptr || f->id != id) f = model.faces.FindById(id);
  model.RemoveFace(f);
}

// Applies a record backwards (undo: its inverse action, with its old values) or forwards (redo:
// the action again, with its new values).
void Replay(Model& model, const JournalRecord& r, bool undo) {
  switch (r.code) {
    case kAddVertex:
    case kDeleteVertex:
      if ((r.code == kAddVertex) != undo) {
        RecreateVertex(model, r.id, r.position, r.normal, r.u, r.v);
      } else {
        RemoveRecordedVertex(model, r.id);
      }
      break;
    case kAddPlainVertex:
      if (!undo) {
        RecreateVertex(model, r.id, r.position, kPlainNormal, 0.0f, 0.0f);
      } else {
        RemoveRecordedVertex(model, r.id);
      }
      break;
    case kSetVertex:
      model.SetVertex(model.vertices.FindById(r.id), undo ? r.oldPosition : r.position,
                      undo ? r.oldNormal : r.normal, undo ? r.oldU : r.u, undo ? r.oldV : r.v);
      break;
    case kAddFace:
    case kDeleteFace:
      if ((r.code == kAddFace) != undo) {
        RecreateFace(model, r.id, r.corners);
      } else {
        RemoveRecordedFace(model, r.id);
      }
      break;
    case kSetFaceVertices:
      SetFaceCornersByIds(model, r.id, undo ? r.oldCorners : r.corners);
      break;
    case kSetFaceMaterial:
      model.SetFaceMaterial(model.faces.FindById(r.id), undo ? r.oldMaterial : r.material);
      break;
    case kAddMaterial:
      if (!undo) {
        material::AddMaterial(model, r.name);
      } else if (model.materialCount > 1) {
        // Faces that still use it (none after a well-formed walk) must not keep an index beyond
        // the table.
        material::DeleteMaterial(model, model.materialCount - 1);
      }
      break;
    case kDeleteMaterial: {
      if (!undo) {
        material::DeleteMaterial(model, r.index);
        break;
      }
      Material restored;
      restored.name.Set(r.name);
      restored.ambient = r.colours.ambient;
      restored.diffuse = r.colours.diffuse;
      restored.emission = r.colours.emission;
      restored.specular = r.colours.specular;
      restored.shininess = r.colours.shininess;
      restored.hasTexture = r.texture.enabled ? 1 : 0;
      restored.textureFile = r.texture.file;
      restored.alphaMode = r.texture.alphaMode;
      restored.alphaValue = r.texture.alphaValue;
      material::InsertMaterial(model, r.index, restored);
      // The texture object went with the deletion; load it again from its file.
      if (restored.hasTexture && !restored.textureFile.empty() && r.index < model.materialCount &&
          model.materials[r.index].name == restored.name) {
        material::SetMaterialTexture(model, r.index, true, restored.textureFile, restored.alphaMode,
                                     restored.alphaValue);
      }
      break;
    }
    case kSetMaterialColours:
      StoreMaterialColours(model, r.index, undo ? r.oldColours : r.colours);
      break;
    case kSetMaterialTexture: {
      const TextureSettings& t = undo ? r.oldTexture : r.texture;
      material::SetMaterialTexture(model, r.index, t.enabled, t.file, t.alphaMode, t.alphaValue);
      break;
    }
    case kAddBone:
      if (undo) {
        anim::RemoveLastBone(model);
      } else {
        anim::AddBone(model, r.name, r.parent, r.matrix, r.grams);
      }
      break;
    case kDeleteBone:
      if (undo) {
        UndoBoneDeletion(model, r.deletion);
      } else {
        RedoBoneDeletion(model, r.deletion);
      }
      break;
    case kSetBone:
      anim::SetBone(model, r.index, undo ? r.oldParent : r.parent, undo ? r.oldMatrix : r.matrix,
                    undo ? r.oldGrams : r.grams);
      break;
    case kAddVertexWeight:
    case kRemoveVertexWeight:
      if ((r.code == kAddVertexWeight) != undo) {
        anim::AddVertexWeight(model, r.index, model.vertices.FindById(r.id));
      } else {
        anim::RemoveVertexWeight(model, r.index, model.vertices.FindById(r.id));
      }
      break;
    case kSetKeyBoneMatrix:
      if (KeyBone* k = anim::FindKeyBone(model, static_cast<std::int32_t>(r.index),
                                         static_cast<std::int32_t>(r.key),
                                         static_cast<std::int32_t>(r.keyBone))) {
        k->matrix = undo ? r.oldMatrix : r.matrix;
      }
      break;
    case kDeleteAnimation:
      if (undo) {
        UndoAnimationDeletion(model, r.animationDeletion);
      } else {
        anim::DeleteAnimation(model, r.animationDeletion.animation);
      }
      break;
    case kDeleteKeyBone:
      if (undo) {
        UndoKeyBoneDeletion(model, r);
      } else {
        anim::DeleteKeyBone(model, static_cast<std::int32_t>(r.index),
                            static_cast<std::int32_t>(r.key), static_cast<std::int32_t>(r.keyBone));
      }
      break;
    case kTransformModel:
      if (undo) {
        UndoModelTransform(model, r.transform);
      } else {
        ApplyModelTransform(model, static_cast<ModelTransform>(r.transform.transform),
                            r.transform.values);
      }
      break;
    default:
      break;
  }
}

enum class WalkStep { Record, GroupMarker, Stop };

// Takes back the record before the undo position; Stop leaves the position where it was.
WalkStep UndoOne(Model& model, JournalRecord& record) {
  UndoJournal& journal = model.journal;
  const std::uint64_t end = journal.position();
  if (end <= journal.oldest()) return WalkStep::Stop;
  const std::int32_t code = journal.At(end - 1).AsInt();
  if (code == kGroupMarker) {
    journal.StepBack();
    return WalkStep::GroupMarker;
  }
  std::uint64_t start = 0;
  if (FindRecordLayout(code) == nullptr || !RecordStart(journal, end, start) ||
      !DecodeRecord(journal, start, end, record)) {
    return WalkStep::Stop;
  }
  while (journal.position() > start) journal.StepBack();
  Replay(model, record, true);
  return WalkStep::Record;
}

// Replays the record at the undo position; Stop leaves the position where it was.
WalkStep RedoOne(Model& model, JournalRecord& record) {
  UndoJournal& journal = model.journal;
  const std::uint64_t start = journal.position();
  if (start >= journal.end()) return WalkStep::Stop;
  const std::int32_t code = journal.At(start).AsInt();
  if (code == kGroupMarker) {
    journal.StepForward();
    return WalkStep::GroupMarker;
  }
  if (FindRecordLayout(code) == nullptr) return WalkStep::Stop;
  const std::uint64_t length = RecordLength(journal, start);
  if (length > journal.end() - start || !DecodeRecord(journal, start, start + length, record)) {
    return WalkStep::Stop;
  }
  while (journal.position() < start + length) journal.StepForward();
  Replay(model, record, false);
  return WalkStep::Record;
}

}  // namespace

// One Undo or Redo: a single record, or a whole group from marker to marker. A group whose
// far marker is missing (the walk met the end of the history or a word it cannot replay) ends
// there.
void Undo(Model& model) {
  JournalRecord record;  // one decoding buffer for the whole walk
  if (UndoOne(model, record) != WalkStep::GroupMarker) return;
  WalkStep step = WalkStep::Record;
  while ((step = UndoOne(model, record)) == WalkStep::Record) {
  }
  // Stopped before the opening marker: the ring overwrote it, and the position now lies inside
  // the group, whose remaining records the next Redo replays up to its closing marker.
  if (step == WalkStep::Stop) model.journal.SetInsideGroup(true);
}

void Redo(Model& model) {
  JournalRecord record;
  const bool insideGroup = model.journal.insideGroup();
  model.journal.SetInsideGroup(false);
  if (!insideGroup && RedoOne(model, record) != WalkStep::GroupMarker) return;
  while (RedoOne(model, record) == WalkStep::Record) {
  }
}

}  // namespace zmf::edit

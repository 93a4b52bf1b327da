// The journaled edit primitives and group brackets: the only way an edit becomes undoable.
// Undo and Redo are in undo_redo.h, the records' words in journal_records.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/model.h"

namespace zmf::edit {

// One 8970 group marker. A compound command writes one before its first edit and one after its
// last, so that one Undo or Redo takes the whole command.
void WriteGroupMarker(Model& model);

// Brackets a compound command's edits for the lifetime of the object. Brackets nest: one opened
// while another is open writes nothing, so a compound edit called from another command (a
// material deletion, a bone edit) becomes part of that command's undo step.
class JournalGroup {
 public:
  explicit JournalGroup(Model& model) : model_(model) {
    if (model_.journal.EnterGroup()) WriteGroupMarker(model_);
  }
  ~JournalGroup() {
    if (model_.journal.LeaveGroup()) WriteGroupMarker(model_);
  }
  JournalGroup(const JournalGroup&) = delete;
  JournalGroup& operator=(const JournalGroup&) = delete;

 private:
  Model& model_;
};

// ---- vertices and faces

// Appends a vertex (both copies set), selects it and marks the geometry changed. Null only when
// memory ran out.
Vertex* JournalAddVertex(Model& model, const Vector3& position, const Vector3& normal, float u,
                         float v);
// Removes the vertex from every bone, deletes every face that uses it, then the vertex.
void JournalDeleteVertex(Model& model, Vertex* vertex);
// Sets both copies of position, normal and texture coordinates.
void JournalSetVertex(Model& model, Vertex* vertex, const Vector3& position, const Vector3& normal,
                      float u, float v);
// A face on a, b, c with the current material, selected; nothing unless all three are given.
Face* JournalAddFace(Model& model, Vertex* a, Vertex* b, Vertex* c);
void JournalDeleteFace(Model& model, Face* face);
// Nothing unless all four are given.
void JournalSetFaceVertices(Model& model, Face* face, Vertex* a, Vertex* b, Vertex* c);
// Recorded even when the material does not change; nothing for a material at or above the
// material count.
void JournalSetFaceMaterial(Model& model, Face* face, std::uint32_t material);

// ---- materials

// Appends a material with the defaults and the name (cut to 31 characters); false when the
// table is full or the name is empty.
bool JournalAddMaterial(Model& model, std::string_view name);
// Moves the material's faces to its neighbour and removes it (one group); nothing when it is
// the only material or the index is out of range.
void JournalDeleteMaterial(Model& model, std::uint32_t index);
void JournalSetMaterialColours(Model& model, std::uint32_t index, const Colour& ambient,
                               const Colour& diffuse, const Colour& emission,
                               const Colour& specular, std::uint32_t shininess);
// Stores the texture settings and, when enabled with a file, loads the texture anew.
void JournalSetMaterialTexture(Model& model, std::uint32_t index, bool hasTexture,
                               std::string_view file, std::uint32_t alphaMode, float alphaValue);

// ---- bones

bool JournalAddBone(Model& model, std::string_view name, std::int32_t parent,
                    const Matrix4& localMatrix, float grams);
void JournalSetBone(Model& model, std::uint32_t bone, std::int32_t parent,
                    const Matrix4& localMatrix, float grams);
void JournalAddVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex);
void JournalRemoveVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex);
// Stores the matrix into the current key bone of the current key of the current animation.
void JournalSetKeyBoneMatrix(Model& model, const Matrix4& matrix);

// ---- plain actions the primitives and the undo walk share (not journaled)

struct MaterialColours;
// Stores a material's four colours and shininess; nothing for an index beyond the table.
void StoreMaterialColours(Model& model, std::uint32_t index, const MaterialColours& colours);

// ---- whole model

// Gives vertices and faces the ids 0, 1, 2, ... in list order, as saving a file does, and
// rewrites the journal to match. Records that the journal names but that no longer exist
// (deleted, or undone) get ids after the live ones, and nextId stays above those, so Undo and
// Redo never confuse them with the renumbered records.
void RenumberIds(Model& model);

}  // namespace zmf::edit

// Journaled edits of the skeleton made of several steps: weights from the selection, and bone
// deletion.
#pragma once

#include <cstdint>

#include "edit/journal_records.h"
#include "model/model.h"

namespace zmf::edit {

// Makes the current bone's weights list the vertex selection: selected vertices it lacks are
// added (selection order), then entries whose vertex is not selected are removed (list order),
// each add or remove a journaled step of its own. Nothing without a current bone.
void SetBoneOnSelection(Model& model);

// Deletes the bone as anim::DeleteBone does, journaled as one step that Undo takes back whole
// (the bone, its weights and every weight it changed, its place among its siblings, its
// children, its key bones) and Redo performs again. The root and an index out of range are
// refused (false, nothing written). A deletion whose record would not fit in the journal's ring
// is written as two lone bone-deletion words around it instead, which neither Undo nor Redo
// passes.
bool JournalDeleteBone(Model& model, std::uint32_t bone);

// ---- what Undo and Redo of a bone deletion do

// The skeleton as the deletion of `bone` would change it, taken before it.
BoneDeletionSnapshot TakeBoneDeletionSnapshot(const Model& model, std::uint32_t bone);
// Puts back what the deletion changed: every bone as the snapshot holds it (weights found by
// vertex id; a vertex that no longer exists is skipped), the removed key bones in their slots,
// the other key bones' bone indices, rootBone, and the rest matrices. currentBone and
// currentKeyBone follow the bones and slots they name. Nothing unless the table has exactly one
// bone fewer than the snapshot.
void UndoBoneDeletion(Model& model, const BoneDeletionSnapshot& snapshot);
// Deletes the snapshot's bone again, when the table has as many bones as the snapshot.
void RedoBoneDeletion(Model& model, const BoneDeletionSnapshot& snapshot);

}  // namespace zmf::edit

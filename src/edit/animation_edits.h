// Deleting animations and key bones as undoable steps.
#pragma once

#include <cstdint>

#include "edit/journal_records.h"
#include "model/model.h"

namespace zmf::edit {

// Deletes the animation as anim::DeleteAnimation does, journaled as one step that Undo takes
// back whole (the animation with its keys and key bones in its slot, and the current animation,
// key and key bone as they were) and Redo performs again. Nothing (nothing written) for an index
// out of range. A deletion too big for the journal's ring is written as two lone words around it,
// which neither Undo nor Redo passes.
void JournalDeleteAnimation(Model& model, std::uint32_t index);
// Deletes the key bone as anim::DeleteKeyBone does, journaled with the key bone and the current
// animation, key and key bone, which Undo puts back. Nothing unless the slot is in use.
void JournalDeleteKeyBone(Model& model, std::int32_t animation, std::int32_t key,
                          std::int32_t slot);

// ---- what Undo does

AnimationDeletionSnapshot TakeAnimationDeletionSnapshot(const Model& model, std::uint32_t index);
// Puts the animation back into its slot (the later ones move up) and the current indices as they
// were; nothing when the table is full or the slot lies beyond its end.
void UndoAnimationDeletion(Model& model, const AnimationDeletionSnapshot& snapshot);
// Puts a deleted key bone (a kDeleteKeyBone record) back into its slot and the current indices as
// they were; nothing unless its key is in use and has room and the slot is at most its count.
void UndoKeyBoneDeletion(Model& model, const JournalRecord& record);

}  // namespace zmf::edit

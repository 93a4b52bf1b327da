// Journaled edits of the skeleton made of several steps: weights from the selection, and bone
// deletion.
#pragma once

#include <cstdint>

#include "model/model.h"

namespace zmf::edit {

// Makes the current bone's weights list the vertex selection: selected vertices it lacks are
// added (selection order), then entries whose vertex is not selected are removed (list order),
// each add or remove a journaled step of its own. Nothing without a current bone.
void SetBoneOnSelection(Model& model);

// Deletes the bone as anim::DeleteBone does, journaled as one step that Undo takes back whole
// (the bone, its weights and every weight it changed, its place among its siblings, its
// children, its key bones) and Redo performs again. The root and an index out of range are
// refused (false, nothing written).
bool JournalDeleteBone(Model& model, std::uint32_t bone);

}  // namespace zmf::edit

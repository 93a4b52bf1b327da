// Selecting by topology: vertices that no face uses, and the faces connected to the selection.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Replaces the vertex selection with every vertex that no face uses, in list order, inside an
// (empty) undo group, so the command counts as one step. Nothing when the model has no vertex.
void SelectUnconnectedVertices(Model& model);

// Grows the face selection over the whole vertex-connected region of the selected faces. The
// selection is walked from its head, faces added during the walk included; for each selected
// face S, every unselected face that shares a vertex with S is selected in face-list order and
// its three corners are appended to the vertex selection (a corner already selected moves to
// the end). Faces with a missing corner neither spread the selection nor join it. Not journaled.
void SelectConnectedFaces(Model& model);

}  // namespace zmf::edit

// Deleting the selected vertices or faces as one undo step.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Deletes every selected vertex in selection order, each with the faces that use it and its
// bone weights, in one journal group. Nothing (no group) when no vertex is selected.
void DeleteSelectedVertices(Model& model);

// Deletes every selected face in selection order in one journal group; the vertices stay.
// Nothing (no group) when no face is selected.
void DeleteSelectedFaces(Model& model);

}  // namespace zmf::edit

// Vertex normals from the faces around the selected vertices, and inverting them.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Gives each selected vertex, in selection order, the unit sum of (A - P) x (P - B) over the
// faces that use it, where P is the vertex's first corner in the face, A the corner before it
// and B the corner after it; each face counts with twice its area. Unless `connected`, only
// faces in the face selection count. With `acrossDuplicates`, every vertex that the duplicate
// list pairs with P adds all of its own faces, taken at its own corner. A zero sum gives the
// zero normal. Writes one undo group, holding a set-vertex record for each vertex whose normal
// changed; nothing at all when no vertex is selected. Reads the duplicate list as it stands.
void CalculateNormals(Model& model, bool connected, bool acrossDuplicates);

// "Across Duplicates": brings the duplicate list up to date, then the connected calculation
// across duplicates.
void CalculateNormalsAcrossDuplicates(Model& model);

// Negates the normal of every selected vertex in one undo group, a record for each (also for a
// zero normal); nothing when no vertex is selected.
void InvertSelectedNormals(Model& model);

}  // namespace zmf::edit

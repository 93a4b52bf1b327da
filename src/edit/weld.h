// Merging vertices: the whole vertex selection into one vertex, or each selected duplicate pair.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Rewires one corner of a face onto `keep`: the corners become (keep, old corner + 1, old
// corner + 2), so the winding stays and `keep` becomes corner A. Journaled. Nothing for a null
// face or keep, a corner outside 0 ... 2, or a face with a null corner.
void RewireFaceCorner(Model& model, Face* face, int corner, Vertex* keep);

// Collapses the selected vertices into the one selected first, which moves to their average
// position, normal (not renormalised) and texture coordinates and stays selected. A face with
// one selected corner is rewired onto it (so a face whose only selected corner is the kept
// vertex just turns its corners); a face with two or three is deleted; the other selected
// vertices are deleted. One undo group; nothing when no vertex is selected. Faces with a null
// corner are left to the vertex deletions.
void WeldSelectedVertices(Model& model);

// For each selected duplicate record {V, W} in selection order, every face using W (in face
// list order) gets V at its first corner that is W. Then every vertex no face uses is deleted,
// stray ones included, and the duplicate list is rebuilt. One undo group; nothing when no
// duplicate record is selected. A record whose two vertices no longer sit at the same position
// (the list went stale since it was built) is passed over.
void WeldSelectedDuplicates(Model& model);

}  // namespace zmf::edit

// Splitting the selected faces into four, with the neighbours' cracks closed.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Cuts each selected face (A, B, C), from the tail of the face selection to its head, at the
// midpoints of its edges: the face becomes (A, mAB, mCA) and keeps its material, and the faces
// (mAB, mBC, mCA), (mAB, B, mBC), (mBC, C, mCA) are added (current material, selected). Two
// faces that share an edge share its midpoint. A midpoint takes the mean of the ends' positions,
// normals (not made unit length) and texture coordinates; with `deform` it is pushed along that
// normal by a quarter of the edge length times how much the ends' normals lean towards each
// other along the edge, so a flat patch stays flat. Then every face of the list, from the tail,
// that still has a cut edge is cut in two at its midpoint, so no crack opens; the half cut off
// is examined the same way, so a face along two or three cut edges is closed on each of them.
// One undo group; nothing when no face is selected. Faces with a missing corner are left alone.
void SplitSelectedFaces(Model& model, bool deform);

}  // namespace zmf::edit

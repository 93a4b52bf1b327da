// Topology edits of the selection: reversing faces, copying vertices, back faces and fans.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Each writes one undo group. Faces with a missing corner are left alone.

// Turns every selected face (A, B, C), in selection order, into (A, C, B). The group is written
// even when no face is selected.
void ReverseSelectedFaces(Model& model);

// Adds (journaled) a copy of v with its position, normal and texture coordinates, which joins
// the vertex selection; appends the pair {v, copy} to the duplicate list at once (unselected)
// and marks the duplicate list stale, so that the next reader rebuilds it rather than follow a
// pair whose copy an Undo has taken away; and adds the copy (journaled) to every bone that holds
// v, in bone order. Null for a null vertex, or when memory ran out.
Vertex* DuplicateVertex(Model& model, Vertex* v);

// Copies every selected vertex, from the tail of the selection to its head, then selects the
// duplicate pairs whose first vertex is selected. With `moveFaces` the vertex selection is then
// cleared and every selected face, from the tail of the face selection, is rewired with each
// corner replaced by its twin in the latest selected pair that starts at it (the copy just
// made). Nothing when no vertex is selected.
void DuplicateSelectedVertices(Model& model, bool moveFaces);

// For each selected face (A, B, C), from the tail of the face selection: copies A, B and C and
// adds the face (C', B', A') on the last three selected vertices, the copies, facing the other
// way. Nothing when no face is selected.
void DuplicateBackFaces(Model& model);

// Fans the selected vertices around the last one selected, seen through the camera turned by
// the three angles: the others are ordered by their angle about the centre, measured in the
// view from +y towards +x (equal angles keep selection order; an angle that is not a number
// sorts last), and each neighbouring pair (s, t) of that order gets the face (s, centre, t).
// The fan is left open between the last and the first. Nothing with fewer than 3 vertices
// selected.
void FanSelectedVertices(Model& model, float pitch, float yaw, float roll);

}  // namespace zmf::edit

// Mirroring the selection across the plane x = 0, optionally stitched to its mirror image.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// True when ReflectSelection would do anything: a vertex is selected. The command asks its
// question only then, so that nothing is asked when there is nothing to mirror.
bool CanReflectSelection(const Model& model);

// One undo group; nothing at all (no group) when no vertex is selected.
//
// Walking the vertex selection from its tail to its head, adds for each vertex a mirror at
// (-x, y, z) with normal (-nx, ny, nz) and the same u, v. Then, walking the face selection from
// its tail to its head, adds for each face (A, B, C) whose corners all have mirrors the face
// (A', C', B'), reversed so that it faces outwards. With `connectEdges`, walks those faces again
// and joins each border edge (one that no other of the faces selected at the start contains)
// to its mirror edge with two faces: A-B gives (B, A, A') and (A', B', B), B-C gives (C, B, B')
// and (B', C', C), C-A gives (A, C, C') and (C', A', A). Everything added joins the selections;
// faces take the current material. Faces with a null corner are skipped throughout.
void ReflectSelection(Model& model, bool connectEdges);

}  // namespace zmf::edit

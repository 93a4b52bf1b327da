// Journaled material and texture-coordinate edits of the selection: each one undo group.
#pragma once

#include "model/math_types.h"
#include "model/model.h"

namespace zmf::edit {

// Every selected face, in selection order, gets currentMaterial (a face-material step each, also
// for a face that has it already). Nothing when no face is selected or currentMaterial is not
// below the material count.
void SetMaterialOnSelection(Model& model);

// Every selected vertex, in selection order, gets (u, v); positions and normals stay. Nothing
// when no vertex is selected.
void SetSelectionTexCoords(Model& model, float u, float v);

// Every selected vertex, in selection order, projected through `view` (its view position is
// (x m0 + y m4 + z m8 + m12, x m1 + y m5 + z m9 + m13)) onto the view square of half-extent E:
// u = X / 2E + 0.5, v = 0.5 - Y / 2E, each clamped to 0 ... 1, so the visible square maps onto
// the unit texture square with u = 0 at its left edge and v = 0 at its top. Nothing when no
// vertex is selected.
void CoordsFromView(Model& model, const Matrix4& view, float halfExtent);

// Selected vertices whose u or v is not 0 are pins and stay as they are. Every other selected
// vertex, in selection order, gets the coordinates of its view position (through `view`)
// interpolated from the three pins nearest to it on screen, clamped to 0 ... 1; collinear pins
// give a meaningless result, not an error. Nothing, and no undo step, with fewer than three
// pins.
void CoordsFromPinned(Model& model, const Matrix4& view);

}  // namespace zmf::edit

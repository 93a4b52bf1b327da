// Journaled material and texture-coordinate edits of the selection: each one undo group.
#pragma once

#include "model/math_types.h"
#include "model/model.h"

namespace zmf::edit {

// Every selected face, in selection order, gets currentMaterial.
void SetMaterialOnSelection(Model& model);

// Every selected vertex, in selection order, gets (u, v); positions and normals stay.
void SetSelectionTexCoords(Model& model, float u, float v);

// Every selected vertex projected through `view` onto the view square of half-extent E:
// u = X / 2E + 0.5, v = 0.5 - Y / 2E, each clamped to 0 ... 1.
void CoordsFromView(Model& model, const Matrix4& view, float halfExtent);

// Every selected vertex whose u and v are both 0 gets coordinates interpolated from the three
// pins (selected vertices with u or v not 0) nearest to it through `view`. Nothing with fewer
// than three pins.
void CoordsFromPinned(Model& model, const Matrix4& view);

}  // namespace zmf::edit

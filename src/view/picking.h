// Picking vertices in the viewport: the selection rectangle and the pick square around the
// cursor, tested on the vertices' current positions through the view matrix.
#pragma once

#include "model/model.h"
#include "view/camera.h"

namespace zmf::view {

// A rectangle in view coordinates (x right, y up), x0 < x1 and y0 < y1 for anything to be
// inside.
struct ViewRect {
  float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
};

enum class RectMode { Replace, Add, Remove };

// Replace clears the vertex selection first (not the face selection); replace and add then select
// every vertex strictly inside the rectangle in list order (a selected one moves to the end of
// the selection), remove unselects them; last, every face whose three corners are selected is
// selected. Depth is ignored, so hidden vertices are picked too. A rectangle of no area picks
// nothing.
void SelectInRect(Model& model, const Matrix4& view, const ViewRect& rect, RectMode mode);

// The square of half-size h (in view units) around the normalised cursor (nx, ny), ny growing
// downwards.
ViewRect PickSquare(const Camera& camera, float nx, float ny, float h);

// The vertices under the cursor added to the selection: the pick square of E/128.
void PickVerticesAt(Model& model, const Camera& camera, const Matrix4& view, float nx, float ny);

// The face under the cursor: the segment from view depth 10000 to -10000 under (nx, ny), taken
// into model space through the inverse of `view`, meets each face's plane at t (0 at the near
// end, 1 at the far one); of the faces it meets inside, the one with the smallest t is selected
// with its three corners (added to the selections). Faces seen edge on (|n.d| below 0.0001),
// degenerate faces and faces missing a corner are passed over. False when no face is hit.
bool PickFace(Model& model, const Camera& camera, const Matrix4& view, float nx, float ny);

// The bone whose joint (its frame matrix's origin) lies strictly inside the square of E/256
// around the cursor, the last of the table if several do, becomes the current bone, and the
// vertex selection becomes its weighted vertices. False, and nothing changed, when no joint is
// there.
bool PickBone(Model& model, const Camera& camera, const Matrix4& view, float nx, float ny);

}  // namespace zmf::view

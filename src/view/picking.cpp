// Picking vertices in the viewport.
#include "view/picking.h"

namespace zmf::view {

void SelectInRect(Model& model, const Matrix4& view, const ViewRect& rect, RectMode mode) {
  if (mode == RectMode::Replace) model.vertices.ClearSelection();
  const float m0 = view[0], m1 = view[1], m4 = view[4], m5 = view[5], m8 = view[8];
  const float m9 = view[9], m12 = view[12], m13 = view[13];
  for (Vertex* v : model.vertices) {
    const Vector3& p = v->position;
    const float x = m0 * p.x + m4 * p.y + m8 * p.z + m12;
    const float y = m1 * p.x + m5 * p.y + m9 * p.z + m13;
    if (!(rect.x0 < x && x < rect.x1 && rect.y0 < y && y < rect.y1)) continue;
    if (mode == RectMode::Remove) {
      model.vertices.Unselect(v);
    } else {
      model.vertices.Select(v);
    }
  }
  model.SelectFacesFromVertices();
}

ViewRect PickSquare(const Camera& camera, float nx, float ny, float h) {
  const float e = camera.HalfExtent();
  return {nx * e - h, -ny * e - h, nx * e + h, -ny * e + h};
}

void PickVerticesAt(Model& model, const Camera& camera, const Matrix4& view, float nx, float ny) {
  SelectInRect(model, view, PickSquare(camera, nx, ny, camera.HalfExtent() / 128.0f),
               RectMode::Add);
}

}  // namespace zmf::view

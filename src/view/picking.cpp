// Picking vertices in the viewport.
#include "view/picking.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zmf::view {

void SelectInRect(Model& model, const Matrix4& view, const ViewRect& rect, RectMode mode) {
  const float m0 = view[0], m1 = view[1], m4 = view[4], m5 = view[5], m8 = view[8];
  const float m9 = view[9], m12 = view[12], m13 = view[13];
  for (Vertex* v : model.vertices) {
    const Vector3& p = v->position;
    const float x = m0 * p.x + m4 * p.y + m8 * p.z + m12;
    const float y = m1 * p.x + m5 * p.y + m9 * p.z + m13;
    if (!(rect.x0 < x && x < rect.x1 && rect.y0 < y && y < rect.y1)) {
      // Replacing unselects the vertices outside in the same pass: every selected vertex is in
      // the list, so what stays selected is exactly the inside ones, in list order.
      if (mode == RectMode::Replace) model.vertices.Unselect(v);
      continue;
    }
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
  // Two pixels each way (E / 128 in the default 512-pixel viewport).
  const float half = static_cast<float>(camera.ShorterSide()) / 4.0f;
  SelectInRect(model, view, PickSquare(camera, nx, ny, camera.HalfExtent() / half), RectMode::Add);
}

bool PickFace(Model& model, const Camera& camera, const Matrix4& view, float nx, float ny) {
  const float e = camera.HalfExtent();
  const Vector3 p0 = ViewToModel(view, {nx * e, -ny * e, 10000.0f});
  const Vector3 p1 = ViewToModel(view, {nx * e, -ny * e, -10000.0f});
  const Vector3 d = p1 - p0;
  Face* nearest = nullptr;
  float nearestT = std::numeric_limits<float>::infinity();
  for (Face* f : model.faces) {
    if (!f->HasAllCorners()) continue;
    const Vector3& a = f->a->position;
    const Vector3 ab = f->b->position - a;
    const Vector3 ac = f->c->position - a;
    const Vector3 n = Cross(ab, ac);
    if (!(Dot(n, n) > 0.0f)) continue;  // degenerate (or not a number)
    const float nd = Dot(n, d);
    if (!(std::fabs(nd) >= 0.0001f)) continue;
    const float t = -Dot(n, p0 - a) / nd;
    if (!(t >= 0.0f && t <= 1.0f) || !(t < nearestT)) continue;
    // Barycentric coordinates of the hit in the face's plane.
    const Vector3 ah{p0.x + t * d.x - a.x, p0.y + t * d.y - a.y, p0.z + t * d.z - a.z};
    const float bb = Dot(ab, ab), bc = Dot(ab, ac), cc = Dot(ac, ac);
    const float hb = Dot(ah, ab), hc = Dot(ah, ac);
    const float det = bb * cc - bc * bc;
    if (!(det != 0.0f)) continue;
    const float u = (cc * hb - bc * hc) / det;
    const float v = (bb * hc - bc * hb) / det;
    if (!(u >= 0.0f && v >= 0.0f && u + v <= 1.0f)) continue;
    nearest = f;
    nearestT = t;
  }
  if (nearest == nullptr) return false;
  model.faces.Select(nearest);
  model.vertices.Select(nearest->a);
  model.vertices.Select(nearest->b);
  model.vertices.Select(nearest->c);
  return true;
}

bool PickBone(Model& model, const Camera& camera, const Matrix4& view, float nx, float ny) {
  const float halfSide = static_cast<float>(camera.ShorterSide()) / 2.0f;  // one pixel each way
  const ViewRect square = PickSquare(camera, nx, ny, camera.HalfExtent() / halfSide);
  std::int32_t picked = -1;
  const std::uint32_t count = model.boneCount;
  for (std::uint32_t i = 0; i < count; ++i) {
    const Matrix4& frame = model.bones[i].frameMatrix;
    const float ox = frame[12], oy = frame[13], oz = frame[14];
    const float x = view[0] * ox + view[4] * oy + view[8] * oz + view[12];
    const float y = view[1] * ox + view[5] * oy + view[9] * oz + view[13];
    if (square.x0 < x && x < square.x1 && square.y0 < y && y < square.y1) {
      picked = static_cast<std::int32_t>(i);
    }
  }
  if (picked < 0) return false;
  model.currentBone = picked;
  model.vertices.ClearSelection();
  for (VertexWeight* w : model.bones[picked].weights) {
    if (w->vertex != nullptr) model.vertices.Select(w->vertex);
  }
  return true;
}

}  // namespace zmf::view

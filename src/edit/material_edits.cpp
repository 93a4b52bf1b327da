// The selection's material and texture coordinates, each command one undo group.
#include "edit/material_edits.h"

#include <cmath>
#include <vector>

#include "edit/journal.h"
#include "model/transforms.h"

namespace zmf::edit {
namespace {

struct ViewPoint {
  float x = 0.0f;
  float y = 0.0f;
  friend bool operator==(const ViewPoint&, const ViewPoint&) = default;
};

// Where the view matrix puts the vertex on screen; depth is not used.
ViewPoint ViewPosition(const Matrix4& m, const Vector3& p) {
  const Vector3 q = TransformPoint(m, p);
  return {q.x, q.y};
}

// Clamped to 0 ... 1; NaN (a degenerate view or pin triangle) becomes 0, so no vertex is ever
// given a coordinate that cannot be saved and read back.
float Clamp01(float t) {
  if (!(t > 0.0f)) return 0.0f;
  return t < 1.0f ? t : 1.0f;
}

// Position and normal stay as they are.
void SetTexCoords(Model& model, Vertex* vertex, float u, float v) {
  JournalSetVertex(model, vertex, vertex->position, vertex->normal, u, v);
}

bool IsPin(const Vertex* v) { return v->u != 0.0f || v->v != 0.0f; }

struct Pin {
  ViewPoint at;
  float u = 0.0f;
  float v = 0.0f;
};

// The three pins nearest to a point, carried from one point to the next: a slot that no pin
// fills for a point keeps the pin it held for the point before.
class NearestPins {
 public:
  explicit NearestPins(const Pin* first) : a_(first), b_(first), d_(first) {}

  // Pins farther than 10000 are never taken; ties keep the earlier pin. A pin takes the second
  // (third) place only while the nearest (second) one does not sit exactly on the point.
  void Find(const std::vector<Pin>& pins, ViewPoint p) {
    float d1 = 10000.0f;
    float d2 = 10000.0f;
    float d3 = 10000.0f;
    for (const Pin& q : pins) {
      const float d = std::hypot(p.x - q.at.x, p.y - q.at.y);
      if (d < d1) {
        d_ = b_;
        d3 = d2;
        b_ = a_;
        d2 = d1;
        a_ = &q;
        d1 = d;
      } else if (d < d2 && !(a_->at == p)) {
        d_ = b_;
        d3 = d2;
        b_ = &q;
        d2 = d;
      } else if (d < d3 && !(b_->at == p)) {
        d_ = &q;
        d3 = d;
      }
    }
  }

  const Pin& a() const { return *a_; }
  const Pin& b() const { return *b_; }
  const Pin& d() const { return *d_; }

 private:
  const Pin* a_;
  const Pin* b_;
  const Pin* d_;
};

// The parameter along `from` -> `to` where the line through `through` and `p` meets it; when
// the two lines are parallel, 0 if `through` lies straight above or below `p`, else 1.
float Crossing(ViewPoint to, ViewPoint from, ViewPoint through, ViewPoint p) {
  const float k = (to.y - from.y) * (p.x - through.x) - (to.x - from.x) * (p.y - through.y);
  if (k == 0.0f) return through.x == p.x ? 0.0f : 1.0f;
  return ((from.x - through.x) * (p.y - through.y) - (from.y - through.y) * (p.x - through.x)) / k;
}

// The texture coordinates at view position p, from pins A, B and D: the line D -> p meets the
// edge B -> A at Q1 and the line B -> p meets the edge D -> A at Q2 (both carried into texture
// space along their edges), and p's coordinates lie where B -> Q2 crosses D -> Q1. For a proper
// triangle this is interpolation by p's barycentric coordinates; parallel lines fall back on the
// values above and, in texture space, the midpoint of B -> Q2.
void Interpolate(const Pin& a, const Pin& b, const Pin& d, ViewPoint p, float& u, float& v) {
  const float t1 = Crossing(a.at, b.at, d.at, p);
  const float t2 = Crossing(a.at, d.at, b.at, p);
  const float q1u = b.u + (a.u - b.u) * t1;
  const float q1v = b.v + (a.v - b.v) * t1;
  const float q2u = d.u + (a.u - d.u) * t2;
  const float q2v = d.v + (a.v - d.v) * t2;
  const float k3 = (q2u - b.u) * (q1v - d.v) - (q2v - b.v) * (q1u - d.u);
  const float s = k3 == 0.0f ? 0.5f : -((b.u - d.u) * (q1v - d.v) - (b.v - d.v) * (q1u - d.u)) / k3;
  u = b.u + (q2u - b.u) * s;
  v = b.v + (q2v - b.v) * s;
}

}  // namespace

void SetMaterialOnSelection(Model& model) {
  if (model.faces.selCount() == 0 || model.currentMaterial >= model.materialCount) return;
  JournalGroup group(model);
  for (Face* f : model.faces.Selected()) JournalSetFaceMaterial(model, f, model.currentMaterial);
}

void SetSelectionTexCoords(Model& model, float u, float v) {
  if (model.vertices.selCount() == 0) return;
  JournalGroup group(model);
  for (Vertex* vertex : model.vertices.Selected()) SetTexCoords(model, vertex, u, v);
}

void CoordsFromView(Model& model, const Matrix4& view, float halfExtent) {
  if (model.vertices.selCount() == 0) return;
  JournalGroup group(model);
  const float size = 2.0f * halfExtent;
  for (Vertex* vertex : model.vertices.Selected()) {
    const ViewPoint p = ViewPosition(view, vertex->position);
    SetTexCoords(model, vertex, Clamp01(p.x / size + 0.5f), Clamp01(0.5f - p.y / size));
  }
}

void CoordsFromPinned(Model& model, const Matrix4& view) {
  std::vector<Pin> pins;
  for (const Vertex* vertex : model.vertices.Selected()) {
    if (IsPin(vertex)) pins.push_back({ViewPosition(view, vertex->position), vertex->u, vertex->v});
  }
  if (pins.size() < 3) return;
  // Collected first: a vertex given coordinates here does not become a pin for the next one.
  std::vector<Vertex*> unpinned;
  for (Vertex* vertex : model.vertices.Selected()) {
    if (!IsPin(vertex)) unpinned.push_back(vertex);
  }
  JournalGroup group(model);
  NearestPins nearest(&pins.front());
  for (Vertex* vertex : unpinned) {
    const ViewPoint p = ViewPosition(view, vertex->position);
    nearest.Find(pins, p);
    float u = 0.0f;
    float v = 0.0f;
    Interpolate(nearest.a(), nearest.b(), nearest.d(), p, u, v);
    SetTexCoords(model, vertex, Clamp01(u), Clamp01(v));
  }
}

}  // namespace zmf::edit

// Splitting faces at their edge midpoints through the journal.
#include "edit/split_faces.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "edit/journal.h"
#include "model/flat_hash_map.h"
#include "model/progress.h"

namespace zmf::edit {
namespace {

// An edge by its two ends, the lower address first, so that (p, q) and (q, p) are one key.
struct EdgeKey {
  const Vertex* lo;
  const Vertex* hi;

  EdgeKey(const Vertex* p, const Vertex* q) : lo(p), hi(q) {
    if (std::less<const Vertex*>()(q, p)) std::swap(lo, hi);
  }
  bool operator==(const EdgeKey&) const = default;
};

// An edge never has a null end.
struct EdgeHasher {
  static std::uint64_t Hash(const EdgeKey& k) {
    return HashWords(reinterpret_cast<std::uintptr_t>(k.lo),
                     reinterpret_cast<std::uintptr_t>(k.hi));
  }
  static EdgeKey Empty() { return {nullptr, nullptr}; }
  static bool IsEmpty(const EdgeKey& k) { return k.lo == nullptr; }
};

// The midpoint vertex made for each cut edge. A split of a million faces looks up three million
// edges, which a node-based map would spend most of its time allocating. A null midpoint is
// one that could not be made.
using EdgeMidpoints = FlatHashMap<EdgeKey, Vertex*, EdgeHasher>;

// Adds the midpoint of the edge (p, q) through the journal.
Vertex* AddMidpoint(Model& model, const Vertex* p, const Vertex* q, bool deform) {
  Vector3 m = (p->position + q->position) * 0.5f;
  const Vector3 n = (p->normal + q->normal) * 0.5f;
  if (deform) {
    Vector3 d = q->position - p->position;
    const float length = Length(d);
    if (length != 0.0f) d /= length;
    const float t = Dot(q->normal, d) - Dot(p->normal, d);
    const float push = 0.25f * t * length;
    m += push * n;
  }
  return JournalAddVertex(model, m, n, (p->u + q->u) * 0.5f, (p->v + q->v) * 0.5f);
}

// For j = 0, 1, 2, reading the face's corners as they stand: when the edge (g[j], g[j+1]) was
// cut, the face becomes (g[j], m, g[j+2]) and the half (m, g[j+1], g[j+2]) is added and
// appended to `halves`.
void CutAlongCutEdges(Model& model, const EdgeMidpoints& midpoints, Face* g,
                      std::vector<Face*>& halves) {
  for (int j = 0; j < 3; ++j) {
    if (!g->HasAllCorners()) return;
    const std::array<Vertex*, 3> corners = {g->a, g->b, g->c};
    Vertex* p = corners[j];
    Vertex* q = corners[(j + 1) % 3];
    Vertex* r = corners[(j + 2) % 3];
    Vertex* const* m = midpoints.Find({p, q});
    if (m == nullptr || *m == nullptr) continue;
    JournalSetFaceVertices(model, g, p, *m, r);
    if (Face* half = JournalAddFace(model, *m, q, r)) halves.push_back(half);
  }
}

}  // namespace

void SplitSelectedFaces(Model& model, bool deform) {
  if (model.faces.selCount() == 0) return;
  JournalGroup group(model);
  // The work: each selected face cut, then each face of the list as it was looked over.
  ProgressMeter progress(model.host(), "Splitting faces...",
                         std::uint64_t{model.faces.selCount()} + model.faces.count());

  // Most edges of a connected selection are shared by two faces.
  EdgeMidpoints midpoints(std::size_t{model.faces.selCount()} * 3 / 2);
  auto midpointOf = [&](Vertex* p, Vertex* q) {
    Vertex*& m = *midpoints.Insert({p, q}, nullptr).first;
    if (m == nullptr) m = AddMidpoint(model, p, q, deform);  // stays null when memory ran out
    return m;
  };

  // The table is far bigger than the caches on big models, so each face's slots are requested a
  // few faces ahead of their use.
  constexpr int kAhead = 8;
  Face* ahead = model.faces.selTail();
  for (int i = 0; i < kAhead && ahead != nullptr; ++i) ahead = ahead->selPrev;

  // From the tail: the faces added here join the selection behind the walk.
  Face* const lastBefore = model.faces.tail();
  for (Face* f = model.faces.selTail(); f != nullptr; f = f->selPrev) {
    progress.Advance();
    if (ahead != nullptr) {
      if (ahead->HasAllCorners()) {
        midpoints.Prefetch({ahead->a, ahead->b});
        midpoints.Prefetch({ahead->b, ahead->c});
        midpoints.Prefetch({ahead->c, ahead->a});
      }
      ahead = ahead->selPrev;
    }
    if (!f->HasAllCorners()) continue;
    Vertex* a = f->a;
    Vertex* b = f->b;
    Vertex* c = f->c;
    Vertex* ab = midpointOf(a, b);
    Vertex* bc = midpointOf(b, c);
    Vertex* ca = midpointOf(c, a);
    JournalSetFaceVertices(model, f, a, ab, ca);
    JournalAddFace(model, ab, bc, ca);
    JournalAddFace(model, ab, b, bc);
    JournalAddFace(model, bc, c, ca);
  }

  // Close the cracks: a face that still runs along a cut edge is cut in two at its midpoint,
  // from the tail of the list. The table's edges join corners of the split faces as they were,
  // never a midpoint, and every edge of a split face and of the faces added above touches a
  // midpoint: of the faces up to the old tail only the unselected ones can match, and the faces
  // after it none.
  std::vector<Face*> halves;  // the faces cut off the one being closed, still to be examined
  for (Face* g = lastBefore; g != nullptr; g = g->prev) {
    progress.Advance();
    if (g->selected) continue;
    halves.clear();
    CutAlongCutEdges(model, midpoints, g, halves);
    // A face with two cut edges hands the second one to the half it cuts off; that half is
    // examined too, or its edge would stay open beside the neighbour's midpoint.
    for (std::size_t i = 0; i < halves.size(); ++i) {
      CutAlongCutEdges(model, midpoints, halves[i], halves);
    }
  }
}

}  // namespace zmf::edit

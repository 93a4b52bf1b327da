// Splitting faces at their edge midpoints through the journal.
#include "edit/split_faces.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "edit/journal.h"

namespace zmf {
namespace {

// The midpoint vertex made for each cut edge, found by the edge's two ends in either order.
// Open addressing on the ends' addresses: a split of a million faces looks up three million
// edges, which a node-based map would spend most of its time allocating.
class EdgeMidpoints {
 public:
  explicit EdgeMidpoints(std::size_t expectedEdges) { Resize(SizeFor(expectedEdges)); }

  // The midpoint of the edge (p, q) or (q, p), or null.
  Vertex* Find(const Vertex* p, const Vertex* q) const {
    const Key key = MakeKey(p, q);
    for (std::size_t i = Hash(key) & mask_;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.lo == nullptr) return nullptr;
      if (s.lo == key.lo && s.hi == key.hi) return s.mid;
    }
  }

  // Starts loading the slot where a lookup of the edge begins.
  void Prefetch(const Vertex* p, const Vertex* q) const {
    __builtin_prefetch(&slots_[Hash(MakeKey(p, q)) & mask_]);
  }

  // Records the midpoint of an edge that Find did not know.
  void Insert(const Vertex* p, const Vertex* q, Vertex* mid) {
    if ((count_ + 1) * 10 > slots_.size() * 7) Grow();
    Place(MakeKey(p, q), mid);
    ++count_;
  }

 private:
  struct Key {
    const Vertex* lo;
    const Vertex* hi;
  };
  struct Slot {
    const Vertex* lo = nullptr;  // null marks an empty slot; an edge never has a null end
    const Vertex* hi = nullptr;
    Vertex* mid = nullptr;
  };

  static Key MakeKey(const Vertex* p, const Vertex* q) {
    return std::less<const Vertex*>()(p, q) ? Key{p, q} : Key{q, p};
  }

  static std::size_t Hash(const Key& k) {
    std::uint64_t h = reinterpret_cast<std::uintptr_t>(k.lo) * 0x9E3779B97F4A7C15ull;
    h ^= (h >> 29) + reinterpret_cast<std::uintptr_t>(k.hi) * 0xC2B2AE3D27D4EB4Full;
    return static_cast<std::size_t>(h ^ (h >> 32));
  }

  // Room for the expected edges at a load of at most one half, where probes stay short.
  static std::size_t SizeFor(std::size_t edges) {
    std::size_t size = 16;
    while (size < edges * 2) size *= 2;
    return size;
  }

  void Resize(std::size_t size) {
    slots_.assign(size, Slot{});
    mask_ = size - 1;
  }

  void Place(const Key& key, Vertex* mid) {
    std::size_t i = Hash(key) & mask_;
    while (slots_[i].lo != nullptr) i = (i + 1) & mask_;
    slots_[i] = {key.lo, key.hi, mid};
  }

  void Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    Resize(old.size() * 2);
    for (const Slot& s : old) {
      if (s.lo != nullptr) Place({s.lo, s.hi}, s.mid);
    }
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

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
    Vertex* m = midpoints.Find(p, q);
    if (m == nullptr) continue;
    JournalSetFaceVertices(model, g, p, m, r);
    if (Face* half = JournalAddFace(model, m, q, r)) halves.push_back(half);
  }
}

}  // namespace

void SplitSelectedFaces(Model& model, bool deform) {
  if (model.faces.selCount() == 0) return;
  JournalGroup group(model);

  // Most edges of a connected selection are shared by two faces.
  EdgeMidpoints midpoints(std::size_t{model.faces.selCount()} * 3 / 2);
  auto midpointOf = [&](Vertex* p, Vertex* q) {
    if (Vertex* m = midpoints.Find(p, q)) return m;
    Vertex* m = AddMidpoint(model, p, q, deform);
    if (m != nullptr) midpoints.Insert(p, q, m);  // null only when memory ran out
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
    if (ahead != nullptr) {
      if (ahead->HasAllCorners()) {
        midpoints.Prefetch(ahead->a, ahead->b);
        midpoints.Prefetch(ahead->b, ahead->c);
        midpoints.Prefetch(ahead->c, ahead->a);
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

}  // namespace zmf

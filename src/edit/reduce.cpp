// Reducing the vertex selection by cheapest-edge collapse.
//
// Every collapse takes the cheapest candidate edge of the whole selection, but only the vertices
// around the collapsed edge can see their candidates change. So each selected vertex keeps its
// own cheapest edge in a binary heap, and a collapse re-evaluates just its neighbourhood: N
// collapses cost N x (local work), not N x (selection). No step allocates per vertex: a table by
// id tells each vertex's rank (or that it is a seam), and the heap is an array of costs and ranks.
#include "edit/reduce.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "edit/journal.h"
#include "edit/vertex_numbers.h"
#include "edit/weld.h"
#include "model/progress.h"

namespace zmf::edit {
namespace {

// What a vertex is to the reduction: the rank of a selected vertex, one of these, or
// VertexNumbers::kNone for any other vertex.
constexpr std::uint32_t kSeam = UINT32_MAX - 1;       // a vertex of a duplicate pair
constexpr std::uint32_t kCollapsed = UINT32_MAX - 2;  // a selected vertex collapsed away

// The distinct faces in `faces`, each where it first stands. Only a face that repeats a corner
// can be listed twice, so a list without such a face is left as it is.
void KeepFirstOfEachFace(std::vector<Face*>& faces,
                         std::vector<std::pair<Face*, std::uint32_t>>& scratch) {
  scratch.clear();
  for (std::uint32_t i = 0; i < faces.size(); ++i) scratch.emplace_back(faces[i], i);
  std::sort(scratch.begin(), scratch.end());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < scratch.size(); ++i) {
    if (i > 0 && scratch[i].first == scratch[i - 1].first) faces[scratch[i].second] = nullptr;
  }
  for (Face* f : faces) {
    if (f != nullptr) faces[kept++] = f;
  }
  faces.resize(kept);
}

// The selected vertices that have a qualifying edge, by rank, cheapest edge on top: the edge the
// whole selection scan would pick, the earlier-selected vertex winning on equal costs. A binary
// heap that keeps each entry's cost beside its rank, so that sifting reads one array, and knows
// where each rank stands, so that a rank's cost can change in place. Costs are never NaN.
class EdgeHeap {
 public:
  explicit EdgeHeap(std::size_t ranks) : slotOf_(ranks, kAbsent) { entries_.reserve(ranks); }

  bool empty() const { return entries_.empty(); }
  std::uint32_t Top() const { return entries_.front().rank; }

  // Adds ranks without ordering them; Arrange then makes the heap.
  void Add(std::uint32_t rank, float cost) {
    slotOf_[rank] = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back({cost, rank});
  }
  void Arrange() {
    for (std::size_t i = entries_.size() / 2; i-- > 0;) SiftDown(static_cast<std::uint32_t>(i));
  }

  // Puts the rank in with this cost, or moves it there.
  void Set(std::uint32_t rank, float cost) {
    std::uint32_t slot = slotOf_[rank];
    if (slot == kAbsent) {
      slot = static_cast<std::uint32_t>(entries_.size());
      entries_.push_back({cost, rank});
    } else {
      entries_[slot].cost = cost;
    }
    SiftUp(slot);
    SiftDown(slotOf_[rank]);
  }

  void Remove(std::uint32_t rank) {
    const std::uint32_t slot = slotOf_[rank];
    if (slot == kAbsent) return;
    slotOf_[rank] = kAbsent;
    const Entry last = entries_.back();
    entries_.pop_back();
    if (last.rank == rank) return;
    Place(slot, last);
    SiftUp(slot);
    SiftDown(slotOf_[last.rank]);
  }

 private:
  struct Entry {
    float cost;
    std::uint32_t rank;
  };
  static constexpr std::uint32_t kAbsent = UINT32_MAX;

  static bool Before(const Entry& x, const Entry& y) {
    return x.cost < y.cost || (!(y.cost < x.cost) && x.rank < y.rank);
  }

  void Place(std::uint32_t slot, const Entry& entry) {
    entries_[slot] = entry;
    slotOf_[entry.rank] = slot;
  }

  void SiftUp(std::uint32_t slot) {
    const Entry entry = entries_[slot];
    while (slot > 0) {
      const std::uint32_t parent = (slot - 1) / 2;
      if (!Before(entry, entries_[parent])) break;
      Place(slot, entries_[parent]);
      slot = parent;
    }
    Place(slot, entry);
  }

  void SiftDown(std::uint32_t slot) {
    const Entry entry = entries_[slot];
    const auto size = static_cast<std::uint32_t>(entries_.size());
    for (;;) {
      std::uint32_t child = 2 * slot + 1;
      if (child >= size) break;
      if (child + 1 < size && Before(entries_[child + 1], entries_[child])) ++child;
      if (!Before(entries_[child], entry)) break;
      Place(slot, entries_[child]);
      slot = child;
    }
    Place(slot, entry);
  }

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slotOf_;  // each rank's place in entries_, or kAbsent
};

class Reducer {
 public:
  // `roles` holds the seams; each selected vertex joins it with its rank. Counts each selected
  // vertex's first candidate on `progress`.
  Reducer(Model& model, VertexNumbers& roles, bool hasSeams, float radiusSquared,
          ProgressMeter& progress)
      : model_(model),
        roles_(roles),
        hasSeams_(hasSeams),
        radiusSquared_(radiusSquared),
        limit_(100.0f * radiusSquared),
        heap_(model.vertices.selCount()) {
    const std::uint32_t selected = model_.vertices.selCount();
    byRank_.reserve(selected);
    otherOf_.reserve(selected);
    for (Vertex* v : model_.vertices.Selected()) {
      progress.Advance();
      const auto rank = static_cast<std::uint32_t>(byRank_.size());
      roles_.Set(v, rank);
      byRank_.push_back(v);
      const Candidate best = Cheapest(v);
      otherOf_.push_back(best.other);
      if (best.other != nullptr) heap_.Add(rank, best.cost);
    }
    heap_.Arrange();
  }

  // Collapses the cheapest edge; false when no edge qualifies.
  bool CollapseCheapest() {
    if (heap_.empty()) return false;
    const std::uint32_t rank = heap_.Top();
    Vertex* const v = byRank_[rank];
    Vertex* const w = otherOf_[rank];

    neighbours_.clear();
    AddNeighbours(v);
    const Vector3 position = (v->position + w->position) * 0.5f;
    const Vector3 normal = (v->normal + w->normal) * 0.5f;
    const float u = (v->u + w->u) * 0.5f;
    const float tv = (v->v + w->v) * 0.5f;

    // A face that uses v at two corners has two references but is visited once.
    faces_.clear();
    bool repeats = false;
    for (Face* used : v->Faces()) {
      faces_.push_back(used);
      repeats = repeats || (used->a == v) + (used->b == v) + (used->c == v) > 1;
    }
    if (repeats) KeepFirstOfEachFace(faces_, firstOf_);
    for (Face* f : faces_) {
      if (!f->HasAllCorners()) continue;  // goes with v below
      const Vertex* const corners[3] = {f->a, f->b, f->c};
      int merged = 0;
      int at = 0;
      for (int c = 2; c >= 0; --c) {
        if (corners[c] == v || corners[c] == w) ++merged;
        if (corners[c] == v) at = c;
      }
      if (merged > 1) {
        JournalDeleteFace(model_, f);
      } else {
        RewireFaceCorner(model_, f, at, w);
      }
    }

    heap_.Remove(rank);
    byRank_[rank] = nullptr;
    roles_.Set(v, kCollapsed);
    JournalDeleteVertex(model_, v);
    JournalSetVertex(model_, w, position, normal, u, tv);

    neighbours_.push_back(w);
    AddNeighbours(w);
    std::sort(neighbours_.begin(), neighbours_.end());
    neighbours_.erase(std::unique(neighbours_.begin(), neighbours_.end()), neighbours_.end());
    for (Vertex* n : neighbours_) {
      if (n == v) continue;
      const std::uint32_t role = roles_.Find(n);
      if (role < kCollapsed) Requeue(role);
    }
    return true;
  }

 private:
  struct Candidate {
    float cost = 0.0f;
    Vertex* other = nullptr;  // null: no edge from this vertex qualifies
  };

  float Cost(const Vertex& v, const Vertex& o) const {
    const Vector3 d = v.position - o.position;
    const Vector3 n = v.normal - o.normal;
    const float du = v.u - o.u;
    const float dv = v.v - o.v;
    return 50.0f * Dot(d, d) / radiusSquared_ + Dot(n, n) + du * du + dv * dv;
  }

  bool IsSeam(const Vertex* v) const { return hasSeams_ && roles_.Find(v) == kSeam; }

  // The first edge of v with the lowest cost below the limit, over v's faces in reference
  // order and, within a face, the two other corners in winding order. An edge to a seam
  // vertex does not qualify, nor does a face's repeated corner (v to itself is no edge).
  Candidate Cheapest(Vertex* v) const {
    Candidate best{limit_, nullptr};
    for (const Face* f : v->Faces()) {
      if (!f->HasAllCorners()) continue;
      Vertex* o1 = f->a;
      Vertex* o2 = f->b;
      if (f->a == v) {
        o1 = f->b;
        o2 = f->c;
      } else if (f->b == v) {
        o2 = f->c;
      }
      for (Vertex* o : {o1, o2}) {
        if (o == v) continue;
        const float cost = Cost(*v, *o);
        if (cost < best.cost && !IsSeam(o)) best = {cost, o};
      }
    }
    return best;
  }

  void AddNeighbours(const Vertex* v) {
    for (const Face* f : v->Faces()) {
      for (Vertex* c : {f->a, f->b, f->c}) {
        if (c != nullptr && c != v) neighbours_.push_back(c);
      }
    }
  }

  // Finds the vertex's cheapest edge anew and moves it in the heap.
  void Requeue(std::uint32_t rank) {
    const Candidate best = Cheapest(byRank_[rank]);
    otherOf_[rank] = best.other;
    if (best.other != nullptr) {
      heap_.Set(rank, best.cost);
    } else {
      heap_.Remove(rank);
    }
  }

  Model& model_;
  VertexNumbers& roles_;  // each vertex's rank, kSeam or kCollapsed
  const bool hasSeams_;
  const float radiusSquared_;
  const float limit_;  // an edge must cost less than this to qualify

  std::vector<Vertex*> byRank_;   // selected vertices in selection order; null once collapsed
  std::vector<Vertex*> otherOf_;  // the other end of each rank's cheapest edge, if it has one
  EdgeHeap heap_;

  std::vector<Vertex*> neighbours_;  // scratch: vertices whose candidates a collapse changes
  std::vector<Face*> faces_;         // scratch: the collapsed vertex's faces
  std::vector<std::pair<Face*, std::uint32_t>> firstOf_;  // scratch of KeepFirstOfEachFace
};

}  // namespace

void ReduceSelectedVertices(Model& model, double percent) {
  if (model.vertices.selCount() == 0) return;
  model.ComputeBounds();
  const float radiusSquared = model.radiusSquared;
  JournalGroup group(model);

  model.RebuildDuplicates();
  // The seams stand for the duplicate list as rebuilt here: deleting vertices below empties the
  // list, and it is not rebuilt between collapses. They and the selected vertices are all that
  // ever has a role.
  std::uint32_t low = UINT32_MAX;
  std::uint32_t high = 0;
  auto spanIds = [&](const Vertex* v) {
    low = std::min(low, v->id);
    high = std::max(high, v->id);
  };
  for (const Vertex* v : model.vertices.Selected()) spanIds(v);
  bool hasSeams = false;
  for (const Duplicate* d : model.duplicates) {
    for (const Vertex* s : {d->vertex, d->twin}) {
      if (s == nullptr) continue;
      spanIds(s);
      hasSeams = true;
    }
  }
  VertexNumbers roles(low, high,
                      std::size_t{model.vertices.selCount()} + 2 * model.duplicates.count());
  for (const Duplicate* d : model.duplicates) {
    for (Vertex* s : {d->vertex, d->twin}) {
      if (s == nullptr) continue;
      roles.Set(s, kSeam);
      model.vertices.Unselect(s);
    }
  }

  // Each collapse deletes one selected vertex, so there can be no more collapses than that;
  // the cap also keeps a huge or infinite percentage from overflowing the count.
  const std::uint32_t selected = model.vertices.selCount();
  const double wanted = static_cast<double>(selected) * (percent / 100.0);
  if (!(wanted >= 1.0)) return;
  const std::uint32_t collapses =
      wanted >= static_cast<double>(selected) ? selected : static_cast<std::uint32_t>(wanted);

  // The work: a first candidate for every selected vertex, then the collapses, each of which
  // takes about as long as twenty first candidates; each stage gets its share of the bar.
  const double firstShare = selected / (selected + 20.0 * collapses);
  ProgressMeter progress(model.host(), "Reducing vertices...", selected,
                         static_cast<float>(firstShare));
  Reducer reducer(model, roles, hasSeams, radiusSquared, progress);
  progress.NextStage(collapses);
  for (std::uint32_t i = 0; i < collapses; ++i) {
    progress.Advance();
    if (!reducer.CollapseCheapest()) break;
  }
}

}  // namespace zmf::edit

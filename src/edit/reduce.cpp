// Reducing the vertex selection by cheapest-edge collapse.
//
// Every collapse takes the cheapest candidate edge of the whole selection, but only the vertices
// around the collapsed edge can see their candidates change. So each selected vertex keeps its
// own cheapest edge in an ordered queue, and a collapse re-evaluates just its neighbourhood:
// N collapses cost N x (local work), not N x (selection).
#include "edit/reduce.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "edit/journal.h"
#include "edit/weld.h"
#include "model/progress.h"

namespace zmf::edit {
namespace {

class Reducer {
 public:
  // Counts each selected vertex's first candidate on `progress`.
  Reducer(Model& model, const std::unordered_set<const Vertex*>& seams, float radiusSquared,
          ProgressMeter& progress)
      : model_(model),
        seams_(seams),
        radiusSquared_(radiusSquared),
        limit_(100.0f * radiusSquared) {
    for (Vertex* v : model_.vertices.Selected()) {
      progress.Advance();
      const auto rank = static_cast<std::uint32_t>(byRank_.size());
      rankOf_.emplace(v, rank);
      byRank_.push_back(v);
      best_.push_back({});
      Requeue(v);
    }
  }

  // Collapses the cheapest edge; false when no edge qualifies.
  bool CollapseCheapest() {
    if (queue_.empty()) return false;
    const std::uint32_t rank = queue_.begin()->second;
    Vertex* const v = byRank_[rank];
    Vertex* const w = best_[rank].other;

    neighbours_.clear();
    AddNeighbours(v);
    const Vector3 position = (v->position + w->position) * 0.5f;
    const Vector3 normal = (v->normal + w->normal) * 0.5f;
    const float u = (v->u + w->u) * 0.5f;
    const float tv = (v->v + w->v) * 0.5f;

    // A face that uses v at two corners has two references but is visited once.
    faces_.clear();
    seenFaces_.clear();
    for (Face* used : v->Faces()) {
      if (seenFaces_.insert(used).second) faces_.push_back(used);
    }
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

    Forget(v);
    JournalDeleteVertex(model_, v);
    JournalSetVertex(model_, w, position, normal, u, tv);

    neighbours_.push_back(w);
    AddNeighbours(w);
    std::sort(neighbours_.begin(), neighbours_.end());
    neighbours_.erase(std::unique(neighbours_.begin(), neighbours_.end()), neighbours_.end());
    for (Vertex* n : neighbours_) {
      if (n != v && rankOf_.count(n) != 0) Requeue(n);
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
        if (cost < best.cost && seams_.count(o) == 0) best = {cost, o};
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

  void Dequeue(std::uint32_t rank) {
    if (best_[rank].other != nullptr) queue_.erase({best_[rank].cost, rank});
    best_[rank] = {};
  }

  void Requeue(Vertex* v) {
    const std::uint32_t rank = rankOf_.at(v);
    Dequeue(rank);
    best_[rank] = Cheapest(v);
    if (best_[rank].other != nullptr) queue_.emplace(best_[rank].cost, rank);
  }

  void Forget(Vertex* v) {
    const auto it = rankOf_.find(v);
    if (it == rankOf_.end()) return;
    Dequeue(it->second);
    byRank_[it->second] = nullptr;
    rankOf_.erase(it);
  }

  Model& model_;
  const std::unordered_set<const Vertex*>& seams_;
  const float radiusSquared_;
  const float limit_;  // an edge must cost less than this to qualify

  std::unordered_map<const Vertex*, std::uint32_t> rankOf_;  // selected vertex -> its rank
  std::vector<Vertex*> byRank_;  // selected vertices in selection order; null once collapsed
  std::vector<Candidate> best_;  // each rank's cheapest edge
  // (cost, rank) of every vertex that has a qualifying edge: the first is the edge the whole
  // selection scan would pick, the earlier-selected vertex winning on equal costs.
  std::set<std::pair<float, std::uint32_t>> queue_;

  std::vector<Vertex*> neighbours_;  // scratch: vertices whose candidates a collapse changes
  std::vector<Face*> faces_;         // scratch: the collapsed vertex's faces
  std::unordered_set<const Face*> seenFaces_;
};

}  // namespace

void ReduceSelectedVertices(Model& model, double percent) {
  if (model.vertices.selCount() == 0) return;
  model.ComputeBounds();
  const float radiusSquared = model.radiusSquared;
  JournalGroup group(model);

  model.RebuildDuplicates();
  // The seam set stands for the duplicate list as rebuilt here: deleting vertices below empties
  // the list, and it is not rebuilt between collapses.
  std::unordered_set<const Vertex*> seams;
  for (const Duplicate* d : model.duplicates) {
    for (Vertex* s : {d->vertex, d->twin}) {
      if (s == nullptr) continue;
      seams.insert(s);
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

  // The work: a first candidate for every selected vertex, then the collapses.
  ProgressMeter progress(model.host(), "Reducing vertices...", std::uint64_t{selected} + collapses);
  Reducer reducer(model, seams, radiusSquared, progress);
  for (std::uint32_t i = 0; i < collapses; ++i) {
    progress.Advance();
    if (!reducer.CollapseCheapest()) break;
  }
}

}  // namespace zmf::edit

// Lookups in a bone's weights list.
#include "model/tables.h"

namespace zmf {

VertexWeight* Bone::FindWeight(const Vertex* vertex) const {
  if (vertex == nullptr) return nullptr;
  if (weightIndexVersion_ != weights.version()) {
    weightIndex_.clear();
    weightIndex_.reserve(weights.count());
    weightIndexHasRepeats_ = false;
    // The first entry in list order wins, as a walk of the list would find it.
    for (VertexWeight* w : weights) {
      if (!weightIndex_.emplace(w->vertex, w).second) weightIndexHasRepeats_ = true;
    }
    weightIndexVersion_ = weights.version();
  }
  auto it = weightIndex_.find(vertex);
  return it == weightIndex_.end() ? nullptr : it->second;
}

VertexWeight* Bone::AddWeight(Vertex* vertex, float weight) {
  const bool current = weightIndexVersion_ == weights.version();
  VertexWeight* entry = weights.Allocate();
  if (entry == nullptr) return nullptr;
  entry->vertex = vertex;
  entry->weight = weight;
  weights.Append(entry);
  if (current) {
    if (!weightIndex_.emplace(vertex, entry).second) weightIndexHasRepeats_ = true;
    weightIndexVersion_ = weights.version();
  }
  return entry;
}

void Bone::RemoveWeight(VertexWeight* entry) {
  if (entry == nullptr) return;
  // A list holding a vertex twice (only a malformed one does) is indexed afresh next time.
  const bool current = weightIndexVersion_ == weights.version() && !weightIndexHasRepeats_;
  const Vertex* vertex = entry->vertex;
  weights.RemoveAndFree(entry);
  if (!current) return;
  weightIndex_.erase(vertex);
  weightIndexVersion_ = weights.version();
}

}  // namespace zmf

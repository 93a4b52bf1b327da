// Lookups in a bone's weights list.
#include "model/tables.h"

#include <utility>

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

void Bone::Swap(Bone& other) noexcept {
  std::swap(index, other.index);
  std::swap(name, other.name);
  std::swap(parentName, other.parentName);
  std::swap(parent, other.parent);
  std::swap(firstChild, other.firstChild);
  std::swap(nextSibling, other.nextSibling);
  std::swap(localMatrix, other.localMatrix);
  std::swap(poseMatrix, other.poseMatrix);
  std::swap(frameMatrix, other.frameMatrix);
  std::swap(bindMatrix, other.bindMatrix);
  weights.Swap(other.weights);
  std::swap(grams, other.grams);
  weightIndex_.swap(other.weightIndex_);
  std::swap(weightIndexVersion_, other.weightIndexVersion_);
  std::swap(weightIndexHasRepeats_, other.weightIndexHasRepeats_);
}

}  // namespace zmf

// The per-material chains of the face list.
#include "model/mesh.h"

namespace zmf {

void FaceList::LinkToChain(Face* face) {
  if (face == nullptr || face->material >= kMaxMaterials) return;
  ++shapeVersion_;
  const std::uint32_t m = face->material;
  face->matPrev = chainTails_[m];
  face->matNext = nullptr;
  if (chainTails_[m] != nullptr) {
    chainTails_[m]->matNext = face;
  } else {
    chainHeads_[m] = face;
  }
  chainTails_[m] = face;
  ++chainCounts_[m];
}

void FaceList::UnlinkFromChain(Face* face) {
  if (face == nullptr || face->material >= kMaxMaterials) return;
  ++shapeVersion_;
  const std::uint32_t m = face->material;
  if (face->matPrev != nullptr) {
    face->matPrev->matNext = face->matNext;
  } else if (chainHeads_[m] == face) {
    chainHeads_[m] = face->matNext;
  } else {
    return;  // not in this chain
  }
  if (face->matNext != nullptr) {
    face->matNext->matPrev = face->matPrev;
  } else {
    chainTails_[m] = face->matPrev;
  }
  face->matPrev = face->matNext = nullptr;
  --chainCounts_[m];
}

void FaceList::MoveChain(std::uint32_t to, std::uint32_t from) {
  if (to >= kMaxMaterials || from >= kMaxMaterials || to == from) return;
  ++shapeVersion_;
  Face* first = chainHeads_[from];
  if (first == nullptr) return;
  for (Face* f = first; f != nullptr; f = f->matNext) f->material = static_cast<std::uint8_t>(to);
  // Chain `to` is normally empty here (its material was just emptied and deleted); should it
  // still hold faces they stay in front instead of being dropped from every chain.
  first->matPrev = chainTails_[to];
  if (chainTails_[to] != nullptr) {
    chainTails_[to]->matNext = first;
  } else {
    chainHeads_[to] = first;
  }
  chainTails_[to] = chainTails_[from];
  chainCounts_[to] += chainCounts_[from];
  // Leaving `from` empty keeps a later material in that slot from inheriting stale links.
  chainHeads_[from] = chainTails_[from] = nullptr;
  chainCounts_[from] = 0;
}

}  // namespace zmf

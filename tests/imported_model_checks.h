// What every import must leave behind, however broken its file was (the fuzz targets check it
// after every input too).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "model/model.h"

namespace zmf::testing {

// The first promise the model breaks, or "" when it keeps them all: every face on three live
// vertices with a material of the table and in that material's chain; bone links and the root
// naming bones of the table, every bone reached once from the root; weights only on bones of the
// table, naming live vertices.
inline std::string BrokenInvariant(const Model& model) {
  std::unordered_set<const Vertex*> live;
  for (const Vertex* v : model.vertices) live.insert(v);
  if (live.size() != model.vertices.count()) return "vertex count";
  if (model.materialCount < 1 || model.materialCount > kMaxMaterials) return "material count";
  std::uint32_t faces = 0;
  for (const Face* f : model.faces) {
    ++faces;
    if (!live.contains(f->a) || !live.contains(f->b) || !live.contains(f->c)) {
      return "corner of face " + std::to_string(f->id);
    }
    if (f->material >= model.materialCount) return "material of face " + std::to_string(f->id);
  }
  if (faces != model.faces.count()) return "face count";
  std::uint32_t chained = 0;
  for (std::uint32_t m = 0; m < kMaxMaterials; ++m) chained += model.faces.chainCount(m);
  if (chained != faces) return "material chains";

  const std::uint32_t bones = model.boneCount;
  if (bones > kMaxBones) return "bone count";
  if (bones > 0) {
    std::unordered_set<std::int32_t> reached;
    std::vector<std::int32_t> pending{model.rootBone};
    while (!pending.empty()) {
      const std::int32_t b = pending.back();
      pending.pop_back();
      if (b == kNoBone) continue;
      if (b < 0 || static_cast<std::uint32_t>(b) >= bones)
        return "link to bone " + std::to_string(b);
      if (!reached.insert(b).second) return "bone reached twice: " + std::to_string(b);
      pending.push_back(model.bones[b].firstChild);
      pending.push_back(model.bones[b].nextSibling);
    }
    if (reached.size() != bones) return "bones outside the tree";
  }
  for (std::uint32_t b = 0; b < kMaxBones; ++b) {
    for (const VertexWeight* w : model.bones[b].weights) {
      if (b >= bones) return "weights of unused bone " + std::to_string(b);
      if (!live.contains(w->vertex)) return "weight of bone " + std::to_string(b);
    }
  }
  return "";
}

}  // namespace zmf::testing

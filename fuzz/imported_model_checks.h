// What every importer must leave behind, checked after each fuzzed import: a trap when broken.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "model/model.h"

namespace zmf::fuzzing {

// Every face on three live vertices with a material of the table, the material chains holding
// every face, the bones one tree under the root, weights only on bones of the table and naming
// live vertices.
inline void CheckImportedModel(const Model& model) {
  std::unordered_set<const Vertex*> live;
  for (const Vertex* v : model.vertices) live.insert(v);
  if (live.size() != model.vertices.count()) __builtin_trap();
  if (model.materialCount < 1 || model.materialCount > kMaxMaterials) __builtin_trap();
  std::uint32_t faces = 0;
  for (const Face* f : model.faces) {
    ++faces;
    if (!live.contains(f->a) || !live.contains(f->b) || !live.contains(f->c)) __builtin_trap();
    if (f->material >= model.materialCount) __builtin_trap();
  }
  std::uint32_t chained = 0;
  for (std::uint32_t m = 0; m < kMaxMaterials; ++m) chained += model.faces.chainCount(m);
  if (faces != model.faces.count() || chained != faces) __builtin_trap();

  if (model.boneCount > kMaxBones) __builtin_trap();
  std::array<bool, kMaxBones> reached{};
  std::uint32_t count = 0;
  std::vector<std::int32_t> pending{model.boneCount > 0 ? model.rootBone : kNoBone};
  while (!pending.empty()) {
    const std::int32_t b = pending.back();
    pending.pop_back();
    if (b == kNoBone) continue;
    if (b < 0 || static_cast<std::uint32_t>(b) >= model.boneCount || reached[b]) __builtin_trap();
    reached[b] = true;
    ++count;
    pending.push_back(model.bones[b].firstChild);
    pending.push_back(model.bones[b].nextSibling);
  }
  if (count != model.boneCount) __builtin_trap();
  for (std::uint32_t b = 0; b < kMaxBones; ++b) {
    for (const VertexWeight* w : model.bones[b].weights) {
      if (b >= model.boneCount || !live.contains(w->vertex)) __builtin_trap();
    }
  }
}

}  // namespace zmf::fuzzing

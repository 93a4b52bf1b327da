// The big textured model that the file benchmarks and the whole-process timing read and write.
#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "model/model.h"

namespace zmf {

// How the faces name their vertices: neighbours along a grid, as an optimised export writes
// them, or vertices in random order, as an unoptimised one does.
enum class FaceOrder { Grid, Random };

// n vertices with normals and texture coordinates in a rough grid, 2n faces over them, and one
// material with a texture (so that the file carries texture coordinates).
inline void FillBigModel(Model& model, std::int64_t n, FaceOrder order = FaceOrder::Grid) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> jitter(-0.5f, 0.5f);
  std::vector<Vertex*> all;
  all.reserve(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i) {
    Vertex* v = model.AppendVertex();
    const float x = static_cast<float>(i % 1000) + jitter(random);
    const float y = static_cast<float>(i / 1000) * 0.25f + jitter(random);
    model.SetVertex(v, {x, y, jitter(random) * 40.0f}, {jitter(random), jitter(random), 0.7f},
                    x / 1000.0f, y / 250.0f);
    all.push_back(v);
  }
  if (order == FaceOrder::Random) std::shuffle(all.begin(), all.end(), random);
  for (std::int64_t i = 0; i < 2 * n; ++i) {
    Face* f = model.faces.Allocate();
    f->a = all[static_cast<std::size_t>(i / 2)];
    f->b = all[static_cast<std::size_t>((i / 2 + 1) % n)];
    f->c = all[static_cast<std::size_t>((i / 2 + 1000) % n)];
    model.AddFace(f, 0);
  }
  model.materials[0].hasTexture = 1;
  model.materials[0].textureFile = "skin.jpg";  // missing, and a missing JPEG is not reported
}

}  // namespace zmf

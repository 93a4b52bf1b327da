// Speed of posing: one viewport frame of a playing animation on a big skinned mesh.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "bench_model.h"
#include "big_model.h"
#include "model/scripted_host.h"

namespace zmf {
namespace {

constexpr int kBones = 64;
constexpr int kWeightsPerVertex = 4;

// A turn of `angle` radians about z, then the move.
Matrix4 Turn(float angle, float x, float y, float z) {
  Matrix4 m = Matrix4::Identity();
  m[0] = m[5] = std::cos(angle);
  m[1] = std::sin(angle);
  m[4] = -m[1];
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

// 64 bones in a binary tree, each vertex of the big model on four neighbouring bones (so each
// bone moves a run of the vertex list, as an exporter writes a limb's vertices together), and
// an animation of four keys that turns every bone.
void FillSkinnedModel(Model& model, std::int64_t n) {
  FillBigModel(model, n);
  for (int b = 0; b < kBones; ++b) {
    const float angle = 0.01f * static_cast<float>(b);
    anim::AddBone(model, "bone" + std::to_string(b), b == 0 ? -1 : (b - 1) / 2,
                  Turn(angle, 1.0f, 2.0f, 0.5f), 1.0f);
  }
  std::int64_t i = 0;
  for (Vertex* v : model.vertices) {
    const std::int64_t first = i++ * (kBones - kWeightsPerVertex + 1) / n;
    for (int k = 0; k < kWeightsPerVertex; ++k) {
      model.bones[first + k].AddWeight(v, 1.0f / kWeightsPerVertex);  // as a file gives them
    }
  }
  model.currentBone = -1;
  anim::AddAnimation(model, "walk", 4, 2.0f);
  model.currentKey = 0;
  anim::AddKeyBonesForCommand(model);
  Animation& walk = model.animation(0);
  for (std::uint32_t k = 0; k < walk.keyCount; ++k) {
    for (std::uint32_t j = 0; j < walk.keys[k].keyBoneCount; ++j) {
      Matrix4& m = walk.keys[k].keyBones[j].matrix;
      m = anim::Compose(m, Turn(0.2f * static_cast<float>(k), 0, 0, 0));
    }
  }
}

void BM_PoseMesh(benchmark::State& state) {
  BenchModel b;
  FillSkinnedModel(b.model, state.range(0));
  ManualClock clock;
  anim::ToggleAnimationRunning(b.model, clock);
  for (auto _ : state) {
    clock.Advance(1.0f / 60.0f);
    anim::PoseMesh(b.model, clock);
    benchmark::DoNotOptimize(b.model.vertices.head()->savedPosition);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PoseMesh)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zmf

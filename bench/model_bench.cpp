// Speed of the model store: duplicate rebuild, lookup by id, building big meshes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "bench_model.h"
#include "model/model.h"

namespace zmf {
namespace {

using Bench = BenchModel;

// n vertices, half of them in coincident pairs, the partners scattered through the list.
void FillHalfCoincident(Model& model, std::int64_t n) {
  std::vector<std::int64_t> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), std::mt19937(1));
  for (std::int64_t i : order) {
    // Vertices 2k and 2k+1 of the first half share a position; the second half is unique.
    const std::int64_t key = i < n / 2 ? i / 2 : i;
    Vertex* v = model.AppendVertex();
    model.SetVertex(v, {float(key % 1000), float((key / 1000) % 1000), float(key / 1000000)},
                    {0, 0, 1}, 0, 0);
  }
}

void BM_RebuildDuplicates(benchmark::State& state) {
  Bench b;
  FillHalfCoincident(b.model, state.range(0));
  for (auto _ : state) {
    b.model.geometryChanged = true;
    b.model.RebuildDuplicates();
    benchmark::DoNotOptimize(b.model.duplicates.count());
  }
  state.counters["pairs"] = b.model.duplicates.count();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RebuildDuplicates)->Arg(1000000)->Arg(2000000)->Unit(benchmark::kMillisecond);

// One million lookups of random ids in a list of n vertices with gaps in its ids.
void BM_FindById(benchmark::State& state) {
  Bench b;
  const std::int64_t n = state.range(0);
  std::vector<Vertex*> all;
  for (std::int64_t i = 0; i < n; ++i) all.push_back(b.model.AppendVertex());
  for (std::int64_t i = 0; i < n; i += 10) b.model.vertices.RemoveAndFree(all[i]);
  std::mt19937 random(3);
  std::uniform_int_distribution<std::uint32_t> id(0, static_cast<std::uint32_t>(n - 1));
  std::vector<std::uint32_t> ids(1000000);
  for (auto& i : ids) i = id(random);
  for (auto _ : state) {
    std::size_t found = 0;
    for (std::uint32_t i : ids) found += b.model.vertices.FindById(i) != nullptr;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(ids.size()));
}
BENCHMARK(BM_FindById)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Appending n vertices and n faces, then Reset: what loading a big model costs the store.
void BM_BuildMesh(benchmark::State& state) {
  Bench b;
  const std::int64_t n = state.range(0);
  for (auto _ : state) {
    Vertex* prev2 = nullptr;
    Vertex* prev1 = nullptr;
    for (std::int64_t i = 0; i < n; ++i) {
      Vertex* v = b.model.AppendVertex();
      if (prev2 != nullptr) b.model.MakeFace(prev2, prev1, v);
      prev2 = prev1;
      prev1 = v;
    }
    b.model.Reset();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BuildMesh)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zmf

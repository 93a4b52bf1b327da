// Speed of journaled deletion and of undoing and redoing it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "bench_model.h"
#include "edit/delete_selected.h"
#include "edit/journal.h"
#include "edit/undo_redo.h"
#include "model/model.h"

namespace zmf {
namespace {

using Bench = BenchModel;

// A square grid of about n vertices, two faces per cell, everything selected.
std::unique_ptr<Bench> Grid(std::int64_t n) {
  auto b = std::make_unique<Bench>();
  const auto side = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
  std::vector<Vertex*> v;
  v.reserve(static_cast<std::size_t>(side * side));
  for (std::int64_t i = 0; i < side * side; ++i) {
    Vertex* vertex = b->model.AppendVertex();
    b->model.SetVertex(vertex, {float(i % side), float(i / side), 0}, {0, 0, 1}, 0, 0);
    v.push_back(vertex);
  }
  for (std::int64_t r = 0; r + 1 < side; ++r) {
    for (std::int64_t c = 0; c + 1 < side; ++c) {
      const std::int64_t a = r * side + c;
      b->model.MakeFace(v[a], v[a + 1], v[a + side + 1]);
      b->model.MakeFace(v[a], v[a + side + 1], v[a + side]);
    }
  }
  b->model.SelectAll();
  return b;
}

void BM_DeleteSelectedVertices(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(state.range(0));
    state.ResumeTiming();
    edit::DeleteSelectedVertices(b->model);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}

void BM_UndoDeleteSelectedVertices(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(state.range(0));
    edit::DeleteSelectedVertices(b->model);
    state.ResumeTiming();
    edit::Undo(b->model);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}

void BM_RedoDeleteSelectedVertices(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(state.range(0));
    edit::DeleteSelectedVertices(b->model);
    edit::Undo(b->model);
    state.ResumeTiming();
    edit::Redo(b->model);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_DeleteSelectedVertices)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_UndoDeleteSelectedVertices)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_RedoDeleteSelectedVertices)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
}  // namespace zmf

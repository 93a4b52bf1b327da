// Speed of the mesh operations on a big plane grid: split, weld, select connected, reflect,
// reduce, normals.
//
// Each benchmark takes the number of faces of the grid as its argument.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "bench_model.h"
#include "big_model.h"
#include "edit/face_selection.h"
#include "edit/normals.h"
#include "edit/reduce.h"
#include "edit/reflection.h"
#include "edit/split_faces.h"
#include "edit/weld.h"
#include "model/model.h"

namespace zmf {
namespace {

using Bench = BenchModel;

// A square grid in the plane z = 0 with about `faces` faces (two per cell), built without the
// journal. Every cell has its own four vertices when `splitCells` is set, so neighbouring cells
// meet at duplicates; otherwise cells share their corners. Nothing is selected.
std::unique_ptr<Bench> Grid(std::int64_t faces, bool splitCells) {
  auto b = std::make_unique<Bench>();
  Model& m = b->model;
  const auto cells = static_cast<std::int64_t>(std::sqrt(static_cast<double>(faces) / 2.0));
  auto vertex = [&](std::int64_t x, std::int64_t y) {
    Vertex* v = m.AppendVertex();
    m.SetVertex(v, {float(x), float(y), 0}, {0, 0, 1}, float(x) / float(cells),
                float(y) / float(cells));
    return v;
  };
  if (splitCells) {
    for (std::int64_t y = 0; y < cells; ++y) {
      for (std::int64_t x = 0; x < cells; ++x) {
        Vertex* a = vertex(x, y);
        Vertex* b1 = vertex(x + 1, y);
        Vertex* c = vertex(x + 1, y + 1);
        Vertex* d = vertex(x, y + 1);
        m.MakeFace(a, b1, c);
        m.MakeFace(a, c, d);
      }
    }
  } else {
    std::vector<Vertex*> grid;
    for (std::int64_t y = 0; y <= cells; ++y) {
      for (std::int64_t x = 0; x <= cells; ++x) grid.push_back(vertex(x, y));
    }
    const std::int64_t row = cells + 1;
    for (std::int64_t y = 0; y < cells; ++y) {
      for (std::int64_t x = 0; x < cells; ++x) {
        const std::int64_t a = y * row + x;
        m.MakeFace(grid[a], grid[a + 1], grid[a + row + 1]);
        m.MakeFace(grid[a], grid[a + row + 1], grid[a + row]);
      }
    }
  }
  m.DeselectAll();
  m.Commit();
  return b;
}

// Benchmarks of the mesh operations follow; each builds its grid with timing paused.

// Split every face of the grid: a midpoint per edge, shared by the two faces beside it.
void BM_SplitSelectedFaces(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(state.range(0), false);
    for (Face* f : b->model.faces) b->model.faces.Select(f);
    state.ResumeTiming();
    edit::SplitSelectedFaces(b->model, false);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SplitSelectedFaces)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Grow the selection from one face in a corner over the whole connected grid.
void BM_SelectConnectedFaces(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(state.range(0), false);
    b->model.faces.Select(b->model.faces.head());
    state.ResumeTiming();
    edit::SelectConnectedFaces(b->model);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SelectConnectedFaces)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Weld every duplicate of a grid whose cells each have their own four vertices: each inner
// grid point folds four vertices into one.
void BM_WeldSelectedDuplicates(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(state.range(0), true);
    b->model.SelectAll();
    b->model.RebuildDuplicates();
    b->model.SelectDuplicatesOfSelection();
    state.ResumeTiming();
    edit::WeldSelectedDuplicates(b->model);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_WeldSelectedDuplicates)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Mirror the whole grid and stitch its outer border to the mirror image. The grid lies at
// x >= 0, so the mirror lands beside it (its x = 0 column on itself).
void BM_ReflectSelection(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(state.range(0), false);
    b->model.SelectAll();
    state.ResumeTiming();
    edit::ReflectSelection(b->model, true);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReflectSelection)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Collapse a share of the vertices of a grid that shares its corners, all of them selected. Unlike
// the others this benchmark takes the number of vertices, then the percentage to remove: the
// 50000/50 case is the grid of 100000 faces.
void BM_ReduceSelectedVertices(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(2 * state.range(0), false);
    b->model.SelectAll();
    state.ResumeTiming();
    edit::ReduceSelectedVertices(b->model, static_cast<double>(state.range(1)));
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReduceSelectedVertices)
    ->Args({50000, 50})
    ->Args({1000000, 10})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Collapse a tenth of the vertices of the big model that the file benchmarks read, all of them
// selected: its rough grid gives every edge its own cost, so the collapses jump about the mesh.
// Takes the number of vertices.
void BM_ReduceBigModel(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = std::make_unique<Bench>();
    FillBigModel(b->model, state.range(0));
    b->model.Commit();
    b->model.SelectAll();
    state.ResumeTiming();
    edit::ReduceSelectedVertices(b->model, 10.0);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReduceBigModel)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

// Normals across duplicates on a grid whose cells each have their own four vertices: the
// duplicate list is rebuilt and every inner grid point has three partners.
void BM_NormalsAcrossDuplicates(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto b = Grid(state.range(0), true);
    b->model.SelectAll();
    b->model.geometryChanged = true;
    state.ResumeTiming();
    edit::CalculateNormalsAcrossDuplicates(b->model);
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_NormalsAcrossDuplicates)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace zmf

// Speed of the panels on big selections: the Vertices and Faces panel refreshed with every
// vertex selected must not freeze the editor (goal: under 50 ms at a million).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_model.h"
#include "command/panel_commands.h"
#include "view/editor_state.h"

namespace zmf {
namespace {

void BM_RefreshMeshPanel(benchmark::State& state) {
  BenchModel b;
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    Vertex* v = b.model.AppendVertex();
    b.model.SetVertex(v, {float(i % 1000), float(i / 1000), 0.0f}, {0, 0, 1}, 0, 0);
  }
  b.model.SelectAll();
  view::EditorState editor;
  for (auto _ : state) {
    command::RefreshMeshPanel(b.model, editor);
    benchmark::DoNotOptimize(editor.panels.Get("520").Rows());
  }
  state.counters["rows"] = static_cast<double>(editor.panels.Get("520").Rows());
}
BENCHMARK(BM_RefreshMeshPanel)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zmf

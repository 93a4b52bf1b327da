// Speed of the mouse on big models: a selection rectangle over every vertex, and one step of a
// Move drag's preview with every vertex selected. Each must fit in one frame (30 ms).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "bench_model.h"
#include "command/gestures.h"
#include "view/editor_state.h"

namespace zmf {
namespace {

// n vertices on a square grid filling -1 ... 1, seen by the camera at rest (E = 1).
struct GestureBench {
  explicit GestureBench(std::int64_t n) {
    const std::int64_t side = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::sqrt(n)));
    for (std::int64_t i = 0; i < n; ++i) {
      Vertex* v = b.model.AppendVertex();
      const float x = -0.99f + 1.98f * static_cast<float>(i % side) / static_cast<float>(side);
      const float y = -0.99f + 1.98f * static_cast<float>(i / side) / static_cast<float>(side);
      b.model.SetVertex(v, {x, y, 0.0f}, {0, 0, 1}, 0, 0);
    }
    context.editor = &editor;
  }
  BenchModel b;
  view::EditorState editor;
  command::CommandContext context{b.model};
};

void BM_SelectInRect(benchmark::State& state) {
  GestureBench g(state.range(0));
  for (auto _ : state) {
    command::MousePress(g.context, command::MouseButton::Left, -1.0f, -1.0f, false, false);
    command::MouseRelease(g.context, command::MouseButton::Left, 1.0f, 1.0f);
  }
  state.counters["selected"] = g.b.model.vertices.selCount();
}
BENCHMARK(BM_SelectInRect)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_MovePreviewStep(benchmark::State& state) {
  GestureBench g(state.range(0));
  g.b.model.SelectAll();
  g.editor.mode = view::InteractionMode::Move;
  command::MousePress(g.context, command::MouseButton::Left, 0.0f, 0.0f, false, false);
  float x = 0.0f;
  for (auto _ : state) {
    x += 0.001f;
    command::MouseMove(g.context, x, 0.0f);
  }
  benchmark::DoNotOptimize(g.b.model.vertices.head()->savedPosition);
}
BENCHMARK(BM_MovePreviewStep)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zmf

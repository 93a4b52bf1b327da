// Speed of Copy and Paste of a big selection: n vertices and 2n faces as clipboard text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "bench_model.h"
#include "big_model.h"
#include "command/clipboard_commands.h"
#include "format/clipboard_text.h"
#include "model/clipboard.h"

namespace zmf {
namespace {

// The big model with every vertex and face selected.
std::unique_ptr<BenchModel> Selected(std::int64_t n) {
  auto b = std::make_unique<BenchModel>();
  FillBigModel(b->model, n);
  b->model.SelectAll();
  return b;
}

// Copy from the face list: the whole text built and handed to the clipboard.
void BM_CopyGeometry(benchmark::State& state) {
  auto b = Selected(state.range(0));
  MemoryClipboard clipboard;
  for (auto _ : state) {
    if (!command::CopySelection(b->model, view::PanelList::Face, clipboard)) {
      state.SkipWithError("nothing copied");
    }
  }
  state.counters["MB"] = static_cast<double>(clipboard.Text()->size()) / 1e6;
}

// Paste of that text into an empty model: read, then added through the journal as one step.
void BM_PasteGeometry(benchmark::State& state) {
  MemoryClipboard clipboard;
  {
    auto b = Selected(state.range(0));
    command::CopySelection(b->model, view::PanelList::Face, clipboard);
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto target = std::make_unique<BenchModel>();
    state.ResumeTiming();
    command::PasteClipboard(target->model, clipboard);
    state.PauseTiming();
    if (target->model.faces.count() != 2 * static_cast<std::uint32_t>(state.range(0))) {
      state.SkipWithError("the faces did not all arrive");
    }
    target.reset();
    state.ResumeTiming();
  }
}

// Reading the text alone, without adding anything to a model.
void BM_ReadGeometryText(benchmark::State& state) {
  MemoryClipboard clipboard;
  {
    auto b = Selected(state.range(0));
    command::CopySelection(b->model, view::PanelList::Face, clipboard);
  }
  const std::string text(*clipboard.Text());
  for (auto _ : state) {
    benchmark::DoNotOptimize(format::ReadGeometryClipboardText(text));
  }
}

BENCHMARK(BM_CopyGeometry)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadGeometryText)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PasteGeometry)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace zmf

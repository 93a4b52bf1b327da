// Speed of the exchange formats: exporting and importing a model of a million textured vertices
// and two million faces as OBJ (with its MTL library).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_model.h"
#include "big_model.h"
#include "export/obj_export.h"
#include "importers/obj_import.h"

namespace zmf {
namespace {

std::string BenchFile() { return "/tmp/exchange_bench." + std::to_string(::getpid()) + ".obj"; }

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

void Finish(benchmark::State& state, const std::string& path) {
  const std::int64_t bytes = FileSize(path);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  std::remove(path.c_str());
  std::remove(exporters::MaterialLibraryPath(path).c_str());
}

void BM_ExportObj(benchmark::State& state) {
  auto b = std::make_unique<BenchModel>();
  FillBigModel(b->model, state.range(0));
  const std::string path = BenchFile();
  for (auto _ : state) {
    if (!exporters::ExportObj(b->model, path)) state.SkipWithError("the file was not written");
  }
  Finish(state, path);
}
BENCHMARK(BM_ExportObj)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Each import fills a fresh model, as Open does.
void BM_ImportObj(benchmark::State& state) {
  const std::string path = BenchFile();
  {
    auto b = std::make_unique<BenchModel>();
    FillBigModel(b->model, state.range(0));
    exporters::ExportObj(b->model, path);
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto b = std::make_unique<BenchModel>();
    b->model.materialCount = 0;
    state.ResumeTiming();
    if (!importers::ImportObj(b->model, path) || b->model.faces.count() != 2 * state.range(0)) {
      state.SkipWithError("the model was not read");
    }
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
  Finish(state, path);
}
BENCHMARK(BM_ImportObj)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace zmf

// Speed of the glTF export and import: a model of a million textured vertices and two million
// faces written as one .glb file, and that file read back.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_model.h"
#include "big_model.h"
#include "export/gltf_export.h"
#include "format/file_text.h"
#include "importers/gltf_import.h"

namespace zmf {
namespace {

void BM_ExportGlb(benchmark::State& state) {
  auto b = std::make_unique<BenchModel>();
  FillBigModel(b->model, state.range(0));
  const std::string path = "/tmp/zmf_bench." + std::to_string(::getpid()) + ".glb";
  for (auto _ : state) {
    if (!exporters::ExportGltf(b->model, path)) state.SkipWithError("the file was not written");
  }
  struct stat info {};
  const double bytes = ::stat(path.c_str(), &info) == 0 ? double(info.st_size) : 0.0;
  state.counters["MB"] = bytes / 1e6;
  std::remove(path.c_str());
}
BENCHMARK(BM_ExportGlb)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ImportGlb(benchmark::State& state) {
  std::string bytes;
  {
    auto b = std::make_unique<BenchModel>();
    FillBigModel(b->model, state.range(0));
    exporters::GltfFiles files;
    if (!exporters::BuildGltf(b->model, "/tmp/zmf_bench.glb", files)) {
      state.SkipWithError("the export failed");
      return;
    }
    bytes = std::move(files.main);
  }
  const std::string path = "/tmp/zmf_bench." + std::to_string(::getpid()) + ".glb";
  for (auto _ : state) {
    state.PauseTiming();
    auto b = std::make_unique<BenchModel>();
    b->model.materialCount = 0;
    state.ResumeTiming();
    if (!importers::ImportGltfBytes(b->model, bytes, path)) state.SkipWithError("not imported");
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
  state.counters["MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_ImportGlb)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace zmf

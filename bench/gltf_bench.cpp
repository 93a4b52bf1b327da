// Speed of the glTF export: a model of a million textured vertices and two million faces
// written as one .glb file.
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

}  // namespace
}  // namespace zmf

// Speed of ZMF files: writing and reading a model of a million textured vertices and two
// million faces (about 130 MB of text), with faces along a grid and in random vertex order.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_model.h"
#include "big_model.h"
#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "model/model.h"

namespace zmf {
namespace {

using Bench = BenchModel;

std::string BenchFile() { return "/tmp/zmf_bench." + std::to_string(::getpid()) + ".zmf"; }

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

void BM_WriteZmf(benchmark::State& state) {
  auto b = std::make_unique<Bench>();
  FillBigModel(b->model, state.range(0));
  const std::string path = BenchFile();
  for (auto _ : state) {
    if (!format::WriteModelFile(b->model, path))
      state.SkipWithError("the file could not be written");
  }
  const std::int64_t bytes = FileSize(path);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  std::remove(path.c_str());
}
BENCHMARK(BM_WriteZmf)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The part of an autosave that the window waits for: the recovery text made in memory (a thread
// writes it to disk).
void BM_AutosaveText(benchmark::State& state) {
  auto b = std::make_unique<Bench>();
  FillBigModel(b->model, state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const std::string& block :
         format::WriteModelBlocks(b->model, format::TextureNames::AbsolutePath)) {
      bytes += block.size();
    }
  }
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_AutosaveText)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

void ReadZmf(benchmark::State& state, FaceOrder order) {
  auto b = std::make_unique<Bench>();
  FillBigModel(b->model, state.range(0), order);
  const std::string path = BenchFile();
  format::WriteModelFile(b->model, path);
  b->model.Reset();
  for (auto _ : state) {
    format::ReadModelFile(b->model, path);
    if (b->model.faces.count() != 2 * state.range(0)) state.SkipWithError("the model was not read");
  }
  const std::int64_t bytes = FileSize(path);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  std::remove(path.c_str());
}
// Faces along a grid name neighbouring vertices; in random order every corner is a cache miss.
void BM_ReadZmf(benchmark::State& state) { ReadZmf(state, FaceOrder::Grid); }
void BM_ReadZmfRandomOrder(benchmark::State& state) { ReadZmf(state, FaceOrder::Random); }
BENCHMARK(BM_ReadZmf)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK(BM_ReadZmfRandomOrder)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
}  // namespace zmf

// Opening generated 3DS and X files as the Open command does (reset, import, bounds, commit):
// a 3DS of 16 objects with 960,000 vertices and 1,040,000 faces, and an X file of a million
// vertices and two million faces with normals and texture coordinates.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "../bench_model.h"
#include "../big_files.h"
#include "command/open_save.h"

namespace zmf {
namespace {

std::string BenchFile(const char* extension) {
  return "/tmp/zmf_import_bench." + std::to_string(::getpid()) + extension;
}

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

// Opens the file once per iteration and checks the counts it must give.
void TimeOpen(benchmark::State& state, const std::string& path, std::uint32_t vertices,
              std::uint32_t faces) {
  auto b = std::make_unique<BenchModel>();
  b->host.SetUnscriptedAnswer(true);  // every 3DS object is loaded
  for (auto _ : state) {
    command::OpenModel(b->model, path);
    if (b->model.vertices.count() != vertices || b->model.faces.count() != faces) {
      state.SkipWithError("the file was not read whole");
    }
  }
  const std::int64_t bytes = FileSize(path);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  std::remove(path.c_str());
}

// The argument is the vertex count: 16 objects of count / 16 vertices and 65,000 faces.
void BM_Import3ds(benchmark::State& state) {
  const auto vertices = static_cast<std::uint32_t>(state.range(0));
  const std::string path = BenchFile(".3ds");
  if (!big_files::WriteBytes(path, big_files::Big3ds(vertices))) {
    state.SkipWithError("the file could not be written");
    return;
  }
  const std::uint32_t objects = big_files::k3dsObjects;
  TimeOpen(state, path, vertices / objects * objects, big_files::k3dsFacesPerObject * objects);
}
BENCHMARK(BM_Import3ds)->Arg(960000)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The argument is the vertex count, a square number.
void BM_ImportX(benchmark::State& state) {
  const std::uint32_t side = big_files::XSide(static_cast<std::uint32_t>(state.range(0)));
  const std::string path = BenchFile(".x");
  if (!big_files::WriteBytes(path, big_files::MakeX(side))) {
    state.SkipWithError("the file could not be written");
    return;
  }
  TimeOpen(state, path, side * side, 2 * side * side);
}
BENCHMARK(BM_ImportX)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace zmf

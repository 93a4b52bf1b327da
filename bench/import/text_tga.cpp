// Importing a text file of a million vertices (eight numbers a line, as "%f" writes them) and a
// 1024 x 1024 TGA heightmap, whose vertices and faces go through the journaled primitives.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "../bench_model.h"
#include "importers/text_vertices.h"
#include "importers/tga_heightmap.h"

namespace zmf {
namespace {

std::string BenchFile(const char* extension) {
  return "/tmp/zmf_import_bench." + std::to_string(::getpid()) + extension;
}

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

void ReportSize(benchmark::State& state, const std::string& path) {
  const std::int64_t bytes = FileSize(path);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// A wavy sheet of vertices with unit normals and texture coordinates.
bool WriteTextVertices(const std::string& path, std::int64_t count) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  const std::int64_t side = static_cast<std::int64_t>(std::sqrt(static_cast<double>(count))) + 1;
  for (std::int64_t i = 0; i < count; ++i) {
    const float u = static_cast<float>(i % side) / static_cast<float>(side);
    const float v = static_cast<float>(i / side) / static_cast<float>(side);
    const float y = 0.1f * std::sin(20.0f * u) * std::cos(15.0f * v);
    std::fprintf(file, "%f %f %f %f %f %f %f %f\n", 100.0f * u, y, 100.0f * v, 0.0f, 1.0f, 0.0f, u,
                 v);
  }
  return std::fclose(file) == 0;
}

void BM_ImportText(benchmark::State& state) {
  const std::string path = BenchFile(".txt");
  if (!WriteTextVertices(path, state.range(0))) {
    state.SkipWithError("the text file could not be written");
    return;
  }
  auto b = std::make_unique<BenchModel>();
  for (auto _ : state) {
    state.PauseTiming();
    b->model.Reset();
    state.ResumeTiming();
    importers::ImportText(b->model, path);
    if (b->model.vertices.count() != state.range(0)) state.SkipWithError("the file was not read");
  }
  ReportSize(state, path);
  std::remove(path.c_str());
}
BENCHMARK(BM_ImportText)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// An uncompressed 24-bit square image, bottom-up, of gentle hills.
bool WriteHeightmap(const std::string& path, int side) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = bytes[14] = static_cast<char>(side & 0xFF);
  bytes[13] = bytes[15] = static_cast<char>(side >> 8);
  bytes[16] = 24;
  for (int r = 0; r < side; ++r) {
    for (int c = 0; c < side; ++c) {
      const auto height =
          static_cast<char>(127.5f + 127.0f * std::sin(0.05f * static_cast<float>(c)) *
                                         std::cos(0.03f * static_cast<float>(r)));
      bytes += {height, height, height};
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

void BM_ImportHeightmap(benchmark::State& state) {
  const int side = static_cast<int>(std::lround(std::sqrt(static_cast<double>(state.range(0)))));
  const std::string path = BenchFile(".tga");
  if (!WriteHeightmap(path, side)) {
    state.SkipWithError("the image could not be written");
    return;
  }
  auto b = std::make_unique<BenchModel>();
  for (auto _ : state) {
    state.PauseTiming();
    b->model.Reset();
    state.ResumeTiming();
    importers::ImportHeightmap(b->model, path);
    if (b->model.vertices.count() != state.range(0)) state.SkipWithError("the image was not read");
  }
  state.counters["faces"] = static_cast<double>(b->model.faces.count());
  state.counters["journal_words"] = static_cast<double>(b->model.journal.position());
  ReportSize(state, path);
  std::remove(path.c_str());
}
BENCHMARK(BM_ImportHeightmap)
    ->Arg(1024 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
}  // namespace zmf

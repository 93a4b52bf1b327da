// Speed of ZMF files: writing and reading a model of a million textured vertices and two
// million faces (about 130 MB of text).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "bench_model.h"
#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "model/model.h"

namespace zmf {
namespace {

using Bench = BenchModel;

// n vertices with normals and texture coordinates in a rough grid, 2n faces over them, and one
// material with a texture (so that the file carries texture coordinates).
void FillModel(Model& model, std::int64_t n) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> jitter(-0.5f, 0.5f);
  std::vector<Vertex*> all;
  all.reserve(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i) {
    Vertex* v = model.AppendVertex();
    const float x = static_cast<float>(i % 1000) + jitter(random);
    const float y = static_cast<float>(i / 1000) * 0.25f + jitter(random);
    model.SetVertex(v, {x, y, jitter(random) * 40.0f}, {jitter(random), jitter(random), 0.7f},
                    x / 1000.0f, y / 250.0f);
    all.push_back(v);
  }
  for (std::int64_t i = 0; i < 2 * n; ++i) {
    Face* f = model.faces.Allocate();
    f->a = all[static_cast<std::size_t>(i / 2)];
    f->b = all[static_cast<std::size_t>((i / 2 + 1) % n)];
    f->c = all[static_cast<std::size_t>((i / 2 + 1000) % n)];
    model.AddFace(f, 0);
  }
  model.materials[0].hasTexture = 1;
  model.materials[0].textureFile = "skin.jpg";  // missing, and a missing JPEG is not reported
}

std::string BenchFile() { return "/tmp/zmf_bench." + std::to_string(::getpid()) + ".zmf"; }

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

void BM_WriteZmf(benchmark::State& state) {
  auto b = std::make_unique<Bench>();
  FillModel(b->model, state.range(0));
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

void BM_ReadZmf(benchmark::State& state) {
  auto b = std::make_unique<Bench>();
  FillModel(b->model, state.range(0));
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
BENCHMARK(BM_ReadZmf)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace zmf

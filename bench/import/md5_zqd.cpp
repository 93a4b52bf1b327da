// Importing an MD5 mesh and a ZQD file of n vertices on a square grid with two triangles per
// cell (about 2n faces): the MD5 mesh with two weights per vertex on a chain of 16 joints, the
// ZQD file with a colour per triangle and texture coordinates.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "../bench_model.h"
#include "importers/md5_mesh.h"
#include "importers/zqd.h"
#include "model/model.h"

namespace zmf {
namespace {

constexpr int kJoints = 16;

std::string BenchFile(const char* extension) {
  return "/tmp/zmf_import_bench." + std::to_string(::getpid()) + extension;
}

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

// printf into a string that grows.
class TextOut {
 public:
  template <class... Args>
  void operator()(const char* format, Args... args) {
    char line[160];
    const int n = std::snprintf(line, sizeof line, format, args...);
    text_.append(line, static_cast<std::size_t>(n));
  }
  bool WriteTo(const std::string& path) const {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(text_.data(), 1, text_.size(), f) == text_.size();
    return std::fclose(f) == 0 && ok;
  }

 private:
  std::string text_;
};

// The grid's side for about n vertices.
std::int64_t Side(std::int64_t n) { return static_cast<std::int64_t>(std::sqrt(double(n))); }

bool WriteMd5(const std::string& path, std::int64_t n) {
  const std::int64_t side = Side(n);
  const std::int64_t vertices = side * side;
  const std::int64_t cells = (side - 1) * (side - 1);
  TextOut out;
  out("MD5Version 10\ncommandline \"\"\n\nnumJoints %d\nnumMeshes 1\n\njoints {\n", kJoints);
  out("\t\"joint0\"\t-1 ( 0.0 0.0 0.0 ) ( 0.0 0.0 0.0 )\n");
  for (int j = 1; j < kJoints; ++j) {
    out("\t\"joint%d\"\t%d ( %d.0 0.0 0.0 ) ( 0.0 0.0 0.0 )\n", j, j - 1, j * 10);
  }
  out("}\n\nmesh {\n\tshader \"grid\"\n\n\tnumverts %lld\n", static_cast<long long>(vertices));
  for (std::int64_t i = 0; i < vertices; ++i) {
    out("\tvert %lld ( %.6f %.6f ) %lld 2\n", static_cast<long long>(i),
        double(i % side) / double(side), double(i / side) / double(side),
        static_cast<long long>(2 * i));
  }
  out("\n\tnumtris %lld\n", static_cast<long long>(2 * cells));
  std::int64_t t = 0;
  for (std::int64_t y = 0; y + 1 < side; ++y) {
    for (std::int64_t x = 0; x + 1 < side; ++x) {
      const auto a = static_cast<long long>(y * side + x);
      const auto s = static_cast<long long>(side);
      out("\ttri %lld %lld %lld %lld\n", static_cast<long long>(t++), a, a + s, a + 1);
      out("\ttri %lld %lld %lld %lld\n", static_cast<long long>(t++), a + 1, a + s, a + s + 1);
    }
  }
  out("\n\tnumweights %lld\n", static_cast<long long>(2 * vertices));
  for (std::int64_t i = 0; i < vertices; ++i) {
    const int joint = static_cast<int>((i % side) * kJoints / side);
    const double x = double(i % side) * 0.01;
    const double y = double(i / side) * 0.01;
    out("\tweight %lld %d 0.750000 ( %.6f %.6f 0.000000 )\n", static_cast<long long>(2 * i), joint,
        x, y);
    out("\tweight %lld %d 0.250000 ( %.6f %.6f 1.000000 )\n", static_cast<long long>(2 * i + 1),
        (joint + 1) % kJoints, x, y);
  }
  out("}\n");
  return out.WriteTo(path);
}

bool WriteZqd(const std::string& path, std::int64_t n) {
  const std::int64_t side = Side(n);
  TextOut out;
  out("ZQD\nPOINTS\n");
  for (std::int64_t i = 0; i < side * side; ++i) {
    out("%.6f %.6f %.6f\n", double(i % side) * 0.01, double(i / side) * 0.01,
        double(i % 7) * 0.001);
  }
  out("FACES\n");
  std::int64_t triangles = 0;
  for (std::int64_t y = 0; y + 1 < side; ++y) {
    for (std::int64_t x = 0; x + 1 < side; ++x) {
      const auto a = static_cast<long long>(y * side + x + 1);  // points count from 1
      const auto s = static_cast<long long>(side);
      out("%lld %lld %lld\n", a, a + s, a + 1);
      out("%lld %lld %lld\n", a + 1, a + s, a + s + 1);
      triangles += 2;
    }
  }
  out("COLORS\n");
  for (std::int64_t k = 0; k < triangles; ++k) out("%d\n", static_cast<int>(k % 4));
  out("PALETTE\n");
  for (int k = 0; k < 16; ++k) out("%d %d %d\n", k * 16, 255 - k * 16, 128);
  out("TEXTURE_IMAGE\nTEXTURE_COORDINATES\n");
  for (std::int64_t i = 0; i < side * side; ++i) {
    out("%lld %lld\n", static_cast<long long>(i % side), static_cast<long long>(i / side));
  }
  return out.WriteTo(path);
}

template <bool (*Write)(const std::string&, std::int64_t), bool (*Import)(Model&, std::string_view)>
void ImportFile(benchmark::State& state, const char* extension) {
  auto b = std::make_unique<BenchModel>();
  b->host.SetUnscriptedAnswer(true);  // every MD5 mesh is loaded
  const std::string path = BenchFile(extension);
  if (!Write(path, state.range(0))) {
    state.SkipWithError("the input could not be written");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    b->model.Reset();
    state.ResumeTiming();
    Import(b->model, path);
  }
  const std::int64_t side = Side(state.range(0));
  if (b->model.vertices.count() != side * side ||
      b->model.faces.count() != 2 * (side - 1) * (side - 1) || !b->host.BoxTexts().empty()) {
    state.SkipWithError("the file was not imported whole");
  }
  const std::int64_t bytes = FileSize(path);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["vertices"] = static_cast<double>(b->model.vertices.count());
  state.counters["faces"] = static_cast<double>(b->model.faces.count());
  std::remove(path.c_str());
}

void BM_ImportMd5Mesh(benchmark::State& state) {
  ImportFile<WriteMd5, importers::ImportMd5Mesh>(state, ".md5mesh");
}
BENCHMARK(BM_ImportMd5Mesh)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

void BM_ImportZqd(benchmark::State& state) {
  ImportFile<WriteZqd, importers::ImportZqd>(state, ".zqd");
}
BENCHMARK(BM_ImportZqd)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
}  // namespace zmf

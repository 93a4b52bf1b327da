// Opening generated 3DS and X files as the Open command does (reset, import, bounds, commit):
// a 3DS of 16 objects with 960,000 vertices and 1,040,000 faces, and an X file of a million
// vertices and two million faces with normals and texture coordinates.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "../bench_model.h"
#include "command/open_save.h"
#include "format/number_text.h"

namespace zmf {
namespace {

std::string BenchFile(const char* extension) {
  return "/tmp/zmf_import_bench." + std::to_string(::getpid()) + extension;
}

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out.good();
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

// ---- 3DS

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutFloat(std::string& out, float f) { Put32(out, std::bit_cast<std::uint32_t>(f)); }

// Opens a chunk; Close writes its length once its content is in place.
std::size_t Open(std::string& out, std::uint16_t id) {
  const std::size_t at = out.size();
  Put16(out, id);
  Put32(out, 0);
  return at;
}
void Close(std::string& out, std::size_t at) {
  std::string length;
  Put32(length, static_cast<std::uint32_t>(out.size() - at));
  out.replace(at + 2, 4, length);
}

// Objects of a 300-column grid of vertices; each object's faces take two materials.
std::string Make3ds(int objects, std::uint32_t verticesPerObject, std::uint32_t facesPerObject) {
  constexpr std::uint32_t kColumns = 300;
  std::string out;
  const std::size_t main = Open(out, 0x4D4D);
  const std::size_t editor = Open(out, 0x3D3D);
  for (const char* name : {"stone", "wood"}) {
    const std::size_t entry = Open(out, 0xAFFF);
    const std::size_t title = Open(out, 0xA000);
    out.append(name).push_back('\0');
    Close(out, title);
    Close(out, entry);
  }
  for (int o = 0; o < objects; ++o) {
    const std::size_t object = Open(out, 0x4000);
    out.append("part" + std::to_string(o)).push_back('\0');
    const std::size_t mesh = Open(out, 0x4100);
    const std::size_t vertexList = Open(out, 0x4110);
    Put16(out, verticesPerObject);
    for (std::uint32_t i = 0; i < verticesPerObject; ++i) {
      PutFloat(out, static_cast<float>(i % kColumns));
      PutFloat(out, static_cast<float>(i / kColumns));
      PutFloat(out, static_cast<float>(o));
    }
    Close(out, vertexList);
    const std::size_t faceList = Open(out, 0x4120);
    Put16(out, facesPerObject);
    for (std::uint32_t f = 0; f < facesPerObject; ++f) {
      const std::uint32_t a = f % (verticesPerObject - kColumns - 1);
      Put16(out, a);
      Put16(out, a + 1);
      Put16(out, a + kColumns);
      Put16(out, 0);
    }
    const std::size_t group = Open(out, 0x4130);
    out.append("wood").push_back('\0');
    Put16(out, facesPerObject / 2);
    for (std::uint32_t f = 0; f < facesPerObject; f += 2) Put16(out, f);
    Close(out, group);
    Close(out, faceList);
    const std::size_t coordinates = Open(out, 0x4140);
    Put16(out, verticesPerObject);
    for (std::uint32_t i = 0; i < verticesPerObject; ++i) {
      PutFloat(out, static_cast<float>(i % kColumns) / kColumns);
      PutFloat(out, static_cast<float>(i / kColumns) / kColumns);
    }
    Close(out, coordinates);
    Close(out, mesh);
    Close(out, object);
  }
  Close(out, editor);
  Close(out, main);
  return out;
}

// The argument is the vertex count: 16 objects of 60,000 vertices and 65,000 faces.
void BM_Import3ds(benchmark::State& state) {
  constexpr int kObjects = 16;
  const auto vertices = static_cast<std::uint32_t>(state.range(0) / kObjects);
  const std::uint32_t faces = 65000;
  const std::string path = BenchFile(".3ds");
  if (!WriteBytes(path, Make3ds(kObjects, vertices, faces))) {
    state.SkipWithError("the file could not be written");
    return;
  }
  TimeOpen(state, path, vertices * kObjects, faces * kObjects);
}
BENCHMARK(BM_Import3ds)->Arg(960000)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// ---- X

void PutFixed(std::string& out, float value) {
  char text[format::kMaxFixed6Length];
  out.append(text, format::FormatFixed6(text, value));
}
void PutNumber(std::string& out, std::uint32_t value) {
  char text[10];
  out.append(text, format::FormatUnsigned(text, value));
}

// One mesh on a side x side grid closed into a torus, two triangles per square, with a normal
// and a coordinate pair per vertex, as exporters write them.
std::string MakeX(std::uint32_t side) {
  const std::uint32_t vertices = side * side;
  std::string out = "xof 0302txt 0064\nFrame Root {\n  Mesh grid {\n    ";
  auto list = [&](std::uint32_t count, auto&& entry) {
    PutNumber(out, count);
    out += ";\n";
    for (std::uint32_t i = 0; i < count; ++i) {
      out += "    ";
      entry(i);
      out += i + 1 < count ? ";,\n" : ";;\n";
    }
  };
  auto corner = [&](std::uint32_t x, std::uint32_t y) { return (y % side) * side + x % side; };
  auto faces = [&] {
    list(2 * vertices, [&](std::uint32_t f) {
      const std::uint32_t x = (f / 2) % side, y = (f / 2) / side;
      out += "3;";
      PutNumber(out, corner(x, y));
      out += ',';
      PutNumber(out, f % 2 == 0 ? corner(x + 1, y) : corner(x + 1, y + 1));
      out += ',';
      PutNumber(out, f % 2 == 0 ? corner(x + 1, y + 1) : corner(x, y + 1));
    });
  };
  list(vertices, [&](std::uint32_t i) {
    PutFixed(out, static_cast<float>(i % side) * 0.01f);
    out += ';';
    PutFixed(out, static_cast<float>(i / side) * 0.01f);
    out += ';';
    PutFixed(out, static_cast<float>(i % 7) * 0.125f);
  });
  out += "\n    ";
  faces();
  out += "    MeshNormals {\n      ";
  list(vertices, [&](std::uint32_t i) {
    PutFixed(out, 0.0f);
    out += ';';
    PutFixed(out, i % 2 == 0 ? 0.6f : 0.0f);
    out += ';';
    PutFixed(out, i % 2 == 0 ? 0.8f : 1.0f);
  });
  out += "      ";
  faces();
  out += "    }\n    MeshTextureCoords {\n      ";
  list(vertices, [&](std::uint32_t i) {
    PutFixed(out, static_cast<float>(i % side) / side);
    out += ';';
    PutFixed(out, static_cast<float>(i / side) / side);
  });
  out += "    }\n  }\n}\n";
  return out;
}

// The argument is the vertex count, a square number.
void BM_ImportX(benchmark::State& state) {
  std::uint32_t side = 1;
  while ((side + 1) * (side + 1) <= static_cast<std::uint32_t>(state.range(0))) ++side;
  const std::string path = BenchFile(".x");
  if (!WriteBytes(path, MakeX(side))) {
    state.SkipWithError("the file could not be written");
    return;
  }
  TimeOpen(state, path, side * side, 2 * side * side);
}
BENCHMARK(BM_ImportX)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace zmf

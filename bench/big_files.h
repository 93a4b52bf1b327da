// The big 3DS and X files that the import benchmarks read and make_big_model writes: a 3DS of
// 16 objects on a grid, and an X file of one mesh with normals and texture coordinates.
#pragma once

#include <bit>
#include <cstdint>
#include <fstream>
#include <string>

#include "format/number_text.h"

namespace zmf::big_files {

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out.good();
}

inline void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline void PutFloat(std::string& out, float f) { Put32(out, std::bit_cast<std::uint32_t>(f)); }

// Opens a chunk; Close writes its length once its content is in place.
inline std::size_t Open(std::string& out, std::uint16_t id) {
  const std::size_t at = out.size();
  Put16(out, id);
  Put32(out, 0);
  return at;
}
inline void Close(std::string& out, std::size_t at) {
  std::string length;
  Put32(length, static_cast<std::uint32_t>(out.size() - at));
  out.replace(at + 2, 4, length);
}

// Objects of a 300-column grid of vertices; each object's faces take two materials.
inline std::string Make3ds(int objects, std::uint32_t verticesPerObject,
                           std::uint32_t facesPerObject) {
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

inline void PutFixed(std::string& out, float value) {
  char text[format::kMaxFixed6Length];
  out.append(text, format::FormatFixed6(text, value));
}
inline void PutNumber(std::string& out, std::uint32_t value) {
  char text[10];
  out.append(text, format::FormatUnsigned(text, value));
}

// One mesh on a side x side grid closed into a torus, two triangles per square, with a normal
// and a coordinate pair per vertex, as exporters write them.
inline std::string MakeX(std::uint32_t side) {
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

// The 3DS file for a vertex count: 16 objects of count / 16 vertices and 65,000 faces each.
constexpr int k3dsObjects = 16;
constexpr std::uint32_t k3dsFacesPerObject = 65000;
inline std::string Big3ds(std::uint32_t vertices) {
  return Make3ds(k3dsObjects, vertices / k3dsObjects, k3dsFacesPerObject);
}

// The side of the largest square grid with at most the given number of vertices.
inline std::uint32_t XSide(std::uint32_t vertices) {
  std::uint32_t side = 1;
  while ((side + 1) * (side + 1) <= vertices) ++side;
  return side;
}

}  // namespace zmf::big_files

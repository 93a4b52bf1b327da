// The fixed meshes of Add Geometric, kept as tables of vertices and corner triples.
#include "edit/primitives.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "edit/journal.h"

namespace zmf::edit {
namespace {

struct ShapeVertex {
  Vector3 position;
  Vector3 normal;
  float u = 0.0f;
  float v = 0.0f;
};

// A face as the positions k of its corners among the shape's vertices, in winding order.
struct Corners {
  std::uint32_t a, b, c;
};

// Adds the shape as one undo group. The k-th vertex added receives id base + k, and each face
// looks its corners up by those ids, so a face is made only when all three are there.
void AddShape(Model& model, std::span<const ShapeVertex> vertices, std::span<const Corners> faces) {
  const std::uint32_t base = model.vertices.nextId();
  JournalGroup group(model);
  for (const ShapeVertex& v : vertices) {
    JournalAddVertex(model, v.position, v.normal, v.u, v.v);
  }
  for (const Corners& f : faces) {
    Vertex* a = model.vertices.FindById(base + f.a);
    Vertex* b = model.vertices.FindById(base + f.b);
    Vertex* c = model.vertices.FindById(base + f.c);
    if (a != nullptr && b != nullptr && c != nullptr) JournalAddFace(model, a, b, c);
  }
}

// ---- box

// Four vertices per side, each side with its own normal, so the edges stay sharp. Per side the
// texture coordinates are (0, 0), (0, 1), (1, 0), (1, 1).
// clang-format off
constexpr std::array<ShapeVertex, 24> kBoxVertices = {{
    {{-.5f, -.5f, -.5f}, {0, -1, 0}, 0, 0},
    {{-.5f, -.5f, .5f}, {0, -1, 0}, 0, 1},
    {{.5f, -.5f, -.5f}, {0, -1, 0}, 1, 0},
    {{.5f, -.5f, .5f}, {0, -1, 0}, 1, 1},
    {{-.5f, .5f, -.5f}, {0, 1, 0}, 0, 0},
    {{-.5f, .5f, .5f}, {0, 1, 0}, 0, 1},
    {{.5f, .5f, -.5f}, {0, 1, 0}, 1, 0},
    {{.5f, .5f, .5f}, {0, 1, 0}, 1, 1},
    {{-.5f, -.5f, -.5f}, {-1, 0, 0}, 0, 0},
    {{-.5f, -.5f, .5f}, {-1, 0, 0}, 0, 1},
    {{-.5f, .5f, -.5f}, {-1, 0, 0}, 1, 0},
    {{-.5f, .5f, .5f}, {-1, 0, 0}, 1, 1},
    {{.5f, -.5f, -.5f}, {1, 0, 0}, 0, 0},
    {{.5f, -.5f, .5f}, {1, 0, 0}, 0, 1},
    {{.5f, .5f, -.5f}, {1, 0, 0}, 1, 0},
    {{.5f, .5f, .5f}, {1, 0, 0}, 1, 1},
    {{-.5f, -.5f, -.5f}, {0, 0, -1}, 0, 0},
    {{.5f, -.5f, -.5f}, {0, 0, -1}, 0, 1},
    {{-.5f, .5f, -.5f}, {0, 0, -1}, 1, 0},
    {{.5f, .5f, -.5f}, {0, 0, -1}, 1, 1},
    {{-.5f, -.5f, .5f}, {0, 0, 1}, 0, 0},
    {{.5f, -.5f, .5f}, {0, 0, 1}, 0, 1},
    {{-.5f, .5f, .5f}, {0, 0, 1}, 1, 0},
    {{.5f, .5f, .5f}, {0, 0, 1}, 1, 1},
}};

constexpr std::array<Corners, 12> kBoxFaces = {{
    {3, 1, 0}, {0, 2, 3}, {4, 5, 7}, {7, 6, 4}, {8, 9, 11}, {11, 10, 8},
    {15, 13, 12}, {12, 14, 15}, {19, 17, 16}, {16, 18, 19}, {20, 21, 23}, {23, 22, 20},
}};
// clang-format on

// ---- sphere

// An octahedron subdivided twice. Each vertex is an integer direction: its normal is the
// direction made unit length, its position half the normal.
struct Direction {
  int x, y, z;
};

// clang-format off
constexpr std::array<Direction, 66> kSphereDirections = {{
    // 0-7: the equator
    {-1, 0, 0}, {-1, 0, -1}, {0, 0, -1}, {1, 0, -1},
    {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {-1, 0, 1},
    // 8-12: round the top
    {0, 1, 0}, {-1, 1, 0}, {1, 1, 0}, {0, 1, -1}, {0, 1, 1},
    // 13-17: round the bottom
    {0, -1, 0}, {-1, -1, 0}, {1, -1, 0}, {0, -1, -1}, {0, -1, 1},
    // 18-37
    {-7, 3, 0}, {-7, 5, -5}, {-7, 0, -3}, {-5, 5, -7},
    {0, 3, -7}, {-3, 0, -7}, {5, 5, -7}, {3, 0, -7},
    {7, 5, -5}, {7, 3, 0}, {7, 0, -3}, {7, 5, 5},
    {7, 0, 3}, {5, 5, 7}, {0, 3, 7}, {3, 0, 7},
    {-5, 5, 7}, {-3, 0, 7}, {-7, 5, 5}, {-7, 0, 3},
    // 38-49
    {-7, -3, 0}, {-7, -5, 5}, {-5, -5, 7}, {0, -3, 7}, {5, -5, 7}, {7, -5, 5},
    {7, -3, 0}, {7, -5, -5}, {5, -5, -7}, {0, -3, -7}, {-5, -5, -7}, {-7, -5, -5},
    // 50-57
    {-5, 7, -5}, {5, 7, -5}, {5, 7, 5}, {-5, 7, 5},
    {0, 7, -3}, {-3, 7, 0}, {3, 7, 0}, {0, 7, 3},
    // 58-65
    {-5, -7, -5}, {5, -7, -5}, {5, -7, 5}, {-5, -7, 5},
    {-3, -7, 0}, {0, -7, -3}, {3, -7, 0}, {0, -7, 3},
}};

constexpr std::array<Corners, 128> kSphereFaces = {{
    {0, 18, 20}, {1, 21, 23}, {2, 22, 25}, {3, 26, 28}, {4, 27, 30}, {5, 31, 33},
    {6, 32, 35}, {7, 36, 37}, {0, 38, 37}, {7, 40, 35}, {6, 41, 33}, {5, 43, 30},
    {4, 44, 28}, {3, 46, 25}, {2, 47, 23}, {1, 49, 20}, {1, 19, 21}, {3, 24, 26},
    {5, 29, 31}, {7, 34, 36}, {8, 54, 55}, {8, 56, 54}, {8, 57, 56}, {8, 55, 57},
    {1, 48, 49}, {3, 45, 46}, {5, 42, 43}, {7, 39, 40}, {13, 62, 63}, {13, 63, 64},
    {13, 64, 65}, {13, 65, 62}, {18, 19, 20}, {18, 9, 19}, {19, 1, 20}, {21, 22, 23},
    {21, 11, 22}, {22, 2, 23}, {22, 24, 25}, {22, 11, 24}, {24, 3, 25}, {26, 27, 28},
    {26, 10, 27}, {27, 4, 28}, {27, 29, 30}, {27, 10, 29}, {29, 5, 30}, {31, 32, 33},
    {31, 12, 32}, {32, 6, 33}, {32, 34, 35}, {32, 12, 34}, {34, 7, 35}, {36, 18, 37},
    {36, 9, 18}, {18, 0, 37}, {38, 39, 37}, {38, 14, 39}, {39, 7, 37}, {40, 41, 35},
    {40, 17, 41}, {41, 6, 35}, {41, 42, 33}, {41, 17, 42}, {42, 5, 33}, {43, 44, 30},
    {43, 15, 44}, {44, 4, 30}, {44, 45, 28}, {44, 15, 45}, {45, 3, 28}, {46, 47, 25},
    {46, 16, 47}, {47, 2, 25}, {47, 48, 23}, {47, 16, 48}, {48, 1, 23}, {49, 38, 20},
    {49, 14, 38}, {38, 0, 20}, {19, 50, 21}, {19, 9, 50}, {50, 11, 21}, {24, 51, 26},
    {24, 11, 51}, {51, 10, 26}, {29, 52, 31}, {29, 10, 52}, {52, 12, 31}, {34, 53, 36},
    {34, 12, 53}, {53, 9, 36}, {54, 50, 55}, {54, 11, 50}, {50, 9, 55}, {56, 51, 54},
    {56, 10, 51}, {51, 11, 54}, {57, 52, 56}, {57, 12, 52}, {52, 10, 56}, {55, 53, 57},
    {55, 9, 53}, {53, 12, 57}, {48, 58, 49}, {48, 16, 58}, {58, 14, 49}, {45, 59, 46},
    {45, 15, 59}, {59, 16, 46}, {42, 60, 43}, {42, 17, 60}, {60, 15, 43}, {39, 61, 40},
    {39, 14, 61}, {61, 17, 40}, {62, 58, 63}, {62, 14, 58}, {58, 16, 63}, {63, 59, 64},
    {63, 16, 59}, {59, 15, 64}, {64, 60, 65}, {64, 15, 60}, {60, 17, 65}, {65, 61, 62},
    {65, 17, 61}, {61, 14, 62},
}};
// clang-format on

std::vector<ShapeVertex> SphereVertices() {
  std::vector<ShapeVertex> vertices;
  vertices.reserve(kSphereDirections.size());
  for (const Direction& d : kSphereDirections) {
    const float length = std::sqrt(static_cast<float>(d.x * d.x + d.y * d.y + d.z * d.z));
    const Vector3 normal = {d.x / length, d.y / length, d.z / length};
    const Vector3 position = 0.5f * normal;
    vertices.push_back({position, normal, position.x + 0.5f, position.y + 0.5f});
  }
  return vertices;
}

// ---- triad and pyramid

// clang-format off
constexpr std::array<ShapeVertex, 4> kTriadVertices = {{
    {{-.5f, -.5f, -.5f}, {-.5f, 0, -.5f}, 0, 1},
    {{0, .5f, 0}, {0, 1, 0}, .5f, 0},
    {{.5f, -.5f, -.5f}, {.5f, 0, -.5f}, 1, 1},
    {{0, -.5f, .5f}, {0, 0, 1}, .5f, 1},
}};

constexpr std::array<Corners, 4> kTriadFaces = {{{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}}};

constexpr std::array<ShapeVertex, 5> kPyramidVertices = {{
    {{0, .5f, 0}, {0, 1, 0}, .5f, 0},
    {{-.5f, -.5f, -.5f}, {-.5f, 0, -.5f}, 0, 1},
    {{.5f, -.5f, -.5f}, {.5f, 0, -.5f}, 1, 1},
    {{.5f, -.5f, .5f}, {.5f, 0, .5f}, 0, 1},
    {{-.5f, -.5f, .5f}, {-.5f, 0, .5f}, 1, 1},
}};

constexpr std::array<Corners, 6> kPyramidFaces = {{
    {0, 2, 1}, {0, 3, 2}, {0, 4, 3}, {0, 1, 4}, {3, 1, 2}, {1, 3, 4},
}};
// clang-format on

// ---- cylinder and cone

// The ring of eight shared by the cylinder and the cone, from -x round through -z. The
// diagonal points sit at 0.35, not 0.5/sqrt(2); u runs up to 1 and back, so no texture seam.
struct RingPoint {
  float x, z;
  float nx, nz;
  float u;
};

// clang-format off
constexpr std::array<RingPoint, 8> kRing = {{
    {-.5f, 0, -1, 0, 0},
    {-.35f, -.35f, -.5f, -.5f, .25f},
    {0, -.5f, 0, -1, .5f},
    {.35f, -.35f, .5f, -.5f, .75f},
    {.5f, 0, 1, 0, 1},
    {.35f, .35f, .5f, .5f, .75f},
    {0, .5f, 0, 1, .5f},
    {-.35f, .35f, -.5f, .5f, .25f},
}};
// clang-format on

ShapeVertex RingVertex(const RingPoint& p, float y, float v) {
  return {{p.x, y, p.z}, {p.nx, 0, p.nz}, p.u, v};
}

}  // namespace

void AddBox(Model& model) { AddShape(model, kBoxVertices, kBoxFaces); }

void AddSphere(Model& model) { AddShape(model, SphereVertices(), kSphereFaces); }

void AddTriad(Model& model) { AddShape(model, kTriadVertices, kTriadFaces); }

void AddPyramid(Model& model) { AddShape(model, kPyramidVertices, kPyramidFaces); }

void AddCylinder(Model& model) {
  // Vertices 0-7: the top ring (y = 0.5, v = 0); 8-15: the bottom ring (y = -0.5, v = 1).
  std::vector<ShapeVertex> vertices;
  for (const RingPoint& p : kRing) vertices.push_back(RingVertex(p, .5f, 0));
  for (const RingPoint& p : kRing) vertices.push_back(RingVertex(p, -.5f, 1));
  std::vector<Corners> faces;
  for (std::uint32_t i = 0; i < 8; ++i) {
    const std::uint32_t j = (i + 1) % 8;
    faces.push_back({i, j, 8 + i});
    faces.push_back({j, 8 + j, 8 + i});
  }
  AddShape(model, vertices, faces);
}

void AddCone(Model& model) {
  // Vertex 0: the apex; 1-8: the ring at the base (y = -0.5, v = 1).
  std::vector<ShapeVertex> vertices = {{{0, .5f, 0}, {0, 1, 0}, .5f, 0}};
  for (const RingPoint& p : kRing) vertices.push_back(RingVertex(p, -.5f, 1));
  std::vector<Corners> faces;
  for (std::uint32_t i = 1; i <= 7; ++i) faces.push_back({0, i + 1, i});
  faces.push_back({0, 1, 8});
  AddShape(model, vertices, faces);
}

void AddPlane(Model& model) {
  // Vertex 17 r + c at x = (c - 8) / 8, y = (r - 8) / 8: rows run along x, from y = -1 up.
  constexpr std::uint32_t kSide = 17;
  std::vector<ShapeVertex> vertices;
  vertices.reserve(kSide * kSide);
  for (std::uint32_t r = 0; r < kSide; ++r) {
    for (std::uint32_t c = 0; c < kSide; ++c) {
      const float x = (static_cast<float>(c) - 8) * 0.125f;
      const float y = (static_cast<float>(r) - 8) * 0.125f;
      vertices.push_back({{x, y, 0}, {0, 0, 1}, 0.5f + 0.5f * x, 0.5f + 0.5f * y});
    }
  }
  std::vector<Corners> faces;
  faces.reserve(2 * (kSide - 1) * (kSide - 1));
  for (std::uint32_t r = 0; r + 1 < kSide; ++r) {
    for (std::uint32_t c = 0; c + 1 < kSide; ++c) {
      const std::uint32_t a = kSide * r + c;
      faces.push_back({a, a + kSide, a + kSide + 1});
      faces.push_back({a, a + kSide + 1, a + 1});
    }
  }
  AddShape(model, vertices, faces);
}

}  // namespace zmf::edit

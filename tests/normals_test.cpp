// Normals from the faces around the selection, across duplicates, and inverted.
#include "edit/normals.h"

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/primitives.h"
#include "edit/undo_redo.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using Normals = ModelTest;

constexpr std::uint64_t kSetVertexWords = 19;  // one set-vertex record

Vector3 Unit(Vector3 v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return {v.x / length, v.y / length, v.z / length};
}

// The box's corner (-0.5, -0.5, -0.5) is split into vertices 0 (bottom), 8 (left) and 16
// (back), each in both faces of its side; the duplicate list pairs {0, 8} and {8, 16}. The
// corner (-0.5, -0.5, 0.5) is split into 1 and 9, each in one face, and 20, in two. Every box
// triangle has twice-area 1.
TEST_F(Normals, SplitCubeCornersConnectedAndAcrossDuplicates) {
  edit::AddBox(model);
  auto normal = [&](std::uint32_t id) { return model.vertices.FindById(id)->normal; };
  edit::InvertSelectedNormals(model);
  EXPECT_EQ(normal(0), (Vector3{0, 1, 0}));

  // Connected: every vertex gets back its own side's normal; a second run changes nothing and
  // writes an empty group.
  std::uint64_t start = model.journal.position();
  edit::CalculateNormals(model, true, false);
  EXPECT_EQ(model.journal.position() - start, 2 + 24 * kSetVertexWords);
  EXPECT_EQ(normal(0), (Vector3{0, -1, 0}));
  EXPECT_EQ(normal(8), (Vector3{-1, 0, 0}));
  EXPECT_EQ(normal(20), (Vector3{0, 0, 1}));
  start = model.journal.position();
  edit::CalculateNormals(model, true, false);
  EXPECT_EQ(model.journal.position() - start, 2u);

  // Across duplicates: a pair's first and twin each add the other's faces, the middle of a
  // chain of three adds both neighbours', and the two ends do not see each other.
  edit::CalculateNormalsAcrossDuplicates(model);
  EXPECT_EQ(normal(0), Unit({-2, -2, 0}));
  EXPECT_EQ(normal(8), Unit({-2, -2, -2}));
  EXPECT_EQ(normal(16), Unit({-2, 0, -2}));
  EXPECT_EQ(normal(1), Unit({-1, -1, 0}));
  EXPECT_EQ(normal(9), Unit({-1, -1, 2}));
  EXPECT_EQ(normal(20), Unit({-1, 0, 2}));

  // From the selection: only selected faces count, but across duplicates all partner faces do.
  model.DeselectAll();
  model.vertices.Select(model.vertices.FindById(0));
  model.faces.Select(model.faces.FindById(1));
  edit::CalculateNormals(model, false, true);
  EXPECT_EQ(normal(0), Unit({-2, -1, 0}));
}

TEST_F(Normals, SelectionCalculationGivesZeroNormalsWithoutFaces) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* lone = AddVertex(5, 5, 5);
  model.SetVertex(a, a->position, {1, 0, 0}, 0.25f, 0.75f);
  model.MakeFace(a, b, AddVertex(0, 1, 0));
  model.MakeFaceFromIds(7, a->id, b->id, 99);  // there is no vertex 99: adds nothing
  model.DeselectAll();

  // Nothing selected: nothing written, not even a group.
  edit::CalculateNormals(model, true, false);
  edit::InvertSelectedNormals(model);
  EXPECT_EQ(model.journal.position(), 0u);

  // One corner of the triangle selected: the face is not, so the normal becomes zero.
  model.vertices.Select(a);
  edit::CalculateNormals(model, false, false);
  EXPECT_EQ(model.journal.position(), 2 + kSetVertexWords);
  EXPECT_EQ(a->savedNormal, (Vector3{0, 0, 0}));
  EXPECT_EQ(a->position, (Vector3{0, 0, 0}));
  EXPECT_EQ(a->v, 0.75f);

  // A vertex no face uses gets the zero normal from the connected calculation too.
  model.vertices.Select(b);
  model.vertices.Select(lone);
  edit::CalculateNormals(model, true, false);
  EXPECT_EQ(a->normal, (Vector3{0, 0, 1}));
  EXPECT_EQ(b->normal, (Vector3{0, 0, 1}));
  EXPECT_EQ(lone->normal, (Vector3{0, 0, 0}));
}

TEST_F(Normals, InvertWritesARecordPerSelectedVertexInSelectionOrder) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(2, 0, 0);
  model.SetVertex(a, a->position, {1, -2, 3}, 0.5f, 0.5f);
  model.SetVertex(b, b->position, {0, 0, 0}, 0, 0);
  for (Vertex* v : {c, a, b}) model.vertices.Select(v);

  edit::InvertSelectedNormals(model);
  EXPECT_EQ(model.journal.position(), 2 + 3 * kSetVertexWords);
  const std::int32_t order[3] = {2, 0, 1};  // ids of c, a, b
  for (std::uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(model.journal.At(1 + i * kSetVertexWords).AsInt(), edit::kSetVertex);
    EXPECT_EQ(model.journal.At(2 + i * kSetVertexWords).AsInt(), order[i]);
  }
  EXPECT_EQ(a->normal, (Vector3{-1, 2, -3}));
  EXPECT_EQ(c->normal, (Vector3{0, 0, -1}));
}

TEST_F(Normals, PlainCalculationReadsTheDuplicateListAsItStands) {
  Vertex* p = AddVertex(0, 0, 0);
  Vertex* q = AddVertex(0, 0, 0);
  model.MakeFace(p, AddVertex(1, 0, 0), AddVertex(0, 1, 0));  // towards +z, twice-area 1
  model.MakeFace(q, AddVertex(0, 0, 1), AddVertex(2, 0, 0));  // towards +y, twice-area 2
  model.DeselectAll();
  model.vertices.Select(p);

  edit::CalculateNormals(model, true, true);  // never rebuilt: no pairs yet
  EXPECT_EQ(p->normal, (Vector3{0, 0, 1}));
  edit::CalculateNormalsAcrossDuplicates(model);
  EXPECT_EQ(p->normal, Unit({0, 2, 1}));
}

// The partners of each vertex are gathered once per calculation; the result must equal a walk
// of the whole duplicate list per vertex exactly, since the order of the sums shows in the
// rounding.
TEST_F(Normals, AcrossDuplicatesMatchesAWalkOfTheList) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> grid(0, 3);  // coarse: chains of several coincident points
  std::vector<Vertex*> vertices;
  for (int i = 0; i < 400; ++i) {
    vertices.push_back(AddVertex(grid(random) / 3.0f, grid(random) / 7.0f, grid(random) * 0.1f));
  }
  std::uniform_int_distribution<std::size_t> pick(0, vertices.size() - 1);
  for (int i = 0; i < 300; ++i) {
    model.MakeFace(vertices[pick(random)], vertices[pick(random)], vertices[pick(random)]);
  }
  model.DeselectAll();
  for (int i = 0; i < 150; ++i) model.vertices.Select(vertices[pick(random)]);
  model.RebuildDuplicates();
  ASSERT_GT(model.duplicates.count(), 300u);

  auto addFaces = [](Vector3& sum, const Vertex* v) {
    for (Face* used : v->Faces()) {
      const Vertex* c[3] = {used->a, used->b, used->c};
      int i = 0;
      while (c[i] != v) ++i;
      const Vector3& a = c[(i + 2) % 3]->position;
      const Vector3& b = c[(i + 1) % 3]->position;
      const Vector3& p = v->position;
      const Vector3 x = {a.x - p.x, a.y - p.y, a.z - p.z};
      const Vector3 y = {p.x - b.x, p.y - b.y, p.z - b.z};
      sum = {sum.x + (x.y * y.z - x.z * y.y), sum.y + (x.z * y.x - x.x * y.z),
             sum.z + (x.x * y.y - x.y * y.x)};
    }
  };
  std::vector<Vector3> expected;
  for (const Vertex* p : model.vertices.Selected()) {
    Vector3 sum;
    addFaces(sum, p);
    for (const Duplicate* d : model.duplicates) {
      if (d->vertex == p) addFaces(sum, d->twin);
      if (d->twin == p) addFaces(sum, d->vertex);
    }
    expected.push_back(sum == Vector3{} ? sum : Unit(sum));
  }
  edit::CalculateNormals(model, true, true);
  std::vector<Vector3> got;
  for (const Vertex* p : model.vertices.Selected()) got.push_back(p->normal);
  EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace zmf::testing

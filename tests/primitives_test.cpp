// The fixed meshes of Add Geometric: ids, winding, selection, one undo group each.
#include "edit/primitives.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <numeric>
#include <tuple>
#include <utility>
#include <vector>

#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/undo_redo.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAreArray;

using Primitives = ModelTest;

// (B - A) x (C - A): the face normal for its winding.
Vector3 FaceNormal(const Face* f) {
  return Cross(f->b->position - f->a->position, f->c->position - f->a->position);
}

std::vector<std::uint32_t> Range(std::uint32_t first, std::uint32_t count) {
  std::vector<std::uint32_t> ids(count);
  std::iota(ids.begin(), ids.end(), first);
  return ids;
}

// Edges that only one face uses, between positions (split vertices count as one point). Fails
// the test when two faces run along an edge the same way, i.e. wind inconsistently.
int OpenEdges(const Model& model) {
  using Point = std::tuple<float, float, float>;
  std::map<std::pair<Point, Point>, int> edges;
  for (const Face* f : model.faces) {
    const Vertex* c[3] = {f->a, f->b, f->c};
    for (int i = 0; i < 3; ++i) {
      const Vector3& p = c[i]->position;
      const Vector3& q = c[(i + 1) % 3]->position;
      ++edges[{{p.x, p.y, p.z}, {q.x, q.y, q.z}}];
    }
  }
  int open = 0;
  for (const auto& [edge, count] : edges) {
    EXPECT_EQ(count, 1);
    open += edges.count({edge.second, edge.first}) == 0;
  }
  return open;
}

TEST_F(Primitives, ShapesTakeTheNextIdsAndJoinTheSelectionWithTheCurrentMaterial) {
  edit::AddBox(model);
  const Vertex* v13 = model.vertices.FindById(13);
  EXPECT_EQ(v13->position, (Vector3{.5f, -.5f, .5f}));
  EXPECT_EQ(v13->normal, (Vector3{1, 0, 0}));
  EXPECT_EQ(v13->u, 0.0f);
  EXPECT_EQ(v13->v, 1.0f);
  EXPECT_EQ(CornerIds(model.faces.FindById(0)), (std::vector<std::uint32_t>{3, 1, 0}));

  model.DeselectAll();
  model.vertices.Select(model.vertices.FindById(5));
  model.faces.Select(model.faces.FindById(2));
  model.materialCount = 3;
  model.currentMaterial = 2;
  edit::AddTriad(model);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAreArray({5u, 24u, 25u, 26u, 27u}));
  EXPECT_THAT(SelectedIds(model.faces), ElementsAreArray({2u, 12u, 13u, 14u, 15u}));
  EXPECT_EQ(model.faces.chainCount(2), 4u);
  // Corners are looked up from the first id the triad received.
  EXPECT_EQ(CornerIds(model.faces.FindById(15)), (std::vector<std::uint32_t>{25, 27, 26}));
}

TEST_F(Primitives, EachShapeIsOneGroupOfASurfaceWoundAsListed) {
  struct Shape {
    const char* name;
    void (*add)(Model&);
    std::uint64_t vertices, faces;
    int openEdges;
    int winding;  // +1: along the vertex normals, -1: against them, 0: not checked
  };
  const Shape shapes[] = {
      {"box", edit::AddBox, 24, 12, 0, 1},
      {"sphere", edit::AddSphere, 66, 128, 0, 1},
      {"triad", edit::AddTriad, 4, 4, 0, 0},
      {"pyramid", edit::AddPyramid, 5, 6, 0, 0},
      {"cylinder", edit::AddCylinder, 16, 16, 16, 1},
      {"cone", edit::AddCone, 9, 8, 8, 1},
      {"plane", edit::AddPlane, 289, 512, 64, -1},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    model.Reset();
    shape.add(model);
    EXPECT_EQ(model.vertices.count(), shape.vertices);
    EXPECT_EQ(model.faces.count(), shape.faces);
    // Marker, an add-vertex record per vertex (11 words, 6 for one with normal (0, 0, 1) and
    // texture coordinates (0, 0)), an add-face record (6) per face, marker.
    std::uint64_t vertexWords = 0;
    for (const Vertex* v : model.vertices) {
      const bool plain = v->normal == Vector3{0, 0, 1} && v->u == 0 && v->v == 0;
      vertexWords += plain ? 6 : 11;
    }
    const std::uint64_t end = model.journal.position();
    EXPECT_EQ(end, 2 + vertexWords + 6 * shape.faces);
    EXPECT_EQ(model.journal.At(0).AsInt(), edit::kGroupMarker);
    EXPECT_EQ(model.journal.At(end - 1).AsInt(), edit::kGroupMarker);

    EXPECT_EQ(OpenEdges(model), shape.openEdges);
    if (shape.winding == 0) continue;
    for (const Face* f : model.faces) {
      const Vector3 n = FaceNormal(f);
      for (const Vertex* v : {f->a, f->b, f->c}) {
        EXPECT_EQ(Dot(n, v->normal) > 0 ? 1 : -1, shape.winding) << f->id << " " << v->id;
      }
    }
  }
}

TEST_F(Primitives, ShapeVerticesSitWhereListed) {
  edit::AddSphere(model);
  const Vertex* v18 = model.vertices.FindById(18);
  EXPECT_NEAR(v18->position.x, -0.4596f, 5e-5);
  EXPECT_NEAR(v18->position.y, 0.1970f, 5e-5);
  EXPECT_EQ(v18->position.z, 0.0f);
  EXPECT_NEAR(v18->u, 0.0404f, 5e-5);
  EXPECT_NEAR(v18->v, 0.6970f, 5e-5);
  for (const Vertex* v : model.vertices) {
    EXPECT_NEAR(Dot(v->normal, v->normal), 1.0f, 1e-6) << v->id;
    EXPECT_NEAR(Dot(v->position, v->position), 0.25f, 1e-6) << v->id;
  }

  edit::AddCylinder(model);  // ids 66 ...: the ring's diagonal points at 0.35, normals not unit
  const Vertex* ring1 = model.vertices.FindById(66 + 1);
  EXPECT_EQ(ring1->position, (Vector3{-.35f, .5f, -.35f}));
  EXPECT_EQ(ring1->normal, (Vector3{-.5f, 0, -.5f}));
  EXPECT_EQ(model.vertices.FindById(66 + 13)->u, .75f);
  EXPECT_EQ(model.vertices.FindById(66 + 13)->v, 1.0f);
}

TEST_F(Primitives, PlaneIsAGridAndUndoRedoKeepIds) {
  AddVertex(9, 9, 9);
  edit::AddPlane(model);
  const Vertex* inner = model.vertices.FindById(1 + 17 * 3 + 5);  // r = 3, c = 5
  EXPECT_EQ(inner->position, (Vector3{-.375f, -.625f, 0}));
  EXPECT_EQ(inner->u, .3125f);
  EXPECT_EQ(inner->v, .1875f);
  EXPECT_EQ(model.vertices.FindById(289)->position, (Vector3{1, 1, 0}));
  EXPECT_EQ(CornerIds(model.faces.FindById(1)), (std::vector<std::uint32_t>{1, 19, 2}));

  edit::AddCone(model);
  edit::Undo(model);  // only the cone
  EXPECT_EQ(model.vertices.count(), 290u);
  edit::Redo(model);
  EXPECT_THAT(Ids(model.vertices), ElementsAreArray(Range(0, 299)));
  EXPECT_EQ(CornerIds(model.faces.FindById(512)), (std::vector<std::uint32_t>{290, 292, 291}));
  // Re-created records come back unselected; the plane's selection is untouched.
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAreArray(Range(1, 289)));
  EXPECT_THAT(SelectedIds(model.faces), ElementsAreArray(Range(0, 512)));
}

}  // namespace
}  // namespace zmf::testing

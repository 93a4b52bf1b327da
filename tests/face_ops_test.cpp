// Face operations: split, reverse, duplicate vertices and back faces, fan, the topology
// selections, their undo, and their commands run from batch scripts.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "anim/skeleton.h"
#include "command/batch.h"
#include "command/face_commands.h"
#include "edit/delete_selected.h"
#include "edit/face_operations.h"
#include "edit/face_selection.h"
#include "edit/journal.h"
#include "edit/primitives.h"
#include "edit/split_faces.h"
#include "file_fixture.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// What Undo must give back, by id: positions, normals, texture coordinates and their drawn
// copies, faces with their corners and materials, bone weights.
std::string Dump(const Model& m) {
  auto id = [](const Vertex* v) { return v != nullptr ? std::to_string(v->id) : "-"; };
  std::vector<std::string> lines;
  for (const Vertex* v : m.vertices) {
    std::ostringstream line;
    line << "v" << v->id << " p" << v->position.x << "," << v->position.y << "," << v->position.z
         << " n" << v->normal.x << "," << v->normal.y << "," << v->normal.z << " t" << v->u << ","
         << v->v << " s" << v->savedPosition.x << "," << v->savedPosition.y << ","
         << v->savedPosition.z << "," << v->savedNormal.z << "," << v->savedU;
    lines.push_back(line.str());
  }
  for (const Face* f : m.faces) {
    std::ostringstream line;
    line << "f" << f->id << " " << id(f->a) << "," << id(f->b) << "," << id(f->c) << " m"
         << f->material;
    lines.push_back(line.str());
  }
  for (std::uint32_t b = 0; b < m.boneCount; ++b) {
    for (const VertexWeight* w : m.bones[b].weights) {
      lines.push_back("w" + std::to_string(b) + ":" + std::to_string(w->vertex->id) + "=" +
                      std::to_string(w->weight));
    }
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

std::vector<std::uint32_t> Corners(const Face* f) {
  if (f == nullptr || f->a == nullptr || f->b == nullptr || f->c == nullptr) return {};
  return {f->a->id, f->b->id, f->c->id};
}

class FaceOps : public ModelTest {
 protected:
  Vertex* AddVertexWithNormal(Vector3 position, Vector3 normal, float u = 0, float v = 0) {
    Vertex* vertex = model.AppendVertex();
    model.SetVertex(vertex, position, normal, u, v);
    return vertex;
  }

  Face* FaceById(std::uint32_t id) { return model.faces.FindById(id); }
  std::uint64_t Words() const { return model.journal.position(); }
};

// ---- split

TEST_F(FaceOps, SplitSharesTheCommonMidpointAndCutsTheNeighbourInTwo) {
  Vertex* v0 = AddVertex(0, 0, 0);
  Vertex* v1 = AddVertex(1, 0, 0);
  Vertex* v2 = AddVertex(0, 1, 0);
  Vertex* v3 = AddVertex(1, 1, 0);
  Vertex* v4 = AddVertex(2, 0, 0);
  Face* f0 = model.MakeFace(v0, v1, v2);
  Face* f1 = model.MakeFace(v1, v3, v2);  // shares (1, 2) with f0
  model.MakeFace(v1, v4, v3);             // unselected, across f1's outer edge (1, 3)
  model.DeselectAll();
  model.faces.Select(f0);
  model.faces.Select(f1);
  const std::string before = Dump(model);

  SplitSelectedFaces(model, false);

  // f1 first (the selection's tail): midpoints 5 on (1, 3), 6 on (3, 2), 7 on (2, 1); then f0
  // reuses 7 and makes 8 on (0, 1) and 9 on (2, 0).
  ASSERT_EQ(model.vertices.count(), 10u);
  EXPECT_EQ(model.vertices.FindById(5)->position, (Vector3{1, 0.5f, 0}));
  EXPECT_EQ(model.vertices.FindById(7)->position, (Vector3{0.5f, 0.5f, 0}));
  EXPECT_EQ(model.vertices.FindById(9)->position, (Vector3{0, 0.5f, 0}));
  ASSERT_EQ(model.faces.count(), 10u);
  const std::vector<std::vector<std::uint32_t>> expected = {
      {0, 8, 9}, {1, 5, 7}, {3, 5, 4},  // the neighbour, rewired at its edge (3, 1)
      {5, 6, 7}, {5, 3, 6}, {6, 2, 7},  // from f1
      {8, 7, 9}, {8, 1, 7}, {7, 2, 9},  // from f0, on the shared midpoint
      {5, 1, 4},                        // the neighbour's other half
  };
  for (std::uint32_t id = 0; id < expected.size(); ++id) {
    EXPECT_EQ(Corners(FaceById(id)), expected[id]) << "face " << id;
  }
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(0, 1, 3, 4, 5, 6, 7, 8, 9));
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(5, 6, 7, 8, 9));

  const std::string after = Dump(model);
  Undo(model);
  EXPECT_EQ(Dump(model), before);
  Redo(model);
  EXPECT_EQ(Dump(model), after);
}

TEST_F(FaceOps, SplitClosesEveryCutEdgeOfANeighbour) {
  // Face 0 lies along the cut edges (0, 1) and (1, 2) of its two selected neighbours. Cut at
  // (0, 1), the half it hands off holds (1, 2) and is cut there too, so no crack stays open.
  Vertex* v0 = AddVertex(0, 0, 0);
  Vertex* v1 = AddVertex(1, 0, 0);
  Vertex* v2 = AddVertex(0, 1, 0);
  Vertex* v3 = AddVertex(0.5f, -1, 0);
  Vertex* v4 = AddVertex(1, 1, 0);
  model.MakeFace(v0, v1, v2);
  Face* below = model.MakeFace(v1, v0, v3);
  Face* beside = model.MakeFace(v2, v1, v4);
  model.DeselectAll();
  model.faces.Select(below);
  model.faces.Select(beside);
  SplitSelectedFaces(model, false);
  // Midpoints: 5 on (2, 1), 6, 7 from the face beside; 8 on (1, 0), 9, 10 from the one below.
  ASSERT_EQ(model.faces.count(), 11u);
  EXPECT_EQ(Corners(FaceById(0)), (std::vector<std::uint32_t>{0, 8, 2}));
  EXPECT_EQ(Corners(FaceById(9)), (std::vector<std::uint32_t>{1, 5, 8}));
  EXPECT_EQ(Corners(FaceById(10)), (std::vector<std::uint32_t>{5, 2, 8}));
}

TEST_F(FaceOps, SplitMidpointsMeanTheEndsAndDeformFollowsTheNormals) {
  // A flat patch with equal normals: deformation changes nothing.
  for (bool deform : {false, true}) {
    model.Reset();
    Face* f = model.MakeFace(AddVertexWithNormal({0, 0, 0}, {0, 0, 1}, 0, 0),
                             AddVertexWithNormal({2, 0, 0}, {0, 0, 1}, 1, 0),
                             AddVertexWithNormal({0, 2, 0}, {0, 0, 1}, 0, 1));
    model.DeselectAll();
    model.faces.Select(f);
    SplitSelectedFaces(model, deform);
    const Vertex* ab = model.vertices.FindById(3);
    const Vertex* bc = model.vertices.FindById(4);
    EXPECT_EQ(ab->position, (Vector3{1, 0, 0}));
    EXPECT_EQ(bc->position, (Vector3{1, 1, 0}));
    EXPECT_EQ(bc->normal, (Vector3{0, 0, 1}));
    EXPECT_EQ(bc->u, 0.5f);
    EXPECT_EQ(bc->v, 0.5f);
    EXPECT_EQ(bc->savedPosition, bc->position);
  }

  // Normals leaning apart along the edge push the midpoint out by L t / 4 along their mean,
  // which stays as it is (not made unit length): L = 2, t = 0.6 + 0.6.
  model.Reset();
  Vertex* p = AddVertexWithNormal({0, 0, 0}, {-0.6f, 0, 0.8f});
  Vertex* q = AddVertexWithNormal({2, 0, 0}, {0.6f, 0, 0.8f});
  Vertex* same = AddVertexWithNormal({2, 0, 0}, {0, 1, 0});  // a zero-length edge with q
  model.DeselectAll();
  model.faces.Select(model.MakeFace(p, q, same));
  SplitSelectedFaces(model, true);
  const Vertex* pq = model.vertices.FindById(3);
  EXPECT_EQ(pq->position.x, 1.0f);
  EXPECT_NEAR(pq->position.z, 0.25f * 1.2f * 2.0f * 0.8f, 1e-6f);
  EXPECT_EQ(pq->normal, (Vector3{0, 0, 0.8f}));
  const Vertex* qq = model.vertices.FindById(4);
  EXPECT_EQ(qq->position, (Vector3{2, 0, 0}));  // no division by the zero length
}

// ---- reverse

TEST_F(FaceOps, ReverseSwapsTheLastTwoCornersAndAlwaysWritesItsGroup) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  Face* f = model.MakeFace(a, b, c);
  model.DeselectAll();

  ReverseSelectedFaces(model);
  EXPECT_EQ(Words(), 2u);  // an empty group
  Undo(model);
  EXPECT_EQ(Words(), 0u);

  model.faces.Select(f);
  ReverseSelectedFaces(model);
  EXPECT_EQ(Corners(f), (std::vector<std::uint32_t>{0, 2, 1}));
  EXPECT_EQ(Words(), 2u + 9u);
  Undo(model);
  EXPECT_EQ(Corners(f), (std::vector<std::uint32_t>{0, 1, 2}));
}

// ---- duplicate vertices and back faces

class DuplicateVertices : public FaceOps {
 protected:
  // A triangle 0 1 2 with vertex 1 in bone 0, vertex 3 at vertex 0's position (a duplicate pair
  // once the list is built), vertices 0 and 1 and the face selected.
  void SetUp() override {
    v0 = AddVertex(0, 0, 0);
    v1 = AddVertex(1, 0, 0);
    v2 = AddVertex(0, 1, 0);
    v3 = AddVertex(0, 0, 0);
    face = model.MakeFace(v0, v1, v2);
    ASSERT_TRUE(AddBone(model, "root", -1, Matrix4::Identity(), 1));
    ASSERT_TRUE(AddVertexWeight(model, 0, v1));
    model.RebuildDuplicates();
    model.DeselectAll();
    model.vertices.Select(v0);
    model.vertices.Select(v1);
    model.faces.Select(face);
    before = Dump(model);
  }

  std::vector<std::uint32_t> SelectedPairs() const {
    std::vector<std::uint32_t> pairs;
    for (const Duplicate* d : model.duplicates.Selected()) {
      pairs.push_back(d->vertex->id);
      pairs.push_back(d->twin->id);
    }
    return pairs;
  }

  Vertex* v0 = nullptr;
  Vertex* v1 = nullptr;
  Vertex* v2 = nullptr;
  Vertex* v3 = nullptr;
  Face* face = nullptr;
  std::string before;
};

TEST_F(DuplicateVertices, AnsweredNoTheFacesStayAndThePairsAreSelected) {
  DuplicateSelectedVertices(model, false);
  // From the tail: vertex 1 is copied first (4), then vertex 0 (5).
  EXPECT_EQ(model.vertices.FindById(4)->position, v1->position);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(0, 1, 4, 5));
  EXPECT_EQ(Corners(face), (std::vector<std::uint32_t>{0, 1, 2}));
  // The rebuilt pair {0, 3} leads, the two new pairs follow in the order they were made.
  EXPECT_EQ(SelectedPairs(), (std::vector<std::uint32_t>{0, 3, 1, 4, 0, 5}));
  ASSERT_EQ(model.bones[0].weights.count(), 2u);
  EXPECT_EQ(model.bones[0].weights.tail()->vertex->id, 4u);
  EXPECT_TRUE(model.geometryChanged);
}

TEST_F(DuplicateVertices, AnsweredYesTheFacesMoveOntoTheCopiesAndUndoLeavesNoStalePair) {
  DuplicateSelectedVertices(model, true);
  // Corner 0 has two selected pairs, {0, 3} and {0, 5}; the copy just made wins.
  EXPECT_EQ(Corners(face), (std::vector<std::uint32_t>{5, 4, 2}));
  EXPECT_THAT(SelectedIds(model.vertices), IsEmpty());
  EXPECT_EQ(model.faces.selCount(), 1u);

  Undo(model);
  EXPECT_EQ(Dump(model), before);
  // The pairs naming the removed copies are gone; a rebuild finds the one pair that exists.
  for (const Duplicate* d : model.duplicates) {
    EXPECT_NE(model.vertices.FindById(d->twin->id), nullptr);
  }
  EXPECT_TRUE(model.geometryChanged);
  model.RebuildDuplicates();
  ASSERT_EQ(model.duplicates.count(), 1u);
  EXPECT_EQ(model.duplicates.head()->vertex, v0);
  EXPECT_EQ(model.duplicates.head()->twin, v3);
}

TEST_F(DuplicateVertices, BackFacesFaceTheOtherWayOnCopiesThatKeepBonesAndNormals) {
  model.SetVertex(v2, v2->position, {0.5f, 0, 0.5f}, 0.25f, 0.75f);
  DuplicateBackFaces(model);
  ASSERT_EQ(model.vertices.count(), 7u);
  const Vertex* copy2 = model.vertices.FindById(6);
  EXPECT_EQ(copy2->normal, (Vector3{0.5f, 0, 0.5f}));
  EXPECT_EQ(copy2->u, 0.25f);
  ASSERT_EQ(model.faces.count(), 2u);
  EXPECT_EQ(Corners(model.faces.tail()), (std::vector<std::uint32_t>{6, 5, 4}));
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(0, 1));
  ASSERT_EQ(model.bones[0].weights.count(), 2u);
  EXPECT_EQ(model.bones[0].weights.tail()->vertex->id, 5u);  // the copy of vertex 1

  model.DeselectAll();
  const std::uint64_t words = Words();
  DuplicateBackFaces(model);  // nothing selected: nothing written
  EXPECT_EQ(Words(), words);
}

// ---- fan

TEST_F(FaceOps, FanOrdersTheOthersByAngleAsTheCameraSeesThem) {
  Vertex* right = AddVertex(1, 0, 0);
  Vertex* up = AddVertex(0, 1, 0);
  Vertex* left = AddVertex(-1, 0, 0);
  Vertex* down = AddVertex(0, -1, 0);
  Vertex* centre = AddVertex(0, 0, 0);
  auto selectAll = [&] {
    model.DeselectAll();
    for (Vertex* v : {right, up, left, down, centre}) model.vertices.Select(v);
  };

  // Angles from +y towards +x: left -pi/2, up 0, right pi/2, down pi. Five vertices, three
  // faces, open between down and left.
  selectAll();
  FanSelectedVertices(model, 0, 0, 0);
  ASSERT_EQ(model.faces.count(), 3u);
  EXPECT_EQ(Corners(FaceById(0)), (std::vector<std::uint32_t>{2, 4, 1}));
  EXPECT_EQ(Corners(FaceById(1)), (std::vector<std::uint32_t>{1, 4, 0}));
  EXPECT_EQ(Corners(FaceById(2)), (std::vector<std::uint32_t>{0, 4, 3}));

  // Rolled a quarter turn the view sees x' = -y, y' = x: up comes first.
  Undo(model);
  selectAll();
  FanSelectedVertices(model, 0, 0, std::numbers::pi_v<float> / 2);
  ASSERT_EQ(model.faces.count(), 3u);
  EXPECT_EQ(Corners(FaceById(3)), (std::vector<std::uint32_t>{1, 4, 0}));
  EXPECT_EQ(Corners(FaceById(4)), (std::vector<std::uint32_t>{0, 4, 3}));
  EXPECT_EQ(Corners(FaceById(5)), (std::vector<std::uint32_t>{3, 4, 2}));

  // Equal angles keep selection order; a position that is not a number sorts last.
  Undo(model);
  Vertex* further = AddVertex(0, 2, 0);
  Vertex* lost = AddVertex(std::numeric_limits<float>::quiet_NaN(), 0, 0);
  model.DeselectAll();
  for (Vertex* v : {lost, further, up, right, centre}) model.vertices.Select(v);
  FanSelectedVertices(model, 0, 0, 0);
  ASSERT_EQ(model.faces.count(), 3u);
  EXPECT_EQ(Corners(FaceById(6)), (std::vector<std::uint32_t>{5, 4, 1}));
  EXPECT_EQ(Corners(FaceById(7)), (std::vector<std::uint32_t>{1, 4, 0}));
  EXPECT_EQ(Corners(FaceById(8)), (std::vector<std::uint32_t>{0, 4, 6}));

  model.DeselectAll();
  model.vertices.Select(up);
  model.vertices.Select(centre);
  const std::uint64_t words = Words();
  FanSelectedVertices(model, 0, 0, 0);
  EXPECT_EQ(Words(), words);
}

// ---- selections

TEST_F(FaceOps, SelectUnconnectedReplacesTheSelectionInListOrder) {
  SelectUnconnectedVertices(model);  // no vertex: nothing, not even a group
  EXPECT_EQ(Words(), 0u);

  Vertex* a = AddVertex(0, 0, 0);
  AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  AddVertex(5, 5, 5);
  model.MakeFace(a, model.vertices.FindById(1), c);
  AddVertex(6, 6, 6);
  model.DeselectAll();
  model.vertices.Select(a);
  SelectUnconnectedVertices(model);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(3, 4));
  EXPECT_EQ(Words(), 2u);
}

TEST_F(FaceOps, SelectConnectedWalksTheVertexConnectedRegionInFaceListOrder) {
  std::vector<Vertex*> v;
  for (int i = 0; i < 12; ++i) v.push_back(AddVertex(float(i), 0, 0));
  model.MakeFace(v[4], v[5], v[6]);    // 0: through corner 4 of face 2
  model.MakeFace(v[7], v[8], v[9]);    // 1: not connected
  model.MakeFace(v[2], v[3], v[4]);    // 2: where the walk starts
  model.MakeFace(v[2], v[0], v[1]);    // 3: through corner 2 of face 2, met first
  model.MakeFace(v[0], v[10], v[11]);  // 4: only through face 3
  model.DeselectAll();

  auto selectConnected = [&] {
    model.DeselectAll();
    model.faces.Select(FaceById(2));
    SelectConnectedFaces(model);
  };
  selectConnected();
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(2, 0, 3, 4));
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(4, 5, 6, 2, 1, 0, 10, 11));
  EXPECT_EQ(Words(), 0u);

  // Undo re-creates a deleted face at the tail under its old id: list order now puts face 0
  // after face 3.
  model.DeselectAll();
  model.faces.Select(FaceById(0));
  DeleteSelectedFaces(model);
  Undo(model);
  selectConnected();
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(2, 3, 0, 4));
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(2, 1, 4, 5, 6, 0, 10, 11));
}

TEST_F(FaceOps, FacesWithAMissingCornerAreLeftAlone) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  Face* whole = model.MakeFace(a, b, c);
  Face* broken = model.MakeFaceFromIds(1, a->id, b->id, 99);  // there is no vertex 99
  model.faces.ReserveIdsBelow(2);
  auto brokenIntact = [&] { return broken->a == a && broken->b == b && broken->c == nullptr; };
  auto selectBoth = [&] {
    model.DeselectAll();
    model.faces.Select(broken);
    model.faces.Select(whole);
  };

  selectBoth();
  ReverseSelectedFaces(model);
  EXPECT_TRUE(brokenIntact());
  selectBoth();
  DuplicateBackFaces(model);  // only the whole face gets a back face
  EXPECT_EQ(model.faces.count(), 3u);
  EXPECT_EQ(model.vertices.count(), 6u);
  Undo(model);
  selectBoth();
  // The whole face is cut into four; its edge (a, b) runs along the broken face, which is not
  // cut in two.
  SplitSelectedFaces(model, true);
  EXPECT_EQ(model.faces.count(), 5u);
  EXPECT_TRUE(brokenIntact());
  Undo(model);

  model.DeselectAll();
  model.faces.Select(broken);
  SelectConnectedFaces(model);  // spreads from nothing
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(1));
  model.DeselectAll();
  model.faces.Select(whole);
  SelectConnectedFaces(model);  // does not take the broken face in
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(0));

  selectBoth();
  model.vertices.Select(a);
  DuplicateSelectedVertices(model, true);
  EXPECT_TRUE(brokenIntact());
  EXPECT_EQ(Corners(whole), (std::vector<std::uint32_t>{9, 2, 1}));  // reversed; 9 copies a
}

// ---- commands

TEST_F(FaceOps, EachCommandAsksOnlyWhenItWillActAndIsOneUndoStep) {
  struct Case {
    std::uint32_t id;
    bool answer;  // to the command's question, if it asks one
    Refresh refresh;
    const char* question;  // text and caption, or null
  };
  const Case cases[] = {
      {kCommandReverseFace, false, Refresh::None, nullptr},
      {kCommandSplitFace, false, Refresh::None, "Use normals to deform splits?|Split Option"},
      {kCommandSplitFace, true, Refresh::None, "Use normals to deform splits?|Split Option"},
      {kCommandDuplicateVertices, false, Refresh::None,
       "Do you want to move selected faces to new duplicated vertices?|Confirm new faces."},
      {kCommandDuplicateVertices, true, Refresh::None,
       "Do you want to move selected faces to new duplicated vertices?|Confirm new faces."},
      {kCommandDuplicateBackFaces, false, Refresh::None, nullptr},
      {kCommandFanFaces, false, Refresh::None, nullptr},
      {kCommandSelectUnconnected, false, Refresh::None, nullptr},
      {kCommandSelectConnectedFaces, false, Refresh::Mesh, nullptr},
  };
  for (const Case& c : cases) {
    const CommandEntry* entry = FindCommand(c.id);
    ASSERT_NE(entry, nullptr) << c.id;
    SCOPED_TRACE(entry->scriptName);
    EXPECT_EQ(entry->input, CommandInput::None);

    // Nothing selected: no question, and nothing but the groups that are always written.
    model.Reset();
    AddPyramid(model);
    model.DeselectAll();
    host.ClearEvents();
    const std::uint64_t empty = Words();
    CommandContext idle(model);
    entry->handler(idle);
    EXPECT_THAT(host.events(), IsEmpty());
    const bool alwaysWrites = c.id == kCommandReverseFace || c.id == kCommandSelectUnconnected;
    EXPECT_EQ(Words(), empty + (alwaysWrites ? 2u : 0u));

    // Two faces, four vertices and a bone holding vertex 1.
    model.Reset();
    AddPyramid(model);
    ASSERT_TRUE(AddBone(model, "root", -1, Matrix4::Identity(), 1));
    ASSERT_TRUE(AddVertexWeight(model, 0, model.vertices.FindById(1)));
    model.DeselectAll();
    for (std::uint32_t id : {1, 0}) model.faces.Select(FaceById(id));
    for (std::uint32_t id : {3, 0, 1, 2}) model.vertices.Select(model.vertices.FindById(id));
    const std::string before = Dump(model);
    const std::uint64_t words = Words();
    host.ClearEvents();
    host.QueueYes(c.answer);
    CommandContext context(model);
    context.camera = {0.3f, 0.5f, 0.1f};
    EXPECT_EQ(entry->handler(context), c.refresh);
    if (c.question != nullptr) {
      ASSERT_EQ(host.events().size(), 1u);
      EXPECT_EQ(host.events()[0].text + "|" + host.events()[0].title, c.question);
    } else {
      EXPECT_THAT(host.events(), IsEmpty());
    }
    const std::string after = Dump(model);
    if (c.id == kCommandSelectConnectedFaces) {
      EXPECT_EQ(Words(), words);  // a selection, not journaled
      EXPECT_EQ(model.faces.selCount(), 6u);
      continue;
    }
    EXPECT_EQ(after == before, c.id == kCommandSelectUnconnected);
    Undo(model);
    EXPECT_EQ(Dump(model), before);
    EXPECT_EQ(Words(), words);
    Redo(model);
    EXPECT_EQ(Dump(model), after);
  }
}

class FaceCommands : public ::testing::Test {
 protected:
  // Runs the script and returns the text of the file it saved as "out.zmf".
  std::string RunAndRead(const std::string& script) {
    std::FILE* errors = std::tmpfile();
    const int code = RunBatchScript(model, host, script + "save " + folder.File("out.zmf") + "\n",
                                    "faces.txt", errors);
    std::rewind(errors);
    std::string printed(4096, '\0');
    printed.resize(std::fread(printed.data(), 1, printed.size(), errors));
    std::fclose(errors);
    EXPECT_EQ(code, 0) << printed;
    return ReadFile(folder.File("out.zmf"));
  }

  // The file's vertex and face sections; the material table after them is always the default.
  static std::string Mesh(const std::string& file) {
    const std::size_t from = file.find("VERTICES");
    const std::size_t to = file.find("MATERIALS");
    return from == std::string::npos || to == std::string::npos ? file : file.substr(from, to - from);
  }

  ~FaceCommands() override { std::fclose(boxes); }

  TempFolder folder;
  std::FILE* boxes = std::tmpfile();
  BatchHost host{boxes};
  RecordingTextureStore textures;
  Model model{host, textures};
};

// The triad: vertices 0 (-0.5, -0.5, -0.5), 1 (0, 0.5, 0), 2 (0.5, -0.5, -0.5), 3 (0, -0.5, 0.5);
// faces 0 (0 1 2), 1 (0 3 1), 2 (0 2 3), 3 (1 3 2).
constexpr const char* kTriadVertices =
    "VERTICES { POSITION_NORMAL %d\n"
    "\t-0.500000 -0.500000 -0.500000\t-0.500000 0.000000 -0.500000\n"
    "\t0.000000 0.500000 0.000000\t0.000000 1.000000 0.000000\n"
    "\t0.500000 -0.500000 -0.500000\t0.500000 0.000000 -0.500000\n"
    "\t0.000000 -0.500000 0.500000\t0.000000 0.000000 1.000000\n";

std::string TriadVertices(int count) {
  char head[512];
  std::snprintf(head, sizeof head, kTriadVertices, count);
  return head;
}

TEST_F(FaceCommands, SplitClosesTheCracksOfTheWholeTriad) {
  // Face 0 is cut into four; each of the other three faces runs along one of its edges and is
  // cut in two, from the tail of the list.
  EXPECT_EQ(Mesh(RunAndRead("add-triad\ndeselect-all\nselect-faces 0\nanswer no\nsplit-face\n")),
            TriadVertices(7) +
                "\t-0.250000 0.000000 -0.250000\t-0.250000 0.500000 -0.250000\n"
                "\t0.250000 0.000000 -0.250000\t0.250000 0.500000 -0.250000\n"
                "\t0.000000 -0.500000 -0.500000\t0.000000 0.000000 -0.500000\n"
                "}\n"
                "FACES { 10\n"
                "\t0 4 6\t0\n\t1 4 3\t0\n\t0 6 3\t0\n\t2 5 3\t0\n\t4 5 6\t0\n"
                "\t4 1 5\t0\n\t5 2 6\t0\n\t5 1 3\t0\n\t6 2 3\t0\n\t4 0 3\t0\n"
                "}\n");
  // Deformed, the midpoint of (0, 1) moves by 0.375 along its normal (-0.25, 0.5, -0.25).
  const std::string deformed = Mesh(RunAndRead(
      "new\nadd-triad\ndeselect-all\nselect-faces 0\nanswer yes\nsplit-face\n"));
  EXPECT_NE(deformed.find("\t-0.343750 0.187500 -0.343750\t-0.250000 0.500000 -0.250000\n"),
            std::string::npos)
      << deformed;
  // Undo takes the whole split back.
  const std::string undone = Mesh(RunAndRead("undo\n"));
  EXPECT_EQ(undone, Mesh(RunAndRead("new\nadd-triad\n")));
}

TEST_F(FaceCommands, ReverseDuplicateBackFacesAndFan) {
  EXPECT_EQ(Mesh(RunAndRead("add-triad\ndeselect-all\nselect-faces 0 2\nreverse-face\n")),
            TriadVertices(4) +
                "}\nFACES { 4\n\t0 2 1\t0\n\t0 3 1\t0\n\t0 3 2\t0\n\t1 3 2\t0\n}\n");
  // Copies of 0, 3 and 1 (4, 5, 6), and the face on them the other way round.
  const std::string back = Mesh(RunAndRead(
      "new\nadd-triad\ndeselect-all\nselect-faces 1\nduplicate-back-faces\n"));
  EXPECT_NE(back.find("VERTICES { POSITION_NORMAL 7\n"), std::string::npos) << back;
  EXPECT_NE(back.find("\t0.000000 0.500000 0.000000\t0.000000 1.000000 0.000000\n}\n"
                      "FACES { 5\n\t0 1 2\t0\n\t0 3 1\t0\n\t0 2 3\t0\n\t1 3 2\t0\n"
                      "\t6 5 4\t0\n}\n"),
            std::string::npos)
      << back;
  // Around vertex 3, seen from the front: 0 at -pi/2, 1 at 0, 2 at pi/2.
  const std::string fan = Mesh(RunAndRead(
      "new\nadd-triad\ndeselect-all\nselect-vertices 0 1 2 3\nfan-faces\n"));
  EXPECT_NE(fan.find("FACES { 6\n\t0 1 2\t0\n\t0 3 1\t0\n\t0 2 3\t0\n\t1 3 2\t0\n"
                     "\t0 3 1\t0\n\t1 3 2\t0\n}\n"),
            std::string::npos)
      << fan;
}

TEST_F(FaceCommands, DuplicateVerticesYesMovesTheSelectedFacesNoLeavesThem) {
  const std::string moved = Mesh(RunAndRead(
      "add-triad\ndeselect-all\nselect-vertices 0 1\nselect-faces 0\nanswer yes\n"
      "duplicate-vertices\n"));
  // From the selection's tail: 4 copies vertex 1, 5 copies vertex 0.
  EXPECT_EQ(moved, TriadVertices(6) +
                       "\t0.000000 0.500000 0.000000\t0.000000 1.000000 0.000000\n"
                       "\t-0.500000 -0.500000 -0.500000\t-0.500000 0.000000 -0.500000\n"
                       "}\nFACES { 4\n\t5 4 2\t0\n\t0 3 1\t0\n\t0 2 3\t0\n\t1 3 2\t0\n}\n");
  const std::string kept = Mesh(RunAndRead(
      "new\nadd-triad\ndeselect-all\nselect-vertices 0 1\nselect-faces 0\nanswer no\n"
      "duplicate-vertices\n"));
  EXPECT_NE(kept.find("FACES { 4\n\t0 1 2\t0\n"), std::string::npos) << kept;
  EXPECT_NE(kept.find("VERTICES { POSITION_NORMAL 6\n"), std::string::npos) << kept;
}

TEST_F(FaceCommands, SelectConnectedAndUnconnectedPickWholeParts) {
  // The triad's faces are all reached from face 0; once they are deleted its four vertices are
  // the unconnected ones. What remains is the pyramid, as it is saved on its own.
  const std::string rest = Mesh(RunAndRead(
      "add-triad\nadd-pyramid\ndeselect-all\nselect-faces 0\nselect-connected-faces\n"
      "delete-selected-faces\nselect-unconnected\ndelete-selected-vertices\n"));
  EXPECT_EQ(rest, Mesh(RunAndRead("new\nadd-pyramid\n")));
  EXPECT_NE(rest.find("FACES { 6\n"), std::string::npos) << rest;
}

}  // namespace
}  // namespace zmf::testing

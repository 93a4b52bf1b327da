// Face operations: split, duplicate vertices and back faces, fan, the topology selections,
// their undo, and their commands run from batch scripts.
#include <limits>
#include <numbers>

#include "anim/skeleton.h"
#include "batch_fixture.h"
#include "command/face_commands.h"
#include "edit/delete_selected.h"
#include "edit/face_operations.h"
#include "edit/face_selection.h"
#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/primitives.h"
#include "edit/split_faces.h"
#include "edit/undo_redo.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Ids3 = std::vector<std::uint32_t>;

class FaceOps : public ModelTest {
 protected:
  Vertex* AddVertexWithNormal(Vector3 position, Vector3 normal) {
    Vertex* vertex = model.AppendVertex();
    model.SetVertex(vertex, position, normal, position.x, position.y);
    return vertex;
  }
  Face* FaceById(std::uint32_t id) { return model.faces.FindById(id); }
  void SelectOnly(std::initializer_list<Face*> faces) {
    model.DeselectAll();
    for (Face* f : faces) model.faces.Select(f);
  }
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
  SelectOnly({f0, f1});

  edit::SplitSelectedFaces(model, false);
  // f1 first (the selection's tail): midpoints 5 on (1, 3), 6 on (3, 2), 7 on (2, 1); then f0
  // reuses 7 and makes 8 on (0, 1) and 9 on (2, 0).
  ASSERT_EQ(model.vertices.count(), 10u);
  EXPECT_EQ(model.vertices.FindById(7)->position, (Vector3{0.5f, 0.5f, 0}));
  const std::vector<Ids3> expected = {
      {0, 8, 9}, {1, 5, 7}, {3, 5, 4},  // the neighbour, rewired at its edge (3, 1)
      {5, 6, 7}, {5, 3, 6}, {6, 2, 7},  // from f1
      {8, 7, 9}, {8, 1, 7}, {7, 2, 9},  // from f0, on the shared midpoint
      {5, 1, 4},                        // the neighbour's other half
  };
  ASSERT_EQ(model.faces.count(), expected.size());
  for (std::uint32_t id = 0; id < expected.size(); ++id) {
    EXPECT_EQ(CornerIds(FaceById(id)), expected[id]) << "face " << id;
  }
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(0, 1, 3, 4, 5, 6, 7, 8, 9));
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(5, 6, 7, 8, 9));
}

TEST_F(FaceOps, SplitClosesEveryCutEdgeOfANeighbour) {
  // Face 0 lies along the cut edges (0, 1) and (1, 2) of its two selected neighbours. Cut at
  // (0, 1), the half it hands off holds (1, 2) and is cut there too, so no crack stays open.
  Vertex* v0 = AddVertex(0, 0, 0);
  Vertex* v1 = AddVertex(1, 0, 0);
  Vertex* v2 = AddVertex(0, 1, 0);
  model.MakeFace(v0, v1, v2);
  Face* below = model.MakeFace(v1, v0, AddVertex(0.5f, -1, 0));
  Face* beside = model.MakeFace(v2, v1, AddVertex(1, 1, 0));
  SelectOnly({below, beside});
  edit::SplitSelectedFaces(model, false);
  // Midpoints: 5 on (2, 1), 6, 7 from the face beside; 8 on (1, 0), 9, 10 from the one below.
  ASSERT_EQ(model.faces.count(), 11u);
  EXPECT_EQ(CornerIds(FaceById(0)), (Ids3{0, 8, 2}));
  EXPECT_EQ(CornerIds(FaceById(9)), (Ids3{1, 5, 8}));
  EXPECT_EQ(CornerIds(FaceById(10)), (Ids3{5, 2, 8}));
}

TEST_F(FaceOps, SplitDeformLeavesAFlatPatchFlat) {
  // Equal normals: t = 0 and the midpoints are the plain means (the scripts below check a
  // deformed one). A zero-length edge (the third corner sits on the second) is not divided by.
  Face* flat = model.MakeFace(AddVertexWithNormal({0, 0, 0}, {0, 0, 1}),
                              AddVertexWithNormal({2, 0, 0}, {0, 0, 1}),
                              AddVertexWithNormal({2, 0, 0}, {0, 0, 1}));
  SelectOnly({flat});
  edit::SplitSelectedFaces(model, true);
  const Vertex* ab = model.vertices.FindById(3);
  EXPECT_EQ(ab->position, (Vector3{1, 0, 0}));
  EXPECT_EQ(ab->normal, (Vector3{0, 0, 1}));
  EXPECT_EQ(ab->u, 1.0f);
  EXPECT_EQ(model.vertices.FindById(4)->position, (Vector3{2, 0, 0}));
}

// ---- duplicate vertices and back faces

class DuplicateVertices : public FaceOps {
 protected:
  // A triangle 0 1 2 with vertex 1 in bone 0 and vertex 3 at vertex 0's position (a duplicate
  // pair once the list is built); vertices 0 and 1 and the face selected.
  void SetUp() override {
    v0 = AddVertex(0, 0, 0);
    v1 = AddVertex(1, 0, 0);
    v3 = AddVertex(0, 0, 0);
    face = model.MakeFace(v0, v1, AddVertex(0, 1, 0));
    ASSERT_TRUE(anim::AddBone(model, "root", -1, Matrix4::Identity(), 1));
    ASSERT_TRUE(anim::AddVertexWeight(model, 0, v1));
    model.RebuildDuplicates();
    SelectOnly({face});
    model.vertices.Select(v0);
    model.vertices.Select(v1);
    before = DumpModel(model);
  }

  Ids3 SelectedPairs() const {
    Ids3 pairs;
    for (const Duplicate* d : model.duplicates.Selected()) {
      pairs.insert(pairs.end(), {d->vertex->id, d->twin->id});
    }
    return pairs;
  }

  Vertex* v0 = nullptr;
  Vertex* v1 = nullptr;
  Vertex* v3 = nullptr;
  Face* face = nullptr;
  std::string before;
};

TEST_F(DuplicateVertices, NoKeepsTheFacesYesMovesThemAndUndoLeavesNoStalePair) {
  edit::DuplicateSelectedVertices(model, false);
  // From the tail: vertex 1 is copied first (4), then vertex 0 (5). The rebuilt pair {0, 2}
  // leads the selected pairs.
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(0, 1, 4, 5));
  EXPECT_EQ(CornerIds(face), (Ids3{0, 1, 3}));
  EXPECT_EQ(SelectedPairs(), (Ids3{0, 2, 1, 4, 0, 5}));
  EXPECT_EQ(model.bones[0].weights.tail()->vertex->id, 4u);
  edit::Undo(model);

  model.RebuildDuplicates();  // the Undo emptied the list
  model.vertices.Select(v0);
  model.vertices.Select(v1);
  edit::DuplicateSelectedVertices(model, true);
  // Corner 0 has two selected pairs, {0, 2} and {0, 7}: the copy just made wins.
  EXPECT_EQ(CornerIds(face), (Ids3{7, 6, 3}));
  EXPECT_THAT(SelectedIds(model.vertices), IsEmpty());
  edit::Undo(model);
  EXPECT_EQ(DumpModel(model), before);
  // No pair names a removed copy, the list counts as stale, and a rebuild finds the one pair.
  for (const Duplicate* d : model.duplicates) EXPECT_EQ(d->twin, v3);
  EXPECT_TRUE(model.geometryChanged);
  model.RebuildDuplicates();
  EXPECT_EQ(model.duplicates.count(), 1u);
}

TEST_F(DuplicateVertices, BackFacesFaceTheOtherWayOnCopiesThatKeepBonesAndNormals) {
  model.SetVertex(v1, v1->position, {0.5f, 0, 0.5f}, 0.25f, 0.75f);
  edit::DuplicateBackFaces(model);
  ASSERT_EQ(model.faces.count(), 2u);
  EXPECT_EQ(CornerIds(model.faces.tail()), (Ids3{6, 5, 4}));
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(0, 1));
  const Vertex* copy = model.vertices.FindById(5);  // of vertex 1
  EXPECT_EQ(copy->normal, v1->normal);
  EXPECT_EQ(copy->v, 0.75f);
  EXPECT_EQ(model.bones[0].weights.tail()->vertex, copy);
}

// ---- fan

TEST_F(FaceOps, FanOrdersTheOthersByAngleAsTheCameraSeesThem) {
  Vertex* right = AddVertex(1, 0, 0);
  Vertex* up = AddVertex(0, 1, 0);
  Vertex* left = AddVertex(-1, 0, 0);
  Vertex* down = AddVertex(0, -1, 0);
  Vertex* centre = AddVertex(0, 0, 0);
  Vertex* further = AddVertex(0, 2, 0);
  Vertex* lost = AddVertex(std::numeric_limits<float>::quiet_NaN(), 0, 0);
  auto fan = [&](std::initializer_list<Vertex*> selection, float roll) {
    model.DeselectAll();
    for (Vertex* v : selection) model.vertices.Select(v);
    const std::uint32_t first = model.faces.nextId();
    edit::FanSelectedVertices(model, 0, 0, roll);
    std::vector<Ids3> faces;
    for (Face* f = model.faces.FindById(first); f != nullptr; f = f->next) {
      faces.push_back(CornerIds(f));
    }
    return faces;
  };

  // From +y towards +x: left -pi/2, up 0, right pi/2, down pi. Three faces, open between down
  // and left.
  EXPECT_EQ(fan({right, up, left, down, centre}, 0),
            (std::vector<Ids3>{{2, 4, 1}, {1, 4, 0}, {0, 4, 3}}));
  // Rolled a quarter turn the view sees x' = -y, y' = x: up comes first.
  EXPECT_EQ(fan({right, up, left, down, centre}, std::numbers::pi_v<float> / 2),
            (std::vector<Ids3>{{1, 4, 0}, {0, 4, 3}, {3, 4, 2}}));
  // Equal angles keep selection order; a position that is not a number sorts last.
  EXPECT_EQ(fan({lost, further, up, right, centre}, 0),
            (std::vector<Ids3>{{5, 4, 1}, {1, 4, 0}, {0, 4, 6}}));
  const std::uint64_t words = Words();
  EXPECT_THAT(fan({up, centre}, 0), IsEmpty());
  EXPECT_EQ(Words(), words);
}

// ---- selections

TEST_F(FaceOps, SelectConnectedWalksTheVertexConnectedRegionInFaceListOrder) {
  std::vector<Vertex*> v;
  for (int i = 0; i < 12; ++i) v.push_back(AddVertex(float(i), 0, 0));
  model.MakeFace(v[4], v[5], v[6]);    // 0: through corner 4 of face 2
  model.MakeFace(v[7], v[8], v[9]);    // 1: not connected
  model.MakeFace(v[2], v[3], v[4]);    // 2: where the walk starts
  model.MakeFace(v[2], v[0], v[1]);    // 3: through corner 2 of face 2, met first
  model.MakeFace(v[0], v[10], v[11]);  // 4: only through face 3

  SelectOnly({FaceById(2)});
  edit::SelectConnectedFaces(model);
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(2, 0, 3, 4));
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(4, 5, 6, 2, 1, 0, 10, 11));
  EXPECT_EQ(Words(), 0u);
}

TEST_F(FaceOps, FacesWithAMissingCornerAreLeftAlone) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Face* whole = model.MakeFace(a, b, AddVertex(0, 1, 0));
  Face* broken = model.MakeFaceFromIds(1, a->id, b->id, 99);  // there is no vertex 99
  auto intact = [&] { return broken->a == a && broken->b == b && broken->c == nullptr; };

  SelectOnly({broken, whole});
  edit::ReverseSelectedFaces(model);
  edit::DuplicateBackFaces(model);  // only the whole face gets a back face
  EXPECT_EQ(model.faces.count(), 3u);
  SelectOnly({broken, whole});
  // The whole face is cut into four; the broken face along its edge (a, b) is not cut.
  edit::SplitSelectedFaces(model, true);
  EXPECT_EQ(model.faces.count(), 3u + 3u);
  SelectOnly({broken});
  edit::SelectConnectedFaces(model);  // spreads from nothing
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(1));
  SelectOnly({whole});
  edit::SelectConnectedFaces(model);  // does not take the broken face in
  EXPECT_FALSE(broken->selected);
  model.faces.Select(broken);
  model.vertices.Select(a);
  edit::DuplicateSelectedVertices(model, true);
  EXPECT_TRUE(intact());
}

// ---- commands

TEST_F(FaceOps, EachCommandAsksOnlyWhenItWillActAndIsOneUndoStep) {
  const char* split = "Use normals to deform splits?|Split Option";
  const char* copy =
      "Do you want to move selected faces to new duplicated vertices?|Confirm new faces.";
  const struct {
    std::uint32_t id;
    bool answer;           // to the command's question, if it asks one
    const char* question;  // "text|caption", or null
  } cases[] = {
      {command::kCommandReverseFace, false, nullptr},
      {command::kCommandSplitFace, false, split},
      {command::kCommandSplitFace, true, split},
      {command::kCommandDuplicateVertices, false, copy},
      {command::kCommandDuplicateVertices, true, copy},
      {command::kCommandDuplicateBackFaces, false, nullptr},
      {command::kCommandFanFaces, false, nullptr},
      {command::kCommandSelectUnconnected, false, nullptr},
      {command::kCommandSelectConnectedFaces, false, nullptr},
  };
  for (const auto& c : cases) {
    const command::CommandEntry* entry = command::FindCommand(c.id);
    ASSERT_NE(entry, nullptr) << c.id;
    SCOPED_TRACE(entry->scriptName);

    // Nothing selected: no question, and nothing but the groups that are always written.
    model.Reset();
    edit::AddPyramid(model);
    model.DeselectAll();
    host.ClearEvents();
    const std::uint64_t empty = Words();
    command::CommandContext idle(model);
    entry->handler(idle);
    EXPECT_THAT(host.events(), IsEmpty());
    const bool alwaysWrites =
        c.id == command::kCommandReverseFace || c.id == command::kCommandSelectUnconnected;
    EXPECT_EQ(Words(), empty + (alwaysWrites ? 2u : 0u));

    // Two faces, four vertices and a bone holding vertex 1.
    model.Reset();
    edit::AddPyramid(model);
    ASSERT_TRUE(anim::AddBone(model, "root", -1, Matrix4::Identity(), 1));
    ASSERT_TRUE(anim::AddVertexWeight(model, 0, model.vertices.FindById(1)));
    SelectOnly({FaceById(1), FaceById(0)});
    for (std::uint32_t id : {3, 0, 1, 2}) model.vertices.Select(model.vertices.FindById(id));
    const std::string before = DumpModel(model);
    const std::uint64_t words = Words();
    host.ClearEvents();
    host.QueueYes(c.answer);
    command::CommandContext context(model);
    view::EditorState editor;
    editor.camera.pitch = 0.3f;
    editor.camera.yaw = 0.5f;
    editor.camera.roll = 0.1f;
    context.editor = &editor;
    entry->handler(context);
    if (c.question != nullptr) {
      ASSERT_EQ(host.events().size(), 1u);
      EXPECT_EQ(host.events()[0].text + "|" + host.events()[0].title, c.question);
    } else {
      EXPECT_THAT(host.events(), IsEmpty());
    }
    if (c.id == command::kCommandSelectConnectedFaces) {
      EXPECT_EQ(model.faces.selCount(), 6u);
      EXPECT_EQ(Words(), words);  // a selection, not journaled
      continue;
    }
    EXPECT_EQ(DumpModel(model) == before, c.id == command::kCommandSelectUnconnected);
    edit::Undo(model);
    EXPECT_EQ(DumpModel(model), before);
    EXPECT_EQ(Words(), words);
  }
}

class FaceCommands : public BatchScriptTest {
 protected:
  // The vertex and face sections of the file the script saves; the material table after them
  // is always the default one.
  std::string Run(const std::string& script) {
    EXPECT_EQ(BatchScriptTest::Run(script + "save @/out.zmf\n"), 0) << printed;
    const std::string text = Saved("out.zmf");
    const std::size_t from = text.find("VERTICES");
    return text.substr(from, text.find("MATERIALS") - from);
  }
};

// The triad: vertices 0 (-0.5, -0.5, -0.5), 1 (0, 0.5, 0), 2 (0.5, -0.5, -0.5), 3 (0, -0.5, 0.5);
// faces 0 (0 1 2), 1 (0 3 1), 2 (0 2 3), 3 (1 3 2).
TEST_F(FaceCommands, ScriptsRunEachCommandWithItsAnswers) {
  const struct {
    const char* script;  // run on a new triad
    const char* part;    // of what it saves
  } cases[] = {
      // Face 0 is cut into four; each other face runs along one of its edges and is cut in two.
      {"select-faces 0\nanswer no\nsplit-face\n",
       "\t-0.250000 0.000000 -0.250000\t-0.250000 0.500000 -0.250000\t0.250000 0.500000\n"},
      {"select-faces 0\nanswer no\nsplit-face\n", "FACES { 10\n\t0 4 6\t0\n\t1 4 3\t0\n"},
      // Deformed, the midpoint of (0, 1) moves by 0.375 along its normal (-0.25, 0.5, -0.25).
      {"select-faces 0\nanswer yes\nsplit-face\n",
       "\t-0.343750 0.187500 -0.343750\t-0.250000 0.500000 -0.250000\t0.250000 0.500000\n"},
      {"select-faces 0 2\nreverse-face\n", "FACES { 4\n\t0 2 1\t0\n\t0 3 1\t0\n\t0 3 2\t0\n"},
      // Copies 4, 5, 6 of face 1's corners 0, 3, 1, and the face on them the other way round.
      {"select-faces 1\nduplicate-back-faces\n", "\t1 3 2\t0\n\t6 5 4\t0\n}"},
      // From the selection's tail: 4 copies vertex 1, 5 copies vertex 0; face 0 moves onto them.
      {"select-vertices 0 1\nselect-faces 0\nanswer yes\nduplicate-vertices\n",
       "POSITION_NORMAL_TEXCOORDS 6\n"},
      {"select-vertices 0 1\nselect-faces 0\nanswer yes\nduplicate-vertices\n",
       "FACES { 4\n\t5 4 2\t0\n"},
      // Around vertex 3 seen from the front: 0 at -pi/2, 1 at 0, 2 at pi/2.
      {"select-vertices 0 1 2 3\nfan-faces\n", "\t1 3 2\t0\n\t0 3 1\t0\n\t1 3 2\t0\n}"},
  };
  for (const auto& c : cases) {
    const std::string saved = Run(std::string("new\nadd-triad\ndeselect-all\n") + c.script);
    EXPECT_THAT(saved, HasSubstr(c.part)) << c.script;
  }
  // One Undo takes the whole split back.
  EXPECT_EQ(Run("new\nadd-triad\nselect-all\nanswer yes\nsplit-face\nundo\n"),
            Run("new\nadd-triad\n"));
  // Cancel, where Yes and No both go on, runs nothing.
  for (const char* command : {"split-face\n", "duplicate-vertices\n", "reflection\n"}) {
    EXPECT_EQ(Run(std::string("new\nadd-triad\nselect-all\ncancel\n") + command),
              Run("new\nadd-triad\nselect-all\n"))
        << command;
  }

  // Face 0 reaches all the triad's faces; once they are deleted its vertices are the
  // unconnected ones. What remains is the pyramid as it is saved on its own.
  const std::string rest =
      Run("new\nadd-triad\nadd-pyramid\ndeselect-all\nselect-faces 0\nselect-connected-faces\n"
          "delete-selected-faces\nselect-unconnected\ndelete-selected-vertices\n");
  EXPECT_EQ(rest, Run("new\nadd-pyramid\n"));
}

}  // namespace
}  // namespace zmf::testing

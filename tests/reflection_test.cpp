// Reflection and surface of revolution: the records they add, in order, with their ids; their
// single undo step; their commands, questions and saved results.
#include "edit/reflection.h"

#include <cmath>

#include "batch_fixture.h"
#include "command/reflect_commands.h"
#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/revolution.h"
#include "edit/undo_redo.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using Triple = std::vector<std::uint32_t>;

std::vector<Triple> Corners(const Model& m) {
  std::vector<Triple> corners;
  for (const Face* f : m.faces) corners.push_back({f->a->id, f->b->id, f->c->id});
  return corners;
}

class Reflection : public ModelTest {
 protected:
  // A selected vertex with its own normal and texture coordinates.
  Vertex* Selected(float x, float y, float z) {
    Vertex* v = model.AppendVertex();
    model.SetVertex(v, {x, y, z}, {x / 4, 0.5f, -1}, x / 8, y / 8);
    model.vertices.Select(v);
    return v;
  }

  Face* SelectedFace(Vertex* a, Vertex* b, Vertex* c) {
    Face* f = model.MakeFace(a, b, c);
    model.faces.Select(f);
    return f;
  }

  // One selected triangle at x > 0: vertices 0, 1, 2 selected in that order, face 0.
  void Triangle() {
    Vertex* a = Selected(1, 0, 0);
    Vertex* b = Selected(2, 0, 3);
    Vertex* c = Selected(1, 1, 0);
    SelectedFace(a, b, c);
  }
};

TEST_F(Reflection, OneTriangleMirrorsFromTheSelectionTailAndReversesItsWinding) {
  Triangle();
  edit::ReflectSelection(model, false);

  ASSERT_EQ(model.vertices.count(), 6u);
  // Vertices 3, 4, 5 mirror 2, 1, 0: the selection is walked from its tail.
  const Vertex* v4 = model.vertices.FindById(4);
  EXPECT_EQ(model.vertices.FindById(3)->position, (Vector3{-1, 1, 0}));
  EXPECT_EQ(v4->position, (Vector3{-2, 0, 3}));
  EXPECT_EQ(v4->normal, (Vector3{-0.5f, 0.5f, -1}));
  EXPECT_EQ(v4->u, 0.25f);
  EXPECT_EQ(v4->savedPosition, v4->position);
  // Face (A, B, C) = (0, 1, 2) becomes (A', C', B').
  EXPECT_THAT(Corners(model), ElementsAre(Triple{0, 1, 2}, Triple{5, 3, 4}));
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(0, 1, 2, 3, 4, 5));
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(0, 1));
}

TEST_F(Reflection, StitchingJoinsEveryBorderEdgeToItsMirrorEdge) {
  Triangle();
  edit::ReflectSelection(model, true);
  // A, B, C = 0, 1, 2 and A', B', C' = 5, 4, 3: all three edges are border edges.
  EXPECT_THAT(Corners(model), ElementsAre(Triple{0, 1, 2}, Triple{5, 3, 4},    //
                                          Triple{1, 0, 5}, Triple{5, 4, 1},    // A-B
                                          Triple{2, 1, 4}, Triple{4, 3, 2},    // B-C
                                          Triple{0, 2, 3}, Triple{3, 5, 0}));  // C-A
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(0, 1, 2, 3, 4, 5, 6, 7));

  // A quad of two faces sharing the edge 0-2, a face whose corner 4 is not selected (no mirror,
  // but it holds the edge 1-2), and a face with a null corner, which is skipped throughout.
  model.Reset();
  Vertex* v0 = Selected(1, 0, 0);
  Vertex* v1 = Selected(2, 0, 0);
  Vertex* v2 = Selected(2, 1, 0);
  Vertex* v3 = Selected(1, 1, 0);
  Vertex* v4 = model.AppendVertex();
  SelectedFace(v0, v1, v2);
  SelectedFace(v0, v2, v3);
  SelectedFace(v1, v4, v2);
  model.faces.Select(model.MakeFaceFromIds(3, 0, 99, 3));
  ASSERT_EQ(model.faces.tail()->b, nullptr);
  edit::ReflectSelection(model, true);
  // Mirrors: 5 = 3', 6 = 2', 7 = 1', 8 = 0'. Faces walked 3 (skipped), 2 (no mirror), 1, 0.
  const std::vector<Triple> expected = {
      {0, 1, 2}, {0, 2, 3}, {1, 4, 2}, {8, 5, 6},  // mirror of face 1 (0, 2, 3)
      {8, 6, 7},                                   // mirror of face 0 (0, 1, 2)
      {3, 2, 6}, {6, 5, 3},                        // face 1, edge 2-3
      {0, 3, 5}, {5, 8, 0},  // face 1, edge 3-0: the null-corner face does not hold it
      {1, 0, 8}, {8, 7, 1},  // face 0, edge 0-1; 1-2 and 2-0 belong to other faces too
  };
  model.RemoveFace(model.faces.FindById(3));
  EXPECT_THAT(Corners(model), ElementsAreArray(expected));
  EXPECT_EQ(model.vertices.count(), 9u);

  // A face with a repeated corner, (0, 0, 1): its edge 0-0 is a border edge only while no other
  // selected face has vertex 0.
  for (const bool withNeighbour : {false, true}) {
    model.Reset();
    Vertex* a = Selected(1, 0, 0);
    Vertex* b = Selected(2, 0, 0);
    Vertex* c = Selected(2, 1, 0);
    Vertex* d = Selected(1, 1, 0);
    SelectedFace(a, a, b);
    if (withNeighbour) SelectedFace(a, c, d);
    edit::ReflectSelection(model, true);
    // Mirrors: 4 = 3', 5 = 2', 6 = 1', 7 = 0'.
    const std::vector<Triple> alone = {
        {0, 0, 1}, {7, 6, 7}, {0, 0, 7}, {7, 7, 0},  // 0-0
        {1, 0, 7}, {7, 6, 1},                        // 0-1
        {0, 1, 6}, {6, 7, 0},                        // 1-0
    };
    const std::vector<Triple> neighboured = {
        {0, 0, 1}, {0, 2, 3}, {7, 4, 5}, {7, 6, 7}, {2, 0, 7}, {7, 5, 2}, {3, 2, 5}, {5, 4, 3},
        {0, 3, 4}, {4, 7, 0}, {1, 0, 7}, {7, 6, 1}, {0, 1, 6}, {6, 7, 0},  // no 0-0: face 1 has
                                                                           // vertex 0
    };
    EXPECT_THAT(Corners(model), ElementsAreArray(withNeighbour ? neighboured : alone));
  }
}

TEST_F(Reflection, RevolvingTwoVerticesMakesNineRingsClosedOnTheProfile) {
  Vertex* top = model.AppendVertex();
  model.SetVertex(top, {1, 2, 0}, {0, 1, 0}, 0.25f, 0.5f);
  Vertex* bottom = model.AppendVertex();
  model.SetVertex(bottom, {0.5f, -1, 0.25f}, {1, 0, 0}, 0.75f, 1);
  model.vertices.Select(top);
  model.vertices.Select(bottom);
  edit::RevolveSelection(model);

  ASSERT_EQ(model.vertices.count(), 18u);
  for (std::uint32_t s = 1; s <= 8; ++s) {
    const double angle = s * 0.698131111111111;
    const double c = std::cos(angle), sn = std::sin(angle);
    const Vertex* t = model.vertices.FindById(2 + (s - 1) * 2);
    const Vertex* b = model.vertices.FindById(3 + (s - 1) * 2);
    // x' = cos x + sin z, y' = y, z' = -sin x + cos z; normals turn alike. The profile's
    // texture coordinates are not carried over.
    EXPECT_NEAR(b->position.x, 0.5 * c + 0.25 * sn, 1e-6) << s;
    EXPECT_NEAR(b->position.z, -0.5 * sn + 0.25 * c, 1e-6) << s;
    EXPECT_NEAR(b->normal.x, c, 1e-6) << s;
    EXPECT_EQ(t->position.y, 2.0f);
    EXPECT_EQ(t->u + t->v + b->u + b->v, 0.0f);
  }
  // Two faces per ring pair, each vertex followed by its own faces; then the closing pair.
  EXPECT_THAT(
      Corners(model),
      ElementsAre(Triple{2, 0, 1}, Triple{3, 2, 1}, Triple{4, 2, 3}, Triple{5, 4, 3},
                  Triple{6, 4, 5}, Triple{7, 6, 5}, Triple{8, 6, 7}, Triple{9, 8, 7},
                  Triple{10, 8, 9}, Triple{11, 10, 9}, Triple{12, 10, 11}, Triple{13, 12, 11},
                  Triple{14, 12, 13}, Triple{15, 14, 13}, Triple{16, 14, 15}, Triple{17, 16, 15},
                  Triple{16, 17, 0}, Triple{17, 1, 0}));
  EXPECT_EQ(model.faces.selCount(), 18u);
}

TEST_F(Reflection, RevolvingThreeOrOneVertices) {
  // A middle profile vertex makes two faces per ring pair, in the order the rules give.
  for (float y : {0.0f, 1.0f, 2.0f}) {
    Vertex* v = model.AppendVertex();
    model.SetVertex(v, {1, y, 0}, {1, 0, 0}, 0, 0);
    model.vertices.Select(v);
  }
  edit::RevolveSelection(model);
  EXPECT_EQ(model.vertices.count(), 3u + 24u);
  const std::vector<Triple> corners = Corners(model);
  ASSERT_EQ(corners.size(), 36u);
  EXPECT_THAT(std::vector<Triple>(corners.begin(), corners.begin() + 4),
              ElementsAre(Triple{3, 0, 1}, Triple{4, 1, 2}, Triple{4, 3, 1}, Triple{5, 4, 2}));
  EXPECT_THAT(
      std::vector<Triple>(corners.end() - 4, corners.end()),
      ElementsAre(Triple{24, 25, 0}, Triple{25, 1, 0}, Triple{25, 26, 1}, Triple{26, 2, 1}));

  // One vertex: its eight turned copies and no faces.
  model.Reset();
  Vertex* v = model.AppendVertex();
  model.SetVertex(v, {0, 0, 2}, {0, 0, 1}, 1, 1);
  model.vertices.Select(v);
  edit::RevolveSelection(model);
  EXPECT_EQ(model.vertices.count(), 9u);
  EXPECT_EQ(model.faces.count(), 0u);
  EXPECT_NEAR(model.vertices.tail()->position.x, 2 * std::sin(8 * 0.698131111111111), 1e-6);
}

TEST_F(Reflection, EachCommandIsOneUndoStepAndRedoRebuildsIt) {
  // A triangle of the selection plus an unselected triangle the commands leave alone.
  Triangle();
  Vertex* d = model.AppendVertex();
  model.SetVertex(d, {5, 5, 5}, {0, 0, 1}, 0.5f, 0.5f);
  model.MakeFace(model.vertices.head(), d, model.vertices.FindById(1));
  model.faces.Unselect(model.faces.tail());

  for (const std::uint32_t id :
       {command::kCommandReflection, command::kCommandSurfaceOfRevolution}) {
    for (const bool yes : {true, false}) {
      const std::string before = DumpModel(model);
      host.QueueYes(yes);
      command::CommandContext context(model);
      const command::CommandEntry* entry = command::FindCommand(id);
      ASSERT_NE(entry, nullptr) << id;
      entry->handler(context);
      const std::string after = DumpModel(model);
      ASSERT_NE(after, before);
      edit::Undo(model);
      EXPECT_EQ(DumpModel(model), before) << id << " " << yes;
      edit::Redo(model);
      EXPECT_EQ(DumpModel(model), after) << id << " " << yes;
      edit::Undo(model);
      host.ClearEvents();
    }
  }
}

TEST_F(Reflection, TheQuestionIsAskedOnlyWhenAVertexIsSelected) {
  Triangle();
  model.vertices.ClearSelection();  // the face stays selected
  command::CommandContext context(model);
  host.QueueYes(true);
  command::ReflectionCommand(context);
  EXPECT_TRUE(host.events().empty());
  EXPECT_EQ(model.journal.position(), 0u);
  command::SurfaceOfRevolutionCommand(context);
  edit::ReflectSelection(model, true);  // called directly it does nothing either
  EXPECT_EQ(model.journal.position(), 0u);
  EXPECT_EQ(model.vertices.count(), 3u);

  // The queued Yes is still there for the question when it is asked.
  model.vertices.Select(model.vertices.head());
  command::ReflectionCommand(context);
  ASSERT_EQ(host.events().size(), 1u);
  EXPECT_EQ(host.events()[0].kind, ScriptedHost::Event::Kind::Question);
  EXPECT_EQ(host.events()[0].text, "Connect edges when reflected?");
  EXPECT_EQ(host.events()[0].title, "X Reflection");
  EXPECT_EQ(model.vertices.count(), 4u);
  // The face has a corner without a mirror: no mirror face, so nothing to stitch.
  EXPECT_EQ(model.faces.count(), 1u);
  host.ClearEvents();
  command::SurfaceOfRevolutionCommand(context);
  EXPECT_TRUE(host.events().empty());
}

// ---- batch scripts

using ReflectionScripts = BatchScriptTest;

TEST_F(ReflectionScripts, ReflectingAndRevolvingTriadParts) {
  // Triad vertices 0 (-.5 -.5 -.5), 1 (0 .5 0), 2 (.5 -.5 -.5), 3 (0 -.5 .5); face 0 is 0 1 2.
  ASSERT_EQ(Run("add-triad\ndeselect-all\nselect-vertices 0 1 2\nselect-faces 0\n"
                "answer yes\nreflection\nsave @/yes.zmf\nundo\nanswer no\n32819\nsave @/no.zmf\n"
                "new\nadd-triad\ndeselect-all\nselect-vertices 1 3\nsurface-of-revolution\n"
                "save @/turned.zmf\n"),
            0)
      << printed;
  // Yes stitches the three border edges with two faces each; No adds the mirror face alone.
  // Mirrors 4 = 2', 5 = 1' (x = -0 prints as -0.000000), 6 = 0'.
  EXPECT_THAT(Saved("yes.zmf"),
              HasSubstr("\t-0.000000 0.500000 0.000000\t-0.000000 1.000000 0.000000\t"));
  EXPECT_THAT(Saved("yes.zmf"), HasSubstr("FACES { 11\n"));
  EXPECT_THAT(Saved("yes.zmf"), HasSubstr("\t1 3 2\t0\n\t6 4 5\t0\n\t1 0 6\t0\n"));
  // Undo took the mirrors out of the selection again, so No mirrors the same three vertices.
  EXPECT_THAT(Saved("no.zmf"), HasSubstr("POSITION_NORMAL_TEXCOORDS 7\n"));
  EXPECT_THAT(Saved("no.zmf"), HasSubstr("FACES { 5\n"));
  EXPECT_THAT(Saved("no.zmf"), HasSubstr("\t1 3 2\t0\n\t6 4 5\t0\n}"));
  // Vertex 1 sits on the axis; vertex 3, (0 -.5 .5) with normal (0 0 1), turns by a little
  // under 40 degrees a step: position (.5 sin, -.5, .5 cos), normal (sin, 0, cos).
  EXPECT_THAT(Saved("turned.zmf"), HasSubstr("POSITION_NORMAL_TEXCOORDS 20\n"));
  EXPECT_THAT(Saved("turned.zmf"),
              HasSubstr("\t0.321394 -0.500000 0.383022\t0.642787 0.000000 0.766045\t"));
  EXPECT_THAT(Saved("turned.zmf"), HasSubstr("FACES { 22\n"));
  EXPECT_THAT(Saved("turned.zmf"), HasSubstr("\t18 19 1\t0\n\t19 3 1\t0\n}"));
}

}  // namespace
}  // namespace zmf::testing

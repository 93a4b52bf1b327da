// Welding the selection, welding selected duplicates and reducing the selection: which faces are
// rewired or deleted, the records written and their order, seams, and the commands' scripts.
#include "edit/weld.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <random>

#include "batch_fixture.h"
#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/reduce.h"
#include "edit/undo_redo.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;

// The records written from `from` on, as "what id": a group marker as "|".
std::vector<std::string> RecordsSince(const Model& m, std::uint64_t from) {
  std::vector<std::string> records;
  for (std::uint64_t at = from; at < m.journal.position();
       at += edit::RecordLength(m.journal, at)) {
    const std::int32_t code = m.journal.At(at).AsInt();
    const std::string id =
        code == edit::kGroupMarker ? "" : std::to_string(m.journal.At(at + 1).AsUint());
    records.push_back(code == edit::kGroupMarker       ? "|"
                      : code == edit::kDeleteVertex    ? "delete-vertex " + id
                      : code == edit::kSetVertex       ? "set-vertex " + id
                      : code == edit::kDeleteFace      ? "delete-face " + id
                      : code == edit::kSetFaceVertices ? "set-face " + id
                                                       : "code " + std::to_string(code));
  }
  return records;
}

// Every word written, for comparing two journals exactly.
std::vector<std::uint32_t> Words(const Model& m) {
  std::vector<std::uint32_t> words;
  for (std::uint64_t at = 0; at < m.journal.position(); ++at)
    words.push_back(m.journal.At(at).bits);
  return words;
}

class Weld : public ModelTest {
 protected:
  Vertex* Add(Model& m, Vector3 p, Vector3 n = {0, 0, 1}, float u = 0, float v = 0) {
    Vertex* vertex = m.AppendVertex();
    m.SetVertex(vertex, p, n, u, v);
    return vertex;
  }
  void AddAll(std::initializer_list<Vector3> points) {
    for (const Vector3& p : points) Add(model, p);
  }
  Face* FaceOf(std::uint32_t a, std::uint32_t b, std::uint32_t c, Model* m = nullptr) {
    Model& in = m ? *m : model;
    return in.MakeFace(in.vertices.FindById(a), in.vertices.FindById(b), in.vertices.FindById(c));
  }
  // n x n vertices one unit apart in z = 0, two faces per cell; everything selected in list
  // order.
  void SharedGrid(Model& m, int n) {
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < n; ++x) Add(m, {float(x), float(y), 0});
    }
    for (int y = 0; y + 1 < n; ++y) {
      for (int x = 0; x + 1 < n; ++x) {
        const auto i = static_cast<std::uint32_t>(y * n + x);
        FaceOf(i, i + 1, i + n + 1, &m);
        FaceOf(i, i + n + 1, i + n, &m);
      }
    }
    m.SelectAll();
  }
  void SelectDuplicatesOf(std::initializer_list<std::uint32_t> ids) {
    model.DeselectAll();
    for (std::uint32_t id : ids) model.vertices.Select(V(id));
    model.RebuildDuplicates();
    model.SelectDuplicatesOfSelection();
  }
  std::uint64_t Position() const { return model.journal.position(); }
  Vertex* V(std::uint32_t id) { return model.vertices.FindById(id); }
};

TEST_F(Weld, TwoVerticesOnAnEdgeDropTheEdgesFacesAndMeetAtTheMidpoint) {
  Add(model, {0, 0, 0});
  Add(model, {1, 0, 0}, {0, 0, 1}, 1, 0);
  Add(model, {0, 1, 0});
  Add(model, {1, 1, 0}, {0, 1, 0}, 1, 1);
  AddAll({{2, 0, 0}, {2, 1, 0}});
  FaceOf(0, 1, 2);
  FaceOf(1, 3, 2);  // on the edge 1-3
  FaceOf(1, 4, 3);  // on the edge 1-3
  FaceOf(4, 5, 3);
  model.DeselectAll();
  model.vertices.Select(V(1));
  model.vertices.Select(V(3));

  std::uint64_t start = Position();
  edit::WeldSelectedVertices(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 0", "delete-face 1", "delete-face 2", "set-face 3",
                          "delete-vertex 3", "set-vertex 1", "|"));
  EXPECT_THAT(CornerIds(model.faces.FindById(0)), ElementsAre(1, 2, 0));  // turned: 1 is corner A
  EXPECT_EQ(V(1)->position, (Vector3{1, 0.5f, 0}));
  EXPECT_EQ(V(1)->normal, (Vector3{0, 0.5f, 0.5f}));  // the mean, not renormalised
  EXPECT_EQ(V(1)->u, 1.0f);
  EXPECT_EQ(V(1)->v, 0.5f);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(1));
  edit::Undo(model);

  // The vertex selected first is kept, whatever its id; faces are visited in list order, where
  // Undo put faces 2 and 1 back at the end.
  model.vertices.ClearSelection();
  model.vertices.Select(V(3));
  model.vertices.Select(V(1));
  start = Position();
  edit::WeldSelectedVertices(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 0", "set-face 3", "delete-face 2", "delete-face 1",
                          "delete-vertex 1", "set-vertex 3", "|"));
  EXPECT_THAT(CornerIds(model.faces.FindById(0)), ElementsAre(3, 2, 0));
}

TEST_F(Weld, OneSelectedVertexOnlyTurnsItsFacesToStartAtIt) {
  for (int i = 0; i < 5; ++i) Add(model, {float(i), float(i * i), 0}, {0, 0, 1}, 0.25f * i, 0);
  FaceOf(2, 0, 1);
  FaceOf(0, 2, 3);
  FaceOf(3, 4, 2);
  FaceOf(0, 1, 3);
  // A face re-created around a vertex that is gone has a null corner; every weld leaves it be.
  model.MakeFaceFromIds(9, 2, 77, 0);
  model.DeselectAll();

  std::uint64_t start = Position();
  edit::WeldSelectedVertices(model);
  EXPECT_EQ(Position(), start);  // nothing selected: no group

  model.vertices.Select(V(2));
  edit::WeldSelectedVertices(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 0", "set-face 1", "set-face 2", "set-vertex 2", "|"));
  EXPECT_THAT(CornerIds(model.faces.FindById(1)), ElementsAre(2, 3, 0));
  EXPECT_THAT(CornerIds(model.faces.FindById(2)), ElementsAre(2, 3, 4));

  // The duplicate weld passes such a face over too, so the twin it uses stays in use.
  Vertex* twin = Add(model, V(0)->position);
  model.MakeFaceFromIds(10, twin->id, 77, 1);
  SelectDuplicatesOf({0});
  ASSERT_EQ(model.duplicates.selCount(), 1u);
  start = Position();
  edit::WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start), ElementsAre("|", "|"));
  EXPECT_EQ(model.faces.FindById(10)->a, twin);
}

// How many collapses and which edges: the full-scan comparison below. Here, the percentages that
// ask for none.
TEST_F(Weld, ReduceOfLessThanOneVertexOrNothingSelectedWritesNoCollapse) {
  SharedGrid(model, 3);
  const std::string small = DumpModel(model);
  for (double percent : {10.0, -50.0, std::numeric_limits<double>::quiet_NaN()}) {
    const std::uint64_t start = Position();
    edit::ReduceSelectedVertices(model, percent);  // 9 x 0.1 = 0.9: none
    EXPECT_THAT(RecordsSince(model, start), ElementsAre("|", "|")) << percent;
  }
  EXPECT_EQ(DumpModel(model), small);
  // An endless percentage collapses what can be collapsed and then stops.
  edit::ReduceSelectedVertices(model, std::numeric_limits<double>::infinity());
  EXPECT_LT(model.vertices.count(), 9u);
  model.DeselectAll();
  const std::uint64_t start = Position();
  edit::ReduceSelectedVertices(model, 50);
  EXPECT_EQ(Position(), start);
}

// The reduction as a straight scan of every selected vertex's edges for each collapse: what the
// queue of cheapest edges must reproduce record for record, the truncated share of the selection
// and the seams left out included.
void ReduceByFullScans(Model& m, double percent) {
  if (m.vertices.selCount() == 0) return;
  m.ComputeBounds();
  const float r = m.radiusSquared;
  edit::JournalGroup group(m);
  m.RebuildDuplicates();
  std::vector<const Vertex*> seams;
  for (const Duplicate* d : m.duplicates) seams.insert(seams.end(), {d->vertex, d->twin});
  for (const Vertex* s : seams) m.vertices.Unselect(const_cast<Vertex*>(s));
  auto isSeam = [&](const Vertex* v) {
    return std::find(seams.begin(), seams.end(), v) != seams.end();
  };
  auto sq = [](Vector3 a, Vector3 b) {
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z);
  };
  auto mid = [](Vector3 a, Vector3 b) {
    return Vector3{(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
  };
  const auto n = static_cast<int>(m.vertices.selCount() * (percent / 100.0));
  for (int i = 0; i < n; ++i) {
    float best = 100.0f * r;
    Vertex* v = nullptr;
    Vertex* w = nullptr;
    for (Vertex* s : m.vertices.Selected()) {
      for (Face* used : s->Faces()) {
        const Face* f = used;
        if (!f->a || !f->b || !f->c) continue;
        Vertex* others[2] = {f->a, f->b};
        if (f->a == s) {
          others[0] = f->b;
          others[1] = f->c;
        } else if (f->b == s) {
          others[1] = f->c;
        }
        for (Vertex* o : others) {
          if (o == s) continue;
          const float du = s->u - o->u;
          const float dv = s->v - o->v;
          const float cost = 50.0f * sq(s->position, o->position) / r + sq(s->normal, o->normal) +
                             du * du + dv * dv;
          if (cost < best && !isSeam(s) && !isSeam(o)) {
            best = cost;
            v = s;
            w = o;
          }
        }
      }
    }
    if (v == nullptr) break;
    std::vector<Face*> faces;
    for (Face* used : v->Faces()) {
      if (std::find(faces.begin(), faces.end(), used) == faces.end()) faces.push_back(used);
    }
    for (Face* f : faces) {
      if (!f->a || !f->b || !f->c) continue;
      Vertex* c[3] = {f->a, f->b, f->c};
      const int count =
          (c[0] == v || c[0] == w) + (c[1] == v || c[1] == w) + (c[2] == v || c[2] == w);
      if (count > 1) {
        edit::JournalDeleteFace(m, f);
        continue;
      }
      const int at = c[0] == v ? 0 : c[1] == v ? 1 : 2;
      edit::JournalSetFaceVertices(m, f, w, c[(at + 1) % 3], c[(at + 2) % 3]);
    }
    // The merged values are read before v is deleted, which frees it.
    const Vector3 position = mid(v->position, w->position);
    const Vector3 normal = mid(v->normal, w->normal);
    const float u = (v->u + w->u) * 0.5f;
    const float tv = (v->v + w->v) * 0.5f;
    edit::JournalDeleteVertex(m, v);
    edit::JournalSetVertex(m, w, position, normal, u, tv);
  }
}

TEST_F(Weld, ReduceMatchesAFullScanForEveryCollapseTiesIncluded) {
  // A regular grid, where every axis edge costs the same, and a jittered mesh with seams, a
  // face that repeats a corner, odd ids and the selection in shuffled order.
  auto regular = [&](Model& m) { SharedGrid(m, 7); };
  auto jittered = [&](Model& m) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
    SharedGrid(m, 8);
    for (Vertex* v : m.vertices) {
      float j[7];
      for (float& f : j) f = jitter(random);
      m.SetVertex(v, {v->position.x + j[0], v->position.y + j[1], j[2]}, {j[3], j[4], 1}, j[5],
                  j[6]);
    }
    Vertex* twin = Add(m, m.vertices.FindById(20)->position);
    m.MakeFace(twin, m.vertices.FindById(21), m.vertices.FindById(29));
    m.MakeFace(m.vertices.FindById(40), m.vertices.FindById(40), m.vertices.FindById(41));
    // Ids need be neither dense nor unique: one far beyond the others, two vertices sharing one.
    m.vertices.SetId(m.vertices.FindById(5), 4000000);
    m.vertices.SetId(m.vertices.FindById(6), 7);
    std::vector<Vertex*> order(m.vertices.begin(), m.vertices.end());
    std::shuffle(order.begin(), order.end(), random);
    m.vertices.ClearSelection();
    for (Vertex* v : order) m.vertices.Select(v);
  };
  for (const auto& build :
       {std::function<void(Model&)>(regular), std::function<void(Model&)>(jittered)}) {
    for (double percent : {30.0, 90.0}) {
      Model scanned{host, textures};
      model.Reset();
      build(model);
      build(scanned);
      const std::uint32_t count = model.vertices.count();
      edit::ReduceSelectedVertices(model, percent);
      ReduceByFullScans(scanned, percent);
      EXPECT_LT(model.vertices.count(), count);
      EXPECT_EQ(DumpModel(model), DumpModel(scanned)) << percent;
      EXPECT_EQ(Words(model), Words(scanned)) << percent;
      EXPECT_EQ(SelectedIds(model.vertices), SelectedIds(scanned.vertices)) << percent;
    }
  }
}

TEST_F(Weld, DuplicateWeldFoldsTwinsAndDeletesEveryUnusedVertex) {
  // A quad split along its diagonal (1 and 3, 2 and 5 coincide), a stray vertex 6 and an
  // unused vertex 7 on top of vertex 0.
  AddAll({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {5, 5, 5}, {0, 0, 0}});
  FaceOf(0, 1, 2);
  FaceOf(3, 4, 5);
  model.SelectAll();
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  ASSERT_EQ(model.duplicates.selCount(), 3u);

  std::uint64_t start = Position();
  edit::WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 1", "set-face 1", "delete-vertex 3", "delete-vertex 5",
                          "delete-vertex 6", "delete-vertex 7", "|"));
  EXPECT_THAT(CornerIds(model.faces.FindById(1)), ElementsAre(1, 4, 2));
  EXPECT_EQ(model.duplicates.count(), 0u);  // rebuilt, not stale
  EXPECT_FALSE(model.geometryChanged);

  // Without a selected pair nothing happens.
  model.duplicates.ClearSelection();
  start = Position();
  edit::WeldSelectedDuplicates(model);
  EXPECT_EQ(Position(), start);
}

TEST_F(Weld, DuplicateWeldFollowsFaceListOrderAndPassesOverStalePairs) {
  AddAll({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {-1, 0, 0}, {0, -1, 0}});
  Face* first = FaceOf(3, 1, 2);
  FaceOf(4, 3, 5);
  FaceOf(0, 4, 5);
  FaceOf(3, 3, 4);  // uses the twin twice: only its first such corner changes
  // Setting face 0's corners again puts it last among the faces of vertex 3.
  edit::JournalSetFaceVertices(model, first, V(3), V(1), V(2));
  SelectDuplicatesOf({0});
  ASSERT_EQ(model.duplicates.selCount(), 1u);

  std::uint64_t start = Position();
  edit::WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 0", "set-face 1", "set-face 3", "|"));
  EXPECT_THAT(CornerIds(model.faces.FindById(1)), ElementsAre(4, 0, 5));
  EXPECT_THAT(CornerIds(model.faces.FindById(3)), ElementsAre(0, 3, 4));  // still uses vertex 3
  edit::Undo(model);

  // Once the twin has moved away the pair no longer describes one point: nothing is welded.
  SelectDuplicatesOf({0});
  ASSERT_EQ(model.duplicates.selCount(), 1u);
  edit::JournalSetVertex(model, V(3), {0, 0, 1}, {0, 0, 1}, 0, 0);
  start = Position();
  edit::WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start), ElementsAre("|", "|"));
  EXPECT_EQ(model.vertices.count(), 6u);
}

// ---- the commands, run from batch scripts

using WeldCommands = BatchScriptTest;

TEST_F(WeldCommands, ScriptsRunEachCommandWithItsAnswers) {
  // Two triangles on a split diagonal and a stray vertex.
  WriteFile(folder.File("split.zmf"),
            "ZMF\nVERSION { 2.00 }\nVERTICES { POSITION_NORMAL 7\n"
            "\t0 0 0\t0 0 1\n\t1 0 0\t0 0 1\n\t0 1 0\t0 0 1\n\t1 0 0\t0 0 1\n"
            "\t1 1 0\t0 0 1\n\t0 1 0\t0 0 1\n\t5 5 5\t0 0 1\n}\n"
            "FACES { 2\n\t0 1 2\t0\n\t3 4 5\t0\n}\n" +
                std::string(kDefaultMaterialText));
  ASSERT_EQ(Run("add-triad\ndeselect-all\nselect-vertices 1 3\nweld-vertices\nsave @/w.zmf\n"
                "new\nreduce-vertices\n"  // nothing selected: no prompt
                "add-pyramid\nsave @/p.zmf\n"
                "cancel\nreduce-vertices\n"       // nothing at all
                "answer none\nreduce-vertices\n"  // reads as 0: an empty group...
                "undo\nsave @/e.zmf\n"            // ...which is all Undo takes back
                "answer 40 percent\n32837\nsave @/r.zmf\n"
                "open @/split.zmf\nweld-selected-duplicates\n"  // no pair selected: nothing
                "select-all\nselect-duplicates\n32851\nsave @/d.zmf\n"),
            0)
      << printed;
  // The triad's faces on the edge 1-3 go; the other two turn to start at the welded vertex 1.
  EXPECT_THAT(Saved("w.zmf"), HasSubstr("POSITION_NORMAL_TEXCOORDS 3\n"));
  EXPECT_THAT(Saved("w.zmf"), HasSubstr("FACES { 2\n\t1 2 0\t0\n\t1 0 2\t0\n}"));
  std::vector<std::string> prompts;
  for (const auto& e : host.events()) prompts.push_back(e.text);
  EXPECT_THAT(prompts, ElementsAre("Enter percent to reduce:10", "Enter percent to reduce:10",
                                   "Enter percent to reduce:10"));
  EXPECT_EQ(Saved("e.zmf"), Saved("p.zmf"));
  // 5 x 40%: two base edges collapse, the base folds into two back-to-back faces.
  EXPECT_THAT(Saved("r.zmf"), HasSubstr("POSITION_NORMAL_TEXCOORDS 3\n"));
  EXPECT_THAT(Saved("r.zmf"), HasSubstr("FACES { 2\n\t2 1 0\t0\n\t1 2 0\t0\n}"));
  EXPECT_THAT(Saved("d.zmf"), HasSubstr("POSITION_NORMAL 4\n"));
  EXPECT_THAT(Saved("d.zmf"), HasSubstr("FACES { 2\n\t0 1 2\t0\n\t1 3 2\t0\n}"));

  // A new box is selected; its 24 vertices meet three at each of its 8 corners. Without a
  // select-duplicates first, the weld still finds the pairs and leaves two vertices per corner.
  ASSERT_EQ(Run("new\nadd-box\nweld-selected-duplicates\nsave @/welded.zmf\n"
                "new\nadd-box\nselect-duplicates\nweld-selected-duplicates\n"
                "save @/selected-first.zmf\n"),
            0)
      << printed;
  EXPECT_THAT(Saved("welded.zmf"), HasSubstr("VERTICES { POSITION_NORMAL_TEXCOORDS 16\n"));
  EXPECT_THAT(Saved("welded.zmf"), HasSubstr("FACES { 12\n"));
  EXPECT_EQ(Saved("welded.zmf"), Saved("selected-first.zmf"));
}

}  // namespace
}  // namespace zmf::testing

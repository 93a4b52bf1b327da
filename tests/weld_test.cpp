// Welding the selection, welding selected duplicates and reducing the selection: which faces are
// rewired or deleted, the records written and their order, seams, and single-step undo.
#include "edit/weld.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "command/batch.h"
#include "command/weld_commands.h"
#include "edit/journal.h"
#include "edit/reduce.h"
#include "file_fixture.h"
#include "batch_fixture.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;

// The records written from `from` on, as "what id": a group marker as "|".
std::vector<std::string> RecordsSince(const Model& m, std::uint64_t from) {
  std::vector<std::string> records;
  for (std::uint64_t at = from; at < m.journal.position(); at += m.journal.RecordLength(at)) {
    const std::int32_t code = m.journal.At(at).AsInt();
    if (code == kGroupMarker) {
      records.push_back("|");
      continue;
    }
    const std::string id = std::to_string(m.journal.At(at + 1).AsUint());
    switch (code) {
      case kDeleteVertex:
        records.push_back("delete-vertex " + id);
        break;
      case kSetVertex:
        records.push_back("set-vertex " + id);
        break;
      case kDeleteFace:
        records.push_back("delete-face " + id);
        break;
      case kSetFaceVertices:
        records.push_back("set-face " + id);
        break;
      default:
        records.push_back("code " + std::to_string(code));
    }
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

std::vector<std::uint32_t> Corners(const Face* f) { return {f->a->id, f->b->id, f->c->id}; }

class Weld : public ModelTest {
 protected:
  Vertex* Add(Model& m, Vector3 p, Vector3 n = {0, 0, 1}, float u = 0, float v = 0) {
    Vertex* vertex = m.AppendVertex();
    m.SetVertex(vertex, p, n, u, v);
    return vertex;
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
  std::uint64_t Position() const { return model.journal.position(); }
  Vertex* V(std::uint32_t id) { return model.vertices.FindById(id); }
};

TEST_F(Weld, TwoVerticesOnAnEdgeDropTheEdgesFacesAndMeetAtTheMidpoint) {
  Add(model, {0, 0, 0});
  Add(model, {1, 0, 0}, {0, 0, 1}, 1, 0);
  Add(model, {0, 1, 0});
  Add(model, {1, 1, 0}, {0, 1, 0}, 1, 1);
  Add(model, {2, 0, 0});
  Add(model, {2, 1, 0});
  FaceOf(0, 1, 2);
  FaceOf(1, 3, 2);  // on the edge 1-3
  FaceOf(1, 4, 3);  // on the edge 1-3
  FaceOf(4, 5, 3);
  model.DeselectAll();
  model.vertices.Select(V(1));
  model.vertices.Select(V(3));
  const std::string before = DumpModel(model);

  std::uint64_t start = Position();
  WeldSelectedVertices(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 0", "delete-face 1", "delete-face 2", "set-face 3",
                          "delete-vertex 3", "set-vertex 1", "|"));
  EXPECT_THAT(Ids(model.vertices), ElementsAre(0, 1, 2, 4, 5));
  EXPECT_THAT(Ids(model.faces), ElementsAre(0, 3));
  EXPECT_THAT(Corners(model.faces.FindById(0)), ElementsAre(1, 2, 0));  // turned: 1 is corner A
  EXPECT_THAT(Corners(model.faces.FindById(3)), ElementsAre(1, 4, 5));
  EXPECT_EQ(V(1)->position, (Vector3{1, 0.5f, 0}));
  EXPECT_EQ(V(1)->normal, (Vector3{0, 0.5f, 0.5f}));  // the mean, not renormalised
  EXPECT_EQ(V(1)->u, 1.0f);
  EXPECT_EQ(V(1)->v, 0.5f);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(1));
  const std::string after = DumpModel(model);

  Undo(model);
  EXPECT_EQ(DumpModel(model), before);
  Redo(model);
  EXPECT_EQ(DumpModel(model), after);
  Undo(model);

  // The vertex selected first is kept, whatever its id; faces are visited in list order, where
  // Undo put faces 2 and 1 back at the end.
  model.vertices.ClearSelection();
  model.vertices.Select(V(3));
  model.vertices.Select(V(1));
  start = Position();
  WeldSelectedVertices(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 0", "set-face 3", "delete-face 2", "delete-face 1",
                          "delete-vertex 1", "set-vertex 3", "|"));
  EXPECT_THAT(Corners(model.faces.FindById(0)), ElementsAre(3, 2, 0));
  EXPECT_THAT(Corners(model.faces.FindById(3)), ElementsAre(3, 4, 5));
  Undo(model);
  EXPECT_EQ(DumpModel(model), before);
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
  WeldSelectedVertices(model);
  EXPECT_EQ(Position(), start);  // nothing selected: no group

  model.vertices.Select(V(2));
  const std::string before = DumpModel(model);
  WeldSelectedVertices(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 0", "set-face 1", "set-face 2", "set-vertex 2", "|"));
  EXPECT_THAT(Corners(model.faces.FindById(0)), ElementsAre(2, 0, 1));
  EXPECT_THAT(Corners(model.faces.FindById(1)), ElementsAre(2, 3, 0));
  EXPECT_THAT(Corners(model.faces.FindById(2)), ElementsAre(2, 3, 4));
  std::string turned = before;
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"f1 0,2,3", "f1 2,3,0"},
                                 std::pair<std::string, std::string>{"f2 3,4,2", "f2 2,3,4"}}) {
    turned.replace(turned.find(from), from.size(), to);
  }
  EXPECT_EQ(DumpModel(model), turned);  // nothing else changed
  Undo(model);
  EXPECT_EQ(DumpModel(model), before);

  // The duplicate weld passes such a face over too, so the twin it uses stays in use.
  Vertex* twin = Add(model, V(0)->position);
  model.MakeFaceFromIds(10, twin->id, 77, 1);
  model.DeselectAll();
  model.vertices.Select(V(0));
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  ASSERT_EQ(model.duplicates.selCount(), 1u);
  start = Position();
  WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start), ElementsAre("|", "|"));
  EXPECT_EQ(model.faces.FindById(10)->a, twin);
  EXPECT_THAT(Ids(model.vertices), ElementsAre(0, 1, 2, 3, 4, 5));
}

TEST_F(Weld, ReduceCollapsesTheTruncatedShareAndWritesAnEmptyGroupForNone) {
  SharedGrid(model, 5);
  const std::string before = DumpModel(model);
  std::uint64_t start = Position();
  ReduceSelectedVertices(model, 10);  // 25 x 0.1 = 2.5
  const auto records = RecordsSince(model, start);
  EXPECT_EQ(std::count_if(records.begin(), records.end(),
                          [](const std::string& r) { return r.starts_with("delete-vertex"); }),
            2);
  EXPECT_EQ(model.vertices.count(), 23u);
  EXPECT_EQ(records.front(), "|");
  EXPECT_EQ(records.back(), "|");
  Undo(model);
  EXPECT_EQ(DumpModel(model), before);

  model.Reset();
  SharedGrid(model, 3);
  const std::string small = DumpModel(model);
  for (double percent : {10.0, -50.0, std::numeric_limits<double>::quiet_NaN()}) {
    start = Position();
    ReduceSelectedVertices(model, percent);  // 9 x 0.1 = 0.9: none
    EXPECT_THAT(RecordsSince(model, start), ElementsAre("|", "|")) << percent;
  }
  EXPECT_EQ(DumpModel(model), small);
  // An endless percentage collapses what can be collapsed and then stops.
  ReduceSelectedVertices(model, std::numeric_limits<double>::infinity());
  EXPECT_LT(model.vertices.count(), 9u);
  model.DeselectAll();
  start = Position();
  ReduceSelectedVertices(model, 50);
  EXPECT_EQ(Position(), start);
}

TEST_F(Weld, ReduceDeselectsSeamVerticesAndNeverCollapsesThem) {
  SharedGrid(model, 3);
  // Vertex 1 sits right beside vertex 0, whose position vertex 9 shares: the cheapest edges of
  // the model all touch the seam.
  model.SetVertex(V(1), {0.01f, 0, 0}, {0, 0, 1}, 0, 0);
  Vertex* seam = Add(model, {0, 0, 0});
  model.MakeFace(seam, V(1), V(3));
  model.SelectAll();
  const std::uint64_t start = Position();
  ReduceSelectedVertices(model, 50);  // 8 selected once the seam is out: 4 collapses
  EXPECT_EQ(model.vertices.count(), 6u);
  ASSERT_NE(V(0), nullptr);
  ASSERT_NE(V(9), nullptr);
  EXPECT_EQ(V(0)->position, (Vector3{0, 0, 0}));
  EXPECT_EQ(V(9)->position, (Vector3{0, 0, 0}));
  EXPECT_FALSE(V(0)->selected);
  EXPECT_FALSE(V(9)->selected);
  for (const std::string& r : RecordsSince(model, start)) {
    EXPECT_NE(r, "set-vertex 0");
    EXPECT_NE(r, "set-vertex 9");
  }
  EXPECT_EQ(model.vertices.selCount(), 4u);  // 8 selected, 4 collapsed away
}

// The reduction as a straight scan of every selected vertex's edges for each collapse: what the
// queue of cheapest edges must reproduce record for record.
void ReduceByFullScans(Model& m, double percent) {
  if (m.vertices.selCount() == 0) return;
  m.ComputeBounds();
  const float r = m.radiusSquared;
  JournalGroup group(m);
  m.RebuildDuplicates();
  std::vector<const Vertex*> seams;
  for (const Duplicate* d : m.duplicates) {
    seams.push_back(d->vertex);
    seams.push_back(d->twin);
  }
  for (const Vertex* s : seams) m.vertices.Unselect(const_cast<Vertex*>(s));
  auto isSeam = [&](const Vertex* v) {
    return std::find(seams.begin(), seams.end(), v) != seams.end();
  };
  const auto n = static_cast<int>(m.vertices.selCount() * (percent / 100.0));
  for (int i = 0; i < n; ++i) {
    float best = 100.0f * r;
    Vertex* v = nullptr;
    Vertex* w = nullptr;
    for (Vertex* s : m.vertices.Selected()) {
      for (const FaceRef* ref = s->faceRefHead; ref != nullptr; ref = ref->next) {
        const Face* f = ref->face;
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
          const Vector3 d = {s->position.x - o->position.x, s->position.y - o->position.y,
                             s->position.z - o->position.z};
          const Vector3 dn = {s->normal.x - o->normal.x, s->normal.y - o->normal.y,
                              s->normal.z - o->normal.z};
          const float du = s->u - o->u;
          const float dv = s->v - o->v;
          const float cost = 50.0f * (d.x * d.x + d.y * d.y + d.z * d.z) / r +
                             (dn.x * dn.x + dn.y * dn.y + dn.z * dn.z) + du * du + dv * dv;
          if (cost < best && !isSeam(s) && !isSeam(o)) {
            best = cost;
            v = s;
            w = o;
          }
        }
      }
    }
    if (v == nullptr) break;
    const Vector3 p = {(v->position.x + w->position.x) * 0.5f,
                       (v->position.y + w->position.y) * 0.5f,
                       (v->position.z + w->position.z) * 0.5f};
    const Vector3 nm = {(v->normal.x + w->normal.x) * 0.5f, (v->normal.y + w->normal.y) * 0.5f,
                        (v->normal.z + w->normal.z) * 0.5f};
    const float u = (v->u + w->u) * 0.5f;
    const float tv = (v->v + w->v) * 0.5f;
    std::vector<Face*> faces;
    for (const FaceRef* ref = v->faceRefHead; ref != nullptr; ref = ref->next) {
      if (std::find(faces.begin(), faces.end(), ref->face) == faces.end()) {
        faces.push_back(ref->face);
      }
    }
    for (Face* f : faces) {
      if (!f->a || !f->b || !f->c) continue;
      Vertex* c[3] = {f->a, f->b, f->c};
      const int count =
          (c[0] == v || c[0] == w) + (c[1] == v || c[1] == w) + (c[2] == v || c[2] == w);
      if (count > 1) {
        JournalDeleteFace(m, f);
        continue;
      }
      const int at = c[0] == v ? 0 : c[1] == v ? 1 : 2;
      JournalSetFaceVertices(m, f, w, c[(at + 1) % 3], c[(at + 2) % 3]);
    }
    JournalDeleteVertex(m, v);
    JournalSetVertex(m, w, p, nm, u, tv);
  }
}

TEST_F(Weld, ReduceMatchesAFullScanForEveryCollapseTiesIncluded) {
  // A regular grid, where every axis edge costs the same, and a jittered mesh with seams, a
  // face that repeats a corner and the selection in shuffled order.
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
      const std::string before = DumpModel(model);
      const std::uint32_t count = model.vertices.count();
      ReduceSelectedVertices(model, percent);
      ReduceByFullScans(scanned, percent);
      EXPECT_LT(model.vertices.count(), count);
      EXPECT_EQ(DumpModel(model), DumpModel(scanned)) << percent;
      EXPECT_EQ(Words(model), Words(scanned)) << percent;
      EXPECT_EQ(SelectedIds(model.vertices), SelectedIds(scanned.vertices)) << percent;
      Undo(model);
      EXPECT_EQ(DumpModel(model), before) << percent;
    }
  }
}

TEST_F(Weld, DuplicateWeldFoldsTwinsAndDeletesEveryUnusedVertex) {
  // A quad split along its diagonal (1 and 3, 2 and 5 coincide), a stray vertex 6 and an
  // unused vertex 7 on top of vertex 0.
  for (const Vector3& p : std::vector<Vector3>{{0, 0, 0},
                                               {1, 0, 0},
                                               {0, 1, 0},
                                               {1, 0, 0},
                                               {1, 1, 0},
                                               {0, 1, 0},
                                               {5, 5, 5},
                                               {0, 0, 0}}) {
    Add(model, p);
  }
  FaceOf(0, 1, 2);
  FaceOf(3, 4, 5);
  model.SelectAll();
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  ASSERT_EQ(model.duplicates.selCount(), 3u);
  const std::string before = DumpModel(model);

  const std::uint64_t start = Position();
  WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 1", "set-face 1", "delete-vertex 3", "delete-vertex 5",
                          "delete-vertex 6", "delete-vertex 7", "|"));
  EXPECT_THAT(Ids(model.vertices), ElementsAre(0, 1, 2, 4));
  EXPECT_THAT(Corners(model.faces.FindById(1)), ElementsAre(1, 4, 2));
  EXPECT_EQ(model.duplicates.count(), 0u);  // rebuilt, not stale
  EXPECT_FALSE(model.geometryChanged);
  Undo(model);
  EXPECT_EQ(DumpModel(model), before);

  // Without a selected pair nothing happens; without faces every vertex goes.
  model.duplicates.ClearSelection();
  const std::uint64_t idle = Position();
  WeldSelectedDuplicates(model);
  EXPECT_EQ(Position(), idle);
  while (model.faces.head()) model.RemoveFace(model.faces.head());
  model.geometryChanged = true;
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  WeldSelectedDuplicates(model);
  EXPECT_EQ(model.vertices.count(), 0u);
}

TEST_F(Weld, DuplicateWeldFollowsFaceListOrderAndPassesOverStalePairs) {
  for (const Vector3& p :
       std::vector<Vector3>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {-1, 0, 0}, {0, -1, 0}}) {
    Add(model, p);
  }
  Face* first = FaceOf(3, 1, 2);
  FaceOf(4, 3, 5);
  FaceOf(0, 4, 5);
  FaceOf(3, 3, 4);  // uses the twin twice: only its first such corner changes
  // Setting face 0's corners again puts it last among the faces of vertex 3.
  JournalSetFaceVertices(model, first, V(3), V(1), V(2));
  model.DeselectAll();
  model.vertices.Select(V(0));
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  ASSERT_EQ(model.duplicates.selCount(), 1u);
  const std::string before = DumpModel(model);

  std::uint64_t start = Position();
  WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 0", "set-face 1", "set-face 3", "|"));
  EXPECT_THAT(Corners(model.faces.FindById(0)), ElementsAre(0, 1, 2));
  EXPECT_THAT(Corners(model.faces.FindById(1)), ElementsAre(4, 0, 5));
  EXPECT_THAT(Corners(model.faces.FindById(3)), ElementsAre(0, 3, 4));  // still uses vertex 3
  Undo(model);
  EXPECT_EQ(DumpModel(model), before);

  // Undo of a deletion puts face 0 back at the end of the list, after face 3.
  JournalDeleteFace(model, model.faces.FindById(0));
  Undo(model);
  ASSERT_THAT(Ids(model.faces), ElementsAre(1, 2, 3, 0));
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  start = Position();
  WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start),
              ElementsAre("|", "set-face 1", "set-face 3", "set-face 0", "|"));
  Undo(model);
  EXPECT_EQ(DumpModel(model), before);

  // Once the twin has moved away the pair no longer describes one point: nothing is welded.
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  ASSERT_EQ(model.duplicates.selCount(), 1u);
  JournalSetVertex(model, V(3), {0, 0, 1}, {0, 0, 1}, 0, 0);
  start = Position();
  WeldSelectedDuplicates(model);
  EXPECT_THAT(RecordsSince(model, start), ElementsAre("|", "|"));
  EXPECT_EQ(model.vertices.count(), 6u);
}

// ---- the commands, run from batch scripts

constexpr const char* kMaterials = kDefaultMaterialText;

class WeldCommands : public BatchScriptTest {
 protected:
  std::string Save(const std::string& name) { return SaveLine(name); }
};

TEST_F(WeldCommands, WeldVerticesFromAScript) {
  ASSERT_EQ(Run("add-triad\ndeselect-all\nselect-vertices 1 3\nweld-vertices\n" + Save("w.zmf")), 0)
      << printed;
  // Faces (0 1 2) and (0 2 3) keep one welded corner each and turn to start at vertex 1; the
  // two faces on the edge 1-3 go, and vertex 1 takes the mean of 1 and 3.
  EXPECT_EQ(Saved("w.zmf"),
            "ZMF\n"
            "VERSION { 2.00 }\n"
            "COMMENT { This file was generated by Tarnhollow's ZmfEdit. }\n"
            "VERTICES { POSITION_NORMAL 3\n"
            "\t-0.500000 -0.500000 -0.500000\t-0.500000 0.000000 -0.500000\n"
            "\t0.000000 0.000000 0.250000\t0.000000 0.500000 0.500000\n"
            "\t0.500000 -0.500000 -0.500000\t0.500000 0.000000 -0.500000\n"
            "}\n"
            "FACES { 2\n\t1 2 0\t0\n\t1 0 2\t0\n}\n" +
                std::string(kMaterials));
}

TEST_F(WeldCommands, ReduceVerticesAsksForThePercentage) {
  ASSERT_EQ(Run("reduce-vertices\n"  // nothing selected: no prompt
                "add-pyramid\n" +
                Save("p.zmf") +
                "cancel\nreduce-vertices\n"       // nothing at all
                "answer none\nreduce-vertices\n"  // reads as 0: an empty group...
                "undo\n" +                        // ...which is all Undo takes back
                Save("e.zmf") +
                "answer 40 percent\n32837\n" + Save("r.zmf")),
            0)
      << printed;
  std::vector<std::string> prompts;
  for (const auto& e : host.events()) prompts.push_back(e.text);
  EXPECT_THAT(prompts, ElementsAre("Enter percent to reduce:10", "Enter percent to reduce:10",
                                   "Enter percent to reduce:10"));
  EXPECT_EQ(Saved("e.zmf"), Saved("p.zmf"));
  // All base edges cost the same and the apex is too far: the first base edge met, 1-2, goes,
  // then 3-4; the base collapses into two back-to-back faces.
  EXPECT_EQ(Saved("r.zmf"),
            "ZMF\n"
            "VERSION { 2.00 }\n"
            "COMMENT { This file was generated by Tarnhollow's ZmfEdit. }\n"
            "VERTICES { POSITION_NORMAL 3\n"
            "\t0.000000 0.500000 0.000000\t0.000000 1.000000 0.000000\n"
            "\t0.000000 -0.500000 -0.500000\t0.000000 0.000000 -0.500000\n"
            "\t0.000000 -0.500000 0.500000\t0.000000 0.000000 0.500000\n"
            "}\n"
            "FACES { 2\n\t2 1 0\t0\n\t1 2 0\t0\n}\n" +
                std::string(kMaterials));
  // The file keeps no texture coordinates without a texture: the merged ones are the means.
  std::vector<std::pair<float, float>> uv;
  for (const Vertex* v : model.vertices) uv.emplace_back(v->u, v->v);
  EXPECT_THAT(uv, ElementsAre(std::pair{0.5f, 0.0f}, std::pair{0.5f, 1.0f}, std::pair{0.5f, 1.0f}));
}

TEST_F(WeldCommands, WeldSelectedDuplicatesFromAScript) {
  // Two triangles on a split diagonal and a stray vertex.
  WriteFile(folder.File("split.zmf"),
            "ZMF\nVERSION { 2.00 }\nVERTICES { POSITION_NORMAL 7\n"
            "\t0 0 0\t0 0 1\n\t1 0 0\t0 0 1\n\t0 1 0\t0 0 1\n\t1 0 0\t0 0 1\n"
            "\t1 1 0\t0 0 1\n\t0 1 0\t0 0 1\n\t5 5 5\t0 0 1\n}\n"
            "FACES { 2\n\t0 1 2\t0\n\t3 4 5\t0\n}\n" +
                std::string(kMaterials));
  ASSERT_EQ(Run("open " + folder.File("split.zmf") +
                "\nweld-selected-duplicates\n"  // no pair selected: nothing
                "select-all\nselect-duplicates\n32851\n" +
                Save("w.zmf")),
            0)
      << printed;
  EXPECT_EQ(Saved("w.zmf"),
            "ZMF\n"
            "VERSION { 2.00 }\n"
            "COMMENT { This file was generated by Tarnhollow's ZmfEdit. }\n"
            "VERTICES { POSITION_NORMAL 4\n"
            "\t0.000000 0.000000 0.000000\t0.000000 0.000000 1.000000\n"
            "\t1.000000 0.000000 0.000000\t0.000000 0.000000 1.000000\n"
            "\t0.000000 1.000000 0.000000\t0.000000 0.000000 1.000000\n"
            "\t1.000000 1.000000 0.000000\t0.000000 0.000000 1.000000\n"
            "}\n"
            "FACES { 2\n\t0 1 2\t0\n\t1 3 2\t0\n}\n" +
                std::string(kMaterials));
}

}  // namespace
}  // namespace zmf::testing

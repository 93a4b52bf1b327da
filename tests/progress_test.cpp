// Progress of long work: the meter's hundredths and stages, and the file, import and edit
// operations that report through it, which must give the same files and models whether or not
// anyone listens.
#include "model/progress.h"

#include <string>
#include <utility>
#include <vector>

#include "edit/reduce.h"
#include "edit/split_faces.h"
#include "edit/weld.h"
#include "file_fixture.h"
#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "importers/md5_mesh.h"
#include "importers/text_vertices.h"
#include "importers/tga_heightmap.h"
#include "model_fixture.h"

namespace zmf {
namespace {

using Heard = std::vector<std::pair<std::string, float>>;

class ListeningHost : public ScriptedHost {
 public:
  void Progress(std::string_view what, float done) override { heard.emplace_back(what, done); }
  Heard heard;
};

std::vector<float> Fractions(const Heard& heard) {
  std::vector<float> fractions;
  for (const auto& [what, done] : heard) fractions.push_back(done);
  return fractions;
}

// One piece of work told from its start to its end: one text, fractions rising from 0 to
// exactly 1, at most about a hundred of them, and the work counted up to its total (the last
// fraction before the end at 0.95 or more).
void ExpectWholeWork(const Heard& heard, const std::string& what) {
  ASSERT_GE(heard.size(), 3u) << what;
  EXPECT_LE(heard.size(), 102u) << what;
  EXPECT_EQ(heard.front().second, 0.0f) << what;
  EXPECT_EQ(heard.back().second, 1.0f) << what;
  EXPECT_GE(heard[heard.size() - 2].second, 0.95f) << what;
  for (std::size_t i = 0; i < heard.size(); ++i) {
    EXPECT_EQ(heard[i].first, what);
    if (i > 0) {
      EXPECT_GT(heard[i].second, heard[i - 1].second) << what << " report " << i;
    }
  }
}

TEST(ProgressMeterTest, ReportsEachHundredthOnceInStagesAndTheEndExactlyOnce) {
  ListeningHost host;
  {
    ProgressMeter meter(host, "Counting...", 1000);
    for (int pass = 0; pass < 2; ++pass) {  // counts already passed are ignored
      for (std::uint64_t i = 0; i < 1000; ++i) meter.Step(i);
    }
    meter.Step(5000);
  }
  std::vector<float> expected;
  for (int k = 0; k < 100; ++k) expected.push_back(static_cast<float>(k) / 100.0f);
  expected.push_back(1.0f);
  EXPECT_EQ(Fractions(host.heard), expected);

  // Two stages: 10 units up to a quarter of the bar, then 3 units for the rest; the end is
  // reported once, by Finish, not again by the destructor.
  host.heard.clear();
  {
    ProgressMeter meter(host, "Staged...", 10, 0.25f);
    meter.Advance(10);
    meter.NextStage(3);
    for (int i = 0; i < 3; ++i) meter.Advance();
    meter.Finish();
    meter.Advance();
  }
  EXPECT_EQ(Fractions(host.heard), (std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f, 1.0f}));

  // Nothing to count: the start and the end.
  host.heard.clear();
  { ProgressMeter meter(host, "Nothing...", 0); }
  EXPECT_EQ(Fractions(host.heard), (std::vector<float>{0.0f, 1.0f}));

  ProgressMeter unheard;
  unheard.Advance(100);
  unheard.Finish();

  EXPECT_EQ(ProgressText("Reading", "/models/ship.zmf"), "Reading ship.zmf...");
  EXPECT_EQ(ProgressText("Importing", "C:\\art\\ship.3ds"), "Importing ship.3ds...");
  EXPECT_EQ(ProgressText("Writing", "ship.zmf"), "Writing ship.zmf...");
}

// A grid of 317 x 317 vertices (100,489) with two faces per square, built alike in a model whose
// host listens and in one whose host does not.
class ProgressTest : public ::testing::Test {
 protected:
  static constexpr int kSide = 317;

  void SetUp() override {
    for (Model* m : {&model, &quiet}) {
      std::vector<Vertex*> grid;
      for (int r = 0; r < kSide; ++r) {
        for (int c = 0; c < kSide; ++c) {
          Vertex* v = m->AppendVertex();
          m->SetVertex(v, {c * 0.5f, static_cast<float>((r * 7 + c * 3) % 5), r * 0.5f}, {0, 1, 0},
                       c / 316.0f, r / 316.0f);
          grid.push_back(v);
        }
      }
      for (int r = 0; r + 1 < kSide; ++r) {
        for (int c = 0; c + 1 < kSide; ++c) {
          const int i = r * kSide + c;
          m->MakeFace(grid[i], grid[i + kSide], grid[i + kSide + 1]);
          m->MakeFace(grid[i], grid[i + kSide + 1], grid[i + 1]);
        }
      }
      m->DeselectAll();
    }
  }

  ListeningHost host;
  ScriptedHost quietHost;
  RecordingTextureStore textures;
  Model model{host, textures};
  Model quiet{quietHost, textures};
};

TEST_F(ProgressTest, ZmfFilesAreReadAndWrittenAlikeWithTheirProgressTold) {
  const testing::TempFolder folder;
  ASSERT_TRUE(format::WriteModelFile(quiet, folder.File("quiet.zmf")));
  ASSERT_TRUE(format::WriteModelFile(model, folder.File("grid.zmf")));
  ExpectWholeWork(host.heard, "Writing grid.zmf...");
  const std::string written = testing::ReadFile(folder.File("grid.zmf"));
  EXPECT_EQ(written, testing::ReadFile(folder.File("quiet.zmf")));

  host.heard.clear();
  format::ReadModelFile(model, folder.File("grid.zmf"));
  ExpectWholeWork(host.heard, "Reading grid.zmf...");
  format::ReadModelFile(quiet, folder.File("quiet.zmf"));
  EXPECT_EQ(testing::DumpModel(model), testing::DumpModel(quiet));

  host.heard.clear();
  EXPECT_EQ(format::WriteModelText(model), written);
  ExpectWholeWork(host.heard, "Writing model...");
}

TEST_F(ProgressTest, EditsMakeTheSameModelWithTheirProgressTold) {
  const struct {
    std::string what;
    void (*edit)(Model&);
  } edits[] = {
      {"Reducing vertices...",
       [](Model& m) {
         m.SelectAll();
         edit::ReduceSelectedVertices(m, 10.0);
       }},
      {"Splitting faces...",
       [](Model& m) {
         m.DeselectAll();
         for (Face* f : m.faces) {
           if (f->id % 9 == 0) m.faces.Select(f);
         }
         edit::SplitSelectedFaces(m, true);
       }},
      {"Welding vertices...",
       [](Model& m) {
         m.DeselectAll();
         for (Vertex* v : m.vertices) {
           if (v->id % 1000 == 0) m.vertices.Select(v);
         }
         edit::WeldSelectedVertices(m);
       }},
  };
  for (const auto& [what, edit] : edits) {
    host.heard.clear();
    edit(model);
    edit(quiet);
    ExpectWholeWork(host.heard, what);
    EXPECT_EQ(testing::DumpModel(model), testing::DumpModel(quiet)) << what;
  }
}

TEST_F(ProgressTest, ImportsTellTheirProgress) {
  model.Reset();
  std::string text;
  for (int i = 0; i < 3000; ++i) text += std::to_string(i) + ".5 1.5 2.5\n";
  for (int i = 0; i + 2 < 3000; ++i) {
    text += std::to_string(i) + " " + std::to_string(i + 1) + " " + std::to_string(i + 2) + "\n";
  }
  importers::ImportTextFrom(model, text);
  ExpectWholeWork(host.heard, "Importing text file...");
  EXPECT_EQ(model.faces.count(), 2998u);

  // A 64 x 64 true-colour heightmap.
  host.heard.clear();
  model.Reset();
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = tga[14] = 64;
  tga[16] = 24;
  tga += std::string(64 * 64 * 3, '\x40');
  ASSERT_TRUE(importers::ImportHeightmapFrom(model, tga));
  ExpectWholeWork(host.heard, "Importing heightmap...");
  EXPECT_EQ(model.faces.count(), 2u * 63 * 63);

  // An MD5 mesh, read and then made in two stages of one bar.
  host.heard.clear();
  model.Reset();
  host.SetUnscriptedAnswer(true);
  std::string md5 =
      "MD5Version 10\nnumJoints 1\nnumMeshes 1\njoints {\n\t\"root\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
      "mesh {\n\tshader \"grid\"\n\tnumverts 2000\n\tnumtris 1998\n\tnumweights 1\n"
      "\tweight 0 0 1 ( 0 0 0 )\n";
  for (int i = 0; i < 2000; ++i) md5 += "\tvert " + std::to_string(i) + " ( 0 0 ) 0 1\n";
  for (int i = 0; i + 2 < 2000; ++i) {
    md5 += "\ttri " + std::to_string(i) + " " + std::to_string(i) + " " + std::to_string(i + 1) +
           " " + std::to_string(i + 2) + "\n";
  }
  importers::ImportMd5MeshFrom(model, md5 + "}\n");
  ExpectWholeWork(host.heard, "Importing MD5 mesh...");
  EXPECT_EQ(model.faces.count(), 1998u);
}

}  // namespace
}  // namespace zmf

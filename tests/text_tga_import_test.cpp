// The text vertex importer: line patterns, triangles versus vertices, and damaged input.
#include <cstdio>
#include <string>

#include "command/open_save.h"
#include "file_fixture.h"
#include "importers/text_vertices.h"
#include "model_fixture.h"

namespace zmf {
namespace {

using namespace std::string_literals;
using testing::TempFolder;
using testing::WriteFile;

// Vertices as "x y z/nx ny nz/u v" and faces as "a b c" by vertex id, in list order.
std::string Describe(const Model& model) {
  std::string out;
  char line[200];
  for (const Vertex* v : model.vertices) {
    std::snprintf(line, sizeof line, "%g %g %g/%g %g %g/%g %g\n", v->position.x, v->position.y,
                  v->position.z, v->normal.x, v->normal.y, v->normal.z, v->u, v->v);
    out += line;
  }
  for (const Face* f : model.faces) {
    std::snprintf(line, sizeof line, "f %u %u %u m%u\n", f->a->id, f->b->id, f->c->id,
                  static_cast<unsigned>(f->material));
    out += line;
  }
  return out;
}

class TextImportTest : public testing::ModelTest {};

TEST_F(TextImportTest, LinePatternsMakeVerticesAndTriangles) {
  model.SetMaterialDefaults(1);
  model.materialCount = 2;
  model.currentMaterial = 1;
  importers::ImportTextFrom(model,
                            "1.0,2.0,3.0\n"
                            "1.5 0 0 0 0 2 0.5 1.5\n"
                            "1 2 3 4 5\n"        // five numbers make a vertex, point or not
                            "0 1 2 3\n"          // four whole numbers: a triangle on 0, 1, 2
                            "2 1 3\n"            // vertex 3 is not read yet: skipped
                            "-1,-2.5e1 3 4 5\n"  // commas, then blanks: two numbers, skipped
                            "0 0 0 0 1.1 0\n"    // squared length 1.21: kept
                            "0 0 0 3 0 4 -0.5 7\n"
                            "\t1, 2 ,3\n"  // ',' must follow a number at once
                            "2 1 3\r\n"
                            "1 2\n"
                            "0.0 1.0 2.0 x");
  EXPECT_EQ(Describe(model),
            "1 2 3/0 0 0/0 0\n"
            "1.5 0 0/0 0 1/0.5 1\n"
            "1 2 3/0 0 0/0 0\n"
            "0 0 0/0 1.1 0/0 0\n"
            "0 0 0/0.6 0 0.8/0 1\n"
            "0 1 2/0 0 0/0 0\n"
            "f 0 1 2 m1\n"
            "f 2 1 3 m1\n");
  // Not journaled, not selected, each vertex's corner chain as AddFace would make it.
  EXPECT_EQ(model.journal.position(), 0u);
  EXPECT_EQ(model.vertices.selCount() + model.faces.selCount(), 0u);
  EXPECT_EQ(FacesOf(model.vertices.Nth(1)),
            (std::vector<Face*>{model.faces.head(), model.faces.tail()}));
  EXPECT_EQ(model.boundsMin.x, 0.0f);
  EXPECT_EQ(model.boundsMax.z, 3.0f);
}

TEST_F(TextImportTest, DamagedLinesAndFilesAreSurvived) {
  std::string text =
      "0.5 0.5 0.5\n"
      "nan 1 2\n"  // has no point: a triangle line whose corners fail the test
      "0 0 99999999999\n"
      "-0 0 0\n"  // -0 is vertex 0
      "0 0 inf 1\n"
      "1.0\0002.0 3.0\n"  // the line ends at its NUL byte
      ",,,\n\n\n"s;
  text += std::string(5000, ' ') + "1.0 2.0 3.0 " + std::string(3000, '7') + "\n";
  importers::ImportTextFrom(model, text);
  EXPECT_EQ(Describe(model),
            "0.5 0.5 0.5/0 0 0/0 0\n"
            "1 2 3/0 0 0/0 0\n"
            "f 0 0 0 m0\n");

  TempFolder folder;
  const std::string path = folder.File("points.TXT");
  WriteFile(path, "1.0 2.0 3.0\r\n4.0,5.0,6.0\r\n0 1 0\r\n");
  EXPECT_EQ(command::OpenModel(model, path), command::Opened::Model);
  EXPECT_EQ(model.vertices.count(), 2u);
  EXPECT_EQ(model.faces.count(), 1u);
  EXPECT_EQ(model.boundsMax.x, 4.0f);

  const std::string missing = folder.File("missing.txt");
  EXPECT_FALSE(importers::ImportText(model, missing));
  EXPECT_EQ(host.BoxTexts(), (std::vector<std::string>{"Could not open file: " + missing +
                                                       " The application will continue."}));
}

}  // namespace
}  // namespace zmf

// The DirectX X importer: the line forms, the layouts exporters write (indented and nameless
// meshes, counts right after their lists' openings, several meshes, polygons), binary files,
// and broken counts.
#include "importers/x_file.h"

#include "command/open_save.h"
#include "edit/undo_redo.h"
#include "file_fixture.h"
#include "model/validate_model.h"
#include "model_fixture.h"

namespace zmf {
namespace {

using testing::ErrorBoxText;

constexpr std::string_view kPath = "/nowhere/model.x";

class XFileTest : public testing::ModelTest {
 protected:
  bool Import(std::string_view text) {
    model.Reset();
    host.ClearEvents();
    return importers::ImportXFileFrom(model, text, kPath);
  }

  // "x,y,z n:x,y,z t:u,v" per vertex.
  std::vector<std::string> Vertices() const {
    std::vector<std::string> rows;
    for (const Vertex* v : model.vertices) {
      std::ostringstream row;
      row << v->position.x << "," << v->position.y << "," << v->position.z << " n:" << v->normal.x
          << "," << v->normal.y << "," << v->normal.z << " t:" << v->u << "," << v->v;
      rows.push_back(row.str());
      EXPECT_EQ(v->savedNormal, v->normal);
      EXPECT_EQ(std::make_pair(v->savedU, v->savedV), std::make_pair(v->u, v->v));
    }
    return rows;
  }

  std::vector<std::array<std::uint32_t, 3>> Faces() const {
    std::vector<std::array<std::uint32_t, 3>> faces;
    for (const Face* f : model.faces) {
      EXPECT_TRUE(f->HasAllCorners());
      EXPECT_EQ(f->material, 0u);
      if (f->HasAllCorners()) faces.push_back({f->a->id, f->b->id, f->c->id});
    }
    return faces;
  }
};

using F = std::array<std::uint32_t, 3>;
using Rows = std::vector<std::string>;

// The layout the reader was made for: a line between the last vertex and the face count, and
// between the coordinates' opening and their count.
constexpr std::string_view kClassic = R"(xof 0302txt 0064
Mesh quad {
4;
0.0;0.0;0.0;,
1.0;0.0;0.0;,
1.0;1.0;0.0;,
0.0;1.0;0.0;;

2;
3;0,1,2;,
3;0,2,3;;
 MeshNormals {
4;
0.0;0.0;1.0;,
0.0;0.0;-1.0;,
1.0;0.0;0.0;,
0.0;1.0;0.0;;
2;
3;0,1,2;,
3;0,2,3;;
 }
 MeshTextureCoords {

4;
0.0;1.0;,
1.0;1.0;,
1.0;0.0;,
0.25;-2.0;;
 }
}
)";

TEST_F(XFileTest, ReadsTheClassicLayoutThroughTheJournal) {
  EXPECT_TRUE(Import(kClassic));
  EXPECT_EQ(Vertices(), (Rows{"0,0,0 n:0,0,1 t:0,1", "1,0,0 n:0,0,-1 t:1,1", "1,1,0 n:1,0,0 t:1,0",
                              "0,1,0 n:0,1,0 t:0.25,-2"}));
  EXPECT_EQ(Faces(), (std::vector<F>{{0, 1, 2}, {0, 2, 3}}));
  EXPECT_EQ(model.vertices.selCount(), 4u);
  EXPECT_EQ(model.faces.selCount(), 2u);
  EXPECT_TRUE(host.events().empty());
  // Each addition is an Undo step of its own.
  edit::Undo(model);
  EXPECT_EQ(model.faces.count(), 1u);
  edit::Undo(model);
  edit::Undo(model);
  EXPECT_EQ(model.vertices.count(), 3u);

  // A normals count that differs from the vertex count leaves every normal at (0, 0, 1).
  std::string mismatched(kClassic);
  mismatched.replace(mismatched.find(" MeshNormals {\n4;"), 17, " MeshNormals {\n3;");
  Import(mismatched);
  for (const Vertex* v : model.vertices) EXPECT_EQ(v->normal, (Vector3{0, 0, 1}));
}

TEST_F(XFileTest, ReadsTheLayoutsExportersWrite) {
  // Indented, nameless meshes inside a frame, face counts right after the last vertex, the
  // coordinate count right after its opening, two meshes, a quad and a pentagon.
  EXPECT_TRUE(Import(R"(xof 0303txt 0032
Frame Root {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }
  Mesh {
    3;
    0.0; 0.0; 0.0;,
    1.0; 0.0; 0.0;,
    0.0; 1.0; 0.0;;
    1;
    3;2,1,0;;
    MeshTextureCoords {
      3;
      0.5;0.5;,
      1.0;0.5;,
      0.5;1.0;;
    }
  }
	Mesh second{
	5;
	0;0;2;,
	1;0;2;,
	1;1;2;,
	0;1;2;,
	0.5;2;2;;
	2;
	4;0,1,2,3;,
	5;0,1,2,3,4;;
		MeshNormals {
		5;
		0;0;1;,
		0;0;1;,
		0;0;1;,
		0;0;1;,
		1;0;0;;
		}
	}
}
)"));
  EXPECT_EQ(Vertices(),
            (Rows{"0,0,0 n:0,0,1 t:0.5,0.5", "1,0,0 n:0,0,1 t:1,0.5", "0,1,0 n:0,0,1 t:0.5,1",
                  "0,0,2 n:0,0,1 t:0,0", "1,0,2 n:0,0,1 t:0,0", "1,1,2 n:0,0,1 t:0,0",
                  "0,1,2 n:0,0,1 t:0,0", "0.5,2,2 n:1,0,0 t:0,0"}));
  EXPECT_EQ(Faces(),
            (std::vector<F>{{2, 1, 0}, {3, 4, 5}, {3, 5, 6}, {3, 4, 5}, {3, 5, 6}, {3, 6, 7}}));
}

TEST_F(XFileTest, ReadsBlocksWithTheirBraceOnTheNextLine) {
  EXPECT_TRUE(Import(R"(xof 0302txt 0032
Mesh tri
{
 3;
 0;0;0;,
 1;0;0;,
 0;1;0;;
 1;
 3;0,1,2;;
 MeshNormals
 {
  3;
  1;0;0;,
  0;1;0;,
  0;0;-1;;
 }
}
Mesh
  {
1;
5;5;5;;
}
)"));
  EXPECT_EQ(Vertices(), (Rows{"0,0,0 n:1,0,0 t:0,0", "1,0,0 n:0,1,0 t:0,0", "0,1,0 n:0,0,-1 t:0,0",
                              "5,5,5 n:0,0,1 t:0,0"}));
  EXPECT_EQ(Faces(), (std::vector<F>{{0, 1, 2}}));
  // A bare "Mesh" without a brace after it is no header.
  Import("Mesh\n1;\n5;5;5;;\n");
  EXPECT_EQ(model.vertices.count(), 0u);
}

// What an import leaves: the records by id, both lists' order and selection order, and every
// word of the journal with its positions.
std::string ImportedState(const Model& m) {
  std::ostringstream out;
  out << testing::DumpModel(m);
  for (const auto& ids : {testing::Ids(m.vertices), testing::SelectedIds(m.vertices),
                          testing::Ids(m.faces), testing::SelectedIds(m.faces)}) {
    for (std::uint32_t id : ids) out << id << ' ';
    out << '\n';
  }
  out << m.journal.oldest() << ' ' << m.journal.position() << ' ' << m.journal.end() << '\n';
  for (std::uint64_t p = m.journal.oldest(); p < m.journal.end(); ++p) {
    out << m.journal.At(p).bits << ' ';
  }
  return out.str();
}

TEST_F(XFileTest, ReadsAFileBlockByBlockAsItsWholeText) {
  // A mesh header whose brace stands on the next line, with the first block ending inside either
  // line or between them; a line longer than a block; normals and coordinates; and no line end
  // at the end.
  std::string vertices, faces, normals, pairs;
  constexpr int kSide = 60;
  for (int i = 0; i < kSide * kSide; ++i) {
    const std::string x = std::to_string(i % kSide), y = std::to_string(i / kSide);
    vertices += " " + x + ";" + y + ";0.5;,\n";
    normals += " 0;0." + std::to_string(i % 10) + ";1;,\n";
    pairs += " 0." + x + ";0." + y + ";,\n";
    if (i % kSide + 1 < kSide && i / kSide + 1 < kSide) {
      faces += " 4;" + std::to_string(i) + "," + std::to_string(i + 1) + "," +
               std::to_string(i + kSide + 1) + "," + std::to_string(i + kSide) + ";,\n";
    }
  }
  const std::string count = std::to_string(kSide * kSide) + ";\n";
  const std::string rest = count + vertices + "\n" + std::to_string((kSide - 1) * (kSide - 1)) +
                           ";\n" + faces + "//" + std::string(importers::kXFileBlock + 7, 'w') +
                           "\n MeshNormals\n {\n" + count + normals + " }\n MeshTextureCoords {\n" +
                           count + pairs + " }\n}";
  const std::string head = "xof 0302txt 0064\n//";
  testing::TempFolder folder;
  const std::string path = folder.File("blocks.x");
  constexpr std::size_t kBlock = importers::kXFileBlock;
  for (std::size_t at : {kBlock - 12, kBlock - 11, kBlock - 10, kBlock - 9, kBlock - 5, kBlock}) {
    const std::string text =
        head + std::string(at - head.size() - 1, '-') + "\nMesh grid\n{\n" + rest;
    ASSERT_EQ(text.find("Mesh grid"), at);
    testing::WriteFile(path, text);
    ASSERT_TRUE(Import(text));
    const std::string whole = ImportedState(model);
    const auto events = host.events().size();
    model.Reset();
    host.ClearEvents();
    ASSERT_TRUE(importers::ImportXFile(model, path));
    EXPECT_EQ(ImportedState(model), whole) << at;
    EXPECT_EQ(host.events().size(), events);
    EXPECT_EQ(model.vertices.count(), std::size_t{kSide * kSide});
    EXPECT_EQ(model.faces.count(), std::size_t{2 * (kSide - 1) * (kSide - 1)});
  }
  // An empty file is read, with nothing in it.
  testing::WriteFile(path, "");
  model.Reset();
  EXPECT_TRUE(importers::ImportXFile(model, path));
  EXPECT_EQ(model.vertices.count(), 0u);
}

TEST_F(XFileTest, RefusesBinaryFilesAndSurvivesBrokenOnes) {
  for (std::string_view header : {"xof 0302bin 0032", "xof 0303bzip0032", "xof 0303tzip0064"}) {
    EXPECT_FALSE(Import(std::string(header) + "\nMesh m {\n1;\n1;2;3;;\n"));
    EXPECT_EQ(
        host.BoxTexts(),
        Rows{ErrorBoxText("Binary and compressed X files cannot be read, only text ones:", kPath)});
    EXPECT_EQ(model.vertices.count(), 0u);
  }
  testing::TempFolder folder;
  host.ClearEvents();
  const std::string missing = folder.File("missing.x");
  EXPECT_FALSE(importers::ImportXFile(model, missing));
  EXPECT_EQ(host.BoxTexts(), Rows{ErrorBoxText("Error: couldn't open", missing)});
  testing::WriteFile(folder.File("a.X"), kClassic);
  command::OpenModel(model, folder.File("a.X"));
  EXPECT_EQ(model.vertices.count(), 4u);

  // Counts far beyond the text, negative counts and indices, corners outside the mesh.
  Import("Mesh a {\n2147483647;\n1;2;3;,\n");
  EXPECT_EQ(Vertices(), (Rows{"1,2,3 n:0,0,1 t:0,0"}));
  Import("Mesh a {\n3;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n-5;\n3;0,1,2;;\n");
  Import(
      "Mesh a {\n3;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n4;\n3;0,1,-1;,\n3;0,1,3;,\n4;0,1,2,3;,\n3;0,1,2;;\n"
      "Mesh b {\n1;\n5;5;5;;\n1;\n3;0,0,-3;;\nMeshNormals {\n-1;\n");
  EXPECT_EQ(Faces(), (std::vector<F>{{0, 1, 2}, {0, 1, 2}}));

  // Every prefix leaves a sound model (the fuzz corpus replays damaged files).
  for (std::size_t n = 0; n <= kClassic.size(); ++n) {
    Import(kClassic.substr(0, n));
    ASSERT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty()) << n;
  }
}

}  // namespace
}  // namespace zmf

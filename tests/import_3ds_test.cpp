// The 3DS importer: objects asked for one by one, materials, colour and percentage sub-chunks,
// the slot 31 fallback, and broken chunk structures.
#include "importers/import_3ds.h"

#include <bit>
#include <tuple>

#include "command/open_save.h"
#include "file_fixture.h"
#include "model/validate_model.h"
#include "model_fixture.h"

namespace zmf {
namespace {

using Row = std::tuple<float, float, float, float, float>;  // x, y, z, u, v

std::string Word(std::uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string Long(std::uint32_t v) { return Word(v & 0xFFFF) + Word(v >> 16); }
std::string Float(float f) { return Long(std::bit_cast<std::uint32_t>(f)); }
std::string Name(std::string_view s) { return std::string(s) + '\0'; }
std::string Chunk(std::uint16_t id, const std::string& body) {
  return Word(id) + Long(static_cast<std::uint32_t>(body.size() + 6)) + body;
}
std::string Main(const std::string& body) { return Chunk(0x4D4D, Chunk(0x3D3D, body)); }

// A material entry with a name and the given colour and shininess chunks.
std::string Material(std::string_view name, const std::string& more = "") {
  return Chunk(0xAFFF, Chunk(0xA000, Name(name)) + more);
}
std::string Bytes(std::uint16_t id, int r, int g, int b) {
  return Chunk(id, {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)});
}
std::string Shininess(std::uint16_t percent) { return Chunk(0xA040, Chunk(0x0030, Word(percent))); }

// An object of one triangle mesh: vertices (x, y, z), faces (a, b, c), one material group.
std::string Object(std::string_view name, const std::vector<Vector3>& vertices,
                   const std::vector<std::array<std::uint16_t, 3>>& faces,
                   std::string_view material = "", const std::vector<std::uint16_t>& group = {},
                   const std::string& more = "") {
  std::string v = Word(static_cast<std::uint16_t>(vertices.size()));
  for (const Vector3& p : vertices) v += Float(p.x) + Float(p.y) + Float(p.z);
  std::string f = Word(static_cast<std::uint16_t>(faces.size()));
  for (const auto& face : faces) f += Word(face[0]) + Word(face[1]) + Word(face[2]) + Word(7);
  if (!material.empty()) {
    std::string g = Name(material) + Word(static_cast<std::uint16_t>(group.size()));
    for (std::uint16_t i : group) g += Word(i);
    f += Chunk(0x4130, g);
  }
  return Chunk(0x4000, Name(name) + Chunk(0x4100, Chunk(0x4110, v) + Chunk(0x4120, f) + more));
}

class Import3dsTest : public testing::ModelTest {
 protected:
  void Import(const std::string& bytes) {
    model.Reset();
    model.materialCount = 0;
    importers::Import3dsFrom(model, bytes);
  }

  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    for (const Vertex* v : model.vertices) {
      EXPECT_EQ(v->savedPosition, v->position);
      EXPECT_EQ(v->normal, Vector3{});
      EXPECT_EQ(std::make_pair(v->savedU, v->savedV), std::make_pair(v->u, v->v));
      rows.emplace_back(v->position.x, v->position.y, v->position.z, v->u, v->v);
    }
    return rows;
  }

  std::vector<testing::FaceRow> Faces() const { return testing::FaceRows(model); }

  // The model is sound, as every import leaves it, and a material of the table is current.
  void ExpectSound() const {
    ASSERT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());
    ASSERT_LT(model.currentMaterial, model.materialCount);
  }
};

TEST_F(Import3dsTest, ObjectsAreAskedForAndMaterialsAlwaysRead) {
  const std::string textureCoordinates = Chunk(
      0x4140, Word(3) + Float(0.5f) + Float(1.5f) + Float(0.25f) + Float(-2) + Float(1) + Float(3));
  const std::string file =
      Main(Material("red") +
           Object("first", {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {{0, 1, 2}}, "red", {0}) +
           Material("blue") +
           Object("second", {{4, 0, 0}, {5, 0, 0}, {6, 0, 0}, {7, 0, 0}}, {{0, 1, 2}, {3, 2, 1}},
                  "blue", {1}, textureCoordinates));
  host.QueueYes(false);
  host.QueueYes(true);
  Import(file);

  ASSERT_EQ(host.events().size(), 2u);
  EXPECT_EQ(host.events()[0].text, "Load the object: first?");
  EXPECT_EQ(host.events()[0].title, "Load Object");
  EXPECT_EQ(host.events()[1].text, "Load the object: second?");
  EXPECT_EQ(Rows(),
            (std::vector<Row>{
                {4, 0, 0, 0.5f, 1.5f}, {5, 0, 0, 0.25f, -2}, {6, 0, 0, 1, 3}, {7, 0, 0, 0, 0}}));
  // Faces start on material 0; the group moves the second face to "blue".
  using F = std::array<std::uint32_t, 4>;
  EXPECT_EQ(Faces(), (std::vector<F>{{0, 1, 2, 0}, {3, 2, 1, 1}}));
  ASSERT_EQ(model.materialCount, 2u);
  EXPECT_EQ(model.materials[0].name, "red");
  EXPECT_EQ(model.materials[1].name, "blue");
  EXPECT_EQ(model.currentMaterial, 1u);
  ExpectSound();
}

TEST_F(Import3dsTest, ColoursAndShininess) {
  const std::string file =
      Main(Material("a", Chunk(0xA010, Bytes(0x11, 255, 0, 51) + Bytes(0x12, 0, 102, 255)) +
                             Chunk(0xA020, Bytes(0x12, 1, 2, 3) + Bytes(0x11, 255, 255, 0)) +
                             Chunk(0xA030, Chunk(0x99, "xx") +
                                               Chunk(0x13, Float(0.5f) + Float(2) + Float(-1))) +
                             Shininess(100)) +
           Material("b", Shininess(50)) + Material("c", Shininess(33)));
  Import(file);
  const zmf::Material& a = model.materials[0];
  EXPECT_EQ(a.ambient, (Colour{0.0f, 102 / 255.0f, 1.0f, 1.0f}));  // the last sub-chunk wins
  EXPECT_EQ(a.diffuse, (Colour{1.0f, 1.0f, 0.0f, 1.0f}));
  EXPECT_EQ(a.specular, (Colour{0.5f, 2.0f, -1.0f, 1.0f}));
  EXPECT_EQ(a.emission, (Colour{0, 0, 0, 1}));
  EXPECT_EQ(a.shininess, 128u);
  EXPECT_EQ(model.materials[1].shininess, 64u);
  EXPECT_EQ(model.materials[1].diffuse, (Colour{0.8f, 0.8f, 0.8f, 1.0f}));
  EXPECT_EQ(model.materials[2].shininess, 42u);
}

TEST_F(Import3dsTest, UnknownMaterialNamesAndFullTables) {
  host.SetUnscriptedAnswer(true);
  const std::string longName(40, 'n');
  const auto triangle = [&](std::string_view material) {
    return Object("o", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, material, {0});
  };
  // Fewer than 32 materials: the fallback slot 31 is no material, so the face stays on 0.
  Import(Main(Material("x") + Material("y") + triangle("nowhere")));
  EXPECT_EQ(Faces()[0][3], 0u);
  EXPECT_EQ(model.materialCount, 2u);
  ExpectSound();

  // A full table: slot 31 takes the face; entries past 32 change nothing; a name longer than 31
  // characters is kept cut and still found.
  std::string materials;
  for (int i = 0; i < 30; ++i) materials += Material("m" + std::to_string(i));
  materials += Material(longName) + Material("last") + Material("extra", Shininess(100));
  Import(Main(materials + triangle("nowhere") + triangle(longName) + triangle("m3")));
  EXPECT_EQ(model.materialCount, 32u);
  EXPECT_EQ(model.materials[30].name, longName.substr(0, 31));
  EXPECT_EQ(model.materials[31].name, "last");
  EXPECT_EQ(model.materials[31].shininess, 0u);
  std::vector<std::uint32_t> materialsOfFaces;
  for (const auto& f : Faces()) materialsOfFaces.push_back(f[3]);
  EXPECT_EQ(materialsOfFaces, (std::vector<std::uint32_t>{31, 30, 3}));
  ExpectSound();
}

TEST_F(Import3dsTest, OpenKeepsADefaultMaterialAndSurvivesBrokenFiles) {
  testing::TempFolder folder;
  const std::string path = folder.File("mesh.3DS");
  testing::WriteFile(path, Main(Object("o", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{2, 1, 0}})));
  host.QueueYes(true);
  EXPECT_EQ(command::OpenModel(model, path), command::Opened::Model);
  EXPECT_EQ(model.materialCount, 1u);
  EXPECT_EQ(model.materials[0].name, "default");
  EXPECT_EQ(Faces().size(), 1u);
  EXPECT_FALSE(importers::Import3ds(model, folder.File("missing.3ds")));

  host.SetUnscriptedAnswer(true);
  // Out-of-range corners drop their face but keep its place for the material group; a group
  // index and coordinates beyond the object are ignored; counts beyond their chunk are cut.
  const std::string coordinates = Chunk(0x4140, Word(9) + Float(1) + Float(2));
  Import(Main(Material("k") + Material("m") +
              Object("o", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 3}, {0, 2, 1}, {9, 0, 1}}, "m",
                     {1, 2, 60000}, coordinates)));
  using F = std::array<std::uint32_t, 4>;
  EXPECT_EQ(Faces(), (std::vector<F>{{0, 2, 1, 1}}));
  EXPECT_EQ(Rows(), (std::vector<Row>{{0, 0, 0, 1, 2}, {1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}}));

  // A chunk length below six ends the walk: the second material is never read.
  Import(Main(Material("a")) + Word(0xAFFF) + Long(3) + Main(Material("b")));
  EXPECT_EQ(model.materialCount, 1u);

  // Every prefix of a valid file keeps the model sound (the fuzz corpus replays damaged ones).
  const std::string file =
      Main(Material("m", Chunk(0xA010, Bytes(0x11, 1, 2, 3)) + Shininess(20)) +
           Object("o", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2}, {2, 1, 3}}, "m",
                  {1}, Chunk(0x4140, Word(4) + std::string(32, '\1'))));
  for (std::size_t n = 0; n <= file.size(); ++n) {
    Import(file.substr(0, n));
    ASSERT_NO_FATAL_FAILURE(ExpectSound()) << "prefix " << n;
  }
}

}  // namespace
}  // namespace zmf

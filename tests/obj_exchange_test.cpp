// OBJ export and import: the exact texts written, small files read, damage, and a round trip.
#include <cstdio>

#include "command/open_save.h"
#include "export/obj_export.h"
#include "file_fixture.h"
#include "format/zmf_reader.h"
#include "importers/obj_import.h"
#include "model/validate_model.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using testing::ErrorBoxText;
using testing::FaceRow;
using testing::FaceRows;
using testing::ReadFile;
using testing::WriteFile;

class ObjTest : public testing::ModelTest {
 protected:
  // Writes the OBJ (and the library, when given) into the folder and imports it into the model
  // as Open would.
  bool Import(std::string_view obj, std::string_view mtl = "") {
    WriteFile(folder.File("m.obj"), obj);
    if (!mtl.empty()) WriteFile(folder.File("m.mtl"), mtl);
    model.Reset();
    model.materialCount = 0;
    host.ClearEvents();
    return importers::ImportObj(model, folder.File("m.obj"));
  }
  std::vector<Vector3> Normals() const {
    std::vector<Vector3> normals;
    for (const Vertex* v : model.vertices) normals.push_back(v->normal);
    return normals;
  }

  testing::TempFolder folder;
};

// Two materials (one textured, one unused whose name is taken once blanks are replaced), a
// face on each, numbers that need nine digits, and texture v turned up.
TEST_F(ObjTest, ExportWritesTheExactTexts) {
  Vertex* a = testing::AddFileVertex(model, {0, 0, 0}, {0, 0, 1}, 0, 0);
  Vertex* b = testing::AddFileVertex(model, {1, 0, 0}, {0, 0, 1}, 1, 0.25f);
  Vertex* c = testing::AddFileVertex(model, {0, 1, 0}, {0, -0.0f, 1}, 0, 1);
  Vertex* d = testing::AddFileVertex(model, {0.1f, 0.2f, -3}, {0.6f, 0.8f, 0}, 0.5f, 0.5f);
  model.materialCount = 3;
  for (std::uint32_t m = 1; m < 3; ++m) model.SetMaterialDefaults(m);
  Material& red = model.materials[1];
  red.name.Set("red paint");
  red.ambient = {0.1f, 0.2f, 0.3f, 1};
  red.diffuse = {1, 0, 0, 0.5f};
  red.specular = {0.25f, 0.25f, 0.25f, 1};
  red.shininess = 64;
  red.hasTexture = 1;
  red.textureFile = folder.File("tex/skin.bmp");
  model.materials[2].name.Set("red_paint");
  model.materials[2].hasTexture = 1;
  model.materials[2].textureFile = "/elsewhere/../wood.bmp";
  testing::AddFileFace(model, a, b, c, 1);
  testing::AddFileFace(model, a, c, d, 0);

  const std::string path = folder.File("scene.obj");
  ASSERT_TRUE(exporters::ExportObj(model, path));
  EXPECT_EQ(ReadFile(path),
            "mtllib scene.mtl\n"
            "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0.100000001 0.200000003 -3\n"
            "vt 0 1\nvt 1 0.75\nvt 0 0\nvt 0.5 0.5\n"
            "vn 0 0 1\nvn 0 0 1\nvn 0 -0 1\nvn 0.600000024 0.800000012 0\n"
            "usemtl default\nf 1/1/1 3/3/3 4/4/4\n"
            "usemtl red_paint\nf 1/1/1 2/2/2 3/3/3\n");
  EXPECT_EQ(ReadFile(folder.File("scene.mtl")),
            "newmtl default\n"
            "Ka 0.200000003 0.200000003 0.200000003\n"
            "Kd 0.800000012 0.800000012 0.800000012\n"
            "Ks 0 0 0\nNs 0\nd 1\n"
            "\nnewmtl red_paint\n"
            "Ka 0.100000001 0.200000003 0.300000012\n"
            "Kd 1 0 0\nKs 0.25 0.25 0.25\nNs 500\nd 0.5\nmap_Kd tex/skin.bmp\n"
            "\nnewmtl red_paint_2\n"
            "Ka 0.200000003 0.200000003 0.200000003\n"
            "Kd 0.800000012 0.800000012 0.800000012\n"
            "Ks 0 0 0\nNs 0\nd 1\nmap_Kd /wood.bmp\n");
  EXPECT_TRUE(host.events().empty());
}

// Save chooses the export by the name, and an export leaves the document as it was; a model
// without vertices writes nothing, a file that cannot be made is reported.
TEST_F(ObjTest, SavingAsObjIsAnExport) {
  testing::BuildOneTriangle(model);
  model.MarkChanged();
  const std::string path = folder.File("out.OBJ");
  EXPECT_EQ(command::SaveModel(model, path), command::Saved::Written);
  EXPECT_EQ(ReadFile(folder.File("out.mtl")).substr(0, 15), "newmtl default\n");
  EXPECT_EQ(model.document.path, kUntitledName);
  EXPECT_TRUE(model.HasUnsavedChanges());
  // Export writes even a ZMF name as a copy.
  EXPECT_EQ(command::ExportModel(model, folder.File("copy.zmf")), command::Saved::Written);
  EXPECT_EQ(model.document.path, kUntitledName);
  EXPECT_TRUE(model.HasUnsavedChanges());

  const std::string missing = folder.File("no/out.obj");
  EXPECT_EQ(command::SaveModel(model, missing), command::Saved::Failed);
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{ErrorBoxText("Could not write to file:",
                                                                   folder.File("no/out.mtl"))});
  model.Reset();
  EXPECT_FALSE(exporters::ExportObj(model, folder.File("empty.obj")));
  EXPECT_EQ(testing::FilesIn(folder.path()),
            (std::vector<std::string>{"copy.zmf", "out.OBJ", "out.mtl"}));
}

// A quad and a pentagon (named by negative indices) are fans from their first corner; without
// normals in the file they are computed, and faces without a material get a default one.
TEST_F(ObjTest, PolygonsAreFannedAndMissingNormalsComputed) {
  ASSERT_TRUE(
      Import("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n"
             "v 2 0 0\nv 3 0 0\nv 3 1 0\nv 2.5 2 0\nv 2 1 0\nf -5 -4 -3 -2 -1\n"));
  EXPECT_EQ(
      FaceRows(model),
      (std::vector<FaceRow>{{0, 1, 2, 0}, {0, 2, 3, 0}, {4, 5, 6, 0}, {4, 6, 7, 0}, {4, 7, 8, 0}}));
  EXPECT_EQ(Normals(), std::vector<Vector3>(9, Vector3{0, 0, 1}));
  EXPECT_EQ(model.materialCount, 1u);
  EXPECT_EQ(model.materials[0].name.view(), "default");
  EXPECT_EQ(model.vertices.selCount(), 0u);
  EXPECT_EQ(model.journal.position(), 0u);
  EXPECT_TRUE(host.events().empty());
}

// One vertex per distinct corner, ordered by position; the library's colours, shininess and
// texture; a texture outside the folder is refused and its material kept without it.
TEST_F(ObjTest, MaterialsTexturesAndCorners) {
  WriteFile(folder.File("skin.bmp"), testing::SolidBmp64(0, 0, 255));
  ASSERT_TRUE(
      Import("mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.25 0.75\nvn 0 0 -1\n"
             "usemtl skin\nf 1/1/1 2/1/1 3/1/1\nusemtl bad\nf 1/1 3/1 2/1\n",
             "newmtl skin\nKa 0.1 0.2 0.3\nKd 1 0.5 0\nKs 0.25 0.25 0.25\nNs 187.5\nd 0.5\n"
             "map_Kd skin.bmp\n\nnewmtl bad\nKd 0 1 0\nmap_Kd ../x.bmp\n"));
  EXPECT_EQ(FaceRows(model), (std::vector<FaceRow>{{0, 2, 4, 0}, {1, 5, 3, 1}}));
  EXPECT_EQ(Normals(),
            (std::vector<Vector3>{
                {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}}));
  EXPECT_EQ(model.vertices.Nth(3)->u, 0.25f);
  EXPECT_EQ(model.vertices.Nth(3)->v, 0.25f);
  ASSERT_EQ(model.materialCount, 2u);
  const Material& skin = model.materials[0];
  EXPECT_EQ(skin.name.view(), "skin");
  EXPECT_EQ(skin.ambient, (Colour{0.1f, 0.2f, 0.3f, 1}));
  EXPECT_EQ(skin.diffuse, (Colour{1, 0.5f, 0, 0.5f}));
  EXPECT_EQ(skin.specular, (Colour{0.25f, 0.25f, 0.25f, 1}));
  EXPECT_EQ(skin.shininess, 24u);
  EXPECT_EQ(skin.textureFile, folder.File("skin.bmp"));
  ASSERT_EQ(textures.live().count(skin.texture), 1u);
  EXPECT_EQ(textures.live().at(skin.texture).rgba[0], 255);  // red
  EXPECT_EQ(model.materials[1].hasTexture, 0);
  EXPECT_EQ(model.materials[1].diffuse, (Colour{0, 1, 0, 1}));
  EXPECT_EQ(host.BoxTexts(),
            std::vector<std::string>{
                ErrorBoxText("A texture outside the model's folder is not loaded:", "../x.bmp")});
}

TEST_F(ObjTest, DamagedFiles) {
  // A polygon naming a missing vertex is left out, with one warning.
  EXPECT_TRUE(Import("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 4\nf 1 2 -4\n"));
  EXPECT_EQ(FaceRows(model), (std::vector<FaceRow>{{0, 1, 2, 0}}));
  EXPECT_EQ(host.BoxTexts(),
            std::vector<std::string>{ErrorBoxText(
                "The OBJ file was read with warnings:",
                "Vertex indices out of bounds (line 6.) 2 polygons name vertices that the file "
                "does not have and were left out.")});
  // Cut off inside a corner, and a zero index: nothing is made, and the loader's reason shown.
  const std::pair<std::string_view, char> damaged[] = {
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1/1 2/1/1 3/", '4'}, {"v 0 0 0\nf 1 0 1\n", '2'}};
  for (const auto& [text, line] : damaged) {
    EXPECT_FALSE(Import(text));
    EXPECT_EQ(host.BoxTexts(),
              std::vector<std::string>{ErrorBoxText(
                  "Damaged OBJ file:", folder.File("m.obj") +
                                           ": Failed parse `f' line(e.g. zero value for face "
                                           "index. line " +
                                           line + ".)")});
  }
  EXPECT_FALSE(importers::ImportObj(model, folder.File("none.obj")));
  // Forty materials: the faces of the last nine join slot 31.
  std::string obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nmtllib m.mtl\n", mtl;
  for (int m = 0; m < 40; ++m) {
    obj += "usemtl m" + std::to_string(m) + "\nf 1 2 3\n";
    mtl += "newmtl m" + std::to_string(m) + "\n";
  }
  EXPECT_TRUE(Import(obj, mtl));
  EXPECT_EQ(model.materialCount, 32u);
  EXPECT_EQ(model.faces.tail()->material, 31u);
  EXPECT_EQ(host.BoxTexts(),
            std::vector<std::string>{ErrorBoxText(
                "The OBJ file was read with warnings:",
                "The file has more materials than the 32 of a model; the faces of the others "
                "take the last one.")});
}

// Every prefix of a small file (and of its library) imports a sound model, or fails with only the
// damage reported.
TEST_F(ObjTest, EveryTruncatedPrefix) {
  WriteFile(folder.File("skin.bmp"), testing::SolidBmp64(0, 0, 255));
  const std::string obj =
      "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0.5 0.5\nvn 0 0 1\n"
      "usemtl skin\nf 1/1/1 2/1/1 3/1/1 4/1/1\ng side\nusemtl plain\nf -4//1 -2//1 -1//1\n";
  const std::string mtl = "newmtl skin\nKd 1 0 0\nmap_Kd skin.bmp\nnewmtl plain\nKa 0 1 0\n";
  for (std::size_t cut = 0; cut <= obj.size() + mtl.size(); ++cut) {
    const bool read = cut <= obj.size() ? Import(obj.substr(0, cut), mtl)
                                        : Import(obj, mtl.substr(0, cut - obj.size()));
    if (read) {
      EXPECT_TRUE(ValidateModel(model, kImportedModelRules).empty()) << cut;
    } else {
      ASSERT_EQ(host.BoxTexts().size(), 1u) << cut;
      EXPECT_EQ(host.BoxTexts()[0].substr(0, 17), "Damaged OBJ file:") << cut;
    }
  }
  EXPECT_EQ(FaceRows(model), (std::vector<FaceRow>{{0, 2, 3, 0}, {0, 3, 5, 0}, {1, 4, 6, 1}}));
  EXPECT_EQ(model.materials[0].textureFile, folder.File("skin.bmp"));
  EXPECT_TRUE(host.events().empty());
}

// Hand-made damage: numbers that are not finite read as 0, parts past the file's numbers are
// left out, and unknown or outside libraries and materials fall back to the default material.
TEST_F(ObjTest, HandMadeDamage) {
  EXPECT_TRUE(
      Import("v nan inf -inf\nv 1e40 0 0\nv 0 1 0\nvt 2 2\nf 1/2/3 2/1/9 3/-7/1\n"
             "mtllib ../m.mtl /m.mtl\nusemtl lost\nf 1 2 3\n",
             "newmtl lost\n"));
  EXPECT_EQ(FaceRows(model), (std::vector<FaceRow>{{0, 1, 3, 0}, {0, 2, 3, 0}}));
  EXPECT_EQ(model.vertices.Nth(1)->position, (Vector3{0, 0, 0}));
  EXPECT_EQ(model.vertices.Nth(1)->u, 2.0f);
  EXPECT_EQ(model.vertices.Nth(3)->position, (Vector3{0, 1, 0}));
  EXPECT_EQ(model.materials[0].name.view(), "default");
  const char* outside = "A material library outside the model's folder is not read:";
  EXPECT_EQ(host.BoxTexts(),
            (std::vector<std::string>{
                ErrorBoxText(outside, "../m.mtl"), ErrorBoxText(outside, "/m.mtl"),
                ErrorBoxText("The OBJ file was read with warnings:",
                             "Failed to load material file(s). Use default material. material [ "
                             "'lost' ] not found in .mtl Vertex normal indices out of bounds "
                             "(line 8.) Vertex texcoord indices out of bounds (line 8.)")}));
  // A zero after a slash, or no number there, is damage.
  for (const char* face : {"f 1//0 1 1\n", "f 1/x 1 1\n", "f 1 1 1/\n"}) {
    EXPECT_FALSE(Import(std::string("v 0 0 0\n") + face));
    EXPECT_EQ(host.BoxTexts()[0].substr(0, 17), "Damaged OBJ file:");
  }
  // More corners than a polygon may have.
  std::string big = "v 0 0 0\nf";
  for (int k = 0; k < 300; ++k) big += " 1";
  EXPECT_FALSE(Import(big + "\n"));
  EXPECT_EQ(host.BoxTexts(),
            std::vector<std::string>{ErrorBoxText(
                "Polygons of more than 255 corners cannot be read:", folder.File("m.obj"))});
}

// The sample worm, with its texture beside it, exported and opened again.
TEST_F(ObjTest, WormRoundTrip) {
  WriteFile(folder.File("worm.bmp"), ReadFile(ZMF_EXAMPLES_DIR "/worm.bmp"));
  WriteFile(folder.File("worm.zmf"), ReadFile(ZMF_EXAMPLES_DIR "/worm.zmf"));
  ScriptedHost otherHost;
  Model original(otherHost, textures);
  ASSERT_EQ(command::OpenModel(original, folder.File("worm.zmf")), command::Opened::Model);
  ASSERT_TRUE(exporters::ExportObj(original, folder.File("worm.obj")));
  ASSERT_EQ(command::OpenModel(model, folder.File("worm.obj")), command::Opened::Model);
  EXPECT_TRUE(host.events().empty());

  ASSERT_EQ(model.vertices.count(), original.vertices.count());
  for (const Vertex *v = model.vertices.head(), *w = original.vertices.head(); v != nullptr;
       v = v->next, w = w->next) {
    EXPECT_EQ(v->position, w->position);
    EXPECT_EQ(v->normal, w->normal);
    EXPECT_EQ(v->u, w->u);
    EXPECT_EQ(v->v, w->v);
  }
  ASSERT_EQ(model.materialCount, original.materialCount);
  for (std::uint32_t m = 0; m < model.materialCount; ++m) {
    const Material& a = model.materials[m];
    const Material& b = original.materials[m];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.ambient, b.ambient);
    EXPECT_EQ(a.diffuse, b.diffuse);
    EXPECT_EQ(a.specular, b.specular);
    EXPECT_EQ(a.shininess, b.shininess);
    EXPECT_EQ(a.textureFile, b.textureFile);
    EXPECT_EQ(a.texture != 0, b.texture != 0);
    EXPECT_EQ(testing::ChainCorners(model, m), testing::ChainCorners(original, m));
  }
}

}  // namespace
}  // namespace zmf

// The ZQD importer: points, 1-based triangles, colours, texture images beside the file, texture
// coordinates, the section messages, and broken files.
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "command/open_save.h"
#include "file_fixture.h"
#include "importers/zqd.h"
#include "model/validate_model.h"
#include "model_fixture.h"

namespace zmf {
namespace {

using testing::ErrorBoxText;

using Boxes = std::vector<std::string>;
using Rows = std::vector<testing::FaceRow>;

const std::string kPalette = [] {
  std::string lines;
  for (int i = 0; i < 16; ++i) lines += "255 255 255\n";
  return lines;
}();

// Four points, two triangles, their colours, the palette, images and coordinates.
std::string Zqd(const std::string& triangles, const std::string& colours, const std::string& images,
                const std::string& coordinates) {
  return "ZQD\nPOINTS\n0 0 0\n1 0 0\n0 1 0\n0 0 1\nFACES\n" + triangles + "COLORS\n" + colours +
         "PALETTE\n" + kPalette + "TEXTURE_IMAGE\n" + images + "TEXTURE_COORDINATES\n" +
         coordinates;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

class ZqdImportTest : public testing::ModelTest {
 protected:
  void Import(const std::string& text) {
    model.Reset();
    host.ClearEvents();
    importers::ImportZqdFrom(model, text, folder.File("model.zqd"));
  }

  testing::TempFolder folder;
};

TEST_F(ZqdImportTest, PointsTrianglesColoursImagesAndCoordinates) {
  testing::WriteFile(folder.File("wood.bmp"), testing::SolidBmp64(0, 0, 255));
  const std::string text = Zqd("1 2 3\n2 3 4\n", "0\n2\n", "wood.bmp\n", "200 400\n0 0\n4 8\n");
  for (const std::string& file : {text, WithCrLf(text)}) {
    const std::string path = folder.File("model.ZQD");
    testing::WriteFile(path, file);
    host.ClearEvents();
    EXPECT_EQ(command::OpenModel(model, path), command::Opened::Model);
    EXPECT_TRUE(host.BoxTexts().empty());
    ASSERT_EQ(model.vertices.count(), 4u);
    EXPECT_EQ(model.vertices.Nth(3)->position, (Vector3{0, 0, 1}));
    EXPECT_EQ(model.vertices.Nth(0)->u, 0.5f);
    EXPECT_EQ(model.vertices.Nth(0)->v, 1.0f);
    EXPECT_EQ(model.vertices.Nth(2)->u, 0.01f);
    EXPECT_EQ(model.vertices.Nth(3)->u, 0.0f);  // no coordinates given
    EXPECT_EQ(model.boundsMax, (Vector3{1, 1, 1}));
    EXPECT_EQ(testing::FaceRows(model), (Rows{{0, 1, 2, 0}, {1, 2, 3, 2}}));
    // Colour 2 needs materials 1 and 2; the image goes to material 0.
    ASSERT_EQ(model.materialCount, 3u);
    EXPECT_EQ(model.materials[2].name, "default");
    const Material& wood = model.materials[0];
    EXPECT_EQ(wood.hasTexture, 1);
    EXPECT_EQ(wood.textureFile, folder.File("wood.bmp"));
    EXPECT_EQ(textures.live().count(wood.texture), 1u);
    EXPECT_EQ(model.materials[1].hasTexture, 0);
  }

  host.ClearEvents();
  EXPECT_FALSE(importers::ImportZqd(model, folder.File("none.zqd")));
  EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText("Could not open file:", folder.File("none.zqd"))});
}

TEST_F(ZqdImportTest, MissingSectionsAreReportedAndKeepWhatWasRead) {
  const std::string path = folder.File("model.zqd");
  const std::string complete = Zqd("1 2 3\n", "1\n", "", "");
  const struct {
    std::string text;
    std::string message;
    std::uint32_t faces;
  } cases[] = {
      {"", "Not a .ZQD file:", 0},
      {"ZQD2\nPOINTS\n0 0 0\n", "Not a .ZQD file:", 0},
      {"ZQD\nFACES\n", "No POINTS field found after ZQD header:", 0},
      {complete.substr(0, complete.find("PALETTE")),
       "No PALETTE field found after COLORS header:", 1},
      {complete.substr(0, complete.find("PALETTE")) + "PALETTE\n1\n2\n",
       "No TEXTURE_IMAGE field found after PALETTE header:", 1},
  };
  for (const auto& c : cases) {
    Import(c.text);
    EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText(c.message, path)}) << c.text;
    EXPECT_EQ(model.faces.count(), c.faces);
    EXPECT_EQ(model.materialCount, c.faces == 0 ? 1u : 2u);
    EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());
  }
}

TEST_F(ZqdImportTest, BrokenTrianglesColoursAndImagesAreSurvived) {
  std::string images = "\n  \nC:\\art\\stone.bmp  \n";  // blank lines are passed over
  for (int i = 1; i < 33; ++i) images += "more" + std::to_string(i) + ".txt\n";
  // Corner 0, corner 5 of 4, a corner of -1 and a line of two numbers drop their triangles;
  // colours 40 and 32 are ignored, and the colours stay with their triangles.
  Import(Zqd("1 2 3\n0 1 2\n2 3 5\n\n-1 2 3\n1 2\n3 4 1\n2 2 2\n", "1 0 7 3 40\n9 32\n", images,
             "1 2 3 nan x 5"));
  EXPECT_EQ(testing::FaceRows(model), (Rows{{0, 1, 2, 1}, {2, 3, 0, 9}, {1, 1, 1, 0}}));
  EXPECT_EQ(model.materialCount, 32u);
  EXPECT_EQ(model.materials[0].textureFile, folder.File("stone.bmp"));
  EXPECT_EQ(model.materials[31].textureFile, folder.File("more31.txt"));
  EXPECT_EQ(model.vertices.Nth(1)->u, 3 / 400.0f);
  EXPECT_TRUE(std::isnan(model.vertices.Nth(1)->v));
  EXPECT_EQ(model.vertices.Nth(2)->u, 0.0f);  // the coordinates ended at "x"
  const Boxes boxes = host.BoxTexts();
  ASSERT_EQ(boxes.size(), 32u);
  EXPECT_EQ(boxes[0], ErrorBoxText("Could not load texture file:", folder.File("stone.bmp")));
  EXPECT_EQ(boxes[1], ErrorBoxText("Unrecognized texture format:", folder.File("more1.txt")));
  EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());

  for (const std::string& text : std::vector<std::string>{
           "ZQD POINTS", "ZQD\nPOINTS\n1 2 3\nFACES\n1 1 1\n4294967296 1 1\n",
           "ZQD\nPOINTS\nFACES\n1 2 3\nCOLORS\n5\nPALETTE\n", std::string("ZQD\nPOINTS\n\0\n", 13),
           // The colours are looked for after a last line without line end.
           "ZQD\nPOINTS\n1 2 3"}) {
    Import(text);
    EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty()) << text;
  }
}

}  // namespace
}  // namespace zmf

// The text vertex and TGA heightmap importers: line patterns, triangles versus vertices, the
// Targa types and depths, the grid, and damaged input.
#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "command/open_save.h"
#include "edit/undo_redo.h"
#include "file_fixture.h"
#include "importers/text_vertices.h"
#include "importers/tga_heightmap.h"
#include "model_fixture.h"

namespace zmf {
namespace {

using testing::ErrorBoxText;

using namespace std::string_literals;
using importers::TgaImage;
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
  EXPECT_EQ(host.BoxTexts(),
            std::vector<std::string>{ErrorBoxText("Could not open file:", missing)});
}

// ---- Targa images

struct TgaHeader {
  std::uint8_t idLength = 0;
  std::uint8_t mapType = 0;
  std::uint8_t type = 2;
  std::uint16_t mapFirst = 0;
  std::uint16_t mapLength = 0;
  std::uint8_t mapBits = 0;
  std::uint16_t width = 1;
  std::uint16_t height = 1;
  std::uint8_t depth = 24;
  std::uint8_t descriptor = 0x20;
};

std::string Tga(const TgaHeader& h, std::string_view rest) {
  std::string bytes(18, '\0');
  auto put16 = [&](int at, unsigned v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>(v >> 8);
  };
  bytes[0] = static_cast<char>(h.idLength);
  bytes[1] = static_cast<char>(h.mapType);
  bytes[2] = static_cast<char>(h.type);
  put16(3, h.mapFirst);
  put16(5, h.mapLength);
  bytes[7] = static_cast<char>(h.mapBits);
  put16(12, h.width);
  put16(14, h.height);
  bytes[16] = static_cast<char>(h.depth);
  bytes[17] = static_cast<char>(h.descriptor);
  return bytes + std::string(rest);
}

std::vector<int> Pixels(const std::string& file) {
  TgaImage image;
  if (!importers::ReadTgaFrom(file, image)) return {-1};
  std::vector<int> values{image.width, image.height};
  values.insert(values.end(), image.pixels.begin(), image.pixels.end());
  return values;
}

using V = std::vector<int>;

TEST(TgaReader, TypesDepthsRunLengthAndOrder) {
  EXPECT_EQ(Pixels(Tga({.width = 2, .depth = 32, .descriptor = 8}, "\1\2\3\4\5\6\7\10")),
            (V{2, 1, 1, 2, 3, 4, 5, 6, 7, 8}));
  // 24 bits leave the fourth byte 0.
  EXPECT_EQ(Pixels(Tga({.width = 2}, "\1\2\3\4\5\6")), (V{2, 1, 1, 2, 3, 0, 4, 5, 6, 0}));
  // 16 bits: 1 10101 01010 11111.
  EXPECT_EQ(Pixels(Tga({.depth = 16}, "\x5F\xD5")), (V{1, 1, 248, 80, 168, 0}));
  // Colour-mapped, after a two-byte ID; an index past the palette stays black.
  const std::string palette = "\x0A\x0B\x0C\x14\x15\x16";
  EXPECT_EQ(Pixels(Tga({.idLength = 2,
                        .mapType = 1,
                        .type = 1,
                        .mapLength = 2,
                        .mapBits = 24,
                        .width = 3,
                        .depth = 8},
                       "ID" + palette + "\1\0\5"s)),
            (V{3, 1, 20, 21, 22, 0, 10, 11, 12, 0, 0, 0, 0, 0}));
  EXPECT_EQ(
      Pixels(Tga({.mapType = 1, .type = 9, .mapLength = 2, .mapBits = 24, .width = 3, .depth = 8},
                 palette + "\x82\1"s)),
      (V{3, 1, 20, 21, 22, 0, 20, 21, 22, 0, 20, 21, 22, 0}));
  // A palette whose first entry is index 39: indices below it or past its end stay black.
  EXPECT_EQ(Pixels(Tga({.mapType = 1,
                        .type = 1,
                        .mapFirst = 39,
                        .mapLength = 2,
                        .mapBits = 24,
                        .width = 4,
                        .depth = 8},
                       palette + "\x28\x27\x26\x29"s)),
            (V{4, 1, 20, 21, 22, 0, 10, 11, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // Grey: the value as blue, green and red; 16 bits add alpha; run-length type 11.
  EXPECT_EQ(Pixels(Tga({.type = 3, .width = 2, .depth = 8}, "\x10\xF0")),
            (V{2, 1, 16, 16, 16, 0, 240, 240, 240, 0}));
  EXPECT_EQ(Pixels(Tga({.type = 3, .depth = 16}, "\x10\x80")), (V{1, 1, 16, 16, 16, 128}));
  EXPECT_EQ(Pixels(Tga({.type = 11, .width = 3, .depth = 8}, "\x81\x07\x00\x09"s)),
            (V{3, 1, 7, 7, 7, 0, 7, 7, 7, 0, 9, 9, 9, 0}));
  // A run of two, then two raw pixels.
  EXPECT_EQ(Pixels(Tga({.type = 10, .width = 2, .height = 2}, "\x81\1\2\3\1\4\5\6\7\10\11")),
            (V{2, 2, 1, 2, 3, 0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}));
  // Packets reaching past the image end are cut there.
  EXPECT_EQ(Pixels(Tga({.type = 10, .width = 3, .depth = 32}, "\xFF\1\2\3\4")),
            (V{3, 1, 1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4}));
  EXPECT_EQ(Pixels(Tga({.type = 10, .width = 1, .depth = 16}, "\x7F\x5F\xD5")),
            (V{1, 1, 248, 80, 168, 0}));
  // A colour map in a true-colour file is skipped: two 16-bit entries.
  EXPECT_EQ(Pixels(Tga({.mapType = 1, .mapLength = 2, .mapBits = 16}, "\xEE\xEE\xEE\xEE\1\2\3")),
            (V{1, 1, 1, 2, 3, 0}));
  EXPECT_EQ(Pixels(Tga({.width = 0, .height = 9}, "")), (V{0, 9}));
}

// A 3 x 2 grey picture (top row 1 2 3, bottom row 4 5 6) as a file stores it with `descriptor`.
std::string GreyPicture(std::uint8_t descriptor) {
  std::string rows[2] = {"\1\2\3", "\4\5\6"};
  if ((descriptor & 0x10) != 0) {
    for (std::string& row : rows) std::reverse(row.begin(), row.end());
  }
  if ((descriptor & 0x20) == 0) std::swap(rows[0], rows[1]);
  return Tga({.type = 3, .width = 3, .height = 2, .depth = 8, .descriptor = descriptor},
             rows[0] + rows[1]);
}

TEST(TgaReader, OnePictureWhateverOrderTheFileStoresItsRowsIn) {
  const V picture{3, 2, 1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0, 4, 4, 4, 0, 5, 5, 5, 0, 6, 6, 6, 0};
  for (std::uint8_t descriptor : {0x00, 0x20, 0x10, 0x30, 0x08, 0x28}) {
    EXPECT_EQ(Pixels(GreyPicture(descriptor)), picture) << int{descriptor};
  }
  // Run-length packets cross rows; the rows still come out in picture order.
  EXPECT_EQ(
      Pixels(Tga({.type = 10, .width = 1, .height = 3, .descriptor = 0}, "\x81\1\1\1\0\2\2\2"s)),
      (V{1, 3, 2, 2, 2, 0, 1, 1, 1, 0, 1, 1, 1, 0}));
}

TEST(TgaReader, RefusesWhatItCannotRead) {
  const std::string palette = "\1\2\3";
  for (const std::string& file : {
           Tga({.type = 3, .depth = 24}, "\1\2\3"),  // grey
           Tga({.type = 32, .depth = 8}, "\1"),
           Tga({}, "\1\2\3").substr(0, 17),  // short header
           Tga({.depth = 8}, "\1"),
           Tga({.depth = 15}, "\1\2"),  // depths
           Tga({.type = 1, .mapLength = 1, .mapBits = 24, .depth = 8}, palette + "\0"s),
           Tga({.mapType = 1, .type = 1, .mapLength = 1, .mapBits = 32, .depth = 8}, "\0\0\0\0\0"s),
           Tga({.mapType = 1, .type = 1, .mapLength = 0, .mapBits = 24, .depth = 8}, "\0"s),
           Tga({.mapType = 1, .type = 9, .mapLength = 9, .mapBits = 24, .depth = 8}, palette),
           Tga({.idLength = 200}, "\1\2\3"),
           Tga({.width = 2}, "\1\2\3\4\5"),                    // one byte short
           Tga({.width = 65535, .height = 65535}, "\1\2\3"),   // absurd size
           Tga({.type = 10, .width = 3}, "\x81\1\2\3"),        // runs end early
           Tga({.type = 10, .width = 3}, "\x82\1\2"),          // run without its value
           Tga({.type = 10, .width = 3}, "\x02\1\2\3\4\5\6"),  // raw pixels missing
           // Room for every pixel, but above the largest image read.
           Tga({.type = 10, .width = 4097, .height = 4096}, std::string(4097 * 32 * 4, '\xFF')),
       }) {
    TgaImage image;
    EXPECT_FALSE(importers::ReadTgaFrom(file, image))
        << ::testing::PrintToString(file.substr(0, 24));
    EXPECT_TRUE(image.pixels.empty());
  }
}

// Open descriptors of this process.
int OpenFiles() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

class HeightmapTest : public testing::ModelTest {};

TEST_F(HeightmapTest, GridOfVerticesAndFaces) {
  // Blues 0, 255, 0, 255 in stored (file) order.
  ASSERT_TRUE(importers::ImportHeightmapFrom(
      model, Tga({.width = 2, .height = 2}, "\0\0\0\xFF\0\0\0\0\0\xFF\0\0"s)));
  EXPECT_EQ(Describe(model),
            "0 0 0/0 1 0/0 0\n"
            "0.5 1 0/0 1 0/0.5 0\n"
            "0 0 0.5/0 1 0/0 0.5\n"
            "0.5 1 0.5/0 1 0/0.5 0.5\n"
            "f 0 2 3 m0\n"
            "f 0 3 1 m0\n");
  EXPECT_EQ(SelectedIds(model.vertices), (std::vector<std::uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(SelectedIds(model.faces), (std::vector<std::uint32_t>{0, 1}));
  // Journaled, one undo step per record: four vertices and two faces.
  EXPECT_EQ(model.journal.position(), 4 * 11 + 2 * 6u);
  edit::Undo(model);
  EXPECT_EQ(model.faces.count(), 1u);

  // The picture's top-left pixel is vertex 0 whichever way the rows are stored.
  for (std::uint8_t descriptor : {0x00, 0x20, 0x30}) {
    model.Reset();
    ASSERT_TRUE(importers::ImportHeightmapFrom(model, GreyPicture(descriptor)));
    EXPECT_EQ(model.vertices.Nth(0)->position, (Vector3{0, 1 / 255.0f, 0}));
    EXPECT_EQ(model.vertices.Nth(5)->position, (Vector3{2 / 3.0f, 6 / 255.0f, 0.5f}));
  }

  TempFolder folder;
  const std::string path = folder.File("land.tga");
  WriteFile(path, Tga({.width = 5, .height = 3, .descriptor = 0}, std::string(45, '\x33')));
  ASSERT_EQ(command::OpenModel(model, path), command::Opened::Model);
  EXPECT_EQ(model.vertices.count(), 15u);
  EXPECT_EQ(model.faces.count(), 16u);
  EXPECT_EQ(model.materialCount, 1u);
  EXPECT_EQ(model.boundsMin.x, 0.0f);
  EXPECT_EQ(model.boundsMax.x, 4.0f / 5.0f);
  EXPECT_EQ(model.boundsMax.z, 2.0f / 3.0f);
  EXPECT_EQ(model.boundsMax.y, 0.2f);
}

TEST_F(HeightmapTest, UnreadableImagesBuildNothingAndCloseTheirFiles) {
  TempFolder folder;
  const std::string odd = folder.File("odd.tga");
  const std::string cut = folder.File("cut.tga");
  WriteFile(odd, Tga({.type = 3, .depth = 32}, "\1\2\3\4"));
  WriteFile(cut, Tga({.width = 200, .height = 200}, "\1\2\3"));
  const int before = OpenFiles();
  for (int i = 0; i < 20; ++i) {
    EXPECT_FALSE(importers::ImportHeightmap(model, odd));
    EXPECT_FALSE(importers::ImportHeightmap(model, cut));
    EXPECT_FALSE(importers::ImportHeightmap(model, folder.File("missing.tga")));
  }
  EXPECT_EQ(OpenFiles(), before);
  // Each refusal is said; Open then leaves the model as it was.
  EXPECT_EQ(host.errorCount(), 60u);
  EXPECT_EQ(command::OpenModel(model, odd), command::Opened::Failed);
  EXPECT_EQ(model.vertices.count() + model.faces.count(), 0u);
  EXPECT_EQ(model.journal.position(), 0u);
}

}  // namespace
}  // namespace zmf

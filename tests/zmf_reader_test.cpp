// The ZMF reader: sections, layouts, version 1 files, messages, Import Animations, and input
// that is broken in every way a file can be.
#include "format/zmf_reader.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <random>
#include <tuple>

#include "file_fixture.h"
#include "format/zmf_writer.h"
#include "model/validate_model.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using testing::ErrorBoxText;

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;
using Boxes = std::vector<std::string>;
using testing::FaceRow;

constexpr const char* kPath = "/nonexistent-folder/model.zmf";

class ZmfReaderTest : public testing::ModelTest {
 protected:
  void Read(const std::string& text) { format::ReadModelText(model, text, kPath); }

  std::vector<Vector3> Positions() const {
    std::vector<Vector3> positions;
    for (const Vertex* v : model.vertices) positions.push_back(v->position);
    return positions;
  }

  // The rules of the store and those every read keeps (ValidateModel and kReadModelRules): a
  // face's material is below max(materialCount, 1) there.
  std::vector<std::string> Problems() const { return ValidateModel(model, kReadModelRules); }

  // Corners of each face as positions in the vertex list, and its material.
  std::vector<FaceRow> FaceIndices() {
    model.vertices.Renumber();
    return testing::FaceRows(model);
  }
};

TEST_F(ZmfReaderTest, FilesThatAreNotZmfOrCannotBeReadAreReported) {
  for (const char* text : {"ZMF", "ZMF\n"}) {  // the magic alone: empty, without materials
    Read(text);
    EXPECT_EQ(model.materialCount, 0u);
    EXPECT_TRUE(host.events().empty());
  }
  TempFolder folder;  // a folder opens but cannot be read
  for (const std::string& path : {std::string("/nonexistent-folder/none.zmf"), folder.path()}) {
    host.ClearEvents();
    testing::BuildOneTriangle(model);
    format::ReadModelFile(model, path);
    EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText("Could not open file:", path)});
    EXPECT_EQ(model.vertices.count(), 0u);
    EXPECT_EQ(model.materialCount, 0u);
  }
  for (const std::string text : {"", "ZMF2", "zmf", "VERTICES { POSITION 0 }"}) {
    host.ClearEvents();
    testing::BuildOneTriangle(model);
    Read(text);
    EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText("Not an .zmf file:", kPath)}) << text;
    EXPECT_EQ(model.vertices.count(), 0u);
    EXPECT_EQ(model.materialCount, 0u);
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define ZMF_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZMF_ADDRESS_SANITIZER 1
#endif
#endif

TEST_F(ZmfReaderTest, FileTooLargeForMemoryIsReportedNotFatal) {
#ifdef ZMF_ADDRESS_SANITIZER
  GTEST_SKIP() << "the sanitizer's allocator aborts on such a request instead of failing it";
#else
  TempFolder folder;
  const std::string path = folder.File("huge.zmf");
  WriteFile(path, "ZMF\n");
  // A sparse file: it takes no room on disk but says it holds 256 GiB.
  if (::truncate(path.c_str(), off_t{1} << 38) != 0) GTEST_SKIP() << "no sparse files here";
  testing::BuildOneTriangle(model);
  // A capped address space: the file cannot be held whatever the overcommit policy.
  rlimit old{};
  ::getrlimit(RLIMIT_AS, &old);
  rlimit capped = old;
  capped.rlim_cur = std::min(rlim_t{1} << 35, old.rlim_max);
  ::setrlimit(RLIMIT_AS, &capped);
  format::ReadModelFile(model, path);
  format::ImportAnimations(model, path);
  ::setrlimit(RLIMIT_AS, &old);
  EXPECT_EQ(host.BoxTexts(), Boxes(2, ErrorBoxText("Could not open file:", path)));
  EXPECT_EQ(model.vertices.count(), 0u);
#endif
}

// What the file holds comes back through the writer (next test); this one checks what the
// reader derives: drawn copies, texture paths, the hierarchy and its matrices, key-bone binding.
TEST_F(ZmfReaderTest, GoldenFileFillsWhatTheWriterDoesNotWrite) {
  format::ReadModelFile(model, testing::kEverySectionFile);
  ASSERT_EQ(model.vertices.count(), 4u);
  const Vertex* v2 = model.vertices.Nth(2);
  EXPECT_TRUE(std::signbit(v2->position.z));
  EXPECT_EQ(v2->savedPosition, v2->position);
  EXPECT_EQ(v2->savedNormal, (Vector3{0.6f, 0.8f, 0}));
  EXPECT_EQ(model.faces.chainCount(1), 1u);
  EXPECT_EQ(model.materials[1].textureFile, testing::kDataDir + "/zmf/wood.bmp");

  ASSERT_EQ(model.boneCount, 2u);
  EXPECT_EQ(model.rootBone, 0);
  const Bone& root = model.bones[0];
  const Bone& arm = model.bones[1];
  EXPECT_EQ(arm.parent, 0);
  EXPECT_EQ(root.firstChild, 1);
  EXPECT_EQ(root.poseMatrix, testing::Translation(-1, -2, -3));  // the local matrix inverted
  EXPECT_EQ(root.bindMatrix, root.localMatrix);
  // The arm's bind matrix is the root's followed by the arm's own quarter turn about z (x to y,
  // y to -x): the root's origin (1, 2, 3) turns to (-2, 1, 3), plus the arm's (0, 1, 0).
  EXPECT_EQ(arm.bindMatrix, (Matrix4{{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, -2, 2, 3, 1}}));
  // Its inverse turns back (x to -y, y to x) and moves by -(-2, 2, 3) turned back: (-2, -2, -3).
  EXPECT_EQ(arm.frameMatrix, (Matrix4{{0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, -2, -2, -3, 1}}));
  EXPECT_EQ(arm.weights.tail()->vertex, model.vertices.Nth(3));
  EXPECT_EQ(model.animation(0).keys[0].keyBones[1].boneIndex, 1u);

  // The textures beside the golden file do not exist; the JPEG is passed over silently.
  Boxes expected;
  for (const char* file : testing::kEverySectionBmps) {
    expected.push_back(
        ErrorBoxText("Could not load texture file:", testing::kDataDir + "/zmf/" + file));
  }
  EXPECT_EQ(host.BoxTexts(), expected);
}

// A file read from disk gives the memory of text already parsed back as it goes (in steps of
// megabytes); what is read must be what reading the same text from memory gives.
TEST_F(ZmfReaderTest, BigFilesReadFromDiskAsFromMemory) {
  std::string text = "ZMF\nVERSION { 2.00 }\nVERTICES { POSITION_NORMAL_TEXCOORDS 400000\n";
  for (int i = 0; i < 400000; ++i) {
    const std::string n = std::to_string(i);
    text += n + ".125000 -" + n + ".5 0." + n + " 0 0 1 " + std::to_string(i % 7) + ".25 0.5\n";
  }
  text += "}\nFACES { 399998\n";
  for (int i = 0; i < 399998; ++i) {
    text += std::to_string(i) + " " + std::to_string(i + 1) + " " + std::to_string(i + 2) + " 0\n";
  }
  text += "}\n";
  ASSERT_GT(text.size(), std::size_t{20} << 20);
  TempFolder folder;
  WriteFile(folder.File("big.zmf"), text);

  Read(text);
  const std::string fromMemory = format::WriteModelText(model);
  ASSERT_EQ(model.vertices.count(), 400000u);
  ASSERT_EQ(model.faces.count(), 399998u);
  format::ReadModelFile(model, folder.File("big.zmf"));
  EXPECT_EQ(format::WriteModelText(model), fromMemory);
  EXPECT_THAT(Problems(), ::testing::IsEmpty());
}

TEST_F(ZmfReaderTest, TexturesAreLoadedFromBesideTheModel) {
  TempFolder folder;
  std::filesystem::create_directory(folder.File("tex"));
  WriteFile(folder.File("wood.bmp"), testing::SolidBmp64(0, 0, 255));
  WriteFile(folder.File("tex/stone.bmp"), testing::SolidBmp64(0, 255, 0));
  WriteFile(folder.File("model.zmf"),
            "ZMF MATERIALS { 3\n"
            " MATERIAL { NAME a TEXTURE { FILE wood.bmp ALPHA NONE } }\n"
            " MATERIAL { NAME b TEXTURE { FILE tex\\stone.bmp ALPHA 0.5 } }\n"
            " MATERIAL { NAME c TEXTURE { ALPHA LUMINANCE } } }\n");
  format::ReadModelFile(model, folder.File("model.zmf"));
  EXPECT_TRUE(host.events().empty()) << host.BoxTexts().front();
  EXPECT_EQ(model.materials[0].textureFile, folder.File("wood.bmp"));
  EXPECT_EQ(model.materials[1].textureFile, folder.File("tex/stone.bmp"));
  EXPECT_EQ(model.materials[2].hasTexture, 0);  // a texture block without a file is no texture
  EXPECT_EQ(model.materials[2].texture, 0u);
  ASSERT_EQ(textures.live().size(), 2u);
  EXPECT_EQ(textures.live().at(model.materials[0].texture).rgba[0], 255);  // red
  EXPECT_EQ(textures.live().count(model.materials[1].texture), 1u);

  // Paths follow the model path's separator; beside a model in the working folder, no folder.
  const std::string text =
      "ZMF MATERIALS { 2 M { TEXTURE { FILE wood.bmp } } M { TEXTURE { FILE tex/a.jpg } } }";
  format::ReadModelText(model, text, "C:\\m\\a.zmf");
  EXPECT_EQ(model.materials[0].textureFile, "C:\\m\\wood.bmp");
  EXPECT_EQ(model.materials[1].textureFile, "C:\\m\\tex\\a.jpg");
  format::ReadModelText(model, text, "a.zmf");
  EXPECT_EQ(model.materials[0].textureFile, "wood.bmp");
}

TEST_F(ZmfReaderTest, AlphaWordsOfBothVersions) {
  // A number is taken as far as it goes, any other word is the number 0; RED is a version 1
  // word. Version 1 has one texture, outside any material, that needs a file.
  const std::string v2 = "MATERIALS { 1 M { TEXTURE { FILE a.jpg ALPHA ", v1 = "VERSION { 1.0 } ";
  const std::tuple<std::string, std::uint32_t, float> cases[] = {
      {v2 + "NONE } } }", 0, 0},
      {v2 + "0.25x } } }", 7, 0.25f},
      {v2 + "bright } } }", 7, 0},
      {v2 + "RED } } }", 7, 0},
      {v1 + "TEXTURE { FILE a.jpg ALPHA RED }", 10, 0},
      {v1 + "TEXTURE { FILE a.jpg ALPHA BLUE_MASK }", 10, 0},
      {v1 + "TEXTURE { ALPHA WHITE_MASK FILE a.jpg }", 7, 0}};
  for (const auto& [text, mode, value] : cases) {
    Read("ZMF " + text);
    EXPECT_EQ(model.materials[0].alphaMode, mode) << text;
    EXPECT_EQ(model.materials[0].hasTexture, 1) << text;
    if (mode == 7) {
      EXPECT_EQ(model.materials[0].alphaValue, value) << text;
    }
  }
  Read("ZMF VERSION { 1.0 } TEXTURE { ALPHA BLACK_MASK }");
  EXPECT_EQ(model.materials[0].alphaMode, 3u);
  EXPECT_EQ(model.materials[0].hasTexture, 0);
}

TEST_F(ZmfReaderTest, VersionOneSectionsAreReadOnlyInVersionOneFiles) {
  const std::string body =
      "VERTICES { POSITION 3 0 0 0 1 0 0 0 1 0 }\nTRIANGLES { 1 0 1 2 }\n"
      "MATERIAL { AMBIENT 0.1 0.2 0.3 DIFFUSE 0.4 0.5 0.6 SHININESS 7 }\n";
  Read("ZMF\nVERSION { 1.0 }\n" + body);
  ASSERT_EQ(model.materialCount, 1u);
  const Material& m = model.materials[0];
  EXPECT_EQ(m.name, "default");
  EXPECT_EQ(m.ambient, (Colour{0.1f, 0.2f, 0.3f, 1.0f}));
  EXPECT_EQ(m.diffuse, (Colour{0.4f, 0.5f, 0.6f, 1.0f}));
  EXPECT_EQ(m.shininess, 7u);
  EXPECT_EQ(FaceIndices(), (std::vector<FaceRow>{{0, 1, 2, 0}}));

  Read("ZMF\nVERSION { 2.00 }\n" + body);  // unknown words in a version 2 file
  EXPECT_EQ(model.faces.count(), 0u);
  EXPECT_EQ(model.materialCount, 0u);
  EXPECT_TRUE(host.events().empty());
}

TEST_F(ZmfReaderTest, VertexLayoutsNumberFormsAndABadLayout) {
  Read("ZMF VERTICES { POSITION_TEXCOORDS 1 1 2 3 0.5 0.25 }");
  const Vertex* v = model.vertices.head();
  EXPECT_EQ(v->normal, (Vector3{0, 0, 0}));
  EXPECT_EQ(v->v, 0.25f);
  Read("ZMF VERTICES { POSITION_NORMAL 1 1 2 3 4 5 6 }");
  EXPECT_EQ(model.vertices.head()->normal, (Vector3{4, 5, 6}));

  // Every number form of "%f", with Windows line ends and a brace without blanks around it.
  Read("ZMF\r\nVERTICES {\r\nPOSITION 3\r\n+1.5 1. .5\r\n1e1 -2E-1 -0\r\ninf 0x1p1 7}\r\n");
  EXPECT_EQ(Positions(),
            (std::vector<Vector3>{{1.5f, 1, 0.5f}, {10, -0.2f, -0.0f}, {INFINITY, 2, 7}}));

  // An unknown layout ends the load at once.
  Read(
      "ZMF MATERIALS { 1 MATERIAL { NAME m TEXTURE { FILE wood.bmp } } }\n"
      "BONES { 1 BONE { NAME b PARENT nobody } }\n"
      "VERTICES { POSITIONS 1 1 2 3 }\n"
      "FACES { 0 }\nVERTICES { POSITION 1 1 2 3 }\n");
  EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText("Bad vertex format:", "POSITIONS")});
  EXPECT_EQ(model.vertices.count(), 0u);
  // Without the finishing steps: no texture loaded, no hierarchy resolved.
  EXPECT_EQ(model.materials[0].textureFile, "wood.bmp");
  EXPECT_TRUE(textures.live().empty());
  EXPECT_EQ(model.boneCount, 1u);
  EXPECT_EQ(model.rootBone, kNoBone);
}

TEST_F(ZmfReaderTest, CommentsUnknownWordsAndRepeatedSections) {
  // A "}" inside a comment ends it; the rest is read as unknown words. Braces after keywords
  // may be left out.
  Read(
      "ZMF junk 12 { COMMENT { made by } hand } VERTICES POSITION 1 1 1 1 }\n"
      "FACES 1 0 0 0 0 } SURPRISE { 3 }");
  EXPECT_EQ(Positions(), (std::vector<Vector3>{{1, 1, 1}}));
  EXPECT_EQ(model.faces.count(), 1u);
  EXPECT_TRUE(host.events().empty());

  // Later VERTICES sections append, and faces index the latest.
  Read(
      "ZMF VERTICES { POSITION 2 0 0 0 1 1 1 } VERTICES { POSITION 3 5 0 0 6 0 0 7 0 0 }\n"
      "FACES { 1 2 1 0 0 } MATERIALS { 1 MATERIAL { } }");
  EXPECT_EQ(model.vertices.count(), 5u);
  EXPECT_EQ(FaceIndices(), (std::vector<FaceRow>{{4, 3, 2, 0}}));
  // The box of the latest section, as read (the Open command recomputes it for all).
  EXPECT_EQ(model.boundsMin, (Vector3{5, 0, 0}));
}

TEST_F(ZmfReaderTest, HierarchyLinksChildrenInOrderOrIsDroppedWithOneMessage) {
  Read(
      "ZMF BONES { 4\n"
      " BONE { NAME root PARENT NONE }\n BONE { NAME a PARENT root }\n"
      " BONE { NAME b PARENT root }\n BONE { NAME c PARENT a } }");
  EXPECT_TRUE(host.events().empty());
  ASSERT_EQ(model.boneCount, 4u);
  EXPECT_EQ(model.bones[0].firstChild, 1);
  EXPECT_EQ(model.bones[1].nextSibling, 2);
  EXPECT_EQ(model.bones[2].nextSibling, kNoBone);
  EXPECT_EQ(model.bones[1].firstChild, 3);
  EXPECT_EQ(model.bones[3].parent, 1);
  EXPECT_EQ(model.bones[0].localMatrix, Matrix4::Identity());  // a bone without MATRIX

  // A broken hierarchy drops the skeleton with one message.
  const std::pair<const char*, std::string> cases[] = {
      {"BONE { NAME a PARENT NONE } BONE { NAME b PARENT NONE }",
       ErrorBoxText("Bad bone heirarchy, more than one root frame.", kPath)},
      {"BONE { NAME a PARENT b } BONE { NAME b PARENT a }",
       ErrorBoxText("Bad bone heirarchy, no root frame:", kPath)},
      {"BONE { NAME a PARENT missing } BONE { NAME b PARENT NONE }",
       ErrorBoxText("Bone name not found:", kPath)},
      // A bone that is its own parent, beside a good root: the loop hangs from no root.
      {"BONE { NAME r PARENT NONE } BONE { NAME a PARENT a }",
       ErrorBoxText("Bad bone heirarchy, no root frame:", kPath)},
  };
  for (const auto& [bones, box] : cases) {
    host.ClearEvents();
    Read(std::string("ZMF VERTICES { POSITION 1 0 0 0 } MATERIALS { 1 MATERIAL { } }\n"
                     "BONES { 2 ") +
         bones + " }\nANIMATIONS { 1 ANIMATION { x 1 1 ANIM_KEY { 0 1 ANIM_FRAME { zz } } } }");
    EXPECT_EQ(host.BoxTexts(), Boxes{box}) << bones;
    EXPECT_EQ(model.boneCount, 0u);
    EXPECT_EQ(model.rootBone, kNoBone);
    EXPECT_EQ(model.vertices.count(), 1u);
    EXPECT_EQ(model.materialCount, 1u);
    // Without bones the key bones are not bound, and the frame name is not complained about.
    EXPECT_EQ(model.animation(0).keys[0].keyBones[0].boneIndex, kUnboundKeyBone);
  }
}

TEST_F(ZmfReaderTest, UnknownKeyBoneNameStopsTheBinding) {
  Read(
      "ZMF BONES { 1 BONE { NAME root PARENT NONE } }\n"
      "ANIMATIONS { 1 ANIMATION { walk 2 2\n"
      "  ANIM_KEY { 0 2 ANIM_FRAME { root 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 }"
      "               ANIM_FRAME { ghost 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 } }\n"
      "  ANIM_KEY { 2 1 ANIM_FRAME { root 2 0 0 0 0 2 0 0 0 0 2 0 0 0 0 1 } } } }");
  EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText("Bad animation frame name:", "ghost")});
  const Animation& walk = model.animation(0);
  EXPECT_EQ(walk.keys[0].keyBones[0].boneIndex, 0u);
  EXPECT_EQ(walk.keys[0].keyBones[1].boneIndex, kUnboundKeyBone);
  EXPECT_EQ(walk.keys[1].keyBones[0].boneIndex, kUnboundKeyBone);  // not reached
  EXPECT_EQ(walk.keys[1].keyBones[0].matrix[0], 2.0f);
  EXPECT_EQ(model.boneCount, 1u);
}

TEST_F(ZmfReaderTest, CountsBeyondTheTablesOrTheTextFillThemAndReadOn) {
  std::string text = "ZMF MATERIALS { 40\n";
  for (int i = 0; i < 40; ++i) text += " MATERIAL { NAME m" + std::to_string(i) + " }\n";
  text += "}\nBONES { 130\n BONE { NAME b0 PARENT NONE }\n";
  for (int i = 1; i < 130; ++i) text += " BONE { NAME b" + std::to_string(i) + " PARENT b0 }\n";
  const std::string frame = "ANIM_FRAME { b1 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 }\n";
  std::string key = " 129\n";
  for (int j = 0; j < 129; ++j) key += frame;
  text += "}\nANIMATIONS { 33\n";
  for (int a = 0; a < 33; ++a) {
    text += " ANIMATION { anim" + std::to_string(a) + " 1 33\n";
    for (int k = 0; k < 33; ++k) text += "ANIM_KEY { " + std::to_string(k) + key + "}\n";
    text += " }\n";
  }
  text += "}\nVERTICES { POSITION 1 9 9 9 }\n";
  Read(text);
  EXPECT_TRUE(host.events().empty());
  EXPECT_EQ(model.materialCount, 32u);
  EXPECT_EQ(model.materials[31].name, "m31");
  EXPECT_EQ(model.boneCount, 128u);
  EXPECT_EQ(model.bones[127].name, "b127");
  EXPECT_EQ(model.animationCount, 32u);
  EXPECT_EQ(model.animation(31).keyCount, 32u);
  EXPECT_EQ(model.animation(31).keys[31].keyBoneCount, 128u);
  EXPECT_EQ(model.animation(31).keys[31].keyBones[127].boneIndex, 1u);
  // What followed the oversized sections was still read as sections.
  EXPECT_EQ(Positions(), (std::vector<Vector3>{{9, 9, 9}}));

  // Counts that promise more than the text holds cost nothing.
  const auto start = std::chrono::steady_clock::now();
  Read(
      "ZMF VERTICES { POSITION_NORMAL_TEXCOORDS 4294967295 1 2 3 4 5 6 7 8 }\n"
      "FACES { 4000000000 0 0 0 0 }");
  EXPECT_EQ(model.vertices.count(), 1u);
  EXPECT_EQ(model.faces.count(), 1u);
  Read("ZMF MATERIALS { 4000000000 }");
  EXPECT_EQ(model.materialCount, 32u);
  EXPECT_EQ(model.materials[31].name, "default");
  Read("ZMF ANIMATIONS { 4000000000 ANIMATION { a 1 4000000000 ANIM_KEY { 0 4000000000 } } }");
  EXPECT_EQ(model.animation(0).keys[0].keyBoneCount, 128u);
  EXPECT_TRUE(host.events().empty());
  Read("ZMF BONES { 4000000000 }");  // 128 bones without names: no parent can be found
  EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText("Bone name not found:", kPath)});
  EXPECT_EQ(model.boneCount, 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  // A list whose entries stop being numbers ends there.
  Read("ZMF VERTICES { POSITION 3 1 2 3 4 five 6 7 8 9 } FACES { 0 }");
  EXPECT_EQ(Positions(), (std::vector<Vector3>{{1, 2, 3}}));
}

TEST_F(ZmfReaderTest, BadReferencesAreDroppedOrMadeSafe) {
  Read(
      "ZMF FACES { 1 0 1 2 0 } BONES { 1 BONE { NAME r PARENT NONE VERTEX_WEIGHTS { 1 0 1 } } }\n"
      "VERTICES { POSITION 3 0 0 0 1 0 0 0 1 0 }\n"
      "FACES { 5  0 1 2 0  0 1 3 0  4294967295 0 1 0  -1 0 1 0  2 1 0 7 }\n"
      "MATERIALS { 2 MATERIAL { NAME a_name_that_is_much_longer_than_thirty_one } MATERIAL { } }\n"
      "BONES { 1 BONE { NAME r PARENT NONE VERTEX_WEIGHTS { 4 0 0.5 3 1 0 0.25 2 1 } } }\n");
  // Faces and weights before VERTICES, and those naming a vertex that does not exist, are gone.
  EXPECT_EQ(FaceIndices(), (std::vector<FaceRow>{{0, 1, 2, 0}, {2, 1, 0, 0}}));
  EXPECT_EQ(model.faces.chainCount(0), 2u);  // material 7 of 2 became material 0
  EXPECT_EQ(model.materials[0].name, "a_name_that_is_much_longer_than");  // 31 characters
  const RecordList<VertexWeight>& weights = model.bones[0].weights;
  ASSERT_EQ(weights.count(), 2u);  // a repeated vertex is held once, at its first weight
  EXPECT_EQ(weights.head()->weight, 0.5f);
  EXPECT_EQ(weights.tail()->vertex, model.vertices.Nth(2));
  EXPECT_TRUE(host.events().empty());

  std::string longFile(300, 'x');
  Read("ZMF MATERIALS { 1 MATERIAL { TEXTURE { FILE " + longFile + ".jpg } } }");
  EXPECT_EQ(model.materials[0].textureFile,
            "/nonexistent-folder/" + longFile.substr(0, kMaxTextureFileLength));
}

// Crashes on arbitrary bytes are the fuzz corpus's to find; this checks the model's promises.
TEST_F(ZmfReaderTest, EveryTruncationOfAFileReadsSafely) {
  const std::string golden = ReadFile(testing::kEverySectionFile);
  for (std::size_t size = 0; size <= golden.size(); ++size) {
    const std::string prefix = golden.substr(0, size);
    Read(prefix);
    ASSERT_THAT(Problems(), ::testing::IsEmpty()) << "read of the first " << size << " bytes";
    format::ImportAnimationsText(model, prefix, kPath);
    ASSERT_THAT(Problems(), ::testing::IsEmpty()) << "animations of the first " << size << " bytes";
  }
  // The whole file is the whole model.
  EXPECT_EQ(model.vertices.count(), 4u);
  EXPECT_EQ(model.faces.count(), 2u);
  EXPECT_EQ(model.boneCount, 2u);
}

TEST_F(ZmfReaderTest, ImportAnimationsReplacesOnlyBonesAndAnimations) {
  testing::BuildOneTriangle(model);
  model.materials[0].name.Set("mine");
  model.boneCount = 1;
  VertexWeight* kept = model.bones[0].weights.Allocate();
  kept->vertex = model.vertices.head();
  model.bones[0].weights.Append(kept);
  model.currentBone = 0;
  model.currentAnimation = 0;  // the file's animation 0 has two keys, key 1 one key bone
  model.currentKey = 1;
  model.currentKeyBone = 1;
  format::ImportAnimations(model, testing::kEverySectionFile);
  EXPECT_TRUE(host.events().empty());  // no texture is loaded
  EXPECT_EQ(model.currentBone, 0);
  EXPECT_EQ(model.currentKey, 1);
  EXPECT_EQ(model.currentKeyBone, -1);  // beyond the key's key bones: none
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_EQ(model.materials[0].name, "mine");
  ASSERT_EQ(model.boneCount, 2u);
  EXPECT_EQ(model.bones[1].parent, 0);
  // The file's weights are thrown away; each slot keeps the weights it had.
  ASSERT_EQ(model.bones[0].weights.count(), 1u);
  EXPECT_EQ(model.bones[0].weights.head(), kept);
  EXPECT_EQ(model.bones[1].weights.count(), 0u);
  EXPECT_EQ(model.animation(0).keys[0].keyBones[1].boneIndex, 1u);

  // Version 1 sections are never read, and an unknown layout is three numbers per vertex.
  Read("ZMF");
  format::ImportAnimationsText(
      model,
      "ZMF VERSION { 1.0 } TRIANGLES { 1 0 1 2 } VERTICES { ODD 1 1 2 3 }\n"
      "BONES { 1 BONE { NAME only PARENT NONE } }",
      kPath);
  EXPECT_TRUE(host.events().empty());
  EXPECT_EQ(model.materialCount, 0u);
  EXPECT_EQ(model.faces.count(), 0u);
  EXPECT_EQ(model.bones[0].name, "only");

  format::ImportAnimations(model, "/nonexistent-folder/a.zmf");
  EXPECT_EQ(host.BoxTexts(),
            Boxes{ErrorBoxText("Could not open file:", "/nonexistent-folder/a.zmf")});
  EXPECT_EQ(model.boneCount, 1u);
}

// Random meshes, numbers up to 1e38, survive a write and a read: the text read back
// writes the same text again, and positions are within half a millionth, plus one float step,
// of what they were. (Skeletons and materials come back through the golden file.)
TEST_F(ZmfReaderTest, RandomMeshesSurviveWriteAndRead) {
  std::mt19937 random(2024);
  auto value = [&]() {
    const float scale = std::array<float, 4>{1.0f, 1e4f, 1e9f, 1e38f}[random() % 4];
    return std::uniform_real_distribution<float>(-scale, scale)(random);
  };
  for (int round = 0; round < 40; ++round) {
    model.Reset();
    model.materials[0].hasTexture = 1;  // so that texture coordinates are written
    model.materials[0].textureFile = "t.jpg";
    std::vector<Vertex*> all;
    for (int i = 1 + random() % 60; i > 0; --i) {
      all.push_back(testing::AddFileVertex(model, {value(), value(), value()},
                                           {value(), value(), value()}, value(), value()));
    }
    auto any = [&] { return all[random() % all.size()]; };
    for (int i = random() % 20; i > 0; --i) testing::AddFileFace(model, any(), any(), any(), 0);

    const std::string text = format::WriteModelText(model);
    const std::vector<Vector3> before = Positions();
    Read(text);
    EXPECT_EQ(format::WriteModelText(model), text);
    const std::vector<Vector3> after = Positions();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
      for (auto axis : {&Vector3::x, &Vector3::y, &Vector3::z}) {
        const float was = before[i].*axis;
        const float step = std::nextafter(std::abs(was), INFINITY) - std::abs(was);
        EXPECT_LE(std::abs(after[i].*axis - was), 5e-7f + step) << was;
      }
    }
  }
}

}  // namespace
}  // namespace zmf

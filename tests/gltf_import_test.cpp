// glTF import: small hand-made files mapped exactly, the worm's round trip through the
// exporter, embedded pictures, and damaged files.
#include "importers/gltf_import.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <nlohmann/json.hpp>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "command/open_save.h"
#include "export/gltf_export.h"
#include "file_fixture.h"
#include "format/zmf_reader.h"
#include "image_fixtures.h"
#include "material/material_table.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using nlohmann::json;
using testing::ErrorBoxText;
using testing::FaceRow;
using testing::FaceRows;

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t word = std::uint8_t(bytes[i]) << 16;
    if (i + 1 < bytes.size()) word |= std::uint8_t(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) word |= std::uint8_t(bytes[i + 2]);
    for (std::size_t k = 0; k < 4; ++k) {
      out += i + k <= bytes.size() ? kDigits[(word >> (18 - 6 * k)) & 63] : '=';
    }
  }
  return out;
}

// A glTF document written by hand: accessors over one buffer held in a data: uri.
struct Doc {
  json j = {{"asset", {{"version", "2.0"}}},
            {"accessors", json::array()},
            {"bufferViews", json::array()}};
  std::string bin;

  template <class T>
  int Add(const std::vector<T>& values, int componentType, const char* type, int count) {
    bin.resize((bin.size() + 3) & ~std::size_t{3});
    j["bufferViews"].push_back(
        {{"buffer", 0}, {"byteOffset", bin.size()}, {"byteLength", values.size() * sizeof(T)}});
    bin.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
    j["accessors"].push_back({{"bufferView", j["bufferViews"].size() - 1},
                              {"componentType", componentType},
                              {"type", type},
                              {"count", count}});
    return int(j["accessors"].size()) - 1;
  }
  int Floats(const std::vector<float>& v, const char* type, int n) { return Add(v, 5126, type, n); }
  std::string Text() {
    j["buffers"] = {{{"byteLength", bin.size()},
                     {"uri", "data:application/octet-stream;base64," + Base64(bin)}}};
    return j.dump();
  }
};

class GltfImportTest : public testing::ModelTest {
 protected:
  bool Import(std::string_view bytes, const std::string& name = "m.gltf") {
    model.Reset();
    model.materialCount = 0;
    host.ClearEvents();
    return importers::ImportGltfBytes(model, bytes, folder.File(name));
  }
  std::vector<Vector3> Column(Vector3 Vertex::*field) const {
    std::vector<Vector3> values;
    for (const Vertex* v : model.vertices) values.push_back(v->*field);
    return values;
  }
  testing::TempFolder folder;
};

// A strip and a fan sharing four positions, lines left out, two materials, and the same mesh
// again under a mirroring node: its winding flips. Normals are computed, v is kept.
TEST_F(GltfImportTest, StripsFansMaterialsAndNodeTransforms) {
  Doc d;
  const int p = d.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, "VEC3", 4);
  const int uv = d.Floats({0, 0, 0.5f, 0.25f, 0, 1, 1, 1}, "VEC2", 4);
  const int fan = d.Add(std::vector<std::uint16_t>{0, 1, 3, 2}, 5123, "SCALAR", 4);
  const json attributes = {{"POSITION", p}, {"TEXCOORD_0", uv}};
  d.j["meshes"] = {{{"primitives",
                     {{{"attributes", attributes}, {"mode", 5}, {"material", 0}},
                      {{"attributes", attributes}, {"mode", 6}, {"material", 1}, {"indices", fan}},
                      {{"attributes", attributes}, {"mode", 1}}}}}};
  d.j["nodes"] = {{{"mesh", 0}, {"children", {1}}},
                  {{"mesh", 0}, {"scale", {-1, 1, 1}}, {"translation", {0, 0, 2}}}};
  d.j["scenes"] = {{{"nodes", {0}}}};
  const double rough = std::sqrt(std::sqrt(2.0 / 42.0));
  d.j["materials"] = {
      {{"name", "red"}, {"pbrMetallicRoughness", {{"baseColorFactor", {1, 0, 0, 1}}}}},
      {{"name", "blue"},
       {"alphaMode", "BLEND"},
       {"pbrMetallicRoughness",
        {{"baseColorFactor", {0, 0, 1, 0.5}}, {"roughnessFactor", rough}}}}};
  ASSERT_TRUE(Import(d.Text()));
  ASSERT_EQ(host.BoxTexts().size(), 1u);
  EXPECT_EQ(host.BoxTexts()[0], ErrorBoxText("The glTF file was read with warnings:",
                                             "Points and lines are left out."));
  EXPECT_EQ(Column(&Vertex::position), (std::vector<Vector3>{{0, 0, 0},
                                                             {1, 0, 0},
                                                             {0, 1, 0},
                                                             {1, 1, 0},
                                                             {0, 0, 2},
                                                             {-1, 0, 2},
                                                             {0, 1, 2},
                                                             {-1, 1, 2}}));
  EXPECT_EQ(Column(&Vertex::normal), std::vector<Vector3>(8, Vector3{0, 0, 1}));
  EXPECT_EQ(model.vertices.Nth(1)->u, 0.5f);
  EXPECT_EQ(model.vertices.Nth(1)->v, 0.25f);
  EXPECT_EQ(FaceRows(model), (std::vector<FaceRow>{{0, 1, 2, 0},
                                                   {1, 3, 2, 0},
                                                   {1, 3, 0, 1},
                                                   {3, 2, 0, 1},
                                                   {4, 6, 5, 0},
                                                   {5, 6, 7, 0},
                                                   {5, 4, 7, 1},
                                                   {7, 4, 6, 1}}));
  ASSERT_EQ(model.materialCount, 2u);
  EXPECT_EQ(model.materials[0].name, Name32("red"));
  EXPECT_EQ(model.materials[0].diffuse, (Colour{1, 0, 0, 1}));
  EXPECT_EQ(model.materials[0].shininess, 0u);
  EXPECT_EQ(model.materials[1].diffuse, (Colour{0, 0, 1, 0.5f}));
  EXPECT_EQ(model.materials[1].shininess, 40u);
  EXPECT_EQ(model.materials[1].specular, (Colour{0.5f, 0.5f, 0.5f, 1}));
}

// Hip (a root joint one to the right) and knee (a quarter turn under it); the skinned node's own
// transform is ignored. Hip's translation has keys at 0 and 1, knee's rotation a STEP key at 0.5:
// the animation keys at all three times, every bone posed at each.
TEST_F(GltfImportTest, TwoBoneSkinAndAnimation) {
  Doc d;
  const int p = d.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3", 3);
  const int joints =
      d.Add(std::vector<std::uint8_t>{0, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0}, 5121, "VEC4", 3);
  const int weights = d.Floats({1, 0, 0, 0, 0.25f, 0.75f, 0, 0, 1, 0, 0, 0}, "VEC4", 3);
  // The inverse world matrices: hip at (1, 0, 0); knee turned a quarter about z there.
  const int binds = d.Floats({1, 0,  0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 1,  //
                              0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0,  1, 0, 1},
                             "MAT4", 2);
  const int times = d.Floats({0, 1}, "SCALAR", 2);
  const int moves = d.Floats({1, 0, 0, 1, 2, 0}, "VEC3", 2);
  const int half = d.Floats({0.5f}, "SCALAR", 1);
  const float s = std::sqrt(0.5f);
  const int turn = d.Floats({0, 0, s, s}, "VEC4", 1);
  d.j["meshes"] = {
      {{"primitives",
        {{{"attributes", {{"POSITION", p}, {"JOINTS_0", joints}, {"WEIGHTS_0", weights}}}}}}}};
  d.j["nodes"] = {{{"mesh", 0}, {"skin", 0}, {"translation", {5, 5, 5}}},
                  {{"name", "hip"}, {"translation", {1, 0, 0}}, {"children", {2}}},
                  {{"name", "knee"}, {"rotation", {0, 0, s, s}}}};
  d.j["scenes"] = {{{"nodes", {0, 1}}}};
  d.j["skins"] = {{{"joints", {1, 2}}, {"inverseBindMatrices", binds}}};
  d.j["animations"] = {{{"name", "walk"},
                        {"samplers",
                         {{{"input", times}, {"output", moves}},
                          {{"input", half}, {"output", turn}, {"interpolation", "STEP"}}}},
                        {"channels",
                         {{{"sampler", 0}, {"target", {{"node", 1}, {"path", "translation"}}}},
                          {{"sampler", 1}, {"target", {{"node", 2}, {"path", "rotation"}}}}}}}};
  ASSERT_TRUE(Import(d.Text()));
  EXPECT_TRUE(host.events().empty());
  EXPECT_EQ(Column(&Vertex::position), (std::vector<Vector3>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
  ASSERT_EQ(model.boneCount, 2u);
  EXPECT_EQ(model.rootBone, 0);
  EXPECT_EQ(model.bones[1].parent, 0);
  EXPECT_EQ(model.bones[0].name, Name32("hip"));
  EXPECT_EQ(model.bones[1].parentName, Name32("hip"));
  EXPECT_EQ(testing::ExactText(model.bones[0].bindMatrix),
            testing::ExactText(testing::Translation(-1, 0, 0)));
  const Matrix4 kneeBind{{0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1}};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(model.bones[1].bindMatrix[i], kneeBind[i], 1e-6);
  auto weightsOf = [&](std::uint32_t b) {
    std::vector<std::pair<std::uint32_t, float>> out;
    for (const VertexWeight* w : model.bones[b].weights) out.emplace_back(w->vertex->id, w->weight);
    return out;
  };
  EXPECT_EQ(weightsOf(0), (std::vector<std::pair<std::uint32_t, float>>{{0, 1}, {1, 0.25f}}));
  EXPECT_EQ(weightsOf(1), (std::vector<std::pair<std::uint32_t, float>>{{1, 0.75f}, {2, 1}}));
  ASSERT_EQ(model.animationCount, 1u);
  const Animation& walk = model.animation(0);
  EXPECT_EQ(walk.name, Name32("walk"));
  ASSERT_EQ(walk.keyCount, 3u);
  EXPECT_EQ(walk.totalTime, 1.0f);
  const float hipY[] = {0, 1, 2};
  for (std::uint32_t k = 0; k < 3; ++k) {
    EXPECT_EQ(walk.keys[k].time, 0.5f * float(k));
    ASSERT_EQ(walk.keys[k].keyBoneCount, 2u);
    EXPECT_EQ(walk.keys[k].keyBones[0].boneName, Name32("hip"));
    EXPECT_EQ(testing::ExactText(walk.keys[k].keyBones[0].matrix),
              testing::ExactText(testing::Translation(1, hipY[k], 0)));
    EXPECT_NEAR(walk.keys[k].keyBones[1].matrix[4], -1.0f, 1e-6);  // the quarter turn throughout
  }
}

// The sample worm through the exporter and back: everything the editor shows is kept.
TEST_F(GltfImportTest, WormRoundTrip) {
  testing::WriteFile(folder.File("worm.bmp"), testing::ReadFile(ZMF_EXAMPLES_DIR "/worm.bmp"));
  testing::WriteFile(folder.File("worm.zmf"), testing::ReadFile(ZMF_EXAMPLES_DIR "/worm.zmf"));
  ScriptedHost otherHost;
  Model original(otherHost, textures);
  ASSERT_EQ(command::OpenModel(original, folder.File("worm.zmf")), command::Opened::Model);
  for (const char* name : {"out.glb", "out.gltf"}) {
    ASSERT_TRUE(exporters::ExportGltf(original, folder.File(name)));
    ASSERT_EQ(command::OpenModel(model, folder.File(name)), command::Opened::Model) << name;
    ASSERT_EQ(model.vertices.count(), original.vertices.count());
    for (const Vertex *v = model.vertices.head(), *w = original.vertices.head(); v != nullptr;
         v = v->next, w = w->next) {
      for (const auto field : {&Vertex::position, &Vertex::normal}) {
        EXPECT_NEAR((v->*field).x, (w->*field).x, 1e-6);
        EXPECT_NEAR((v->*field).y, (w->*field).y, 1e-6);
        EXPECT_NEAR((v->*field).z, (w->*field).z, 1e-6);
      }
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
      EXPECT_EQ(a.emission, b.emission);
      EXPECT_EQ(a.specular, b.specular);
      EXPECT_EQ(a.shininess, b.shininess);
      EXPECT_EQ(a.hasTexture, b.hasTexture);
      EXPECT_EQ(testing::ChainCorners(model, m), testing::ChainCorners(original, m));
    }
    // The exported PNG of the texture, written beside the glTF file or taken from it.
    const std::string picture =
        name[4] == 'g' && name[5] == 'l' && name[6] == 'b' ? "out_image0.png" : "out_0.png";
    EXPECT_EQ(model.materials[0].textureFile, folder.File(picture));
    EXPECT_NE(model.materials[0].texture, 0u);  // the PNG loads
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{}) << name;
    ASSERT_EQ(model.boneCount, original.boneCount);
    for (std::uint32_t b = 0; b < model.boneCount; ++b) {
      EXPECT_EQ(model.bones[b].name, original.bones[b].name);
      EXPECT_EQ(model.bones[b].parent, original.bones[b].parent);
      for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(model.bones[b].bindMatrix[i], original.bones[b].bindMatrix[i], 1e-5);
      }
      std::vector<std::pair<std::uint32_t, float>> a, o;
      for (const VertexWeight* w : model.bones[b].weights) a.emplace_back(w->vertex->id, w->weight);
      for (const VertexWeight* w : original.bones[b].weights) {
        o.emplace_back(w->vertex->id, w->weight);
      }
      ASSERT_EQ(a.size(), o.size());
      for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].first, o[i].first);
        EXPECT_NEAR(a[i].second, o[i].second, 1e-6);
      }
    }
    ASSERT_EQ(model.animationCount, original.animationCount);
    ManualClock clock;
    for (std::uint32_t an = 0; an < model.animationCount; ++an) {
      ASSERT_EQ(model.animation(an).keyCount, original.animation(an).keyCount);
      model.currentAnimation = original.currentAnimation = std::int32_t(an);
      for (std::uint32_t k = 0; k < model.animation(an).keyCount; ++k) {
        EXPECT_EQ(model.animation(an).keys[k].time, original.animation(an).keys[k].time);
        model.currentKey = original.currentKey = std::int32_t(k);
        anim::PoseMesh(model, clock);
        anim::PoseMesh(original, clock);
        for (const Vertex *v = model.vertices.head(), *w = original.vertices.head(); v != nullptr;
             v = v->next, w = w->next) {
          ASSERT_NEAR(v->savedPosition.x, w->savedPosition.x, 1e-4) << an << " " << k;
          ASSERT_NEAR(v->savedPosition.y, w->savedPosition.y, 1e-4) << an << " " << k;
          ASSERT_NEAR(v->savedPosition.z, w->savedPosition.z, 1e-4) << an << " " << k;
        }
      }
    }
  }
}

// An embedded JPEG is written once beside the file and loaded; other bytes under its name are
// never replaced; without a writable folder the colour stays.
TEST_F(GltfImportTest, EmbeddedPicturesAreWrittenBesideTheFile) {
  const testing::Bytes rgb(8 * 8 * 3, 200);
  const testing::Bytes jpeg = testing::EncodeJpeg(8, 8, 3, rgb);
  testing::WriteFile(folder.File("t.jpg"), std::string(jpeg.begin(), jpeg.end()));
  testing::BuildOneTriangle(model);
  material::SetMaterialTexture(model, 0, true, folder.File("t.jpg"), 0, 0.0f);
  exporters::GltfFiles files;
  ASSERT_TRUE(exporters::BuildGltf(model, folder.File("a.glb"), files));
  const std::string jpegText(jpeg.begin(), jpeg.end());
  for (int pass = 0; pass < 2; ++pass) {  // the second finds its own file again
    ASSERT_TRUE(Import(files.main, "a.glb"));
    EXPECT_EQ(model.materials[0].textureFile, folder.File("a_image0.jpg"));
    EXPECT_NE(model.materials[0].texture, 0u);
  }
  testing::WriteFile(folder.File("a_image0.jpg"), "other");
  ASSERT_TRUE(Import(files.main, "a.glb"));
  EXPECT_EQ(model.materials[0].textureFile, folder.File("a_image0-2.jpg"));
  EXPECT_EQ(testing::ReadFile(folder.File("a_image0-2.jpg")), jpegText);
  EXPECT_EQ(testing::FilesIn(folder.path()),
            (std::vector<std::string>{"a_image0-2.jpg", "a_image0.jpg", "t.jpg"}));
  model.Reset();
  model.materialCount = 0;
  host.ClearEvents();
  ASSERT_TRUE(importers::ImportGltfBytes(model, files.main, "/nonexistent/a.glb"));
  EXPECT_EQ(model.materials[0].hasTexture, 0);
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{ErrorBoxText(
                                 "The glTF file was read with warnings:",
                                 "The embedded pictures could not be written beside the file; "
                                 "their materials keep their colours only.")});
}

// Every prefix of a small .glb and of the worm's JSON, and hand-made damage: refused with a
// message (or read cleanly), never a crash.
TEST_F(GltfImportTest, DamagedFiles) {
  testing::BuildOneTriangle(model);
  exporters::GltfFiles small;
  ASSERT_TRUE(exporters::BuildGltf(model, folder.File("s.glb"), small));
  for (std::size_t n = 0; n < small.main.size(); ++n) {
    EXPECT_FALSE(Import(small.main.substr(0, n), "s.glb")) << n;
    EXPECT_EQ(host.BoxTexts().size(), 1u) << n;
  }
  ASSERT_TRUE(format::ReadModelFile(model, ZMF_EXAMPLES_DIR "/worm.zmf"));
  exporters::GltfFiles worm;
  ASSERT_TRUE(exporters::BuildGltf(model, folder.File("w.gltf"), worm));
  testing::WriteFile(folder.File("w.bin"), worm.buffer);
  for (std::size_t n = 0; n < worm.main.size(); n += 97) {
    EXPECT_FALSE(Import(worm.main.substr(0, n), "w.gltf")) << n;
    EXPECT_EQ(host.BoxTexts().size(), 1u) << n;
  }

  Doc d;
  const int p = d.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3", 3);
  const int nan = d.Floats({NAN, 0, 0, INFINITY, 0, 0, 0, 1, 0}, "VEC3", 3);
  const int index = d.Add(std::vector<std::uint8_t>{0, 1, 3, 0}, 5121, "SCALAR", 3);
  d.j["meshes"] = {{{"primitives", {{{"attributes", {{"POSITION", p}}}}}}}};
  d.j["nodes"] = {{{"mesh", 0}}};
  const json good = d.j;
  ASSERT_TRUE(Import(d.Text()));
  const std::string base = "data:application/octet-stream;base64," + Base64(d.bin);
  const std::string detail = "an accessor of positions is out of range";
  const std::pair<std::function<void(json&)>, std::string> damage[] = {
      {[](json& j) { j["accessors"][0]["count"] = 4; }, detail},
      {[](json& j) { j["accessors"][0]["byteOffset"] = 4; }, detail},
      {[](json& j) { j["accessors"][0]["count"] = 2147483647; }, detail},
      {[](json& j) { j["bufferViews"][0]["byteOffset"] = 44; }, detail},
      {[](json& j) { j["bufferViews"][0]["byteStride"] = 8; },
       "the stride of positions is smaller than its elements"},
      {[](json& j) { j["bufferViews"][0]["byteStride"] = 16; }, detail},
      {[](json& j) { j["accessors"][0]["componentType"] = 5121; },
       "the accessor of positions has the wrong type"},
      {[](json& j) { j["meshes"][0]["primitives"][0]["attributes"]["POSITION"] = 9; }, detail},
      {[&](json& j) { j["meshes"][0]["primitives"][0]["indices"] = index; },
       "an index is past the vertices"},
      {[](json& j) { j["nodes"][0]["children"] = {0}; }, "a node is reached twice"},
      {[](json& j) {
         j["nodes"] = {{{"children", {1}}}, {{"children", {0}}}};
       },
       "a node is its own ancestor"},
      {[](json& j) {
         j["scenes"] = {{{"nodes", {0, 0}}}};
       },
       "a node is reached twice"},
  };
  for (const auto& [change, expected] : damage) {
    d.j = good;
    change(d.j);
    EXPECT_FALSE(Import(d.Text())) << expected;
    EXPECT_EQ(host.BoxTexts(),
              std::vector<std::string>{ErrorBoxText("Damaged glTF file:", expected)});
  }
  // Refused by their message: a claimed 2 GB buffer, names outside the folder, extensions.
  const std::pair<std::function<void(json&)>, std::string> refused[] = {
      {[](json& j) { j["buffers"][0]["byteLength"] = 2147483648u; },
       ErrorBoxText("Damaged glTF file:",
                    folder.File("m.gltf") + ": Failed to decode 'uri' : " + base + " in Buffer")},
      {[](json& j) { j["buffers"][0]["uri"] = "../m.bin"; },
       ErrorBoxText("A file outside the model's folder is not read:", "../m.bin")},
      {[](json& j) { j["buffers"][0]["uri"] = "/etc/passwd"; },
       ErrorBoxText("A file outside the model's folder is not read:", "/etc/passwd")},
      {[](json& j) {
         j["images"] = {{{"uri", "a/../../x.png"}}};
       },
       ErrorBoxText("A file outside the model's folder is not read:", "a/../../x.png")},
      {[](json& j) { j["extensionsRequired"] = {"KHR_draco_mesh_compression"}; },
       ErrorBoxText("Draco-compressed meshes cannot be read:", "KHR_draco_mesh_compression")},
      {[](json& j) { j["extensionsRequired"] = {"EXT_x"}; },
       ErrorBoxText("The file needs a glTF extension this program does not know:", "EXT_x")},
  };
  for (const auto& [change, expected] : refused) {
    d.j = good;
    d.Text();
    change(d.j);
    EXPECT_FALSE(Import(d.j.dump())) << expected;
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{expected});
  }
  // NaN and infinite numbers read as 0.
  d.j = good;
  d.j["meshes"][0]["primitives"][0]["attributes"]["POSITION"] = nan;
  ASSERT_TRUE(Import(d.Text()));
  EXPECT_EQ(Column(&Vertex::position), (std::vector<Vector3>{{0, 0, 0}, {0, 0, 0}, {0, 1, 0}}));
}

}  // namespace
}  // namespace zmf

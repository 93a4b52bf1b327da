// The glTF export, read back with the glTF library's own loader.
#include "export/gltf_export.h"

#include <png.h>

#include <cmath>
#include <cstring>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "command/open_save.h"
#include "file_fixture.h"
#include "format/gltf_library.h"
#include "format/zmf_reader.h"
#include "material/texels.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using testing::AddFileFace;
using testing::AddFileVertex;

// Pictures are kept as bytes: the export's are checked by hand.
bool KeepImage(tinygltf::Image* image, int, std::string*, std::string*, int, int,
               const unsigned char* bytes, int size, void*) {
  image->image.assign(bytes, bytes + size);
  return true;
}

// Parses a .glb in memory, or a .gltf (with its files) from disk; fails the test on any error
// or warning.
tinygltf::Model Load(const std::string& bytesOrPath, bool binary) {
  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(KeepImage, nullptr);
  tinygltf::Model gltf;
  std::string error, warning;
  const bool loaded = binary ? loader.LoadBinaryFromMemory(
                                   &gltf, &error, &warning,
                                   reinterpret_cast<const unsigned char*>(bytesOrPath.data()),
                                   static_cast<unsigned>(bytesOrPath.size()))
                             : loader.LoadASCIIFromFile(&gltf, &error, &warning, bytesOrPath);
  EXPECT_TRUE(loaded) << error;
  EXPECT_EQ(error + warning, "");
  return gltf;
}

// The accessor's values, which the export packs tightly.
template <class T>
std::vector<T> Values(const tinygltf::Model& gltf, int accessor) {
  const tinygltf::Accessor& a = gltf.accessors.at(std::size_t(accessor));
  const tinygltf::BufferView& view = gltf.bufferViews.at(std::size_t(a.bufferView));
  const auto& data = gltf.buffers.at(std::size_t(view.buffer)).data;
  std::vector<T> values(view.byteLength / sizeof(T));
  EXPECT_LE(view.byteOffset + view.byteLength, data.size());
  std::memcpy(values.data(), data.data() + view.byteOffset, values.size() * sizeof(T));
  return values;
}

class GltfExportTest : public testing::ModelTest {
 protected:
  tinygltf::Model Export(const char* name = "model.glb") {
    exporters::GltfFiles files;
    EXPECT_TRUE(exporters::BuildGltf(model, folder.File(name), files));
    dropped = files.droppedWeights;
    return Load(files.main, true);
  }

  // Root bone "hip" at rest one to the right (its local matrix moves one to the left), its child
  // "knee" a quarter turn about z; vertex 0 held by hip, vertex 1 by both (0.2 and 0.6), vertex 2
  // by knee.
  void BuildTwoBones() {
    testing::BuildOneTriangle(model);
    ASSERT_TRUE(anim::AddBone(model, "hip", -1, testing::Translation(-1, 0, 0), 1));
    ASSERT_TRUE(anim::AddBone(model, "knee", 0, testing::QuarterTurn(0, 0, 0), 1));
    anim::EvaluateHierarchy(model);
    Vertex* v0 = model.vertices.Nth(0);
    Vertex* v1 = model.vertices.Nth(1);
    model.bones[0].AddWeight(v0, 1.0f);
    model.bones[0].AddWeight(v1, 0.2f);
    model.bones[1].AddWeight(v1, 0.6f);
    model.bones[1].AddWeight(model.vertices.Nth(2), 1.0f);
  }

  testing::TempFolder folder;
  std::size_t dropped = 0;
};

TEST_F(GltfExportTest, OneTriangleMapsAttributesIndicesAndTheDefaultMaterial) {
  testing::BuildOneTriangle(model);
  model.vertices.Nth(1)->u = 0.5f;
  model.vertices.Nth(1)->v = 0.25f;           // v is kept: 0 is the picture's top row in both
  model.vertices.Nth(2)->normal = {0, 0, 2};  // made unit length
  const tinygltf::Model gltf = Export();
  ASSERT_EQ(gltf.meshes.size(), 1u);
  ASSERT_EQ(gltf.meshes[0].primitives.size(), 1u);
  const tinygltf::Primitive& p = gltf.meshes[0].primitives[0];
  EXPECT_EQ(p.mode, TINYGLTF_MODE_TRIANGLES);
  const tinygltf::Accessor& position = gltf.accessors[std::size_t(p.attributes.at("POSITION"))];
  EXPECT_EQ(position.count, 3u);
  EXPECT_EQ(position.minValues, (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(position.maxValues, (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(Values<float>(gltf, p.attributes.at("POSITION")),
            (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(Values<float>(gltf, p.attributes.at("NORMAL")),
            (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(Values<float>(gltf, p.attributes.at("TEXCOORD_0")),
            (std::vector<float>{0, 0, 0.5f, 0.25f, 0, 0}));
  EXPECT_EQ(gltf.accessors[std::size_t(p.indices)].componentType,
            TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT);
  // Winding kept: the axes are glTF's.
  EXPECT_EQ(Values<std::uint16_t>(gltf, p.indices), (std::vector<std::uint16_t>{0, 1, 2}));
  ASSERT_EQ(gltf.materials.size(), 1u);
  const tinygltf::Material& m = gltf.materials[0];
  EXPECT_EQ(m.name, "default");
  EXPECT_EQ(m.pbrMetallicRoughness.baseColorFactor, (std::vector<double>{0.8f, 0.8f, 0.8f, 1.0f}));
  EXPECT_EQ(m.pbrMetallicRoughness.metallicFactor, 0.0);
  EXPECT_EQ(m.pbrMetallicRoughness.roughnessFactor, 1.0);  // shininess 0
  EXPECT_EQ(m.alphaMode, "OPAQUE");
  EXPECT_EQ(m.pbrMetallicRoughness.baseColorTexture.index, -1);
  EXPECT_TRUE(gltf.skins.empty());
  EXPECT_TRUE(gltf.animations.empty());
  ASSERT_EQ(gltf.scenes.size(), 1u);
  EXPECT_EQ(gltf.scenes[0].nodes, std::vector<int>{0});
  EXPECT_EQ(gltf.nodes[0].mesh, 0);
}

TEST_F(GltfExportTest, SaveWritesGlbAndGltfWithoutRenamingTheDocumentAndReportsFailures) {
  testing::BuildOneTriangle(model);
  model.document = {"/models/a.zmf", DocumentKind::ZmfFile};
  model.MarkChanged();
  EXPECT_EQ(command::SaveModel(model, folder.File("out.GLB")), command::Saved::Written);
  EXPECT_EQ(command::SaveModel(model, folder.File("out.gltf")), command::Saved::Written);
  EXPECT_EQ(model.document.path, "/models/a.zmf");
  EXPECT_TRUE(model.HasUnsavedChanges());
  EXPECT_EQ(testing::FilesIn(folder.path()),
            (std::vector<std::string>{"out.GLB", "out.bin", "out.gltf"}));
  EXPECT_EQ(testing::ReadFile(folder.File("out.GLB")).substr(0, 4), "glTF");
  const tinygltf::Model gltf = Load(folder.File("out.gltf"), false);
  ASSERT_EQ(gltf.buffers.size(), 1u);
  EXPECT_EQ(gltf.buffers[0].uri, "out.bin");
  EXPECT_EQ(Values<float>(gltf, gltf.meshes[0].primitives[0].attributes.at("POSITION")).size(), 9u);
  EXPECT_TRUE(host.events().empty());

  const std::string missing = folder.File("missing/out.glb");
  EXPECT_EQ(command::SaveModel(model, missing), command::Saved::Failed);
  EXPECT_EQ(host.BoxTexts(),
            std::vector<std::string>{testing::ErrorBoxText("Could not write to file:", missing)});
  model.Reset();
  EXPECT_EQ(command::SaveModel(model, folder.File("empty.glb")), command::Saved::NothingToSave);
}

TEST_F(GltfExportTest, EachMaterialInUseIsAPrimitiveWithItsAlphaModeAndTexture) {
  model.Reset();
  Vertex* v[4];
  for (int i = 0; i < 4; ++i)
    v[i] = AddFileVertex(model, {float(i), 0, float(i % 2)}, {0, 1, 0}, 0, 0);
  model.materialCount = 4;
  for (std::uint32_t m = 1; m < 4; ++m) model.SetMaterialDefaults(m);
  model.materials[1].name.Set("glass");
  model.materials[1].diffuse = {0.25f, 0.5f, 1.0f, 0.5f};
  model.materials[1].shininess = 128;
  model.materials[1].alphaMode = material::kAlphaLuminance;  // untextured: its diffuse alpha
  model.materials[2].name.Set("leaf");
  model.materials[2].hasTexture = 1;
  model.materials[2].textureFile = folder.File("leaf.bmp");
  model.materials[2].alphaMode = material::kAlphaBlackMask;
  testing::WriteFile(folder.File("leaf.bmp"), testing::SolidBmp64(10, 20, 30));
  AddFileFace(model, v[0], v[1], v[2], 1);
  AddFileFace(model, v[1], v[2], v[3], 2);
  AddFileFace(model, v[3], v[2], v[0], 1);
  Face* stray = AddFileFace(model, v[0], v[2], v[3], 0);
  stray->material = 7;  // outside the table: saved as material 0

  const tinygltf::Model gltf = Export();
  const auto& primitives = gltf.meshes[0].primitives;
  ASSERT_EQ(primitives.size(), 3u);  // material 3 has no faces
  EXPECT_EQ(Values<std::uint16_t>(gltf, primitives[0].indices),
            (std::vector<std::uint16_t>{0, 2, 3}));
  EXPECT_EQ(Values<std::uint16_t>(gltf, primitives[1].indices),
            (std::vector<std::uint16_t>{0, 1, 2, 3, 2, 0}));
  EXPECT_EQ(Values<std::uint16_t>(gltf, primitives[2].indices),
            (std::vector<std::uint16_t>{1, 2, 3}));
  EXPECT_EQ(primitives[1].attributes, primitives[2].attributes);  // one set of vertices
  ASSERT_EQ(gltf.materials.size(), 3u);
  const tinygltf::Material& glass = gltf.materials[std::size_t(primitives[1].material)];
  EXPECT_EQ(glass.name, "glass");
  EXPECT_EQ(glass.pbrMetallicRoughness.baseColorFactor, (std::vector<double>{0.25, 0.5, 1, 0.5}));
  EXPECT_DOUBLE_EQ(glass.pbrMetallicRoughness.roughnessFactor, std::sqrt(std::sqrt(2.0 / 130)));
  EXPECT_EQ(glass.alphaMode, "BLEND");
  const tinygltf::Material& leaf = gltf.materials[std::size_t(primitives[2].material)];
  EXPECT_EQ(leaf.alphaMode, "MASK");
  EXPECT_EQ(leaf.alphaCutoff, 0.5);
  ASSERT_EQ(leaf.pbrMetallicRoughness.baseColorTexture.index, 0);
  ASSERT_EQ(gltf.images.size(), 1u);
  const tinygltf::Image& image = gltf.images[0];
  EXPECT_EQ(image.mimeType, "image/png");
  EXPECT_GE(image.bufferView, 0);  // embedded in the .glb
  // The BMP as the texels ZMF draws: RGB from BGR, the mask's alpha at full range.
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_memory(&png, image.image.data(), image.image.size()), 0);
  png.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(png));
  ASSERT_NE(png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr), 0);
  EXPECT_EQ(png.width, 64u);
  EXPECT_EQ(png.height, 64u);
  EXPECT_EQ(std::vector<std::uint8_t>(rgba.begin(), rgba.begin() + 8),
            (std::vector<std::uint8_t>{30, 20, 10, 255, 30, 20, 10, 255}));

  // Beside a .gltf the picture is a file of its own.
  ASSERT_TRUE(exporters::ExportGltf(model, folder.File("plant.gltf")));
  const tinygltf::Model text = Load(folder.File("plant.gltf"), false);
  ASSERT_EQ(text.images.size(), 1u);
  EXPECT_EQ(text.images[0].uri, "plant_0.png");
  const std::string beside = testing::ReadFile(folder.File("plant_0.png"));
  EXPECT_EQ(std::vector<unsigned char>(beside.begin(), beside.end()), image.image);
}

TEST_F(GltfExportTest, TwoBonesMakeASkinOfTheirHierarchy) {
  BuildTwoBones();
  const tinygltf::Model gltf = Export();
  ASSERT_EQ(gltf.skins.size(), 1u);
  EXPECT_EQ(gltf.skins[0].joints, (std::vector<int>{1, 2}));
  EXPECT_EQ(gltf.nodes[0].skin, 0);
  EXPECT_EQ(gltf.scenes[0].nodes, (std::vector<int>{0, 1}));  // the mesh, the root bone
  EXPECT_EQ(gltf.nodes[1].name, "hip");
  EXPECT_EQ(gltf.nodes[1].children, std::vector<int>{2});
  // At rest a bone is the inverse of its local matrix.
  EXPECT_EQ(gltf.nodes[1].translation, (std::vector<double>{1, 0, 0}));
  EXPECT_TRUE(gltf.nodes[1].rotation.empty());
  const double half = std::sqrt(0.5);
  ASSERT_EQ(gltf.nodes[2].rotation.size(), 4u);
  EXPECT_NEAR(gltf.nodes[2].rotation[2], -half, 1e-7);
  EXPECT_NEAR(gltf.nodes[2].rotation[3], half, 1e-7);
  EXPECT_TRUE(gltf.nodes[2].translation.empty());
  // The inverse bind matrices are the bind matrices.
  std::vector<float> binds;
  for (int b = 0; b < 2; ++b) {
    binds.insert(binds.end(), model.bones[b].bindMatrix.m.begin(),
                 model.bones[b].bindMatrix.m.end());
  }
  EXPECT_EQ(Values<float>(gltf, gltf.skins[0].inverseBindMatrices), binds);
  const auto& attributes = gltf.meshes[0].primitives[0].attributes;
  EXPECT_EQ(Values<std::uint8_t>(gltf, attributes.at("JOINTS_0")),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Values<float>(gltf, attributes.at("WEIGHTS_0")),
            (std::vector<float>{1, 0, 0, 0, 0.25f, 0.75f, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(dropped, 0u);

  // A vertex no bone holds stays where it is, through a joint that never moves.
  model.bones[1].RemoveWeight(model.bones[1].FindWeight(model.vertices.Nth(2)));
  const tinygltf::Model still = Export();
  EXPECT_EQ(still.skins[0].joints, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(still.scenes[0].nodes, (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(Values<std::uint8_t>(still, still.meshes[0].primitives[0].attributes.at("JOINTS_0"))[8],
            2);
}

TEST_F(GltfExportTest, KeysBecomeLinearTranslationAndRotationSamples) {
  BuildTwoBones();
  ASSERT_TRUE(anim::AddAnimation(model, "wave", 2, 1.5f));
  AnimKey* keys = model.animation(0).keys.data();
  keys[0].keyBoneCount = keys[1].keyBoneCount = 1;
  keys[0].keyBones[0].boneIndex = keys[1].keyBones[0].boneIndex = 1;
  keys[1].keyBones[0].matrix = testing::QuarterTurn(0, 2, 0);
  const tinygltf::Model gltf = Export();
  ASSERT_EQ(gltf.animations.size(), 1u);
  const tinygltf::Animation& a = gltf.animations[0];
  EXPECT_EQ(a.name, "wave");
  ASSERT_EQ(a.channels.size(), 2u);
  EXPECT_EQ(a.channels[0].target_node, 2);
  EXPECT_EQ(a.channels[0].target_path, "translation");
  EXPECT_EQ(a.channels[1].target_path, "rotation");
  const tinygltf::AnimationSampler& move = a.samplers[std::size_t(a.channels[0].sampler)];
  const tinygltf::AnimationSampler& turn = a.samplers[std::size_t(a.channels[1].sampler)];
  EXPECT_EQ(move.interpolation, "LINEAR");
  EXPECT_EQ(Values<float>(gltf, move.input), (std::vector<float>{0, 1.5f}));
  EXPECT_EQ(gltf.accessors[std::size_t(move.input)].maxValues, std::vector<double>{1.5});
  EXPECT_EQ(Values<float>(gltf, move.output), (std::vector<float>{0, 0, 0, 0, 2, 0}));
  const std::vector<float> rotation = Values<float>(gltf, turn.output);
  const float half = std::sqrt(0.5f);
  ASSERT_EQ(rotation.size(), 8u);
  EXPECT_EQ(std::vector<float>(rotation.begin(), rotation.begin() + 4),
            (std::vector<float>{0, 0, 0, 1}));
  EXPECT_NEAR(rotation[6], half, 1e-7);
  EXPECT_NEAR(rotation[7], half, 1e-7);
}

// Column-major 4 x 4 product a * b, as glTF composes node matrices.
std::array<double, 16> Multiply(const std::array<double, 16>& a, const std::array<double, 16>& b) {
  std::array<double, 16> r{};
  for (int c = 0; c < 4; ++c) {
    for (int row = 0; row < 4; ++row) {
      for (int k = 0; k < 4; ++k) r[4 * c + row] += a[4 * k + row] * b[4 * c + k];
    }
  }
  return r;
}

std::array<double, 16> NodeMatrix(const std::vector<double>& t, const std::vector<double>& q) {
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  return {1 - 2 * (y * y + z * z),
          2 * (x * y + z * w),
          2 * (x * z - y * w),
          0,
          2 * (x * y - z * w),
          1 - 2 * (x * x + z * z),
          2 * (y * z + x * w),
          0,
          2 * (x * z + y * w),
          2 * (y * z - x * w),
          1 - 2 * (x * x + y * y),
          0,
          t[0],
          t[1],
          t[2],
          1};
}

TEST_F(GltfExportTest, TheWormPosesAsInTheEditorAtEveryKey) {
  ASSERT_TRUE(format::ReadModelFile(model, std::string(ZMF_EXAMPLES_DIR) + "/worm.zmf"));
  for (const char* name : {"worm.glb", "worm.gltf"}) {
    ASSERT_TRUE(exporters::ExportGltf(model, folder.File(name)));
  }
  const tinygltf::Model text = Load(folder.File("worm.gltf"), false);
  EXPECT_EQ(text.images.size(), 1u);
  const tinygltf::Model gltf = Load(testing::ReadFile(folder.File("worm.glb")), true);
  EXPECT_EQ(testing::FilesIn(folder.path()),
            (std::vector<std::string>{"worm.bin", "worm.glb", "worm.gltf", "worm_0.png"}));
  ASSERT_EQ(gltf.skins.size(), 1u);
  EXPECT_EQ(gltf.skins[0].joints.size(), model.boneCount);
  EXPECT_EQ(gltf.animations.size(), model.animationCount);
  exporters::GltfFiles files;
  ASSERT_TRUE(exporters::BuildGltf(model, folder.File("worm.glb"), files));
  EXPECT_EQ(files.droppedWeights, 0u);  // no worm vertex has more than four bones

  const auto& attributes = gltf.meshes[0].primitives[0].attributes;
  const std::vector<float> positions = Values<float>(gltf, attributes.at("POSITION"));
  const std::vector<std::uint8_t> joints = Values<std::uint8_t>(gltf, attributes.at("JOINTS_0"));
  const std::vector<float> weights = Values<float>(gltf, attributes.at("WEIGHTS_0"));
  const std::vector<float> binds = Values<float>(gltf, gltf.skins[0].inverseBindMatrices);
  const tinygltf::Animation& crawl = gltf.animations[0];
  ManualClock clock;
  model.currentAnimation = 0;
  for (std::uint32_t k = 0; k < model.animation(0).keyCount; ++k) {
    // Each node's local transform at key k: the samples of its channels, else its rest.
    std::vector<std::vector<double>> t(gltf.nodes.size()), q(gltf.nodes.size());
    for (std::size_t n = 0; n < gltf.nodes.size(); ++n) {
      t[n] = gltf.nodes[n].translation.empty() ? std::vector<double>{0, 0, 0}
                                               : gltf.nodes[n].translation;
      q[n] =
          gltf.nodes[n].rotation.empty() ? std::vector<double>{0, 0, 0, 1} : gltf.nodes[n].rotation;
    }
    for (const tinygltf::AnimationChannel& c : crawl.channels) {
      const tinygltf::AnimationSampler& s = crawl.samplers[std::size_t(c.sampler)];
      ASSERT_EQ(Values<float>(gltf, s.input)[k], model.animation(0).keys[k].time);
      const std::vector<float> out = Values<float>(gltf, s.output);
      const std::size_t size = c.target_path == "rotation" ? 4 : 3;
      std::vector<double>& target = c.target_path == "rotation" ? q[std::size_t(c.target_node)]
                                                                : t[std::size_t(c.target_node)];
      ASSERT_NE(c.target_path, "scale");
      target.assign(out.begin() + std::ptrdiff_t(k * size),
                    out.begin() + std::ptrdiff_t((k + 1) * size));
    }
    std::vector<std::array<double, 16>> world(gltf.nodes.size());
    std::vector<int> parent(gltf.nodes.size(), -1);
    for (std::size_t n = 0; n < gltf.nodes.size(); ++n) {
      for (int child : gltf.nodes[n].children) parent[std::size_t(child)] = int(n);
    }
    for (std::size_t n = 0; n < gltf.nodes.size(); ++n) {
      world[n] = NodeMatrix(t[n], q[n]);
      for (int p = parent[n]; p >= 0; p = parent[std::size_t(p)])
        world[n] = Multiply(NodeMatrix(t[std::size_t(p)], q[std::size_t(p)]), world[n]);
    }
    model.currentKey = static_cast<std::int32_t>(k);
    anim::PoseMesh(model, clock);
    std::size_t i = 0;
    for (const Vertex* v : model.vertices) {
      if (i % 37 == 0) {
        double posed[3] = {0, 0, 0};
        for (std::size_t s = 0; s < 4; ++s) {
          const std::size_t joint = joints[4 * i + s];
          std::array<double, 16> bind;
          std::copy(binds.begin() + std::ptrdiff_t(16 * joint),
                    binds.begin() + std::ptrdiff_t(16 * joint + 16), bind.begin());
          const std::array<double, 16> skin =
              Multiply(world[std::size_t(gltf.skins[0].joints[joint])], bind);
          for (int r = 0; r < 3; ++r) {
            posed[r] += weights[4 * i + s] *
                        (skin[r] * positions[3 * i] + skin[4 + r] * positions[3 * i + 1] +
                         skin[8 + r] * positions[3 * i + 2] + skin[12 + r]);
          }
        }
        EXPECT_NEAR(posed[0], v->savedPosition.x, 1e-4) << "key " << k << " vertex " << i;
        EXPECT_NEAR(posed[1], v->savedPosition.y, 1e-4) << "key " << k << " vertex " << i;
        EXPECT_NEAR(posed[2], v->savedPosition.z, 1e-4) << "key " << k << " vertex " << i;
      }
      ++i;
    }
  }
}

}  // namespace
}  // namespace zmf

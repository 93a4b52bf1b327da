// Whole frames compared with stored pictures (tests/render/baselines/NAME.png): the four views of
// the sample model and a few small scenes. A pixel differs when a channel is off by more than
// kChannelTolerance; a frame matches while at most kMaxDifferingPixels differ. A missing or
// changed picture is written to the build folder and the failure names it: look at it, and copy
// it into tests/render/baselines/ to accept it.
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "command/open_save.h"
#include "render_fixture.h"

namespace zmf::testing {
namespace {

using view::ViewMode;

constexpr int kChannelTolerance = 8;
constexpr int kMaxDifferingPixels = kViewSize * kViewSize / 1000;  // 0.1%

using Image = std::vector<std::uint8_t>;  // RGB, top row first

// A kViewSize square RGB picture; false when the file is missing, unreadable or of another size.
bool ReadPng(const std::string& path, Image& rgb) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_RGB;
  if (png.width != kViewSize || png.height != kViewSize) {
    png_image_free(&png);
    return false;
  }
  rgb.resize(PNG_IMAGE_SIZE(png));
  return png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr) != 0;
}

bool WritePng(const std::string& path, const Image& rgb) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png.height = kViewSize;
  png.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

// The scenes, each drawn from a fresh model and a default camera showing -1 ... 1 on both axes.
class SceneTest : public RenderTest {
 public:
  void Worm() {
    ASSERT_EQ(command::OpenModel(model, ZMF_EXAMPLES_DIR "/worm.zmf"), command::Opened::Model);
    ASSERT_TRUE(model.materials[0].texture != 0 || model.materials[1].texture != 0)
        << "worm.bmp is loaded";
    editor.projection = view::FitView(editor.camera, model);
  }

  // Two triangles making a square with the middle of the quadrant texture; two corners selected,
  // so their texture coordinates show over the texture.
  void TexturedQuad() {
    const Image texels = QuadrantTexels();
    model.materials[0].texture = textures.Create(4, 4, texels.data());
    model.materials[0].hasTexture = 1;
    Vertex* a = AddVertex(At(128, 128), {0, 0, 1}, 0.125f, 0.875f);
    Vertex* b = AddVertex(At(384, 128), {0, 0, 1}, 0.875f, 0.875f);
    Vertex* c = AddVertex(At(384, 384), {0, 0, 1}, 0.875f, 0.125f);
    Vertex* d = AddVertex(At(128, 384), {0, 0, 1}, 0.125f, 0.125f);
    AddFace(a, b, c);
    AddFace(a, c, d);
    model.vertices.ClearSelection();
    model.vertices.Select(a);
    model.vertices.Select(c);
  }

  // Three faces, the middle one selected, and one vertex selected.
  void SelectedFace() {
    Vertex* v[5] = {AddVertex(At(64, 128)), AddVertex(At(192, 384)), AddVertex(At(320, 128)),
                    AddVertex(At(448, 384)), AddVertex(At(448, 128))};
    AddFace(v[0], v[2], v[1]);
    Face* selected = AddFace(v[1], v[2], v[3]);
    AddFace(v[2], v[4], v[3]);
    model.faces.ClearSelection();
    model.faces.Select(selected);
    model.vertices.ClearSelection();
    model.vertices.Select(v[3]);
  }

  // A root bone at the centre and an arm 96 pixels to its right, the arm current; a strip of
  // faces whose right corners the arm holds and whose middle both hold. An animation lifts the
  // arm by 64 pixels: its corners move the whole way, the middle half of it.
  void TwoBones() {
    model.radiusSquared = 6.25f;  // bone axes of 64 pixels
    const Vector3 centre = At(256, 256);
    Matrix4 rest = Matrix4::Identity();  // model space to bone space: the centre to the origin
    rest[12] = -centre.x;
    rest[13] = -centre.y;
    ASSERT_TRUE(anim::AddBone(model, "root", -1, rest, 1));
    Matrix4 arm = Matrix4::Identity();
    arm[12] = -0.375f;  // 96 pixels
    ASSERT_TRUE(anim::AddBone(model, "arm", 0, arm, 1));
    Vertex* v[6] = {AddVertex(At(160, 160)), AddVertex(At(160, 352)), AddVertex(At(256, 160)),
                    AddVertex(At(256, 352)), AddVertex(At(400, 160)), AddVertex(At(400, 352))};
    AddFace(v[0], v[2], v[3]);
    AddFace(v[0], v[3], v[1]);
    AddFace(v[2], v[4], v[5]);
    AddFace(v[2], v[5], v[3]);
    for (Vertex* held : {v[2], v[3]}) ASSERT_TRUE(anim::AddVertexWeight(model, 0, held));
    for (Vertex* held : {v[2], v[3], v[4], v[5]})
      ASSERT_TRUE(anim::AddVertexWeight(model, 1, held));
    ASSERT_TRUE(anim::AddAnimation(model, "lift", 1, 0.0f));
    model.currentKey = 0;
    ASSERT_TRUE(anim::AddKeyBone(model, 0));
    ASSERT_TRUE(anim::AddKeyBone(model, 1));  // the current key bone
    Matrix4 lift = Matrix4::Identity();       // the arm's place in its parent, 64 pixels higher
    lift[12] = 0.375f;
    lift[13] = 0.25f;
    anim::ApplyKeyBoneMatrix(model, lift);
    model.currentBone = 1;
  }
};

struct Scene {
  const char* name;
  ViewMode view;
  void (SceneTest::*build)();
};

const Scene kScenes[] = {
    {"worm_mesh", ViewMode::Mesh, &SceneTest::Worm},
    {"worm_normals", ViewMode::Normals, &SceneTest::Worm},
    {"worm_material", ViewMode::Material, &SceneTest::Worm},
    {"worm_bones", ViewMode::Skeleton, &SceneTest::Worm},
    {"textured_quad", ViewMode::Material, &SceneTest::TexturedQuad},
    {"selected_face", ViewMode::Mesh, &SceneTest::SelectedFace},
    {"two_bones", ViewMode::Skeleton, &SceneTest::TwoBones},
};

void PrintTo(const Scene& scene, std::ostream* out) { *out << scene.name; }

class BaselineTest : public SceneTest, public ::testing::WithParamInterface<Scene> {};

TEST_P(BaselineTest, FrameMatchesItsBaseline) {
  const Scene& scene = GetParam();
  (this->*scene.build)();
  ASSERT_FALSE(HasFatalFailure());
  // Entering a view shows the model at rest; the normals view marks the duplicates.
  model.Commit();
  if (scene.view == ViewMode::Normals) model.RebuildDuplicates();
  Draw(scene.view);

  Image frame;
  for (int y = kViewSize - 1; y >= 0; --y) {
    for (int x = 0; x < kViewSize; ++x) {
      const Rgb p = Pixel(x, y);
      frame.insert(frame.end(), {std::uint8_t(p[0]), std::uint8_t(p[1]), std::uint8_t(p[2])});
    }
  }

  const std::string file = std::string(scene.name) + ".png";
  Image baseline;
  const bool found = ReadPng(ZMF_RENDER_BASELINES "/" + file, baseline);
  int differing = kViewSize * kViewSize;
  if (found) {
    differing = 0;
    for (std::size_t i = 0; i < frame.size(); i += 3) {
      bool differs = false;
      for (std::size_t c = i; c < i + 3; ++c) {
        differs = differs || std::abs(frame[c] - baseline[c]) > kChannelTolerance;
      }
      differing += differs ? 1 : 0;
    }
  }
  if (differing <= kMaxDifferingPixels) return;

  std::filesystem::create_directories(ZMF_RENDER_OUTPUT);
  const std::string written = ZMF_RENDER_OUTPUT "/" + file;
  ASSERT_TRUE(WritePng(written, frame)) << written;
  if (!found) {
    FAIL() << "no baseline tests/render/baselines/" << file << "; this frame is in " << written;
  }
  FAIL() << differing << " pixels differ from tests/render/baselines/" << file << " (at most "
         << kMaxDifferingPixels << " may); this frame is in " << written;
}

INSTANTIATE_TEST_SUITE_P(Scenes, BaselineTest, ::testing::ValuesIn(kScenes),
                         [](const ::testing::TestParamInfo<Scene>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zmf::testing

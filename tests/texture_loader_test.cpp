// Loading texture files: format choice, messages, the size warning, the texels that reach the
// store; and the background image that keeps one such texture.
#include "material/texture_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "image_fixtures.h"
#include "material/background_image.h"
#include "material/texels.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

std::string Box(std::string_view message, const std::string& file) {
  return std::string(message) + " " + file + " The application will continue.";
}

const std::string kWarning = "Texture files should be powers of 2 in dimension:";

// Each test writes its files into a folder of its own, removed afterwards.
class TextureFiles : public ModelTest {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("zmf_textures_" + std::to_string(::getpid()) + "_" + info->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  std::uint32_t Load(const std::string& file, std::uint32_t mode = kAlphaNone, float value = 0) {
    return LoadTexture(host, textures, file, mode, value);
  }
  const RecordingTextureStore::Texture& Made(std::uint32_t name) {
    return textures.live().at(name);
  }

  std::filesystem::path dir_;
};

// Pixel (x, y) of the test pictures: blue x, green y, red 7.
Bgr Gradient(int x, int y) { return {std::uint8_t(x), std::uint8_t(y), 7}; }

TEST_F(TextureFiles, SixtyFourSquareBmpReachesTheStoreOneToOneTopRowFirst) {
  const std::string file = Write("square.bmp", Bmp24(64, 64, Gradient));
  const std::uint32_t name = Load(file);
  ASSERT_EQ(name, 1u);
  EXPECT_TRUE(host.events().empty());
  const auto& t = Made(name);
  ASSERT_EQ(t.width, 64);
  ASSERT_EQ(t.height, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const std::uint8_t* p = t.rgba.data() + (std::size_t(y) * 64 + x) * 4;
      ASSERT_EQ(p[0], 7);
      ASSERT_EQ(p[1], y);
      ASSERT_EQ(p[2], x);
      ASSERT_EQ(p[3], 191);
    }
  }
}

TEST_F(TextureFiles, SidesNotMultiplesOfSixtyFourWarnAndStillLoad) {
  const std::string odd = Write("odd.bmp", Bmp24(1024, 300, Gradient));
  const std::uint32_t name = Load(odd);
  ASSERT_NE(name, 0u);
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{Box(kWarning, odd)});
  EXPECT_EQ(Made(name).width, 512);
  EXPECT_EQ(Made(name).height, 256);

  host.ClearEvents();
  const std::uint32_t even = Load(Write("even.bmp", Bmp24(1024, 256, Gradient)));
  EXPECT_NE(even, 0u);
  EXPECT_TRUE(host.events().empty());

  const std::string small = Write("small.bmp", Bmp24(32, 32, Gradient));
  const std::uint32_t grown = Load(small);
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{Box(kWarning, small)});
  EXPECT_EQ(Made(grown).width, 64);
}

TEST_F(TextureFiles, FormatComesFromTheLastThreeCharactersInAnyCase) {
  const Bytes bmp = Bmp24(64, 64, Gradient);
  EXPECT_NE(Load(Write("picture.Bmp", bmp)), 0u);
  EXPECT_NE(Load(Write("picture.bmP", bmp)), 0u);
  EXPECT_TRUE(host.events().empty());

  Bytes rgb(64 * 64 * 3, 90);
  const Bytes jpeg = EncodeJpeg(64, 64, 3, rgb);
  EXPECT_NE(Load(Write("photo.JPG", jpeg)), 0u);
  EXPECT_TRUE(host.events().empty());

  const std::string jpegName = Write("photo.jpeg", jpeg);
  EXPECT_EQ(Load(jpegName), 0u);
  const std::string png = Write("bmp.png", bmp);
  EXPECT_EQ(Load(png), 0u);
  EXPECT_EQ(host.BoxTexts(),
            (std::vector<std::string>{Box("Unrecognized texture format:", jpegName),
                                      Box("Unrecognized texture format:", png)}));

  // Names too short to have an extension are ignored without a word.
  host.ClearEvents();
  EXPECT_EQ(Load(""), 0u);
  EXPECT_EQ(Load("jp"), 0u);
  EXPECT_TRUE(host.events().empty());
  EXPECT_EQ(textures.live().size(), 3u);
}

TEST_F(TextureFiles, EachFailureHasItsMessageAndMakesNoTexture) {
  // A BMP that is missing or damaged cannot be loaded.
  const std::string missingBmp = PathOf("missing.bmp");
  Bytes damaged = Bmp24(64, 64, Gradient);
  damaged.resize(100);
  const std::string cut = Write("cut.bmp", damaged);
  const std::string folder = PathOf("folder.bmp");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(Load(missingBmp), 0u);
  EXPECT_EQ(Load(cut), 0u);
  EXPECT_EQ(Load(folder), 0u);
  // A NUL inside the name must not open the file named by the part before it.
  const std::string real = Write("real.bmp", Bmp24(64, 64, Gradient));
  const std::string withNul = real + std::string(1, '\0') + ".bmp";
  EXPECT_EQ(Load(withNul), 0u);
  EXPECT_EQ(host.BoxTexts(), (std::vector<std::string>{
                                 Box("Could not load texture file:", missingBmp),
                                 Box("Could not load texture file:", cut),
                                 Box("Could not load texture file:", folder),
                                 Box("Could not load texture file:", withNul),
                             }));

  // A JPEG that cannot be opened is passed over silently; a bad header and bad data say so.
  host.ClearEvents();
  EXPECT_EQ(Load(PathOf("missing.jpg")), 0u);
  EXPECT_TRUE(host.events().empty());
  const std::string notJpeg = Write("not.jpg", Bytes(200, 0x42));
  EXPECT_EQ(Load(notJpeg), 0u);
  const std::string cmyk = Write("cmyk.jpg", EncodeJpeg(8, 8, 4, Bytes(8 * 8 * 4, 100)));
  EXPECT_EQ(Load(cmyk), 0u);
  EXPECT_EQ(host.BoxTexts(), (std::vector<std::string>{
                                 Box("Bad Table Format in jpg:", notJpeg),
                                 Box("Could not load texture file:", cmyk),
                             }));
  EXPECT_TRUE(textures.live().empty());
}

TEST_F(TextureFiles, JpegTexturesAreOpaqueInTheirFileAndFirstPixelIsTheTopLeft) {
  // Top half (0, 0, 200) in red, green, blue; bottom half (250, 250, 250).
  Bytes rgb;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const Bgr c = y < 32 ? Bgr{0, 0, 200} : Bgr{250, 250, 250};
      rgb.insert(rgb.end(), c.begin(), c.end());
    }
  }
  const std::string file = Write("halves.jpg", EncodeJpeg(64, 64, 3, rgb));
  const auto& inFile = Made(Load(file, kAlphaInFile));
  for (std::size_t k = 3; k < inFile.rgba.size(); k += 4) ASSERT_EQ(inFile.rgba[k], 191);
  EXPECT_NEAR(inFile.rgba[2], 200, 3);  // blue of the top-left texel
  EXPECT_NEAR(inFile.rgba[0], 0, 3);

  // A bottom-up BMP stores its top-left pixel last; mode 5 still keys on the top-left.
  const std::string bmp = Write("keyed.bmp", Bmp24(64, 64, [](int x, int y) {
                                  return x < 8 && y < 8 ? Bgr{1, 2, 3} : Bgr{4, 5, 6};
                                }));
  const auto& keyed = Made(Load(bmp, kAlphaFirstPixel));
  EXPECT_EQ(keyed.rgba[3], 0);
  EXPECT_EQ(keyed.rgba[(std::size_t(7) * 64 + 7) * 4 + 3], 0);
  EXPECT_EQ(keyed.rgba[(std::size_t(8) * 64 + 8) * 4 + 3], 191);
  EXPECT_EQ(keyed.rgba[(std::size_t(63) * 64 + 0) * 4 + 3], 191);
}

TEST_F(TextureFiles, BackgroundImageIsReplacedClearedAndResetWithoutLeaks) {
  const std::string first = Write("first.bmp", Bmp24(64, 64, Gradient));
  const std::string second = Write("second.bmp", Bmp24(100, 64, Gradient));

  LoadBackgroundImage(model, first);
  ASSERT_EQ(model.backgroundTexture, 1u);
  const auto& texels = Made(1).rgba;
  for (std::size_t k = 3; k < texels.size(); k += 4) ASSERT_EQ(texels[k], 191);  // mode 0

  // Another image deletes the first; its odd width warns and it is still used.
  LoadBackgroundImage(model, second);
  EXPECT_EQ(model.backgroundTexture, 2u);
  EXPECT_EQ(textures.deleted(), std::vector<std::uint32_t>{1});
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{Box(kWarning, second)});
  EXPECT_EQ(Made(2).width, 64);

  // A failed load leaves no background and no texture behind.
  LoadBackgroundImage(model, PathOf("gone.bmp"));
  EXPECT_EQ(model.backgroundTexture, 0u);
  EXPECT_EQ(textures.deleted(), (std::vector<std::uint32_t>{1, 2}));
  EXPECT_TRUE(textures.live().empty());

  LoadBackgroundImage(model, first);
  ClearBackgroundImage(model);
  EXPECT_EQ(model.backgroundTexture, 0u);
  ClearBackgroundImage(model);
  EXPECT_EQ(textures.deleted(), (std::vector<std::uint32_t>{1, 2, 3}));

  LoadBackgroundImage(model, first);
  model.Reset();
  EXPECT_EQ(model.backgroundTexture, 0u);
  EXPECT_TRUE(textures.live().empty());
}

}  // namespace
}  // namespace zmf::testing

// Loading texture files: format choice, messages, the size warning, the texels that reach the
// store; and the background image that keeps one such texture.
#include "material/texture_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "export/png_encoder.h"
#include "file_fixture.h"
#include "image_fixtures.h"
#include "material/background_image.h"
#include "material/texels.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using Texts = std::vector<std::string>;

std::string Warning(const std::string& file) {
  return ErrorBoxText("Texture files should be powers of 2 in dimension:", file);
}

class TextureFiles : public ModelTest {
 protected:
  std::string PathOf(const std::string& name) const { return folder_.File(name); }
  std::string Write(const std::string& name, const Bytes& bytes) {
    WriteFile(PathOf(name),
              std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return PathOf(name);
  }
  std::uint32_t Load(const std::string& file, std::uint32_t mode = material::kAlphaNone) {
    return material::LoadTexture(host, textures, file, mode, 0);
  }
  const RecordingTextureStore::Texture& Made(std::uint32_t name) {
    return textures.live().at(name);
  }

  TempFolder folder_;
};

// Pixel (x, y) of the test pictures: blue x, green y, red 7.
Bgr Gradient(int x, int y) { return {std::uint8_t(x), std::uint8_t(y), 7}; }

TEST_F(TextureFiles, TexelsReachTheStoreTopRowFirstAndResampledWithAWarning) {
  const std::string square = Write("square.bmp", Bmp24(64, 64, Gradient));
  const std::uint32_t name = Load(square);
  ASSERT_EQ(name, 1u);
  Bytes expected;  // 64 x 64 one to one, red and blue exchanged
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      expected.insert(expected.end(), {7, std::uint8_t(y), std::uint8_t(x), 191});
    }
  }
  EXPECT_EQ(Made(name).width, 64);
  EXPECT_EQ(Made(name).rgba, expected);
  // Mode 5 keys on the top-left pixel, which a bottom-up BMP stores last.
  const Bytes& keyed = Made(Load(square, material::kAlphaFirstPixel)).rgba;
  EXPECT_EQ(keyed[3], 0);
  EXPECT_EQ(keyed[(63 * 64) * 4 + 3], 191);
  EXPECT_TRUE(host.events().empty());

  const std::string odd = Write("odd.bmp", Bmp24(1024, 300, Gradient));
  const std::string small = Write("small.bmp", Bmp24(32, 32, Gradient));
  const auto& shrunk = Made(Load(odd));
  EXPECT_EQ(shrunk.width, 512);
  EXPECT_EQ(shrunk.height, 256);
  const auto& grown = Made(Load(small));
  EXPECT_EQ(grown.width, 64);
  EXPECT_EQ(grown.height, 64);
  EXPECT_EQ(host.BoxTexts(), (Texts{Warning(odd), Warning(small)}));
}

// The format (BMP, JPEG or PNG) comes from the last three characters in any case; each failure has
// its message and makes no texture.
TEST_F(TextureFiles, FormatChoiceAndEveryFailureMessage) {
  const Bytes bmp = Bmp24(64, 64, Gradient);
  const Bytes jpeg = EncodeJpeg(64, 64, 3, Bytes(64 * 64 * 3, 90));
  const std::string pngText = exporters::EncodePng(64, 64, Bytes(64 * 64 * 4, 90));
  const Bytes png(pngText.begin(), pngText.end());
  Bytes cut = bmp;
  cut.resize(100);
  std::filesystem::create_directory(PathOf("folder.bmp"));
  const std::string loaded = "(loads)", unknown = "Unrecognized texture format:",
                    failed = "Could not load texture file:";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Write("picture.Bmp", bmp), loaded},
      {Write("photo.JPG", jpeg), loaded},
      {Write("photo.jpeg", jpeg), loaded},
      {Write("photo.JPEG", jpeg), loaded},
      {Write("photo.xjpeg", jpeg), unknown},
      {Write("bmp.png", bmp), failed},
      {Write("picture.PNG", png), loaded},
      {Write("photo.gif", bmp), unknown},
      {"", ""},  // names too short to have an extension are ignored without a word
      {"jp", ""},
      {PathOf("missing.bmp"), failed},
      {Write("cut.bmp", cut), failed},
      {PathOf("folder.bmp"), failed},
      // A NUL inside the name must not open the file named by the part before it.
      {Write("real.bmp", bmp) + std::string(1, '\0') + ".bmp", failed},
      {PathOf("missing.jpg"), ""},  // a JPEG that cannot be opened is passed over silently
      {Write("not.jpg", Bytes(200, 0x42)), "Bad Table Format in jpg:"},
      {Write("cmyk.jpg", EncodeJpeg(8, 8, 4, Bytes(8 * 8 * 4, 100))), failed},
  };
  for (const auto& [file, message] : cases) {
    host.ClearEvents();
    const std::size_t before = textures.live().size();
    const std::uint32_t name = Load(file);
    EXPECT_EQ(name != 0, message == loaded) << file;
    EXPECT_EQ(textures.live().size(), before + (name != 0 ? 1 : 0)) << file;
    const bool silent = message.empty() || message == loaded;
    EXPECT_EQ(host.BoxTexts(), silent ? Texts{} : Texts{ErrorBoxText(message, file)}) << file;
  }
}

TEST_F(TextureFiles, BackgroundImageIsReplacedClearedAndResetWithoutLeaks) {
  const std::string first = Write("first.bmp", Bmp24(64, 64, Gradient));
  const std::string second = Write("second.bmp", Bmp24(100, 64, Gradient));
  material::LoadBackgroundImage(model, first);
  ASSERT_EQ(model.backgroundTexture, 1u);
  EXPECT_EQ(Made(1).rgba[3], 191);  // mode 0

  // Another image deletes the first; its odd width warns and it is still used.
  material::LoadBackgroundImage(model, second);
  EXPECT_EQ(model.backgroundTexture, 2u);
  EXPECT_EQ(textures.deleted(), std::vector<std::uint32_t>{1});
  EXPECT_EQ(host.BoxTexts(), Texts{Warning(second)});

  // A failed load leaves no background and no texture behind.
  material::LoadBackgroundImage(model, PathOf("gone.bmp"));
  EXPECT_EQ(model.backgroundTexture, 0u);
  EXPECT_TRUE(textures.live().empty());

  material::LoadBackgroundImage(model, first);
  material::ClearBackgroundImage(model);
  material::ClearBackgroundImage(model);
  EXPECT_EQ(model.backgroundTexture, 0u);
  EXPECT_EQ(textures.deleted(), (std::vector<std::uint32_t>{1, 2, 3}));

  material::LoadBackgroundImage(model, first);
  model.Reset();
  EXPECT_EQ(model.backgroundTexture, 0u);
  EXPECT_TRUE(textures.live().empty());
}

}  // namespace
}  // namespace zmf::testing

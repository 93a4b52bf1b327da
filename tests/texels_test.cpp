// Texel building: texture sizes, nearest sampling, channel order and every alpha mode's bytes.
#include "material/texels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace zmf::testing {
namespace {

using Pixel = std::array<std::uint8_t, 4>;  // blue, green, red, X

material::SourceImage Picture(int width, int height, const std::function<Pixel(int, int)>& pixel) {
  material::SourceImage picture;
  picture.width = width;
  picture.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Pixel p = pixel(x, y);
      picture.pixels.insert(picture.pixels.end(), p.begin(), p.end());
    }
  }
  return picture;
}

material::TextureImage Build(const material::SourceImage& picture,
                             std::uint32_t mode = material::kAlphaNone, float value = 0.0f) {
  material::TextureImage texture;
  EXPECT_TRUE(material::BuildTexels(picture, mode, value, texture));
  return texture;
}

// Red, green, blue, alpha of texel (i, j), j counted from the top.
Pixel Texel(const material::TextureImage& t, int i, int j) {
  const std::uint8_t* p = t.rgba.data() + (std::size_t(j) * t.width + i) * 4;
  return {p[0], p[1], p[2], p[3]};
}

TEST(Texels, TextureSideAndSizeWarning) {
  const int sides[][2] = {{1, 64},    {127, 64},  {128, 128}, {255, 128},
                          {256, 256}, {511, 256}, {512, 512}, {16384, 512}};
  for (auto [side, texture] : sides) EXPECT_EQ(material::TextureSide(side), texture) << side;
  EXPECT_FALSE(material::NeedsSizeWarning(1024, 256));
  EXPECT_FALSE(
      material::NeedsSizeWarning(192, 64));  // multiples of 64, not powers of two: no warning
  EXPECT_TRUE(material::NeedsSizeWarning(32, 32));
  EXPECT_TRUE(material::NeedsSizeWarning(64, 65));
}

TEST(Texels, PicturesShrinkOrGrowPerAxisByNearestSample) {
  // Each pixel names its own column and row: blue and green the low bytes, red the high bits.
  auto coordinates = [](int x, int y) {
    return Pixel{std::uint8_t(x), std::uint8_t(y), std::uint8_t((x >> 8) | ((y >> 8) << 4)), 0};
  };
  auto sampled = [](const Pixel& texel) {
    return std::pair<int, int>{texel[2] | ((texel[0] & 15) << 8),
                               texel[1] | ((texel[0] >> 4) << 8)};
  };

  // Texel (i, j) of a w x h texture samples pixel (i * width / w, j * height / h).
  for (auto [width, height, w, h] : {std::array{1024, 300, 512, 256}, std::array{32, 32, 64, 64},
                                     std::array{600, 3, 512, 64}, std::array{1, 1, 64, 64}}) {
    const material::TextureImage t = Build(Picture(width, height, coordinates));
    ASSERT_EQ(t.width, w);
    ASSERT_EQ(t.height, h);
    ASSERT_EQ(t.rgba.size(), std::size_t(w) * std::size_t(h) * 4);
    for (int j = 0; j < h; ++j) {
      for (int i = 0; i < w; ++i) {
        ASSERT_EQ(sampled(Texel(t, i, j)), (std::pair{i * width / w, j * height / h}))
            << width << " x " << height << " at " << i << "," << j;
      }
    }
  }
}

TEST(Texels, EachAlphaModeGivesItsBytesScaledByThreeQuarters) {
  // Row 0 holds the interesting pixels at columns 0..5, the rest is mid grey.
  const std::vector<Pixel> row = {
      {10, 20, 30, 40},      // the top-left pixel
      {0, 0, 0, 0},          // black
      {255, 255, 255, 255},  // white
      {10, 20, 30, 99},      // the top-left colour with another fourth byte
      {90, 60, 30, 128},     // (R+G+B)/3 = 60
      {1, 0, 0, 200},        // almost black
  };
  const material::SourceImage picture = Picture(64, 64, [&](int x, int y) {
    return y == 0 && x < 6 ? row[std::size_t(x)] : Pixel{128, 128, 128, 1};
  });
  auto alphas = [&](std::uint32_t mode, float value = 0.0f) {
    const material::TextureImage t = Build(picture, mode, value);
    std::vector<int> out;
    for (int i = 0; i < 6; ++i) out.push_back(Texel(t, i, 0)[3]);
    return out;
  };
  using V = std::vector<int>;
  EXPECT_EQ(alphas(material::kAlphaNone), (V{191, 191, 191, 191, 191, 191}));
  EXPECT_EQ(alphas(material::kAlphaLuminance), (V{176, 191, 0, 176, 146, 191}));
  EXPECT_EQ(alphas(material::kAlphaIlluminance), (V{15, 0, 191, 15, 45, 0}));
  EXPECT_EQ(alphas(material::kAlphaBlackMask), (V{191, 0, 191, 191, 191, 191}));
  EXPECT_EQ(alphas(material::kAlphaWhiteMask), (V{191, 191, 0, 191, 191, 191}));
  EXPECT_EQ(alphas(material::kAlphaFirstPixel), (V{0, 191, 191, 0, 191, 191}));
  EXPECT_EQ(alphas(material::kAlphaInFile), (V{30, 0, 191, 74, 96, 150}));
  EXPECT_EQ(alphas(material::kAlphaConstant, 0.5f), (V{95, 95, 95, 95, 95, 95}));
  // Every number above 7 reads the fourth byte, as 6 does (10 comes from old model files).
  for (std::uint32_t mode : {8u, 10u, 0xFFFFFFFFu})
    EXPECT_EQ(alphas(mode), alphas(material::kAlphaInFile));

  // The colour bytes do not depend on the mode.
  EXPECT_EQ(Texel(Build(picture, material::kAlphaLuminance), 4, 0), (Pixel{30, 60, 90, 146}));

  // A picture in one colour is fully transparent under mode 5.
  auto oneColour = [](int, int) { return Pixel{5, 6, 7, 8}; };
  const material::TextureImage flat =
      Build(Picture(100, 70, oneColour), material::kAlphaFirstPixel);
  for (std::size_t k = 3; k < flat.rgba.size(); k += 4) ASSERT_EQ(flat.rgba[k], 0);
}

TEST(Texels, ConstantAlphaKeepsTheLowEightBitsAndSurvivesAnyValue) {
  EXPECT_EQ(material::ConstantAlpha(0.5f), 127);
  EXPECT_EQ(material::ConstantAlpha(2.0f), 254);    // 510
  EXPECT_EQ(material::ConstantAlpha(-0.5f), 129);   // -127
  EXPECT_EQ(material::ConstantAlpha(0.999f), 254);  // 254.745 truncated
  EXPECT_EQ(material::ConstantAlpha(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(material::ConstantAlpha(std::numeric_limits<float>::infinity()), 0);
  EXPECT_EQ(material::ConstantAlpha(1e30f), 0);
}

}  // namespace
}  // namespace zmf::testing

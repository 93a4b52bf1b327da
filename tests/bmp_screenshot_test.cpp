// The viewport's picture as a 16-bit BMP file: exact headers, pixel packing and row order.
#include "export/bmp_screenshot.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "file_fixture.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes; i-- > 0;) value = value << 8 | b[at + i];
  return value;
}

// A bottom-up RGBA frame of one colour with one pixel (x, y) of another.
std::vector<std::uint8_t> Frame(int width, int height, std::array<std::uint8_t, 3> fill, int x,
                                int y, std::array<std::uint8_t, 3> mark) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  for (int i = 0; i < width * height; ++i) {
    const bool marked = i == y * width + x;
    for (int c = 0; c < 3; ++c) rgba[i * 4 + c] = marked ? mark[c] : fill[c];
    rgba[i * 4 + 3] = 255;
  }
  return rgba;
}

TEST(BmpScreenshot, HeadersAndFiveBitPixelsBottomUp) {
  // The clear grey 0.2 (51) and one pixel near the bottom left in orange.
  const auto file =
      exporters::EncodeScreenshotBmp(Frame(512, 512, {51, 51, 51}, 3, 1, {255, 128, 7}), 512, 512);
  ASSERT_EQ(file.size(), 524342u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  const std::vector<std::pair<std::size_t, std::uint32_t>> fields = {
      {2, 524342}, {6, 0},       {10, 54}, {14, 40}, {18, 512}, {22, 512},
      {30, 0},     {34, 524288}, {38, 0},  {42, 0},  {46, 0},   {50, 0}};
  for (auto [at, value] : fields) EXPECT_EQ(Word(file, at, 4), value) << "field at " << at;
  EXPECT_EQ(Word(file, 26, 2), 1u);   // planes
  EXPECT_EQ(Word(file, 28, 2), 16u);  // bits per pixel

  // Grey 51 has 6 in five bits: 0x18C6 in every channel; the marked pixel sits in the second row
  // of the file (rows run bottom-up) at 5-5-5 (31, 16, 0).
  EXPECT_EQ(Word(file, 54, 2), 6u << 10 | 6u << 5 | 6u);
  EXPECT_EQ(Word(file, 54 + 1 * 1024 + 3 * 2, 2), 31u << 10 | 16u << 5 | 0u);
  EXPECT_EQ(Word(file, 524340, 2), 0x18C6u);  // the top right pixel is last

  // A smaller frame still gives 512 x 512; what it does not cover is black.
  const auto small =
      exporters::EncodeScreenshotBmp(Frame(4, 2, {255, 255, 255}, 0, 0, {0, 0, 0}), 4, 2);
  ASSERT_EQ(small.size(), 524342u);
  EXPECT_EQ(Word(small, 54, 2), 0u);
  EXPECT_EQ(Word(small, 54 + 2, 2), 0x7FFFu);
  EXPECT_EQ(Word(small, 54 + 4 * 2, 2), 0u);         // beyond the frame's width
  EXPECT_EQ(Word(small, 54 + 2 * 1024 + 2, 2), 0u);  // beyond its height
  // Fewer bytes than the size claims are not read past.
  EXPECT_EQ(exporters::EncodeScreenshotBmp({}, 512, 512).size(), 524342u);
}

TEST_F(ModelTest, ScreenshotFileIsWrittenWholeOrReported) {
  TempFolder folder;
  const auto frame = Frame(512, 512, {0, 0, 0}, 0, 0, {0, 0, 0});
  EXPECT_TRUE(exporters::WriteScreenshotBmp(model, folder.File("shot.bmp"), frame, 512, 512));
  EXPECT_EQ(ReadFile(folder.File("shot.bmp")).size(), 524342u);
  EXPECT_TRUE(host.events().empty());

  const std::string missing = folder.File("no/such/folder/shot.bmp");
  EXPECT_FALSE(exporters::WriteScreenshotBmp(model, missing, frame, 512, 512));
  EXPECT_EQ(host.BoxTexts(),
            std::vector<std::string>{
                MakeErrorBox("Could not write to file:", missing, Severity::Error).text});
  EXPECT_FALSE(FileExists(missing));
}

}  // namespace
}  // namespace zmf::testing

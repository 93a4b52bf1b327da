// The BMP decoder: every layout to exact pixels, refusals, and damaged or cut-off files.
#include "material/bmp_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "image_fixtures.h"

namespace zmf::testing {
namespace {

constexpr Bgr kK = {9, 9, 9}, kA = {10, 20, 30}, kB = {200, 100, 50}, kC = {1, 2, 3};

// Expected pixels of a palette picture, top row first: k, a, b, c name colours, '_' is black;
// spaces part rows.
Bytes Colours(std::string_view letters) {
  Bytes out;
  for (char ch : letters) {
    if (ch == ' ') continue;
    const Bgr c = ch == 'k' ? kK : ch == 'a' ? kA : ch == 'b' ? kB : ch == 'c' ? kC : Bgr{};
    out.insert(out.end(), {c[0], c[1], c[2], 0});
  }
  return out;
}

material::DecodeStatus Status(const Bytes& file, int maxSide = material::kMaxImageSide) {
  material::SourceImage image;
  return material::DecodeBmp(file, image, maxSide);
}

// A 40-byte header; the colour count is written only for a palette shorter than the depth allows.
BmpLayout Layout(int width, int height, int bitCount, Bytes pixels, std::vector<Bgr> palette = {},
                 std::uint32_t compression = 0) {
  BmpLayout l;
  l.width = width, l.height = height, l.bitCount = std::uint16_t(bitCount);
  l.pixels = std::move(pixels), l.palette = std::move(palette), l.compression = compression;
  if (l.palette.size() < (std::size_t(1) << bitCount))
    l.colorsUsed = std::uint32_t(l.palette.size());
  return l;
}

BmpLayout With(BmpLayout l, auto change) {
  change(l);
  return l;
}

// 3 x 2, rows of 9 bytes padded to 12.
BmpLayout TwentyFourBit() {
  return Layout(3, 2, 24,
                PaddedRows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {11, 12, 13, 14, 15, 16, 17, 18, 19}}));
}
const Bytes kTwentyFourBitPixels = {11, 12, 13, 0, 14, 15, 16, 0, 17, 18, 19, 0,
                                    1,  2,  3,  0, 4,  5,  6,  0, 7,  8,  9,  0};

BmpLayout Rle8(Bytes codes = {
                   1, 1,              // bottom row: one of index 1
                   0, 2, 1, 1,        // skip one right and one up
                   2, 3, 0, 0,        // two of index 3, end of line
                   0, 3, 2, 0, 2, 0,  // top row: literal 2 0 2 and its pad byte
                   9, 1,              // nine of index 1: only one fits
                   0, 1,              // end of picture
                   7, 1,              // after the end: ignored
               }) {
  return Layout(4, 3, 8, std::move(codes), {kK, kA, kB, kC}, 1);
}

BmpLayout FourBit() {  // three palette entries only: index 5 reads as black
  return Layout(4, 1, 4, PaddedRows({{0x20, 0x15}}), {kA, kB, kC});
}

struct Case {
  const char* what;
  BmpLayout layout;
  Bytes pixels;  // blue, green, red, X each, top row first
};

std::vector<Case> Cases() {
  const BmpLayout rgb555 =  // 7FFF, FC00, 8201
      Layout(3, 1, 16, PaddedRows({{0xFF, 0x7F, 0x00, 0xFC, 0x01, 0x82}}));
  const BmpLayout plain32 = Layout(2, 1, 32, {1, 2, 3, 4, 5, 6, 7, 8});
  const BmpLayout fields32 = With(plain32, [](BmpLayout& l) {
    l.compression = 3;
    l.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
  });
  const BmpLayout v4 = With(fields32, [](BmpLayout& l) {
    l.headerSize = 108;
    l.masks.push_back(0xFF000000);
  });
  std::vector<Bgr> ramp;  // entry i: i, 255 - i, 7
  for (int i = 0; i < 256; ++i) ramp.push_back({std::uint8_t(i), std::uint8_t(255 - i), 7});
  std::vector<Bgr> os2Palette(256);
  os2Palette[1] = kA;
  os2Palette[2] = kB;
  return {
      // 9 x 2: the rows cross a byte boundary and carry two bytes of padding each.
      {"1-bit", Layout(9, 2, 1, PaddedRows({{0x4F, 0x00}, {0xB0, 0x80}}), {kA, kB}),
       Colours("babbaaaab abaabbbba")},
      {"4-bit short palette", FourBit(), Colours("cab_")},
      {"8-bit top-down",
       Layout(2, -2, 8, PaddedRows({{0, 255}, {3, 128}}), ramp),
       {0, 255, 7, 0, 255, 0, 7, 0, 3, 252, 7, 0, 128, 127, 7, 0}},
      {"OS/2 8-bit, 3-byte palette",
       With(Layout(2, 2, 8, PaddedRows({{1, 2}, {2, 1}}), os2Palette),
            [](BmpLayout& l) { l.headerSize = 12; }),
       Colours("baab")},
      {"24-bit", TwentyFourBit(), kTwentyFourBitPixels},
      {"24-bit top-down",
       With(TwentyFourBit(), [](BmpLayout& l) { l.height = -2; }),
       {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 11, 12, 13, 0, 14, 15, 16, 0, 17, 18, 19, 0}},
      {"OS/2 24-bit", With(TwentyFourBit(), [](BmpLayout& l) { l.headerSize = 12; }),
       kTwentyFourBitPixels},
      {"24-bit, last row unpadded",
       With(TwentyFourBit(), [](BmpLayout& l) { l.pixels.resize(l.pixels.size() - 3); }),
       kTwentyFourBitPixels},
      {"pixel offset 0", With(FourBit(), [](BmpLayout& l) { l.zeroPixelOffset = true; }),
       Colours("cab_")},
      // x-5-5-5: the top bit is not alpha; 1 of 31 widens to 8, 16 to 132.
      {"16-bit", rgb555, {255, 255, 255, 0, 0, 0, 255, 0, 8, 132, 0, 0}},
      {"16-bit 5-6-5 fields",
       With(rgb555,
            [](BmpLayout& l) {  // FFFF, 0400, F81F; 32/63 -> 130
              l.compression = 3;
              l.masks = {0xF800, 0x07E0, 0x001F};
              l.pixels = PaddedRows({{0xFF, 0xFF, 0x00, 0x04, 0x1F, 0xF8}});
            }),
       {255, 255, 255, 0, 0, 130, 0, 0, 255, 0, 255, 0}},
      {"32-bit", plain32, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"32-bit three masks: no alpha", fields32, {1, 2, 3, 0, 5, 6, 7, 0}},
      {"32-bit three masks in a 52-byte header",
       With(fields32, [](BmpLayout& l) { l.headerSize = 52; }),
       {1, 2, 3, 0, 5, 6, 7, 0}},
      {"V4 with alpha", v4, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"V5, red and blue swapped",
       With(v4,
            [](BmpLayout& l) {
              l.headerSize = 124;
              l.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
            }),
       {3, 2, 1, 4, 7, 6, 5, 8}},
      {"RLE8", Rle8(), Colours("bkba __cc a___")},
      {"RLE4",
       Layout(5, 2, 4,
              {5, 0x12, 0, 0,              // bottom row: 1 2 1 2 1, end of line
               0, 5, 0x31, 0x20, 0x30, 0,  // literal 3 1 2 0 3 and a pad byte
               0, 1},                      // end of picture
              {kK, kA, kB, kC}, 2),
       Colours("cabkc ababa")},
      // No end code: the rows decoded so far are kept.
      {"RLE8 cut short", Rle8({1, 1, 0, 2}), Colours("____ ____ a___")},
      // Skips past the last row end the picture; runs far past the right edge are cut.
      {"RLE8 far runs and skips", Rle8({255, 1, 255, 1, 0, 2, 255, 0, 0, 2, 0, 255, 1, 2}),
       Colours("____ ____ aaaa")},
  };
}

TEST(BmpDecoder, EveryLayoutDecodesToExactPixels) {
  for (const Case& c : Cases()) {
    material::SourceImage image;
    ASSERT_EQ(material::DecodeBmp(WriteBmp(c.layout), image), material::DecodeStatus::Ok) << c.what;
    EXPECT_EQ(image.width, c.layout.width) << c.what;
    EXPECT_EQ(image.pixels, c.pixels) << c.what;
  }
}

TEST(BmpDecoder, EveryPrefixOfEveryLayoutIsRefusedOrDecodedSafely) {
  for (const Case& c : Cases()) {
    const Bytes file = WriteBmp(c.layout);
    const bool runLength = c.layout.compression == 1 || c.layout.compression == 2;
    const std::size_t pixelsStart = file.size() - c.layout.pixels.size();
    for (std::size_t n = 0; n < file.size(); ++n) {
      material::SourceImage image;
      const material::DecodeStatus status =
          material::DecodeBmp(Bytes(file.begin(), file.begin() + long(n)), image);
      if (runLength) {
        // Run-length data may stop anywhere after the palette; the picture keeps its size.
        ASSERT_EQ(status,
                  n < pixelsStart ? material::DecodeStatus::Unreadable : material::DecodeStatus::Ok)
            << c.what << ", prefix " << n;
        if (status == material::DecodeStatus::Ok) {
          EXPECT_EQ(image.pixels.size(), c.pixels.size());
        }
      } else if (status == material::DecodeStatus::Ok) {
        // Every byte but the last row's padding (at most 3) is needed.
        EXPECT_GE(n + 3, file.size()) << c.what << ", prefix " << n;
        EXPECT_EQ(image.pixels, c.pixels) << c.what;
      } else {
        EXPECT_EQ(status, material::DecodeStatus::Unreadable) << c.what << ", prefix " << n;
      }
    }
  }
}

TEST(BmpDecoder, RefusesLayoutsAndSizesItCannotRead) {
  const BmpLayout base = TwentyFourBit();
  using L = BmpLayout&;
  const std::vector<BmpLayout> refused = {
      With(base, [](L l) { l.headerSize = 64; }),
      With(base, [](L l) { l.width = 0; }),
      With(base, [](L l) { l.width = -3; }),
      With(base, [](L l) { l.height = 0; }),
      With(base, [](L l) { l.height = std::numeric_limits<std::int32_t>::min(); }),
      With(base, [](L l) { l.bitCount = 2; }),
      With(base, [](L l) { l.compression = 4; }),
      With(base, [](L l) { l.compression = 3; }),  // bit fields at 24 bits
      With(base, [](L l) { l.headerSize = 12, l.bitCount = 16; }),
      With(Rle8(), [](L l) { l.bitCount = 4; }),
      With(Rle8(), [](L l) { l.height = -3; }),
      // Pixels or palette beyond the end of the file.
      With(base, [](L l) { l.pixels.resize(l.pixels.size() - 4); }),
      With(base, [](L l) { l.height = 3; }),
      With(FourBit(), [](L l) { l.colorsUsed = 16, l.pixels.clear(); }),
      // A run-length header may claim any size in a few bytes: the limit guards it too.
      With(Rle8(), [](L l) { l.height = material::kMaxImageSide + 1; }),
  };
  for (std::size_t i = 0; i < refused.size(); ++i) {
    EXPECT_EQ(Status(WriteBmp(refused[i])), material::DecodeStatus::Unreadable) << "case " << i;
  }
  Bytes notBmp = WriteBmp(base);
  notBmp[1] = 'A';
  EXPECT_EQ(Status(notBmp), material::DecodeStatus::Unreadable);
  Bytes farOffset = WriteBmp(Rle8());
  farOffset[10] = farOffset[11] = 0xFF;
  EXPECT_EQ(Status(farOffset), material::DecodeStatus::Unreadable);

  // Sides up to the limit are read, one more is refused without reserving anything.
  BmpLayout wide =
      Layout(material::kMaxImageSide, 1, 1, Bytes(material::kMaxImageSide / 8, 0xFF), {kK, kA});
  EXPECT_EQ(Status(WriteBmp(wide)), material::DecodeStatus::Ok);
  wide.width += 1;
  wide.pixels.resize(wide.pixels.size() + 4);
  EXPECT_EQ(Status(WriteBmp(wide)), material::DecodeStatus::Unreadable);
  EXPECT_EQ(Status(WriteBmp(Rle8()), 4), material::DecodeStatus::Ok);
  EXPECT_EQ(Status(WriteBmp(Rle8()), 3), material::DecodeStatus::Unreadable);
}

}  // namespace
}  // namespace zmf::testing

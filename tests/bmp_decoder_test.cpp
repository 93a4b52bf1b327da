// The BMP decoder: every layout to exact pixels, refusals, and damaged or cut-off files.
#include "material/bmp_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "image_fixtures.h"

namespace zmf::testing {
namespace {

// Expected pixels, blue, green, red, X each, top row first.
Bytes Px(std::initializer_list<std::uint8_t> bytes) { return Bytes(bytes); }

SourceImage Decode(const Bytes& file, int maxSide = kMaxImageSide) {
  SourceImage image;
  EXPECT_EQ(DecodeBmp(file, image, maxSide), DecodeStatus::Ok);
  return image;
}

DecodeStatus Status(const Bytes& file, int maxSide = kMaxImageSide) {
  SourceImage image;
  return DecodeBmp(file, image, maxSide);
}

const std::vector<Bgr> kFourColours = {{9, 9, 9}, {10, 20, 30}, {200, 100, 50}, {1, 2, 3}};

BmpLayout OneBit() {
  // 9 x 2: the rows cross a byte boundary and carry two bytes of padding each.
  BmpLayout l;
  l.width = 9;
  l.height = 2;
  l.bitCount = 1;
  l.palette = {{10, 20, 30}, {200, 100, 50}};
  // Bottom row 0 1 0 0 1 1 1 1 0, top row 1 0 1 1 0 0 0 0 1.
  l.pixels = PaddedRows({{0x4F, 0x00}, {0xB0, 0x80}});
  return l;
}

BmpLayout FourBit() {
  // Three palette entries only: index 5 has no colour and reads as black.
  BmpLayout l;
  l.width = 4;
  l.height = 1;
  l.bitCount = 4;
  l.colorsUsed = 3;
  l.palette = {{10, 20, 30}, {200, 100, 50}, {1, 2, 3}};
  l.pixels = PaddedRows({{0x20, 0x15}});
  return l;
}

BmpLayout EightBitTopDown() {
  BmpLayout l;
  l.width = 2;
  l.height = -2;
  l.bitCount = 8;
  for (int i = 0; i < 256; ++i) l.palette.push_back({std::uint8_t(i), std::uint8_t(255 - i), 7});
  l.pixels = PaddedRows({{0, 255}, {3, 128}});
  return l;
}

BmpLayout Os2EightBit() {
  BmpLayout l;
  l.headerSize = 12;
  l.width = 2;
  l.height = 2;
  l.bitCount = 8;
  l.palette.assign(256, {0, 0, 0});
  l.palette[1] = {10, 20, 30};
  l.palette[2] = {200, 100, 50};
  l.pixels = PaddedRows({{1, 2}, {2, 1}});
  return l;
}

BmpLayout TwentyFourBit() {
  // 3 x 2, each row 9 bytes padded to 12.
  BmpLayout l;
  l.width = 3;
  l.height = 2;
  l.pixels = PaddedRows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {11, 12, 13, 14, 15, 16, 17, 18, 19}});
  return l;
}

BmpLayout Rle8() {
  BmpLayout l;
  l.width = 4;
  l.height = 3;
  l.bitCount = 8;
  l.compression = 1;
  l.colorsUsed = 4;
  l.palette = kFourColours;
  l.pixels = {
      1, 1,              // bottom row: one of index 1
      0, 2, 1, 1,        // skip one right and one up
      2, 3, 0, 0,        // two of index 3, end of line
      0, 3, 2, 0, 2, 0,  // top row: literal 2 0 2 and its pad byte
      9, 1,              // nine of index 1: only one fits
      0, 1,              // end of picture
      7, 1,              // after the end: ignored
  };
  return l;
}

BmpLayout Rle4() {
  BmpLayout l;
  l.width = 5;
  l.height = 2;
  l.bitCount = 4;
  l.compression = 2;
  l.colorsUsed = 4;
  l.palette = kFourColours;
  l.pixels = {
      5, 0x12, 0,    0,              // bottom row: 1 2 1 2 1, end of line
      0, 5,    0x31, 0x20, 0x30, 0,  // literal 3 1 2 0 3 in three bytes and a pad byte
      0, 1,                          // end of picture
  };
  return l;
}

TEST(BmpDecoder, PaletteDepthsReadEveryIndexOfEveryRow) {
  const Bytes a = Px({10, 20, 30, 0});
  const Bytes b = Px({200, 100, 50, 0});
  auto concat = [](std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };

  SourceImage one = Decode(WriteBmp(OneBit()));
  EXPECT_EQ(one.width, 9);
  EXPECT_EQ(one.height, 2);
  EXPECT_EQ(one.pixels, concat({b, a, b, b, a, a, a, a, b, a, b, a, a, b, b, b, b, a}));

  EXPECT_EQ(Decode(WriteBmp(FourBit())).pixels, concat({Px({1, 2, 3, 0}), a, b, Px({0, 0, 0, 0})}));

  EXPECT_EQ(Decode(WriteBmp(EightBitTopDown())).pixels,
            Px({0, 255, 7, 0, 255, 0, 7, 0, 3, 252, 7, 0, 128, 127, 7, 0}));

  // OS/2 palettes have three bytes an entry.
  EXPECT_EQ(Decode(WriteBmp(Os2EightBit())).pixels, concat({b, a, a, b}));
}

TEST(BmpDecoder, DirectColourDepthsKeepTheFourthByteOnlyWhereTheFileHasOne) {
  EXPECT_EQ(Decode(WriteBmp(TwentyFourBit())).pixels,
            Px({11, 12, 13, 0, 14, 15, 16, 0, 17, 18, 19, 0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}));

  BmpLayout topDown = TwentyFourBit();
  topDown.height = -2;
  EXPECT_EQ(Decode(WriteBmp(topDown)).pixels,
            Px({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 11, 12, 13, 0, 14, 15, 16, 0, 17, 18, 19, 0}));

  BmpLayout os2 = TwentyFourBit();
  os2.headerSize = 12;
  EXPECT_EQ(Decode(WriteBmp(os2)).pixels, Decode(WriteBmp(TwentyFourBit())).pixels);

  // 16-bit without masks is x-5-5-5: the top bit is not alpha. 1 of 31 widens to 8, 16 to 132.
  BmpLayout rgb555;
  rgb555.width = 3;
  rgb555.height = 1;
  rgb555.bitCount = 16;
  rgb555.pixels = PaddedRows({{0xFF, 0x7F, 0x00, 0xFC, 0x01, 0x82}});  // 7FFF, FC00, 8201
  EXPECT_EQ(Decode(WriteBmp(rgb555)).pixels, Px({255, 255, 255, 0, 0, 0, 255, 0, 8, 132, 0, 0}));

  // 5-6-5 bit fields after a 40-byte header; 32 of 63 widens to 130.
  BmpLayout rgb565 = rgb555;
  rgb565.compression = 3;
  rgb565.masks = {0xF800, 0x07E0, 0x001F};
  rgb565.pixels = PaddedRows({{0xFF, 0xFF, 0x00, 0x04, 0x1F, 0xF8}});  // FFFF, 0400, F81F
  EXPECT_EQ(Decode(WriteBmp(rgb565)).pixels, Px({255, 255, 255, 0, 0, 130, 0, 0, 255, 0, 255, 0}));

  BmpLayout plain32;
  plain32.width = 2;
  plain32.height = 1;
  plain32.bitCount = 32;
  plain32.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Decode(WriteBmp(plain32)).pixels, Px({1, 2, 3, 4, 5, 6, 7, 8}));

  // Bit fields with three masks: the fourth byte is not alpha.
  BmpLayout fields32 = plain32;
  fields32.compression = 3;
  fields32.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
  EXPECT_EQ(Decode(WriteBmp(fields32)).pixels, Px({1, 2, 3, 0, 5, 6, 7, 0}));
  fields32.headerSize = 52;
  EXPECT_EQ(Decode(WriteBmp(fields32)).pixels, Px({1, 2, 3, 0, 5, 6, 7, 0}));

  // V4 and V5 headers carry an alpha mask; here red and blue also sit the other way round.
  BmpLayout v4 = fields32;
  v4.headerSize = 108;
  v4.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  EXPECT_EQ(Decode(WriteBmp(v4)).pixels, Px({1, 2, 3, 4, 5, 6, 7, 8}));
  BmpLayout v5 = v4;
  v5.headerSize = 124;
  v5.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
  EXPECT_EQ(Decode(WriteBmp(v5)).pixels, Px({3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(BmpDecoder, RunLengthCodesRunsLiteralsSkipsAndEnds) {
  const Bytes none = Px({0, 0, 0, 0});  // never reached by a run
  const Bytes c0 = Px({9, 9, 9, 0});
  const Bytes c1 = Px({10, 20, 30, 0});
  const Bytes c2 = Px({200, 100, 50, 0});
  const Bytes c3 = Px({1, 2, 3, 0});
  auto concat = [](std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };

  EXPECT_EQ(Decode(WriteBmp(Rle8())).pixels,
            concat({c2, c0, c2, c1, none, none, c3, c3, c1, none, none, none}));
  EXPECT_EQ(Decode(WriteBmp(Rle4())).pixels, concat({c3, c1, c2, c0, c3, c1, c2, c1, c2, c1}));

  // Data that stops without the end code keeps the rows decoded so far.
  BmpLayout cut = Rle8();
  cut.pixels.resize(4);
  EXPECT_EQ(Decode(WriteBmp(cut)).pixels,
            concat({none, none, none, none, none, none, none, none, c1, none, none, none}));

  // Skips past the last row end the picture; runs far past the right edge are cut.
  BmpLayout far = Rle8();
  far.pixels = {255, 1, 255, 1, 0, 2, 255, 0, 0, 2, 0, 255, 1, 2};
  EXPECT_EQ(Decode(WriteBmp(far)).pixels,
            concat({none, none, none, none, none, none, none, none, c1, c1, c1, c1}));
}

TEST(BmpDecoder, LenientAboutPaddingAndAMissingPixelOffset) {
  // The last row without its padding.
  BmpLayout l = TwentyFourBit();
  l.pixels.resize(l.pixels.size() - 3);
  EXPECT_EQ(Decode(WriteBmp(l)).pixels, Decode(WriteBmp(TwentyFourBit())).pixels);

  // An offset of 0 means the pixels follow the palette.
  BmpLayout zero = FourBit();
  zero.zeroPixelOffset = true;
  EXPECT_EQ(Decode(WriteBmp(zero)).pixels, Decode(WriteBmp(FourBit())).pixels);
}

TEST(BmpDecoder, RefusesLayoutsAndSizesItCannotRead) {
  auto with = [](BmpLayout l, auto change) {
    change(l);
    return WriteBmp(l);
  };
  const BmpLayout base = TwentyFourBit();

  Bytes notBmp = WriteBmp(base);
  notBmp[1] = 'A';
  EXPECT_EQ(Status(notBmp), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.headerSize = 64; })), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.width = 0; })), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.width = -3; })), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.height = 0; })), DecodeStatus::Unreadable);
  EXPECT_EQ(
      Status(with(base, [](BmpLayout& l) { l.height = std::numeric_limits<std::int32_t>::min(); })),
      DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.bitCount = 2; })), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.compression = 4; })), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.compression = 3; })), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base,
                        [](BmpLayout& l) {
                          l.headerSize = 12;
                          l.bitCount = 16;
                        })),
            DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(Rle8(), [](BmpLayout& l) { l.bitCount = 4; })), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(Rle8(), [](BmpLayout& l) { l.height = -3; })), DecodeStatus::Unreadable);

  // Pixels, palette or offset beyond the end of the file.
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.pixels.resize(l.pixels.size() - 4); })),
            DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(base, [](BmpLayout& l) { l.height = 3; })), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(with(FourBit(),
                        [](BmpLayout& l) {
                          l.colorsUsed = 16;
                          l.pixels.clear();
                        })),
            DecodeStatus::Unreadable);
  Bytes farOffset = WriteBmp(Rle8());
  farOffset[10] = 0xFF;
  farOffset[11] = 0xFF;
  EXPECT_EQ(Status(farOffset), DecodeStatus::Unreadable);

  // Sides up to the limit are read, one more is refused without reserving anything.
  BmpLayout wide;
  wide.width = kMaxImageSide;
  wide.height = 1;
  wide.bitCount = 1;
  wide.palette = {{0, 0, 0}, {255, 255, 255}};
  wide.pixels.assign(kMaxImageSide / 8, 0xFF);
  EXPECT_EQ(Decode(WriteBmp(wide)).width, kMaxImageSide);
  wide.width = kMaxImageSide + 1;
  wide.pixels.resize(wide.pixels.size() + 4);
  EXPECT_EQ(Status(WriteBmp(wide)), DecodeStatus::Unreadable);
  // A run-length header may claim any size in a few bytes: the limit guards it too.
  EXPECT_EQ(Status(with(Rle8(), [](BmpLayout& l) { l.height = kMaxImageSide + 1; })),
            DecodeStatus::Unreadable);
  EXPECT_EQ(Status(WriteBmp(Rle8()), 4), DecodeStatus::Ok);
  EXPECT_EQ(Status(WriteBmp(Rle8()), 3), DecodeStatus::Unreadable);
}

TEST(BmpDecoder, RejectMalformedPrefixesOfEveryLayout) {
  BmpLayout rgb565;
  rgb565.width = 3;
  rgb565.height = 2;
  rgb565.bitCount = 16;
  rgb565.compression = 3;
  rgb565.masks = {0xF800, 0x07E0, 0x001F};
  rgb565.pixels = PaddedRows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
  BmpLayout v5;
  v5.headerSize = 124;
  v5.width = 2;
  v5.height = -2;
  v5.bitCount = 32;
  v5.compression = 3;
  v5.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  v5.pixels.assign(16, 0x5A);
  BmpLayout os2 = TwentyFourBit();
  os2.headerSize = 12;

  const std::vector<BmpLayout> plain = {
      OneBit(), FourBit(), EightBitTopDown(), Os2EightBit(), TwentyFourBit(), rgb565, v5, os2};
  for (const BmpLayout& layout : plain) {
    const Bytes file = WriteBmp(layout);
    const SourceImage whole = Decode(file);
    // Every byte but the last row's padding (at most 3) is needed.
    for (std::size_t n = 0; n < file.size(); ++n) {
      SourceImage image;
      const Bytes prefix(file.begin(), file.begin() + std::ptrdiff_t(n));
      const DecodeStatus status = DecodeBmp(prefix, image);
      if (status == DecodeStatus::Ok) {
        EXPECT_GE(n + 3, file.size()) << "prefix " << n << " of " << file.size();
        EXPECT_EQ(image.pixels, whole.pixels);
      } else {
        EXPECT_EQ(status, DecodeStatus::Unreadable);
      }
    }
  }

  // Run-length data may stop anywhere after the palette; the picture keeps its size.
  for (const BmpLayout& layout : {Rle8(), Rle4()}) {
    const Bytes file = WriteBmp(layout);
    const std::size_t pixelsStart = file.size() - layout.pixels.size();
    for (std::size_t n = 0; n < file.size(); ++n) {
      SourceImage image;
      const Bytes prefix(file.begin(), file.begin() + std::ptrdiff_t(n));
      const DecodeStatus status = DecodeBmp(prefix, image);
      if (n < pixelsStart) {
        EXPECT_EQ(status, DecodeStatus::Unreadable) << "prefix " << n;
      } else {
        ASSERT_EQ(status, DecodeStatus::Ok) << "prefix " << n;
        EXPECT_EQ(image.pixels.size(), std::size_t(layout.width) * 4 * std::size_t(layout.height));
      }
    }
  }
}

}  // namespace
}  // namespace zmf::testing

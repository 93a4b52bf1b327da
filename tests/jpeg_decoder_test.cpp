// The JPEG decoder: colour and grayscale pixels, damaged and hostile files.
#include "material/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image_fixtures.h"

namespace zmf::testing {
namespace {

// 16 x 16 in four solid 8 x 8 blocks, so each block decodes to its colour almost exactly.
// Red, green, blue per block: top left, top right, bottom left, bottom right.
const std::array<Bgr, 4> kQuadrantRgb = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {200, 150, 50}}};

const Bgr& QuadrantRgb(int x, int y) { return kQuadrantRgb[(y >= 8 ? 2 : 0) + (x >= 8 ? 1 : 0)]; }

Bytes QuadrantsJpeg(bool progressive = false) {
  Bytes rgb;
  for (int k = 0; k < 16 * 16; ++k) {
    const Bgr& c = QuadrantRgb(k % 16, k / 16);
    rgb.insert(rgb.end(), c.begin(), c.end());
  }
  return EncodeJpeg(16, 16, 3, rgb, 100, progressive);
}

Bytes GrayJpeg() {  // 16 x 8: 40 on the left half, 200 on the right
  Bytes gray;
  for (int k = 0; k < 16 * 8; ++k) gray.push_back(k % 16 < 8 ? 40 : 200);
  return EncodeJpeg(16, 8, 1, gray);
}

material::DecodeStatus Status(const Bytes& file, int maxSide = material::kMaxImageSide) {
  material::SourceImage image;
  return material::DecodeJpeg(file, image, maxSide);
}

// Offsets of the markers 0xFF `code`, in order. Entropy-coded data stuffs a 0 after each 0xFF,
// and these quality-100 headers hold no 0xFF byte, so a plain search finds only markers.
std::vector<std::size_t> MarkersOf(const Bytes& f, std::uint8_t code) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i + 1 < f.size(); ++i) {
    if (f[i] == 0xFF && f[i + 1] == code) found.push_back(i);
  }
  return found;
}

TEST(JpegDecoder, ColourComesOutAsBgrAndGrayAsEqualChannelsWithAnOpaqueFourthByte) {
  for (const Bytes& file : {QuadrantsJpeg(false), QuadrantsJpeg(true), GrayJpeg()}) {
    material::SourceImage image;
    ASSERT_EQ(material::DecodeJpeg(file, image), material::DecodeStatus::Ok);
    const bool gray = image.height == 8;
    ASSERT_EQ(image.width, 16);
    ASSERT_EQ(image.pixels.size(), 16u * std::size_t(image.height) * 4);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < 16; ++x) {
        const std::uint8_t* p = image.pixels.data() + (std::size_t(y) * 16 + x) * 4;
        const std::uint8_t level = x < 8 ? 40 : 200;
        const Bgr rgb = gray ? Bgr{level, level, level} : QuadrantRgb(x, y);
        EXPECT_NEAR(p[0], rgb[2], 3) << x << "," << y;
        EXPECT_NEAR(p[1], rgb[1], 3) << x << "," << y;
        EXPECT_NEAR(p[2], rgb[0], 3) << x << "," << y;
        EXPECT_EQ(p[3], 255);
        EXPECT_TRUE(!gray || (p[0] == p[1] && p[1] == p[2])) << x << "," << y;
      }
    }
  }
}

TEST(JpegDecoder, DamagedFilesFailWithoutEndingTheProgramOrPrinting) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();

  EXPECT_EQ(Status({}), material::DecodeStatus::BadHeader);
  EXPECT_EQ(Status({'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}), material::DecodeStatus::BadHeader);

  // Huffman code counts that add up to more than 256 codes.
  Bytes badTable = QuadrantsJpeg();
  const std::size_t dht = MarkersOf(badTable, 0xC4).at(0);
  for (std::size_t k = 0; k < 16; ++k) badTable[dht + 5 + k] = 0xFF;
  EXPECT_EQ(Status(badTable), material::DecodeStatus::BadHeader);

  // CMYK has no blue, green, red form.
  EXPECT_EQ(Status(EncodeJpeg(8, 8, 4, Bytes(8 * 8 * 4, 100))), material::DecodeStatus::Unreadable);

  // A later progressive scan whose band ends before it starts: an error after the header.
  Bytes badScan = QuadrantsJpeg(true);
  const std::size_t sos = MarkersOf(badScan, 0xDA).at(1);
  badScan[sos + 5 + 2 * std::size_t(badScan[sos + 4]) + 1] = 0;  // Se below Ss
  EXPECT_EQ(Status(badScan), material::DecodeStatus::Unreadable);

  // Entropy data cut short is only a warning: the rest of the picture comes out gray.
  Bytes cut = QuadrantsJpeg();
  cut.resize(cut.size() - 40);
  EXPECT_EQ(Status(cut), material::DecodeStatus::Ok);

  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST(JpegDecoder, RefusesSidesAboveTheLimitAndEndlessScans) {
  // The width in the frame header is patched; the missing data decodes as warnings.
  Bytes wide = GrayJpeg();
  const std::size_t sof = MarkersOf(wide, 0xC0).at(0);
  wide[sof + 7] = std::uint8_t(material::kMaxImageSide >> 8);
  wide[sof + 8] = std::uint8_t(material::kMaxImageSide & 0xFF);
  EXPECT_EQ(Status(wide), material::DecodeStatus::Ok);
  wide[sof + 8] += 1;
  EXPECT_EQ(Status(wide), material::DecodeStatus::Unreadable);
  EXPECT_EQ(Status(GrayJpeg(), 16), material::DecodeStatus::Ok);
  EXPECT_EQ(Status(GrayJpeg(), 15), material::DecodeStatus::Unreadable);

  // The last scan repeated until the file holds `scans` scans: up to 500 decode.
  auto withScans = [](std::size_t scans) {
    Bytes out = QuadrantsJpeg(true);
    const Bytes lastScan(out.begin() + long(MarkersOf(out, 0xDA).back()),
                         out.begin() + long(MarkersOf(out, 0xD9).back()));
    while (MarkersOf(out, 0xDA).size() < scans) {
      out.insert(out.end() - 2, lastScan.begin(), lastScan.end());
    }
    return out;
  };
  EXPECT_EQ(Status(withScans(500)), material::DecodeStatus::Ok);
  EXPECT_EQ(Status(withScans(501)), material::DecodeStatus::Unreadable);
}

TEST(JpegDecoder, EveryPrefixIsRefusedOrDecodedSafely) {
  for (const Bytes& file : {QuadrantsJpeg(), QuadrantsJpeg(true), GrayJpeg()}) {
    // The header ends with the first scan's header.
    const std::size_t sos = MarkersOf(file, 0xDA).at(0);
    const std::size_t headerEnd = sos + 2 + ((std::size_t(file[sos + 2]) << 8) | file[sos + 3]);
    for (std::size_t n = 0; n < file.size(); ++n) {
      material::SourceImage image;
      const material::DecodeStatus status =
          material::DecodeJpeg(Bytes(file.begin(), file.begin() + long(n)), image);
      if (n <= sos) {
        EXPECT_EQ(status, material::DecodeStatus::BadHeader) << "prefix " << n;
      } else if (status == material::DecodeStatus::Ok) {
        EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * std::size_t(image.height) * 4);
      } else if (n >= headerEnd) {
        // A scan header cut short may still read as complete (the library pads the data with
        // an end marker), so only past it must a failure be Unreadable.
        EXPECT_EQ(status, material::DecodeStatus::Unreadable) << "prefix " << n;
      }
    }
  }
}

}  // namespace
}  // namespace zmf::testing

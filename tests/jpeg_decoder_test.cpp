// The JPEG decoder: colour and grayscale pixels, damaged and hostile files.
#include "material/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image_fixtures.h"

namespace zmf::testing {
namespace {

// 16 x 16 in four solid 8 x 8 blocks, so each block decodes to its colour almost exactly.
// Red, green, blue per block: top left, top right, bottom left, bottom right.
const std::array<Bgr, 4> kQuadrantRgb = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {200, 150, 50}}};

int Quadrant(int x, int y) { return (y >= 8 ? 2 : 0) + (x >= 8 ? 1 : 0); }

Bytes QuadrantsJpeg(bool progressive = false) {
  Bytes rgb;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const Bgr& c = kQuadrantRgb[std::size_t(Quadrant(x, y))];
      rgb.insert(rgb.end(), c.begin(), c.end());
    }
  }
  return EncodeJpeg(16, 16, 3, rgb, 100, progressive);
}

Bytes GrayJpeg() {
  Bytes gray;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) gray.push_back(x < 8 ? 40 : 200);
  }
  return EncodeJpeg(16, 8, 1, gray);
}

DecodeStatus Status(const Bytes& file) {
  SourceImage image;
  return DecodeJpeg(file, image);
}

// Offsets of every marker (the 0xFF byte) in order, walking segments and entropy-coded data.
std::vector<std::size_t> Markers(const Bytes& f) {
  std::vector<std::size_t> markers = {0};
  std::size_t pos = 2;
  while (pos + 2 <= f.size() && f[pos] == 0xFF) {
    markers.push_back(pos);
    const std::uint8_t code = f[pos + 1];
    if (code == 0xD9 || pos + 4 > f.size()) break;
    pos += 2 + ((std::size_t(f[pos + 2]) << 8) | f[pos + 3]);
    if (code != 0xDA) continue;
    // Entropy-coded data runs to the next marker other than a stuffed zero or a restart.
    while (pos + 1 < f.size() &&
           !(f[pos] == 0xFF && f[pos + 1] != 0 && (f[pos + 1] < 0xD0 || f[pos + 1] > 0xD7))) {
      ++pos;
    }
  }
  return markers;
}

std::vector<std::size_t> MarkersOf(const Bytes& f, std::uint8_t code) {
  std::vector<std::size_t> found;
  for (std::size_t m : Markers(f)) {
    if (m > 0 && f[m + 1] == code) found.push_back(m);
  }
  return found;
}

TEST(JpegDecoder, ColourComesOutAsBgrWithAnOpaqueFourthByte) {
  for (bool progressive : {false, true}) {
    SourceImage image;
    ASSERT_EQ(DecodeJpeg(QuadrantsJpeg(progressive), image), DecodeStatus::Ok);
    ASSERT_EQ(image.width, 16);
    ASSERT_EQ(image.height, 16);
    ASSERT_EQ(image.pixels.size(), 16u * 16 * 4);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const std::uint8_t* p = image.pixels.data() + (std::size_t(y) * 16 + x) * 4;
        const Bgr& rgb = kQuadrantRgb[std::size_t(Quadrant(x, y))];
        EXPECT_NEAR(p[0], rgb[2], 3) << x << "," << y;
        EXPECT_NEAR(p[1], rgb[1], 3) << x << "," << y;
        EXPECT_NEAR(p[2], rgb[0], 3) << x << "," << y;
        EXPECT_EQ(p[3], 255);
      }
    }
  }
}

TEST(JpegDecoder, GrayscaleIsExpandedToEqualBlueGreenAndRed) {
  SourceImage image;
  ASSERT_EQ(DecodeJpeg(GrayJpeg(), image), DecodeStatus::Ok);
  ASSERT_EQ(image.width, 16);
  ASSERT_EQ(image.height, 8);
  ASSERT_EQ(image.pixels.size(), 16u * 8 * 4);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::uint8_t* p = image.pixels.data() + (std::size_t(y) * 16 + x) * 4;
      EXPECT_EQ(p[0], p[1]);
      EXPECT_EQ(p[1], p[2]);
      EXPECT_NEAR(p[0], x < 8 ? 40 : 200, 2);
      EXPECT_EQ(p[3], 255);
    }
  }
}

TEST(JpegDecoder, DamagedFilesFailWithoutEndingTheProgramOrPrinting) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();

  EXPECT_EQ(Status({}), DecodeStatus::BadHeader);
  EXPECT_EQ(Status({'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}), DecodeStatus::BadHeader);

  // Huffman code counts that add up to more than 256 codes.
  Bytes badTable = QuadrantsJpeg();
  const std::size_t dht = MarkersOf(badTable, 0xC4).at(0);
  for (std::size_t k = 0; k < 16; ++k) badTable[dht + 5 + k] = 0xFF;
  EXPECT_EQ(Status(badTable), DecodeStatus::BadHeader);

  // CMYK has no blue, green, red form.
  EXPECT_EQ(Status(EncodeJpeg(8, 8, 4, Bytes(8 * 8 * 4, 100))), DecodeStatus::Unreadable);

  // A later progressive scan whose band ends before it starts: an error after the header.
  Bytes badScan = QuadrantsJpeg(true);
  const std::size_t sos = MarkersOf(badScan, 0xDA).at(1);
  const std::size_t components = badScan[sos + 4];
  badScan[sos + 5 + 2 * components + 1] = 0;  // Se below Ss
  EXPECT_EQ(Status(badScan), DecodeStatus::Unreadable);

  // Entropy data cut short is only a warning: the rest of the picture comes out gray.
  Bytes cut = QuadrantsJpeg();
  cut.resize(cut.size() - 40);
  EXPECT_EQ(Status(cut), DecodeStatus::Ok);

  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST(JpegDecoder, RefusesSidesAboveTheLimitAndEndlessScans) {
  // The width in the frame header is patched; the missing data decodes as warnings.
  Bytes wide = GrayJpeg();
  const std::size_t sof = MarkersOf(wide, 0xC0).at(0);
  wide[sof + 7] = std::uint8_t(kMaxImageSide >> 8);
  wide[sof + 8] = std::uint8_t(kMaxImageSide & 0xFF);
  SourceImage image;
  ASSERT_EQ(DecodeJpeg(wide, image), DecodeStatus::Ok);
  EXPECT_EQ(image.width, kMaxImageSide);
  wide[sof + 8] += 1;
  EXPECT_EQ(Status(wide), DecodeStatus::Unreadable);
  EXPECT_EQ(Status(GrayJpeg()), DecodeStatus::Ok);
  SourceImage small;
  EXPECT_EQ(DecodeJpeg(GrayJpeg(), small, 15), DecodeStatus::Unreadable);

  // The last scan repeated until the file holds `scans` scans: up to 500 decode.
  auto withScans = [](std::size_t scans) {
    const Bytes p = QuadrantsJpeg(true);
    const std::vector<std::size_t> starts = MarkersOf(p, 0xDA);
    const std::size_t end = MarkersOf(p, 0xD9).at(0);
    Bytes out(p.begin(), p.begin() + std::ptrdiff_t(end));
    for (std::size_t i = starts.size(); i < scans; ++i) {
      out.insert(out.end(), p.begin() + std::ptrdiff_t(starts.back()),
                 p.begin() + std::ptrdiff_t(end));
    }
    out.insert(out.end(), p.begin() + std::ptrdiff_t(end), p.end());
    EXPECT_EQ(MarkersOf(out, 0xDA).size(), scans);
    return out;
  };
  EXPECT_EQ(Status(withScans(500)), DecodeStatus::Ok);
  EXPECT_EQ(Status(withScans(501)), DecodeStatus::Unreadable);
}

TEST(JpegDecoder, RejectMalformedPrefixes) {
  for (const Bytes& file : {QuadrantsJpeg(), QuadrantsJpeg(true), GrayJpeg()}) {
    // The header ends with the first scan's header.
    const std::size_t sos = MarkersOf(file, 0xDA).at(0);
    const std::size_t headerEnd = sos + 2 + ((std::size_t(file[sos + 2]) << 8) | file[sos + 3]);
    for (std::size_t n = 0; n < file.size(); ++n) {
      const Bytes prefix(file.begin(), file.begin() + std::ptrdiff_t(n));
      SourceImage image;
      const DecodeStatus status = DecodeJpeg(prefix, image);
      if (n <= sos) {
        EXPECT_EQ(status, DecodeStatus::BadHeader) << "prefix " << n;
      } else if (n < headerEnd) {
        // A scan header cut short may still read as complete (the library pads the data with
        // an end marker), so only safety is checked here.
        if (status == DecodeStatus::Ok) {
          EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * std::size_t(image.height) * 4);
        }
      } else if (status == DecodeStatus::Ok) {
        EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * std::size_t(image.height) * 4);
      } else {
        EXPECT_EQ(status, DecodeStatus::Unreadable) << "prefix " << n;
      }
    }
  }
}

}  // namespace
}  // namespace zmf::testing

// The PNG decoder: every colour type to exact BGRA bytes, and damaged or hostile files.
#include "material/png_decoder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <vector>

#include "image_fixtures.h"

namespace zmf::testing {
namespace {

// Encodes through libpng's simplified writer; `format` chooses the stored colour type.
Bytes EncodePngAs(int width, int height, png_uint_32 format, const void* pixels,
                  const void* colormap = nullptr, int colormapEntries = 0) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = format;
  image.colormap_entries = png_uint_32(colormapEntries);
  png_alloc_size_t size = 0;
  EXPECT_NE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, colormap), 0);
  Bytes png(size);
  EXPECT_NE(png_image_write_to_memory(&image, png.data(), &size, 0, pixels, 0, colormap), 0);
  png.resize(size);
  return png;
}

Bytes Decode(const Bytes& file, material::DecodeStatus expected = material::DecodeStatus::Ok,
             int maxSide = material::kMaxImageSide) {
  material::SourceImage image;
  EXPECT_EQ(material::DecodePng(file, image, maxSide), expected);
  return image.pixels;
}

TEST(PngDecoder, EveryColourTypeGivesTopRowFirstBgra) {
  // 2 x 2 RGBA: the alpha is kept and rows stay in file order.
  const std::uint8_t rgba[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 1, 2, 3, 255};
  EXPECT_EQ(Decode(EncodePngAs(2, 2, PNG_FORMAT_RGBA, rgba)),
            (Bytes{30, 20, 10, 40, 70, 60, 50, 80, 110, 100, 90, 120, 3, 2, 1, 255}));
  // RGB without alpha comes out opaque.
  const std::uint8_t rgb[] = {10, 20, 30, 40, 50, 60};
  EXPECT_EQ(Decode(EncodePngAs(2, 1, PNG_FORMAT_RGB, rgb)),
            (Bytes{30, 20, 10, 255, 60, 50, 40, 255}));
  // 8-bit grey, and grey with alpha.
  const std::uint8_t grey[] = {0, 128, 255};
  EXPECT_EQ(Decode(EncodePngAs(1, 3, PNG_FORMAT_GRAY, grey)),
            (Bytes{0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}));
  const std::uint8_t greyAlpha[] = {77, 0, 200, 99};
  EXPECT_EQ(Decode(EncodePngAs(2, 1, PNG_FORMAT_GA, greyAlpha)),
            (Bytes{77, 77, 77, 0, 200, 200, 200, 99}));
  // A palette with a transparent entry (stored as PLTE + tRNS).
  const std::uint8_t palette[] = {255, 0, 0, 255, 0, 0, 255, 0};
  const std::uint8_t indices[] = {0, 1, 1, 0};
  EXPECT_EQ(
      Decode(EncodePngAs(4, 1, PNG_FORMAT_RGBA | PNG_FORMAT_FLAG_COLORMAP, indices, palette, 2)),
      (Bytes{0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255}));
  // 16-bit channels reach 8 bits: full white stays 255, black stays 0.
  const std::uint16_t wide[] = {0, 65535};
  EXPECT_EQ(Decode(EncodePngAs(2, 1, PNG_FORMAT_GRAY | PNG_FORMAT_FLAG_LINEAR, wide)),
            (Bytes{0, 0, 0, 255, 255, 255, 255, 255}));
}

TEST(PngDecoder, DamagedAndHostileFiles) {
  using material::DecodeStatus;
  std::vector<std::uint8_t> pixels(64 * 32 * 4, 7);
  const Bytes good = EncodePngAs(64, 32, PNG_FORMAT_RGBA, pixels.data());
  // A prefix is refused until the compressed pixels are complete; past that point (libpng
  // does not insist on the trailing checksums and end chunk) it gives the whole picture.
  std::size_t firstWhole = good.size();
  for (std::size_t n = 0; n < good.size(); ++n) {
    material::SourceImage image;
    const auto status = material::DecodePng(std::span(good.data(), n), image);
    if (status == DecodeStatus::Ok) {
      firstWhole = std::min(firstWhole, n);
      EXPECT_EQ(image.pixels, pixels) << n;
    } else {
      EXPECT_EQ(status, DecodeStatus::Unreadable) << n;
      EXPECT_LT(n, firstWhole) << n;
    }
  }
  EXPECT_GT(firstWhole, good.size() - 40);
  // A flipped byte inside the pixel data breaks its CRC.
  Bytes flipped = good;
  flipped[good.size() - 20] ^= 0x55;
  Decode(flipped, DecodeStatus::Unreadable);
  // Sides above the limit are refused from the header, before pixel memory is reserved: the
  // claimed 2^30 x 2^30 picture is never allocated.
  Decode(good, DecodeStatus::Unreadable, 63);
  Bytes huge = good;
  huge[16] = huge[20] = 0x40;  // width and height 0x40000020 and 0x40000040; the CRC now fails
  Decode(huge, DecodeStatus::Unreadable);
  Decode(Bytes(200, 0x89), DecodeStatus::Unreadable);
}

}  // namespace
}  // namespace zmf::testing

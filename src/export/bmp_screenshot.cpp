// The viewport's picture as a 16-bit BMP file.
#include "export/bmp_screenshot.h"

#include <string>

#include "format/atomic_file.h"

namespace zmf::exporters {
namespace {

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeScreenshotBmp(std::span<const std::uint8_t> rgba, int width,
                                              int height) {
  constexpr std::uint32_t kSize = kScreenshotSize;
  // Rows of 16-bit pixels are padded to whole 32-bit words.
  constexpr std::uint32_t kRowBytes = (kSize * 16 + 31) / 32 * 4;
  constexpr std::uint32_t kImageSize = kRowBytes * kSize;
  std::vector<std::uint8_t> file(kScreenshotHeaderSize + kImageSize, 0);
  std::uint8_t* h = file.data();

  // File header: "BM", file size, two reserved words, offset to the pixels.
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(file.size()));
  Put32(h + 10, static_cast<std::uint32_t>(kScreenshotHeaderSize));
  // Information header: its size, width, height (positive: bottom-up), one plane, 16 bits,
  // uncompressed, the image size; resolutions and colour counts stay 0.
  Put32(h + 14, 40);
  Put32(h + 18, kSize);
  Put32(h + 22, kSize);
  Put16(h + 26, 1);
  Put16(h + 28, 16);
  Put32(h + 30, 0);
  Put32(h + 34, kImageSize);

  const std::size_t available = rgba.size() / 4;
  for (std::uint32_t y = 0; y < kSize; ++y) {
    std::uint8_t* row = file.data() + kScreenshotHeaderSize + y * kRowBytes;
    if (static_cast<int>(y) >= height) break;
    for (std::uint32_t x = 0; x < kSize && static_cast<int>(x) < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x;
      if (i >= available) break;
      const std::uint8_t* p = rgba.data() + i * 4;
      // Five bits each of red, green and blue, red highest; the top bit stays 0.
      const std::uint32_t pixel = (std::uint32_t{p[0]} >> 3) << 10 |
                                  (std::uint32_t{p[1]} >> 3) << 5 | (std::uint32_t{p[2]} >> 3);
      Put16(row + x * 2, pixel);
    }
  }
  return file;
}

bool WriteScreenshotBmp(Model& model, std::string_view path, std::span<const std::uint8_t> rgba,
                        int width, int height) {
  const std::vector<std::uint8_t> bytes = EncodeScreenshotBmp(rgba, width, height);
  format::AtomicFile file(path);
  const bool written =
      file.Open() &&
      file.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) &&
      file.Commit();
  if (!written) model.host().ErrorBox("Could not write to file:", path, Severity::Error);
  return written;
}

}  // namespace zmf::exporters

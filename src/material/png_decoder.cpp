// PNG decoding through libpng's simplified API, which keeps libpng's errors inside the library:
// every failure comes back as a zero result, never as a jump through our frames.
#include "material/png_decoder.h"

#include <png.h>

#include <cstddef>
#include <new>

namespace zmf::material {

DecodeStatus DecodePng(std::span<const std::uint8_t> file, SourceImage& image, int maxSide) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (file.empty() || png_image_begin_read_from_memory(&png, file.data(), file.size()) == 0) {
    png_image_free(&png);
    return DecodeStatus::Unreadable;
  }
  if (png.width < 1 || png.height < 1 || png.width > png_uint_32(maxSide) ||
      png.height > png_uint_32(maxSide)) {
    png_image_free(&png);
    return DecodeStatus::Unreadable;
  }
  png.format = PNG_FORMAT_BGRA;
  const int width = static_cast<int>(png.width);
  const int height = static_cast<int>(png.height);
  std::vector<std::uint8_t> pixels;
  try {
    pixels.resize(std::size_t(width) * std::size_t(height) * 4);
  } catch (const std::bad_alloc&) {
    png_image_free(&png);
    return DecodeStatus::OutOfMemory;
  }
  // A positive row stride stores the top row first.
  if (png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) == 0) {
    png_image_free(&png);
    return DecodeStatus::Unreadable;
  }
  png_image_free(&png);
  image.width = width;
  image.height = height;
  image.pixels = std::move(pixels);
  return DecodeStatus::Ok;
}

}  // namespace zmf::material

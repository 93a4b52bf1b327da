// PNG encoding through libpng's simplified API, into memory.
#include "export/png_encoder.h"

#include <png.h>

#include <cstddef>

namespace zmf::exporters {

std::string EncodePng(int width, int height, std::span<const std::uint8_t> rgba) {
  if (width < 1 || height < 1 || rgba.size() != std::size_t(width) * std::size_t(height) * 4) {
    return {};
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  // The first call measures, the second writes.
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return {};
  }
  std::string png(size, '\0');
  const bool written =
      png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
  if (!written) return {};
  png.resize(size);
  return png;
}

}  // namespace zmf::exporters

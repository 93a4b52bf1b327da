// A decoded picture before it becomes a texture: 4-byte blue, green, red, X pixels, top row first.
#pragma once

#include <cstdint>
#include <vector>

namespace zmf::material {

// Largest width or height a decoder accepts. A header claiming more is refused before any pixel
// memory is reserved, which also keeps every size product far below 64-bit overflow.
inline constexpr int kMaxImageSide = 16384;

struct SourceImage {
  int width = 0;
  int height = 0;
  // width * height pixels of blue, green, red and X, rows from the top of the picture down with
  // no gap between rows. X is the alpha the file supplies (0 when it supplies none).
  std::vector<std::uint8_t> pixels;
};

// How a decoder ended. The texture loader turns each failure into the program's message.
enum class DecodeStatus {
  Ok,
  Unreadable,   // not a picture this decoder reads, damaged, or larger than kMaxImageSide
  BadHeader,    // JPEG only: the header could not be read completely
  OutOfMemory,  // the pixel memory could not be reserved
};

}  // namespace zmf::material

// Our own reader for Windows BMP files: every layout the Windows image loader accepts.
#pragma once

#include <cstdint>
#include <span>

#include "material/source_image.h"

namespace zmf::material {

// Decodes a whole BMP file held in memory into top-row-first BGRX pixels.
//
// Reads the 12-byte OS/2 header and the 40-byte Windows header with its 52, 56, 108 (V4) and
// 124 (V5) byte extensions; 1, 4 and 8-bit palettes, RLE8 and RLE4, 16-bit 5-5-5 and bit-field
// pixels, 24-bit, and 32-bit plain or bit-field pixels; bottom-up and top-down rows. X is the
// fourth byte of a plain 32-bit pixel, the alpha-mask bits of a bit-field pixel with a V3 or
// later header, and 0 otherwise.
//
// Anything else, damaged data, pixel rows that end past the file, and sides above `maxSide` give
// Unreadable; OutOfMemory when the pixels could not be reserved. `image` is set only on Ok.
DecodeStatus DecodeBmp(std::span<const std::uint8_t> file, SourceImage& image,
                       int maxSide = kMaxImageSide);

}  // namespace zmf::material

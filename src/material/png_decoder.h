// Reading PNG files through libpng, safely for damaged and hostile data.
#pragma once

#include <cstdint>
#include <span>

#include "material/source_image.h"

namespace zmf::material {

// Decodes a whole PNG file held in memory into top-row-first BGRX pixels. Every colour type and
// bit depth is read (palettes, grey, 16-bit channels, tRNS transparency); X is the picture's
// alpha, 255 where it has none, as for a JPEG.
//
// Unreadable for anything libpng refuses (damaged data, a bad CRC, pixel data that ends early)
// and for sides above `maxSide`, checked before any pixel memory is reserved; OutOfMemory when
// the pixels could not be reserved. Nothing is printed. `image` is set only on Ok.
DecodeStatus DecodePng(std::span<const std::uint8_t> file, SourceImage& image,
                       int maxSide = kMaxImageSide);

}  // namespace zmf::material

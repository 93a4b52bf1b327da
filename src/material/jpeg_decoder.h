// Reading JPEG files through libjpeg-turbo, safely for damaged and hostile data.
#pragma once

#include <cstdint>
#include <span>

#include "material/source_image.h"

namespace zmf::material {

// Decodes a whole JPEG file held in memory into top-row-first BGRX pixels with X = 255 (a JPEG
// carries no alpha). Grayscale pictures come out with blue = green = red.
//
// BadHeader when the header cannot be read completely; Unreadable when the library reports an
// error later (damaged data, a colour space it cannot turn into BGR, sides above `maxSide`, too
// many progressive scans); OutOfMemory when the pixels could not be reserved. Library errors
// never end the program and nothing is printed. `image` is set only on Ok.
DecodeStatus DecodeJpeg(std::span<const std::uint8_t> file, SourceImage& image,
                        int maxSide = kMaxImageSide);

}  // namespace zmf::material

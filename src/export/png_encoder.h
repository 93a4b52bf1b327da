// Writing RGBA pictures as PNG files (through libpng), for formats that cannot hold BMP textures.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zmf::exporters {

// The PNG file of a width x height picture of red, green, blue, alpha bytes, top row first
// (8-bit RGBA). Empty for a size below 1, rgba not holding width * height * 4 bytes, or a
// failure of the encoder.
std::string EncodePng(int width, int height, std::span<const std::uint8_t> rgba);

}  // namespace zmf::exporters

// Loading BMP, JPEG and PNG image files into textures with one of the alpha modes.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/host.h"

namespace zmf::material {

// Decodes the image file (".bmp", ".jpg" or ".png" by its last three characters, any case), builds
// the texels for the alpha mode (0 to 7, above 7 as 6) and value, and makes a texture through the
// store. Failures are reported through the host with the program's messages. Returns the
// texture name, or 0 when nothing was made.
std::uint32_t LoadTexture(Host& host, TextureStore& store, std::string_view file,
                          std::uint32_t alphaMode, float alphaValue);

}  // namespace zmf::material

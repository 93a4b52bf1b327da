// Building a texture's RGBA texels from a decoded picture: size, sampling and the alpha modes.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>
#include <vector>

#include "material/source_image.h"

namespace zmf::material {

// The alpha modes, numbered as model files store them. Any other number behaves as InFile.
enum AlphaMode : std::uint32_t {
  kAlphaNone = 0,         // 255
  kAlphaLuminance = 1,    // 255 - (R+G+B)/3: dark is opaque
  kAlphaIlluminance = 2,  // (R+G+B)/3: bright is opaque
  kAlphaBlackMask = 3,    // 0 on pure black, else 255
  kAlphaWhiteMask = 4,    // 0 on pure white, else 255
  kAlphaFirstPixel = 5,   // 0 where the colour equals the picture's top-left pixel, else 255
  kAlphaInFile = 6,       // the picture's own fourth byte
  kAlphaConstant = 7,     // the low eight bits of alphaValue * 255
};

// The words model files give the modes kAlphaNone to kAlphaInFile, by mode (a constant alpha is
// written as its value).
inline constexpr std::string_view kAlphaModeWords[] = {
    "NONE", "LUMINANCE", "ILLUMINANCE", "BLACK_MASK", "WHITE_MASK", "FIRST_PIXEL", "IN_FILE"};
static_assert(std::size(kAlphaModeWords) == kAlphaConstant);

struct TextureImage {
  int width = 0;                   // 64, 128, 256 or 512
  int height = 0;                  // 64, 128, 256 or 512
  std::vector<std::uint8_t> rgba;  // red, green, blue, alpha; top row first
};

// The texture side for a picture side: below 128 gives 64, below 256 gives 128, below 512 gives
// 256, anything larger 512.
int TextureSide(int pictureSide);

// Whether the loader warns about the size: a side that is not a multiple of 64.
bool NeedsSizeWarning(int width, int height);

// Mode 7's alpha before scaling: ⌊alphaValue × 255⌋ (computed in float, truncated toward zero)
// cut to its low eight bits. Values whose product has no integer value (NaN, infinities, beyond
// ±2^62) give 0 instead of undefined arithmetic.
std::uint8_t ConstantAlpha(float alphaValue);

// Samples the picture onto the texture size with the nearest pixel (column ⌊i × W/TW⌋ of row
// ⌊j × H/TH⌋), exchanges red and blue, makes each texel's alpha by the mode and stores
// ⌊alpha × 0.75⌋, so opaque is 191. False, and `texture` untouched, when the picture is empty or
// the texels could not be reserved.
bool BuildTexels(const SourceImage& picture, std::uint32_t alphaMode, float alphaValue,
                 TextureImage& texture);

}  // namespace zmf::material

// Texel building.
#include "material/texels.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>

namespace zmf::material {
namespace {

// Blending in the viewport treats every texture as three-quarters opaque at most.
std::uint8_t Scaled(unsigned alpha) { return static_cast<std::uint8_t>(alpha * 3 / 4); }

// Nearest source index for each texture index: ⌊index × (source / texture)⌋ in float, as the
// texture has always been sampled; kept inside the picture should rounding ever reach its edge.
std::vector<int> SampleIndices(int pictureSide, int textureSide) {
  const float scale = float(pictureSide) / float(textureSide);
  std::vector<int> indices(static_cast<std::size_t>(textureSide));
  for (int i = 0; i < textureSide; ++i) {
    indices[std::size_t(i)] = std::min(static_cast<int>(float(i) * scale), pictureSide - 1);
  }
  return indices;
}

}  // namespace

int TextureSide(int pictureSide) {
  if (pictureSide < 128) return 64;
  if (pictureSide < 256) return 128;
  if (pictureSide < 512) return 256;
  return 512;
}

bool NeedsSizeWarning(int width, int height) { return width % 64 != 0 || height % 64 != 0; }

std::uint8_t ConstantAlpha(float alphaValue) {
  const float product = alphaValue * 255.0f;
  constexpr float kLimit = 4611686018427387904.0f;  // 2^62
  if (!(std::fabs(product) < kLimit)) return 0;
  const auto whole = static_cast<std::int64_t>(product);  // truncates toward zero
  return static_cast<std::uint8_t>(static_cast<std::uint64_t>(whole) & 0xFF);
}

bool BuildTexels(const SourceImage& picture, std::uint32_t alphaMode, float alphaValue,
                 TextureImage& texture) {
  const int w = picture.width;
  const int h = picture.height;
  if (w <= 0 || h <= 0 || picture.pixels.size() != std::size_t(w) * std::size_t(h) * 4) {
    return false;
  }
  const int tw = TextureSide(w);
  const int th = TextureSide(h);
  std::vector<std::uint8_t> rgba;
  std::vector<int> columns;
  std::vector<int> rows;
  try {
    rgba.resize(std::size_t(tw) * std::size_t(th) * 4);
    columns = SampleIndices(w, tw);
    rows = SampleIndices(h, th);
  } catch (const std::bad_alloc&) {
    return false;
  }

  const std::uint8_t* first = picture.pixels.data();  // top-left pixel, for mode 5
  const std::uint8_t constant = ConstantAlpha(alphaValue);
  std::uint8_t* out = rgba.data();
  for (int j = 0; j < th; ++j) {
    const std::uint8_t* row = picture.pixels.data() + std::size_t(rows[std::size_t(j)]) * w * 4;
    for (int i = 0; i < tw; ++i, out += 4) {
      const std::uint8_t* p = row + std::size_t(columns[std::size_t(i)]) * 4;
      const unsigned b = p[0];
      const unsigned g = p[1];
      const unsigned r = p[2];
      unsigned alpha = 0;
      switch (alphaMode) {
        case kAlphaNone:
          alpha = 255;
          break;
        case kAlphaLuminance:
          alpha = 255 - (r + g + b) / 3;
          break;
        case kAlphaIlluminance:
          alpha = (r + g + b) / 3;
          break;
        case kAlphaBlackMask:
          alpha = r + g + b == 0 ? 0 : 255;
          break;
        case kAlphaWhiteMask:
          alpha = r + g + b == 765 ? 0 : 255;
          break;
        case kAlphaFirstPixel:
          alpha = b == first[0] && g == first[1] && r == first[2] ? 0 : 255;
          break;
        case kAlphaConstant:
          alpha = constant;
          break;
        default:  // 6, and every number above 7
          alpha = p[3];
          break;
      }
      out[0] = static_cast<std::uint8_t>(r);
      out[1] = static_cast<std::uint8_t>(g);
      out[2] = static_cast<std::uint8_t>(b);
      out[3] = Scaled(alpha);
    }
  }
  texture.width = tw;
  texture.height = th;
  texture.rgba = std::move(rgba);
  return true;
}

}  // namespace zmf::material

// Fuzzes the BMP decoder with whole files, and the texel builder with every picture it accepts.
#include <cstddef>
#include <cstdint>

#include "material/bmp_decoder.h"
#include "material/texels.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zmf::material::SourceImage picture;
  // Sides are capped lower than in the editor so that run-length headers claiming big pictures
  // cost microseconds, not a gigabyte each; the limit check is the same code either way.
  if (zmf::material::DecodeBmp({data, size}, picture, 1024) != zmf::material::DecodeStatus::Ok)
    return 0;
  zmf::material::TextureImage texture;
  zmf::material::BuildTexels(picture, size % 9, 0.5f, texture);  // modes 0 to 8
  return 0;
}

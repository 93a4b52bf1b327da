// Fuzzes the PNG decoder (libpng's simplified reader) with whole files.
#include <cstddef>
#include <cstdint>

#include "material/png_decoder.h"
#include "material/texels.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zmf::material::SourceImage picture;
  // Sides are capped lower than in the editor so that a patched frame header costs little; the
  // limit check is the same code either way.
  if (zmf::material::DecodePng({data, size}, picture, 1024) != zmf::material::DecodeStatus::Ok)
    return 0;
  zmf::material::TextureImage texture;
  zmf::material::BuildTexels(picture, zmf::material::kAlphaInFile, 0.0f, texture);
  return 0;
}

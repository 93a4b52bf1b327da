// Speed of texture loading: decoding a big BMP or JPEG held in memory and building its texels.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "../tests/image_fixtures.h"
#include "material/bmp_decoder.h"
#include "material/jpeg_decoder.h"
#include "material/texels.h"

namespace zmf {
namespace {

using testing::Bgr;
using testing::Bytes;

// A picture with detail everywhere, so the JPEG encoder cannot shortcut flat blocks.
Bgr Pattern(int x, int y) {
  return {std::uint8_t(x * 3 + y), std::uint8_t(y * 5 - x), std::uint8_t((x ^ y) * 7)};
}

Bytes RgbPixels(int side) {
  Bytes rgb;
  rgb.reserve(std::size_t(side) * std::size_t(side) * 3);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const Bgr c = Pattern(x, y);
      rgb.insert(rgb.end(), {c[2], c[1], c[0]});
    }
  }
  return rgb;
}

// One texture load without the file system: decode, then texels for a mode that reads colour.
template <class Decode>
void DecodeAndBuild(benchmark::State& state, const Bytes& file, Decode decode) {
  for (auto _ : state) {
    material::SourceImage picture;
    if (decode(file, picture) != material::DecodeStatus::Ok) {
      state.SkipWithError("the picture did not decode");
      return;
    }
    material::TextureImage texture;
    material::BuildTexels(picture, material::kAlphaLuminance, 0.0f, texture);
    benchmark::DoNotOptimize(texture.rgba.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

void BM_DecodeBmp24(benchmark::State& state) {
  const int side = int(state.range(0));
  const Bytes file = testing::Bmp24(side, side, Pattern);
  DecodeAndBuild(state, file, [](const Bytes& f, material::SourceImage& p) {
    return material::DecodeBmp(f, p);
  });
}
BENCHMARK(BM_DecodeBmp24)->Arg(2048)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg(benchmark::State& state) {
  const int side = int(state.range(0));
  const Bytes file = testing::EncodeJpeg(side, side, 3, RgbPixels(side), 90);
  DecodeAndBuild(state, file, [](const Bytes& f, material::SourceImage& p) {
    return material::DecodeJpeg(f, p);
  });
}
BENCHMARK(BM_DecodeJpeg)->Arg(2048)->Unit(benchmark::kMillisecond);

// The texel step alone: 2048 x 2048 sampled down to 512 x 512.
void BM_BuildTexels(benchmark::State& state) {
  const int side = int(state.range(0));
  material::SourceImage picture;
  picture.width = side;
  picture.height = side;
  picture.pixels.assign(std::size_t(side) * std::size_t(side) * 4, 0x5A);
  for (auto _ : state) {
    material::TextureImage texture;
    material::BuildTexels(picture, material::kAlphaLuminance, 0.0f, texture);
    benchmark::DoNotOptimize(texture.rgba.data());
  }
}
BENCHMARK(BM_BuildTexels)->Arg(2048)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zmf

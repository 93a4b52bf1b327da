// TGA heightmaps: one vertex per pixel raised by its brightness, two faces per grid square.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace zmf::importers {

// A Targa image as 4-byte pixels in the order blue, green, red, alpha, in picture order: the top
// row first, each row from its left, whatever order the file stores them in.
struct TgaImage {
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
  int width = 0;
  int height = 0;
};

// The largest image read: 4096 x 4096 pixels. Its heightmap already takes some 6 GB of vertices
// and faces; a larger size is taken for damage rather than built until memory runs out.
inline constexpr std::size_t kMaxTgaPixels = std::size_t{1} << 24;

// Reads colour-mapped (types 1 and 9, 8-bit indices into a 24-bit palette), true-colour (types 2
// and 10, 16, 24 or 32 bits) and greyscale (types 3 and 11, 8-bit grey or 16-bit grey and alpha)
// images, raw or run-length encoded. Index i names palette entry i - first, the header's first
// colour map entry; an index outside the palette gives a black pixel. A grey value is stored as
// blue, green and red. The descriptor's bit 5 tells rows stored from the top down from rows
// stored from the bottom up (the default), its bit 4 rows stored right to left. False, and the
// image emptied, for any other type or depth, an image larger than kMaxTgaPixels, or pixel data
// that ends before the image is full; the file is closed in every case.
bool ReadTga(std::string_view path, TgaImage& image);
bool ReadTgaFrom(std::string_view bytes, TgaImage& image);

// Imports the file into the model, which the caller has emptied. False, after an error box, when
// the file cannot be read or holds no image ReadTga takes.
bool ImportHeightmap(Model& model, std::string_view path);

// The same on a file already in memory: W x H pixels give vertices at (c / W, blue / 255, r / H)
// with normal (0, 1, 0) and texture coordinates (c / W, r / H), for the picture's rows from the
// top (r = 0) and each row's pixels from its left (c = 0), so that the picture seen from above,
// or laid on as a texture with those coordinates, matches its heights; and two faces per grid
// square. All through the journaled primitives (selected, one undo step each, no group). False,
// and nothing built, when the image cannot be read; there is no message.
bool ImportHeightmapFrom(Model& model, std::string_view bytes);

}  // namespace zmf::importers

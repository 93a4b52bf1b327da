// The Targa reader and the heightmap built from it.
//
// Nothing is allocated from the header alone: the pixel data is first walked (the run-length
// packets only counted) to see that the file holds the whole image, and only then are the
// pixels made. Run-length packets that reach past the image end are cut at the end.
#include "importers/tga_heightmap.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <utility>

#include "edit/journal.h"
#include "format/file_text.h"
#include "model/byte_reader.h"
#include "model/progress.h"

namespace zmf::importers {
namespace {

constexpr std::size_t kHeaderSize = 18;

enum class PixelKind { Mapped, Colour, Grey };

struct TgaFormat {
  PixelKind kind = PixelKind::Colour;
  bool runLength = false;
  std::size_t bytesPerPixel = 0;          // in the file
  std::size_t firstEntry = 0;             // the colour map index of the palette's first entry
  std::span<const std::uint8_t> palette;  // 24-bit entries blue, green, red (colour-mapped)
};

// Stores one pixel of the file (`bytesPerPixel` bytes) at `out` (4 bytes, zero before).
void StorePixel(const TgaFormat& format, std::span<const std::uint8_t> in, std::uint8_t* out) {
  if (format.kind == PixelKind::Grey) {
    out[0] = out[1] = out[2] = in[0];
    if (format.bytesPerPixel == 2) out[3] = in[1];  // grey and alpha
    return;
  }
  if (format.kind == PixelKind::Mapped) {
    // An index outside the palette leaves the pixel black.
    const std::size_t index = in[0];
    if (index >= format.firstEntry && index - format.firstEntry < format.palette.size() / 3) {
      std::memcpy(out, &format.palette[3 * (index - format.firstEntry)], 3);
    }
    return;
  }
  switch (format.bytesPerPixel) {
    case 4:
      std::memcpy(out, in.data(), 4);
      break;
    case 3:
      std::memcpy(out, in.data(), 3);
      break;
    default: {
      const unsigned v = ByteReader(in).U16();
      out[0] = static_cast<std::uint8_t>(v * 8);
      out[1] = static_cast<std::uint8_t>((v >> 5) * 8);
      out[2] = static_cast<std::uint8_t>((v >> 10) * 8);
      break;
    }
  }
}

// Walks the pixel data of `count` pixels from `in`; with `out`, stores them. False when the
// data ends before the image is full.
bool DecodePixels(const TgaFormat& format, ByteReader in, std::size_t count, std::uint8_t* out) {
  const std::size_t step = format.bytesPerPixel;
  // Stores `n` pixels from `pixels` from pixel `i` on.
  auto store = [&](std::size_t i, std::size_t n, std::span<const std::uint8_t> pixels) {
    for (std::size_t k = 0; out != nullptr && k < n; ++k, ++i) {
      StorePixel(format, pixels.subspan(k * step, step), out + 4 * i);
    }
  };
  if (!format.runLength) {
    const std::span<const std::uint8_t> pixels = in.Bytes(count * step);
    if (in.Failed()) return false;
    store(0, count, pixels);
    return true;
  }
  std::size_t done = 0;
  while (done < count) {
    if (in.Remaining() == 0) return false;
    const unsigned packet = in.U8();
    if (packet >= 128) {
      const std::span<const std::uint8_t> pixel = in.Bytes(step);
      if (in.Failed()) return false;
      const std::size_t repeat = std::min<std::size_t>(packet - 127, count - done);
      for (std::size_t k = 0; out != nullptr && k < repeat; ++k) store(done + k, 1, pixel);
      done += repeat;
    } else {
      // Raw pixels past the image end are neither needed nor read.
      const std::size_t raw = std::min<std::size_t>(packet + 1, count - done);
      const std::span<const std::uint8_t> pixels = in.Bytes(raw * step);
      if (in.Failed()) return false;
      store(done, raw, pixels);
      done += raw;
    }
  }
  return true;
}

// Puts the pixels, read in file order, in picture order: top row first, each row from its left.
void ToPictureOrder(TgaImage& image, bool bottomUp, bool rightToLeft) {
  const std::size_t w = static_cast<std::size_t>(image.width);
  const std::size_t h = static_cast<std::size_t>(image.height);
  std::uint8_t* pixels = image.pixels.data();
  for (std::size_t r = 0; bottomUp && r < h / 2; ++r) {
    std::swap_ranges(pixels + 4 * w * r, pixels + 4 * w * (r + 1), pixels + 4 * w * (h - 1 - r));
  }
  for (std::size_t r = 0; rightToLeft && r < h; ++r) {
    std::uint8_t* row = pixels + 4 * w * r;
    for (std::size_t c = 0; c < w / 2; ++c) {
      std::swap_ranges(row + 4 * c, row + 4 * c + 4, row + 4 * (w - 1 - c));
    }
  }
}

bool Decode(std::string_view bytes, TgaImage& image) {
  ByteReader in(bytes);
  if (in.Remaining() < kHeaderSize) return false;
  const unsigned idLength = in.U8();
  const unsigned mapType = in.U8();
  const unsigned type = in.U8();
  const std::size_t firstEntry = in.U16();
  const std::size_t mapLength = in.U16();
  const unsigned mapEntryBits = in.U8();
  in.Skip(4);  // image origin
  const std::size_t width = in.U16();
  const std::size_t height = in.U16();
  const unsigned depth = in.U8();
  const unsigned descriptor = in.U8();

  TgaFormat format;
  format.runLength = type >= 9 && type <= 11;
  std::size_t mapBytes = 0;
  if (type == 1 || type == 9) {
    if (mapType == 0 || mapLength == 0 || mapEntryBits != 24 || depth != 8) return false;
    format.kind = PixelKind::Mapped;
    format.firstEntry = firstEntry;
    mapBytes = 3 * mapLength;
  } else if (type == 2 || type == 10 || type == 3 || type == 11) {
    format.kind = type == 2 || type == 10 ? PixelKind::Colour : PixelKind::Grey;
    const bool depthRead = format.kind == PixelKind::Colour
                               ? depth == 16 || depth == 24 || depth == 32
                               : depth == 8 || depth == 16;
    if (!depthRead) return false;
    // An image of direct pixels may still carry a colour map, which sits before its pixels.
    if (mapType != 0) mapBytes = mapLength * ((mapEntryBits + 7) / 8);
  } else {
    return false;
  }
  format.bytesPerPixel = depth / 8;
  in.Skip(idLength);
  const std::span<const std::uint8_t> map = in.Bytes(mapBytes);
  if (in.Failed()) return false;
  if (format.kind == PixelKind::Mapped) format.palette = map;

  const std::size_t count = width * height;
  if (count > kMaxTgaPixels) return false;
  if (!DecodePixels(format, in, count, nullptr)) return false;
  image.pixels.assign(4 * count, 0);
  DecodePixels(format, in, count, image.pixels.data());
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  // Descriptor bit 5: rows from the top down (else from the bottom up); bit 4: right to left.
  ToPictureOrder(image, (descriptor & 0x20) == 0, (descriptor & 0x10) != 0);
  return true;
}

// Tells the model's host, as `what`, how many of the vertices and grid squares are made.
void BuildHeightmap(Model& model, const TgaImage& image, std::string what) {
  const std::size_t w = static_cast<std::size_t>(image.width);
  const std::size_t h = static_cast<std::size_t>(image.height);
  const std::size_t squares = w > 1 && h > 1 ? (w - 1) * (h - 1) : 0;
  ProgressMeter progress(model.host(), std::move(what), w * h + squares);
  const float width = static_cast<float>(w);
  const float height = static_cast<float>(h);
  std::vector<Vertex*> grid;
  grid.reserve(w * h);
  model.vertices.ReserveIds(w * h);
  if (squares > 0) model.faces.ReserveIds(2 * squares);
  for (std::size_t r = 0; r < h; ++r) {
    for (std::size_t c = 0; c < w; ++c) {
      progress.Advance();
      const float x = static_cast<float>(c) / width;
      const float z = static_cast<float>(r) / height;
      const float y = static_cast<float>(image.pixels[4 * (r * w + c)]) / 255.0f;
      Vertex* vertex = edit::JournalAddVertex(model, {x, y, z}, {0.0f, 1.0f, 0.0f}, x, z);
      if (vertex == nullptr) return;  // out of memory: no faces on a partial grid
      grid.push_back(vertex);
    }
  }
  for (std::size_t r = 0; r + 1 < h; ++r) {
    for (std::size_t c = 0; c + 1 < w; ++c) {
      progress.Advance();
      const std::size_t i = r * w + c;
      edit::JournalAddFace(model, grid[i], grid[i + w], grid[i + w + 1]);
      edit::JournalAddFace(model, grid[i], grid[i + w + 1], grid[i + 1]);
    }
  }
}

}  // namespace

bool ReadTgaFrom(std::string_view bytes, TgaImage& image) {
  image = TgaImage();
  if (Decode(bytes, image)) return true;
  image = TgaImage();
  return false;
}

bool ReadTga(std::string_view path, TgaImage& image) {
  format::FileText file;  // closed as soon as it is read, whether or not the image is good
  if (!file.Read(path)) {
    image = TgaImage();
    return false;
  }
  return ReadTgaFrom(file.view(), image);
}

bool ImportHeightmapFrom(Model& model, std::string_view bytes) {
  TgaImage image;
  if (!ReadTgaFrom(bytes, image)) return false;
  BuildHeightmap(model, image, "Importing heightmap...");
  return true;
}

bool ImportHeightmap(Model& model, std::string_view path) {
  format::FileText file;
  if (!file.Read(path)) {
    model.host().ErrorBox("Could not open file:", path, Severity::Error);
    return false;
  }
  TgaImage image;
  if (!ReadTgaFrom(file.view(), image)) {
    model.host().ErrorBox("Unsupported or damaged TGA image:", path, Severity::Error);
    return false;
  }
  BuildHeightmap(model, image, ProgressText("Importing", path));
  return true;
}

}  // namespace zmf::importers

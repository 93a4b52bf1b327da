// The Targa reader and the heightmap built from it.
//
// Nothing is allocated from the header alone: the pixel data is first walked (the run-length
// packets only counted) to see that the file holds the whole image, and only then are the
// pixels made. Run-length packets that reach past the image end are cut at the end.
#include "importers/tga_heightmap.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "edit/journal.h"
#include "format/file_text.h"
#include "model/progress.h"

namespace zmf::importers {
namespace {

constexpr std::size_t kHeaderSize = 18;

struct TgaFormat {
  bool runLength = false;
  bool reversed = false;                  // descriptor byte 0: pixel i goes to count - 1 - i
  std::size_t bytesPerPixel = 0;          // in the file
  const std::uint8_t* palette = nullptr;  // 24-bit entries blue, green, red (colour-mapped)
  std::size_t paletteLength = 0;
};

// Stores one pixel of the file at `out` (4 bytes, zero before).
void StorePixel(const TgaFormat& format, const std::uint8_t* in, std::uint8_t* out) {
  switch (format.bytesPerPixel) {
    case 4:
      std::memcpy(out, in, 4);
      break;
    case 3:
      std::memcpy(out, in, 3);
      break;
    case 2: {
      const unsigned v = in[0] | static_cast<unsigned>(in[1]) << 8;
      out[0] = static_cast<std::uint8_t>(v * 8);
      out[1] = static_cast<std::uint8_t>((v >> 5) * 8);
      out[2] = static_cast<std::uint8_t>((v >> 10) * 8);
      break;
    }
    default:
      // An index past the palette's end leaves the pixel black.
      if (in[0] < format.paletteLength) std::memcpy(out, format.palette + 3 * in[0], 3);
      break;
  }
}

// Walks the pixel data of `count` pixels from `data`; with `out`, stores them. False when the
// data ends before the image is full.
bool DecodePixels(const TgaFormat& format, const std::uint8_t* data, std::size_t size,
                  std::size_t count, std::uint8_t* out) {
  const std::size_t step = format.bytesPerPixel;
  auto store = [&](std::size_t i, const std::uint8_t* in) {
    if (out != nullptr) StorePixel(format, in, out + 4 * (format.reversed ? count - 1 - i : i));
  };
  if (!format.runLength) {
    if (size / step < count) return false;
    for (std::size_t i = 0; out != nullptr && i < count; ++i) store(i, data + i * step);
    return true;
  }
  std::size_t at = 0;
  std::size_t done = 0;
  while (done < count) {
    if (at == size) return false;
    const unsigned packet = data[at++];
    if (packet >= 128) {
      if (size - at < step) return false;
      const std::size_t repeat = std::min<std::size_t>(packet - 127, count - done);
      for (std::size_t k = 0; out != nullptr && k < repeat; ++k) store(done + k, data + at);
      at += step;
      done += repeat;
    } else {
      // Raw pixels past the image end are neither needed nor read.
      const std::size_t raw = std::min<std::size_t>(packet + 1, count - done);
      if ((size - at) / step < raw) return false;
      for (std::size_t k = 0; out != nullptr && k < raw; ++k) store(done + k, data + at + k * step);
      at += raw * step;
      done += raw;
    }
  }
  return true;
}

bool Decode(std::string_view bytes, TgaImage& image) {
  if (bytes.size() < kHeaderSize) return false;
  const auto* file = reinterpret_cast<const std::uint8_t*>(bytes.data());
  auto word = [&](std::size_t at) {
    return static_cast<std::size_t>(file[at] | file[at + 1] << 8);
  };
  const unsigned idLength = file[0];
  const unsigned mapType = file[1];
  const unsigned type = file[2];
  const std::size_t mapLength = word(5);
  const unsigned mapEntryBits = file[7];
  const std::size_t width = word(12);
  const std::size_t height = word(14);
  const unsigned depth = file[16];

  TgaFormat format;
  format.runLength = type == 9 || type == 10;
  format.reversed = file[17] == 0;
  std::size_t at = kHeaderSize + idLength;
  std::size_t mapBytes = 0;
  if (type == 1 || type == 9) {
    if (mapType == 0 || mapLength == 0 || mapEntryBits != 24 || depth != 8) return false;
    format.paletteLength = mapLength;
    mapBytes = 3 * mapLength;
  } else if (type == 2 || type == 10) {
    if (depth != 16 && depth != 24 && depth != 32) return false;
    // A true-colour image may still carry a colour map, which sits before its pixels.
    if (mapType != 0) mapBytes = mapLength * ((mapEntryBits + 7) / 8);
  } else {
    return false;
  }
  format.bytesPerPixel = depth / 8;
  if (at > bytes.size() || bytes.size() - at < mapBytes) return false;
  if (format.paletteLength != 0) format.palette = file + at;
  at += mapBytes;

  const std::size_t count = width * height;
  if (count > kMaxTgaPixels) return false;
  const std::uint8_t* data = file + at;
  const std::size_t size = bytes.size() - at;
  if (!DecodePixels(format, data, size, count, nullptr)) return false;
  image.pixels.assign(4 * count, 0);
  DecodePixels(format, data, size, count, image.pixels.data());
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
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
  TgaImage image;
  if (!ReadTga(path, image)) return false;
  BuildHeightmap(model, image, ProgressText("Importing", path));
  return true;
}

}  // namespace zmf::importers

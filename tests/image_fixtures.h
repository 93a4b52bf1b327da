// Small BMP and JPEG files made in memory for the texture tests, benchmarks and fuzz seeds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
// clang-format on

namespace zmf::testing {

using Bytes = std::vector<std::uint8_t>;
using Bgr = std::array<std::uint8_t, 3>;

inline void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}

inline void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Everything a BMP file states, written as given (no checks), so tests can also write bad files.
struct BmpLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative for top-down rows
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
  std::uint32_t headerSize = 40;  // 12 (OS/2), 40, 52, 56, 108 or 124
  // Bit-field masks red, green, blue (, alpha): after a 40-byte header, inside longer ones.
  std::vector<std::uint32_t> masks;
  std::vector<Bgr> palette;  // 3 bytes an entry in an OS/2 file, else 4 with a 0 fourth byte
  std::uint32_t colorsUsed = 0;
  Bytes pixels;                  // exactly the stored bytes: padded rows, or a run-length stream
  bool zeroPixelOffset = false;  // write 0 as the offset of the pixels
};

inline Bytes WriteBmp(const BmpLayout& l) {
  Bytes info;
  if (l.headerSize == 12) {
    Put32(info, 12);
    Put16(info, std::uint32_t(l.width));
    Put16(info, std::uint32_t(l.height));
    Put16(info, 1);
    Put16(info, l.bitCount);
  } else {
    Put32(info, l.headerSize);
    Put32(info, std::uint32_t(l.width));
    Put32(info, std::uint32_t(l.height));
    Put16(info, 1);
    Put16(info, l.bitCount);
    Put32(info, l.compression);
    Put32(info, std::uint32_t(l.pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, l.colorsUsed);
    Put32(info, 0);
    for (std::uint32_t m : l.masks) Put32(info, m);
    while (info.size() < l.headerSize) info.push_back(0);
  }
  for (const Bgr& c : l.palette) {
    info.insert(info.end(), c.begin(), c.end());
    if (l.headerSize != 12) info.push_back(0);
  }
  Bytes file = {'B', 'M'};
  Put32(file, std::uint32_t(14 + info.size() + l.pixels.size()));
  Put32(file, 0);
  Put32(file, l.zeroPixelOffset ? 0 : std::uint32_t(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), l.pixels.begin(), l.pixels.end());
  return file;
}

// Stored rows: each given row padded with zeros to a multiple of four bytes, in the given order.
inline Bytes PaddedRows(const std::vector<Bytes>& rows) {
  Bytes out;
  for (const Bytes& row : rows) {
    out.insert(out.end(), row.begin(), row.end());
    while (out.size() % 4 != 0) out.push_back(0);
  }
  return out;
}

// A plain bottom-up 24-bit BMP whose pixel (x, y), y counted from the top, is colour(x, y).
inline Bytes Bmp24(int width, int height, const std::function<Bgr(int, int)>& colour) {
  BmpLayout l;
  l.width = width;
  l.height = height;
  std::vector<Bytes> rows;
  for (int y = height - 1; y >= 0; --y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
      const Bgr c = colour(x, y);
      row.insert(row.end(), c.begin(), c.end());
    }
    rows.push_back(std::move(row));
  }
  l.pixels = PaddedRows(rows);
  return WriteBmp(l);
}

// A baseline (or progressive) JPEG of 1 (gray), 3 (red, green, blue) or 4 (CMYK) components per
// pixel, top row first, without chroma subsampling.
inline Bytes EncodeJpeg(int width, int height, int components, const Bytes& pixels,
                        int quality = 100, bool progressive = false) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  for (int c = 0; c < info.num_components; ++c) {
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = std::size_t(width) * std::size_t(components);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(pixels.data()) + info.next_scanline * stride;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

}  // namespace zmf::testing

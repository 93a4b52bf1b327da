// The BMP reader.
//
// Section index
//   header ........... ReadHeader: file and info headers, masks, palette, where the pixels start
//   plain rows ....... DecodeRows: palette, 16, 24 and 32-bit rows with their padding
//   run lengths ...... DecodeRunLengths: RLE8 and RLE4
//
// Every offset is checked against the file before it is read, and every size is computed in
// 64 bits from sides that were already limited, so no header value can make us read outside the
// file or reserve memory for pixels the file cannot hold (only run-length files, whose few
// bytes may legitimately describe a large picture, reserve the whole picture up front).
#include "material/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <new>

#include "model/byte_reader.h"

namespace zmf::material {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // OS/2 1.x: 16-bit sides, 3-byte palette entries
constexpr std::uint32_t kInfoHeaderSize = 40;

// One colour channel of a bit-field pixel, widened to eight bits.
class Channel {
 public:
  Channel() = default;
  explicit Channel(std::uint32_t mask)
      : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), max_(mask >> shift_) {}

  std::uint8_t Expand(std::uint32_t pixel) const {
    if (max_ == 0) return 0;
    const std::uint32_t v = (pixel & mask_) >> shift_;
    if (max_ == 255) return static_cast<std::uint8_t>(v);
    // Rounded to the nearest of 0..255, so a full 5-bit channel (31) becomes 255. A mask with
    // gaps is scaled by its whole span, which keeps the result within 0..255.
    return static_cast<std::uint8_t>((std::uint64_t(v) * 255 + max_ / 2) / max_);
  }

 private:
  std::uint32_t mask_ = 0;
  int shift_ = 0;
  std::uint32_t max_ = 0;
};

struct Header {
  int width = 0;
  int height = 0;
  bool topDown = false;
  std::uint32_t bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::array<Channel, 4> channels;  // blue, green, red, alpha of 16-bit and bit-field pixels
  // Blue, green, red, 0 per palette index; indices the file gives no colour for stay black.
  std::array<std::array<std::uint8_t, 4>, 256> palette{};
  std::size_t pixelOffset = 0;
};

bool ValidLayout(std::uint32_t bitCount, std::uint32_t compression) {
  switch (compression) {
    case kBiRgb:
      return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
             bitCount == 32;
    case kBiRle8:
      return bitCount == 8;
    case kBiRle4:
      return bitCount == 4;
    case kBiBitfields:
      return bitCount == 16 || bitCount == 32;
    default:
      return false;  // JPEG and PNG inside a BMP, and the rarer codings, are not read
  }
}

bool ReadHeader(std::span<const std::uint8_t> file, int maxSide, Header& h) {
  const std::size_t size = file.size();
  ByteReader in(file);
  if (size < kFileHeaderSize + 4 || in.U8() != 'B' || in.U8() != 'M') return false;
  in.Skip(8);  // file size, two reserved words
  const std::uint32_t pixelOffset = in.U32();
  const std::uint32_t headerSize = in.U32();
  const bool core = headerSize == kCoreHeaderSize;
  if (!core && headerSize != kInfoHeaderSize && headerSize != 52 && headerSize != 56 &&
      headerSize != 108 && headerSize != 124) {
    return false;
  }
  if (size < kFileHeaderSize + headerSize) return false;

  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t colorsUsed = 0;
  if (core) {
    width = in.U16();
    height = in.U16();
    in.Skip(2);  // planes
    h.bitCount = in.U16();
    h.compression = kBiRgb;
  } else {
    width = in.I32();
    height = in.I32();
    in.Skip(2);  // planes
    h.bitCount = in.U16();
    h.compression = in.U32();
    in.Skip(12);  // image size, resolution
    colorsUsed = in.U32();
  }
  if (!ValidLayout(h.bitCount, h.compression)) return false;
  if (core && h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24) {
    return false;
  }
  h.topDown = height < 0;
  height = height < 0 ? -height : height;  // 64-bit, so the most negative 32-bit height is safe
  if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) return false;
  // Run-length rows are always stored bottom-up.
  if (h.topDown && h.compression != kBiRgb && h.compression != kBiBitfields) return false;
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);

  std::size_t afterHeader = kFileHeaderSize + headerSize;
  if (h.bitCount == 16 && h.compression == kBiRgb) {
    h.channels = {Channel(0x001F), Channel(0x03E0), Channel(0x7C00), Channel(0)};
  } else if (h.compression == kBiBitfields) {
    // A 40-byte header is followed by three masks; longer headers hold them (and, from 56
    // bytes on, an alpha mask).
    if (headerSize == kInfoHeaderSize) {
      if (size < afterHeader + 12) return false;
      afterHeader += 12;
    }
    in.Seek(kFileHeaderSize + kInfoHeaderSize);
    const std::uint32_t red = in.U32();
    const std::uint32_t green = in.U32();
    const std::uint32_t blue = in.U32();
    const std::uint32_t alpha = headerSize >= 56 ? in.U32() : 0;
    h.channels = {Channel(blue), Channel(green), Channel(red), Channel(alpha)};
  }

  std::size_t paletteEnd = afterHeader;
  if (h.bitCount <= 8) {
    const std::uint32_t full = 1u << h.bitCount;
    const std::uint32_t count = colorsUsed == 0 ? full : std::min(colorsUsed, full);
    const std::size_t entrySize = core ? 3 : 4;
    paletteEnd = afterHeader + count * entrySize;
    if (paletteEnd > size) return false;
    in.Seek(afterHeader);
    for (std::uint32_t i = 0; i < count; ++i) {
      h.palette[i] = {in.U8(), in.U8(), in.U8(), 0};
      in.Skip(entrySize - 3);
    }
  }
  // Some writers leave the offset 0; the pixels then follow the palette.
  h.pixelOffset = pixelOffset == 0 ? paletteEnd : pixelOffset;
  return h.pixelOffset <= size;
}

// `src` holds the row's bytes without its padding.
void DecodeRow(const Header& h, std::span<const std::uint8_t> src, std::uint8_t* dst) {
  const int w = h.width;
  ByteReader in(src);
  switch (h.bitCount) {
    case 1:
    case 4:
    case 8: {
      const int bits = static_cast<int>(h.bitCount);
      const int perByte = 8 / bits;
      const unsigned indexMask = (1u << bits) - 1;
      for (int x = 0; x < w; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);  // the leftmost pixel sits in the high bits
        const unsigned index = (src[x / perByte] >> shift) & indexMask;
        std::copy_n(h.palette[index].data(), 4, dst + std::size_t(x) * 4);
      }
      break;
    }
    case 16:
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = in.U16();
        std::uint8_t* o = dst + std::size_t(x) * 4;
        for (int c = 0; c < 4; ++c) o[c] = h.channels[c].Expand(p);
      }
      break;
    case 24:
      for (int x = 0; x < w; ++x) {
        std::uint8_t* o = dst + std::size_t(x) * 4;
        o[0] = in.U8();
        o[1] = in.U8();
        o[2] = in.U8();
        o[3] = 0;
      }
      break;
    case 32:
      if (h.compression == kBiRgb) {
        std::copy_n(src.data(), std::size_t(w) * 4, dst);
      } else {
        for (int x = 0; x < w; ++x) {
          const std::uint32_t p = in.U32();
          std::uint8_t* o = dst + std::size_t(x) * 4;
          for (int c = 0; c < 4; ++c) o[c] = h.channels[c].Expand(p);
        }
      }
      break;
  }
}

bool Reserve(const Header& h, SourceImage& out) {
  try {
    out.pixels.assign(std::size_t(h.width) * std::size_t(h.height) * 4, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  out.width = h.width;
  out.height = h.height;
  return true;
}

DecodeStatus DecodeRows(std::span<const std::uint8_t> file, const Header& h, SourceImage& out) {
  const std::uint64_t rowBits = std::uint64_t(h.width) * h.bitCount;
  const std::uint64_t stride = (rowBits + 31) / 32 * 4;
  // The last row may lack its padding: files written that way are still read.
  const std::uint64_t needed = std::uint64_t(h.height - 1) * stride + (rowBits + 7) / 8;
  if (needed > file.size() - h.pixelOffset) return DecodeStatus::Unreadable;
  if (!Reserve(h, out)) return DecodeStatus::OutOfMemory;

  const std::size_t outStride = std::size_t(h.width) * 4;
  ByteReader in(file);
  in.Seek(h.pixelOffset);
  for (int r = 0; r < h.height; ++r) {
    const int y = h.topDown ? r : h.height - 1 - r;
    DecodeRow(h, in.Sub((rowBits + 7) / 8).Rest(), out.pixels.data() + std::size_t(y) * outStride);
    in.Skip(stride);
  }
  return DecodeStatus::Ok;
}

// Run-length pictures start at the bottom row. Pixels that no run reaches stay black; runs past
// the right edge are cut; data that ends without the end-of-picture code keeps what was decoded.
DecodeStatus DecodeRunLengths(std::span<const std::uint8_t> file, const Header& h,
                              SourceImage& out) {
  if (!Reserve(h, out)) return DecodeStatus::OutOfMemory;
  const bool rle4 = h.compression == kBiRle4;
  ByteReader in(file);
  in.Seek(h.pixelOffset);
  std::int64_t x = 0;  // 64 bits: a long file of runs and skips may push these far past the sides
  std::int64_t y = 0;  // rows counted from the bottom

  auto put = [&](std::int64_t count, auto indexAt) {
    if (y < h.height) {
      std::uint8_t* row = out.pixels.data() + std::size_t(h.height - 1 - y) * h.width * 4;
      const std::int64_t end = std::min<std::int64_t>(x + count, h.width);
      for (std::int64_t px = x; px < end; ++px) {
        std::copy_n(h.palette[indexAt(px - x)].data(), 4, row + std::size_t(px) * 4);
      }
    }
    x += count;
  };

  while (in.Remaining() >= 2 && y < h.height) {
    const std::uint8_t count = in.U8();
    const std::uint8_t value = in.U8();
    if (count > 0) {
      // An encoded run: one index, or for RLE4 two indices taken in turn.
      put(count, [&](std::int64_t k) -> unsigned {
        return rle4 ? ((k & 1) ? value & 15 : value >> 4) : value;
      });
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // skip right and up
      if (in.Remaining() < 2) break;
      x += in.U8();
      y += in.U8();
    } else {  // `value` literal indices, their bytes padded to an even count
      const std::size_t bytes = rle4 ? (value + 1u) / 2 : value;
      const std::span<const std::uint8_t> literal = in.Bytes(bytes);
      if (in.Failed()) break;
      put(value, [&](std::int64_t k) -> unsigned {
        return rle4 ? ((k & 1) ? literal[k / 2] & 15 : literal[k / 2] >> 4) : literal[k];
      });
      in.Skip(bytes & 1);
    }
  }
  return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodeBmp(std::span<const std::uint8_t> file, SourceImage& image, int maxSide) {
  Header h;
  if (!ReadHeader(file, maxSide, h)) return DecodeStatus::Unreadable;
  SourceImage decoded;
  const DecodeStatus status = (h.compression == kBiRle8 || h.compression == kBiRle4)
                                  ? DecodeRunLengths(file, h, decoded)
                                  : DecodeRows(file, h, decoded);
  if (status == DecodeStatus::Ok) image = std::move(decoded);
  return status;
}

}  // namespace zmf::material

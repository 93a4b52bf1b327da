// Little-endian reads from the bytes of a binary file (BMP, TGA, 3DS).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zmf {

// A cursor over a byte span. Numbers are put together from their bytes, least significant first,
// so the result does not depend on the machine's byte order or alignment.
//
// Nothing is ever read outside the span: a read, Seek, Skip, Bytes or Sub that needs more bytes
// than remain fails. A failure returns 0 (or an empty span or reader), leaves the cursor at the
// end and sets Failed(), which stays set, so a run of reads can be checked once after the last.
class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  explicit ByteReader(std::string_view bytes)
      : bytes_(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) {}

  std::size_t Position() const { return pos_; }
  std::size_t Size() const { return bytes_.size(); }
  std::size_t Remaining() const { return bytes_.size() - pos_; }
  bool Failed() const { return failed_; }

  // The bytes from the position on, without moving.
  std::span<const std::uint8_t> Rest() const { return bytes_.subspan(pos_); }

  // Moves to `position` (at most Size()) or by `count`; false when that is past the end.
  bool Seek(std::size_t position) {
    if (position > bytes_.size()) return Fail();
    pos_ = position;
    return true;
  }
  bool Skip(std::size_t count) {
    if (count > Remaining()) return Fail();
    pos_ += count;
    return true;
  }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Read(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Read(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Read(4)); }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  float F32() { return std::bit_cast<float>(U32()); }

  // The next `count` bytes, moved past.
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    if (count > Remaining()) {
      Fail();
      return {};
    }
    const std::span<const std::uint8_t> taken = bytes_.subspan(pos_, count);
    pos_ += count;
    return taken;
  }

  // A reader of its own over the next `count` bytes (a chunk), which cannot read beyond them;
  // this reader does not move.
  ByteReader Sub(std::size_t count) {
    if (count > Remaining()) {
      Fail();
      ByteReader failed;
      failed.failed_ = true;
      return failed;
    }
    return ByteReader(bytes_.subspan(pos_, count));
  }

 private:
  bool Fail() {
    failed_ = true;
    pos_ = bytes_.size();
    return false;
  }

  std::uint32_t Read(std::size_t count) {
    if (count > Remaining()) {
      Fail();
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value |= std::uint32_t(bytes_[pos_ + i]) << (8 * i);
    pos_ += count;
    return value;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace zmf

// The little-endian byte reader: numbers from their bytes, reads that end exactly at the end or
// one byte short of it, and chunk readers that stop at their own end.
#include "model/byte_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace zmf {
namespace {

TEST(ByteReaderTest, ReadsLittleEndianNumbersOfEveryWidth) {
  const std::array<std::uint8_t, 19> bytes = {0x81, 0x02, 0x83, 0xFE, 0xFF, 0x04, 0x03,
                                              0x02, 0x81, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
                                              0x00, 0xC0, 0xBF, 0x7F, 0x00};
  ByteReader in(bytes);
  EXPECT_EQ(in.U8(), 0x81);
  EXPECT_EQ(in.U16(), 0x8302);
  EXPECT_EQ(in.I16(), -2);
  EXPECT_EQ(in.U32(), 0x81020304u);
  EXPECT_EQ(in.I32(), -1);
  EXPECT_EQ(in.F32(), -1.5f);
  EXPECT_EQ(in.Position(), 17u);
  EXPECT_EQ(in.Remaining(), 2u);
  EXPECT_EQ(in.U16(), 0x007F);
  EXPECT_FALSE(in.Failed()) << "a read that ends at the very end succeeds";
  EXPECT_EQ(in.U8(), 0);
  EXPECT_TRUE(in.Failed());
}

TEST(ByteReaderTest, AReadOneByteShortFailsAtTheEndAndTheFailureStays) {
  const std::string_view text("\x01\x02\x03", 3);
  for (int width : {2, 4}) {
    ByteReader in(text);
    in.Skip(4 - width);  // one byte fewer than the read needs
    EXPECT_EQ(width == 2 ? in.U16() : in.U32(), 0u) << width;
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(in.Position(), 3u) << "a failed read leaves the reader at the end";
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_TRUE(in.Seek(0));
    EXPECT_EQ(in.U8(), 1);
    EXPECT_TRUE(in.Failed());
  }

  ByteReader in(text);
  EXPECT_TRUE(in.Seek(3));
  EXPECT_TRUE(in.Skip(0));
  EXPECT_TRUE(in.Bytes(0).empty());
  EXPECT_FALSE(in.Failed());
  EXPECT_FALSE(in.Skip(1));
  EXPECT_TRUE(in.Failed());

  ByteReader seek(text);
  EXPECT_FALSE(seek.Seek(4));
  EXPECT_EQ(seek.Position(), 3u);
  ByteReader bytes(text);
  bytes.Skip(1);
  EXPECT_TRUE(bytes.Bytes(3).empty());
  EXPECT_TRUE(bytes.Failed());
}

TEST(ByteReaderTest, AChunkReaderStopsAtItsOwnEndAndLeavesItsParentWhereItWas) {
  const std::array<std::uint8_t, 10> bytes = {9, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  ByteReader file(bytes);
  file.Skip(1);
  ByteReader chunk = file.Sub(6);
  EXPECT_EQ(file.Position(), 1u);
  EXPECT_EQ(chunk.Size(), 6u);
  chunk.Skip(1);
  ByteReader inner = chunk.Sub(4);  // bytes 2 to 5 of the file
  EXPECT_EQ(inner.U16(), 0x0302);
  const std::span<const std::uint8_t> rest = inner.Bytes(2);
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_EQ(rest[0], 4);
  EXPECT_EQ(rest[1], 5);
  EXPECT_EQ(inner.U8(), 0) << "the inner chunk ends before its parent";
  EXPECT_TRUE(inner.Failed());
  EXPECT_FALSE(chunk.Failed());
  EXPECT_EQ(chunk.Position(), 1u);

  chunk.Skip(4);
  EXPECT_EQ(chunk.U8(), 6);
  EXPECT_EQ(chunk.U8(), 0) << "the chunk ends before the file";
  EXPECT_TRUE(chunk.Failed());
  EXPECT_FALSE(file.Failed());

  // A chunk longer than what remains is refused, and fails the reader it was asked of.
  file.Seek(7);
  EXPECT_EQ(file.Sub(3).Size(), 3u);
  ByteReader tooLong = file.Sub(4);
  EXPECT_TRUE(tooLong.Failed());
  EXPECT_EQ(tooLong.Size(), 0u);
  EXPECT_TRUE(file.Failed());
}

}  // namespace
}  // namespace zmf

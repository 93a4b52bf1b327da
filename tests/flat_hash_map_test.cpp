// The open-addressing map: finding, inserting, probing past collisions and growing.
#include "model/flat_hash_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zmf::testing {
namespace {

// Every key starts its probe at the last slot, so probes collide and wrap.
struct CollidingHasher {
  static std::uint64_t Hash(std::uint32_t) { return ~std::uint64_t{0}; }
  static std::uint32_t Empty() { return ~std::uint32_t{0}; }
  static bool IsEmpty(std::uint32_t k) { return k == Empty(); }
};

struct SpreadHasher {
  static std::uint64_t Hash(std::uint32_t k) { return HashWords(k); }
  static std::uint32_t Empty() { return ~std::uint32_t{0}; }
  static bool IsEmpty(std::uint32_t k) { return k == Empty(); }
};

template <class Map>
void ExpectHoldsSquares(const Map& map, std::uint32_t count) {
  EXPECT_EQ(map.size(), count);
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::uint32_t* value = map.Find(k);
    ASSERT_NE(value, nullptr) << k;
    EXPECT_EQ(*value, k * k) << k;
  }
  EXPECT_EQ(map.Find(count), nullptr);
}

TEST(FlatHashMap, InsertKeepsTheFirstValueAndFindsEveryKeyPastCollisionsAndGrowth) {
  FlatHashMap<std::uint32_t, std::uint32_t, CollidingHasher> map;
  EXPECT_EQ(map.Find(7), nullptr);

  auto [seven, isNew] = map.Insert(7, 70);
  EXPECT_TRUE(isNew);
  EXPECT_EQ(*seven, 70u);
  *seven = 71;  // the pointer writes into the map
  auto [again, isNewAgain] = map.Insert(7, 99);
  EXPECT_FALSE(isNewAgain);
  EXPECT_EQ(again, seven);
  EXPECT_EQ(*map.Find(7), 71u);

  // The first keys fill slots 15, 0, 1, ...; then the map doubles several times.
  map.Reset(0);
  EXPECT_EQ(map.Find(7), nullptr);
  for (std::uint32_t k = 0; k < 100; ++k) EXPECT_TRUE(map.Insert(k, k * k).second) << k;
  ExpectHoldsSquares(map, 100);

  // Sized up front, and with spread hashes, a hundred thousand keys.
  FlatHashMap<std::uint32_t, std::uint32_t, SpreadHasher> big(1000);
  for (std::uint32_t k = 0; k < 100000; ++k) big.Insert(k, k * k);
  ExpectHoldsSquares(big, 100000);
}

TEST(FlatHashMap, PointerKeysAndWordHashesSpreadOverTheLowBits) {
  // Pool records sit at multiples of their size, so their addresses share their low bits.
  alignas(64) static char records[64 * 256];
  FlatHashMap<const char*, int, PointerHasher<char>> map(256);
  for (int i = 0; i < 256; ++i) map.Insert(records + 64 * i, i);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(*map.Find(records + 64 * i), i);
  EXPECT_EQ(map.Find(records + 1), nullptr);

  // 256 such addresses over 512 slots: a mixing hash takes about 200 of them, taking the
  // address bits as they are would take 8.
  std::vector<bool> used(512, false);
  int distinct = 0;
  for (int i = 0; i < 256; ++i) {
    const auto slot = PointerHasher<char>::Hash(records + 64 * i) >> (64 - 9);
    if (!used[slot]) ++distinct;
    used[slot] = true;
  }
  EXPECT_GT(distinct, 128);
  EXPECT_NE(HashWords(1, 2), HashWords(2, 1));
  EXPECT_NE(HashWords(1, 2, 3), HashWords(1, 3, 2));
}

}  // namespace
}  // namespace zmf::testing

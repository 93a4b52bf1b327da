// The bucket layout: items counted, arranged and placed bucket after bucket.
#include "model/buckets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(Buckets, EachBucketHoldsItsItemsInPlacementOrderEmptyOnesIncluded) {
  const std::vector<std::pair<std::size_t, std::string>> items = {{3, "d1"}, {0, "a1"}, {3, "d2"},
                                                                  {1, "b1"}, {0, "a2"}, {3, "d3"}};
  Buckets<std::string> buckets(5);  // bucket 2 and bucket 4 stay empty
  for (const auto& [bucket, item] : items) buckets.Count(bucket);
  buckets.Arrange();
  for (const auto& [bucket, item] : items) buckets.Place(bucket, item);
  buckets.Finish();

  EXPECT_EQ(buckets.bucketCount(), 5u);
  EXPECT_THAT(buckets[0], ElementsAre("a1", "a2"));
  EXPECT_THAT(buckets[1], ElementsAre("b1"));
  EXPECT_THAT(buckets[2], IsEmpty());
  EXPECT_THAT(buckets[3], ElementsAre("d1", "d2", "d3"));
  EXPECT_THAT(buckets[4], IsEmpty());
  // One array: the buckets follow each other.
  EXPECT_EQ(buckets[0].data() + 2, buckets[1].data());
  EXPECT_EQ(buckets[1].data() + 1, buckets[3].data());
}

TEST(Buckets, BucketsAddedWhileCountingAndNoneAtAll) {
  Buckets<int> grown;
  EXPECT_EQ(grown.AddBucket(), 0u);
  grown.Count(0);
  EXPECT_EQ(grown.AddBucket(), 1u);
  grown.Count(1);
  grown.Count(0);
  grown.Arrange();
  grown.Place(0, 10);
  grown.Place(1, 20);
  grown.Place(0, 11);
  grown.Finish();
  EXPECT_THAT(grown[0], ElementsAre(10, 11));
  EXPECT_THAT(grown[1], ElementsAre(20));

  Buckets<int> none;
  none.Arrange();
  none.Finish();
  EXPECT_EQ(none.bucketCount(), 0u);
}

#ifndef NDEBUG
TEST(BucketsDeathTest, PlacingOtherThanCountedIsCaught) {
  auto counted = [] {
    Buckets<int> b(2);
    b.Count(0);
    b.Count(1);
    b.Arrange();
    return b;
  };
  EXPECT_DEATH(
      {
        Buckets<int> b = counted();
        b.Place(0, 1);
        b.Place(0, 2);  // bucket 0 was counted once
      },
      "");
  EXPECT_DEATH(
      {
        Buckets<int> b = counted();
        b.Place(0, 1);
        b.Finish();  // bucket 1 is short of its item
      },
      "");
}
#endif

}  // namespace
}  // namespace zmf::testing

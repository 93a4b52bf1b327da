// Items grouped by bucket number and stored bucket after bucket in one array.
#pragma once

#include <cassert>
#include <cstddef>
#include <span>
#include <vector>

#include "model/pool.h"

namespace zmf {

// Built by two passes over the same items: first Count() the bucket of each, then Arrange(),
// then Place() each item into the bucket it was counted in, then Finish(), which asserts that
// every bucket got exactly as many items as were counted for it. A bucket keeps its items in
// the order they were placed. One array of starts and one of items, however many buckets.
template <class T>
class Buckets {
 public:
  // Starts counting with `buckets` empty buckets, numbered from 0.
  explicit Buckets(std::size_t buckets = 0) : start_(buckets + 1, 0) {}

  // While counting: adds an empty bucket at the end and returns its number.
  std::size_t AddBucket() {
    assert(!arranged_);
    start_.push_back(0);
    return start_.size() - 2;
  }

  // While counting: one more item will go into the bucket.
  void Count(std::size_t bucket) {
    assert(!arranged_ && bucket + 1 < start_.size());
    ++start_[bucket + 1];
  }

  // Ends counting: each bucket's place follows from the counts before it.
  void Arrange() {
    assert(!arranged_);
    arranged_ = true;
    for (std::size_t b = 1; b < start_.size(); ++b) start_[b] += start_[b - 1];
    ReserveOnHugePages(items_, start_.back());
    items_.resize(start_.back());
    next_.assign(start_.begin(), start_.end() - 1);
  }

  // While filling: the item goes after those already placed in its bucket.
  void Place(std::size_t bucket, const T& item) {
    assert(arranged_ && bucket < next_.size() && next_[bucket] < start_[bucket + 1]);
    items_[next_[bucket]++] = item;
  }

  // Ends filling.
  void Finish() {
    assert(arranged_);
    for (std::size_t b = 0; b < next_.size(); ++b) {
      assert(next_[b] == start_[b + 1]);
    }
    next_ = {};
  }

  std::size_t bucketCount() const { return start_.size() - 1; }

  // The items of the bucket, once arranged.
  std::span<const T> operator[](std::size_t bucket) const {
    assert(arranged_ && bucket + 1 < start_.size());
    return std::span<const T>(items_.data() + start_[bucket], start_[bucket + 1] - start_[bucket]);
  }

 private:
  // While counting, start_[b + 1] is bucket b's count; once arranged, bucket b holds
  // items_[start_[b], start_[b + 1]).
  std::vector<std::size_t> start_;
  std::vector<std::size_t> next_;  // while filling: where each bucket's next item goes
  std::vector<T> items_;
  bool arranged_ = false;
};

}  // namespace zmf

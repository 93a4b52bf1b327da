// One open-addressing hash map for the lookups of the mesh operations, with small hashers.
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zmf {

// Mixes one, two or three words into a hash whose high bits (where the map takes its slot) and
// low bits both depend on every bit of the input. The high bits of one word's hash are those of
// Fibonacci hashing, which spreads evenly spaced keys such as pooled records' addresses evenly.
inline std::uint64_t HashWords(std::uint64_t a) {
  const std::uint64_t h = a * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 32);
}
inline std::uint64_t HashWords(std::uint64_t a, std::uint64_t b) {
  std::uint64_t h = a * 0x9E3779B97F4A7C15ull;
  h ^= (h >> 29) + b * 0xC2B2AE3D27D4EB4Full;
  return h ^ (h >> 32);
}
inline std::uint64_t HashWords(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  std::uint64_t h = a * 0x9E3779B97F4A7C15ull;
  h ^= (h >> 29) + b * 0xC2B2AE3D27D4EB4Full;
  h ^= (h >> 31) + c * 0x165667B19E3779F9ull;
  return h ^ (h >> 32);
}

// Hasher for pointer keys; null marks a free slot.
template <class T>
struct PointerHasher {
  static std::uint64_t Hash(const T* p) { return HashWords(reinterpret_cast<std::uintptr_t>(p)); }
  static const T* Empty() { return nullptr; }
  static bool IsEmpty(const T* p) { return p == nullptr; }
};

// Map with linear probing in one array of (key, value) slots, kept at most half full so probes
// stay short; a slot whose key is the hasher's empty key is free. It never removes entries.
// `Hasher` is a struct with three static functions:
//   std::uint64_t Hash(const Key&)  the slot is taken from its high bits
//   Key Empty()                     a key that is never stored
//   bool IsEmpty(const Key&)        whether a slot's key is Empty() (may look at part of it)
// Keys compare with ==. Storing the empty key is a programming error (asserted).
template <class Key, class Value, class Hasher>
class FlatHashMap {
 public:
  explicit FlatHashMap(std::size_t expected = 0) { Reset(expected); }

  // Empties the map and sizes it so that `expected` entries fit without growing.
  void Reset(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    Allocate(capacity);
  }

  std::size_t size() const { return size_; }

  // The value stored under the key, or null.
  const Value* Find(const Key& key) const {
    for (std::size_t i = Home(key);; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (Hasher::IsEmpty(s.key)) return nullptr;
      if (s.key == key) return &s.value;
    }
  }
  Value* Find(const Key& key) { return const_cast<Value*>(std::as_const(*this).Find(key)); }

  // The value stored under the key, and whether the key was new, in which case `value` was
  // stored for it. The pointer holds until the next insertion.
  std::pair<Value*, bool> Insert(const Key& key, const Value& value) {
    assert(!Hasher::IsEmpty(key));
    if (size_ >= maxSize_) [[unlikely]] {
      Grow();
    }
    for (std::size_t i = Home(key);; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (Hasher::IsEmpty(s.key)) {
        s = {key, value};
        ++size_;
        return {&s.value, true};
      }
      if (s.key == key) return {&s.value, false};
    }
  }

  // Starts loading the slot where a lookup of the key begins, for a lookup a little later.
  void Prefetch(const Key& key) const { __builtin_prefetch(&slots_[Home(key)]); }

 private:
  struct Slot {
    Key key;
    Value value;
  };

  // The slot where the key's probe starts: the top bits of its hash.
  std::size_t Home(const Key& key) const {
    return static_cast<std::size_t>(Hasher::Hash(key) >> shift_);
  }

  void Allocate(std::size_t capacity) {
    assert(capacity >= 2 && (capacity & (capacity - 1)) == 0);  // the mask needs a power of 2
    slots_.assign(capacity, Slot{Hasher::Empty(), Value{}});
    mask_ = capacity - 1;
    shift_ = 64 - std::countr_zero(capacity);
    maxSize_ = capacity / 2;
    size_ = 0;
  }

  // Doubles the slots and puts every entry back. Kept out of line: Insert is on hot paths.
  [[gnu::noinline]] void Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    [[maybe_unused]] const std::size_t entries = size_;
    Allocate(old.size() * 2);
    for (const Slot& s : old) {
      if (Hasher::IsEmpty(s.key)) continue;
      std::size_t i = Home(s.key);
      while (!Hasher::IsEmpty(slots_[i].key)) i = (i + 1) & mask_;
      slots_[i] = s;
      ++size_;
    }
    assert(size_ == entries);
  }

  std::vector<Slot> slots_;  // a power of two of them, at most half in use
  std::size_t mask_ = 0;     // slots_.size() - 1
  int shift_ = 64;           // 64 - log2(slots_.size())
  std::size_t maxSize_ = 0;  // slots_.size() / 2: an insertion beyond grows the slots first
  std::size_t size_ = 0;     // slots in use
};

}  // namespace zmf

// Pooled storage for list records: stable addresses, cheap allocation, whole-pool release.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace zmf {

// Memory that is filled front to back right away (a big model's records, a file's bytes): backing
// it with huge pages where the system allows it takes one page fault per 2 MiB instead of 512.
inline void AdviseHugePages(void* memory, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  const auto from = (reinterpret_cast<std::uintptr_t>(memory) + kHuge - 1) & ~(kHuge - 1);
  const auto to = (reinterpret_cast<std::uintptr_t>(memory) + bytes) & ~(kHuge - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

// Reserves room for `count` elements in a vector about to be filled, on huge pages.
template <class T>
void ReserveOnHugePages(std::vector<T>& vector, std::size_t count) {
  vector.reserve(count);
  AdviseHugePages(vector.data(), vector.capacity() * sizeof(T));
}

// Hands out records of one type from chunks that grow geometrically (64 records up to 65,536
// per chunk). A freed record goes on a free list and is reused by the next allocation, so a
// record's address never changes while it lives. Records must be trivially destructible:
// Release() drops every chunk at once without visiting the records.
template <class T>
class Pool {
  static_assert(std::is_trivially_destructible_v<T>, "pooled records are released wholesale");

 public:
  Pool() = default;
  Pool(const Pool&) = delete;
  Pool& operator=(const Pool&) = delete;

  // A value-initialised record, or null when memory ran out.
  T* New() {
    Slot* slot = free_;
    if (slot != nullptr) {
      free_ = slot->nextFree;
    } else {
      if (usedInChunk_ == chunkSize_ && !Grow()) return nullptr;
      slot = &chunks_.back()[usedInChunk_++];
    }
    ++live_;
    return ::new (static_cast<void*>(slot->storage)) T();
  }

  void Delete(T* record) {
    if (record == nullptr) return;
    record->~T();
    Slot* slot = ::new (static_cast<void*>(record)) Slot;
    slot->nextFree = free_;
    free_ = slot;
    --live_;
  }

  // Frees every record at once.
  void Release() {
    chunks_.clear();
    free_ = nullptr;
    usedInChunk_ = chunkSize_ = 0;
    nextChunkSize_ = kFirstChunk;
    live_ = 0;
  }

  std::size_t live() const { return live_; }

  // Exchanges every record with the other pool; records keep their addresses.
  void Swap(Pool& other) noexcept {
    chunks_.swap(other.chunks_);
    std::swap(free_, other.free_);
    std::swap(usedInChunk_, other.usedInChunk_);
    std::swap(chunkSize_, other.chunkSize_);
    std::swap(nextChunkSize_, other.nextChunkSize_);
    std::swap(live_, other.live_);
  }

 private:
  union Slot {
    Slot* nextFree;
    alignas(T) unsigned char storage[sizeof(T)];
  };

  static constexpr std::size_t kFirstChunk = 64;
  static constexpr std::size_t kLargestChunk = 65536;

  bool Grow() {
    Slot* chunk = new (std::nothrow) Slot[nextChunkSize_];
    if (chunk == nullptr) return false;
    AdviseHugePages(chunk, nextChunkSize_ * sizeof(Slot));
    try {
      chunks_.emplace_back(chunk);
    } catch (const std::bad_alloc&) {
      delete[] chunk;
      return false;
    }
    chunkSize_ = nextChunkSize_;
    usedInChunk_ = 0;
    if (nextChunkSize_ < kLargestChunk) nextChunkSize_ *= 2;
    return true;
  }

  std::vector<std::unique_ptr<Slot[]>> chunks_;
  Slot* free_ = nullptr;
  std::size_t usedInChunk_ = 0;
  std::size_t chunkSize_ = 0;
  std::size_t nextChunkSize_ = kFirstChunk;
  std::size_t live_ = 0;
};

}  // namespace zmf

// Pooled storage for list records: stable addresses, cheap allocation, whole-pool release.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

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

// Fresh memory of `bytes` (rounded up in place to whole pages) starting on a 2 MiB boundary and
// advised onto huge pages. Nothing is reserved from the system's memory for it: pages come as
// they are first touched, so a generous size is cheap. Null when the system has no room; give it
// back with munmap(memory, bytes).
inline void* MapOnHugePages(std::size_t& bytes) {
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  if (bytes > SIZE_MAX - kHuge - page) return nullptr;
  bytes = (bytes + page - 1) / page * page;
  void* mapped = ::mmap(nullptr, bytes + kHuge, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  // Only the aligned part is kept: the pages before and after it go back at once.
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHuge - 1) & ~std::uintptr_t{kHuge - 1};
  if (aligned > start) ::munmap(mapped, aligned - start);
  const std::size_t after = start + kHuge - aligned;
  if (after > 0) ::munmap(reinterpret_cast<void*>(aligned + bytes), after);
  ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

// How many records ahead a walk along a list's links fetches: enough to cover a trip to memory.
inline constexpr std::ptrdiff_t kPrefetchRecordsAhead = 16;

// Records appended one after another sit side by side in a pool's chunk, so the record a walk
// reaches `records` links on (negative: links back) most likely lies that many places away in
// memory: fetching there early hides the wait for each link, and a wrong guess costs nothing.
template <class T>
inline void PrefetchNeighbour(const T* record, std::ptrdiff_t records) {
  const auto offset = static_cast<std::uintptr_t>(records * static_cast<std::ptrdiff_t>(sizeof(T)));
  __builtin_prefetch(
      reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(record) + offset));
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

  // Makes the next `count` allocations that the free list does not serve come from one block,
  // so that the records a reader appends lie side by side and the block is asked of the system
  // once, on huge pages when it is large. When the chunk in use has too little room, the rest of
  // it stays unused; a count that the next chunk would hold anyway changes nothing. A hint:
  // false, with nothing changed, when the block cannot be had (allocations then grow as before).
  bool Reserve(std::size_t count) {
    if (count <= chunkSize_ - usedInChunk_ || count <= nextChunkSize_) return true;
    return AddChunk(count);
  }

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

  // Blocks of at least this many bytes are mapped on huge-page boundaries of their own.
  static constexpr std::size_t kMappedBytes = std::size_t{2} << 20;

  // Gives back a chunk: a mapped block (mappedBytes != 0) or an array from new[].
  struct ChunkRelease {
    std::size_t mappedBytes = 0;
    void operator()(Slot* chunk) const {
      if (mappedBytes != 0) {
        ::munmap(chunk, mappedBytes);
      } else {
        delete[] chunk;
      }
    }
  };
  using Chunk = std::unique_ptr<Slot[], ChunkRelease>;

  // `count` slots on huge pages (MapOnHugePages); null when the system has no room.
  static Chunk MapChunk(std::size_t count) {
    std::size_t bytes = count * sizeof(Slot);
    void* memory = MapOnHugePages(bytes);
    if (memory == nullptr) return nullptr;
    return Chunk(static_cast<Slot*>(memory), ChunkRelease{bytes});
  }

  // Makes a chunk of `count` slots the one allocations come from.
  bool AddChunk(std::size_t count) {
    if (count == 0 || count > (SIZE_MAX - 2 * kMappedBytes) / sizeof(Slot)) return false;
    Chunk chunk;
    if (count * sizeof(Slot) >= kMappedBytes) chunk = MapChunk(count);
    if (chunk == nullptr) {
      chunk = Chunk(new (std::nothrow) Slot[count]);
      if (chunk == nullptr) return false;
      AdviseHugePages(chunk.get(), count * sizeof(Slot));
    }
    try {
      chunks_.push_back(std::move(chunk));
    } catch (const std::bad_alloc&) {
      return false;
    }
    chunkSize_ = count;
    usedInChunk_ = 0;
    return true;
  }

  bool Grow() {
    if (!AddChunk(nextChunkSize_)) return false;
    if (nextChunkSize_ < kLargestChunk) nextChunkSize_ *= 2;
    return true;
  }

  std::vector<Chunk> chunks_;
  Slot* free_ = nullptr;
  std::size_t usedInChunk_ = 0;
  std::size_t chunkSize_ = 0;
  std::size_t nextChunkSize_ = kFirstChunk;
  std::size_t live_ = 0;
};

}  // namespace zmf

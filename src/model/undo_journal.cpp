// The journal's ring: one anonymous mapping of its whole capacity.
#include "model/undo_journal.h"

#include <sys/mman.h>

#include <new>
#include <utility>

#include "model/pool.h"

namespace zmf {

void UndoJournal::Map(std::uint64_t capacity) {
  capacity = std::max<std::uint64_t>(capacity, 64);
  for (;;) {
    std::size_t bytes = capacity * sizeof(JournalWord);
    if (void* memory = MapOnHugePages(bytes)) {
      words_ = static_cast<JournalWord*>(memory);
      capacity_ = capacity;
      mappedBytes_ = bytes;
      return;
    }
    if (capacity <= 64) throw std::bad_alloc();
    capacity /= 2;
  }
}

void UndoJournal::Unmap() {
  if (words_ != nullptr) ::munmap(words_, mappedBytes_);
  words_ = nullptr;
  capacity_ = 0;
  mappedBytes_ = 0;
}

void UndoJournal::Swap(UndoJournal& other) noexcept {
  std::swap(capacity_, other.capacity_);
  std::swap(words_, other.words_);
  std::swap(mappedBytes_, other.mappedBytes_);
  std::swap(position_, other.position_);
  std::swap(oldest_, other.oldest_);
  std::swap(end_, other.end_);
  std::swap(moves_, other.moves_);
  std::swap(groupDepth_, other.groupDepth_);
  std::swap(insideGroup_, other.insideGroup_);
}

}  // namespace zmf

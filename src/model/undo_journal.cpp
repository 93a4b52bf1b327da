// The journal's ring: one anonymous mapping of its whole capacity.
#include "model/undo_journal.h"

#include <sys/mman.h>

#include <new>
#include <utility>

namespace zmf {

void UndoJournal::Map(std::uint64_t capacity) {
  capacity = std::max<std::uint64_t>(capacity, 64);
  for (;;) {
    // Nothing is reserved from the system's memory for it: pages come as words are written.
    void* memory = ::mmap(nullptr, capacity * sizeof(JournalWord), PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory != MAP_FAILED) {
      ::madvise(memory, capacity * sizeof(JournalWord), MADV_HUGEPAGE);
      words_ = static_cast<JournalWord*>(memory);
      capacity_ = capacity;
      return;
    }
    if (capacity <= 64) throw std::bad_alloc();
    capacity /= 2;
  }
}

void UndoJournal::Unmap() {
  if (words_ != nullptr) ::munmap(words_, capacity_ * sizeof(JournalWord));
  words_ = nullptr;
  capacity_ = 0;
}

void UndoJournal::Swap(UndoJournal& other) noexcept {
  std::swap(capacity_, other.capacity_);
  std::swap(words_, other.words_);
  std::swap(position_, other.position_);
  std::swap(oldest_, other.oldest_);
  std::swap(end_, other.end_);
  std::swap(moves_, other.moves_);
  std::swap(groupDepth_, other.groupDepth_);
  std::swap(insideGroup_, other.insideGroup_);
}

}  // namespace zmf

// The ring of words that undo and redo walk. It stores words and positions only; what the words
// of a record mean, and how long a record is, belongs to the journaled edits (src/edit).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "model/pool.h"

namespace zmf {

// One journal word: 32 bits holding an integer exactly or a float as it was.
struct JournalWord {
  std::uint32_t bits = 0;

  static JournalWord Int(std::int32_t v) { return {static_cast<std::uint32_t>(v)}; }
  static JournalWord Uint(std::uint32_t v) { return {v}; }
  static JournalWord Float(float v) { return {std::bit_cast<std::uint32_t>(v)}; }
  std::int32_t AsInt() const { return static_cast<std::int32_t>(bits); }
  std::uint32_t AsUint() const { return bits; }
  float AsFloat() const { return std::bit_cast<float>(bits); }
};

// A ring of at most `capacity` words, allocated only as it fills. Positions count words written
// and not undone and are never reduced; the word of position p sits at p modulo the capacity.
//
// Beside the undo position the ring keeps the start of the oldest record whose words are all
// intact (Undo stops there, never reading a word that a newer record overwrote) and the end of
// the newest record (Redo stops there; a new edit after Undo discards the undone records).
class UndoJournal {
 public:
  static constexpr std::uint64_t kDefaultCapacity = std::uint64_t{1} << 26;  // 256 MiB of words

  explicit UndoJournal(std::uint64_t capacity = kDefaultCapacity) : capacity_(capacity) {}

  // An empty history (New, Open, start-up). Memory already taken is kept for reuse.
  void Reset() {
    position_ = oldest_ = end_ = 0;
    insideGroup_ = false;
  }
  // An empty history in a ring of another size; used by tests to make the ring wrap.
  void Resize(std::uint64_t capacity) {
    capacity_ = capacity < 64 ? 64 : capacity;
    words_.clear();
    words_.shrink_to_fit();
    Reset();
  }

  // Makes room for `words` more words while the ring has not yet filled, so that one big edit
  // grows its memory once instead of by doubling. It grows at least twofold when it grows at all,
  // so that a run of big edits does not copy the words once each. Only a hint; never beyond the
  // capacity.
  void Reserve(std::uint64_t words) {
    const std::uint64_t size = words_.size();
    const std::uint64_t wanted = std::min<std::uint64_t>(capacity_, size + std::max(words, size));
    if (size + words > words_.capacity()) {
      ReserveOnHugePages(words_, static_cast<std::size_t>(wanted));
    }
  }

  std::uint64_t position() const { return position_; }
  std::uint64_t oldest() const { return oldest_; }
  std::uint64_t end() const { return end_; }
  std::uint64_t capacity() const { return capacity_; }

  // True when the next word written would overwrite the first word of the oldest record: the
  // writer then drops that record whole with DropOldest.
  bool full() const { return position_ - oldest_ >= capacity_; }
  // Gives up the oldest `words` words (one record); never moves past the undo position.
  void DropOldest(std::uint64_t words) { oldest_ = std::min(oldest_ + words, position_); }

  // Appends one word at the undo position; what lay beyond it is no longer redoable. A word
  // written into a full ring drops one word of the oldest record (writers drop whole records
  // first; see full()).
  void Write(JournalWord word) {
    if (full()) DropOldest(1);
    const std::uint64_t index = Slot(position_);
    if (index == words_.size()) {
      words_.push_back(word);
    } else {
      words_[index] = word;
    }
    ++position_;
    ++moves_;
    end_ = position_;
    insideGroup_ = false;
  }

  // Moves the position within the intact range, one word at a time.
  void StepBack() {
    if (position_ > oldest_) {
      --position_;
      ++moves_;
    }
  }
  void StepForward() {
    if (position_ < end_) {
      ++position_;
      ++moves_;
    }
  }
  // Counts every word written and every step of Undo and Redo, and is never reset: the model
  // adds it to its change count, so any journaled edit, undone or redone, counts as a change.
  std::uint64_t moves() const { return moves_; }

  JournalWord At(std::uint64_t position) const { return words_[Slot(position)]; }
  // Rewrites a word in place; used when the lists are renumbered and the ids in the records
  // must follow.
  void Overwrite(std::uint64_t position, JournalWord word) { words_[Slot(position)] = word; }

  // Group brackets of compound edits, which may call one another: only the outermost bracket
  // writes its markers, so one Undo still takes the whole edit. Enter returns true when a marker
  // is to be written (the outermost opens), Leave likewise (the outermost closes).
  bool EnterGroup() { return groupDepth_++ == 0; }
  bool LeaveGroup() { return groupDepth_ != 0 && --groupDepth_ == 0; }

  // Set while the position lies inside a group whose opening marker the ring overwrote (Undo
  // stopped at the oldest intact record there), so that Redo finishes that group before taking
  // the next one. Cleared by Redo, by any write and by Reset.
  bool insideGroup() const { return insideGroup_; }
  void SetInsideGroup(bool inside) { insideGroup_ = inside; }

 private:
  // Where position p sits in the ring. The default capacity is a power of two, where a mask
  // does what a division would on every word written.
  std::uint64_t Slot(std::uint64_t p) const {
    return (capacity_ & (capacity_ - 1)) == 0 ? p & (capacity_ - 1) : p % capacity_;
  }

  std::uint64_t capacity_;
  std::vector<JournalWord> words_;
  std::uint64_t position_ = 0;
  std::uint64_t oldest_ = 0;
  std::uint64_t end_ = 0;
  std::uint64_t moves_ = 0;
  std::uint32_t groupDepth_ = 0;  // open JournalGroup brackets
  bool insideGroup_ = false;
};

}  // namespace zmf

// The ring of words that undo and redo walk. It stores words and positions only; what the words
// of a record mean, and how long a record is, belongs to the journaled edits (src/edit).
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

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

// A ring of at most `capacity` words. Positions count words written and not undone and are
// never reduced; the word of position p sits at p modulo the capacity. The ring is one mapping of
// the whole capacity made up front, which the system backs with memory only where words are
// written: it never grows by copying, and an edit of any size writes straight into it.
//
// Beside the undo position the ring keeps the start of the oldest record whose words are all
// intact (Undo stops there, never reading a word that a newer record overwrote) and the end of
// the newest record (Redo stops there; a new edit after Undo discards the undone records).
class UndoJournal {
 public:
  static constexpr std::uint64_t kDefaultCapacity = std::uint64_t{1} << 26;  // 256 MiB of words

  // A ring of `capacity` words (at least 64). Should the system refuse to map that many, the
  // ring is halved until it agrees.
  explicit UndoJournal(std::uint64_t capacity = kDefaultCapacity) { Map(capacity); }
  ~UndoJournal() { Unmap(); }
  UndoJournal(const UndoJournal&) = delete;
  UndoJournal& operator=(const UndoJournal&) = delete;
  UndoJournal(UndoJournal&& other) noexcept { Swap(other); }
  UndoJournal& operator=(UndoJournal&& other) noexcept {
    Swap(other);
    return *this;
  }

  // An empty history (New, Open, start-up). Memory already taken is kept for reuse.
  void Reset() {
    position_ = oldest_ = end_ = 0;
    insideGroup_ = false;
  }
  // An empty history in a ring of another size; used by tests to make the ring wrap.
  void Resize(std::uint64_t capacity) {
    Unmap();
    Map(capacity);
    Reset();
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
    words_[Slot(position_)] = word;
    ++position_;
    ++moves_;
    end_ = position_;
    insideGroup_ = false;
  }

  // Room for `n` words at the undo position in one piece, taken as written (the caller fills
  // it at once); null when the ring would have to drop a record or wrap around first, and the
  // words are then to go one at a time.
  JournalWord* Claim(std::uint64_t n) {
    const std::uint64_t index = Slot(position_);
    if (position_ - oldest_ + n > capacity_ || index + n > capacity_) return nullptr;
    position_ += n;
    moves_ += n;
    end_ = position_;
    insideGroup_ = false;
    return words_ + index;
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

  void Map(std::uint64_t capacity);
  void Unmap();
  void Swap(UndoJournal& other) noexcept;

  std::uint64_t capacity_ = 0;
  JournalWord* words_ = nullptr;  // the mapping of capacity_ words
  std::size_t mappedBytes_ = 0;   // its size, whole pages
  std::uint64_t position_ = 0;
  std::uint64_t oldest_ = 0;
  std::uint64_t end_ = 0;
  std::uint64_t moves_ = 0;
  std::uint32_t groupDepth_ = 0;  // open JournalGroup brackets
  bool insideGroup_ = false;
};

}  // namespace zmf

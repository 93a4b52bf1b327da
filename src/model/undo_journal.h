// The ring of words that undo and redo walk: records of every journaled edit.
#pragma once

#include <bit>
#include <cstdint>
#include <functional>
#include <vector>

namespace zmf {

// Record codes. Every record is written as its code, its fields, and its code again (the group
// marker is a single word), so the journal reads in either direction.
enum JournalCode : std::int32_t {
  kGroupMarker = 8970,
  kAddVertex = 8971,         // id; position xyz; normal xyz; u, v                            11
  kDeleteVertex = 8972,      // id; position xyz; normal xyz; u, v                            11
  kSetVertex = 8973,         // id; new position, normal, u, v; old position, normal, u, v    19
  kAddFace = 8977,           // id; vertex ids a, b, c                                         6
  kDeleteFace = 8978,        // id; vertex ids a, b, c                                         6
  kSetFaceVertices = 8979,   // id; new a, b, c; old a, b, c                                   9
  kSetFaceMaterial = 8980,   // id; new material; old material                                 5
  kAddMaterial = 8981,       // name                                                       n + 4
  kDeleteMaterial = 8982,    // index; name; 16 colours; shininess; flag [path, mode, value, flag]
  kSetMaterialColours = 8983,  // index; new 16 colours, shininess; old 16 colours, shininess  37
  kSetMaterialTexture = 8984,  // index; new flag [path, mode, value] flag; old flag [...] flag
  kAddBone = 8987,           // name; parent; local matrix (16); grams                   n + 22
  kDeleteBone = 8988,        // one lone word before the deletion and one after; never undone
  kSetBone = 8989,           // bone; new parent, matrix (16), grams; old parent, matrix, grams 39
  kAddVertexWeight = 8990,   // bone; vertex id                                                4
  kRemoveVertexWeight = 8991,  // bone; vertex id                                              4
  kSetKeyBoneMatrix = 9001,  // animation; key; key bone; new matrix (16); old matrix (16)     37
};
// Strings are written as their length, one word per character, and the length again. The
// sixteen colour values of a material are component-major: the reds of ambient, diffuse,
// emission and specular, then their greens, blues and alphas.
//
// The set-bone record carries the old parent, matrix and grams after the new ones, so that Undo
// can restore them; it is 39 words long.

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

  std::uint64_t position() const { return position_; }
  std::uint64_t oldest() const { return oldest_; }
  std::uint64_t end() const { return end_; }
  std::uint64_t capacity() const { return capacity_; }

  // Appends one word at the undo position; what lay beyond it is no longer redoable.
  void Write(JournalWord word);

  // The undo side: steps back one word and reads it. False at the oldest intact record.
  bool ReadBack(JournalWord& word);
  // The redo side: reads the word at the position and steps past it. False at the end.
  bool ReadForward(JournalWord& word);
  // Moves the position (within the intact range) to put a word back after a failed read.
  void StepBack() {
    if (position_ > oldest_) --position_;
  }
  void StepForward() {
    if (position_ < end_) ++position_;
  }

  JournalWord At(std::uint64_t position) const { return words_[position % capacity_]; }

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

  // Rewrites every vertex id and face id held by the intact records, undone ones included,
  // through the given maps: used when the lists are renumbered, so that Undo and Redo keep
  // finding the records they mean.
  void RemapIds(const std::function<std::uint32_t(std::uint32_t)>& vertexId,
                const std::function<std::uint32_t(std::uint32_t)>& faceId);

  // The number of words of the record starting at `position` (1 for a word that starts none).
  std::uint64_t RecordLength(std::uint64_t position) const;
  // The start of the record whose trailing code sits just before `end`, read backwards; false
  // when the words there do not form a whole record inside the intact part of the ring.
  bool RecordStart(std::uint64_t end, std::uint64_t& start) const;

 private:
  std::uint64_t capacity_;
  std::vector<JournalWord> words_;
  std::uint64_t position_ = 0;
  std::uint64_t oldest_ = 0;
  std::uint64_t end_ = 0;
  std::uint32_t groupDepth_ = 0;  // open JournalGroup brackets
  bool insideGroup_ = false;
};

}  // namespace zmf

// Writing and reading journal words, and keeping track of the intact part of the ring.
#include "model/undo_journal.h"

namespace zmf {

void UndoJournal::Write(JournalWord word) {
  // The word about to be written may be the first word of the oldest record: that record is
  // then lost, and so the oldest intact record is the next one.
  while (position_ - oldest_ >= capacity_) oldest_ += RecordLength(oldest_);
  const std::uint64_t index = position_ % capacity_;
  if (index == words_.size()) {
    words_.push_back(word);
  } else {
    words_[index] = word;
  }
  ++position_;
  end_ = position_;
  insideGroup_ = false;
}

bool UndoJournal::ReadBack(JournalWord& word) {
  if (position_ <= oldest_) return false;
  --position_;
  word = At(position_);
  return true;
}

bool UndoJournal::ReadForward(JournalWord& word) {
  if (position_ >= end_) return false;
  word = At(position_);
  ++position_;
  return true;
}

std::uint64_t UndoJournal::RecordLength(std::uint64_t p) const {
  if (p >= end_) return 1;
  auto word = [&](std::uint64_t offset) { return At(p + offset).AsUint(); };
  switch (At(p).AsInt()) {
    case kAddVertex:
    case kDeleteVertex:
      return 11;
    case kSetVertex:
      return 19;
    case kAddFace:
    case kDeleteFace:
      return 6;
    case kSetFaceVertices:
      return 9;
    case kSetFaceMaterial:
      return 5;
    case kAddMaterial:
      return word(1) + 4;
    case kDeleteMaterial: {
      const std::uint64_t n = word(2);
      const bool textured = word(2 + n + 2 + 16 + 1) != 0;
      if (!textured) return n + 23;
      return n + word(2 + n + 2 + 16 + 2) + 28;
    }
    case kSetMaterialTexture: {
      std::uint64_t length = 7;
      std::uint64_t at = 2;  // the new flag
      if (word(at) != 0) {
        const std::uint64_t m = word(at + 1);
        length += m + 4;
        at += m + 4;
      }
      at += 2;  // the new flag's copy, then the old flag
      if (word(at) != 0) length += word(at + 1) + 4;
      return length;
    }
    case kAddBone:
      return word(1) + 22;
    case kSetBone:
      return 39;
    case kSetMaterialColours:
      return 37;
    case kAddVertexWeight:
    case kRemoveVertexWeight:
      return 4;
    case kSetKeyBoneMatrix:
      return 37;
    default:  // group markers, bone-deletion words
      return 1;
  }
}

void UndoJournal::RemapIds(const std::function<std::uint32_t(std::uint32_t)>& vertexId,
                           const std::function<std::uint32_t(std::uint32_t)>& faceId) {
  auto remap = [&](std::uint64_t at, const std::function<std::uint32_t(std::uint32_t)>& map) {
    JournalWord& word = words_[at % capacity_];
    word = JournalWord::Uint(map(word.AsUint()));
  };
  for (std::uint64_t p = oldest_; p < end_;) {
    const std::uint64_t length = RecordLength(p);
    if (p + length > end_) break;
    switch (At(p).AsInt()) {
      case kAddVertex:
      case kDeleteVertex:
      case kSetVertex:
        remap(p + 1, vertexId);
        break;
      case kAddFace:
      case kDeleteFace:
        remap(p + 1, faceId);
        for (int i = 2; i <= 4; ++i) remap(p + i, vertexId);
        break;
      case kSetFaceVertices:
        remap(p + 1, faceId);
        for (int i = 2; i <= 7; ++i) remap(p + i, vertexId);
        break;
      case kSetFaceMaterial:
        remap(p + 1, faceId);
        break;
      case kAddVertexWeight:
      case kRemoveVertexWeight:
        remap(p + 2, vertexId);
        break;
      default:
        break;
    }
    p += length;
  }
}

bool UndoJournal::RecordStart(std::uint64_t end, std::uint64_t& start) const {
  if (end <= oldest_ || end > end_) return false;
  const std::uint64_t available = end - oldest_;
  // Reads the word `back` places before `end`, refusing anything older than the oldest record.
  bool inside = true;
  auto word = [&](std::uint64_t back) -> std::uint64_t {
    if (back > available) {
      inside = false;
      return 0;
    }
    return At(end - back).AsUint();
  };
  const std::int32_t code = static_cast<std::int32_t>(word(1));
  std::uint64_t length = 0;
  switch (code) {
    case kAddMaterial:
      length = word(2) + 4;
      break;
    case kAddBone:
      length = word(20) + 22;
      break;
    case kDeleteMaterial:
      if (word(2) == 0) {
        length = word(20) + 23;
      } else {
        const std::uint64_t m = word(5);
        length = word(m + 25) + m + 28;
      }
      break;
    case kSetMaterialTexture: {
      std::uint64_t back = 2;  // the old flag's copy
      back += word(back) != 0 ? word(back + 3) + 5 : 1;  // now the old flag
      back += 1;                                          // the new flag's copy
      back += word(back) != 0 ? word(back + 3) + 5 : 1;  // now the new flag
      length = back + 2;                                  // the index and the leading code
      break;
    }
    default:
      // Fixed sizes: the trailing code tells the size as a leading code would; a lone word
      // (group marker, bone deletion, or no code at all) is one word long.
      length = RecordLength(end - 1);
      break;
  }
  if (!inside || length == 0 || length > available) return false;
  start = end - length;
  // Both ends must agree and the forward reading must give the same size.
  return At(start).AsInt() == code && RecordLength(start) == length;
}

}  // namespace zmf

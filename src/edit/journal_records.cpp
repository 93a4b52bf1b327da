// Measuring, decoding and remapping journal records by their layouts.
#include "edit/journal_records.h"

#include <algorithm>
#include <vector>

namespace zmf::edit {

namespace journal_layout {

void Put(UndoJournal& j, FieldKind, std::string_view s) {
  WriteJournalWord(j, JournalWord::Uint(static_cast<std::uint32_t>(s.size())));
  for (char c : s) WriteJournalWord(j, JournalWord::Int(static_cast<signed char>(c)));
  WriteJournalWord(j, JournalWord::Uint(static_cast<std::uint32_t>(s.size())));
}

void Put(UndoJournal& j, FieldKind, const MaterialColours& c) {
  for (int component = 0; component < 4; ++component) {
    for (const Colour* colour : {&c.ambient, &c.diffuse, &c.emission, &c.specular}) {
      WriteJournalWord(j, JournalWord::Float((*colour)[component]));
    }
  }
  WriteJournalWord(j, JournalWord::Uint(c.shininess));
}

void Put(UndoJournal& j, FieldKind kind, const TextureSettings& t) {
  const std::uint32_t flag = t.enabled ? 1 : 0;
  WriteJournalWord(j, JournalWord::Uint(flag));
  Put(j, kind, std::string_view(t.file));
  WriteJournalWord(j, JournalWord::Uint(t.alphaMode));
  WriteJournalWord(j, JournalWord::Float(t.alphaValue));
  WriteJournalWord(j, JournalWord::Uint(flag));
}

void Put(UndoJournal& j, FieldKind kind, const BoneDeletionSnapshot& s) {
  const auto words = static_cast<std::uint32_t>(s.Words());
  auto uint = [&](std::uint32_t v) { WriteJournalWord(j, JournalWord::Uint(v)); };
  auto sint = [&](std::int32_t v) { WriteJournalWord(j, JournalWord::Int(v)); };
  auto real = [&](float v) { WriteJournalWord(j, JournalWord::Float(v)); };
  auto matrix = [&](const Matrix4& m) {
    for (float f : m.m) real(f);
  };
  uint(s.bone);
  uint(words);
  uint(static_cast<std::uint32_t>(s.bones.size()));
  sint(s.rootBone);
  for (const BoneDeletionSnapshot::BoneState& b : s.bones) {
    Put(j, kind, std::string_view(b.name));
    Put(j, kind, std::string_view(b.parentName));
    sint(b.parent);
    sint(b.firstChild);
    sint(b.nextSibling);
    matrix(b.localMatrix);
    matrix(b.poseMatrix);
    real(b.grams);
    uint(static_cast<std::uint32_t>(b.weights.size()));
    for (const auto& [vertex, weight] : b.weights) {
      uint(vertex);
      real(weight);
    }
  }
  uint(static_cast<std::uint32_t>(s.keyBones.size()));
  for (const BoneDeletionSnapshot::RemovedKeyBone& k : s.keyBones) {
    uint(k.animation);
    uint(k.key);
    uint(k.slot);
    matrix(k.matrix);
    Put(j, kind, std::string_view(k.boneName));
  }
  uint(words);
  uint(s.bone);
}

}  // namespace journal_layout

namespace {

// Words of a bone's state in a deletion snapshot before its weight pairs, names excluded: the
// two name lengths twice each, three links, two matrices, grams and the weight count.
constexpr std::uint64_t kBoneStateWords = 4 + 3 + 16 + 16 + 1 + 1;
// Words of a removed key bone, its name's characters excluded: animation, key, slot, matrix and
// the name's length twice.
constexpr std::uint64_t kRemovedKeyBoneWords = 3 + 16 + 2;

constexpr std::int32_t kFirstCode = kGroupMarker;
constexpr std::int32_t kLastCode = kSetKeyBoneMatrix;

// Layouts by code, for the walks' one lookup per record.
constexpr auto kLayoutsByCode = [] {
  std::array<const RecordLayout*, kLastCode - kFirstCode + 1> byCode{};
  for (const RecordLayout& layout : journal_layout::kLayouts) {
    byCode[layout.code - kFirstCode] = &layout;
  }
  return byCode;
}();

// The words of one field read forwards from `at`; `word(offset)` reads the word `offset` places
// after `at`. Zero only for a field that cannot be measured (never the case: every kind has at
// least one word).
template <class WordAt>
std::uint64_t FieldWordsForward(FieldKind kind, WordAt word) {
  switch (kind) {
    case FieldKind::String:
      return std::uint64_t{word(0)} + 2;
    case FieldKind::Texture:
      return std::uint64_t{word(1)} + 6;  // the flag, then the path's length
    case FieldKind::BoneDeletion:
      // The leading index tells a record from the two lone bone-deletion words: whatever word
      // follows a lone one is a code or lies beyond the end (read as 0, giving a record that
      // runs past the end), never a bone index.
      return word(0) < kMaxBones ? std::uint64_t{word(1)} + 4 : 0;
    default:
      return journal_layout::FixedWords(kind);
  }
}

// The words of the field starting at `at`; words beyond the end of the journal read as 0.
std::uint64_t FieldWords(const UndoJournal& journal, FieldKind kind, std::uint64_t at) {
  return FieldWordsForward(kind, [&](std::uint64_t offset) -> std::uint32_t {
    return at + offset < journal.end() ? journal.At(at + offset).AsUint() : 0;
  });
}

// The same read backwards: `word(back)` reads the word `back` places before the field's end,
// `word(1)` being its last word.
template <class WordBefore>
std::uint64_t FieldWordsBackward(FieldKind kind, WordBefore word) {
  switch (kind) {
    case FieldKind::String:
      return std::uint64_t{word(1)} + 2;
    case FieldKind::Texture:
      // The path's trailing length sits behind the flag, the alpha value and the alpha mode.
      return std::uint64_t{word(4)} + 6;
    case FieldKind::BoneDeletion:
      return word(1) < kMaxBones ? std::uint64_t{word(2)} + 4 : 0;
    default:
      return journal_layout::FixedWords(kind);
  }
}

// Reads a record forward from its start, never past its end.
class Reader {
 public:
  Reader(const UndoJournal& journal, std::uint64_t start, std::uint64_t end)
      : journal_(journal), at_(start), end_(end) {}

  bool ok() const { return ok_; }
  JournalWord Next() {
    if (at_ >= end_) {
      ok_ = false;
      return {};
    }
    return journal_.At(at_++);
  }
  std::int32_t Int() { return Next().AsInt(); }
  std::uint32_t Uint() { return Next().AsUint(); }
  float Float() { return Next().AsFloat(); }
  Vector3 Vec() {
    Vector3 v;
    v.x = Float();
    v.y = Float();
    v.z = Float();
    return v;
  }
  std::string String() {
    const std::uint32_t n = Uint();
    std::string s;
    if (n > end_ - at_) {
      ok_ = false;
      return s;
    }
    s.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) s.push_back(static_cast<char>(Int()));
    Uint();
    return s;
  }
  void Colours(MaterialColours& c) {
    for (int component = 0; component < 4; ++component) {
      for (Colour* colour : {&c.ambient, &c.diffuse, &c.emission, &c.specular}) {
        (*colour)[component] = Float();
      }
    }
    c.shininess = Uint();
  }
  // Fails unless the flag is the same at both ends.
  void Texture(TextureSettings& t) {
    const std::uint32_t flag = Uint();
    t.enabled = flag != 0;
    t.file = String();
    t.alphaMode = Uint();
    t.alphaValue = Float();
    ok_ = ok_ && Uint() == flag;
  }
  void Matrix(Matrix4& m) {
    for (float& value : m.m) value = Float();
  }
  // Fails (and stops reading) unless the words have the snapshot's shape exactly: counts that
  // fit in what is left, the length and the index the same at both ends.
  void BoneDeletion(BoneDeletionSnapshot& s) {
    s.bone = Uint();
    const std::uint32_t words = Uint();
    if (!ok_ || words > end_ - at_) {
      ok_ = false;
      return;
    }
    const std::uint64_t snapshotEnd = at_ + words;
    auto fits = [&](std::uint64_t count, std::uint64_t eachWords) {
      ok_ = ok_ && count <= (snapshotEnd - std::min(at_, snapshotEnd)) / eachWords;
      return ok_;
    };
    const std::uint32_t boneCount = Uint();
    s.rootBone = Int();
    if (!fits(boneCount, kBoneStateWords) || boneCount > kMaxBones || s.bone >= boneCount) {
      ok_ = false;
      return;
    }
    s.bones.resize(boneCount);
    for (BoneDeletionSnapshot::BoneState& b : s.bones) {
      b.name = String();
      b.parentName = String();
      b.parent = Int();
      b.firstChild = Int();
      b.nextSibling = Int();
      Matrix(b.localMatrix);
      Matrix(b.poseMatrix);
      b.grams = Float();
      const std::uint32_t weights = Uint();
      if (!fits(weights, 2)) return;
      b.weights.resize(weights);
      for (auto& [vertex, weight] : b.weights) {
        vertex = Uint();
        weight = Float();
      }
    }
    const std::uint32_t keyBones = Uint();
    if (!fits(keyBones, kRemovedKeyBoneWords)) return;
    s.keyBones.resize(keyBones);
    for (BoneDeletionSnapshot::RemovedKeyBone& k : s.keyBones) {
      k.animation = Uint();
      k.key = Uint();
      k.slot = Uint();
      Matrix(k.matrix);
      k.boneName = String();
    }
    ok_ = ok_ && at_ == snapshotEnd && Uint() == words && Uint() == s.bone;
  }

  void Field(const RecordField& f, JournalRecord& r) {
    switch (f.kind) {
      case FieldKind::VertexId:
      case FieldKind::FaceId:
      case FieldKind::Uint:
        r.*f.word = Uint();
        break;
      case FieldKind::Corners:
        for (std::uint32_t& id : r.*f.corners) id = Uint();
        break;
      case FieldKind::Int:
        r.*f.signedWord = Int();
        break;
      case FieldKind::Float:
        r.*f.scalar = Float();
        break;
      case FieldKind::Vector:
        r.*f.vector = Vec();
        break;
      case FieldKind::Matrix:
        Matrix(r.*f.matrix);
        break;
      case FieldKind::String:
        r.*f.text = String();
        break;
      case FieldKind::Colours:
        Colours(r.*f.colours);
        break;
      case FieldKind::Texture:
        Texture(r.*f.texture);
        break;
      case FieldKind::BoneDeletion:
        BoneDeletion(r.*f.deletion);
        break;
    }
  }

 private:
  const UndoJournal& journal_;
  std::uint64_t at_;
  std::uint64_t end_;
  bool ok_ = true;
};

// The positions of the vertex ids in the weights of a bone-deletion field that starts at `at`
// and spans `words` words; false (and nothing gathered) when the words do not have its shape.
bool DeletionVertexIdWords(const UndoJournal& journal, std::uint64_t at, std::uint64_t words,
                           std::vector<std::uint64_t>& ids) {
  ids.clear();
  const std::uint64_t end = at + words - 2;  // the snapshot's end: before its length and index
  std::uint64_t p = at + 2;
  auto word = [&](std::uint64_t position) -> std::uint64_t {
    return position < end ? journal.At(position).AsUint() : 0;
  };
  const std::uint64_t boneCount = word(p);
  if (p + 2 > end || boneCount > kMaxBones) return false;
  p += 2;
  for (std::uint64_t b = 0; b < boneCount; ++b) {
    for (int name = 0; name < 2; ++name) {
      if (p >= end) return false;
      p += word(p) + 2;
    }
    p += 3 + 16 + 16 + 1;
    if (p >= end) return false;
    const std::uint64_t weights = word(p++);
    if (weights > (end - p) / 2) return false;
    for (std::uint64_t w = 0; w < weights; ++w, p += 2) ids.push_back(p);
  }
  return p < end;
}

}  // namespace

std::uint64_t BoneDeletionSnapshot::Words() const {
  std::uint64_t words = 2 + 1;  // bone count, rootBone; the key-bone count
  for (const BoneState& b : bones) {
    words += kBoneStateWords + b.name.size() + b.parentName.size() + 2 * b.weights.size();
  }
  for (const RemovedKeyBone& k : keyBones) words += kRemovedKeyBoneWords + k.boneName.size();
  return words;
}

const RecordLayout* FindRecordLayout(std::int32_t code) {
  if (code < kFirstCode || code > kLastCode) return nullptr;
  return kLayoutsByCode[code - kFirstCode];
}

void WriteJournalWord(UndoJournal& journal, JournalWord word) {
  // The word about to be written may be the first word of the oldest record: that record is
  // then lost, and so the oldest intact record is the next one.
  if (journal.full()) journal.DropOldest(RecordLength(journal, journal.oldest()));
  journal.Write(word);
}

std::uint64_t RecordLength(const UndoJournal& journal, std::uint64_t p) {
  if (p >= journal.end()) return 1;
  const RecordLayout* layout = FindRecordLayout(journal.At(p).AsInt());
  if (layout == nullptr) return 1;
  if (layout->fixedLength != 0) return layout->fixedLength;
  std::uint64_t at = p + 1;
  for (const RecordField& field : layout->fields) {
    const std::uint64_t words = FieldWords(journal, field.kind, at);
    if (words == 0) return 1;  // the code stands alone
    at += words;
  }
  return at + 1 - p;
}

bool RecordStart(const UndoJournal& journal, std::uint64_t end, std::uint64_t& start) {
  if (end <= journal.oldest() || end > journal.end()) return false;
  const std::uint64_t available = end - journal.oldest();
  const std::int32_t code = journal.At(end - 1).AsInt();
  const RecordLayout* layout = FindRecordLayout(code);
  std::uint64_t length = 1;  // a lone word, or no code at all
  if (layout != nullptr && layout->fixedLength != 0) {
    length = layout->fixedLength;
  } else if (layout != nullptr) {
    // Walk the fields from the last, each measured from its own end; a word before the oldest
    // intact record is never read.
    std::uint64_t back = 1;  // words behind the current field's end: the trailing code
    for (auto field = layout->fields.rbegin(); field != layout->fields.rend(); ++field) {
      bool inside = true;
      const std::uint64_t words =
          FieldWordsBackward(field->kind, [&](std::uint64_t before) -> std::uint64_t {
            if (back + before > available) {
              inside = false;
              return 0;
            }
            return journal.At(end - back - before).AsUint();
          });
      if (!inside || words == 0) return false;
      back += words;
      if (back > available) return false;
    }
    length = back + 1;  // the leading code
  }
  if (length > available) return false;
  start = end - length;
  // Both ends must agree and the forward reading must give the same size.
  return journal.At(start).AsInt() == code && RecordLength(journal, start) == length;
}

bool DecodeRecord(const UndoJournal& journal, std::uint64_t start, std::uint64_t end,
                  JournalRecord& r) {
  Reader in(journal, start, end);
  r.code = in.Int();
  const RecordLayout* layout = FindRecordLayout(r.code);
  if (layout == nullptr) return false;
  for (const RecordField& field : layout->fields) in.Field(field, r);
  return in.ok() && in.Int() == r.code && in.ok();
}

void RemapJournalIds(UndoJournal& journal,
                     const std::function<std::uint32_t(std::uint32_t)>& vertexId,
                     const std::function<std::uint32_t(std::uint32_t)>& faceId) {
  auto remap = [&](std::uint64_t at, const std::function<std::uint32_t(std::uint32_t)>& map) {
    journal.Overwrite(at, JournalWord::Uint(map(journal.At(at).AsUint())));
  };
  std::vector<std::uint64_t> weightIds;
  for (std::uint64_t p = journal.oldest(); p < journal.end();) {
    const std::uint64_t length = RecordLength(journal, p);
    if (p + length > journal.end()) break;
    const RecordLayout* layout = FindRecordLayout(journal.At(p).AsInt());
    if (layout != nullptr && length > 1) {
      std::uint64_t at = p + 1;
      for (const RecordField& field : layout->fields) {
        const std::uint64_t words = FieldWords(journal, field.kind, at);
        if (field.kind == FieldKind::VertexId) remap(at, vertexId);
        if (field.kind == FieldKind::FaceId) remap(at, faceId);
        if (field.kind == FieldKind::Corners) {
          for (int i = 0; i < 3; ++i) remap(at + i, vertexId);
        }
        if (field.kind == FieldKind::BoneDeletion &&
            DeletionVertexIdWords(journal, at, words, weightIds)) {
          for (std::uint64_t id : weightIds) remap(id, vertexId);
        }
        at += words;
      }
    }
    p += length;
  }
}

}  // namespace zmf::edit

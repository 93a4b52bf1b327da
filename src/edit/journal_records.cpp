// Measuring, decoding and remapping journal records by their layouts.
#include "edit/journal_records.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace zmf::edit {

namespace {

// ---- the snapshots' field tables
//
// A snapshot field (a bone deletion, an animation deletion, a whole-model transform) is its
// leading word (the deleted bone's or animation's index, the transform), the word count n of the
// snapshot, the snapshot's n words, n again and the leading word again. The snapshot's words are
// laid out by the tables below, part by part: a member of a part is a field of the kind its type
// gives (a uint32 a Uint word, or a VertexId where marked so; an int32 an Int, a float a Float,
// a vector a Vector, a matrix a Matrix, a string a String); a list is its entry count (one word)
// and, at another place of the part, its entries one after the other.

using BoneState = BoneDeletionSnapshot::BoneState;
using RemovedKeyBone = BoneDeletionSnapshot::RemovedKeyBone;
using Weight = std::pair<std::uint32_t, float>;  // vertex id, weight

// The kind of field a member of a part is held as, by its type.
template <class M>
constexpr FieldKind kKindOf = std::is_same_v<M, std::string>    ? FieldKind::String
                              : std::is_same_v<M, Matrix4>      ? FieldKind::Matrix
                              : std::is_same_v<M, Vector3>      ? FieldKind::Vector
                              : std::is_same_v<M, float>        ? FieldKind::Float
                              : std::is_same_v<M, std::int32_t> ? FieldKind::Int
                                                                : FieldKind::Uint;

template <class S, class M, FieldKind Kind = kKindOf<M>>
struct PartMember {
  static constexpr FieldKind kind = Kind;
  M S::*member;
};
template <class S, class T, class Fields>
struct PartList {
  std::vector<T> S::*entries;
  const Fields* fields;  // the layout of each entry
  std::uint32_t most;    // the most entries a snapshot may hold
};
template <class List>
struct CountOf {
  List list;
};
template <class List>
struct EntriesOf {
  List list;
};

template <class S, class M>
constexpr PartMember<S, M> Member(M S::*member) {
  return {member};
}
// A vertex id, rewritten when the ids are renumbered.
template <class S>
constexpr PartMember<S, std::uint32_t, FieldKind::VertexId> VertexIdMember(
    std::uint32_t S::*member) {
  return {member};
}
template <class S, class T, class Fields>
constexpr PartList<S, T, Fields> List(std::vector<T> S::*entries, const Fields& fields,
                                      std::uint32_t most = 0xFFFFFFFFu) {
  return {entries, &fields, most};
}
template <class List>
constexpr CountOf<List> Count(const List& list) {
  return {list};
}
template <class List>
constexpr EntriesOf<List> Entries(const List& list) {
  return {list};
}

constexpr std::tuple kWeightFields{VertexIdMember(&Weight::first), Member(&Weight::second)};
constexpr auto kWeights = List(&BoneState::weights, kWeightFields);
constexpr std::tuple kBoneStateFields{Member(&BoneState::name),
                                      Member(&BoneState::parentName),
                                      Member(&BoneState::parent),
                                      Member(&BoneState::firstChild),
                                      Member(&BoneState::nextSibling),
                                      Member(&BoneState::localMatrix),
                                      Member(&BoneState::poseMatrix),
                                      Member(&BoneState::grams),
                                      Count(kWeights),
                                      Entries(kWeights)};
constexpr std::tuple kRemovedKeyBoneFields{
    Member(&RemovedKeyBone::animation), Member(&RemovedKeyBone::key), Member(&RemovedKeyBone::slot),
    Member(&RemovedKeyBone::matrix), Member(&RemovedKeyBone::boneName)};
constexpr auto kBones = List(&BoneDeletionSnapshot::bones, kBoneStateFields, kMaxBones);
constexpr auto kKeyBones = List(&BoneDeletionSnapshot::keyBones, kRemovedKeyBoneFields);
constexpr std::tuple kSnapshotFields{Count(kBones), Member(&BoneDeletionSnapshot::rootBone),
                                     Entries(kBones), Count(kKeyBones), Entries(kKeyBones)};

using AnimationKey = AnimationDeletionSnapshot::KeyState;
using AnimationKeyBone = AnimationDeletionSnapshot::KeyBoneState;
constexpr std::tuple kAnimationKeyBoneFields{Member(&AnimationKeyBone::bone),
                                             Member(&AnimationKeyBone::matrix),
                                             Member(&AnimationKeyBone::boneName)};
constexpr auto kAnimationKeyBones =
    List(&AnimationKey::keyBones, kAnimationKeyBoneFields, kMaxKeyBones);
constexpr std::tuple kAnimationKeyFields{Member(&AnimationKey::time), Count(kAnimationKeyBones),
                                         Entries(kAnimationKeyBones)};
constexpr auto kAnimationKeys =
    List(&AnimationDeletionSnapshot::keys, kAnimationKeyFields, kMaxKeys);
constexpr std::tuple kAnimationFields{Member(&AnimationDeletionSnapshot::currentAnimation),
                                      Member(&AnimationDeletionSnapshot::currentKey),
                                      Member(&AnimationDeletionSnapshot::currentKeyBone),
                                      Member(&AnimationDeletionSnapshot::name),
                                      Member(&AnimationDeletionSnapshot::totalTime),
                                      Count(kAnimationKeys),
                                      Entries(kAnimationKeys)};

using TransformedVertex = ModelTransformSnapshot::VertexState;
using TransformedBone = ModelTransformSnapshot::BoneState;
using TransformedKeyBone = ModelTransformSnapshot::KeyBoneState;
constexpr std::tuple kTransformedVertexFields{VertexIdMember(&TransformedVertex::id),
                                              Member(&TransformedVertex::position),
                                              Member(&TransformedVertex::normal)};
constexpr std::tuple kTransformedBoneFields{Member(&TransformedBone::bone),
                                            Member(&TransformedBone::localMatrix)};
constexpr std::tuple kTransformedKeyBoneFields{
    Member(&TransformedKeyBone::animation), Member(&TransformedKeyBone::key),
    Member(&TransformedKeyBone::slot), Member(&TransformedKeyBone::matrix)};
constexpr auto kTransformedVertices =
    List(&ModelTransformSnapshot::vertices, kTransformedVertexFields);
constexpr auto kTransformedBones =
    List(&ModelTransformSnapshot::bones, kTransformedBoneFields, kMaxBones);
constexpr auto kTransformedKeyBones =
    List(&ModelTransformSnapshot::keyBones, kTransformedKeyBoneFields);
constexpr std::tuple kTransformFields{Member(&ModelTransformSnapshot::values),
                                      Count(kTransformedVertices),
                                      Entries(kTransformedVertices),
                                      Count(kTransformedBones),
                                      Entries(kTransformedBones),
                                      Count(kTransformedKeyBones),
                                      Entries(kTransformedKeyBones)};

// What sets each snapshot apart: its field table, its leading word, how many values that word
// may take (a word at or above that is a code, never a snapshot's lead) and what a decoded
// snapshot must satisfy besides its shape.
template <class S>
struct SnapshotLayout;
template <>
struct SnapshotLayout<BoneDeletionSnapshot> {
  static constexpr const auto& kFields = kSnapshotFields;
  static constexpr std::uint32_t BoneDeletionSnapshot::*kLead = &BoneDeletionSnapshot::bone;
  static bool Valid(const BoneDeletionSnapshot& s) { return s.bone < s.bones.size(); }
};
template <>
struct SnapshotLayout<AnimationDeletionSnapshot> {
  static constexpr const auto& kFields = kAnimationFields;
  static constexpr std::uint32_t AnimationDeletionSnapshot::*kLead =
      &AnimationDeletionSnapshot::animation;
  static bool Valid(const AnimationDeletionSnapshot& s) { return s.animation < kMaxAnimations; }
};
template <>
struct SnapshotLayout<ModelTransformSnapshot> {
  static constexpr const auto& kFields = kTransformFields;
  static constexpr std::uint32_t ModelTransformSnapshot::*kLead =
      &ModelTransformSnapshot::transform;
  static bool Valid(const ModelTransformSnapshot& s) { return s.transform < kModelTransforms; }
};

// The values a snapshot field's leading word may take.
constexpr std::uint32_t LeadingWords(FieldKind kind) {
  switch (kind) {
    case FieldKind::BoneDeletion:
      return kMaxBones;
    case FieldKind::AnimationDeletion:
      return kMaxAnimations;
    default:
      return kModelTransforms;
  }
}

template <class Field>
constexpr bool kIsMember = false;
template <class S, class M, FieldKind Kind>
constexpr bool kIsMember<PartMember<S, M, Kind>> = true;
template <class Field>
constexpr bool kIsString = false;
template <class S>
constexpr bool kIsString<PartMember<S, std::string, FieldKind::String>> = true;
template <class Field>
constexpr bool kIsCount = false;
template <class List>
constexpr bool kIsCount<CountOf<List>> = true;

// Calls visit(field) for each field of a table, in order.
template <class Fields, class Visit>
void ForEachField(const Fields& fields, const Visit& visit) {
  std::apply([&](const auto&... field) { (visit(field), ...); }, fields);
}

// The fewest words a field takes: an empty string, a list without entries.
template <class Field>
constexpr std::uint64_t LeastWords(const Field&) {
  if constexpr (kIsMember<Field>) {
    return kIsString<Field> ? 2 : journal_layout::FixedWords(Field::kind);
  } else {
    return kIsCount<Field> ? 1 : 0;
  }
}
// The same for an entry of a list.
template <class Fields>
constexpr std::uint64_t LeastEntryWords(const Fields& fields) {
  return std::apply([](const auto&... field) { return (LeastWords(field) + ...); }, fields);
}

// The words of a part as its table lays it out.
template <class S, class Fields>
std::uint64_t PartWords(const S& part, const Fields& fields) {
  std::uint64_t words = 0;
  ForEachField(fields, [&]<class Field>(const Field& field) {
    words += LeastWords(field);
    if constexpr (kIsString<Field>) {
      words += (part.*field.member).size();
    } else if constexpr (!kIsMember<Field> && !kIsCount<Field>) {
      for (const auto& entry : part.*field.list.entries) {
        words += PartWords(entry, *field.list.fields);
      }
    }
  });
  return words;
}

}  // namespace

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

// Writes a part's words as its table lays them out.
template <class S, class Fields>
void PutPart(UndoJournal& j, const S& part, const Fields& fields) {
  ForEachField(fields, [&]<class Field>(const Field& field) {
    if constexpr (kIsString<Field>) {
      Put(j, Field::kind, std::string_view(part.*field.member));
    } else if constexpr (kIsMember<Field>) {
      Put(j, Field::kind, part.*field.member);
    } else if constexpr (kIsCount<Field>) {
      Put(j, FieldKind::Uint, static_cast<std::uint32_t>((part.*field.list.entries).size()));
    } else {
      for (const auto& entry : part.*field.list.entries) PutPart(j, entry, *field.list.fields);
    }
  });
}

template <class S>
void PutSnapshot(UndoJournal& j, const S& s) {
  const auto words = static_cast<std::uint32_t>(s.Words());
  const std::uint32_t lead = s.*SnapshotLayout<S>::kLead;
  WriteJournalWord(j, JournalWord::Uint(lead));
  WriteJournalWord(j, JournalWord::Uint(words));
  PutPart(j, s, SnapshotLayout<S>::kFields);
  WriteJournalWord(j, JournalWord::Uint(words));
  WriteJournalWord(j, JournalWord::Uint(lead));
}

void Put(UndoJournal& j, FieldKind, const BoneDeletionSnapshot& s) { PutSnapshot(j, s); }
void Put(UndoJournal& j, FieldKind, const AnimationDeletionSnapshot& s) { PutSnapshot(j, s); }
void Put(UndoJournal& j, FieldKind, const ModelTransformSnapshot& s) { PutSnapshot(j, s); }

}  // namespace journal_layout

namespace {

constexpr std::int32_t kFirstCode = kGroupMarker;
constexpr std::int32_t kLastCode = kAddPlainVertex;

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
    case FieldKind::AnimationDeletion:
    case FieldKind::ModelTransform:
      // The leading word tells a record from the two lone words of its code: whatever word
      // follows a lone one is a code or lies beyond the end (read as 0, giving a record that
      // runs past the end), never a bone index, an animation index or a transform.
      return word(0) < LeadingWords(kind) ? std::uint64_t{word(1)} + 4 : 0;
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
    case FieldKind::AnimationDeletion:
    case FieldKind::ModelTransform:
      return word(1) < LeadingWords(kind) ? std::uint64_t{word(2)} + 4 : 0;
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
  // fit in what is left, the length and the leading word the same at both ends, and what the
  // snapshot must satisfy (a bone deletion's index one of the bones).
  template <class S>
  void ReadSnapshot(S& s) {
    std::uint32_t& lead = s.*SnapshotLayout<S>::kLead;
    lead = Uint();
    const std::uint32_t words = Uint();
    if (!ok_ || words > end_ - at_) {
      ok_ = false;
      return;
    }
    snapshotEnd_ = at_ + words;
    Part(s, SnapshotLayout<S>::kFields);
    ok_ = ok_ && SnapshotLayout<S>::Valid(s) && at_ == snapshotEnd_ && Uint() == words &&
          Uint() == lead;
  }

  // From now on notes the position of every vertex id a snapshot holds.
  void NoteVertexIds(std::vector<std::uint64_t>& positions) { vertexIds_ = &positions; }

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
        ReadSnapshot(r.*f.deletion);
        break;
      case FieldKind::AnimationDeletion:
        ReadSnapshot(r.*f.animationDeletion);
        break;
      case FieldKind::ModelTransform:
        ReadSnapshot(r.*f.transform);
        break;
    }
  }

 private:
  // A part of a bone-deletion snapshot as its table lays it out, until a word does not fit.
  template <class S, class Fields>
  void Part(S& part, const Fields& fields) {
    ForEachField(fields, [&]<class Field>(const Field& field) {
      if (!ok_) return;
      if constexpr (kIsMember<Field>) {
        auto& value = part.*field.member;
        if constexpr (Field::kind == FieldKind::VertexId) {
          if (vertexIds_ != nullptr) vertexIds_->push_back(at_);
        }
        if constexpr (Field::kind == FieldKind::String) {
          value = String();
        } else if constexpr (Field::kind == FieldKind::Matrix) {
          Matrix(value);
        } else if constexpr (Field::kind == FieldKind::Vector) {
          value = Vec();
        } else if constexpr (Field::kind == FieldKind::Float) {
          value = Float();
        } else if constexpr (Field::kind == FieldKind::Int) {
          value = Int();
        } else {
          value = Uint();
        }
      } else if constexpr (kIsCount<Field>) {
        // No more entries than the snapshot's words left could hold.
        const std::uint32_t count = Uint();
        const std::uint64_t left = snapshotEnd_ - std::min(at_, snapshotEnd_);
        ok_ =
            ok_ && count <= field.list.most && count <= left / LeastEntryWords(*field.list.fields);
        if (ok_) (part.*field.list.entries).resize(count);
      } else {
        for (auto& entry : part.*field.list.entries) Part(entry, *field.list.fields);
      }
    });
  }

  const UndoJournal& journal_;
  std::uint64_t at_;
  std::uint64_t end_;
  bool ok_ = true;
  std::uint64_t snapshotEnd_ = 0;                    // of the snapshot being read
  std::vector<std::uint64_t>* vertexIds_ = nullptr;  // where vertex ids are noted, if anywhere
};

// The positions of the vertex ids of a snapshot field of the given kind that starts at `at` and
// spans `words` words (the weights of a bone deletion, the vertices of a transform); false when
// the words do not have its shape.
bool SnapshotVertexIdWords(const UndoJournal& journal, FieldKind kind, std::uint64_t at,
                           std::uint64_t words, std::vector<std::uint64_t>& ids) {
  ids.clear();
  Reader in(journal, at, at + words);
  in.NoteVertexIds(ids);
  if (kind == FieldKind::BoneDeletion) {
    BoneDeletionSnapshot snapshot;
    in.ReadSnapshot(snapshot);
  } else if (kind == FieldKind::ModelTransform) {
    ModelTransformSnapshot snapshot;
    in.ReadSnapshot(snapshot);
  }  // an animation deletion holds no vertex ids
  return in.ok();
}

}  // namespace

std::uint64_t BoneDeletionSnapshot::Words() const { return PartWords(*this, kSnapshotFields); }
std::uint64_t AnimationDeletionSnapshot::Words() const {
  return PartWords(*this, kAnimationFields);
}
std::uint64_t ModelTransformSnapshot::Words() const { return PartWords(*this, kTransformFields); }

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

void WriteJournalWords(UndoJournal& journal, const JournalWord* words, std::size_t n) {
  if (JournalWord* at = journal.Claim(n)) {
    std::copy(words, words + n, at);
    return;
  }
  for (std::size_t i = 0; i < n; ++i) WriteJournalWord(journal, words[i]);
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
  std::vector<std::uint64_t> vertexIds;
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
        if (IsSnapshot(field.kind) &&
            SnapshotVertexIdWords(journal, field.kind, at, words, vertexIds)) {
          for (std::uint64_t id : vertexIds) remap(id, vertexId);
        }
        at += words;
      }
    }
    p += length;
  }
}

}  // namespace zmf::edit

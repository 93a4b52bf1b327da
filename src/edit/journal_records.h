// The records of the undo journal: one table of fields per record code, from which writing,
// measuring (forwards and backwards), decoding and id remapping are all derived.
//
// Every record is written as its code, its fields, and its code again, so the journal reads in
// either direction. The group marker is a lone word rather than a record. A bone deletion, an
// animation deletion and a whole-model transform are records whose one field holds a snapshot of
// what they change (see BoneDeletionSnapshot, AnimationDeletionSnapshot and
// ModelTransformSnapshot); an edit too big for the ring is written as two lone words of its code
// instead, one before and one after it, and those stop both Undo and Redo.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/math_types.h"
#include "model/tables.h"
#include "model/undo_journal.h"

namespace zmf::edit {

enum JournalCode : std::int32_t {
  kGroupMarker = 8970,
  kAddVertex = 8971,
  kDeleteVertex = 8972,
  kSetVertex = 8973,
  kAddFace = 8977,
  kDeleteFace = 8978,
  kSetFaceVertices = 8979,
  kSetFaceMaterial = 8980,
  kAddMaterial = 8981,
  kDeleteMaterial = 8982,
  kSetMaterialColours = 8983,
  kSetMaterialTexture = 8984,
  kAddBone = 8987,
  kDeleteBone = 8988,
  kSetBone = 8989,
  kAddVertexWeight = 8990,
  kRemoveVertexWeight = 8991,
  kSetKeyBoneMatrix = 9001,
  kDeleteAnimation = 9002,
  kDeleteKeyBone = 9003,
  kTransformModel = 9004,
  // An added vertex with normal (0, 0, 1) and texture coordinates (0, 0), what importers that
  // read positions alone add: the record of kAddVertex without the values every such vertex
  // shares, 6 words instead of 11.
  kAddPlainVertex = 9005,
};

// The normal of a vertex that kAddPlainVertex records.
inline constexpr Vector3 kPlainNormal{0.0f, 0.0f, 1.0f};

// The kinds of field a record holds, with their words.
enum class FieldKind : std::uint8_t {
  VertexId,           // 1: a vertex id, rewritten when the lists are renumbered
  FaceId,             // 1: a face id, likewise
  Corners,            // 3: the vertex ids of a face's corners a, b, c, likewise
  Uint,               // 1: an index or a material
  Int,                // 1: a bone parent, -1 for none
  Float,              // 1
  Vector,             // 3: x, y, z
  Matrix,             // 16: in the matrix's storage order
  String,             // n + 2: the length, one word per character, the length again
  Colours,            // 17: ambient, diffuse, emission, specular component-major (their reds, then
                      //     greens, blues, alphas), then the shininess
  Texture,            // n + 6: the flag, the path (a String), alpha mode, alpha value, the flag
                      //     again; path and alpha settings are kept also when the flag is 0, so a
                      //     texture switched off keeps them through Undo and Redo
  BoneDeletion,       // n + 4: the deleted bone's index, the word count n of the snapshot, the
                      //     snapshot's n words, n again, the index again (BoneDeletionSnapshot)
  AnimationDeletion,  // n + 4: likewise, led by the deleted animation's index
                      //     (AnimationDeletionSnapshot)
  ModelTransform,     // n + 4: likewise, led by the transform (ModelTransformSnapshot)
};

// Whether a field is a snapshot: a leading word, the word count n, n words, n, the leading word.
constexpr bool IsSnapshot(FieldKind kind) {
  return kind == FieldKind::BoneDeletion || kind == FieldKind::AnimationDeletion ||
         kind == FieldKind::ModelTransform;
}

// A material's colours as the colour records hold them.
struct MaterialColours {
  Colour ambient{}, diffuse{}, emission{}, specular{};
  std::uint32_t shininess = 0;

  static MaterialColours Of(const Material& m) {
    return {m.ambient, m.diffuse, m.emission, m.specular, m.shininess};
  }
};

// A material's texture settings as the texture records hold them.
struct TextureSettings {
  bool enabled = false;
  std::string file;
  std::uint32_t alphaMode = 0;
  float alphaValue = 0.0f;

  static TextureSettings Of(const Material& m) {
    return {m.hasTexture != 0, m.textureFile, m.alphaMode, m.alphaValue};
  }
};

// What a bone deletion changes, taken just before it: every bone of the table as it stood (links,
// names, matrices, grams, weights in list order) and the key bones that posed the deleted bone.
// Key bones of the other bones only change their bone index (those above the deleted one go
// down by one), which Undo reverses without help.
//
// In the record, after the index and the word count, the snapshot's words follow its field
// tables (journal_records.cpp): the bone count and rootBone, the bones' states, the count of
// removed key bones and the removed key bones.
struct BoneDeletionSnapshot {
  struct BoneState {
    std::string name;
    std::string parentName;
    std::int32_t parent = kNoBone;
    std::int32_t firstChild = kNoBone;
    std::int32_t nextSibling = kNoBone;
    Matrix4 localMatrix;
    Matrix4 poseMatrix;
    float grams = 0.0f;
    std::vector<std::pair<std::uint32_t, float>> weights;  // vertex id, weight

    friend bool operator==(const BoneState&, const BoneState&) = default;
  };
  struct RemovedKeyBone {
    std::uint32_t animation = 0;
    std::uint32_t key = 0;
    std::uint32_t slot = 0;  // its place in the key before the deletion
    Matrix4 matrix;
    std::string boneName;

    friend bool operator==(const RemovedKeyBone&, const RemovedKeyBone&) = default;
  };

  std::uint32_t bone = 0;  // the bone deleted
  std::int32_t rootBone = kNoBone;
  std::vector<BoneState> bones;  // the whole table before the deletion, in index order
  // By animation, then key, then slot, ascending: the order in which Undo puts them back.
  std::vector<RemovedKeyBone> keyBones;

  friend bool operator==(const BoneDeletionSnapshot&, const BoneDeletionSnapshot&) = default;

  // The words of the snapshot proper (n above).
  std::uint64_t Words() const;
  // The words of the whole record, both codes included.
  std::uint64_t RecordWords() const { return Words() + 6; }
};

// What an animation deletion removes, taken just before it: the animation with its keys and key
// bones, and the current animation, key and key bone, which Undo puts back. The other animations
// only move down a slot, which Undo reverses without help.
struct AnimationDeletionSnapshot {
  struct KeyBoneState {
    std::uint32_t bone = 0;
    Matrix4 matrix;
    std::string boneName;

    friend bool operator==(const KeyBoneState&, const KeyBoneState&) = default;
  };
  struct KeyState {
    float time = 0.0f;
    std::vector<KeyBoneState> keyBones;

    friend bool operator==(const KeyState&, const KeyState&) = default;
  };

  std::uint32_t animation = 0;  // the slot it held
  std::int32_t currentAnimation = -1, currentKey = -1, currentKeyBone = -1;
  std::string name;
  float totalTime = 0.0f;
  std::vector<KeyState> keys;

  friend bool operator==(const AnimationDeletionSnapshot&,
                         const AnimationDeletionSnapshot&) = default;

  std::uint64_t Words() const;
  std::uint64_t RecordWords() const { return Words() + 6; }
};

// The whole-model transforms of the Matrix menu.
enum class ModelTransform : std::uint32_t { Translate, Rotate, Scale };
inline constexpr std::uint32_t kModelTransforms = 3;

// A whole-model transform: which one and its three numbers, which Redo applies again, and every
// value it changes as it stood before, which Undo puts back: each vertex's position and normal
// (by id), each bone's local matrix, the matrix of each key bone in use (by animation, key and
// slot).
struct ModelTransformSnapshot {
  struct VertexState {
    std::uint32_t id = 0;
    Vector3 position, normal;

    friend bool operator==(const VertexState&, const VertexState&) = default;
  };
  struct BoneState {
    std::uint32_t bone = 0;
    Matrix4 localMatrix;

    friend bool operator==(const BoneState&, const BoneState&) = default;
  };
  struct KeyBoneState {
    std::uint32_t animation = 0, key = 0, slot = 0;
    Matrix4 matrix;

    friend bool operator==(const KeyBoneState&, const KeyBoneState&) = default;
  };

  std::uint32_t transform = 0;  // a ModelTransform
  Vector3 values;
  std::vector<VertexState> vertices;
  std::vector<BoneState> bones;
  std::vector<KeyBoneState> keyBones;

  friend bool operator==(const ModelTransformSnapshot&, const ModelTransformSnapshot&) = default;

  std::uint64_t Words() const;
  std::uint64_t RecordWords() const { return Words() + 6; }
};

// One decoded record: every field any record holds. The table below says which members a code
// fills; the others keep their defaults.
struct JournalRecord {
  std::int32_t code = 0;
  std::uint32_t id = 0;     // the vertex or face the record is about
  std::uint32_t index = 0;  // the material, bone or animation
  std::uint32_t key = 0, keyBone = 0;
  std::uint32_t bone = 0;  // the bone a deleted key bone posed
  std::int32_t currentAnimation = -1, currentKey = -1, currentKeyBone = -1;
  Vector3 position, normal, oldPosition, oldNormal;
  float u = 0, v = 0, oldU = 0, oldV = 0;
  std::array<std::uint32_t, 3> corners{}, oldCorners{};
  std::uint32_t material = 0, oldMaterial = 0;
  std::string name;
  MaterialColours colours, oldColours;
  TextureSettings texture, oldTexture;
  std::int32_t parent = -1, oldParent = -1;
  Matrix4 matrix, oldMatrix;
  float grams = 0, oldGrams = 0;
  BoneDeletionSnapshot deletion;
  AnimationDeletionSnapshot animationDeletion;
  ModelTransformSnapshot transform;
};

// One field of a record layout: its kind and the member of JournalRecord it decodes into (the
// member pointer matching the kind is the one set).
struct RecordField {
  FieldKind kind;
  std::uint32_t JournalRecord::*word = nullptr;
  std::int32_t JournalRecord::*signedWord = nullptr;
  float JournalRecord::*scalar = nullptr;
  Vector3 JournalRecord::*vector = nullptr;
  std::array<std::uint32_t, 3> JournalRecord::*corners = nullptr;
  Matrix4 JournalRecord::*matrix = nullptr;
  std::string JournalRecord::*text = nullptr;
  MaterialColours JournalRecord::*colours = nullptr;
  TextureSettings JournalRecord::*texture = nullptr;
  BoneDeletionSnapshot JournalRecord::*deletion = nullptr;
  AnimationDeletionSnapshot JournalRecord::*animationDeletion = nullptr;
  ModelTransformSnapshot JournalRecord::*transform = nullptr;
};

// The fields between a record's leading and trailing code. The new values of a set record come
// before the old ones, so Redo reads the former and Undo the latter.
struct RecordLayout {
  JournalCode code = kGroupMarker;
  std::span<const RecordField> fields;
  std::uint32_t fixedLength = 0;  // the whole record's words, codes included; 0 when it varies
};

// The layout of a record code; null for the lone words and for words that start no record.
const RecordLayout* FindRecordLayout(std::int32_t code);
// The same at compile time, for the writer's check of its arguments.
constexpr const RecordLayout& RecordLayoutOf(JournalCode code);

// The number of words of the record starting at `position` (1 for a word that starts none, and
// for a position at or beyond the end).
std::uint64_t RecordLength(const UndoJournal& journal, std::uint64_t position);
// The start of the record whose trailing code sits just before `end`, read backwards; false
// when the words there do not form a whole record inside the intact part of the ring.
bool RecordStart(const UndoJournal& journal, std::uint64_t end, std::uint64_t& start);
// Decodes the record in [start, end); false unless it is one whole record of a known code.
bool DecodeRecord(const UndoJournal& journal, std::uint64_t start, std::uint64_t end,
                  JournalRecord& record);
// Rewrites every vertex id and face id held by the intact records, undone ones included,
// through the given maps, so that Undo and Redo keep finding the records they mean after the
// lists are renumbered.
void RemapJournalIds(UndoJournal& journal,
                     const std::function<std::uint32_t(std::uint32_t)>& vertexId,
                     const std::function<std::uint32_t(std::uint32_t)>& faceId);

// Writes one word, first dropping the oldest record whole when the ring is full.
void WriteJournalWord(UndoJournal& journal, JournalWord word);
// Writes `n` words of one record, as WriteJournalWord would one by one.
void WriteJournalWords(UndoJournal& journal, const JournalWord* words, std::size_t n);

// ---- the table

namespace journal_layout {

using R = JournalRecord;
constexpr RecordField VertexId(std::uint32_t R::*m) {
  return {.kind = FieldKind::VertexId, .word = m};
}
constexpr RecordField FaceId(std::uint32_t R::*m) { return {.kind = FieldKind::FaceId, .word = m}; }
constexpr RecordField Corners(std::array<std::uint32_t, 3> R::*m) {
  return {.kind = FieldKind::Corners, .corners = m};
}
constexpr RecordField Uint(std::uint32_t R::*m) { return {.kind = FieldKind::Uint, .word = m}; }
constexpr RecordField Int(std::int32_t R::*m) { return {.kind = FieldKind::Int, .signedWord = m}; }
constexpr RecordField Float(float R::*m) { return {.kind = FieldKind::Float, .scalar = m}; }
constexpr RecordField Vec(Vector3 R::*m) { return {.kind = FieldKind::Vector, .vector = m}; }
constexpr RecordField Mat(Matrix4 R::*m) { return {.kind = FieldKind::Matrix, .matrix = m}; }
constexpr RecordField String(std::string R::*m) { return {.kind = FieldKind::String, .text = m}; }
constexpr RecordField Colours(MaterialColours R::*m) {
  return {.kind = FieldKind::Colours, .colours = m};
}
constexpr RecordField Texture(TextureSettings R::*m) {
  return {.kind = FieldKind::Texture, .texture = m};
}
constexpr RecordField BoneDeletion(BoneDeletionSnapshot R::*m) {
  return {.kind = FieldKind::BoneDeletion, .deletion = m};
}
constexpr RecordField AnimationDeletion(AnimationDeletionSnapshot R::*m) {
  return {.kind = FieldKind::AnimationDeletion, .animationDeletion = m};
}
constexpr RecordField Transform(ModelTransformSnapshot R::*m) {
  return {.kind = FieldKind::ModelTransform, .transform = m};
}

inline constexpr RecordField kVertexFields[] = {VertexId(&R::id), Vec(&R::position),
                                                Vec(&R::normal), Float(&R::u), Float(&R::v)};
inline constexpr RecordField kPlainVertexFields[] = {VertexId(&R::id), Vec(&R::position)};
inline constexpr RecordField kSetVertexFields[] = {
    VertexId(&R::id),     Vec(&R::position),  Vec(&R::normal), Float(&R::u),   Float(&R::v),
    Vec(&R::oldPosition), Vec(&R::oldNormal), Float(&R::oldU), Float(&R::oldV)};
inline constexpr RecordField kFaceFields[] = {FaceId(&R::id), Corners(&R::corners)};
inline constexpr RecordField kSetFaceVerticesFields[] = {FaceId(&R::id), Corners(&R::corners),
                                                         Corners(&R::oldCorners)};
inline constexpr RecordField kSetFaceMaterialFields[] = {FaceId(&R::id), Uint(&R::material),
                                                         Uint(&R::oldMaterial)};
inline constexpr RecordField kAddMaterialFields[] = {String(&R::name)};
inline constexpr RecordField kDeleteMaterialFields[] = {Uint(&R::index), String(&R::name),
                                                        Colours(&R::colours), Texture(&R::texture)};
inline constexpr RecordField kSetMaterialColoursFields[] = {Uint(&R::index), Colours(&R::colours),
                                                            Colours(&R::oldColours)};
inline constexpr RecordField kSetMaterialTextureFields[] = {Uint(&R::index), Texture(&R::texture),
                                                            Texture(&R::oldTexture)};
inline constexpr RecordField kAddBoneFields[] = {String(&R::name), Int(&R::parent), Mat(&R::matrix),
                                                 Float(&R::grams)};
inline constexpr RecordField kSetBoneFields[] = {
    Uint(&R::index),    Int(&R::parent),    Mat(&R::matrix),    Float(&R::grams),
    Int(&R::oldParent), Mat(&R::oldMatrix), Float(&R::oldGrams)};
inline constexpr RecordField kVertexWeightFields[] = {Uint(&R::index), VertexId(&R::id)};
inline constexpr RecordField kDeleteBoneFields[] = {BoneDeletion(&R::deletion)};
inline constexpr RecordField kSetKeyBoneMatrixFields[] = {
    Uint(&R::index), Uint(&R::key), Uint(&R::keyBone), Mat(&R::matrix), Mat(&R::oldMatrix)};
inline constexpr RecordField kDeleteAnimationFields[] = {AnimationDeletion(&R::animationDeletion)};
// The animation, key and slot, the key bone's bone, matrix and name, then the current
// animation, key and key bone before the deletion.
inline constexpr RecordField kDeleteKeyBoneFields[] = {
    Uint(&R::index),        Uint(&R::key),    Uint(&R::keyBone),         Uint(&R::bone),
    Mat(&R::matrix),        String(&R::name), Int(&R::currentAnimation), Int(&R::currentKey),
    Int(&R::currentKeyBone)};
inline constexpr RecordField kTransformModelFields[] = {Transform(&R::transform)};

constexpr std::uint32_t FixedWords(FieldKind kind) {
  switch (kind) {
    case FieldKind::Corners:
    case FieldKind::Vector:
      return 3;
    case FieldKind::Matrix:
      return 16;
    case FieldKind::Colours:
      return 17;
    case FieldKind::String:
    case FieldKind::Texture:
    case FieldKind::BoneDeletion:
    case FieldKind::AnimationDeletion:
    case FieldKind::ModelTransform:
      return 0;  // varies
    default:
      return 1;
  }
}

constexpr RecordLayout Layout(JournalCode code, std::span<const RecordField> fields) {
  std::uint32_t length = 2;
  for (const RecordField& f : fields) {
    const std::uint32_t words = FixedWords(f.kind);
    if (words == 0) return {code, fields, 0};
    length += words;
  }
  return {code, fields, length};
}

inline constexpr RecordLayout kLayouts[] = {
    Layout(kAddVertex, kVertexFields),
    Layout(kDeleteVertex, kVertexFields),
    Layout(kAddPlainVertex, kPlainVertexFields),
    Layout(kSetVertex, kSetVertexFields),
    Layout(kAddFace, kFaceFields),
    Layout(kDeleteFace, kFaceFields),
    Layout(kSetFaceVertices, kSetFaceVerticesFields),
    Layout(kSetFaceMaterial, kSetFaceMaterialFields),
    Layout(kAddMaterial, kAddMaterialFields),
    Layout(kDeleteMaterial, kDeleteMaterialFields),
    Layout(kSetMaterialColours, kSetMaterialColoursFields),
    Layout(kSetMaterialTexture, kSetMaterialTextureFields),
    Layout(kAddBone, kAddBoneFields),
    Layout(kDeleteBone, kDeleteBoneFields),
    Layout(kSetBone, kSetBoneFields),
    Layout(kAddVertexWeight, kVertexWeightFields),
    Layout(kRemoveVertexWeight, kVertexWeightFields),
    Layout(kSetKeyBoneMatrix, kSetKeyBoneMatrixFields),
    Layout(kDeleteAnimation, kDeleteAnimationFields),
    Layout(kDeleteKeyBone, kDeleteKeyBoneFields),
    Layout(kTransformModel, kTransformModelFields),
};

// What a writer passes for each kind of field.
template <class T>
constexpr bool Accepts(FieldKind kind) {
  switch (kind) {
    case FieldKind::VertexId:
    case FieldKind::FaceId:
    case FieldKind::Uint:
      return std::is_same_v<T, std::uint32_t>;
    case FieldKind::Corners:
      return std::is_same_v<T, std::array<std::uint32_t, 3>>;
    case FieldKind::Int:
      return std::is_same_v<T, std::int32_t>;
    case FieldKind::Float:
      return std::is_same_v<T, float>;
    case FieldKind::Vector:
      return std::is_same_v<T, Vector3>;
    case FieldKind::Matrix:
      return std::is_same_v<T, Matrix4>;
    case FieldKind::String:
      return std::is_same_v<T, std::string_view>;
    case FieldKind::Colours:
      return std::is_same_v<T, MaterialColours>;
    case FieldKind::Texture:
      return std::is_same_v<T, TextureSettings>;
    case FieldKind::BoneDeletion:
      return std::is_same_v<T, BoneDeletionSnapshot>;
    case FieldKind::AnimationDeletion:
      return std::is_same_v<T, AnimationDeletionSnapshot>;
    case FieldKind::ModelTransform:
      return std::is_same_v<T, ModelTransformSnapshot>;
  }
  return false;
}

template <class... Values>
constexpr bool Matches(const RecordLayout& layout) {
  if (layout.fields.size() != sizeof...(Values)) return false;
  std::size_t i = 0;
  return (Accepts<Values>(layout.fields[i++].kind) && ...);
}

inline void Put(UndoJournal& j, FieldKind, std::uint32_t v) {
  WriteJournalWord(j, JournalWord::Uint(v));
}
inline void Put(UndoJournal& j, FieldKind, std::int32_t v) {
  WriteJournalWord(j, JournalWord::Int(v));
}
inline void Put(UndoJournal& j, FieldKind, float v) { WriteJournalWord(j, JournalWord::Float(v)); }
inline void Put(UndoJournal& j, FieldKind, const std::array<std::uint32_t, 3>& ids) {
  for (std::uint32_t id : ids) WriteJournalWord(j, JournalWord::Uint(id));
}
inline void Put(UndoJournal& j, FieldKind, const Vector3& v) {
  WriteJournalWord(j, JournalWord::Float(v.x));
  WriteJournalWord(j, JournalWord::Float(v.y));
  WriteJournalWord(j, JournalWord::Float(v.z));
}
inline void Put(UndoJournal& j, FieldKind, const Matrix4& m) {
  for (float f : m.m) WriteJournalWord(j, JournalWord::Float(f));
}
// A record of fixed length made in a buffer first, to be written in one piece.
struct WordBuffer {
  JournalWord* at;
  void Add(JournalWord word) { *at++ = word; }
};
inline void Put(WordBuffer& b, FieldKind, std::uint32_t v) { b.Add(JournalWord::Uint(v)); }
inline void Put(WordBuffer& b, FieldKind, std::int32_t v) { b.Add(JournalWord::Int(v)); }
inline void Put(WordBuffer& b, FieldKind, float v) { b.Add(JournalWord::Float(v)); }
inline void Put(WordBuffer& b, FieldKind, const std::array<std::uint32_t, 3>& ids) {
  for (std::uint32_t id : ids) b.Add(JournalWord::Uint(id));
}
inline void Put(WordBuffer& b, FieldKind, const Vector3& v) {
  b.Add(JournalWord::Float(v.x));
  b.Add(JournalWord::Float(v.y));
  b.Add(JournalWord::Float(v.z));
}
inline void Put(WordBuffer& b, FieldKind, const Matrix4& m) {
  for (float f : m.m) b.Add(JournalWord::Float(f));
}
template <class T>
concept Buffered = requires(WordBuffer& b, const T& value) {
  Put(b, FieldKind::Uint, value);
};

void Put(UndoJournal& j, FieldKind, std::string_view s);
void Put(UndoJournal& j, FieldKind, const MaterialColours& c);
void Put(UndoJournal& j, FieldKind, const TextureSettings& t);
void Put(UndoJournal& j, FieldKind kind, const BoneDeletionSnapshot& s);
void Put(UndoJournal& j, FieldKind kind, const AnimationDeletionSnapshot& s);
void Put(UndoJournal& j, FieldKind kind, const ModelTransformSnapshot& s);

}  // namespace journal_layout

constexpr const RecordLayout& RecordLayoutOf(JournalCode code) {
  for (const RecordLayout& layout : journal_layout::kLayouts) {
    if (layout.code == code) return layout;
  }
  throw "no record layout for this code";  // a compile-time error where it is used
}

// Writes a whole record: the code, the values in the order of the code's layout, the code again.
// The values' types must match the layout's fields one for one, checked when compiling.
template <JournalCode code, class... Values>
void WriteRecord(UndoJournal& journal, const Values&... values) {
  constexpr const RecordLayout& layout = RecordLayoutOf(code);
  static_assert(journal_layout::Matches<Values...>(layout),
                "the values do not match the record's layout");
  [[maybe_unused]] const std::uint64_t start = journal.position();
  std::size_t field = 0;
  if constexpr (layout.fixedLength != 0 && (journal_layout::Buffered<Values> && ...)) {
    // The hot records (added vertices and faces, set positions) are made first and written in
    // one piece.
    JournalWord words[layout.fixedLength];
    journal_layout::WordBuffer buffer{words};
    buffer.Add(JournalWord::Int(code));
    (journal_layout::Put(buffer, layout.fields[field++].kind, values), ...);
    buffer.Add(JournalWord::Int(code));
    WriteJournalWords(journal, words, layout.fixedLength);
  } else {
    WriteJournalWord(journal, JournalWord::Int(code));
    (journal_layout::Put(journal, layout.fields[field++].kind, values), ...);
    WriteJournalWord(journal, JournalWord::Int(code));
  }
  assert(start < journal.oldest() || RecordLength(journal, start) == journal.position() - start);
}

// Writes a lone word: the group marker, or one of the two words of a snapshot record's code that
// stand for an edit too big to record (no record starts with two of them, so they are never
// misread).
inline void WriteLoneWord(UndoJournal& journal, JournalCode code) {
  assert(code == kGroupMarker || code == kDeleteBone || code == kDeleteAnimation ||
         code == kTransformModel);
  WriteJournalWord(journal, JournalWord::Int(code));
}

// Writes a snapshot record, or, when it would not fit in the ring, the two lone words of its code
// around `edit` (which then stays final); otherwise runs `edit` after the record.
template <JournalCode code, class Snapshot, class Edit>
void WriteSnapshotRecord(UndoJournal& journal, const Snapshot& snapshot, const Edit& edit) {
  const std::uint64_t words = snapshot.Words();
  if (words + 6 > journal.capacity() || words > 0xFFFFFFFFu) {
    WriteLoneWord(journal, code);
    edit();
    WriteLoneWord(journal, code);
    return;
  }
  WriteRecord<code>(journal, snapshot);
  edit();
}

}  // namespace zmf::edit

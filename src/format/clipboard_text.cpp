// Clipboard texts: built from the selection or the current item, and read back by Paste.
#include "format/clipboard_text.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "edit/journal.h"
#include "format/number_text.h"
#include "format/text_sink.h"
#include "format/zmf_writer.h"
#include "model/flat_hash_map.h"

namespace zmf::format {
namespace {

// What "%s" skips: isspace() in the "C" locale.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Whole numbers are held within +-2^53, where a double still counts in ones.
constexpr double kIntegerLimit = 9007199254740992.0;

// The word as a number, with the range of a double so that positions beyond 2^24 stay exact:
// what ParseDoublePrefix takes. A word that is not a number reads 0.
double WordAsDouble(std::string_view word) {
  double value = 0.0;
  ParseDoublePrefix(word, value);
  return value;
}

// The current animation, or null; for a Model or a const Model.
template <class M>
auto* CurrentAnimation(M& model) {
  using Result = decltype(&model.animation(0));
  if (!model.HasAnimation(model.currentAnimation)) return Result{nullptr};
  return &model.animation(static_cast<std::uint32_t>(model.currentAnimation));
}

// The current key of the current animation, or null.
template <class M>
auto* CurrentKey(M& model) {
  auto* animation = CurrentAnimation(model);
  using Result = decltype(&animation->keys[0]);
  if (!model.HasKey(model.currentAnimation, model.currentKey)) return Result{nullptr};
  return &animation->keys[static_cast<std::uint32_t>(model.currentKey)];
}

bool HasCurrentKeyBone(const Model& model) {
  return model.HasKeyBone(model.currentAnimation, model.currentKey, model.currentKeyBone);
}

// The index a one-line text names after its first word, when it is below `count`.
std::optional<std::uint32_t> IndexBelow(std::string_view text, std::uint32_t count) {
  ClipboardWords words(text);
  words.Next();
  const std::optional<std::int64_t> index = words.NextInteger();
  if (!index || *index < 0 || *index >= static_cast<std::int64_t>(count)) return std::nullopt;
  return static_cast<std::uint32_t>(*index);
}

std::string IndexText(std::string_view word, std::uint32_t index) {
  std::string text(word);
  text += ' ';
  char digits[10];
  text.append(digits, FormatUnsigned(digits, index));
  text += '\n';
  return text;
}

// The key bones of a key, slot by slot; `to` may be `from`.
void CopyKeyBones(AnimKey& to, const AnimKey& from) {
  if (&to == &from) return;
  to.keyBoneCount = from.keyBoneCount;
  to.keyBones = from.keyBones;
}

}  // namespace

// ---- copying

std::string GeometryClipboardText(const Model& model, bool withFaces) {
  const std::uint32_t vertexCount = model.vertices.selCount();
  if (vertexCount == 0) return {};
  StringSink out;
  // A vertex line of everyday numbers is about 80 characters, a face line about 20. Room that
  // is never written is never touched.
  out.Reserve(std::size_t{vertexCount} * 96 +
              (withFaces ? model.faces.selCount() * std::size_t{24} : 0) + 64);
  out.Put("VERTICES { POSITION_NORMAL_TEXCOORDS ");
  out.PutUnsigned(vertexCount);
  out.Put('\n');
  for (const Vertex* v : model.vertices.Selected()) {
    PutVertexValues(out, *v, true);
    out.Put('\n');
  }
  out.Put("}\n");
  if (!withFaces) return out.TakeText();

  // Each selected vertex's line number, then the faces whose three corners have one.
  FlatHashMap<const Vertex*, std::uint32_t, PointerHasher<Vertex>> lineOf(vertexCount);
  std::uint32_t line = 0;
  for (const Vertex* v : model.vertices.Selected()) lineOf.Insert(v, line++);
  std::vector<std::array<std::uint32_t, 3>> faces;
  faces.reserve(model.faces.selCount());
  for (const Face* f : model.faces.Selected()) {
    std::array<std::uint32_t, 3> corners;
    bool listed = true;
    for (unsigned k = 0; k < 3 && listed; ++k) {
      const Vertex* corner = f->Corner(k);
      const std::uint32_t* at =
          corner != nullptr && corner->selected ? lineOf.Find(corner) : nullptr;
      listed = at != nullptr;
      if (listed) corners[k] = *at;
    }
    if (listed) faces.push_back(corners);
  }
  out.Put("TRIANGLES { ");
  out.PutUnsigned(static_cast<std::uint32_t>(faces.size()));
  out.Put('\n');
  for (const auto& [a, b, c] : faces) {
    out.PutUnsigned(a);
    out.Put(' ');
    out.PutUnsigned(b);
    out.Put(' ');
    out.PutUnsigned(c);
    out.Put('\n');
  }
  out.Put("}\n");
  return out.TakeText();
}

std::string AnimationClipboardText(std::uint32_t animation) {
  return IndexText("ANIMATION", animation);
}

std::string KeyClipboardText(std::uint32_t key) { return IndexText("ANIMKEY", key); }

std::string BoneClipboardText(std::uint32_t bone) { return IndexText("BONE", bone); }

std::string KeyBoneClipboardText(const Matrix4& matrix) {
  StringSink out;
  out.Put("KEYBONE");
  for (float element : matrix.m) {
    out.Put(' ');
    out.PutFloat(element);
  }
  out.Put('\n');
  return out.TakeText();
}

// ---- reading

ClipboardWords::ClipboardWords(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

std::size_t ClipboardWords::WordStart() const {
  std::size_t start = cursor_;
  while (start < text_.size() && IsSpace(text_[start])) ++start;
  return start;
}

std::size_t ClipboardWords::WordEnd(std::size_t from) const {
  while (from < text_.size() && !IsSpace(text_[from])) ++from;
  return from;
}

std::string_view ClipboardWords::Take(std::size_t start, std::size_t end) {
  cursor_ = start == end ? text_.size() : end;
  return text_.substr(start, end - start);
}

std::string_view ClipboardWords::Next() {
  const std::size_t start = WordStart();
  return Take(start, WordEnd(start));
}

std::optional<float> ClipboardWords::NextNumber() {
  const std::size_t start = WordStart();
  if (start == text_.size()) {
    Take(start, start);
    return std::nullopt;
  }
  // A number ends at whitespace, so the number at the start of the word is the number at the
  // cursor; the word is then passed over from where the number ended.
  float value = 0.0f;
  const std::size_t used = ParseFloatPrefix(text_.substr(start), value);
  Take(start, WordEnd(start + used));
  return value;
}

std::optional<std::int64_t> ClipboardWords::NextInteger() {
  const std::size_t start = WordStart();
  // Plain digits, as Copy writes positions and counts, need no float reading.
  std::size_t end = start;
  std::int64_t value = 0;
  while (end < text_.size() && end - start < 15 && text_[end] >= '0' && text_[end] <= '9') {
    value = value * 10 + (text_[end++] - '0');
  }
  if (end > start && (end == text_.size() || IsSpace(text_[end]))) {
    Take(start, end);
    return value;
  }
  const std::string_view word = Take(start, WordEnd(start));
  if (word.empty()) return std::nullopt;
  const double number = std::trunc(WordAsDouble(word));
  if (std::isnan(number)) return 0;
  return static_cast<std::int64_t>(std::clamp(number, -kIntegerLimit, kIntegerLimit));
}

bool ClipboardWords::AtWordBefore(char close) {
  const char* const data = text_.data();
  const std::size_t size = text_.size();
  std::size_t at = cursor_;
  while (at < size && IsSpace(data[at])) ++at;
  cursor_ = at;
  return at < size && !(data[at] == close && (at + 1 == size || IsSpace(data[at + 1])));
}

std::size_t ClipboardWords::NumbersBefore(char close, float* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (!AtWordBefore(close)) return i;
    // A number ends at whitespace, so the number at the start of the word is the number at the
    // cursor; the word is then passed over from where the number ended.
    float value = 0.0f;  // a word that is not a number reads 0
    const std::size_t used = ParseFloatPrefix(text_.substr(cursor_), value);
    out[i] = value;
    cursor_ = WordEnd(cursor_ + used);
  }
  return n;
}

std::size_t ClipboardWords::IntegersBefore(char close, std::int64_t* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (!AtWordBefore(close)) return i;
    out[i] = *NextInteger();
  }
  return n;
}

ClipboardKind KindOfClipboardText(std::string_view text) {
  ClipboardWords words(text);
  const std::string_view first = words.Next();
  if (first == "VERTICES") return ClipboardKind::Geometry;
  if (first == "ANIMATION") return ClipboardKind::Animation;
  if (first == "ANIMKEY") return ClipboardKind::Key;
  if (first == "KEYBONE") return ClipboardKind::KeyBone;
  if (first == "BONE") return ClipboardKind::Bone;
  return ClipboardKind::None;
}

bool HasPasteTarget(const Model& model, ClipboardKind kind) {
  switch (kind) {
    case ClipboardKind::Geometry:
      return true;
    case ClipboardKind::Animation:
      return CurrentAnimation(model) != nullptr;
    case ClipboardKind::Key:
      return CurrentKey(model) != nullptr;
    case ClipboardKind::KeyBone:
      return HasCurrentKeyBone(model);
    case ClipboardKind::Bone:
      return model.HasBone(model.currentBone);
    case ClipboardKind::None:
      break;
  }
  return false;
}

namespace {

// Reads a geometry text into `sink`, which takes
//   Reserve(vertices), Vertex(const PastedVertex&) -> bool (false: take no more),
//   ReserveFaces(faces), Face(a, b, c), and VertexCount(): the vertices it took.
// False when the layout word is not the one Copy writes.
template <class Sink>
bool ReadGeometry(std::string_view text, Sink& sink) {
  ClipboardWords words(text);
  words.Next();  // "VERTICES"
  words.Next();  // "{"
  if (words.Next() != "POSITION_NORMAL_TEXCOORDS") return false;
  // The shortest vertex line is eight one-character numbers with their separators, the
  // shortest face line three: no more can be in the text, whatever its count says.
  const std::int64_t vertexCount = words.NextInteger().value_or(0);
  if (vertexCount > 0) {
    sink.Reserve(static_cast<std::size_t>(
        std::min<std::int64_t>(vertexCount, static_cast<std::int64_t>(words.Remaining() / 16))));
  }
  // A count larger than the entries stops at the section's closing brace.
  for (std::int64_t i = 0; i < vertexCount; ++i) {
    float values[8];
    if (words.NumbersBefore('}', values, 8) != 8) break;
    if (!sink.Vertex({{values[0], values[1], values[2]},
                      {values[3], values[4], values[5]},
                      values[6],
                      values[7]})) {
      break;
    }
  }
  words.Next();  // "}"
  if (words.Next() != "TRIANGLES") return true;
  words.Next();  // "{"
  const std::int64_t faceCount = words.NextInteger().value_or(0);
  if (faceCount > 0) {
    sink.ReserveFaces(static_cast<std::size_t>(
        std::min<std::int64_t>(faceCount, static_cast<std::int64_t>(words.Remaining() / 6))));
  }
  const auto pasted = static_cast<std::int64_t>(sink.VertexCount());
  for (std::int64_t i = 0; i < faceCount; ++i) {
    std::int64_t positions[3];
    if (words.IntegersBefore('}', positions, 3) != 3) break;
    // Only the vertices of this paste: a position outside them would join the face to
    // whatever vertex happens to hold that id.
    const auto valid = [pasted](std::int64_t p) { return p >= 0 && p < pasted; };
    if (valid(positions[0]) && valid(positions[1]) && valid(positions[2])) {
      sink.Face({static_cast<std::uint32_t>(positions[0]), static_cast<std::uint32_t>(positions[1]),
                 static_cast<std::uint32_t>(positions[2])});
    }
  }
  return true;
}

// Collects what the text holds.
struct GeometryCollector {
  PastedGeometry geometry;

  void Reserve(std::size_t n) { geometry.vertices.reserve(n); }
  bool Vertex(const PastedVertex& v) {
    geometry.vertices.push_back(v);
    return true;
  }
  void ReserveFaces(std::size_t n) { geometry.faces.reserve(n); }
  void Face(const std::array<std::uint32_t, 3>& corners) { geometry.faces.push_back(corners); }
  std::size_t VertexCount() const { return geometry.vertices.size(); }
};

// Adds what the text holds to the model as it is read: one journal group, opened with the
// first vertex.
class GeometryPaster {
 public:
  explicit GeometryPaster(Model& model) : model_(model) {}

  // The records come from one block of each list, as a file's do.
  void Reserve(std::size_t n) {
    added_.reserve(n);
    model_.vertices.Reserve(n);
  }
  bool Vertex(const PastedVertex& v) {
    if (!group_) group_ = std::make_unique<edit::JournalGroup>(model_);
    zmf::Vertex* vertex = edit::JournalAddVertex(model_, v.position, v.normal, v.u, v.v);
    if (vertex == nullptr) return false;  // memory ran out: faces go only where vertices came
    added_.push_back(vertex);
    return true;
  }
  void ReserveFaces(std::size_t n) { model_.faces.Reserve(n); }
  void Face(const std::array<std::uint32_t, 3>& corners) {
    edit::JournalAddFace(model_, added_[corners[0]], added_[corners[1]], added_[corners[2]]);
  }
  std::size_t VertexCount() const { return added_.size(); }

 private:
  Model& model_;
  std::unique_ptr<edit::JournalGroup> group_;  // opened with the first vertex
  std::vector<zmf::Vertex*> added_;
};

}  // namespace

std::optional<PastedGeometry> ReadGeometryClipboardText(std::string_view text) {
  GeometryCollector collector;
  if (!ReadGeometry(text, collector)) return std::nullopt;
  return std::move(collector.geometry);
}

std::size_t PasteGeometryText(Model& model, std::string_view text) {
  GeometryPaster paster(model);
  ReadGeometry(text, paster);
  return paster.VertexCount();
}

bool PasteAnimationText(Model& model, std::string_view text) {
  Animation* current = CurrentAnimation(model);
  if (current == nullptr) return false;
  const std::optional<std::uint32_t> from = IndexBelow(text, model.animationCount);
  if (!from) return false;
  const Animation& source = model.animation(*from);
  if (&source == current) return true;
  current->keyCount = source.keyCount;
  current->totalTime = source.totalTime;
  current->keys = source.keys;
  return true;
}

bool PasteKeyText(Model& model, std::string_view text) {
  AnimKey* current = CurrentKey(model);
  if (current == nullptr) return false;
  Animation& animation = *CurrentAnimation(model);
  const std::optional<std::uint32_t> from = IndexBelow(text, animation.keyCount);
  if (!from) return false;
  CopyKeyBones(*current, animation.keys[*from]);
  return true;
}

bool PasteKeyBoneText(Model& model, std::string_view text) {
  if (!HasCurrentKeyBone(model)) return false;
  ClipboardWords words(text);
  words.Next();  // "KEYBONE"
  Matrix4 matrix = Matrix4::Identity();
  for (float& element : matrix.m) {
    const std::optional<float> number = words.NextNumber();
    if (!number) break;
    element = *number;
  }
  edit::JournalSetKeyBoneMatrix(model, matrix);
  return true;
}

bool PasteBoneText(Model& model, std::string_view text) {
  if (!model.HasBone(model.currentBone)) return false;
  const std::optional<std::uint32_t> from = IndexBelow(text, model.boneCount);
  if (!from) return false;
  const Bone& source = model.bones[*from];
  Bone& bone = model.bones[static_cast<std::uint32_t>(model.currentBone)];
  CopyBoneMatrices(bone, source);
  return true;
}

}  // namespace zmf::format

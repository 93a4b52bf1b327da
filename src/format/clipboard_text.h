// The texts Copy puts on the clipboard and the reading of pasted text back into the model.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace zmf::format {

// ---- copying

// The geometry text of the selection:
//   VERTICES { POSITION_NORMAL_TEXCOORDS n      n = the vertex lines that follow
//   x y z<TAB>nx ny nz<TAB>u v                  one line per selected vertex, in selection order
//   }
// and, with `withFaces`,
//   TRIANGLES { m
//   i j k                                       the corners' positions among the vertex lines
//   }
// Numbers are "%f" (six decimals), counts and positions whole numbers, lines end with a line
// feed. A selected face with a corner that is not a selected vertex has no line to refer to and
// is left out (m counts the faces written). Empty when no vertex is selected.
std::string GeometryClipboardText(const Model& model, bool withFaces);

// The one-line texts that name an item of the model by its index.
std::string AnimationClipboardText(std::uint32_t animation);  // "ANIMATION n\n"
std::string KeyClipboardText(std::uint32_t key);              // "ANIMKEY n\n"
std::string BoneClipboardText(std::uint32_t bone);            // "BONE n\n"
// "KEYBONE" and the 16 elements of the matrix, m0 first: the data itself, not an index.
std::string KeyBoneClipboardText(const Matrix4& matrix);

// ---- reading pasted text

// Pasted text is read a word at a time: each word is a run of non-whitespace characters, and
// words are separated by any run of blanks, tabs and line ends (CR LF included), so a text
// edited by hand reads as Copy's own. The text ends at its end or at a zero byte.
class ClipboardWords {
 public:
  // The words it hands out point into `text`, which must outlive them.
  explicit ClipboardWords(std::string_view text);

  // The next word; empty once no word is left.
  std::string_view Next();
  // The next word as a number ("1.5", "-2", "1e3"; a word that is not a number reads 0);
  // nullopt once no word is left.
  std::optional<float> NextNumber();
  // The next word as a number cut toward zero to a whole number (held within +-2^53);
  // nullopt once no word is left.
  std::optional<std::int64_t> NextInteger();
  // Up to `n` numbers as NextNumber reads them, and whole numbers as NextInteger does, within a
  // section: they stop at the end and before a word that is just `close`, which is left for
  // Next() to take. Return how many they read.
  std::size_t NumbersBefore(char close, float* out, std::size_t n);
  std::size_t IntegersBefore(char close, std::int64_t* out, std::size_t n);
  // Characters not yet passed by the cursor.
  std::size_t Remaining() const { return text_.size() - cursor_; }

 private:
  std::size_t WordStart() const;                // after the whitespace at the cursor
  std::size_t WordEnd(std::size_t from) const;  // the first whitespace from there on
  // Moves the cursor to the next word; false at the end or when that word is just `close`.
  bool AtWordBefore(char close);
  std::string_view Take(std::size_t start, std::size_t end);  // the word; moves the cursor

  std::string_view text_;
  std::size_t cursor_ = 0;
};

// What a pasted text holds, by its first word.
enum class ClipboardKind {
  None,       // any other first word, or no word at all
  Geometry,   // "VERTICES"
  Animation,  // "ANIMATION"
  Key,        // "ANIMKEY"
  KeyBone,    // "KEYBONE"
  Bone,       // "BONE"
};
ClipboardKind KindOfClipboardText(std::string_view text);

// Whether the model has the item that a paste of that kind overwrites: a current animation; a
// current animation and key; a current animation, key and key bone; a current bone. Always true
// for geometry, which is added, and false for None.
bool HasPasteTarget(const Model& model, ClipboardKind kind);

// A geometry text read into plain values.
struct PastedVertex {
  Vector3 position;
  Vector3 normal;
  float u = 0.0f;
  float v = 0.0f;
};
struct PastedGeometry {
  std::vector<PastedVertex> vertices;
  // Corners as positions among `vertices`; only faces whose three positions are all there.
  std::vector<std::array<std::uint32_t, 3>> faces;
};

// Reads a geometry text: "VERTICES", "{", the layout word, the count and the vertices; then
// "}" and, when the next word is "TRIANGLES", "{", the count and the faces. A count larger than
// the entries reads what is there: a vertex or face whose numbers run into its section's "}" or
// past the end of the text is not read. nullopt when the layout word is not
// "POSITION_NORMAL_TEXCOORDS".
std::optional<PastedGeometry> ReadGeometryClipboardText(std::string_view text);

// Reads a geometry text as ReadGeometryClipboardText does and adds what it holds as it goes:
// the vertices (ids from the vertex list's nextId on, each selected), then the faces (the
// current material, selected), through the journal as one undo step. Returns the vertices
// added; with none, nothing was added and no journal group written.
std::size_t PasteGeometryText(Model& model, std::string_view text);

// The pastes of the one-line texts. Each reads its text and overwrites the current item, and
// returns false (changing nothing) when there is no current item or the text names no item of
// the model: an index that is missing, negative or not below the count is not followed.
// ANIMATION n: animation n's key count, total time and keys onto the current animation, which
// keeps its name and playback state.
bool PasteAnimationText(Model& model, std::string_view text);
// ANIMKEY n: key n of the current animation's key bones onto the current key, which keeps its
// time.
bool PasteKeyText(Model& model, std::string_view text);
// KEYBONE m0 ... m15: the matrix into the current key bone through the journal; elements the
// text runs out before keep the identity's values.
bool PasteKeyBoneText(Model& model, std::string_view text);
// BONE n: bone n's local, pose, frame and bind matrices onto the current bone; its name,
// parent, children and weights stay.
bool PasteBoneText(Model& model, std::string_view text);

}  // namespace zmf::format

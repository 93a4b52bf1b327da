// Mirroring the selection across x = 0 and stitching its border to the mirror image.
//
// A reflection of a million faces makes millions of lookups (corner -> mirror, edge -> faces
// that contain it), so both go through flat open-addressing tables sized from the selection,
// never through walks of the selection.
#include "edit/reflection.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "edit/journal.h"

namespace zmf {
namespace {

// Map from 64-bit keys to 32-bit values with linear probing; it doubles at half load. The key
// ~0 marks an empty slot and is never stored.
class FlatMap {
 public:
  explicit FlatMap(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity < 2 * expected) capacity *= 2;
    Allocate(capacity);
  }

  // The value stored under the key, or null.
  const std::uint32_t* Find(std::uint64_t key) const {
    for (std::size_t i = Home(key);; i = (i + 1) & mask_) {
      if (slots_[i].key == key) return &slots_[i].value;
      if (slots_[i].key == kEmpty) return nullptr;
    }
  }

  // The value stored under the key, storing `value` first when the key is new. The reference
  // holds until the next insertion.
  std::uint32_t& Insert(std::uint64_t key, std::uint32_t value) {
    if (2 * (size_ + 1) > slots_.size()) Grow();
    std::size_t i = Home(key);
    while (slots_[i].key != key && slots_[i].key != kEmpty) i = (i + 1) & mask_;
    if (slots_[i].key == kEmpty) {
      slots_[i] = {key, value};
      ++size_;
    }
    return slots_[i].value;
  }

 private:
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};

  struct Slot {
    std::uint64_t key;
    std::uint32_t value;
  };

  // Fibonacci hashing: the high bits of the product, so aligned pointers spread as well.
  std::size_t Home(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
  }

  void Allocate(std::size_t capacity) {
    slots_.assign(capacity, Slot{kEmpty, 0});
    mask_ = capacity - 1;
    shift_ = 64;
    for (std::size_t c = capacity; c > 1; c /= 2) --shift_;
    size_ = 0;
  }

  void Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    Allocate(old.size() * 2);
    for (const Slot& s : old) {
      if (s.key != kEmpty) Insert(s.key, s.value);
    }
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  int shift_ = 64;
  std::size_t size_ = 0;
};

std::uint64_t KeyOf(const Vertex* v) { return reinterpret_cast<std::uintptr_t>(v); }

// The key of an unordered pair of vertex numbers; a vertex with itself is a pair too.
std::uint64_t PairKey(std::uint32_t x, std::uint32_t y) {
  if (x > y) std::swap(x, y);
  return (static_cast<std::uint64_t>(x) << 32) | y;
}

// A face of the starting face selection, in walk order: its corners and their numbers. Numbers
// below the count of selected vertices are walk numbers, so they index the mirrors; corners
// outside the vertex selection get numbers from there on, only so that edges can be keyed.
struct WalkedFace {
  std::array<Vertex*, 3> corners;
  std::array<std::uint32_t, 3> numbers;
  bool mirrored;
};

// For every pair of vertices, how many of the faces contain both, counted up to 2. A face
// contains the pair of a vertex with itself when that vertex is one of its corners; such pairs
// are only counted for the vertices in `selfPairs`, the only ones whose edge can be asked about.
FlatMap CountContainingFaces(const std::vector<WalkedFace>& faces,
                             const std::vector<std::uint8_t>& selfPairs) {
  FlatMap counts(faces.size() * 3 / 2 + 16);
  auto add = [&](std::uint64_t key) {
    std::uint32_t& count = counts.Insert(key, 0);
    if (count < 2) ++count;
  };
  for (const WalkedFace& f : faces) {
    // Each face counts once per pair, however often its corners repeat.
    std::array<std::uint32_t, 3> distinct;
    int count = 0;
    for (std::uint32_t n : f.numbers) {
      if (std::find(distinct.begin(), distinct.begin() + count, n) == distinct.begin() + count) {
        distinct[count++] = n;
      }
    }
    for (int i = 0; i < count; ++i) {
      for (int j = i + 1; j < count; ++j) add(PairKey(distinct[i], distinct[j]));
      if (!selfPairs.empty() && selfPairs[distinct[i]] != 0) add(PairKey(distinct[i], distinct[i]));
    }
  }
  return counts;
}

// Joins each border edge of each mirrored face to its mirror edge, walking the faces in order
// and their edges A-B, B-C, C-A.
void StitchBorders(Model& model, const std::vector<WalkedFace>& faces,
                   const std::vector<Vertex*>& mirrors, std::uint32_t numbered) {
  // Edges from a corner to itself can only be asked about for faces with repeated corners.
  std::vector<std::uint8_t> selfPairs;
  for (const WalkedFace& f : faces) {
    const auto [x, y, z] = f.numbers;
    if (!f.mirrored || (x != y && y != z && z != x)) continue;
    if (selfPairs.empty()) selfPairs.assign(numbered, 0);
    for (std::uint32_t n : f.numbers) selfPairs[n] = 1;
  }
  const FlatMap containing = CountContainingFaces(faces, selfPairs);

  for (const WalkedFace& f : faces) {
    if (!f.mirrored) continue;
    for (int e = 0; e < 3; ++e) {
      const int next = (e + 1) % 3;
      const std::uint32_t* count = containing.Find(PairKey(f.numbers[e], f.numbers[next]));
      if (count == nullptr || *count != 1) continue;  // another face holds this edge
      Vertex* x = f.corners[e];
      Vertex* y = f.corners[next];
      Vertex* xMirror = mirrors[f.numbers[e]];
      Vertex* yMirror = mirrors[f.numbers[next]];
      JournalAddFace(model, y, x, xMirror);
      JournalAddFace(model, xMirror, yMirror, y);
    }
  }
}

}  // namespace

bool CanReflectSelection(const Model& model) { return model.vertices.selCount() != 0; }

void ReflectSelection(Model& model, bool connectEdges) {
  if (!CanReflectSelection(model)) return;
  JournalGroup group(model);

  // The mirrors join the selection behind its tail, so a walk from the old tail never meets
  // them; the count bounds it all the same.
  const std::uint32_t selectedVertices = model.vertices.selCount();
  FlatMap numberOf(selectedVertices);
  std::vector<Vertex*> mirrors;
  mirrors.reserve(selectedVertices);
  Vertex* v = model.vertices.selTail();
  for (std::uint32_t k = 0; k < selectedVertices && v != nullptr; ++k, v = v->selPrev) {
    numberOf.Insert(KeyOf(v), k);
    const Vector3 position = {-v->position.x, v->position.y, v->position.z};
    const Vector3 normal = {-v->normal.x, v->normal.y, v->normal.z};
    mirrors.push_back(JournalAddVertex(model, position, normal, v->u, v->v));
  }
  const auto mirrored = static_cast<std::uint32_t>(mirrors.size());

  const std::uint32_t selectedFaces = model.faces.selCount();
  std::vector<WalkedFace> walked;
  if (connectEdges) walked.reserve(selectedFaces);
  std::uint32_t numbered = mirrored;
  Face* f = model.faces.selTail();
  for (std::uint32_t i = 0; i < selectedFaces && f != nullptr; ++i, f = f->selPrev) {
    if (f->a == nullptr || f->b == nullptr || f->c == nullptr) continue;
    WalkedFace w{{f->a, f->b, f->c}, {}, false};
    bool allMirrored = true;
    for (int j = 0; j < 3; ++j) {
      if (connectEdges) {
        // Corners outside the vertex selection still bound edges, so they get numbers too.
        w.numbers[j] = numberOf.Insert(KeyOf(w.corners[j]), numbered);
        if (w.numbers[j] == numbered) ++numbered;
      } else {
        const std::uint32_t* n = numberOf.Find(KeyOf(w.corners[j]));
        w.numbers[j] = n != nullptr ? *n : mirrored;
      }
      allMirrored = allMirrored && w.numbers[j] < mirrored;
    }
    if (allMirrored) {
      w.mirrored = JournalAddFace(model, mirrors[w.numbers[0]], mirrors[w.numbers[2]],
                                  mirrors[w.numbers[1]]) != nullptr;
    }
    if (connectEdges) walked.push_back(w);
  }

  if (connectEdges) StitchBorders(model, walked, mirrors, numbered);
}

}  // namespace zmf

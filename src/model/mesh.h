// The mesh records: vertices, triangle faces, the face references of a vertex, duplicate pairs.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "model/math_types.h"
#include "model/record_list.h"

namespace zmf {

struct Face;

// One use of a vertex as a corner of a face: the face and which of its corners (0 for a, 1 for
// b, 2 for c), packed into one word (faces are 8-aligned, so the corner fits in the low bits).
// A vertex's corner uses form a chain threaded through the faces themselves, in the order the
// faces took the vertex; a face whose corners repeat a vertex is in its chain once per corner.
class CornerRef {
 public:
  CornerRef() = default;
  CornerRef(Face* face, unsigned corner) : bits_(reinterpret_cast<std::uintptr_t>(face) | corner) {}

  Face* face() const { return reinterpret_cast<Face*>(bits_ & ~std::uintptr_t{3}); }
  unsigned corner() const { return static_cast<unsigned>(bits_ & 3); }
  explicit operator bool() const { return bits_ != 0; }
  friend bool operator==(CornerRef, CornerRef) = default;

  // The next use in the same vertex's chain; empty at its end.
  inline CornerRef next() const;
  // Where the link to the next use is stored (inside the face).
  inline CornerRef& nextLink() const;

 private:
  std::uintptr_t bits_ = 0;
};

// The faces of a vertex's corner chain, one per corner use: for (Face* f : vertex->Faces()).
struct CornerStep {
  static Face* Get(CornerRef at) { return at.face(); }
  static CornerRef Next(CornerRef at) { return at.next(); }
};
using CornerRange = ChainRange<CornerRef, CornerStep>;

struct Vertex : ListNode<Vertex> {
  // First, so that it fills the padding at the end of the list links.
  std::uint8_t changed = 0;  // skinning has started this vertex's drawn copies in this pass
  Vector3 position;          // what editing changes and files store
  Vector3 savedPosition;     // what is drawn: differs from position only while posed or dragged
  Vector3 normal;            // not necessarily unit length
  Vector3 savedNormal;
  float u = 0.0f;
  float v = 0.0f;
  float savedU = 0.0f;
  float savedV = 0.0f;
  // The vertex's position in the list when the viewport last built its arrays; the arrays'
  // own scratch, meaningless elsewhere.
  std::uint32_t drawIndex = 0;
  CornerRef firstCorner;  // the chain of the faces that use this vertex, oldest first
  CornerRef lastCorner;   // its end, where the next face joins

  bool HasFaces() const { return static_cast<bool>(firstCorner); }
  CornerRange Faces() const { return CornerRange(firstCorner); }
};

struct Face : ListNode<Face> {
  // Below 32 (the material table's size); first, so that it fills the padding at the end of
  // the list links.
  std::uint8_t material = 0;
  Face* matPrev = nullptr;  // chain of the faces that share this face's material
  Face* matNext = nullptr;
  Vertex* a = nullptr;  // corners in winding order; null only for a face re-created around a
  Vertex* b = nullptr;  // vertex that no longer exists
  Vertex* c = nullptr;
  // For each corner, the next use in that corner vertex's chain.
  std::array<CornerRef, 3> nextCorner{};

  // Whether all three corners exist: only then is the face a triangle.
  bool HasAllCorners() const { return a != nullptr && b != nullptr && c != nullptr; }
  Vertex* Corner(unsigned k) const { return k == 0 ? a : k == 1 ? b : c; }
};

inline CornerRef CornerRef::next() const { return face()->nextCorner[corner()]; }
inline CornerRef& CornerRef::nextLink() const { return face()->nextCorner[corner()]; }

// Two distinct vertices at exactly the same position. Derived from the vertex list, never saved.
struct Duplicate : ListNode<Duplicate> {
  Vertex* vertex = nullptr;
  Vertex* twin = nullptr;
};

inline constexpr int kMaxMaterials = 32;

// The face list, plus one chain per material slot holding that material's faces in the order
// they joined it, so drawing and material-wide edits never scan the whole list.
class FaceList : public RecordList<Face> {
 public:
  class MaterialChain {
   public:
    class Iterator {
     public:
      explicit Iterator(Face* at = nullptr) : at_(at) {}
      Face* operator*() const { return at_; }
      Iterator& operator++() {
        at_ = at_->matNext;
        return *this;
      }
      friend bool operator==(const Iterator&, const Iterator&) = default;

     private:
      Face* at_;
    };
    explicit MaterialChain(Face* first) : first_(first) {}
    Iterator begin() const { return Iterator(first_); }
    Iterator end() const { return Iterator(); }

   private:
    Face* first_;
  };

  Face* chainHead(std::uint32_t m) const { return m < kMaxMaterials ? chainHeads_[m] : nullptr; }
  Face* chainTail(std::uint32_t m) const { return m < kMaxMaterials ? chainTails_[m] : nullptr; }
  std::uint32_t chainCount(std::uint32_t m) const {
    return m < kMaxMaterials ? chainCounts_[m] : 0;
  }
  // The faces of material m in chain order.
  MaterialChain Chain(std::uint32_t m) const { return MaterialChain(chainHead(m)); }

  // Links the face at the tail of the chain of its material (which must be below 32).
  void LinkToChain(Face* face);
  // Takes the face out of the chain of its material.
  void UnlinkFromChain(Face* face);
  // Every face of chain `from` gets material `to` and joins the end of chain `to`; chain
  // `from` is left empty.
  void MoveChain(std::uint32_t to, std::uint32_t from);

  // Changes whenever a face joins or leaves a material chain or gets other corners; with the
  // list's own versions it tells the viewport when its face arrays are out of date.
  std::uint64_t shapeVersion() const { return shapeVersion_; }
  void MarkCornersChanged() { ++shapeVersion_; }

  // Exchanges every face and chain with the other list (see RecordList::Swap).
  void Swap(FaceList& other) noexcept {
    RecordList<Face>::Swap(other);
    chainHeads_.swap(other.chainHeads_);
    chainTails_.swap(other.chainTails_);
    chainCounts_.swap(other.chainCounts_);
    shapeVersion_ = other.shapeVersion_ = std::max(shapeVersion_, other.shapeVersion_) + 1;
  }

  // Frees every face and zeroes the list, the chains and their counts.
  void Clear() {
    RecordList<Face>::Clear();
    ++shapeVersion_;
    chainHeads_.fill(nullptr);
    chainTails_.fill(nullptr);
    chainCounts_.fill(0);
  }

 private:
  std::array<Face*, kMaxMaterials> chainHeads_{};
  std::array<Face*, kMaxMaterials> chainTails_{};
  std::array<std::uint32_t, kMaxMaterials> chainCounts_{};
  std::uint64_t shapeVersion_ = 0;
};

}  // namespace zmf

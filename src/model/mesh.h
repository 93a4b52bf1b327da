// The mesh records: vertices, triangle faces, the face references of a vertex, duplicate pairs.
#pragma once

#include <array>
#include <cstdint>

#include "model/math_types.h"
#include "model/record_list.h"

namespace zmf {

struct Face;

// One corner use: a node in a vertex's list of the faces that use it. A face whose corners
// repeat a vertex has one node per corner.
struct FaceRef {
  FaceRef* prev = nullptr;
  FaceRef* next = nullptr;
  Face* face = nullptr;
};

struct Vertex : ListNode<Vertex> {
  Vector3 position;       // what editing changes and files store
  Vector3 savedPosition;  // what is drawn: differs from position only while posed or dragged
  Vector3 normal;         // not necessarily unit length
  Vector3 savedNormal;
  float u = 0.0f;
  float v = 0.0f;
  float savedU = 0.0f;
  float savedV = 0.0f;
  FaceRef* faceRefHead = nullptr;
  FaceRef* faceRefTail = nullptr;
  std::uint8_t changed = 0;  // skinning has started this vertex's drawn copies in this pass
};

struct Face : ListNode<Face> {
  Face* matPrev = nullptr;  // chain of the faces that share this face's material
  Face* matNext = nullptr;
  Vertex* a = nullptr;  // corners in winding order; null only for a face re-created around a
  Vertex* b = nullptr;  // vertex that no longer exists
  Vertex* c = nullptr;
  std::uint32_t material = 0;

  // Whether all three corners exist: only then is the face a triangle.
  bool HasAllCorners() const { return a != nullptr && b != nullptr && c != nullptr; }
};

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

  // Frees every face and zeroes the list, the chains and their counts.
  void Clear() {
    RecordList<Face>::Clear();
    chainHeads_.fill(nullptr);
    chainTails_.fill(nullptr);
    chainCounts_.fill(0);
  }

 private:
  std::array<Face*, kMaxMaterials> chainHeads_{};
  std::array<Face*, kMaxMaterials> chainTails_{};
  std::array<std::uint32_t, kMaxMaterials> chainCounts_{};
};

}  // namespace zmf

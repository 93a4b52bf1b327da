// The fixed tables beside the mesh: materials, bones with their vertex weights, animations.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>

#include "model/fixed_name.h"
#include "model/math_types.h"
#include "model/mesh.h"
#include "model/record_list.h"

namespace zmf {

inline constexpr int kMaxBones = 128;
inline constexpr int kMaxAnimations = 32;
inline constexpr int kMaxKeys = 32;
inline constexpr int kMaxKeyBones = 128;
inline constexpr int kMaxTextureFileLength = 259;

using Colour = std::array<float, 4>;  // red, green, blue, alpha

struct Material {
  Name32 name{"default"};
  Colour ambient{0.2f, 0.2f, 0.2f, 1.0f};
  Colour diffuse{0.8f, 0.8f, 0.8f, 1.0f};
  Colour emission{0.0f, 0.0f, 0.0f, 1.0f};
  Colour specular{0.0f, 0.0f, 0.0f, 1.0f};
  std::uint32_t shininess = 0;
  std::uint8_t hasTexture = 0;  // the material has a texture file
  std::uint32_t texture = 0;    // texture name from the TextureStore, 0 when none is loaded
  std::string textureFile;      // full path of the image file
  std::uint32_t alphaMode = 0;  // how the texture's alpha is made: 0 to 7, 10 from version 1 files
  float alphaValue = 0.0f;      // the constant alpha of mode 7
};

// One vertex that a bone moves, with its share of the movement.
struct VertexWeight : ListNode<VertexWeight> {
  Vertex* vertex = nullptr;
  float weight = 0.0f;
};

inline constexpr std::int32_t kNoBone = -1;

// The parent name of the root bone: files, the panels and the bone table all give the root this
// parent, so no bone may be called so.
inline constexpr std::string_view kRootParentName = "NONE";

struct Bone {
  std::uint32_t index = 0;  // the bone's own position in the table
  Name32 name;              // unique; parents, key bones and files refer to bones by name
  Name32 parentName;        // kRootParentName for the root
  // Hierarchy links as table indices (kNoBone for none), so moving table entries cannot leave
  // a dangling reference behind.
  std::int32_t parent = kNoBone;
  std::int32_t firstChild = kNoBone;
  std::int32_t nextSibling = kNoBone;         // a new child joins the end of its parent's chain
  Matrix4 localMatrix = Matrix4::Identity();  // relative to the parent, as files store it
  Matrix4 poseMatrix = Matrix4::Identity();
  Matrix4 frameMatrix = Matrix4::Identity();  // recomputed by the hierarchy evaluation
  Matrix4 bindMatrix = Matrix4::Identity();   // recomputed by the hierarchy evaluation
  RecordList<VertexWeight> weights;           // each vertex at most once
  float grams = 0.0f;                         // the bone's mass

  // The vertex's entry in `weights`, or null. Found through an index by vertex that is rebuilt
  // whenever the list changed behind it (a file read appends directly), so a lookup is O(1) on
  // average however many vertices the bone moves.
  VertexWeight* FindWeight(const Vertex* vertex) const;
  // Appends an entry for the vertex (which must not be held yet); null when memory ran out.
  VertexWeight* AddWeight(Vertex* vertex, float weight);
  // Removes and frees the entry.
  void RemoveWeight(VertexWeight* entry);
  // Exchanges everything with the other bone, weights included.
  void Swap(Bone& other) noexcept;

 private:
  mutable std::unordered_map<const Vertex*, VertexWeight*> weightIndex_;
  mutable std::uint64_t weightIndexVersion_ = ~std::uint64_t{0};  // weights.version() it matches
  mutable bool weightIndexHasRepeats_ = false;  // the list held a vertex twice when indexed
};

// Copies a bone's four matrices: local, pose, frame and bind.
inline void CopyBoneMatrices(Bone& to, const Bone& from) {
  to.localMatrix = from.localMatrix;
  to.poseMatrix = from.poseMatrix;
  to.frameMatrix = from.frameMatrix;
  to.bindMatrix = from.bindMatrix;
}

namespace bone_fields {
inline void AssignName(Name32& to, const Name32& from) { to = from; }
inline void AssignName(Name32& to, std::string_view from) { to.Set(from); }
inline void AssignName(std::string& to, const Name32& from) { to = from.str(); }
}  // namespace bone_fields

// Copies what a bone is apart from its index and its weights: name, parentName, the three links,
// grams and the matrices. Between two bones that is all four matrices; when one side is a kept
// copy of a bone (the same members, names as std::string, no frame or bind matrix, which the
// hierarchy recomputes), the local and pose matrices.
template <class To, class From>
void CopyBoneFields(To& to, const From& from) {
  bone_fields::AssignName(to.name, from.name);
  bone_fields::AssignName(to.parentName, from.parentName);
  to.parent = from.parent;
  to.firstChild = from.firstChild;
  to.nextSibling = from.nextSibling;
  if constexpr (std::is_same_v<To, Bone> && std::is_same_v<From, Bone>) {
    CopyBoneMatrices(to, from);
  } else {
    to.localMatrix = from.localMatrix;
    to.poseMatrix = from.poseMatrix;
  }
  to.grams = from.grams;
}

// The bone index of a key bone whose name matched no bone: it moves nothing.
inline constexpr std::uint32_t kUnboundKeyBone = 0xFFFFFFFFu;

struct KeyBone {
  std::uint32_t boneIndex = 0;  // the bone named by boneName, resolved after every load
  Matrix4 matrix = Matrix4::Identity();
  Name32 boneName;
};

struct AnimKey {
  float time = 0.0f;  // seconds from the start of the animation
  std::uint32_t keyBoneCount = 0;
  std::array<KeyBone, kMaxKeyBones> keyBones;
};

struct Animation {
  Name32 name;
  std::uint32_t keyCount = 0;
  float transitionTime = 0.0f;  // playback state
  float totalTime = 0.0f;       // length in seconds, not negative
  float playTime = 0.0f;        // playback state
  std::uint8_t inTransition = 0;
  std::array<AnimKey, kMaxKeys> keys;  // in time order
};

}  // namespace zmf

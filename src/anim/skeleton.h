// The bone hierarchy: matrix rules, adding and editing bones, and vertex weights.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/host.h"
#include "model/model.h"

namespace zmf::anim {

// Applies a first, then b (the fourth columns of both are ignored; the result's is 0, 0, 0, 1).
Matrix4 Compose(const Matrix4& a, const Matrix4& b);
// The full 4 x 4 inverse by cofactors, or nothing for a singular matrix (a zero determinant, or
// one whose inverse a float cannot hold).
std::optional<Matrix4> Inverse(const Matrix4& m);
// The inverse; a singular matrix gives the matrix back unchanged.
Matrix4 Invert(const Matrix4& m);

// Recomputes bindMatrix and frameMatrix of the bone, every later sibling and all their
// descendants. A bone whose bind matrix has no inverse (a local matrix of zero scale) keeps the
// frame it had.
void UpdateBindMatrices(Model& model, std::int32_t bone);

// Puts `child` at the end of the children of `parent` (both bones of the table) and ends its
// sibling chain there; the child's parent field is left to the caller.
void AppendChild(Model& model, std::int32_t parent, std::int32_t child);

// What keeps bones linked by their parents' names from forming one tree, with the message the
// model readers give for it.
struct HierarchyFault {
  const char* message;
  const Bone* orphan = nullptr;  // for "Bone name not found:", the bone whose parent is missing
};
// Links the bones of the table as files describe them: each bone's links are cleared, then in
// index order the bone whose parentName is kRootParentName becomes rootBone and every other
// bone is appended to the children of the first bone of its parent's name. Stops at the first
// parent name no bone has; otherwise reports no root, more than one root, or bones a walk from
// the root does not reach (a parent loop), in that order. Nothing when the bones form one tree;
// after a fault the caller drops the skeleton.
std::optional<HierarchyFault> LinkBonesByParentName(Model& model);

// Appends a bone at index boneCount and makes it current. parent is a bone index, or -1 (or
// boneCount) for none. Refused (false) for an empty name, a name another bone has (compared
// after the cut to 31 characters) or kRootParentName, a full table, a parent index out of
// range, or a second root.
bool AddBone(Model& model, std::string_view name, std::int32_t parent, const Matrix4& localMatrix,
             float grams);
// Whether AddBone would accept these arguments.
bool CanAddBone(const Model& model, std::string_view name, std::int32_t parent);

// Stores grams and the local matrix and, for a valid new parent that is not already the parent
// and not the bone itself or one of its descendants, moves the bone to the end of that parent's
// children. Refused for a bone index out of range.
void SetBone(Model& model, std::uint32_t bone, std::int32_t parent, const Matrix4& localMatrix,
             float grams);

// The bind and frame matrices of the whole tree, from the root (the rest pose).
void EvaluateHierarchy(Model& model);

// Frames from poses, from the root: each bone's frameMatrix := Compose(poseMatrix,
// parent.frameMatrix), or its poseMatrix for the root.
void UpdateFrames(Model& model);

// Adds each weighted vertex's share of its bone's movement, Compose(bindMatrix, frameMatrix),
// into the vertex's drawn copies (savedPosition, savedNormal), for the bone, its later siblings
// and all their descendants, in that order. The share is the moved position times the weight and
// the moved normal made unit length (unless it has no length) times the weight. The first bone
// to reach a vertex after a Commit replaces the copies; the others add to them. A bone whose
// movement is not finite moves its share as at rest.
void SkinVertices(Model& model, std::int32_t bone);

// What the viewport shows in the bones view: the current animation evaluated at the clock's
// time (when there is an animation), the model committed, then skinned from the root. Nothing
// but the Commit without bones.
void PoseMesh(Model& model, const Clock& clock);

// Renames the bone (cut to 31 characters), and every child's parentName and every key bone that
// poses it with it, so that a saved file ties them to the bone again. False (nothing done) for
// an empty name, a bone index out of range, a name another bone has, or kRootParentName. Not
// journaled.
bool RenameBone(Model& model, std::uint32_t bone, std::string_view name);

// Removes the bone with the highest index (the one added last), with its weights.
void RemoveLastBone(Model& model);

// The vertex's entry in the bone's weights list, or null.
VertexWeight* FindWeight(const Bone& bone, const Vertex* vertex);
// Adds the vertex to the bone and evens out its weights; false (nothing done) for a bone index
// out of range, a null vertex or a vertex already held.
bool AddVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex);
// Removes the vertex from the bone and evens out its weights; false when it was not held.
bool RemoveVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex);
// Every weight of the vertex becomes 1/n, n being the number of bones that hold it.
void EqualizeWeights(Model& model, const Vertex* vertex);

}  // namespace zmf::anim

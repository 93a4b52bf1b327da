// Taking bones out of the skeleton: one bone with its weights handed to its parent, or all
// bones and animations at once.
#pragma once

#include <cstdint>

#include "model/model.h"

namespace zmf::anim {

// Whether DeleteBone would delete the bone: a bone of the table that has a parent.
bool CanDeleteBone(const Model& model, std::uint32_t bone);

// Deletes the bone: its weights go to its parent (for vertices the parent does not hold), its
// later siblings and then its children join the end of the parent's children (the children keep
// their local matrices), key bones that pose it are removed from every key in use, later bones
// move down a slot (key bones, links, rootBone and currentBone follow), every vertex's weights
// are evened out, and the rest matrices are recomputed. currentBone on the deleted bone becomes
// its parent; currentKeyBone on a removed key bone becomes -1. The root, a bone without a
// parent, and an index out of range are refused (false). Not journaled.
bool DeleteBone(Model& model, std::uint32_t bone);

// Empties the animation table and the skeleton: no bones (their weights lists are released), no
// root, no current bone, animation, key or key bone, and playback stopped. Not journaled.
void DeleteAllBonesAndAnimations(Model& model);

// The bind and frame matrices of every tree of the table (the root's, and any stray root's), as
// UpdateBindMatrices computes them.
void RefreshBindMatrices(Model& model);

}  // namespace zmf::anim

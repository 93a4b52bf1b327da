// Taking bones out of the skeleton: one bone with its weights handed to its parent, or all
// bones and animations at once.
#pragma once

#include <cstdint>

#include "model/model.h"

namespace zmf::anim {

// Deletes the bone: its weights go to its parent (for vertices the parent does not hold), its
// later siblings and then its children join the end of the parent's children, key bones that
// pose it are removed from every key, later bones move down a slot (key bones and links follow),
// and every vertex's weights are evened out. The root, and an index out of range, are refused
// (false). Not journaled.
bool DeleteBone(Model& model, std::uint32_t bone);

// Empties the animation table and the skeleton: no bones, no root, no current bone. Not
// journaled.
void DeleteAllBonesAndAnimations(Model& model);

}  // namespace zmf::anim

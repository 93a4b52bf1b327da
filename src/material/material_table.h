// Adding, removing and texturing entries of the material table.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/model.h"

namespace zmf::material {

// The plain table operations, not journaled: the journaled edits in src/edit (JournalAddMaterial,
// JournalDeleteMaterial, JournalSetMaterialTexture) record a step and then call these, and Undo
// and Redo call them to replay one.

// Appends a material with the defaults and the name (cut to 31 characters). False when the
// table is full or the name is empty. currentMaterial does not change.
bool AddMaterial(Model& model, std::string_view name);

// Removes the material: faces still using it go to the material before it (material 1 for
// material 0), its texture is deleted and the later materials move down one slot with their
// faces, so that deleting material 0 of three leaves the faces of old materials 0 and 1 on
// material 0 and those of old material 2 on material 1. Nothing when it is the only material or
// the index is out of range. currentMaterial does not change: the caller lowers it when it is no
// longer below the count.
void DeleteMaterial(Model& model, std::uint32_t index);

// Renames the material (cut to 31 characters); false for an empty name or an index out of
// range. Not journaled.
bool RenameMaterial(Model& model, std::uint32_t index, std::string_view name);

// Puts a material back at the index: the materials from there on move up one slot with their
// faces. Nothing when the table is full or the index is beyond the count.
void InsertMaterial(Model& model, std::uint32_t index, const Material& material);

// Stores the flag, file, alpha mode and alpha value. When enabled it also deletes the old
// texture and loads the file anew, even when nothing changed (so applying the same alpha mode
// again reloads the image); a failed load, or an empty file name, leaves texture 0 with the flag
// set. Switched off, the texture object stays as it was, unused while the flag is 0: switching
// the texture off and on again reloads the stored file into a new texture.
void SetMaterialTexture(Model& model, std::uint32_t index, bool hasTexture, std::string_view file,
                        std::uint32_t alphaMode, float alphaValue);

}  // namespace zmf::material

// Adding, removing and texturing entries of the material table.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/model.h"

namespace zmf::material {

// Appends a material with the defaults and the name (cut to 31 characters). False when the
// table is full or the name is empty.
bool AddMaterial(Model& model, std::string_view name);

// Removes the material: faces still using it go to the material before it (material 1 for
// material 0), its texture is deleted and the later materials move down one slot with their
// faces. Nothing when it is the only material or the index is out of range.
void DeleteMaterial(Model& model, std::uint32_t index);

// Renames the material (cut to 31 characters); false for an empty name or an index out of
// range. Not journaled.
bool RenameMaterial(Model& model, std::uint32_t index, std::string_view name);

// Puts a material back at the index: the materials from there on move up one slot with their
// faces. Nothing when the table is full or the index is beyond the count.
void InsertMaterial(Model& model, std::uint32_t index, const Material& material);

// Stores the texture settings; when enabled with a file name, deletes the old texture and loads
// the file anew (0 when that fails, the flag staying set).
void SetMaterialTexture(Model& model, std::uint32_t index, bool hasTexture, std::string_view file,
                        std::uint32_t alphaMode, float alphaValue);

}  // namespace zmf::material

// 3DS files: the triangle meshes (each asked for through "Load Object"), their materials and
// texture coordinates.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// Imports the file into the model, which the caller has emptied. Failures are reported through
// the model's host; false when the file could not be read at all.
bool Import3ds(Model& model, std::string_view path);

// The same for the bytes of a file already in memory (the model's material count set by the
// caller, 0 as Open sets it). Afterwards at least one material exists and every face names a
// material of the table.
void Import3dsFrom(Model& model, std::string_view bytes);

}  // namespace zmf::importers

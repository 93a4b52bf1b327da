// TGA heightmaps: one vertex per pixel, its height from the pixel's brightness, two faces per
// square.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// Imports the file into the model, which the caller has emptied. Failures are reported through
// the model's host; false when the file could not be read at all.
bool ImportHeightmap(Model& model, std::string_view path);

}  // namespace zmf::importers

// Text files of numbers: vertices, normals and triangles by the number of values per line.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// Imports the file into the model, which the caller has emptied. Failures are reported through
// the model's host; false when the file could not be read at all.
bool ImportText(Model& model, std::string_view path);

}  // namespace zmf::importers

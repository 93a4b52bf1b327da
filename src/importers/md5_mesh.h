// MD5 meshes: joints become bones, weights become vertex weights, one mesh asked for at a time.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// Imports the file into the model, which the caller has emptied. Failures are reported through
// the model's host; false when the file could not be read at all.
bool ImportMd5Mesh(Model& model, std::string_view path);

// The same for the text of a file already in memory (tests and the fuzzer use it).
void ImportMd5MeshFrom(Model& model, std::string_view text);

}  // namespace zmf::importers

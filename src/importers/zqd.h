// ZQD models: vertices, faces, colours and texture images beside the file.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// Imports the file into the model, which the caller has emptied. Failures are reported through
// the model's host; false when the file could not be read at all.
bool ImportZqd(Model& model, std::string_view path);

// The same for the text of a file already in memory; `path` is the file's name for messages and
// the folder its texture images are looked for in (tests and the fuzzer use it).
void ImportZqdFrom(Model& model, std::string_view text, std::string_view path);

}  // namespace zmf::importers

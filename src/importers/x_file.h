// DirectX text .x files: the meshes with their normals and texture coordinates.
#pragma once

#include <cstddef>
#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// A regular file is read in blocks of this many bytes (a longer line grows the block), so that
// a big file is never held whole.
inline constexpr std::size_t kXFileBlock = std::size_t{1} << 18;

// Imports the file into the model, which the caller has emptied. Failures are reported through
// the model's host; false when the file could not be read to its end.
bool ImportXFile(Model& model, std::string_view path);

// The same for the text of a file already in memory; `path` only names the file in messages.
// False, with a message, for a binary or compressed X file, which is not read.
bool ImportXFileFrom(Model& model, std::string_view text, std::string_view path);

}  // namespace zmf::importers

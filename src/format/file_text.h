// Whole files in memory: what the text readers parse.
#pragma once

#include <string>
#include <string_view>

namespace zmf::format {

// Reads the whole file at `path` into `contents`. False, and `contents` emptied, when the file
// cannot be opened or read to its end (a folder, a missing file, a read error, a file larger
// than the memory the program can have).
bool ReadWholeFile(std::string_view path, std::string& contents);

}  // namespace zmf::format

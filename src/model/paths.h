// Splitting and rebuilding file paths; both '/' and '\' separate folders.
#pragma once

#include <string>
#include <string_view>

namespace zmf {

// Directory (before the last separator) and file name (after it). False, and the outputs
// untouched, when the path holds no separator.
bool SplitDirectory(std::string_view path, std::string& directory, std::string& fileName);

// Directory, base name and extension (after the last '.' of the file name, without the dot).
// False, and the outputs untouched, when the path holds no separator or the file name no dot.
bool SplitPath(std::string_view path, std::string& directory, std::string& baseName,
               std::string& extension);

// Replaces the file name part of `path` with `fileName`, keeping the separator the path used
// (so Windows paths stay Windows paths). False, and the path untouched, without a separator.
bool ReplaceFileName(std::string& path, std::string_view fileName);

// Whether a file name that a model file gives stays in that file's folder: not empty, not
// absolute (nor a drive path) and without a ".." part.
bool StaysInFolder(std::string_view name);

}  // namespace zmf

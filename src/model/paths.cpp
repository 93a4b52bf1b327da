// Path splitting for model and texture files.
#include "model/paths.h"

namespace zmf {
namespace {

constexpr std::string_view kSeparators = "/\\";

}  // namespace

bool SplitDirectory(std::string_view path, std::string& directory, std::string& fileName) {
  const std::size_t slash = path.find_last_of(kSeparators);
  if (slash == std::string_view::npos) return false;
  directory.assign(path.substr(0, slash));
  fileName.assign(path.substr(slash + 1));
  return true;
}

bool SplitPath(std::string_view path, std::string& directory, std::string& baseName,
               std::string& extension) {
  const std::size_t slash = path.find_last_of(kSeparators);
  if (slash == std::string_view::npos) return false;
  const std::string_view name = path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  directory.assign(path.substr(0, slash));
  baseName.assign(name.substr(0, dot));
  extension.assign(name.substr(dot + 1));
  return true;
}

bool ReplaceFileName(std::string& path, std::string_view fileName) {
  const std::size_t slash = path.find_last_of(kSeparators);
  if (slash == std::string::npos) return false;
  path.resize(slash + 1);
  path.append(fileName);
  return true;
}

bool StaysInFolder(std::string_view name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of(kSeparators, start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace zmf

// Whole files in memory: what the text readers parse.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace zmf::format {

// The bytes of one file, read with a few large reads into a buffer that is never cleared first
// (so a big file's memory is touched once, by the read).
class FileText {
 public:
  // False, and the text emptied, when the file cannot be opened or read to its end (a folder, a
  // missing file, a read error, a file larger than the memory the program can have).
  bool Read(std::string_view path);

  std::string_view view() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

// The same into a string.
bool ReadWholeFile(std::string_view path, std::string& contents);

}  // namespace zmf::format

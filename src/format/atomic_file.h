// Saving a file so that it is either wholly written or not changed at all.
#pragma once

#include <string>
#include <string_view>

namespace zmf::format {

// Writes go to a temporary file in the target's folder; Commit renames it over the target only
// when every byte was written and the file closed cleanly. Any failure (the temporary file
// cannot be made, a short write, a full disk, the rename) leaves an existing target untouched
// and removes the temporary file. A target that is a symbolic link is replaced through the
// link; an existing target keeps its permission bits; a target that exists but may not be
// written is refused, as opening it for writing would have been. A target that is not a plain
// file (a pipe, a device such as /dev/stdout or /dev/null) is written through, not replaced.
class AtomicFile {
 public:
  explicit AtomicFile(std::string_view target);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();  // removes the temporary file unless Commit succeeded

  // Makes the temporary file. False when it cannot be made.
  bool Open();

  // Appends bytes; false (and every later call false) once anything failed.
  bool Write(std::string_view bytes);

  // Closes the temporary file and renames it over the target. False when any step failed.
  bool Commit();

 private:
  void Discard();

  std::string target_;
  std::string temporary_;
  int fd_ = -1;
  bool failed_ = false;
};

}  // namespace zmf::format

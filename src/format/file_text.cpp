// Reading a whole file with a few large reads.
#include "format/file_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <stdexcept>

namespace zmf::format {

bool ReadWholeFile(std::string_view path, std::string& contents) {
  contents.clear();
  const std::string name(path);
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;

  // One byte more than the file's size lets the read that finds the end happen without growing.
  constexpr std::size_t kBlock = 1 << 20;
  struct stat info {};
  const bool sized = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
  std::size_t used = 0;
  bool ok = true;
  // A file larger than the memory the program can have is a file that cannot be read, not a
  // reason to end the program.
  try {
    contents.resize(sized ? static_cast<std::size_t>(info.st_size) + 1 : kBlock);
    for (;;) {
      if (used == contents.size()) contents.resize(contents.size() * 2);
      const ssize_t got = ::read(fd, contents.data() + used, contents.size() - used);
      if (got < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      if (got == 0) break;
      used += static_cast<std::size_t>(got);
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  } catch (const std::length_error&) {
    ok = false;
  }
  ::close(fd);
  if (ok) {
    contents.resize(used);
  } else {
    std::string().swap(contents);
  }
  return ok;
}

}  // namespace zmf::format

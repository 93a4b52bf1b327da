// Reading a whole file with a few large reads.
#include "format/file_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "model/pool.h"

namespace zmf::format {
namespace {

// A buffer of `size` bytes, uninitialised; null when memory ran out.
std::unique_ptr<char[]> Allocate(std::size_t size) {
  return std::unique_ptr<char[]>(new (std::nothrow) char[size]);
}

}  // namespace

bool FileText::Read(std::string_view path) {
  bytes_.reset();
  size_ = 0;
  const std::string name(path);
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;

  // One byte more than the file's size lets the read that finds the end happen without growing;
  // a pipe or device, whose size is unknown, grows its buffer by doubling.
  constexpr std::size_t kBlock = 1 << 20;
  struct stat info {};
  const bool sized = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
  std::size_t capacity = sized ? static_cast<std::size_t>(info.st_size) + 1 : kBlock;
  std::unique_ptr<char[]> bytes = Allocate(capacity);
  if (bytes != nullptr) AdviseHugePages(bytes.get(), capacity);
  std::size_t used = 0;
  bool ok = bytes != nullptr;
  while (ok) {
    if (used == capacity) {
      // A file larger than the memory the program can have is a file that cannot be read, not
      // a reason to end the program.
      std::unique_ptr<char[]> larger = capacity <= SIZE_MAX / 2 ? Allocate(capacity * 2) : nullptr;
      if (larger == nullptr) {
        ok = false;
        break;
      }
      std::memcpy(larger.get(), bytes.get(), used);
      bytes = std::move(larger);
      capacity *= 2;
    }
    const ssize_t got = ::read(fd, bytes.get() + used, capacity - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  ::close(fd);
  if (!ok) return false;
  bytes_ = std::move(bytes);
  size_ = used;
  return true;
}

bool ReadWholeFile(std::string_view path, std::string& contents) {
  contents.clear();
  FileText text;
  if (!text.Read(path)) {
    std::string().swap(contents);
    return false;
  }
  try {
    contents.assign(text.view());
  } catch (const std::bad_alloc&) {
    std::string().swap(contents);
    return false;
  }
  return true;
}

}  // namespace zmf::format

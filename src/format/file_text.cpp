// Reading a whole file with a few large reads.
#include "format/file_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "model/pool.h"

namespace zmf::format {
namespace {

// What the text readers take for whitespace: isspace() in the "C" locale.
bool IsTextSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A buffer of `size` bytes, uninitialised; null when memory ran out.
std::unique_ptr<char[]> Allocate(std::size_t size) {
  return std::unique_ptr<char[]>(new (std::nothrow) char[size]);
}

// Doubles a buffer of `capacity` bytes, keeping its first `used`, unless the new size would pass
// `limit`. False, with the buffer as it was, when it may not grow or memory ran out: a file
// larger than the memory the program can have is a file that cannot be read, not a reason to
// end the program.
bool DoubleBuffer(std::unique_ptr<char[]>& bytes, std::size_t& capacity, std::size_t used,
                  std::size_t limit) {
  if (capacity > limit / 2) return false;
  std::unique_ptr<char[]> larger = Allocate(capacity * 2);
  if (larger == nullptr) return false;
  std::memcpy(larger.get(), bytes.get(), used);
  bytes = std::move(larger);
  capacity *= 2;
  return true;
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
    if (used == capacity && !DoubleBuffer(bytes, capacity, used, SIZE_MAX)) {
      ok = false;
      break;
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

// No word of a model file comes near this: numbers, names and paths are short.
constexpr std::size_t kLongestWord = std::size_t{64} << 20;

FileBlocks::~FileBlocks() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileBlocks::Open(std::string_view path) {
  const std::string name(path);
  fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  failed_ = fd_ < 0;
  if (failed_) return false;
  struct stat info {};
  if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    size_ = static_cast<std::size_t>(info.st_size);
  }
  buffer_ = Allocate(kBlock);
  capacity_ = kBlock;
  failed_ = buffer_ == nullptr;
  return !failed_ && Fill(0);
}

std::string_view FileBlocks::Next(bool keepCurrent) {
  if (atEnd_ || failed_) {
    window_ = {};
    return window_;
  }
  // The cut word after the window moves to the front, of this buffer or of a new one.
  const std::size_t used =
      static_cast<std::size_t>(window_.data() + window_.size() - buffer_.get());
  const std::size_t carried = filled_ - used;
  if (keepCurrent) {
    std::unique_ptr<char[]> fresh = Allocate(capacity_);
    if (fresh == nullptr) {
      failed_ = true;
      window_ = {};
      return window_;
    }
    std::memcpy(fresh.get(), buffer_.get() + used, carried);
    kept_.push_back(std::move(buffer_));
    buffer_ = std::move(fresh);
  } else {
    std::memmove(buffer_.get(), buffer_.get() + used, carried);
  }
  if (!Fill(carried)) window_ = {};
  return window_;
}

bool FileBlocks::Fill(std::size_t carried) {
  filled_ = carried;
  for (;;) {
    // A word as long as the buffer: the buffer doubles, up to the longest word any model text
    // can hold. Beyond that the file is no text (a huge file of zeros, say): reading it on would
    // take minutes and all the memory there is, so it fails as a read error.
    if (filled_ == capacity_ && !DoubleBuffer(buffer_, capacity_, filled_, kLongestWord)) {
      failed_ = true;
      return false;
    }
    const ssize_t got = ::read(fd_, buffer_.get() + filled_, capacity_ - filled_);
    if (got < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      return false;
    }
    const std::size_t before = filled_;
    filled_ += static_cast<std::size_t>(got);
    if (got == 0) {
      atEnd_ = true;
      window_ = std::string_view(buffer_.get(), filled_);
      return true;
    }
    // The window ends after the last whitespace; the bytes read before this read hold none.
    for (std::size_t end = filled_; end > before; --end) {
      if (IsTextSpace(buffer_[end - 1])) {
        window_ = std::string_view(buffer_.get(), end);
        return true;
      }
    }
  }
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

// A temporary file beside the target, renamed over it when complete.
#include "format/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace zmf::format {
namespace {

// The file a save really replaces: the end of a chain of symbolic links, or the path itself.
std::string ResolveTarget(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;  // a dangling link is replaced
  return resolved;
}

}  // namespace

AtomicFile::AtomicFile(std::string_view target) : target_(target) {}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open() {
  if (fd_ >= 0 || failed_) return !failed_;
  target_ = ResolveTarget(target_);

  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  if (exists && (S_ISDIR(existing.st_mode) || ::access(target_.c_str(), W_OK) != 0)) {
    failed_ = true;
    return false;
  }
  if (exists && !S_ISREG(existing.st_mode)) {
    // A pipe or a device (/dev/stdout, /dev/null) is written through: replacing it with a file
    // would destroy it, and what was written to it cannot be taken back anyway.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    failed_ = fd_ < 0;
    return !failed_;
  }

  // ".name.tmp-PID-N" beside the target: the same folder, so the rename cannot cross devices.
  // A long name is shortened by more than the suffix adds, so the temporary name fits wherever
  // the target's name fits.
  const std::size_t slash = target_.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  if (name.size() > 64) name.resize(name.size() - 32);
  static std::uint32_t counter = 0;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = folder + "." + name + ".tmp-" + std::to_string(::getpid()) + "-" +
                 std::to_string(counter++);
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temporary_.clear();
    failed_ = true;
    return false;
  }
  // The saved file keeps the permissions the old one had; a new one gets 0666 less the umask.
  if (exists) ::fchmod(fd_, existing.st_mode & 07777);
  return true;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (failed_ || fd_ < 0) {
    failed_ = true;
    return false;
  }
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool AtomicFile::Commit() {
  if (failed_ || fd_ < 0) {
    Discard();
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  // The new text must be on the disk before it takes the old file's name: otherwise a crash soon
  // after the rename can leave an empty file where the old model was. A pipe or a device was
  // written through and has no temporary file to sync or rename.
  const bool replacing = !temporary_.empty();
  const bool synced = !replacing || ::fsync(fd) == 0;
  if (::close(fd) != 0 || !synced ||
      (replacing && ::rename(temporary_.c_str(), target_.c_str()) != 0)) {
    failed_ = true;
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

}  // namespace zmf::format

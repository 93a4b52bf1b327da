// Whole files in memory: what the text readers parse.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// A file read front to back in blocks through one reused buffer, for a reader that passes over a
// big text once: its memory is a block or two however big the file is. Each window of text ends
// just after a whitespace character (or at the end of the file), so a word or number inside a
// window is never cut; what follows the window's last whitespace starts the next window. A word
// longer than the buffer grows it.
class FileBlocks {
 public:
  FileBlocks() = default;
  FileBlocks(const FileBlocks&) = delete;
  FileBlocks& operator=(const FileBlocks&) = delete;
  ~FileBlocks();

  // Opens the file and reads its first window; false, as FileText::Read, when the file cannot
  // be opened or that first read fails (a folder, a missing file). failed() then tells too.
  bool Open(std::string_view path);

  // The file's size when it was opened; 0 when it is not a regular file or is empty.
  std::size_t size() const { return size_; }
  // The window read last: empty once the file has been read to its end.
  std::string_view window() const { return window_; }
  // Reads the window after the current one. `keepCurrent`: text of the current window may
  // still be in use, so it stays where it is until DropKept; otherwise its memory is reused.
  // A read error, or no memory for a kept window, ends the text there (failed() tells).
  std::string_view Next(bool keepCurrent);
  // Frees the buffers of windows kept by Next.
  void DropKept() { kept_.clear(); }
  bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kBlock = std::size_t{256} << 10;

  // Fills the buffer after its first `carried` bytes (the cut word of the last window) and sets
  // the window; false on a read error.
  bool Fill(std::size_t carried);

  int fd_ = -1;
  std::size_t size_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t filled_ = 0;   // bytes of the buffer that hold text
  std::string_view window_;  // the part of the buffer up to its last whitespace
  bool atEnd_ = false;       // the file has been read to its end
  bool failed_ = false;
  std::vector<std::unique_ptr<char[]>> kept_;
};

// The same into a string.
bool ReadWholeFile(std::string_view path, std::string& contents);

}  // namespace zmf::format

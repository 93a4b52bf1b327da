// Buffered text output with the "%f" and "%u" number forms, to a string or an atomic file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/atomic_file.h"
#include "model/math_types.h"

namespace zmf::format {

// Gathers text in a block-sized buffer and hands each full block to Drain, so writing a big
// model costs one system call per block rather than one per number.
class TextSink {
 public:
  TextSink();
  virtual ~TextSink() = default;
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;

  void Put(std::string_view text);
  void Put(char c) {
    if (used_ == kBlock) Flush();
    buffer_[used_++] = c;
  }
  void PutFloat(float value);             // "%f"
  void PutUnsigned(std::uint32_t value);  // "%u"
  // x, y and z in "%f" with the separator between them.
  void PutVector(const Vector3& v, char separator) {
    PutFloat(v.x);
    Put(separator);
    PutFloat(v.y);
    Put(separator);
    PutFloat(v.z);
  }

  // Hands over everything buffered.
  void Flush();

 protected:
  virtual void Drain(std::string_view bytes) = 0;

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  // Room for the longest number, so a number is never split across blocks.
  char* Room(std::size_t size) {
    if (kBlock - used_ < size) Flush();
    return buffer_.get() + used_;
  }

  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

// Text kept in memory.
class StringSink final : public TextSink {
 public:
  // Everything put so far.
  const std::string& Text() {
    Flush();
    return text_;
  }
  // Room for `bytes` of text, so that a big text grows its memory once; only a hint.
  void Reserve(std::size_t bytes) { text_.reserve(bytes); }
  // Everything put so far, handed over; the sink is empty afterwards.
  std::string TakeText() {
    Flush();
    return std::move(text_);
  }

 private:
  void Drain(std::string_view bytes) override { text_.append(bytes); }
  std::string text_;
};

// Text kept in memory as the blocks it was put in, so that a big text is never copied as it
// grows (a recovery file is made so while the window waits).
class BlockSink final : public TextSink {
 public:
  std::vector<std::string> TakeBlocks() {
    Flush();
    return std::move(blocks_);
  }

 private:
  void Drain(std::string_view bytes) override { blocks_.emplace_back(bytes); }
  std::vector<std::string> blocks_;
};

// Text written to a file through an AtomicFile: nothing reaches the target unless all of it
// was written.
class FileSink final : public TextSink {
 public:
  explicit FileSink(std::string_view path) : file_(path) {}

  bool Open() { return file_.Open(); }
  // Writes what is left and replaces the target; false when any write or the rename failed.
  bool Commit() {
    Flush();
    return file_.Commit();
  }

 private:
  void Drain(std::string_view bytes) override { file_.Write(bytes); }
  AtomicFile file_;
};

}  // namespace zmf::format

// The ZMF reader's lexical rules over a text in memory.
#include "format/word_scanner.h"

#include <array>
#include <cstdint>

#include "format/file_text.h"
#include "format/number_text.h"

namespace zmf::format {
namespace {

constexpr std::array<bool, 256> kWhitespace = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[c] = true;
  return table;
}();

bool IsWhitespace(char c) { return kWhitespace[static_cast<unsigned char>(c)]; }

}  // namespace

WordScanner::WordScanner(FileBlocks& blocks) : text_(blocks.window()), blocks_(&blocks) {}

std::size_t WordScanner::Remaining() const {
  if (blocks_ == nullptr) return text_.size() - position_;
  return blocks_->size() > Position() ? blocks_->size() - Position() : 0;
}

void WordScanner::DropKeptWindows() {
  if (blocks_ != nullptr) blocks_->DropKept();
  wordsInUse_ = false;
}

bool WordScanner::NextWindow() {
  if (blocks_ == nullptr) return false;
  passed_ += text_.size();
  text_ = blocks_->Next(wordsInUse_);
  position_ = 0;
  return !text_.empty();
}

void WordScanner::SkipWhitespace() {
  // A window ends just after whitespace, so only whitespace ever reaches its end.
  do {
    while (position_ < text_.size() && IsWhitespace(text_[position_])) ++position_;
  } while (position_ == text_.size() && NextWindow());
}

bool WordScanner::AtEnd() {
  SkipWhitespace();
  return position_ == text_.size();
}

std::string_view WordScanner::Word() {
  SkipWhitespace();
  const std::size_t start = position_;
  while (position_ < text_.size() && !IsWhitespace(text_[position_])) ++position_;
  wordsInUse_ = true;
  return text_.substr(start, position_ - start);
}

bool WordScanner::Float(float& value) {
  SkipWhitespace();
  const std::size_t used = ParseFloatPrefix(text_.substr(position_), value);
  position_ += used;
  return used != 0;
}

bool WordScanner::Unsigned(std::uint32_t& value) {
  SkipWhitespace();
  const std::size_t used = ParseUnsignedPrefix(text_.substr(position_), value);
  position_ += used;
  return used != 0;
}

bool WordScanner::Literal(char c) {
  SkipWhitespace();
  if (position_ == text_.size() || text_[position_] != c) return false;
  ++position_;
  return true;
}

void WordScanner::SkipPast(std::string_view word) {
  while (!AtEnd()) {
    if (Word() == word) return;
  }
}

}  // namespace zmf::format

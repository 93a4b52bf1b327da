// The ZMF reader's lexical rules over a text in memory.
#include "format/word_scanner.h"

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstdint>

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

void WordScanner::ReleasePages() {
  static const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto base = reinterpret_cast<std::uintptr_t>(text_.data());
  // Only pages wholly inside the passed text: the ones around it may hold other data.
  const std::uintptr_t from = (base + released_ + page - 1) / page * page;
  const std::uintptr_t to = (base + position_) / page * page;
  if (to <= from) return;
  ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
  released_ = to - base;
}

void WordScanner::SkipWhitespace() {
  while (position_ < text_.size() && IsWhitespace(text_[position_])) ++position_;
}

bool WordScanner::AtEnd() {
  SkipWhitespace();
  return position_ == text_.size();
}

std::string_view WordScanner::Word() {
  SkipWhitespace();
  const std::size_t start = position_;
  while (position_ < text_.size() && !IsWhitespace(text_[position_])) ++position_;
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

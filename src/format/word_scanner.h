// Reads a text the way the ZMF reader's formatted input does: words, "%f" and "%u" numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zmf::format {

// A cursor over a whole text held in memory. Whitespace is what isspace() takes in the "C"
// locale (space, tab, line feed, carriage return, vertical tab, form feed), so "\r\n" line ends
// are whitespace like "\n". Every read first skips whitespace, as a blank in a scanf format
// does. A number read takes only the characters of the number, so "2.00}" reads 2.00 and leaves
// "}" to be read next; a failed number read consumes nothing but the whitespace.
class WordScanner {
 public:
  explicit WordScanner(std::string_view text) : text_(text) {}

  // True when nothing but whitespace is left.
  bool AtEnd();

  // The next maximal run of non-whitespace characters ("%s"); empty at the end of the text.
  std::string_view Word();

  // "%f": false, and `value` unchanged, when the next characters are not a number.
  bool Float(float& value);

  // "%u": false, and `value` unchanged, when the next characters are not a number.
  bool Unsigned(std::uint32_t& value);

  // A literal character in a format: consumes `c` when it is the next non-whitespace character.
  bool Literal(char c);

  // Skips words up to and including the next word that equals `word`, or to the end.
  void SkipPast(std::string_view word);

  // Characters not yet read, and characters read (skipped whitespace included).
  std::size_t Remaining() const { return text_.size() - position_; }
  std::size_t Position() const { return position_; }

  // For a caller that owns a big text and never reads it again: from now on ReleasePassed may
  // hand the memory of text already read back to the system (it then reads as zeros), so a big
  // file and the model made from it are not in memory together.
  void AllowReleasingPassedText() { releasing_ = true; }
  // Between records, when no word read earlier is still in use: releases the whole pages of text
  // behind the cursor once enough of them have gathered. Nothing unless allowed.
  void ReleasePassed() {
    if (releasing_ && position_ - released_ >= kReleaseStep) ReleasePages();
  }

 private:
  static constexpr std::size_t kReleaseStep = std::size_t{8} << 20;

  void SkipWhitespace();
  void ReleasePages();

  std::string_view text_;
  std::size_t position_ = 0;
  std::size_t released_ = 0;  // text before this was handed back (or is not worth a page)
  bool releasing_ = false;
};

}  // namespace zmf::format

// Reads a text the way the ZMF reader's formatted input does: words, "%f" and "%u" numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zmf::format {

class FileBlocks;

// A cursor over a whole text held in memory, or over a file read in blocks. Whitespace is what
// isspace() takes in the "C" locale (space, tab, line feed, carriage return, vertical tab, form
// feed), so "\r\n" line ends are whitespace like "\n". Every read first skips whitespace, as a
// blank in a scanf format does. A number read takes only the characters of the number, so
// "2.00}" reads 2.00 and leaves "}" to be read next; a failed number read consumes nothing but
// the whitespace.
class WordScanner {
 public:
  explicit WordScanner(std::string_view text) : text_(text) {}
  // Reads a file block by block (see FileBlocks), from the window it has read last.
  explicit WordScanner(FileBlocks& blocks);

  // True when nothing but whitespace is left.
  bool AtEnd();

  // The next maximal run of non-whitespace characters ("%s"); empty at the end of the text.
  // Over a file, the word stays readable until the next ReleasePassed.
  std::string_view Word();

  // "%f": false, and `value` unchanged, when the next characters are not a number.
  bool Float(float& value);

  // "%u": false, and `value` unchanged, when the next characters are not a number.
  bool Unsigned(std::uint32_t& value);

  // A literal character in a format: consumes `c` when it is the next non-whitespace character.
  bool Literal(char c);

  // Skips words up to and including the next word that equals `word`, or to the end.
  void SkipPast(std::string_view word);

  // Characters not yet read, and characters read (skipped whitespace included). Over a file,
  // what is not yet read is told by the file's size when it was opened.
  std::size_t Remaining() const;
  std::size_t Position() const { return passed_ + position_; }

  // Between records, when no word read earlier is still in use: over a file, the memory of the
  // text already read may then be used again.
  void ReleasePassed() {
    if (wordsInUse_) DropKeptWindows();
  }

 private:
  void SkipWhitespace();
  // Over a file, moves to the next window; false at the end of the text.
  bool NextWindow();
  void DropKeptWindows();

  std::string_view text_;  // the whole text, or the file's current window
  std::size_t position_ = 0;
  FileBlocks* blocks_ = nullptr;
  std::size_t passed_ = 0;   // characters of the file before the current window
  bool wordsInUse_ = false;  // a word has been read since the last ReleasePassed
};

}  // namespace zmf::format

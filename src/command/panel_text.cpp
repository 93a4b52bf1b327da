// Numbers typed into prompts and edit boxes.
#include "command/panel_text.h"

#include <charconv>

#include "format/number_text.h"

namespace zmf::command {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view SkipSpace(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  return text;
}

}  // namespace

float BoxNumber(std::string_view text) {
  float value = 0.0f;
  if (format::ParseFloatPrefix(SkipSpace(text), value) == 0) return 0.0f;
  return value;
}

std::size_t ScanNumbers(std::string_view text, std::span<float> values) {
  std::size_t read = 0;
  for (float& value : values) {
    text = SkipSpace(text);
    float number = 0.0f;
    const std::size_t used = format::ParseFloatPrefix(text, number);
    // A number runs to the next blank: "1.5.5" is not 1.5 and then 0.5.
    if (used == 0 || (used < text.size() && !IsSpace(text[used]))) break;
    value = number;
    text.remove_prefix(used);
    ++read;
  }
  return read;
}

std::optional<std::uint32_t> PickedRow(std::span<const std::string> arguments, std::uint32_t rows,
                                       std::string& problem) {
  std::uint32_t row = 0;
  if (arguments.size() == 1) {
    const std::string& text = arguments[0];
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
    if (error == std::errc() && end == text.data() + text.size() && row < rows) return row;
  }
  problem = "the list has no row " + (arguments.empty() ? "" : arguments[0]);
  return std::nullopt;
}

bool MatrixFromBoxes(std::span<const std::string> boxes, Matrix4& matrix) {
  if (boxes.size() != 16) return false;
  for (std::size_t i = 0; i < 16; ++i) matrix.m[i] = BoxNumber(boxes[i]);
  return true;
}

}  // namespace zmf::command

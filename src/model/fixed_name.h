// A short text kept in a fixed number of bytes, as names of materials, bones and animations are.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zmf {

// Holds at most Capacity - 1 characters; longer texts are cut when they are stored, so a name
// can never overrun its field whatever a file or the clipboard supplies.
template <std::size_t Capacity>
class FixedName {
 public:
  static constexpr std::size_t kMaxLength = Capacity - 1;

  FixedName() = default;
  FixedName(std::string_view text) {
    Set(text);
  }  // NOLINT: implicit on purpose, names read like strings

  void Set(std::string_view text) {
    length_ = std::min(text.size(), kMaxLength);
    std::copy_n(text.data(), length_, chars_.data());
    chars_[length_] = '\0';
  }

  std::string_view view() const { return std::string_view(chars_.data(), length_); }
  std::string str() const { return std::string(view()); }
  const char* c_str() const { return chars_.data(); }
  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }

  friend bool operator==(const FixedName& a, const FixedName& b) { return a.view() == b.view(); }
  friend bool operator==(const FixedName& a, std::string_view b) { return a.view() == b; }

 private:
  std::array<char, Capacity> chars_{};
  std::size_t length_ = 0;
};

using Name32 = FixedName<32>;

}  // namespace zmf

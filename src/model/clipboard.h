// The clipboard that Copy, Cut and Paste exchange text through: the system clipboard in the
// window, a text of its own in batch mode and in tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zmf {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // The clipboard's text; nullopt when it holds none (empty, or something that is not text).
  // The text is lent, not copied (a pasted selection can be a hundred megabytes): it stays
  // valid until the next Text() or SetText().
  virtual std::optional<std::string_view> Text() const = 0;
  // Replaces what the clipboard holds with the text; false when it could not be set.
  virtual bool SetText(std::string text) = 0;
};

// A clipboard that is just a text in memory.
class MemoryClipboard final : public Clipboard {
 public:
  std::optional<std::string_view> Text() const override {
    if (!text_) return std::nullopt;
    return std::string_view(*text_);
  }
  bool SetText(std::string text) override {
    text_ = std::move(text);
    return true;
  }
  // Empties it: Text() is nullopt again.
  void Clear() { text_.reset(); }

 private:
  std::optional<std::string> text_;
};

}  // namespace zmf

// The desktop's clipboard for Copy, Cut and Paste: plain text, so that two running editors, or
// an editor and a text editor, exchange selections.
#pragma once

#include <string>

#include "model/clipboard.h"

namespace zmf::app {

class QtClipboard final : public Clipboard {
 public:
  std::optional<std::string_view> Text() const override;
  bool SetText(std::string text) override;

 private:
  mutable std::string text_;  // what Text() lends: the desktop's text as UTF-8
};

}  // namespace zmf::app

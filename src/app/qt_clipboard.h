// The desktop's clipboard for Copy, Cut and Paste: plain text, so that two running editors, or
// an editor and a text editor, exchange selections.
#pragma once

#include "model/clipboard.h"

namespace zmf::app {

class QtClipboard final : public Clipboard {
 public:
  std::optional<std::string> Text() const override;
  bool SetText(std::string text) override;
};

}  // namespace zmf::app

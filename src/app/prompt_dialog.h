// The one prompt for typed values: a caption, one line of text, OK and Cancel.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <string_view>

class QLineEdit;

namespace zmf::app {

// A prompt text "caption:default answer" taken apart at its first colon; everything after it is
// the default answer, further colons included. Without a colon there is no caption and no
// default.
struct PromptText {
  std::string caption;
  std::string answer;
};
PromptText SplitPromptText(std::string_view promptAndDefault);

// Answers are cut to this many characters, the size of the answer buffer commands read.
inline constexpr int kMaxPromptAnswer = 99;

class PromptDialog : public QDialog {
  Q_OBJECT
 public:
  PromptDialog(const PromptText& text, QWidget* owner);

  // The edit box's text, cut to kMaxPromptAnswer characters.
  std::string Answer() const;

 private:
  QLineEdit* edit_;
};

// Runs the prompt modally over owner; the typed answer, or nullopt after Cancel or Escape.
std::optional<std::string> RunPrompt(std::string_view promptAndDefault, QWidget* owner);

}  // namespace zmf::app

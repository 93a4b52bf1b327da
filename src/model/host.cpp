// The error box: the program's three severities of failure message.
#include "model/host.h"

#include <string>

namespace zmf {

MessageBoxRequest MakeErrorBox(std::string_view message, std::string_view detail,
                               Severity severity) {
  using Buttons = MessageBoxRequest::Buttons;
  using Icon = MessageBoxRequest::Icon;
  // By severity: the sentence after the message, the title, the buttons and icon, and whether
  // the box sits over the main window. Only an error or a warning names its detail; a warning
  // reads as an error does, under its own title and icon.
  struct Kind {
    std::string_view ending, title;
    Buttons buttons;
    Icon icon;
    bool owned;
  };
  static constexpr Kind kKinds[] = {
      {" The application will continue.", "ERROR", Buttons::Ok, Icon::Information, true},
      {" Continue the application?", "SERIOUS ERROR", Buttons::YesNo, Icon::Question, false},
      {" The application cannot continue.", "SHUTDOWN ERROR", Buttons::Ok, Icon::Stop, false},
      {" The application will continue.", "Warning", Buttons::Ok, Icon::Warning, true},
  };
  const Kind& kind = kKinds[static_cast<int>(severity)];
  MessageBoxRequest box;
  box.text.append(message);
  if (severity == Severity::Error || severity == Severity::Warning)
    box.text.append(" ").append(detail);
  box.text.append(kind.ending);
  box.title = kind.title;
  box.buttons = kind.buttons;
  box.icon = kind.icon;
  box.ownedByMainWindow = kind.owned;
  return box;
}

bool Host::ErrorBox(std::string_view message, std::string_view detail, Severity severity) {
  const bool yes = ShowMessageBox(MakeErrorBox(message, detail, severity));
  return severity == Severity::Serious && yes;
}

}  // namespace zmf

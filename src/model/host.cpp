// The error box: the program's three severities of failure message.
#include "model/host.h"

#include <string>

namespace zmf {

MessageBoxSpec MakeErrorBox(std::string_view message, std::string_view detail, Severity severity) {
  MessageBoxSpec box;
  switch (severity) {
    case Severity::Error:
      box.text.append(message).append(" ").append(detail).append(" The application will continue.");
      box.title = "ERROR";
      box.buttons = MessageBoxSpec::Buttons::Ok;
      box.icon = MessageBoxSpec::Icon::Information;
      box.ownedByMainWindow = true;
      break;
    case Severity::Serious:
      box.text.append(message).append(" Continue the application?");
      box.title = "SERIOUS ERROR";
      box.buttons = MessageBoxSpec::Buttons::YesNo;
      box.icon = MessageBoxSpec::Icon::Question;
      break;
    case Severity::Shutdown:
      box.text.append(message).append(" The application cannot continue.");
      box.title = "SHUTDOWN ERROR";
      box.buttons = MessageBoxSpec::Buttons::Ok;
      box.icon = MessageBoxSpec::Icon::Stop;
      break;
  }
  return box;
}

bool Host::ErrorBox(std::string_view message, std::string_view detail, Severity severity) {
  const bool yes = ShowMessageBox(MakeErrorBox(message, detail, severity));
  return severity == Severity::Serious && yes;
}

}  // namespace zmf

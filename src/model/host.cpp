// The error box: the program's three severities of failure message.
#include <string>

#include "model/host.h"

namespace zmf {

std::optional<MessageBoxSpec> MakeErrorBox(std::string_view message, std::string_view detail,
                                           int severity) {
  MessageBoxSpec box;
  switch (severity) {
    case 0:
      box.text.append(message).append(" ").append(detail).append(" The application will continue.");
      box.title = "ERROR";
      box.buttons = MessageBoxSpec::Buttons::Ok;
      box.icon = MessageBoxSpec::Icon::Information;
      box.ownedByMainWindow = true;
      return box;
    case 1:
      box.text.append(message).append(" Continue the application?");
      box.title = "SERIOUS ERROR";
      box.buttons = MessageBoxSpec::Buttons::YesNo;
      box.icon = MessageBoxSpec::Icon::Question;
      return box;
    case 2:
      box.text.append(message).append(" The application cannot continue.");
      box.title = "SHUTDOWN ERROR";
      box.buttons = MessageBoxSpec::Buttons::Ok;
      box.icon = MessageBoxSpec::Icon::Stop;
      return box;
    default:
      return std::nullopt;
  }
}

bool Host::ErrorBox(std::string_view message, std::string_view detail, int severity) {
  std::optional<MessageBoxSpec> box = MakeErrorBox(message, detail, severity);
  if (!box) return false;
  const bool yes = ShowMessageBox(*box);
  return severity == 1 && yes;
}

}  // namespace zmf

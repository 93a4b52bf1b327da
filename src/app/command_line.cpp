// The editor's command line: zmfedit [MODEL] or zmfedit --screenshot FILE.png [MODEL].
#include "app/command_line.h"

namespace zmf {

CommandLine ParseCommandLine(const QStringList& arguments) {
  CommandLine line;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
      line.showHelp = true;
    } else if (argument == QLatin1String("--screenshot")) {
      if (i + 1 == arguments.size() || arguments[i + 1].isEmpty()) {
        line.error = QStringLiteral("--screenshot needs a file name");
        return line;
      }
      line.screenshotPath = arguments[++i];
    } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      line.error = QStringLiteral("unknown option %1").arg(argument);
      return line;
    } else if (line.modelPath.isEmpty()) {
      line.modelPath = argument;
    } else {
      line.error = QStringLiteral("only one model can be opened");
      return line;
    }
  }
  return line;
}

QString UsageText() {
  return QStringLiteral(
      "usage: zmfedit [MODEL]\n"
      "       zmfedit --screenshot FILE.png [MODEL]\n"
      "\n"
      "Opens MODEL (a .zmf file) in the editor. With --screenshot, shows the window once,\n"
      "saves it as a PNG image to FILE.png and exits.\n");
}

}  // namespace zmf

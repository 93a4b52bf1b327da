// The editor's command line: zmfedit [MODEL] or zmfedit --screenshot FILE.png [MODEL].
#pragma once

#include <QString>
#include <QStringList>

namespace zmf {

struct CommandLine {
  QString modelPath;       // empty when no model was named
  QString screenshotPath;  // set by --screenshot: render one frame, save it, exit
  bool showHelp = false;
  QString error;  // why the arguments were rejected; empty when they were accepted
};

// Parses the arguments after the program name (Qt's own options already removed).
CommandLine ParseCommandLine(const QStringList& arguments);

// The usage lines printed by --help and after a rejected command line.
QString UsageText();

}  // namespace zmf

// zmfedit: opens the editor window, or with --screenshot saves a picture of it and exits.
#include <QApplication>
#include <QTextStream>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/screenshot.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZmfEdit"));

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  const zmf::CommandLine commandLine = zmf::ParseCommandLine(arguments);
  if (!commandLine.error.isEmpty()) {
    QTextStream(stderr) << "zmfedit: " << commandLine.error << "\n" << zmf::UsageText();
    return 2;
  }
  if (commandLine.showHelp) {
    QTextStream(stdout) << zmf::UsageText();
    return 0;
  }

  zmf::MainWindow window;
  if (!commandLine.modelPath.isEmpty()) window.SetCurrentFileName(commandLine.modelPath);

  if (!commandLine.screenshotPath.isEmpty()) {
    QString error;
    if (!zmf::SaveScreenshot(window, commandLine.screenshotPath, &error)) {
      QTextStream(stderr) << "zmfedit: " << error << "\n";
      return 1;
    }
    return 0;
  }

  window.show();
  return QApplication::exec();
}

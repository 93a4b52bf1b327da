// zmfedit: opens the editor window; with --screenshot saves a picture of it and exits; with
// --info, --convert or --batch works on models without a window (and without a display).
#include <QApplication>
#include <QString>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/screenshot.h"

int main(int argc, char** argv) {
  // A save beyond the file-size limit, or into a pipe whose reader has gone, then fails and is
  // reported instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);

  // Decided before Qt starts: these runs must work where there is no display at all.
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (zmf::app::RunsWithoutWindow(arguments)) {
    return zmf::app::RunWithoutWindow(zmf::app::ParseCommandLine(arguments));
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZmfEdit"));
  QApplication::setOrganizationName(QStringLiteral("ZmfEdit"));

  // QApplication has taken its own options out of argv.
  arguments.assign(argv + 1, argv + argc);
  const zmf::app::CommandLine commandLine = zmf::app::ParseCommandLine(arguments);
  if (!commandLine.error.empty()) {
    std::fprintf(stderr, "zmfedit: %s\n%s", commandLine.error.c_str(), zmf::app::UsageText());
    return 2;
  }

  zmf::app::MainWindow window;
  const bool screenshot = !commandLine.screenshotPath.empty();
  const bool script = commandLine.mode == zmf::app::CommandLine::Mode::Batch;
  // A run that only takes a picture has nobody to close a message box: messages go to stderr.
  window.SetUnattended(screenshot || script);
  if (commandLine.width > 0) window.resize(commandLine.width, commandLine.height);
  if (!commandLine.modelPath.empty() && !script) window.OpenOnStart(commandLine.modelPath);

  if (script && !screenshot) {
    // A script in a window of the size asked for.
    window.show();
    if (!zmf::app::WaitUntilDrawn(window, zmf::app::kFirstFrameTimeoutMs)) {
      std::fprintf(stderr, "zmfedit: the viewport drew no frame\n");
      return 1;
    }
    return window.RunScript(commandLine.scriptPath, commandLine.modelPath, stderr);
  }
  if (screenshot) {
    QString error;
    int result = 0;
    if (script) {
      // The script runs in the shown window, which then saves what it shows.
      window.show();
      if (!zmf::app::WaitUntilDrawn(window, zmf::app::kFirstFrameTimeoutMs)) {
        std::fprintf(stderr, "zmfedit: the viewport drew no frame\n");
        return 1;
      }
      result = window.RunScript(commandLine.scriptPath, commandLine.modelPath, stderr);
      if (result == 2) return 2;
    }
    if (!zmf::app::ShowAndSaveScreenshot(window, QString::fromLocal8Bit(commandLine.screenshotPath),
                                         &error)) {
      std::fprintf(stderr, "zmfedit: %s\n", error.toLocal8Bit().constData());
      return 1;
    }
    return result;
  }

  // A size asked for wins over the remembered one.
  if (commandLine.width == 0) window.RestoreGeometry();
  window.show();
  // After the start-up model, when a recovery copy is newer than the last clean exit.
  QMetaObject::invokeMethod(&window, &zmf::app::MainWindow::OfferRecovery, Qt::QueuedConnection);
  return QApplication::exec();
}

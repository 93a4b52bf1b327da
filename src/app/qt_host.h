// The Qt face of the core's Host: real message boxes, questions, the prompt dialog and the
// progress dialog of long work.
#pragma once

#include <QPointer>
#include <string>

#include "app/qt_clock.h"
#include "model/host.h"

class QProgressDialog;
class QWidget;

namespace zmf::app {

class QtHost final : public Host {
 public:
  // Boxes that belong to the main window are shown over mainWindow.
  explicit QtHost(QWidget* mainWindow) : mainWindow_(mainWindow) {}
  ~QtHost() override;
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  bool ShowMessageBox(const MessageBoxRequest& box) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
  std::optional<bool> AskYesNoCancel(std::string_view text, std::string_view caption) override;
  EachAnswer AskForEach(std::string_view text, std::string_view caption) override;
  std::optional<std::string> Prompt(std::string_view promptAndDefault) override;
  void Beep() override;

  // Work that has gone on for more than half a second shows a modal progress dialog (without a
  // Cancel button: the work cannot stop half way), which goes at done = 1. While it is up, the
  // main window does not repaint: the model may be half made.
  void Progress(std::string_view what, float done) override;

  // Without a user: boxes are written to the error stream ("TITLE: text"), questions answer No
  // and prompts are cancelled, so nothing ever waits for a click that never comes; long work
  // shows nothing.
  void SetUnattended(bool unattended) { unattended_ = unattended; }
  bool Unattended() const { return unattended_; }

  // The clock that times long work; the host's own unless a test sets one.
  void SetProgressClock(const Clock& clock) { progressClock_ = &clock; }

  // How long work goes on before its progress dialog shows, in seconds.
  static constexpr float kProgressDelay = 0.5f;

 private:
  class BoxOverWork;

  void CloseProgressDialog();

  QWidget* mainWindow_;
  bool unattended_ = false;

  QtClock ownClock_;
  const Clock* progressClock_ = &ownClock_;
  float workStart_ = -1.0f;  // when the current work began (or a box over it closed); < 0: none
  QPointer<QProgressDialog> progressDialog_;
  std::string progressText_;  // the dialog's label
};

}  // namespace zmf::app

// The Qt face of the core's Host: real message boxes, questions and the prompt dialog.
#pragma once

#include "model/host.h"

class QWidget;

namespace zmf::app {

class QtHost final : public Host {
 public:
  // Boxes that belong to the main window are shown over mainWindow.
  explicit QtHost(QWidget* mainWindow) : mainWindow_(mainWindow) {}

  bool ShowMessageBox(const MessageBoxSpec& box) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
  std::optional<std::string> Prompt(std::string_view promptAndDefault) override;
  void Beep() override;

  // Without a user: boxes are written to the error stream ("TITLE: text"), questions answer No
  // and prompts are cancelled, so nothing waits for a click that never comes.
  void SetUnattended(bool unattended) { unattended_ = unattended; }

 private:
  QWidget* mainWindow_;
  bool unattended_ = false;
};

}  // namespace zmf::app

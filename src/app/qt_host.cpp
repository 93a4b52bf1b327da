// The Qt face of the core's Host: real message boxes, questions and the prompt dialog.
#include "app/qt_host.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdio>

#include "app/prompt_dialog.h"

namespace zmf::app {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon ToQtIcon(MessageBoxSpec::Icon icon) {
  switch (icon) {
    case MessageBoxSpec::Icon::Information:
      return QMessageBox::Information;
    case MessageBoxSpec::Icon::Question:
      return QMessageBox::Question;
    case MessageBoxSpec::Icon::Stop:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

bool QtHost::ShowMessageBox(const MessageBoxSpec& box) {
  if (unattended_) {
    std::fprintf(stderr, "%s: %s\n", box.title.c_str(), box.text.c_str());
    return box.buttons != MessageBoxSpec::Buttons::YesNo;
  }
  const bool yesNo = box.buttons == MessageBoxSpec::Buttons::YesNo;
  QMessageBox message(ToQtIcon(box.icon), ToQString(box.title), ToQString(box.text),
                      yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                      box.ownedByMainWindow ? mainWindow_ : nullptr);
  message.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
  const int answer = message.exec();
  return answer == QMessageBox::Yes || answer == QMessageBox::Ok;
}

bool QtHost::AskYesNo(std::string_view text, std::string_view caption) {
  if (unattended_) return false;
  return QMessageBox::question(mainWindow_, ToQString(caption), ToQString(text),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

void QtHost::Beep() {
  if (!unattended_) QApplication::beep();
}

std::optional<std::string> QtHost::Prompt(std::string_view promptAndDefault) {
  if (unattended_) return std::nullopt;
  return RunPrompt(promptAndDefault, mainWindow_);
}

}  // namespace zmf::app

// The Qt face of the core's Host: real message boxes, questions, the prompt dialog and the
// progress dialog of long work.
#include "app/qt_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QProgressDialog>
#include <QString>
#include <cmath>
#include <cstdio>

#include "app/prompt_dialog.h"

namespace zmf::app {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon ToQtIcon(MessageBoxRequest::Icon icon) {
  switch (icon) {
    case MessageBoxRequest::Icon::Information:
      return QMessageBox::Information;
    case MessageBoxRequest::Icon::Question:
      return QMessageBox::Question;
    case MessageBoxRequest::Icon::Stop:
      return QMessageBox::Critical;
    case MessageBoxRequest::Icon::Warning:
      return QMessageBox::Warning;
  }
  return QMessageBox::NoIcon;
}

// The bar's steps: a thousand, so that the core's hundredths show exactly.
constexpr int kProgressSteps = 1000;

// A progress dialog that only the host closes: the work cannot stop half way, so neither Escape
// nor the window's close button ends it.
class WorkDialog final : public QProgressDialog {
 public:
  explicit WorkDialog(QWidget* parent) : QProgressDialog(parent) {}
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

// A box shown during long work: the progress dialog goes while the box waits for the user, and
// comes back only after another half second of work from the answer on.
class QtHost::BoxOverWork {
 public:
  explicit BoxOverWork(QtHost& host) : host_(host) { host_.CloseProgressDialog(); }
  ~BoxOverWork() {
    if (host_.workStart_ >= 0.0f) host_.workStart_ = host_.progressClock_->Seconds();
  }
  BoxOverWork(const BoxOverWork&) = delete;
  BoxOverWork& operator=(const BoxOverWork&) = delete;

 private:
  QtHost& host_;
};

QtHost::~QtHost() { delete progressDialog_; }

bool QtHost::ShowMessageBox(const MessageBoxRequest& box) {
  if (unattended_) {
    std::fprintf(stderr, "%s: %s\n", box.title.c_str(), box.text.c_str());
    return box.buttons != MessageBoxRequest::Buttons::YesNo;
  }
  const BoxOverWork overWork(*this);
  const bool yesNo = box.buttons == MessageBoxRequest::Buttons::YesNo;
  QMessageBox message(ToQtIcon(box.icon), ToQString(box.title), ToQString(box.text),
                      yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                      box.ownedByMainWindow ? mainWindow_ : nullptr);
  message.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
  const int answer = message.exec();
  return answer == QMessageBox::Yes || answer == QMessageBox::Ok;
}

bool QtHost::AskYesNo(std::string_view text, std::string_view caption) {
  if (unattended_) return false;
  const BoxOverWork overWork(*this);
  return QMessageBox::question(mainWindow_, ToQString(caption), ToQString(text),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

std::optional<bool> QtHost::AskYesNoCancel(std::string_view text, std::string_view caption) {
  if (unattended_) return false;
  const BoxOverWork overWork(*this);
  QMessageBox box(QMessageBox::Question, ToQString(caption), ToQString(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, mainWindow_);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  const int answer = box.exec();
  if (answer == QMessageBox::Cancel) return std::nullopt;
  return answer == QMessageBox::Yes;
}

EachAnswer QtHost::AskForEach(std::string_view text, std::string_view caption) {
  if (unattended_) return EachAnswer::No;
  const BoxOverWork overWork(*this);
  QMessageBox box(QMessageBox::Question, ToQString(caption), ToQString(text),
                  QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll,
                  mainWindow_);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return EachAnswer::Yes;
    case QMessageBox::YesToAll:
      return EachAnswer::YesToAll;
    case QMessageBox::NoToAll:
      return EachAnswer::NoToAll;
    default:
      return EachAnswer::No;
  }
}

void QtHost::Beep() {
  if (!unattended_) QApplication::beep();
}

std::optional<std::string> QtHost::Prompt(std::string_view promptAndDefault) {
  if (unattended_) return std::nullopt;
  const BoxOverWork overWork(*this);
  return RunPrompt(promptAndDefault, mainWindow_);
}

void QtHost::Progress(std::string_view what, float done) {
  if (unattended_) return;
  if (done >= 1.0f) {
    CloseProgressDialog();
    workStart_ = -1.0f;
    return;
  }
  const float now = progressClock_->Seconds();
  if (workStart_ < 0.0f) workStart_ = now;
  if (progressDialog_ == nullptr) {
    if (!(now - workStart_ > kProgressDelay)) return;
    auto* dialog = new WorkDialog(mainWindow_);
    dialog->setWindowTitle(QStringLiteral("ZmfEdit"));
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setCancelButton(nullptr);
    dialog->setRange(0, kProgressSteps);
    // The dialog shows when the host says, and goes only when the host deletes it.
    dialog->setMinimumDuration(0);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    progressDialog_ = dialog;
    progressText_.clear();
    // Made before the main window stops repainting, which its child widgets take over; the
    // dialog is a window of its own and keeps repainting.
    if (mainWindow_ != nullptr) mainWindow_->setUpdatesEnabled(false);
    dialog->show();
  }
  if (what != progressText_) {
    progressText_.assign(what);
    progressDialog_->setLabelText(ToQString(what));
  }
  progressDialog_->setValue(static_cast<int>(std::lround(done * kProgressSteps)));
  QCoreApplication::processEvents();
}

void QtHost::CloseProgressDialog() {
  if (progressDialog_ == nullptr) return;
  delete progressDialog_;
  if (mainWindow_ != nullptr) mainWindow_->setUpdatesEnabled(true);
}

}  // namespace zmf::app

// The editor's fixed-size main window.
#include "app/main_window.h"

#include <QOpenGLContext>

#include "app/viewport_widget.h"
#include "command/command_table.h"
#include "command/file_commands.h"

namespace zmf::app {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent,
                  // A caption, system menu, minimise and close box; no maximise box, no sizing.
                  Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                      Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      host_(this) {
  setWindowTitle(QStringLiteral("ZmfEdit"));
  setFixedSize(kWidth, kHeight);

  auto* clientArea = new QWidget(this);
  setCentralWidget(clientArea);

  viewport_ = new ViewportWidget(clientArea);
  viewport_->move(kViewportLeft, kViewportTop);
  textures_.SetViewport(viewport_);
  viewport_->ShowModel(model_, editor_, clock_);
  // Queued: the load may show message boxes, whose event loops must not run inside
  // initializeGL.
  connect(viewport_, &ViewportWidget::ContextReady, this, &MainWindow::OpenStartupModel,
          Qt::QueuedConnection);

  model_.Commit();
  editor_.projection = view::ApplyProjection(editor_.camera);
  model_.viewMatrix = view::BuildViewMatrix(editor_.camera);
}

void MainWindow::OpenOnStart(const std::string& path) {
  startupPath_ = path;
  startupPending_ = true;
  currentFileName_ = QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
  if (viewport_->context() != nullptr && viewport_->context()->isValid()) {
    QMetaObject::invokeMethod(this, &MainWindow::OpenStartupModel, Qt::QueuedConnection);
  }
}

void MainWindow::OpenStartupModel() {
  if (!startupPending_) return;
  startupPending_ = false;
  // The path is the Open command's input, as the file dialog's answer or a script's argument is.
  const std::string arguments[] = {startupPath_};
  command::CommandContext context(model_, arguments);
  context.editor = &editor_;
  context.clock = &clock_;
  command::FinishCommand(context, command::FindCommand(command::kCommandOpen)->handler(context));
  framesBeforeStartupModel_ = viewport_->FramesDrawn();
  viewport_->update();
}

bool MainWindow::StartupModelShown() const {
  return !startupPending_ && viewport_->FramesDrawn() > framesBeforeStartupModel_;
}

}  // namespace zmf::app

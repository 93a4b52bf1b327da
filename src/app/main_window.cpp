// The editor's fixed-size main window.
#include "app/main_window.h"

#include <QImage>
#include <QOpenGLContext>
#include <QSaveFile>
#include <cstring>
#include <vector>

#include "app/screenshot.h"
#include "app/viewport_widget.h"
#include "command/batch.h"
#include "command/command_table.h"
#include "command/file_commands.h"
#include "format/file_text.h"
#include "importers/bmp_screenshot.h"

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

  viewport_ = new ViewportWidget(clientArea, clock_);
  viewport_->move(kViewportLeft, kViewportTop);
  viewport_->SetScene(model_, editor_, clock_);
  textures_.SetViewport(viewport_);
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
  command::CommandContext context(model_, arguments, this);
  context.editor = &editor_;
  context.clock = &clock_;
  command::FinishCommand(context, command::FindCommand(command::kCommandOpen)->handler(context));
  framesBeforeStartupModel_ = viewport_->FramesDrawn();
  viewport_->RequestFrame();
  viewport_->update();
}

bool MainWindow::StartupModelShown() const {
  return !startupPending_ && viewport_->FramesDrawn() > framesBeforeStartupModel_;
}

int MainWindow::RunScript(const std::string& scriptPath, const std::string& modelPath,
                          std::FILE* errors) {
  std::string script;
  if (!format::ReadWholeFile(scriptPath, script)) {
    std::fprintf(errors, "zmfedit: cannot read the script %s\n", scriptPath.c_str());
    return 2;
  }
  // The script answers its own prompts and its messages go where a batch run's go.
  command::BatchHost scriptHost(errors);
  model_.SetHost(scriptHost);
  viewport_->SetPlaybackClock(scriptClock_);
  const int result = command::RunBatchScript(model_, scriptHost, script, scriptPath, errors,
                                             modelPath, {editor_, scriptClock_, this});
  model_.SetHost(host_);
  viewport_->RequestFrame();
  return result;
}

bool MainWindow::SaveScreenshot(std::string_view path) {
  const QString name = QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
  viewport_->RequestFrame();
  if (name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
    const QImage image = GrabWindow(*this);
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
      model_.host().ErrorBox("Could not write to file:", path, Severity::Error);
      return false;
    }
    return true;
  }
  // The viewport's frame drawn now, its rows turned bottom-up as GL reads them.
  const QImage frame = viewport_->grabFramebuffer().convertToFormat(QImage::Format_RGBA8888);
  const QImage bottomUp = frame.mirrored(false, true);
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(bottomUp.width()) *
                                 static_cast<std::size_t>(bottomUp.height()) * 4);
  for (int y = 0; y < bottomUp.height(); ++y) {
    std::memcpy(rgba.data() + static_cast<std::size_t>(y) * bottomUp.width() * 4,
                bottomUp.constScanLine(y), static_cast<std::size_t>(bottomUp.width()) * 4);
  }
  return importers::WriteScreenshotBmp(model_, path, rgba, bottomUp.width(), bottomUp.height());
}

}  // namespace zmf::app

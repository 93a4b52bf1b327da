// The editor's fixed-size main window: the client area with the viewport, and the objects that
// live as long as the program (the model with its host, GL texture store and clock).
#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/qt_clock.h"
#include "app/qt_host.h"
#include "app/viewport_texture_store.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "view/editor_state.h"

namespace zmf::app {

class ViewportWidget;

class MainWindow : public QMainWindow, public ScreenshotWriter {
  Q_OBJECT
 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 640;
  static constexpr int kViewportLeft = 32;  // in client-area pixels
  static constexpr int kViewportTop = 32;

  explicit MainWindow(QWidget* parent = nullptr);

  // The area that controls are placed in, below the menu bar when there is one: every control
  // position (the viewport's (32, 32) included) is measured from its top left corner.
  QWidget* ClientArea() const { return centralWidget(); }
  ViewportWidget* Viewport() const { return viewport_; }

  Model& TheModel() { return model_; }
  view::EditorState& Editor() { return editor_; }
  Clock& ProgramClock() { return clock_; }

  // The name Open and Save start from; "untitled.zmf" until a model is named.
  const QString& CurrentFileName() const { return currentFileName_; }
  void SetCurrentFileName(const QString& fileName) { currentFileName_ = fileName; }

  // Opens the model named on the command line, through the command table's Open entry, as soon
  // as the viewport has its GL context, which the model's textures are made in. The path becomes
  // the current file name at once.
  void OpenOnStart(const std::string& path);
  // True once no start-up model is waiting and a frame has been drawn since it was opened.
  bool StartupModelShown() const;

  // Without a user (a screenshot run), message boxes are written to the error stream instead.
  void SetUnattended(bool unattended) { host_.SetUnattended(unattended); }

  // Runs a batch script in the window: its commands change this window's model, view, mode and
  // camera, its "screenshot FILE" lines save the window as it then stands, its boxes go to
  // `errors` and its "answer" lines answer its prompts; playback follows its "clock" lines.
  // `modelPath`, when given, is opened first. Returns the script's exit code (0, 1 after an
  // error, 2 when the script cannot be read or understood).
  int RunScript(const std::string& scriptPath, const std::string& modelPath, std::FILE* errors);

  // Draws the current frame and saves it: the client area as PNG for a ".png" path, otherwise
  // the viewport's 512 x 512 pixels as a 16-bit BMP. False, after a message, when nothing was
  // written.
  bool SaveScreenshot(std::string_view path) override;

 private:
  void OpenStartupModel();

  QtClock clock_;
  ManualClock scriptClock_;  // playback time while a script runs in the window
  QtHost host_;
  ViewportTextureStore textures_;
  Model model_{host_, textures_};
  view::EditorState editor_;

  ViewportWidget* viewport_;
  QString currentFileName_ = QStringLiteral("untitled.zmf");
  std::string startupPath_;  // the model waiting for the viewport's context
  bool startupPending_ = false;
  long long framesBeforeStartupModel_ = 0;
};

}  // namespace zmf::app

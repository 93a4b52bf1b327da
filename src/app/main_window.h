// The editor's main window, of any size: the menus, toolbar, viewport, status lines and panel
// places, and the objects that live as long as the program (the model with its host, GL texture
// store and clock). Every menu item, button and key runs the command table.
#pragma once

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <array>
#include <cstdint>
#include <cstdio>
#include <future>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "app/file_dialogs.h"
#include "app/help_page.h"
#include "app/qt_clipboard.h"
#include "app/qt_clock.h"
#include "app/qt_host.h"
#include "app/recent_files.h"
#include "app/viewport_texture_store.h"
#include "command/command_table.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "view/editor_state.h"

class QAction;
class QAbstractButton;
class QLabel;
class QScrollArea;
class QMenu;

namespace zmf::app {

class PanelWidgets;
class ViewportWidget;

class MainWindow : public QMainWindow, public ScreenshotWriter {
  Q_OBJECT
 public:
  // The default size; the viewport (512 x 512 at that size) takes up any more or less.
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 640;
  static constexpr int kViewportLeft = 32;  // in client-area pixels
  static constexpr int kViewportTop = 32;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // The area that controls are placed in, below the menu bar: every control position (the
  // viewport's (32, 32) included) is measured from its top left corner.
  QWidget* ClientArea() const { return centralWidget(); }
  ViewportWidget* Viewport() const { return viewport_; }

  Model& TheModel() { return model_; }
  view::EditorState& Editor() { return editor_; }

  // The document's path, which Save writes to and the file dialogs start from; the title shows
  // its file name, with " *" while there are unsaved changes.
  QString DocumentPath() const;

  // Opens the model named on the command line, through the command table's Open entry, as soon
  // as the viewport has its GL context, which the model's textures are made in.
  void OpenOnStart(const std::string& path);
  // At start-up: when a recovery file is newer than the last clean exit (the editor crashed or
  // was killed), offers to open it.
  void OfferRecovery();
  // True once no start-up model is waiting and a frame has been drawn since it was opened.
  bool StartupModelShown() const;

  // Brings back the size and position the window had when it was last closed, and remembers
  // them at the next close (QSettings). Only for a window that a user works in: unattended runs,
  // scripts and tests keep the default size.
  void RestoreGeometry();

  // Without a user (a screenshot run), message boxes are written to the error stream instead,
  // nothing asks before discarding work and no recovery file is written.
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
  bool WriteScreenshot(std::string_view path) override;

  // Runs a menu item, toolbar button or key's command by its identifier, as a click does:
  // its file dialog first for a command that takes a path, then the command, then the refresh
  // it asks for. Identifiers of the panels' lists and "ok" buttons are the panels' own.
  void DispatchCommand(std::uint32_t id);

  // The dialogs the file commands ask through; the window's own QFileDialogs unless replaced.
  void SetFileDialogs(FileDialogs* dialogs) { fileDialogs_ = dialogs; }
  // What hands the help page to the desktop's browser; QDesktopServices unless replaced.
  void SetUrlOpener(UrlOpener open) { openUrl_ = std::move(open); }

  // True while the model has changes made since it was last opened, saved or emptied.
  bool HasUnsavedChanges() const { return model_.HasUnsavedChanges(); }
  // Every two minutes, while there are changes that no recovery file holds yet, the model is
  // written to a new recovery file (replacing this session's previous autosave), once the user
  // has left mouse and keys alone for two seconds.
  static constexpr int kAutosaveSeconds = 120;
  static constexpr int kAutosaveIdleMs = 2000;
  // The autosave itself, at once.
  void Autosave();
  // The recovery file written last by this window (a discard or an autosave); empty for none.
  const std::string& LastRecoveryFile() {
    FinishRecoveryWrite();
    return lastRecoveryFile_;
  }

  // The controls, for tests: a menu item or toolbar button by command identifier (null when
  // there is none), the panel place of a view, and the status lines.
  QAction* MenuAction(std::uint32_t id) const;
  QAbstractButton* ToolButton(std::uint32_t id) const;
  QWidget* ViewPanel(view::ViewMode view) const { return panels_[static_cast<int>(view)]; }
  QLabel* PositionLine() const { return positionLine_; }
  QLabel* CountsLine() const { return countsLine_; }
  QLabel* PanelTitle() const { return panelTitle_; }
  // A panel control's widget by its name ("520", "normal-x"); null for none.
  QWidget* PanelWidget(std::string_view name) const;
  // File > Recent Files, filled with the existing files each time it is shown.
  QMenu* RecentFilesMenu() const { return recentMenu_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  // The standard keys (Ctrl+Z, Delete, ...) on their menu items, and File > Recent Files.
  void BindStandardKeys();
  void BuildRecentFilesMenu();
  void FillRecentFilesMenu();
  void OpenRecentFile(const QString& path);
  // Undo and Redo, menu item and button, greyed while there is nothing to undo or redo.
  void UpdateUndoRedo();
  void BuildToolbar();
  void BuildStatusAndPanels();
  void OpenStartupModel();

  // Brings the widgets up to date after a command: the mode and view check marks, buttons and
  // cursor, the visible panel and its title, the status lines, and the next frame.
  void ApplyRefresh(command::Refresh refresh);
  void ShowMode(view::InteractionMode mode);
  void ShowViewPanel(view::ViewMode view);
  void UpdateStatusLines();
  // The viewport's mouse, through the gesture handlers, each event finished like a command.
  template <class Gesture>
  void RunGesture(Gesture gesture);
  void OnMousePressed(bool right, float nx, float ny, bool shift, bool ctrl);
  void OnMouseMoved(float nx, float ny, bool leftHeld, bool rightHeld);
  void OnMouseReleased(bool right, float nx, float ny);
  void OnMiddleButton(bool down, float nx, float ny);
  void OnWheel(float notches);
  // Runs the command with its arguments and performs the refresh it returns.
  void RunCommand(const command::CommandEntry& entry, std::span<const std::string> arguments);
  void UpdateTitle();
  // Save (to the document's ZMF file, or asking for a name) and Save As; true when the model
  // was saved.
  bool SaveDocument(bool askForName);
  // Before work is discarded (Close, New, Open, Recover): with unsaved changes asks "Save changes
  // to NAME?"; Save saves, Discard writes a recovery file first. False when the user cancelled
  // or the save did not happen: the action must not go on.
  bool KeepUnsavedWork();
  // Writes the model to a new recovery file, quietly; the text is made at once and the file
  // written by a thread, which a discard waits for and an autosave does not. Never in scripts or
  // unattended runs.
  bool WriteRecoveryFile(bool autosave);
  // Waits for the recovery file being written; returns its path (empty when none or failed).
  std::string FinishRecoveryWrite();
  void MarkCleanExit();
  void AutosaveWhenIdle();
  void RecoverFromList();
  void ShowAbout();
  void OpenHelp();

  QtClock clock_;
  ManualClock scriptClock_;  // playback time while a script runs in the window
  QtHost host_;
  ViewportTextureStore textures_;
  Model model_{host_, textures_};
  view::EditorState editor_;
  QtClipboard clipboard_;

  ViewportWidget* viewport_ = nullptr;
  QtFileDialogs ownFileDialogs_{this};
  FileDialogs* fileDialogs_ = &ownFileDialogs_;
  UrlOpener openUrl_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  std::map<std::uint32_t, QAction*> actions_;
  std::map<std::uint32_t, QAbstractButton*> buttons_;
  std::array<QWidget*, 4> panels_{};
  PanelWidgets* panelWidgets_ = nullptr;
  QLabel* positionLine_ = nullptr;
  QLabel* cameraLine_ = nullptr;
  QLabel* countsLine_ = nullptr;
  QLabel* panelTitle_ = nullptr;
  QScrollArea* panelScroll_ = nullptr;
  bool rememberGeometry_ = false;
  QMenu* recentMenu_ = nullptr;
  RecentFiles recentFiles_;

  QTimer autosaveTimer_;
  QElapsedTimer lastInput_;  // since the last command, key or mouse event
  std::uint64_t autosavedChangeCount_ = 0;
  std::future<std::string> recoveryWrite_;
  bool autosavePending_ = false;
  std::string lastAutosave_;
  std::string lastRecoveryFile_;
  std::string startupPath_;  // the model waiting for the viewport's context
  bool startupPending_ = false;
  bool offerRecoveryAfterStartup_ = false;
  long long framesBeforeStartupModel_ = 0;
};

}  // namespace zmf::app

// The editor's main window.
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QPainter>
#include <QSaveFile>
#include <QScrollArea>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/help_page.h"
#include "app/panel_widgets.h"
#include "app/recovery_dialog.h"
#include "app/screenshot.h"
#include "app/tool_tips.h"
#include "app/viewport_widget.h"
#include "command/clipboard_commands.h"
#include "command/command_table.h"
#include "command/edit_commands.h"
#include "command/face_commands.h"
#include "command/file_commands.h"
#include "command/gestures.h"
#include "command/key_commands.h"
#include "command/menu_layout.h"
#include "command/panel_commands.h"
#include "command/skeleton_commands.h"
#include "command/transform_commands.h"
#include "command/view_commands.h"
#include "edit/undo_redo.h"
#include "export/bmp_screenshot.h"
#include "format/file_text.h"
#include "format/recovery_files.h"
#include "format/zmf_writer.h"
#include "script/batch.h"
#include "view/camera.h"

namespace zmf::app {
namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The panel column: the panel title over the four views' panels (one shown at a time), whose
// origin is client pixel (PanelWidgets::kLeft, PanelWidgets::kTop) at the default size. It paints
// the red marker beside the panel list that was picked last.
class PanelColumn final : public QWidget {
 public:
  explicit PanelColumn(const view::EditorState& editor) : editor_(editor) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    const auto marker = view::ActiveListMarker(editor_);
    if (!marker) return;
    QPainter painter(this);
    const auto [left, top, right, bottom] = *marker;
    painter.fillRect(
        QRect(left - PanelWidgets::kLeft, top - PanelWidgets::kTop, right - left, bottom - top),
        QColor(255, 0, 0));
  }

 private:
  const view::EditorState& editor_;
};

// The status lines under the viewport: two of 24 pixels.
constexpr int kStatusHeight = 48;

// The toolbar: buttons at their client positions, 32 x 32 unless given.
struct ToolbarButton {
  std::uint32_t id;
  int x, y;
  int icon;          // 0 for a text button
  const char* text;  // the mnemonic of an icon button, or the text of a text button
  int size = 32;
};

constexpr ToolbarButton kAlwaysShown[] = {
    {command::kCommandNew, 0, 0, 130, "&N"},    {command::kCommandOpen, 32, 0, 131, "&O"},
    {command::kCommandSave, 64, 0, 129, "&S"},  {command::kCommandCopy, 102, 0, 135, "&C"},
    {command::kCommandCut, 134, 0, 136, "&T"},  {command::kCommandPaste, 166, 0, 137, "&P"},
    {command::kCommandUndo, 198, 0, 139, "&U"}, {command::kCommandRedo, 230, 0, 160, "&R"},
};
constexpr ToolbarButton kModeButtons[] = {
    {command::kCommandSelectMode, 0, 38, 132, ""},
    {command::kCommandAddMode, 0, 70, 140, ""},
    {command::kCommandCameraMode, 0, 102, 134, ""},
    {command::kCommandMoveMode, 0, 134, 133, ""},
};
constexpr ToolbarButton kViewButtons[] = {
    {command::kCommandViewMesh, 266, 0, 146, ""},
    {command::kCommandViewNormals, 298, 0, 149, ""},
    {command::kCommandViewMaterial, 330, 0, 147, ""},
    {command::kCommandViewBones, 362, 0, 148, ""},
};
constexpr ToolbarButton kCameraButtons[] = {
    {command::kCommandCameraZero, 0, 172, 141, ""},
    {command::kCommandCameraLeft, 0, 204, 0, "l", 16},
    {command::kCommandCameraRight, 16, 204, 0, "r", 16},
    {command::kCommandCameraTop, 0, 220, 0, "t", 16},
    {command::kCommandCameraBottom, 16, 220, 0, "b", 16},
    {command::kCommandCameraFront, 0, 236, 0, "f", 16},
    {command::kCommandCameraBack, 16, 236, 0, "k", 16},
};
constexpr ToolbarButton kMatrixButtons[] = {
    {command::kCommandTranslate, 0, 172, 142, ""},
    {command::kCommandRotate, 0, 204, 157, ""},
    {command::kCommandScale, 0, 236, 158, ""},
};

constexpr std::uint32_t kModeCommands[] = {command::kCommandSelectMode, command::kCommandAddMode,
                                           command::kCommandCameraMode, command::kCommandMoveMode};
constexpr std::uint32_t kViewCommands[] = {command::kCommandViewMesh, command::kCommandViewNormals,
                                           command::kCommandViewMaterial,
                                           command::kCommandViewBones};
// The titles shown above the panels, by view.
constexpr const char* kPanelTitles[] = {"Vertices and Faces", "Normals and Duplicates", "Material",
                                        "Bones and Animation"};

Qt::CursorShape CursorOf(view::InteractionMode mode) {
  switch (mode) {
    case view::InteractionMode::Select:
      return Qt::ArrowCursor;
    case view::InteractionMode::Add:
      return Qt::CrossCursor;
    case view::InteractionMode::RepositionCamera:
      return Qt::OpenHandCursor;
    case view::InteractionMode::Move:
      return Qt::SizeAllCursor;
  }
  return Qt::ArrowCursor;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), host_(this) {
  setWindowIcon(QIcon(QStringLiteral(":/icons/zmfedit.svg")));

  auto* clientArea = new QWidget(this);
  setCentralWidget(clientArea);

  viewport_ = new ViewportWidget(clientArea, clock_);
  connect(viewport_, &ViewportWidget::Resized, this, [this](int width, int height) {
    editor_.projection = view::SetViewportSize(editor_.camera, width, height);
  });
  viewport_->SetScene(model_, editor_, clock_);
  viewport_->setCursor(CursorOf(editor_.mode));
  textures_.SetViewport(viewport_);
  // Queued: the load may show message boxes, whose event loops must not run inside
  // initializeGL.
  connect(viewport_, &ViewportWidget::MousePressed, this, &MainWindow::OnMousePressed);
  connect(viewport_, &ViewportWidget::MouseMoved, this, &MainWindow::OnMouseMoved);
  connect(viewport_, &ViewportWidget::MouseReleased, this, &MainWindow::OnMouseReleased);
  connect(viewport_, &ViewportWidget::MiddleButton, this, &MainWindow::OnMiddleButton);
  connect(viewport_, &ViewportWidget::WheelTurned, this, &MainWindow::OnWheel);
  connect(viewport_, &ViewportWidget::ContextReady, this, &MainWindow::OpenStartupModel,
          Qt::QueuedConnection);

  BuildMenus();
  BuildToolbar();
  BuildStatusAndPanels();
  resize(kWidth, kHeight);

  model_.Commit();
  editor_.projection = view::ApplyProjection(editor_.camera);
  model_.viewMatrix = view::BuildViewMatrix(editor_.camera);
  ShowMode(editor_.mode);
  ShowViewPanel(editor_.view);
  UpdateStatusLines();
  UpdateTitle();
  setFocusPolicy(Qt::StrongFocus);
  SetToolTips(*this);

  autosaveTimer_.setInterval(kAutosaveSeconds * 1000);
  connect(&autosaveTimer_, &QTimer::timeout, this, &MainWindow::AutosaveWhenIdle);
  autosaveTimer_.start();
}

MainWindow::~MainWindow() = default;

QString MainWindow::DocumentPath() const { return FromView(model_.document.path); }

void MainWindow::UpdateTitle() {
  QString title = QStringLiteral("ZmfEdit - ") + QFileInfo(DocumentPath()).fileName();
  if (model_.HasUnsavedChanges()) title += QStringLiteral(" *");
  if (title != windowTitle()) setWindowTitle(title);
  UpdateUndoRedo();
}

void MainWindow::UpdateUndoRedo() {
  const bool can[] = {edit::CanUndo(model_), edit::CanRedo(model_)};
  const std::uint32_t ids[] = {command::kCommandUndo, command::kCommandRedo};
  for (int i = 0; i < 2; ++i) {
    if (QAction* action = MenuAction(ids[i])) action->setEnabled(can[i]);
    if (QAbstractButton* button = ToolButton(ids[i])) button->setEnabled(can[i]);
  }
}

void MainWindow::BindStandardKeys() {
  for (const command::StandardShortcut& shortcut : command::StandardShortcuts()) {
    const QKeySequence keys(FromView(shortcut.keys), QKeySequence::PortableText);
    if (shortcut.command == command::kDeleteKey) {
      // Delete acts on the active list, so no one menu item owns it: the two it may run show it.
      auto* key = new QShortcut(keys, this);
      connect(key, &QShortcut::activated, this, [this] {
        RunGesture([](command::CommandContext& context) {
          return command::DeleteSelectedOfActiveList(context);
        });
      });
      for (std::uint32_t id :
           {command::kCommandDeleteSelectedVertices, command::kCommandDeleteSelectedFaces}) {
        QAction* action = MenuAction(id);
        action->setText(action->text() + QLatin1Char('\t') +
                        keys.toString(QKeySequence::NativeText));
      }
    } else if (QAction* action = MenuAction(shortcut.command)) {
      action->setShortcuts(action->shortcuts() << keys);
    }
  }
}

void MainWindow::BuildRecentFilesMenu() {
  QAction* exit = MenuAction(command::kMenuExit);
  QMenu* file = qobject_cast<QMenu*>(exit->parent());
  // Above the separator before Exit.
  const QList<QAction*> items = file->actions();
  const qsizetype at = items.indexOf(exit);
  QAction* before = at > 0 && items[at - 1]->isSeparator() ? items[at - 1] : exit;
  recentMenu_ = new QMenu(QStringLiteral("Recent &Files"), file);
  file->insertMenu(before, recentMenu_);
  connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::FillRecentFilesMenu);
  FillRecentFilesMenu();
}

void MainWindow::FillRecentFilesMenu() {
  recentMenu_->clear();
  const QStringList paths = recentFiles_.ExistingPaths();
  for (qsizetype i = 0; i < paths.size(); ++i) {
    QAction* item = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(paths[i]));
    item->setData(paths[i]);
    connect(item, &QAction::triggered, this, [this, path = paths[i]] { OpenRecentFile(path); });
  }
  recentMenu_->addSeparator();
  QAction* clear = recentMenu_->addAction(QStringLiteral("&Clear Recent Files"));
  clear->setEnabled(!paths.isEmpty());
  connect(clear, &QAction::triggered, this, [this] { recentFiles_.Clear(); });
}

void MainWindow::OpenRecentFile(const QString& path) {
  lastInput_.start();
  if (KeepUnsavedWork()) {
    const std::string arguments[] = {path.toStdString()};
    RunCommand(*command::FindCommand(command::kCommandOpen), arguments);
  }
  setFocus();
}

void MainWindow::BuildMenus() {
  std::map<QString, QMenu*> menus;  // by the path that leads to them
  for (const command::MenuItem& item : command::MenuItems()) {
    const QStringList parts = FromView(item.path).split(QStringLiteral(" > "));
    QMenu* menu = nullptr;
    QString path;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
      path += parts[i] + QStringLiteral(" > ");
      QMenu*& found = menus[path];
      if (found == nullptr) {
        found = menu == nullptr ? menuBar()->addMenu(parts[i]) : menu->addMenu(parts[i]);
      }
      menu = found;
    }
    if (menu == nullptr) continue;
    if (parts.back().isEmpty()) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(parts.back());
    action->setData(item.id);
    action->setCheckable(item.checkable);
    const std::uint32_t id = item.id;
    connect(action, &QAction::triggered, this, [this, id] { DispatchCommand(id); });
    actions_[id] = action;
  }
  // Alt+"/" opens the About box, as the Help menu's item does.
  auto* about = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Slash), this);
  connect(about, &QShortcut::activated, this, [this] { DispatchCommand(command::kMenuAbout); });
  BindStandardKeys();
  BuildRecentFilesMenu();
}

void MainWindow::BuildToolbar() {
  auto add = [this](const ToolbarButton& entry, bool checkable, bool visible) {
    auto* button = new QToolButton(centralWidget());
    button->setGeometry(entry.x, entry.y, entry.size, entry.size);
    if (entry.icon != 0) {
      button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(entry.icon)));
      button->setIconSize(QSize(entry.size - 6, entry.size - 6));
      button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    // An icon button's text is its mnemonic (Alt+N presses New); a text button shows it.
    button->setText(QString::fromLatin1(entry.text));
    button->setCheckable(checkable);
    button->setFocusPolicy(Qt::NoFocus);
    button->setVisible(visible);
    const std::uint32_t id = entry.id;
    connect(button, &QToolButton::clicked, this, [this, id] { DispatchCommand(id); });
    buttons_[id] = button;
  };
  for (const ToolbarButton& b : kAlwaysShown) add(b, false, true);
  for (const ToolbarButton& b : kModeButtons) add(b, true, true);
  for (const ToolbarButton& b : kViewButtons) add(b, true, true);
  for (const ToolbarButton& b : kCameraButtons) add(b, false, false);
  for (const ToolbarButton& b : kMatrixButtons) add(b, false, false);
}

void MainWindow::BuildStatusAndPanels() {
  // The viewport fills what the toolbar (above it), the mode buttons (left of it), the status
  // lines (under it) and the panel column (right of it) leave. The space under the status lines
  // is what the default window has there, so that its viewport is 512 x 512.
  const int spare = std::max(
      0, kHeight - menuBar()->sizeHint().height() - kViewportTop - kViewportSize - kStatusHeight);
  auto* left = new QGridLayout;
  left->setContentsMargins(kViewportLeft, kViewportTop, 0, spare);
  left->setSpacing(0);
  left->addWidget(viewport_, 0, 0);
  // Each status line spans the viewport's width; the camera line is right-aligned on the same
  // row as the position line.
  auto label = [left](int row, const QString& text) {
    auto* line = new QLabel(text);
    line->setFixedHeight(kStatusHeight / 2);
    line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    left->addWidget(line, row, 0);
    return line;
  };
  positionLine_ = label(1, QStringLiteral("(x,y,z)"));
  cameraLine_ = label(1, QStringLiteral("(p,y,r,z)"));
  cameraLine_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  countsLine_ = label(2, QStringLiteral("vertices:0 faces:0"));
  left->setRowStretch(0, 1);

  // The panels in a column that scrolls when the window is too short for them.
  auto* column = new PanelColumn(editor_);
  auto* stack = new QGridLayout(column);
  stack->setContentsMargins(0, 0, 0, 0);
  for (int v = 0; v < 4; ++v) {
    auto* panel = new QWidget(column);
    panel->setObjectName(QStringLiteral("panel%1").arg(v));
    panel->setVisible(false);
    stack->addWidget(panel, 0, 0);
    panels_[v] = panel;
  }
  panelTitle_ = new QLabel(column);
  panelTitle_->setContentsMargins(kViewportLeft, 0, 0, 0);
  panelTitle_->setMinimumHeight(kStatusHeight / 2);
  stack->addWidget(panelTitle_, 0, 0, Qt::AlignTop | Qt::AlignLeft);
  panelScroll_ = new QScrollArea;
  panelScroll_->setObjectName(QStringLiteral("panel-column"));
  panelScroll_->setFrameShape(QFrame::NoFrame);
  panelScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  panelScroll_->setWidgetResizable(true);
  panelScroll_->setWidget(column);
  panelScroll_->setFixedWidth(kWidth - PanelWidgets::kLeft);

  auto* row = new QHBoxLayout(centralWidget());
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addLayout(left, 1);
  row->addWidget(panelScroll_);
  PanelWidgets::Handlers handlers;
  handlers.pick = [this](std::uint32_t listId, int row) {
    if (const command::CommandEntry* entry = command::FindCommand(listId)) {
      const std::string arguments[] = {std::to_string(row)};
      RunCommand(*entry, arguments);
    }
    setFocus();  // the keys stay the window's shortcuts
  };
  handlers.press = [this](std::uint32_t id) {
    const command::CommandEntry* entry = command::FindCommand(id);
    if (entry != nullptr && entry->input == command::CommandInput::Texts) {
      // An "ok": the texts of its boxes as they stand.
      std::vector<std::string> texts;
      for (std::size_t box : view::BoxesOf(id)) texts.push_back(editor_.panels.At(box).text);
      RunCommand(*entry, texts);
      setFocus();
      return;
    }
    DispatchCommand(id);
  };
  command::RefreshPanel(model_, editor_, editor_.view);
  panelWidgets_ = new PanelWidgets(panels_, editor_, std::move(handlers));
  panelTitle_->raise();
}

QWidget* MainWindow::PanelWidget(std::string_view name) const {
  return panelWidgets_ != nullptr ? panelWidgets_->Widget(name) : nullptr;
}

QAction* MainWindow::MenuAction(std::uint32_t id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

QAbstractButton* MainWindow::ToolButton(std::uint32_t id) const {
  const auto found = buttons_.find(id);
  return found == buttons_.end() ? nullptr : found->second;
}

void MainWindow::ShowMode(view::InteractionMode mode) {
  const int m = static_cast<int>(mode);
  for (int i = 0; i < 4; ++i) {
    if (QAction* action = MenuAction(kModeCommands[i])) action->setChecked(i == m);
    if (QAbstractButton* button = ToolButton(kModeCommands[i])) button->setChecked(i == m);
  }
  for (const ToolbarButton& b : kCameraButtons) {
    ToolButton(b.id)->setVisible(mode == view::InteractionMode::RepositionCamera);
  }
  for (const ToolbarButton& b : kMatrixButtons) {
    ToolButton(b.id)->setVisible(mode == view::InteractionMode::Move);
  }
  viewport_->setCursor(CursorOf(mode));
}

void MainWindow::ShowViewPanel(view::ViewMode viewMode) {
  const int v = static_cast<int>(viewMode);
  for (int i = 0; i < 4; ++i) {
    if (QAction* action = MenuAction(kViewCommands[i])) action->setChecked(i == v);
    if (QAbstractButton* button = ToolButton(kViewCommands[i])) button->setChecked(i == v);
    panels_[i]->setVisible(i == v);
  }
  panelTitle_->setText(QString::fromLatin1(kPanelTitles[v]));
  // The marker follows the view.
  panelScroll_->widget()->update();
}

template <class Gesture>
void MainWindow::RunGesture(Gesture gesture) {
  lastInput_.start();
  command::CommandContext context(model_, {}, this);
  context.editor = &editor_;
  context.clock = &clock_;
  context.clipboard = &clipboard_;
  ApplyRefresh(command::FinishCommand(context, gesture(context)));
}

void MainWindow::OnMousePressed(bool right, float nx, float ny, bool shift, bool ctrl) {
  RunGesture([&](command::CommandContext& context) {
    return command::MousePress(context,
                               right ? command::MouseButton::Right : command::MouseButton::Left, nx,
                               ny, shift, ctrl);
  });
}

void MainWindow::OnMouseMoved(float nx, float ny, bool leftHeld, bool rightHeld) {
  // A button whose release went elsewhere (to a prompt that the press opened, say) is released
  // here, where the mouse now is, so that no drag or preview outlives it.
  if (editor_.mouse.leftDown && !leftHeld) OnMouseReleased(false, nx, ny);
  if (editor_.mouse.rightDown && !rightHeld) OnMouseReleased(true, nx, ny);
  RunGesture([&](command::CommandContext& context) { return command::MouseMove(context, nx, ny); });
}

void MainWindow::OnMouseReleased(bool right, float nx, float ny) {
  RunGesture([&](command::CommandContext& context) {
    return command::MouseRelease(
        context, right ? command::MouseButton::Right : command::MouseButton::Left, nx, ny);
  });
}

void MainWindow::OnMiddleButton(bool down, float nx, float ny) {
  RunGesture([&](command::CommandContext& context) {
    return down ? command::MousePress(context, command::MouseButton::Middle, nx, ny, false, false)
                : command::MouseRelease(context, command::MouseButton::Middle, nx, ny);
  });
}

void MainWindow::OnWheel(float notches) {
  RunGesture(
      [&](command::CommandContext& context) { return command::MouseWheel(context, notches); });
}

void MainWindow::UpdateStatusLines() {
  countsLine_->setText(QString::fromStdString(editor_.countsLine));
  positionLine_->setText(QString::fromStdString(editor_.positionLine));
  cameraLine_->setText(QString::fromStdString(
      editor_.cameraLine.empty() ? view::CameraReadout(editor_.camera) : editor_.cameraLine));
}

void MainWindow::ApplyRefresh(command::Refresh) {
  // The mode and view buttons toggle themselves when clicked: their checked state is set again
  // whatever happened.
  ShowMode(editor_.mode);
  ShowViewPanel(editor_.view);
  UpdateStatusLines();
  UpdateTitle();
  panelWidgets_->Sync();
  // The red marker, beside whichever list is now active.
  panelScroll_->widget()->update();
  viewport_->RequestFrame();
}

void MainWindow::RunCommand(const command::CommandEntry& entry,
                            std::span<const std::string> arguments) {
  command::CommandContext context(model_, arguments, this);
  context.editor = &editor_;
  context.clock = &clock_;
  context.clipboard = &clipboard_;
  const command::Refresh refresh = command::FinishCommand(context, entry.handler(context));
  // Models opened or saved (not recovery copies, exports or background images) are remembered.
  if (!host_.Unattended() && !arguments.empty() &&
      ((entry.id == command::kCommandOpen &&
        (refresh == command::Refresh::FitModel || refresh == command::Refresh::FitView)) ||
       (entry.id == command::kCommandSave && !model_.HasUnsavedChanges() &&
        model_.document.path == arguments[0]))) {
    recentFiles_.Add(QString::fromStdString(arguments[0]));
  }
  ApplyRefresh(refresh);
}

void MainWindow::DispatchCommand(std::uint32_t id) {
  lastInput_.start();
  switch (id) {
    case command::kMenuExit:
      close();
      return;
    case command::kMenuHelp:
      OpenHelp();
      return;
    case command::kMenuAbout:
      ShowAbout();
      return;
    case command::kCommandRecover:
      RecoverFromList();
      return;
    case command::kCommandSave:
      SaveDocument(/*askForName=*/model_.document.kind != DocumentKind::ZmfFile);
      setFocus();
      return;
    case command::kCommandSaveAs:
      SaveDocument(/*askForName=*/true);
      setFocus();
      return;
    default:
      break;
  }
  const command::CommandEntry* entry = command::FindCommand(id);
  if (entry == nullptr) return;
  // New and Open replace the model: its unsaved work is saved or kept aside first, or the
  // command is not run at all.
  if ((id == command::kCommandNew || id == command::kCommandOpen) && !KeepUnsavedWork()) {
    setFocus();
    return;
  }
  std::vector<std::string> arguments;
  if (entry->input == command::CommandInput::OpenFile ||
      entry->input == command::CommandInput::SaveFile) {
    const bool save = entry->input == command::CommandInput::SaveFile;
    const std::optional<QString> path = save
                                            ? fileDialogs_->AskSave(*entry->dialog, DocumentPath())
                                            : fileDialogs_->AskOpen(*entry->dialog, DocumentPath());
    if (!path) {
      setFocus();
      return;
    }
    arguments.push_back(path->toStdString());
  } else if (entry->input != command::CommandInput::None) {
    return;  // the panels' lists and buttons, and script-only commands
  }
  // The two edits that Undo cannot take back keep the unsaved work aside first.
  if ((id == command::kCommandDeleteAll || id == command::kCommandImportAnimations) &&
      model_.HasUnsavedChanges()) {
    WriteRecoveryFile(/*autosave=*/false);
  }
  RunCommand(*entry, arguments);
  setFocus();
}

bool MainWindow::SaveDocument(bool askForName) {
  std::string path = model_.document.path;
  if (askForName) {
    const std::optional<QString> chosen =
        fileDialogs_->AskSave(command::kSaveDialog, DocumentPath());
    if (!chosen) return false;
    path = chosen->toStdString();
  }
  const std::string arguments[] = {path};
  RunCommand(*command::FindCommand(command::kCommandSave), arguments);
  // A screenshot or a scene export leaves the model unsaved, as a failed save does.
  return !model_.HasUnsavedChanges();
}

bool MainWindow::KeepUnsavedWork() {
  if (!model_.HasUnsavedChanges() || host_.Unattended()) return true;
  const QString name = QFileInfo(DocumentPath()).fileName();
  QMessageBox box(QMessageBox::Warning, QStringLiteral("ZmfEdit"),
                  QStringLiteral("Save changes to %1?").arg(name),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveDocument(model_.document.kind != DocumentKind::ZmfFile);
    case QMessageBox::Discard:
      WriteRecoveryFile(/*autosave=*/false);
      return true;
    default:
      return false;
  }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  lastInput_.start();
  const QString text = event->text();
  if (text.size() != 1 || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  // The cursor over the viewport, in normalised coordinates, for S.
  const QPoint at = viewport_->mapFromGlobal(QCursor::pos());
  const float half = ViewportWidget::kSize / 2.0f;
  const float nx = (static_cast<float>(at.x()) - half) / half;
  const float ny = (static_cast<float>(at.y()) - half) / half;
  command::CommandContext context(model_, {}, this);
  context.editor = &editor_;
  context.clock = &clock_;
  context.clipboard = &clipboard_;
  const char key = text.front().toLatin1();
  const std::optional<command::Refresh> refresh = command::PressKey(context, key, nx, ny);
  if (!refresh) return;  // other keys are ignored
  ApplyRefresh(command::FinishCommand(context, *refresh));
}

bool MainWindow::WriteRecoveryFile(bool autosave) {
  if (host_.Unattended() || model_.vertices.count() == 0) return false;
  // The text is made here, where the model cannot change under it; the file is written by a
  // thread of its own, so the window goes on at once.
  FinishRecoveryWrite();
  std::vector<std::string> text =
      format::WriteModelBlocks(model_, format::TextureNames::AbsolutePath);
  autosavedChangeCount_ = model_.changeCount();
  // This session's autosave of the work is replaced by the newer copy.
  const std::string previous = lastAutosave_;
  recoveryWrite_ = std::async(
      std::launch::async,
      [text = std::move(text), previous, name = model_.document.path, now = std::time(nullptr)] {
        const std::string written =
            format::WriteRecoveryFile(format::RecoveryFolder(), name, text, now);
        // One autosave of a document at a time: the newer one replaces the older.
        if (!written.empty() && !previous.empty()) std::remove(previous.c_str());
        return written;
      });
  if (!autosave) {
    // Kept aside before the work goes: the copy must be complete before anything else happens.
    FinishRecoveryWrite();
    lastAutosave_.clear();
  } else {
    autosavePending_ = true;
  }
  return true;
}

std::string MainWindow::FinishRecoveryWrite() {
  if (!recoveryWrite_.valid()) return {};
  std::string written = recoveryWrite_.get();
  if (autosavePending_) lastAutosave_ = written;
  autosavePending_ = false;
  lastRecoveryFile_ = written;
  return written;
}

void MainWindow::Autosave() {
  if (!model_.HasUnsavedChanges() || model_.changeCount() == autosavedChangeCount_) return;
  WriteRecoveryFile(/*autosave=*/true);
}

void MainWindow::AutosaveWhenIdle() {
  // Making the text of a big model takes a moment: not in the middle of a drag, nor while the
  // user is busy; tried again a little later.
  if (editor_.mouse.leftDown || editor_.mouse.rightDown ||
      (lastInput_.isValid() && lastInput_.elapsed() < kAutosaveIdleMs)) {
    QTimer::singleShot(kAutosaveIdleMs, this, &MainWindow::AutosaveWhenIdle);
    return;
  }
  Autosave();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!KeepUnsavedWork()) {
    event->ignore();
    return;
  }
  FinishRecoveryWrite();
  if (!host_.Unattended()) MarkCleanExit();
  if (rememberGeometry_) {
    QSettings().setValue(QStringLiteral("window/geometry"), saveGeometry());
  }
  event->accept();
}

void MainWindow::RestoreGeometry() {
  rememberGeometry_ = true;
  const QByteArray geometry = QSettings().value(QStringLiteral("window/geometry")).toByteArray();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
}

void MainWindow::MarkCleanExit() {
  const QString mark = QString::fromStdString(format::CleanExitMarkPath());
  QDir().mkpath(QFileInfo(mark).absolutePath());
  QSaveFile file(mark);
  if (file.open(QIODevice::WriteOnly)) {
    file.write(QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + '\n');
    file.commit();
  }
}

void MainWindow::RecoverFromList() {
  const std::optional<std::string> path =
      ChooseRecoveryFile(this, format::ListRecoveryFiles(format::RecoveryFolder()));
  if (!path || !KeepUnsavedWork()) {
    setFocus();
    return;
  }
  const std::string arguments[] = {*path};
  RunCommand(*command::FindCommand(command::kCommandRecover), arguments);
  setFocus();
}

void MainWindow::OfferRecovery() {
  if (host_.Unattended()) return;
  if (startupPending_) {
    offerRecoveryAfterStartup_ = true;  // asked once the start-up model is open
    return;
  }
  const std::vector<format::RecoveryFile> files =
      format::ListRecoveryFiles(format::RecoveryFolder());
  if (files.empty()) return;
  const QFileInfo mark(QString::fromStdString(format::CleanExitMarkPath()));
  if (mark.exists() && mark.lastModified().toSecsSinceEpoch() > files.front().time) return;
  const QString when = QDateTime::fromSecsSinceEpoch(files.front().time)
                           .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  const QString text = QStringLiteral(
                           "ZmfEdit did not close cleanly last time. Open the recovery copy of %1 "
                           "made at %2?")
                           .arg(FromView(files.front().name), when);
  if (QMessageBox::question(this, QStringLiteral("Recover"), text,
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::Yes) != QMessageBox::Yes) {
    return;
  }
  if (!KeepUnsavedWork()) return;
  const std::string arguments[] = {files.front().path};
  RunCommand(*command::FindCommand(command::kCommandRecover), arguments);
}

void MainWindow::ShowAbout() {
  QMessageBox about(this);
  about.setWindowTitle(QStringLiteral("About"));
  about.setIconPixmap(windowIcon().pixmap(40, 40));
  about.setText(QStringLiteral("ZmfEdit Version 2.0"));
  about.setInformativeText(
      QStringLiteral("An editor for the low-poly models of real-time 3D programs.\n"
                     "Built with Qt %1 and OpenGL.\n"
                     "ZMF models, 3DS, MD5 mesh, X, ZQD, text and TGA heightmap imports.")
          .arg(QString::fromLatin1(qVersion())));
  about.setStandardButtons(QMessageBox::Ok);
  about.exec();
  setFocus();
}

void MainWindow::OpenHelp() {
  ShowHelpPage(HelpPagePath(QCoreApplication::applicationDirPath()), this, openUrl_);
}

void MainWindow::OpenOnStart(const std::string& path) {
  startupPath_ = path;
  startupPending_ = true;
  if (viewport_->context() != nullptr && viewport_->context()->isValid()) {
    QMetaObject::invokeMethod(this, &MainWindow::OpenStartupModel, Qt::QueuedConnection);
  }
}

void MainWindow::OpenStartupModel() {
  if (!startupPending_) return;
  startupPending_ = false;
  // The path is the Open command's input, as the file dialog's answer or a script's argument is.
  const std::string arguments[] = {startupPath_};
  RunCommand(*command::FindCommand(command::kCommandOpen), arguments);
  framesBeforeStartupModel_ = viewport_->FramesDrawn();
  viewport_->RequestFrame();
  viewport_->update();
  if (offerRecoveryAfterStartup_) {
    offerRecoveryAfterStartup_ = false;
    OfferRecovery();
  }
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
  script::BatchHost scriptHost(errors);
  model_.SetHost(scriptHost);
  viewport_->SetPlaybackClock(scriptClock_);
  // Scripts never leave recovery files behind.
  const bool unattended = host_.Unattended();
  host_.SetUnattended(true);
  const int result = script::RunBatchScript(model_, scriptHost, script, scriptPath, errors,
                                            modelPath, {editor_, scriptClock_, this});
  host_.SetUnattended(unattended);
  model_.SetHost(host_);
  ApplyRefresh(command::Refresh::View);
  return result;
}

bool MainWindow::WriteScreenshot(std::string_view path) {
  const QString name = QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
  // A script may save in the middle of its run: the buttons, panel and status lines first show
  // what it has done so far.
  ApplyRefresh(command::Refresh::None);
  if (name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
    const QImage image = GrabWindow(*this);
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
      model_.host().ErrorBox("Could not write to file:", path, Severity::Error);
      return false;
    }
    return true;
  }
  // The viewport's frame drawn now, at 512 x 512 whatever the device pixel ratio, its rows turned
  // bottom-up as GL reads them.
  const QImage bottomUp = ScreenshotPixels(viewport_->grabFramebuffer());
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(bottomUp.width()) *
                                 static_cast<std::size_t>(bottomUp.height()) * 4);
  for (int y = 0; y < bottomUp.height(); ++y) {
    std::memcpy(rgba.data() + static_cast<std::size_t>(y) * bottomUp.width() * 4,
                bottomUp.constScanLine(y), static_cast<std::size_t>(bottomUp.width()) * 4);
  }
  return exporters::WriteScreenshotBmp(model_, path, rgba, bottomUp.width(), bottomUp.height());
}

}  // namespace zmf::app

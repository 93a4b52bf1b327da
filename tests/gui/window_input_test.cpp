// The desktop's standard keys, the wheel and the middle button, Undo and Redo greyed, and
// File > Recent Files, driven as a user would on a real X display (Xvfb).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <optional>

#include "app/main_window.h"
#include "app/viewport_widget.h"
#include "command/clipboard_commands.h"
#include "command/edit_commands.h"
#include "command/file_commands.h"
#include "command/menu_layout.h"
#include "command/view_commands.h"
#include "modal.h"
#include "model/transforms.h"

namespace zmf {
namespace {

// Open and save dialogs answered with the next path queued.
class QueuedPaths final : public app::FileDialogs {
 public:
  QStringList next;
  std::optional<QString> AskOpen(const command::FileDialogOptions&, const QString&) override {
    return next.takeFirst();
  }
  std::optional<QString> AskSave(const command::FileDialogOptions&, const QString&) override {
    return next.takeFirst();
  }
};

// Catches the help page that the desktop would be asked to show.
class UrlCatcher final : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls << url; }
};

class WindowInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    // Settings and recovery files of this test only.
    qputenv("XDG_STATE_HOME", folder_.filePath("state").toLocal8Bit());
    QCoreApplication::setOrganizationName(QStringLiteral("zmf-window-input-test"));
    QSettings().clear();
    window_ = std::make_unique<app::MainWindow>();
    window_->SetFileDialogs(&dialogs_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  void TearDown() override { QSettings().clear(); }

  void Press(int key, Qt::KeyboardModifiers keys = Qt::ControlModifier) {
    QTest::keyClick(window_.get(), static_cast<Qt::Key>(key), keys);
  }
  Model& model() { return window_->TheModel(); }
  QString Path(const char* name) { return folder_.filePath(QString::fromLatin1(name)); }
  void WriteObj(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("v 100 40 0\nv 104 40 0\nv 100 44 2\nf 1 2 3\n");
  }
  // The paths File > Recent Files lists when it is opened.
  QStringList RecentShown() {
    QMenu* menu = window_->RecentFilesMenu();
    menu->popup(window_->mapToGlobal(QPoint(100, 100)));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
    QStringList paths;
    for (QAction* item : menu->actions()) {
      if (!item->data().toString().isEmpty()) paths << item->data().toString();
    }
    return paths;
  }

  QTemporaryDir folder_;
  QueuedPaths dialogs_;
  std::unique_ptr<app::MainWindow> window_;
};

TEST_F(WindowInputTest, StandardKeysRunOnceAndShowInTheirMenuItems) {
  EXPECT_EQ(window_->MenuAction(command::kCommandUndo)->shortcut(), QKeySequence("Ctrl+Z"));
  EXPECT_EQ(window_->MenuAction(command::kCommandRedo)->shortcuts(),
            (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
  EXPECT_EQ(window_->MenuAction(command::kCommandSaveAs)->shortcut(), QKeySequence("Ctrl+Shift+S"));
  EXPECT_EQ(window_->MenuAction(command::kMenuHelp)->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_TRUE(window_->MenuAction(command::kCommandDeleteSelectedFaces)->text().endsWith("\tDel"));

  window_->DispatchCommand(command::kCommandAddBox);
  const std::size_t box = model().vertices.count();
  ASSERT_GT(box, 0u);
  window_->DispatchCommand(command::kCommandDeselectAll);
  Press(Qt::Key_A);  // select all, not the camera mode of A
  EXPECT_EQ(model().vertices.selCount(), box);
  EXPECT_EQ(window_->Editor().mode, view::InteractionMode::Select);
  Press(Qt::Key_Z);  // undo, not the move mode of Z
  EXPECT_EQ(model().vertices.count(), 0u);
  EXPECT_EQ(window_->Editor().mode, view::InteractionMode::Select);
  Press(Qt::Key_Y);
  EXPECT_EQ(model().vertices.count(), box);
  Press(Qt::Key_Z);
  Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(model().vertices.count(), box);
  // Copy, cut and paste from the vertex list, then Delete: the selected vertices.
  Press(Qt::Key_A);
  window_->Editor().activeList = view::PanelList::Vertex;
  Press(Qt::Key_C);
  Press(Qt::Key_X);
  EXPECT_EQ(model().vertices.count(), 0u);
  Press(Qt::Key_V);
  EXPECT_EQ(model().vertices.count(), box);
  Press(Qt::Key_A);
  Press(Qt::Key_Delete, {});
  EXPECT_EQ(model().vertices.count(), 0u);
  EXPECT_EQ(window_->Editor().view, view::ViewMode::Mesh);  // X and C and V did not switch it

  // Ctrl+S asks for a name for the untitled model, Ctrl+O opens, Ctrl+Shift+S saves anew.
  Press(Qt::Key_Z);
  dialogs_.next = {Path("a.zmf"), Path("a.zmf"), Path("b.zmf")};
  Press(Qt::Key_S);
  EXPECT_TRUE(QFile::exists(Path("a.zmf")));
  Press(Qt::Key_N);
  EXPECT_EQ(model().vertices.count(), 0u);
  Press(Qt::Key_O);
  EXPECT_EQ(model().vertices.count(), box);
  Press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(QFile::exists(Path("b.zmf")));
  EXPECT_TRUE(dialogs_.next.isEmpty());

  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
  Press(Qt::Key_F1, {});
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  // F1 shows help once: in the desktop's browser, or in the help window where the page or a
  // browser is missing.
  auto* helpWindow = window_->findChild<QWidget*>(QStringLiteral("help-window"));
  const bool shownInWindow = helpWindow != nullptr && helpWindow->isVisible();
  EXPECT_EQ(catcher.urls.size() + (shownInWindow ? 1 : 0), 1);
  for (const QUrl& url : catcher.urls) EXPECT_TRUE(url.toLocalFile().endsWith("help.htm"));
  if (helpWindow != nullptr) helpWindow->close();
}

TEST_F(WindowInputTest, WheelZoomsAndMiddleDragPansWithoutTouchingTheSelection) {
  window_->DispatchCommand(command::kCommandAddBox);
  window_->DispatchCommand(command::kCommandDeselectAll);
  window_->DispatchCommand(command::kCommandSelectAll);
  const view::Camera& camera = window_->Editor().camera;
  const float e = camera.HalfExtent();
  QWidget* viewport = window_->Viewport();
  const QPointF at(256, 256);
  for (const int delta : {120, 120, -60}) {
    QWheelEvent wheel(at, viewport->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
  }
  EXPECT_FLOAT_EQ(camera.HalfExtent(), e * 0.8f * 0.8f / std::sqrt(0.8f));

  const std::size_t selected = model().vertices.selCount();
  QTest::mousePress(viewport, Qt::MiddleButton, {}, QPoint(256, 256));
  QTest::mouseMove(viewport, QPoint(320, 192));
  QTest::mouseRelease(viewport, Qt::MiddleButton, {}, QPoint(320, 192));
  EXPECT_FLOAT_EQ(camera.panX, 0.25f);
  EXPECT_FLOAT_EQ(camera.panY, 0.25f);
  EXPECT_EQ(model().vertices.selCount(), selected);
  EXPECT_EQ(window_->Editor().dragRect.kind, view::DragKind::None);
}

TEST_F(WindowInputTest, UndoAndRedoAreGreyedWhenThereIsNothingToDo) {
  QAction* undo = window_->MenuAction(command::kCommandUndo);
  QAction* redo = window_->MenuAction(command::kCommandRedo);
  QAbstractButton* undoButton = window_->ToolButton(command::kCommandUndo);
  QAbstractButton* redoButton = window_->ToolButton(command::kCommandRedo);
  EXPECT_FALSE(undo->isEnabled() || redo->isEnabled() || undoButton->isEnabled() ||
               redoButton->isEnabled());
  window_->DispatchCommand(command::kCommandAddMode);
  QTest::mouseClick(window_->Viewport(), Qt::LeftButton, {}, QPoint(300, 300));
  EXPECT_TRUE(undo->isEnabled() && undoButton->isEnabled());
  EXPECT_FALSE(redo->isEnabled() || redoButton->isEnabled());
  undoButton->click();
  EXPECT_FALSE(undo->isEnabled() || undoButton->isEnabled());
  EXPECT_TRUE(redo->isEnabled() && redoButton->isEnabled());
  EXPECT_EQ(model().vertices.count(), 0u);
}

TEST_F(WindowInputTest, RecentFilesNewestFirstWithoutMissingOnesAndOpenedWhenChosen) {
  WriteObj(Path("a.obj"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(ZMF_EXAMPLES_DIR "/sphere.zmf"), Path("b.zmf")));
  ASSERT_TRUE(QFile::copy(Path("b.zmf"), Path("c.zmf")));
  dialogs_.next = {Path("a.obj"), Path("b.zmf"), Path("c.zmf"), Path("a.obj")};
  for (int i = 0; i < 4; ++i) window_->DispatchCommand(command::kCommandOpen);
  EXPECT_EQ(RecentShown(), (QStringList{Path("a.obj"), Path("c.zmf"), Path("b.zmf")}));
  window_->RecentFilesMenu()->hide();

  // The imported model is centred in the viewport.
  const Vector3 centre = TransformPoint(model().viewMatrix, {102.0f, 42.0f, 1.0f});
  EXPECT_NEAR(centre.x, 0.0f, 1e-3f);
  EXPECT_NEAR(centre.y, 0.0f, 1e-3f);

  ASSERT_TRUE(QFile::remove(Path("c.zmf")));
  const QStringList shown = RecentShown();
  EXPECT_EQ(shown, (QStringList{Path("a.obj"), Path("b.zmf")}));
  QMenu* menu = window_->RecentFilesMenu();
  QAction* second = menu->actions().at(1);
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(second).center());
  EXPECT_EQ(window_->DocumentPath(), Path("b.zmf"));
  EXPECT_EQ(RecentShown(), (QStringList{Path("b.zmf"), Path("a.obj")}));
  menu->hide();
}

}  // namespace
}  // namespace zmf

#include "window_input_test.moc"

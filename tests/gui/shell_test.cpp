// The shell as a user drives it: menus, toolbar, keys, dialogs and the recovery file, on a real
// X display (Xvfb).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "app/main_window.h"
#include "app/screenshot.h"
#include "app/viewport_widget.h"
#include "command/command_table.h"
#include "command/edit_commands.h"
#include "command/face_commands.h"
#include "command/file_commands.h"
#include "command/material_commands.h"
#include "command/menu_layout.h"
#include "command/transform_commands.h"
#include "command/view_commands.h"
#include "command/weld_commands.h"
#include "modal.h"

namespace zmf {
namespace {

// File dialogs that answer from the test and remember what they were asked.
class AnsweringDialogs final : public app::FileDialogs {
 public:
  std::optional<QString> answer;
  QString askedTitle, askedCurrent;
  std::optional<QString> AskOpen(const command::FileDialogOptions& options,
                                 const QString& current) override {
    return Ask(options, current);
  }
  std::optional<QString> AskSave(const command::FileDialogOptions& options,
                                 const QString& current) override {
    return Ask(options, current);
  }

 private:
  std::optional<QString> Ask(const command::FileDialogOptions& options, const QString& current) {
    askedTitle = QString::fromUtf8(options.title.data(), qsizetype(options.title.size()));
    askedCurrent = current;
    return answer;
  }
};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(state_.isValid());
    qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit());
    window_ = std::make_unique<app::MainWindow>();
    window_->SetFileDialogs(&dialogs_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  void Key(char key) { QTest::keyClick(window_.get(), key); }
  Model& model() { return window_->TheModel(); }
  bool Visible(std::uint32_t id) { return window_->ToolButton(id)->isVisible(); }

  QTemporaryDir state_;
  AnsweringDialogs dialogs_;
  std::unique_ptr<app::MainWindow> window_;
};

TEST_F(ShellTest, MenusCarryEveryItemOfTheLayoutWithItsIdentifier) {
  std::size_t items = 0;
  for (const command::MenuItem& item : command::MenuItems()) {
    if (item.id == 0) continue;
    ++items;
    QAction* action = window_->MenuAction(item.id);
    ASSERT_NE(action, nullptr) << item.path;
    EXPECT_EQ(action->data().toUInt(), item.id);
    // Every item but the window's own runs a command of the table.
    const bool windowOwn = item.id == command::kMenuExit || item.id == command::kMenuHelp ||
                           item.id == command::kMenuAbout;
    EXPECT_EQ(command::FindCommand(item.id) != nullptr, !windowOwn) << item.path;
  }
  EXPECT_GT(items, 80u);
  QStringList top;
  for (QAction* menu : window_->menuBar()->actions()) top << menu->text();
  EXPECT_EQ(top, (QStringList{"&File", "&Edit", "&Action", "&View", "&Camera", "&Model", "&Help"}));
  // An item's text is the last part of its path.
  EXPECT_EQ(window_->MenuAction(command::kCommandWeldVertices)->text(), "&Weld Vertices");
  EXPECT_EQ(window_->MenuAction(command::kCommandCameraMode)->text(), "Reposition &Camera");
}

TEST_F(ShellTest, ModeKeysMoveTheCheckMarksButtonsAndCursor) {
  const auto translate = command::kCommandTranslate;
  Key('z');
  EXPECT_EQ(window_->Editor().mode, view::InteractionMode::Move);
  EXPECT_TRUE(Visible(translate));
  EXPECT_TRUE(window_->MenuAction(command::kCommandMoveMode)->isChecked());
  EXPECT_EQ(window_->Viewport()->cursor().shape(), Qt::SizeAllCursor);

  // Q in Move mode: Add, a cross, the matrix buttons gone, the check mark moved.
  Key('q');
  EXPECT_EQ(window_->Editor().mode, view::InteractionMode::Add);
  EXPECT_EQ(window_->Viewport()->cursor().shape(), Qt::CrossCursor);
  for (auto id : {translate, command::kCommandRotate, command::kCommandScale}) {
    EXPECT_FALSE(Visible(id)) << id;
  }
  EXPECT_TRUE(window_->MenuAction(command::kCommandAddMode)->isChecked());
  EXPECT_FALSE(window_->MenuAction(command::kCommandMoveMode)->isChecked());
  EXPECT_TRUE(window_->ToolButton(command::kCommandAddMode)->isChecked());
  EXPECT_FALSE(window_->ToolButton(command::kCommandMoveMode)->isChecked());

  // The seven camera buttons come with Reposition Camera and all go when it is left.
  const std::uint32_t camera[] = {command::kCommandCameraZero,   command::kCommandCameraLeft,
                                  command::kCommandCameraRight,  command::kCommandCameraTop,
                                  command::kCommandCameraBottom, command::kCommandCameraFront,
                                  command::kCommandCameraBack};
  Key('a');
  for (auto id : camera) EXPECT_TRUE(Visible(id)) << id;
  EXPECT_EQ(window_->ToolButton(command::kCommandCameraBack)->geometry(), QRect(16, 236, 16, 16));
  Key('1');
  for (auto id : camera) EXPECT_FALSE(Visible(id)) << id;
  EXPECT_EQ(window_->Editor().mode, view::InteractionMode::Select);

  // A click on the checked mode button leaves it checked.
  window_->ToolButton(command::kCommandSelectMode)->click();
  EXPECT_TRUE(window_->ToolButton(command::kCommandSelectMode)->isChecked());
}

TEST_F(ShellTest, ViewKeysShowTheirPanelAndOnlyAChangeCommits) {
  Key('v');
  EXPECT_EQ(window_->Editor().view, view::ViewMode::Material);
  EXPECT_TRUE(window_->ViewPanel(view::ViewMode::Material)->isVisible());
  EXPECT_FALSE(window_->ViewPanel(view::ViewMode::Mesh)->isVisible());
  EXPECT_EQ(window_->PanelTitle()->text(), "Material");
  EXPECT_TRUE(window_->MenuAction(command::kCommandViewMaterial)->isChecked());

  // X in the mesh view already shown commits nothing: a drawn copy that differs stays.
  Key('x');
  EXPECT_EQ(window_->PanelTitle()->text(), "Vertices and Faces");
  window_->DispatchCommand(command::kCommandAddTriad);
  Vertex* v = model().vertices.head();
  v->savedPosition = {9, 9, 9};
  Key('x');
  EXPECT_EQ(v->savedPosition, (Vector3{9, 9, 9}));
  Key('c');  // a change of view commits
  EXPECT_EQ(v->savedPosition, v->position);
  EXPECT_EQ(window_->PanelTitle()->text(), "Normals and Duplicates");
}

TEST_F(ShellTest, FaceKeyNeedsThreeVerticesAndWindsNewestFirst) {
  window_->DispatchCommand(command::kCommandAddTriad);
  EXPECT_EQ(window_->CountsLine()->text(), "vertices:4 faces:4");
  model().DeselectAll();
  Vertex* first = model().vertices.head();
  Vertex* second = first->next;
  model().vertices.Select(first);
  model().vertices.Select(second);
  Key('f');
  EXPECT_EQ(model().faces.count(), 4u);
  Vertex* third = second->next;
  model().vertices.Select(third);
  Key('f');
  ASSERT_EQ(model().faces.count(), 5u);
  const Face* made = model().faces.tail();
  EXPECT_EQ(made->a, third);
  EXPECT_EQ(made->b, second);
  EXPECT_EQ(made->c, first);
  EXPECT_EQ(window_->CountsLine()->text(), "vertices:4 faces:5");
  EXPECT_TRUE(window_->HasUnsavedChanges());
  // D clears every selection.
  Key('d');
  EXPECT_EQ(model().vertices.selCount(), 0u);
  EXPECT_EQ(model().faces.selCount(), 0u);
}

TEST_F(ShellTest, TranslateMovesTheSelectionOrAsksAboutTheWholeModel) {
  window_->DispatchCommand(command::kCommandAddTriad);
  model().DeselectAll();
  Vertex* v = model().vertices.head();
  model().vertices.Select(v);
  const Vector3 before = v->position;
  const Vector3 other = v->next->position;
  test::WhenModalOpens([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), "Enter translation (x,y,z)");
    auto* edit = modal->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "0.000 0.000 0.000");
    edit->setText("1 2 3");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  window_->DispatchCommand(command::kCommandTranslate);
  EXPECT_EQ(v->position, (before + Vector3{1, 2, 3}));
  EXPECT_EQ(v->next->position, other);

  // With nothing selected the whole model moves, after the question.
  model().DeselectAll();
  QString question;
  test::WhenModalOpens([&question](QWidget* modal) {
    auto* edit = modal->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setText("1 0 0");
    test::WhenModalOpens([&question](QWidget* box) {
      auto* message = qobject_cast<QMessageBox*>(box);
      ASSERT_NE(message, nullptr);
      question = message->text();
      message->button(QMessageBox::No)->click();
    });
    QTest::keyClick(edit, Qt::Key_Return);
  });
  window_->DispatchCommand(command::kCommandTranslate);
  EXPECT_EQ(question, "Are you sure you want to translate the whole model?");
  EXPECT_EQ(v->next->position, other);  // No: nothing moved
}

TEST_F(ShellTest, BoxRefitsTheViewAndTheOtherShapesDoNot) {
  window_->DispatchCommand(command::kCommandAddSphere);
  EXPECT_FLOAT_EQ(window_->Editor().camera.fitRadius, 1.0f);
  window_->DispatchCommand(command::kCommandAddBox);
  EXPECT_FLOAT_EQ(window_->Editor().camera.fitRadius, std::sqrt(model().radiusSquared));
  EXPECT_NE(window_->Editor().camera.fitRadius, 1.0f);

  // Delete Material with one material does nothing.
  window_->DispatchCommand(command::kCommandDeleteMaterial);
  EXPECT_EQ(model().materialCount, 1u);
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the "Save changes to NAME?" box with `button`, keeping its text.
void AnswerKeepWork(QMessageBox::StandardButton button, QString* text = nullptr) {
  test::WhenModalOpens([button, text](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    if (text != nullptr) *text = box->text();
    box->button(button)->click();
  });
}

QStringList RecoveryFiles(const QTemporaryDir& state) {
  return QDir(state.filePath("zmfedit/recovery")).entryList(QDir::Files, QDir::Name);
}

TEST_F(ShellTest, TheTitleAndSaveFollowTheDocument) {
  EXPECT_EQ(window_->windowTitle(), "ZmfEdit - untitled.zmf");
  window_->DispatchCommand(command::kCommandAddTriad);
  EXPECT_EQ(window_->windowTitle(), "ZmfEdit - untitled.zmf *");
  QTemporaryDir folder;
  const QString path = folder.filePath("triad.zmf");
  dialogs_.answer = path;
  window_->DispatchCommand(command::kCommandSave);
  EXPECT_EQ(dialogs_.askedTitle, "Save ZMF File");
  EXPECT_EQ(dialogs_.askedCurrent, "untitled.zmf");
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_EQ(window_->DocumentPath(), path);
  EXPECT_EQ(window_->windowTitle(), "ZmfEdit - triad.zmf");

  // Save of a document with a ZMF file writes there without asking; Save As always asks.
  window_->DispatchCommand(command::kCommandAddPyramid);
  EXPECT_EQ(window_->windowTitle(), "ZmfEdit - triad.zmf *");
  dialogs_.askedTitle.clear();
  dialogs_.answer.reset();
  window_->DispatchCommand(command::kCommandSave);
  EXPECT_TRUE(dialogs_.askedTitle.isEmpty());
  EXPECT_FALSE(window_->HasUnsavedChanges());
  EXPECT_TRUE(FileBytes(path).contains("VERTICES { POSITION_NORMAL_TEXCOORDS 9"));
  window_->DispatchCommand(command::kCommandSaveAs);
  EXPECT_EQ(dialogs_.askedCurrent, path);

  // A screenshot saved through Save names nothing and saves no model.
  window_->DispatchCommand(command::kCommandAddBox);
  dialogs_.answer = folder.filePath("shot.bmp");
  window_->DispatchCommand(command::kCommandSaveAs);
  EXPECT_TRUE(QFile::exists(folder.filePath("shot.bmp")));
  EXPECT_EQ(window_->DocumentPath(), path);
  EXPECT_TRUE(window_->HasUnsavedChanges());
  // Export writes a copy in the chosen format; the document keeps its name and unsaved state.
  dialogs_.answer = folder.filePath("copy.glb");
  window_->DispatchCommand(command::kCommandExport);
  EXPECT_EQ(dialogs_.askedTitle, "Export Model");
  EXPECT_TRUE(FileBytes(folder.filePath("copy.glb")).startsWith("glTF"));
  EXPECT_EQ(window_->DocumentPath(), path);
  EXPECT_TRUE(window_->HasUnsavedChanges());

  // A background picture opened (after keeping the work) is no document either; a cancelled Open
  // changes nothing.
  AnswerKeepWork(QMessageBox::Save);
  dialogs_.answer = folder.filePath("shot.bmp");
  window_->DispatchCommand(command::kCommandOpen);
  EXPECT_EQ(window_->DocumentPath(), path);
  EXPECT_FALSE(window_->HasUnsavedChanges());
  const std::uint32_t vertices = model().vertices.count();
  dialogs_.answer.reset();
  window_->DispatchCommand(command::kCommandOpen);
  EXPECT_EQ(model().vertices.count(), vertices);

  // New: untitled and clean.
  window_->DispatchCommand(command::kCommandNew);
  EXPECT_EQ(window_->windowTitle(), "ZmfEdit - untitled.zmf");
  EXPECT_EQ(model().vertices.count(), 0u);
}

TEST_F(ShellTest, DiscardingWorkAsksAndKeepsARecoveryFile) {
  window_->DispatchCommand(command::kCommandAddTriad);
  // Cancel: the window stays, with its model.
  QString question;
  AnswerKeepWork(QMessageBox::Cancel, &question);
  EXPECT_FALSE(window_->close());
  EXPECT_EQ(question, "Save changes to untitled.zmf?");
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(model().vertices.count(), 4u);
  EXPECT_TRUE(RecoveryFiles(state_).isEmpty());

  // Discard: a recovery file first, then New goes on.
  AnswerKeepWork(QMessageBox::Discard);
  window_->DispatchCommand(command::kCommandNew);
  EXPECT_EQ(model().vertices.count(), 0u);
  ASSERT_EQ(RecoveryFiles(state_).size(), 1);
  EXPECT_TRUE(RecoveryFiles(state_)[0].startsWith("untitled-"));

  // A second session's discarded work is a file of its own.
  window_->DispatchCommand(command::kCommandAddPyramid);
  AnswerKeepWork(QMessageBox::Discard);
  EXPECT_TRUE(window_->close());
  EXPECT_EQ(RecoveryFiles(state_).size(), 2);
  EXPECT_TRUE(QFile::exists(state_.filePath("zmfedit/clean-exit")));
}

TEST_F(ShellTest, RecoverOpensACopyAndNeverWritesOverIt) {
  window_->DispatchCommand(command::kCommandAddPyramid);
  window_->Autosave();
  const std::string autosaved = window_->LastRecoveryFile();
  ASSERT_FALSE(autosaved.empty());
  const QByteArray before = FileBytes(QString::fromStdString(autosaved));
  // Nothing changed since: no second autosave.
  window_->Autosave();
  EXPECT_EQ(RecoveryFiles(state_).size(), 1);

  // The window of the next session: the copy is newer than any clean exit, so it is offered.
  app::MainWindow next;
  next.SetFileDialogs(&dialogs_);
  test::WhenModalOpens([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("untitled.zmf"));
    box->button(QMessageBox::Yes)->click();
  });
  next.OfferRecovery();
  EXPECT_EQ(next.TheModel().vertices.count(), model().vertices.count());
  EXPECT_TRUE(next.HasUnsavedChanges());
  EXPECT_EQ(next.windowTitle(), "ZmfEdit - untitled.zmf *");

  // Save asks for a name, so the copy stays as it was; then File > Recover lists it.
  QTemporaryDir folder;
  dialogs_.answer = folder.filePath("kept.zmf");
  next.DispatchCommand(command::kCommandSave);
  EXPECT_EQ(dialogs_.askedCurrent, "untitled.zmf");
  EXPECT_EQ(FileBytes(QString::fromStdString(autosaved)), before);
  test::WhenModalOpens([](QWidget* modal) {
    auto* list = modal->findChild<QListWidget*>("recovery-files");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().contains("vertices:5 faces:6"));
    qobject_cast<QDialog*>(modal)->accept();
  });
  next.DispatchCommand(command::kCommandRecover);
  EXPECT_TRUE(next.HasUnsavedChanges());
  EXPECT_EQ(FileBytes(QString::fromStdString(autosaved)), before);
}

}  // namespace
}  // namespace zmf

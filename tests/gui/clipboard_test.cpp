// Two windows in one process exchange a selection through the desktop's real clipboard (Xvfb).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "command/clipboard_commands.h"
#include "command/edit_commands.h"
#include "command/panel_commands.h"

namespace zmf {
namespace {

TEST(ClipboardTest, VerticesAndFacesCopiedInOneWindowArePastedIntoAnother) {
  app::MainWindow from, to;
  from.show();
  to.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&from));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&to));

  // The face list picked last: Copy takes the selected vertices with their faces.
  from.DispatchCommand(command::kCommandAddTriad);
  ASSERT_EQ(from.TheModel().faces.selCount(), 4u);
  QGuiApplication::clipboard()->clear();
  QTest::mouseClick(from.ToolButton(command::kCommandCopy), Qt::LeftButton);
  EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());  // no active list yet
  from.Editor().activeList = view::PanelList::Face;
  QTest::mouseClick(from.ToolButton(command::kCommandCopy), Qt::LeftButton);
  const QString text = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(text.startsWith("VERTICES")) << text.toStdString();

  to.DispatchCommand(command::kCommandPaste);
  const Model& pasted = to.TheModel();
  ASSERT_EQ(pasted.vertices.count(), 4u);
  EXPECT_EQ(pasted.faces.count(), 4u);
  EXPECT_EQ(pasted.vertices.selCount(), 4u);
  EXPECT_EQ(pasted.vertices.Nth(1)->position, from.TheModel().vertices.Nth(1)->position);
  EXPECT_TRUE(to.HasUnsavedChanges());
  // One Undo takes the whole paste back.
  to.DispatchCommand(command::kCommandUndo);
  EXPECT_EQ(pasted.vertices.count(), 0u);

  // Cut from the face list through the menu item takes the selected faces away.
  from.MenuAction(command::kCommandCut)->trigger();
  EXPECT_EQ(from.TheModel().faces.count(), 0u);
  EXPECT_EQ(from.TheModel().vertices.count(), 4u);
  EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("VERTICES"));
}

}  // namespace
}  // namespace zmf

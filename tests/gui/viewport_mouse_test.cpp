// The real viewport under the mouse (QTest events on an X display) does what the same gestures
// written as script lines do.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/viewport_widget.h"
#include "command/edit_commands.h"
#include "command/view_commands.h"
#include "script/batch.h"

namespace zmf {
namespace {

struct Snapshot {
  std::vector<Vector3> positions;
  std::vector<std::uint32_t> selected;
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Take(const Model& model) {
  Snapshot s;
  for (const Vertex* v : model.vertices) s.positions.push_back(v->position);
  for (const Vertex* v : model.vertices.Selected()) s.selected.push_back(v->id);
  return s;
}

// What the script does to a model of its own, without a window.
Snapshot Scripted(const std::string& script) {
  script::BatchHost host(stderr);
  script::HeadlessTextureStore textures;
  Model model(host, textures);
  script::BatchSession session;
  EXPECT_EQ(script::RunBatchScript(model, host, script, "gestures.txt", stderr, {}, &session), 0);
  return Take(model);
}

class ViewportMouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }
  QWidget* Viewport() { return window_.Viewport(); }
  void Click(Qt::MouseButton button, QPoint at) { QTest::mouseClick(Viewport(), button, {}, at); }
  void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = {}) {
    QTest::mousePress(Viewport(), Qt::LeftButton, keys, from);
    QTest::mouseMove(Viewport(), to);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, keys, to);
  }

  app::MainWindow window_;
};

TEST_F(ViewportMouseTest, AddingSelectingAndMovingWithTheMouseMatchTheScript) {
  window_.DispatchCommand(command::kCommandAddMode);
  for (QPoint at : {QPoint(384, 128), QPoint(256, 256), QPoint(300, 300)}) {
    Click(Qt::LeftButton, at);
  }
  ASSERT_EQ(window_.TheModel().vertices.count(), 3u);
  EXPECT_EQ(window_.TheModel().vertices.head()->position, (Vector3{0.5f, 0.5f, 0.0f}));
  EXPECT_TRUE(window_.HasUnsavedChanges());

  window_.DispatchCommand(command::kCommandSelectMode);
  Drag({200, 100}, {400, 280});
  // The position readout follows the mouse.
  QTest::mouseMove(Viewport(), QPoint(384, 128));
  EXPECT_EQ(window_.PositionLine()->text(), "(0.500,0.500,0.000)");

  window_.DispatchCommand(command::kCommandMoveMode);
  Drag({256, 256}, {384, 256});
  window_.DispatchCommand(command::kCommandUndo);
  // Released outside the viewport: the drag still ends there and commits.
  Drag({256, 256}, {600, 200});
  EXPECT_EQ(window_.Editor().dragRect.kind, view::DragKind::None);

  const Snapshot expected = Scripted(
      "add-mode\nclick left 384 128\nclick left 256 256\nclick left 300 300\n"
      "select-mode\ndrag left 200 100 400 280\n"
      "move-mode\ndrag left 256 256 384 256\nundo\ndrag left 256 256 600 200\n");
  EXPECT_EQ(expected.selected, (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(Take(window_.TheModel()), expected);
}

}  // namespace
}  // namespace zmf

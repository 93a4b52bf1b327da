// The panels' real widgets under the mouse and keyboard (Xvfb): they show the panel state and
// their picks and "ok" buttons do what the same script lines do.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/main_window.h"
#include "command/edit_commands.h"
#include "command/view_commands.h"

namespace zmf {
namespace {

class PanelWidgetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }
  template <class W>
  W* Get(const char* name) {
    auto* widget = qobject_cast<W*>(window_.PanelWidget(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Opens the list and clicks its row, as a person does.
  void PickRow(const char* list, int row) {
    QComboBox* combo = Get<QComboBox>(list);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
  }
  bool MarkerAt(int y) {
    const QImage image = window_.centralWidget()->grab().toImage();
    return image.pixelColor(705, y) == QColor(255, 0, 0);
  }

  app::MainWindow window_;
};

TEST_F(PanelWidgetsTest, PickingARowAndTypingAPositionMovesThatVertex) {
  window_.DispatchCommand(command::kCommandAddTriad);
  QComboBox* vertices = Get<QComboBox>("520");
  ASSERT_EQ(vertices->count(), 4);
  EXPECT_EQ(vertices->itemText(3), "3");
  EXPECT_EQ(vertices->itemData(3).toUInt(), 3u);
  EXPECT_EQ(vertices->currentIndex(), -1);
  EXPECT_EQ(window_.CountsLine()->text(), "vertices:4 faces:4");
  EXPECT_FALSE(MarkerAt(60));

  PickRow("520", 1);
  EXPECT_EQ(vertices->currentIndex(), 1);
  EXPECT_EQ(Get<QLineEdit>("522")->text(), "0.500");
  EXPECT_TRUE(MarkerAt(60));

  QLineEdit* x = Get<QLineEdit>("521");
  x->selectAll();
  QTest::keyClicks(x, "abc");
  QLineEdit* z = Get<QLineEdit>("523");
  z->selectAll();
  QTest::keyClicks(z, "-2");
  QTest::mouseClick(Get<QPushButton>("555"), Qt::LeftButton);
  EXPECT_EQ(window_.TheModel().vertices.FindById(1)->position, (Vector3{0.0f, 0.5f, -2.0f}));
  EXPECT_TRUE(window_.HasUnsavedChanges());

  // A corner box takes digits only.
  QLineEdit* corner = Get<QLineEdit>("525");
  QTest::keyClicks(corner, "1a2");
  EXPECT_EQ(corner->text(), "12");

  // The marker goes with the view and comes back with it.
  QTest::keyClick(&window_, 'c');
  EXPECT_FALSE(MarkerAt(60));
  QTest::keyClick(&window_, 'x');
  EXPECT_TRUE(MarkerAt(60));
}

TEST_F(PanelWidgetsTest, MaterialPanelGreysTheTextureControlsWithoutATexture) {
  window_.DispatchCommand(command::kCommandViewMaterial);
  EXPECT_FALSE(Get<QCheckBox>("495")->isChecked());
  EXPECT_FALSE(Get<QPushButton>("560")->isEnabled());
  EXPECT_FALSE(Get<QComboBox>("548")->isEnabled());
  EXPECT_TRUE(Get<QComboBox>("493")->isEnabled());
  EXPECT_EQ(Get<QLineEdit>("diffuse-g")->text(), "0.800");
  EXPECT_EQ(Get<QComboBox>("493")->currentText(), "default");
  EXPECT_TRUE(window_.ViewPanel(view::ViewMode::Material)->isVisible());
  EXPECT_FALSE(window_.ViewPanel(view::ViewMode::Mesh)->isVisible());
}

}  // namespace
}  // namespace zmf

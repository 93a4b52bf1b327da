// The window at sizes other than its default, and at device pixel ratio 2: the viewport fills
// what the panels leave, the mouse picks where the model is drawn, and --size and the screenshots
// follow the window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "app/main_window.h"
#include "app/screenshot.h"
#include "app/viewport_widget.h"

namespace zmf {
namespace {

// A triangle (0,0,0) (1,0,0) (0,1,0) facing the camera; the fitted view's half-extent is sqrt(2).
constexpr char kTriangle[] =
    "ZMF\nVERTICES { POSITION_NORMAL 3 0 0 0 0 0 1 1 0 0 0 0 1 0 1 0 0 0 1 }\n"
    "FACES { 1 0 1 2 0 }\nMATERIALS { 1 MATERIAL { NAME plain } }\n";

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(text);
}

// The viewport pixel of the model point (x, y) in a fitted front view of the triangle: the
// shorter side spans -sqrt(2) ... sqrt(2).
QPoint PixelOf(QSize viewport, float x, float y) {
  const float half = static_cast<float>(std::min(viewport.width(), viewport.height())) / 2.0f;
  return {static_cast<int>(std::lround(viewport.width() / 2.0f + half * x / std::sqrt(2.0f))),
          static_cast<int>(std::lround(viewport.height() / 2.0f - half * y / std::sqrt(2.0f)))};
}

std::vector<std::uint32_t> SelectedIds(const Model& model) {
  std::vector<std::uint32_t> ids;
  for (const Vertex* v : model.vertices.Selected()) ids.push_back(v->id);
  return ids;
}

int RunEditor(const QStringList& arguments, const QProcessEnvironment& environment,
              QString* errors) {
  QProcess editor;
  editor.setProcessEnvironment(environment);
  editor.start(QStringLiteral(ZMFEDIT_PATH), arguments);
  if (!editor.waitForFinished(60000)) {
    editor.kill();
    editor.waitForFinished();
    return -1;
  }
  *errors = QString::fromLocal8Bit(editor.readAllStandardError());
  return editor.exitStatus() == QProcess::NormalExit ? editor.exitCode() : -1;
}

class WindowLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    model_ = folder_.filePath("tri.zmf");
    WriteText(model_, kTriangle);
  }
  void ShowWithTheTriangle() {
    window_.OpenOnStart(model_.toStdString());
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    ASSERT_TRUE(app::WaitUntilDrawn(window_, 20000));
  }

  QTemporaryDir folder_;
  QString model_;
  app::MainWindow window_;
};

TEST_F(WindowLayoutTest, ResizedWindowGrowsTheViewportAndPicksWhereTheModelIsDrawn) {
  ShowWithTheTriangle();
  app::ViewportWidget* viewport = window_.Viewport();
  // The default window: the 512 x 512 viewport at (32, 32), the panels right of it.
  EXPECT_EQ(window_.size(), QSize(800, 640));
  EXPECT_EQ(viewport->geometry(), QRect(32, 32, 512, 512));
  window_.resize(1000, 800);
  QTest::qWait(50);
  ASSERT_EQ(viewport->size(), QSize(712, 672));
  EXPECT_EQ(window_.Editor().camera.viewportWidth, 712);
  EXPECT_EQ(window_.Editor().camera.viewportHeight, 672);
  const QWidget* panel = window_.ViewPanel(view::ViewMode::Mesh);
  EXPECT_EQ(panel->mapTo(&window_, QPoint(0, 0)).x(), 1000 - 256);

  // Where the 512-pixel viewport had vertex 1 there is nothing now; where it is drawn now a click
  // picks it.
  QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(256 + 181, 256));
  EXPECT_TRUE(SelectedIds(window_.TheModel()).empty());
  QTest::mouseClick(viewport, Qt::RightButton, {}, PixelOf(viewport->size(), 1.0f, 0.0f));
  EXPECT_EQ(SelectedIds(window_.TheModel()), std::vector<std::uint32_t>({1}));

  // A wide, short window: a rectangle around vertices 0 and 2 selects just those.
  window_.resize(1200, 500);
  QTest::qWait(50);
  ASSERT_EQ(viewport->size(), QSize(912, 372));
  const QPoint from = PixelOf(viewport->size(), -0.2f, 1.2f);
  const QPoint to = PixelOf(viewport->size(), 0.2f, -0.2f);
  QTest::mousePress(viewport, Qt::LeftButton, {}, from);
  QTest::mouseMove(viewport, to);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
  EXPECT_EQ(SelectedIds(window_.TheModel()), std::vector<std::uint32_t>({0, 2}));

  // The frame is undistorted: vertex 1 is drawn as far right of the centre as vertex 2 is above.
  const QImage frame = viewport->grabFramebuffer();
  ASSERT_EQ(frame.size(), QSize(912, 372));
  const QPoint inside = PixelOf(viewport->size(), 0.25f, 0.25f);
  const QPoint outside = PixelOf(viewport->size(), 1.05f, 0.05f);
  EXPECT_EQ(frame.pixelColor(inside), QColor(102, 102, 102));
  EXPECT_EQ(frame.pixelColor(outside), QColor(51, 51, 51));

  // The panel column scrolls when the window is too short for it.
  auto* column = window_.findChild<QScrollArea*>(QStringLiteral("panel-column"));
  ASSERT_NE(column, nullptr);
  EXPECT_GT(column->verticalScrollBar()->maximum(), 0);
}

TEST_F(WindowLayoutTest, SizeAndPositionAreRememberedOnlyWhenAsked) {
  // Settings of the test's own, in the test folder for settings.
  QStandardPaths::setTestModeEnabled(true);
  QCoreApplication::setOrganizationName(QStringLiteral("ZmfEditLayoutTest"));
  QSettings().remove(QStringLiteral("window/geometry"));
  {
    app::MainWindow first;
    first.RestoreGeometry();  // nothing remembered yet: the default size
    EXPECT_EQ(first.size(), QSize(800, 640));
    first.resize(900, 700);
    first.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
    first.close();
  }
  app::MainWindow second;
  second.show();
  EXPECT_EQ(second.size(), QSize(800, 640));  // a window not asked to restore stays default
  app::MainWindow third;
  third.RestoreGeometry();
  EXPECT_EQ(third.size(), QSize(900, 700));
  second.close();  // not remembered: the next restore still gets 900 x 700
  app::MainWindow fourth;
  fourth.RestoreGeometry();
  EXPECT_EQ(fourth.size(), QSize(900, 700));
  QSettings().remove(QStringLiteral("window/geometry"));
}

TEST_F(WindowLayoutTest, SizeOptionSetsTheWindowForScreenshotsAndScriptGestures) {
  // The script clicks vertex 1 where a 1000 x 800 window's 712 x 672 viewport draws it.
  const QPoint vertex = PixelOf(QSize(712, 672), 1.0f, 0.0f);
  const QString dir = folder_.path() + "/";
  WriteText(dir + "click.txt", QStringLiteral("click right %1 %2\npanel %3panel.txt\n")
                                   .arg(vertex.x())
                                   .arg(vertex.y())
                                   .arg(dir)
                                   .toUtf8());
  QString errors;
  const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  ASSERT_EQ(RunEditor({"--size", "1000x800", "--screenshot", dir + "big.png", "--batch",
                       dir + "click.txt", model_},
                      environment, &errors),
            0)
      << errors.toStdString();
  EXPECT_EQ(QImage(dir + "big.png").size(), QSize(1000, 800));
  QFile panel(dir + "panel.txt");
  ASSERT_TRUE(panel.open(QIODevice::ReadOnly));
  EXPECT_TRUE(panel.readAll().contains("\n520 list picked -1: 1\n"));

  // A script in a window of a given size needs no screenshot; bad sizes are refused.
  ASSERT_EQ(
      RunEditor({"--size", "1000x800", "--batch", dir + "click.txt", model_}, environment, &errors),
      0)
      << errors.toStdString();
  EXPECT_EQ(RunEditor({"--size", "1000", "--screenshot", dir + "x.png"}, environment, &errors), 2);
  EXPECT_TRUE(errors.contains("--size needs WIDTHxHEIGHT")) << errors.toStdString();
}

TEST_F(WindowLayoutTest, AtPixelRatioTwoScreenshotsHoldTheWholeViewAtFullResolution) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
  const QString dir = folder_.path() + "/";
  WriteText(dir + "shots.txt", QStringLiteral("screenshot %1view.bmp\n").arg(dir).toUtf8());
  QString errors;
  ASSERT_EQ(RunEditor({"--screenshot", dir + "window.png", "--batch", dir + "shots.txt", model_},
                      environment, &errors),
            0)
      << errors.toStdString();
  // Every device pixel of the 800 x 640 window.
  const QImage image(dir + "window.png");
  ASSERT_EQ(image.size(), QSize(1600, 1280));
  // The viewport, 1024 device pixels wide, where this process's window has it at ratio 1, twice
  // as far: the face's grey well inside the triangle, and its black edges two device pixels wide
  // (a one-pixel line on screen).
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  const QPoint origin = window_.Viewport()->mapTo(&window_, QPoint(0, 0)) * 2;
  const QPoint inside = origin + PixelOf(QSize(1024, 1024), 0.25f, 0.25f);
  EXPECT_EQ(image.pixelColor(inside), QColor(102, 102, 102));
  int edge = 0;  // the black edge's pixels down across the slanted edge's middle
  for (int y = -4; y <= 4; ++y) {
    const QPoint p = origin + PixelOf(QSize(1024, 1024), 0.5f, 0.5f) + QPoint(0, y);
    edge += image.pixelColor(p).red() < 40 ? 1 : 0;
  }
  EXPECT_EQ(edge, 2);
  // The bitmap keeps its 512 x 512 format: the whole view scaled down.
  EXPECT_EQ(QFile(dir + "view.bmp").size(), 524342);
}

}  // namespace
}  // namespace zmf

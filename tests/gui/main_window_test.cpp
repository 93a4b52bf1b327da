// The main window and its GL viewport on a real X display (Xvfb), and zmfedit --screenshot.
#include "app/main_window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QOpenGLContext>
#include <QProcess>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "../image_fixtures.h"
#include "app/screenshot.h"
#include "app/viewport_widget.h"

namespace zmf {
namespace {

constexpr int kBackground = 51;  // 0.2 grey, the viewport's clear colour
constexpr int kCross = 153;      // 0.6 grey, the centre cross

bool IsGrey(const QImage& image, int x, int y, int level) {
  const QColor colour = image.pixelColor(x, y);
  return std::abs(colour.red() - level) <= 1 && std::abs(colour.green() - level) <= 1 &&
         std::abs(colour.blue() - level) <= 1;
}

// The lines of the cross run along pixel edges, so the rasterizer lights the column and row on
// either side of them; either way three of the four pixels around the centre are lit.
bool ShowsCrossCentre(const QImage& image, QPoint viewportOrigin) {
  int lit = 0;
  for (int y : {255, 256}) {
    for (int x : {255, 256}) {
      lit += IsGrey(image, viewportOrigin.x() + x, viewportOrigin.y() + y, kCross) ? 1 : 0;
    }
  }
  return lit == 3;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void ShowAndWaitForAFrame() {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    ASSERT_TRUE(app::WaitUntilDrawn(window_, 20000)) << "the viewport never drew";
  }

  app::MainWindow window_;
};

TEST_F(MainWindowTest, FixedSizeWindowWithAViewportAt32And32DrawingTheCrossEvery30Ms) {
  EXPECT_EQ(window_.windowTitle(), "ZmfEdit");
  EXPECT_EQ(window_.minimumSize(), QSize(800, 640));
  EXPECT_EQ(window_.maximumSize(), QSize(800, 640));
  EXPECT_FALSE(window_.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window_.windowFlags() & Qt::WindowMinimizeButtonHint);

  ShowAndWaitForAFrame();
  app::ViewportWidget* viewport = window_.Viewport();
  EXPECT_EQ(viewport->parentWidget(), window_.ClientArea());
  EXPECT_EQ(viewport->geometry(), QRect(32, 32, 512, 512));
  EXPECT_EQ(window_.size(), QSize(800, 640));
  EXPECT_EQ(window_.CurrentFileName(), "untitled.zmf");
  EXPECT_TRUE(viewport->GlReady());
  EXPECT_NE(viewport->context()->format().profile(), QSurfaceFormat::CoreProfile);
  EXPECT_GE(viewport->context()->format().depthBufferSize(), 16);

  const QImage frame = viewport->grabFramebuffer();
  ASSERT_EQ(frame.size(), QSize(512, 512));
  EXPECT_TRUE(ShowsCrossCentre(frame, QPoint(0, 0)));
  EXPECT_TRUE(IsGrey(frame, 5, 5, kBackground));
  // The whole window's picture shows that frame in place.
  const QImage image = app::GrabWindow(window_);
  ASSERT_EQ(image.size(), QSize(800, 640));
  const QPoint origin = viewport->mapTo(&window_, QPoint(0, 0));
  EXPECT_TRUE(ShowsCrossCentre(image, origin));
  EXPECT_TRUE(IsGrey(image, origin.x() + 5, origin.y() + 5, kBackground));
  EXPECT_EQ(image.pixelColor(origin.x() - 5, origin.y() - 5),
            window_.palette().color(QPalette::Window));

  const long long before = viewport->FramesDrawn();
  QTest::qWait(600);
  const long long frames = viewport->FramesDrawn() - before;
  // 20 frames at the nominal pace; a slow machine draws fewer, but never none and never a flood.
  EXPECT_GE(frames, 5);
  EXPECT_LE(frames, 30);
}

// Runs the built editor with the given arguments (on the same display) and returns its exit
// code; its error output goes to *errors.
int RunEditor(const QStringList& arguments, QString* errors) {
  QProcess editor;
  editor.start(QStringLiteral(ZMFEDIT_PATH), arguments);
  if (!editor.waitForFinished(60000)) {
    editor.kill();
    editor.waitForFinished();
    return -1;
  }
  *errors = QString::fromLocal8Bit(editor.readAllStandardError());
  return editor.exitStatus() == QProcess::NormalExit ? editor.exitCode() : -1;
}

TEST_F(MainWindowTest, ScreenshotOptionSavesTheWholeWindowAsPngOrFailsWithAMessage) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString path = folder.filePath("window.png");
  // The model cannot be opened: with nobody to close a message box, the message goes to the
  // error stream and the picture is still taken.
  const QString model = folder.filePath("missing.zmf");
  QString errors;
  ASSERT_EQ(RunEditor({"--screenshot", path, model}, &errors), 0) << errors.toStdString();
  EXPECT_EQ(errors, "ERROR: Could not open file: " + model + " The application will continue.\n");

  const QImage image(path, "PNG");
  ASSERT_EQ(image.size(), QSize(800, 640));
  // The editor lays its window out like this one.
  ShowAndWaitForAFrame();
  const QPoint origin = window_.Viewport()->mapTo(&window_, QPoint(0, 0));
  EXPECT_TRUE(ShowsCrossCentre(image, origin));
  EXPECT_TRUE(IsGrey(image, origin.x() + 5, origin.y() + 5, kBackground));
  EXPECT_FALSE(IsGrey(image, origin.x() - 5, origin.y() - 5, kBackground));

  EXPECT_EQ(RunEditor({"--screenshot", "/nonexistent-folder/window.png"}, &errors), 1);
  EXPECT_TRUE(errors.contains("/nonexistent-folder/window.png")) << errors.toStdString();
}

TEST_F(MainWindowTest, StartupModelIsOpenedWithItsTexturesInTheViewportsContext) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const testing::Bytes bmp = testing::Bmp24(64, 64, [](int, int) { return testing::Bgr{}; });
  QFile texture(folder.filePath("wood.bmp"));
  ASSERT_TRUE(texture.open(QIODevice::WriteOnly));
  texture.write(reinterpret_cast<const char*>(bmp.data()), qint64(bmp.size()));
  texture.close();
  QFile file(folder.filePath("model.zmf"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "ZMF\nVERTICES { POSITION 3 0 0 0 1 0 0 0 1 0 }\nFACES { 1 0 1 2 0 }\n"
      "MATERIALS { 1 MATERIAL { NAME wood TEXTURE { FILE wood.bmp ALPHA NONE } } }\n");
  file.close();

  window_.OpenOnStart(file.fileName().toStdString());
  EXPECT_EQ(window_.CurrentFileName(), file.fileName());
  EXPECT_FALSE(window_.StartupModelShown());
  ShowAndWaitForAFrame();
  EXPECT_TRUE(window_.StartupModelShown());
  EXPECT_EQ(window_.TheModel().faces.count(), 1u);
  const std::uint32_t name = window_.TheModel().materials[0].texture;
  ASSERT_NE(name, 0u);
  window_.Viewport()->makeCurrent();
  EXPECT_TRUE(glIsTexture(name));
  window_.Viewport()->doneCurrent();
}

}  // namespace
}  // namespace zmf

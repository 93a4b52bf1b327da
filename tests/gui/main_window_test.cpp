// The main window and its GL viewport on a real X display (Xvfb), and zmfedit --screenshot.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QOpenGLContext>
#include <QProcess>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "app/screenshot.h"
#include "app/viewport_widget.h"
#include "render/frame.h"

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
    ASSERT_TRUE(WaitUntilDrawn(window_, 20000)) << "the viewport never drew";
  }

  MainWindow window_;
};

TEST_F(MainWindowTest, IsAFixedSizeWindowWithTheViewportAt32And32) {
  EXPECT_EQ(window_.windowTitle(), "ZmfEdit");
  EXPECT_EQ(window_.size(), QSize(800, 640));
  EXPECT_EQ(window_.minimumSize(), QSize(800, 640));
  EXPECT_EQ(window_.maximumSize(), QSize(800, 640));
  EXPECT_FALSE(window_.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window_.windowFlags() & Qt::WindowMinimizeButtonHint);

  ShowAndWaitForAFrame();
  ViewportWidget* viewport = window_.Viewport();
  EXPECT_EQ(viewport->parentWidget(), window_.ClientArea());
  EXPECT_EQ(viewport->geometry(), QRect(32, 32, 512, 512));
  EXPECT_EQ(window_.size(), QSize(800, 640));
  EXPECT_EQ(window_.CurrentFileName(), "untitled.zmf");
}

TEST_F(MainWindowTest, ViewportHasACompatibilityContextAndDrawsTheCentreCross) {
  ShowAndWaitForAFrame();
  ViewportWidget* viewport = window_.Viewport();
  EXPECT_TRUE(viewport->GlReady());
  EXPECT_NE(viewport->context()->format().profile(), QSurfaceFormat::CoreProfile);
  EXPECT_GE(viewport->context()->format().depthBufferSize(), 16);

  const QImage frame = viewport->grabFramebuffer();
  ASSERT_EQ(frame.size(), QSize(512, 512));
  EXPECT_TRUE(ShowsCrossCentre(frame, QPoint(0, 0)));
  const int column = IsGrey(frame, 255, 100, kCross) ? 255 : 256;
  const int row = IsGrey(frame, 100, 255, kCross) ? 255 : 256;
  for (int t : {0, 100, 400, 511}) {
    EXPECT_TRUE(IsGrey(frame, column, t, kCross)) << "vertical line at row " << t;
    EXPECT_TRUE(IsGrey(frame, t, row, kCross)) << "horizontal line at column " << t;
  }
  EXPECT_TRUE(IsGrey(frame, 5, 5, kBackground));
  EXPECT_TRUE(IsGrey(frame, 506, 506, kBackground));
  EXPECT_TRUE(IsGrey(frame, 100, 100, kBackground));

  viewport->SetViewMode(kViewNormalsAndDuplicates);
  const QImage normalsView = viewport->grabFramebuffer();
  for (int y : {255, 256}) {
    for (int x : {255, 256}) EXPECT_TRUE(IsGrey(normalsView, x, y, kBackground));
  }
}

TEST_F(MainWindowTest, ViewportRedrawsAboutEvery30MsOnItsOwn) {
  ShowAndWaitForAFrame();
  const long long before = window_.Viewport()->FramesDrawn();
  QTest::qWait(600);
  const long long frames = window_.Viewport()->FramesDrawn() - before;
  // 20 frames at the nominal pace; a slow machine draws fewer, but never none and never a flood.
  EXPECT_GE(frames, 5);
  EXPECT_LE(frames, 30);
}

TEST_F(MainWindowTest, GrabWindowShowsTheViewportFrameInPlace) {
  ShowAndWaitForAFrame();
  const QImage image = GrabWindow(window_);
  ASSERT_EQ(image.size(), QSize(800, 640));
  const QPoint origin = window_.Viewport()->mapTo(&window_, QPoint(0, 0));
  EXPECT_TRUE(ShowsCrossCentre(image, origin));
  EXPECT_TRUE(IsGrey(image, origin.x() + 5, origin.y() + 5, kBackground));
  EXPECT_EQ(image.pixelColor(origin.x() - 5, origin.y() - 5),
            window_.palette().color(QPalette::Window));
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

TEST_F(MainWindowTest, ScreenshotOptionSavesTheWholeWindowAsPng) {
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
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.size(), QSize(800, 640));
  // The editor lays its window out like this one.
  ShowAndWaitForAFrame();
  const QPoint origin = window_.Viewport()->mapTo(&window_, QPoint(0, 0));
  EXPECT_TRUE(ShowsCrossCentre(image, origin));
  EXPECT_TRUE(IsGrey(image, origin.x() + 5, origin.y() + 5, kBackground));
  EXPECT_FALSE(IsGrey(image, origin.x() - 5, origin.y() - 5, kBackground));
}

// A 64 x 64 24-bit BMP of one colour.
QByteArray SolidBmp64() {
  QByteArray bytes;
  auto u16 = [&](quint32 v) {
    bytes.append(char(v & 0xFF));
    bytes.append(char((v >> 8) & 0xFF));
  };
  auto u32 = [&](quint32 v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  bytes.append("BM");
  for (quint32 v : {54u + 64 * 64 * 3, 0u, 54u, 40u, 64u, 64u}) u32(v);
  u16(1);
  u16(24);
  for (quint32 v : {0u, 64u * 64 * 3, 2835u, 2835u, 0u, 0u}) u32(v);
  bytes.append(QByteArray(64 * 64 * 3, char(0x40)));
  return bytes;
}

TEST_F(MainWindowTest, StartupModelIsOpenedWithItsTexturesInTheViewportsContext) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QFile texture(folder.filePath("wood.bmp"));
  ASSERT_TRUE(texture.open(QIODevice::WriteOnly));
  texture.write(SolidBmp64());
  texture.close();
  QFile file(folder.filePath("model.zmf"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("ZMF\nVERTICES { POSITION 3 0 0 0 1 0 0 0 1 0 }\nFACES { 1 0 1 2 0 }\n"
             "MATERIALS { 1 MATERIAL { NAME wood TEXTURE { FILE wood.bmp ALPHA NONE } } }\n");
  file.close();

  window_.OpenOnStart(file.fileName().toStdString());
  EXPECT_EQ(window_.CurrentFileName(), file.fileName());
  EXPECT_FALSE(window_.StartupModelShown());
  ShowAndWaitForAFrame();
  EXPECT_TRUE(window_.StartupModelShown());
  Model& model = window_.TheModel();
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_EQ(model.faces.count(), 1u);
  const std::uint32_t name = model.materials[0].texture;
  ASSERT_NE(name, 0u);
  window_.Viewport()->makeCurrent();
  EXPECT_TRUE(glIsTexture(name));
  window_.Viewport()->doneCurrent();
}

TEST_F(MainWindowTest, ScreenshotThatCannotBeWrittenFailsWithAMessage) {
  QString errors;
  EXPECT_EQ(RunEditor({"--screenshot", "/nonexistent-folder/window.png"}, &errors), 1);
  EXPECT_TRUE(errors.contains("/nonexistent-folder/window.png")) << errors.toStdString();
}

}  // namespace
}  // namespace zmf

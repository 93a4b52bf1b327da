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
#include <QTimer>
#include <cmath>
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

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes);
}

// The pixel (x, y), y counted from the top, of a 512 x 512 16-bit bottom-up screenshot file;
// 0 when the file is not that.
unsigned BmpPixel(const QString& path, QPoint p) {
  QFile file(path);
  const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  if (bytes.size() != 524342) return 0;
  const int at = 54 + (511 - p.y()) * 1024 + p.x() * 2;
  return unsigned(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                              << 8);
}

// A grey level of five bits in each of the three channels.
constexpr unsigned Grey555(unsigned level) { return level << 10 | level << 5 | level; }

class MainWindowTest : public ::testing::Test {
 protected:
  void ShowAndWaitForAFrame() {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    ASSERT_TRUE(app::WaitUntilDrawn(window_, 20000)) << "the viewport never drew";
  }

  app::MainWindow window_;
};

TEST_F(MainWindowTest, ResizableWindowWithAViewportAt32And32DrawingTheCross) {
  EXPECT_EQ(window_.windowTitle(), "ZmfEdit - untitled.zmf");
  EXPECT_EQ(window_.size(), QSize(800, 640));
  EXPECT_LT(window_.minimumSizeHint().width(), 800);
  EXPECT_EQ(window_.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));

  ShowAndWaitForAFrame();
  app::ViewportWidget* viewport = window_.Viewport();
  EXPECT_EQ(viewport->parentWidget(), window_.ClientArea());
  EXPECT_EQ(viewport->geometry(), QRect(32, 32, 512, 512));
  EXPECT_EQ(window_.size(), QSize(800, 640));
  EXPECT_EQ(window_.windowTitle(), "ZmfEdit - untitled.zmf");
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
  // Left of the viewport, below the mode buttons, is the window's own background.
  EXPECT_EQ(image.pixelColor(origin.x() - 5, origin.y() + 300),
            window_.palette().color(QPalette::Window));
}

// Frames drawn while something asks for one every 5 ms for the given time.
long long FramesWhileAsking(app::ViewportWidget* viewport, int milliseconds) {
  const long long before = viewport->FramesDrawn();
  QTimer asking;
  QObject::connect(&asking, &QTimer::timeout, viewport, &app::ViewportWidget::RequestFrame);
  asking.start(5);
  QTest::qWait(milliseconds);
  return viewport->FramesDrawn() - before;
}

TEST_F(MainWindowTest, ViewportDrawsWhenAskedAtMostEvery30MsAndNeverUnseen) {
  ShowAndWaitForAFrame();
  app::ViewportWidget* viewport = window_.Viewport();
  QTest::qWait(100);
  // An idle editor draws nothing.
  long long before = viewport->FramesDrawn();
  QTest::qWait(400);
  EXPECT_EQ(viewport->FramesDrawn(), before);

  // Asked continually: 20 frames in 600 ms at the nominal pace; a slow machine draws fewer, but
  // never none and never more than the pace allows.
  const long long frames = FramesWhileAsking(viewport, 600);
  EXPECT_GE(frames, 5);
  EXPECT_LE(frames, 21);

  // A change to the model that nobody announced is still seen.
  window_.TheModel().AppendVertex();
  before = viewport->FramesDrawn();
  QTest::qWait(200);
  EXPECT_EQ(viewport->FramesDrawn(), before + 1);

  window_.showMinimized();
  QTest::qWait(50);
  EXPECT_EQ(FramesWhileAsking(viewport, 300), 0);
  window_.hide();
  EXPECT_EQ(FramesWhileAsking(viewport, 300), 0);
}

TEST_F(MainWindowTest, BitmapScreenshotIsTheViewportIn16BitsBottomUp) {
  ShowAndWaitForAFrame();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString path = folder.filePath("shot.bmp");
  ASSERT_TRUE(window_.WriteScreenshot(path.toStdString()));
  // The clear grey 51 is 6 in five bits; the cross's 153 is 19.
  EXPECT_EQ(BmpPixel(path, {5, 5}), Grey555(6));
  EXPECT_TRUE(BmpPixel(path, {100, 255}) == Grey555(19) ||
              BmpPixel(path, {100, 256}) == Grey555(19));
  // Writing where no file can go is reported (on the error stream, with nobody at the screen)
  // and fails.
  window_.SetUnattended(true);
  EXPECT_FALSE(window_.WriteScreenshot("/nonexistent-folder/shot.bmp"));
}

TEST(ScreenshotPixelsTest, AFrameOfAnyPixelRatioIsScaledWholeTo512BottomUp) {
  // A frame drawn at ratio 2: four quadrants of their own colour.
  QImage frame(1024, 1024, QImage::Format_RGB32);
  frame.setDevicePixelRatio(2.0);
  for (int y = 0; y < 1024; ++y) {
    for (int x = 0; x < 1024; ++x) {
      frame.setPixel(x, y, qRgb(x < 512 ? 200 : 10, y < 512 ? 200 : 10, 77));
    }
  }
  const QImage pixels = app::ScreenshotPixels(frame);
  ASSERT_EQ(pixels.size(), QSize(512, 512));
  EXPECT_EQ(pixels.format(), QImage::Format_RGBA8888);
  // Bottom-up: the first row is the frame's bottom one.
  EXPECT_EQ(pixels.pixelColor(10, 10), QColor(200, 10, 77));
  EXPECT_EQ(pixels.pixelColor(500, 10), QColor(10, 10, 77));
  EXPECT_EQ(pixels.pixelColor(10, 500), QColor(200, 200, 77));
  EXPECT_EQ(pixels.pixelColor(500, 500), QColor(10, 200, 77));
  // A frame twice as wide as high keeps its proportions between black bars.
  const QImage wide = app::ScreenshotPixels(frame.copy(0, 0, 1024, 512));
  ASSERT_EQ(wide.size(), QSize(512, 512));
  EXPECT_EQ(wide.pixelColor(10, 10), QColor(0, 0, 0));
  EXPECT_EQ(wide.pixelColor(10, 250), QColor(200, 200, 77));
  EXPECT_EQ(wide.pixelColor(500, 250), QColor(10, 200, 77));
  EXPECT_EQ(wide.pixelColor(500, 500), QColor(0, 0, 0));
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
  WriteBytes(folder.filePath("wood.bmp"),
             QByteArray(reinterpret_cast<const char*>(bmp.data()), qsizetype(bmp.size())));
  const QString file = folder.filePath("model.zmf");
  WriteBytes(file,
             "ZMF\nVERTICES { POSITION 3 0 0 0 1 0 0 0 1 0 }\nFACES { 1 0 1 2 0 }\n"
             "MATERIALS { 1 MATERIAL { NAME wood TEXTURE { FILE wood.bmp ALPHA NONE } } }\n");

  window_.OpenOnStart(file.toStdString());
  EXPECT_FALSE(window_.StartupModelShown());
  ShowAndWaitForAFrame();
  EXPECT_TRUE(window_.StartupModelShown());
  EXPECT_EQ(window_.TheModel().faces.count(), 1u);
  EXPECT_EQ(window_.DocumentPath(), file);
  const std::uint32_t name = window_.TheModel().materials[0].texture;
  ASSERT_NE(name, 0u);
  window_.Viewport()->makeCurrent();
  EXPECT_TRUE(glIsTexture(name));
  window_.Viewport()->doneCurrent();
}

TEST_F(MainWindowTest, ScreenshotWithAScriptShowsEachViewTheScriptChose) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  // A triangle (0,0,0) (1,0,0) (0,1,0) facing the camera: the fitted view's half-extent is its
  // radius sqrt(2), so the model point (x, y) lands on viewport pixel
  // (256 + 256 x / sqrt(2), 256 - 256 y / sqrt(2)).
  const QString model = folder.filePath("tri.zmf");
  WriteBytes(model,
             "ZMF\nVERTICES { POSITION_NORMAL 3 0 0 0 0 0 1 1 0 0 0 0 1 0 1 0 0 0 1 }\n"
             "FACES { 1 0 1 2 0 }\nMATERIALS { 1 MATERIAL { NAME plain } }\n");
  const auto pixelOf = [](float x, float y) {
    return QPoint(int(256 + 256 * x / std::sqrt(2.0f)), int(256 - 256 * y / std::sqrt(2.0f)));
  };
  const QString script = folder.filePath("views.txt");
  const QString dir = folder.path() + "/";
  WriteBytes(script, ("screenshot " + dir + "mesh.png\nview-normals\nscreenshot " + dir +
                      "normals.bmp\nview-material\nscreenshot " + dir + "material.png\n" +
                      "view-bones\ncamera-left\n")
                         .toUtf8());

  QString errors;
  ASSERT_EQ(RunEditor({"--screenshot", dir + "bones.png", "--batch", script, model}, &errors), 0)
      << errors.toStdString();
  EXPECT_EQ(errors, "");

  ShowAndWaitForAFrame();
  const QPoint origin = window_.Viewport()->mapTo(&window_, QPoint(0, 0));
  const QPoint inside = origin + pixelOf(0.25f, 0.25f);
  const QPoint outside = origin + pixelOf(-0.5f, -0.5f);
  // The mesh view: the grey face over the cross and the background.
  const QImage mesh(dir + "mesh.png", "PNG");
  ASSERT_EQ(mesh.size(), QSize(800, 640));
  EXPECT_TRUE(IsGrey(mesh, inside.x(), inside.y(), 102));
  EXPECT_TRUE(IsGrey(mesh, outside.x(), outside.y(), kBackground));
  // The cross below the triangle's corner at the centre.
  EXPECT_TRUE(IsGrey(mesh, origin.x() + 255, origin.y() + 400, kCross) ||
              IsGrey(mesh, origin.x() + 256, origin.y() + 400, kCross));

  // The normals view as a bitmap: the same face grey (102 has 12 in five bits), no cross.
  EXPECT_EQ(BmpPixel(dir + "normals.bmp", pixelOf(0.25f, 0.25f)), Grey555(12));
  EXPECT_EQ(BmpPixel(dir + "normals.bmp", {256, 400}), Grey555(6));

  // The material view draws the lit face (brighter than the unlit grey of the other views); the
  // bones view, turned to the left, sees the triangle edge on: nothing but background where the
  // face was.
  const QImage material(dir + "material.png", "PNG");
  EXPECT_GT(material.pixelColor(inside).red(), 120);
  const QImage bones(dir + "bones.png", "PNG");
  EXPECT_TRUE(IsGrey(bones, inside.x(), inside.y(), kBackground));

  // A script that cannot be understood runs nothing and saves nothing.
  WriteBytes(dir + "bad.txt", "frobnicate\n");
  EXPECT_EQ(RunEditor({"--screenshot", dir + "bad.png", "--batch", dir + "bad.txt"}, &errors), 2);
  EXPECT_TRUE(errors.contains("unknown command frobnicate")) << errors.toStdString();
  EXPECT_FALSE(QFile::exists(dir + "bad.png"));
}

}  // namespace
}  // namespace zmf

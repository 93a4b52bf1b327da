// Pictures of the whole main window, GL viewport included, for --screenshot and tests.
#include "app/screenshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "app/main_window.h"
#include "app/viewport_widget.h"

namespace zmf::app {

bool WaitUntilDrawn(MainWindow& window, int timeoutMs) {
  ViewportWidget* viewport = window.Viewport();
  auto drawn = [&] {
    return window.windowHandle() != nullptr && window.windowHandle()->isExposed() &&
           viewport->FramesDrawn() > 0 && window.StartupModelShown();
  };
  QElapsedTimer elapsed;
  elapsed.start();
  while (!drawn()) {
    const qint64 left = timeoutMs - elapsed.elapsed();
    if (left <= 0) return false;
    // Wake on the next frame, or at least every 50 ms to look at the exposure again.
    QEventLoop loop;
    QTimer::singleShot(std::min<qint64>(left, 50), &loop, &QEventLoop::quit);
    QObject::connect(viewport, &ViewportWidget::FrameDrawn, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

QImage ScreenshotPixels(const QImage& frame) {
  QImage pixels = frame.convertToFormat(QImage::Format_RGBA8888);
  pixels.setDevicePixelRatio(1.0);
  const QSize square(kViewportSize, kViewportSize);
  if (pixels.size() != square) {
    // A frame of another shape keeps its proportions, centred between black bars.
    const QImage scaled =
        pixels.isNull() ? QImage()
                        : pixels.scaled(square, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pixels = QImage(square, QImage::Format_RGBA8888);
    pixels.fill(Qt::black);
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage((kViewportSize - scaled.width()) / 2, (kViewportSize - scaled.height()) / 2,
                      scaled);
  }
  return pixels.mirrored(false, true);
}

QImage GrabWindow(MainWindow& window) {
  // Labels and panels changed just now are laid out before the picture is taken.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  // A widget grab does not reliably carry GL content, so the viewport's framebuffer is drawn
  // over its place in the grab.
  QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ViewportWidget* viewport = window.Viewport();
  const QImage frame = viewport->grabFramebuffer();
  QPainter painter(&image);
  painter.drawImage(viewport->mapTo(&window, QPoint(0, 0)), frame);
  painter.end();
  return image;
}

bool ShowAndSaveScreenshot(MainWindow& window, const QString& path, QString* error) {
  window.show();
  if (!WaitUntilDrawn(window, kFirstFrameTimeoutMs)) {
    *error = QStringLiteral("the viewport drew no frame");
    return false;
  }
  const QImage image = GrabWindow(window);
  if (!image.save(path, "PNG")) {
    *error = QStringLiteral("could not write %1").arg(path);
    return false;
  }
  return true;
}

}  // namespace zmf::app

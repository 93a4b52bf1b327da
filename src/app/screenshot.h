// Pictures of the whole main window, GL viewport included, for --screenshot and tests.
#pragma once

#include <QImage>
#include <QString>

namespace zmf::app {

class MainWindow;

// How long a screenshot run waits for the viewport's first frame.
inline constexpr int kFirstFrameTimeoutMs = 20000;

// Waits (running the event loop) until the window is on screen and its viewport has drawn at
// least one frame, with the start-up model when there is one; false after timeoutMs.
bool WaitUntilDrawn(MainWindow& window, int timeoutMs);

// The viewport's frame as the BMP screenshot holds it: the whole frame, whatever the device
// pixel ratio and size it was drawn at, scaled to fit 512 x 512 pixels (a frame that is not
// square keeps its proportions between black bars), RGBA, rows bottom-up as GL reads them.
QImage ScreenshotPixels(const QImage& frame);

// The window's client area as an image, with the viewport's current frame in place.
QImage GrabWindow(MainWindow& window);

// Shows the window, waits for its first frame and saves GrabWindow's image as PNG. On failure
// returns false with the reason in *error.
bool ShowAndSaveScreenshot(MainWindow& window, const QString& path, QString* error);

}  // namespace zmf::app

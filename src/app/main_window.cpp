// The editor's fixed-size main window.
#include "app/main_window.h"

#include "app/viewport_widget.h"

namespace zmf {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent,
                  // A caption, system menu, minimise and close box; no maximise box, no sizing.
                  Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                      Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      host_(this) {
  setWindowTitle(QStringLiteral("ZmfEdit"));
  setFixedSize(kWidth, kHeight);

  auto* clientArea = new QWidget(this);
  setCentralWidget(clientArea);

  viewport_ = new ViewportWidget(clientArea);
  viewport_->move(kViewportLeft, kViewportTop);

  model_.Commit();
}

}  // namespace zmf

// The square GL viewport: draws the model for the current view mode, about 33 times a second.
#include "app/viewport_widget.h"

#include <GL/gl.h>

#include <QSurfaceFormat>

#include "render/frame.h"

namespace zmf::app {
namespace {

// Legacy GL 1.1 drawing needs a compatibility context; a core profile would draw nothing.
QSurfaceFormat ViewportFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setRedBufferSize(8);
  format.setGreenBufferSize(8);
  format.setBlueBufferSize(8);
  format.setDepthBufferSize(16);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  return format;
}

}  // namespace

ViewportWidget::ViewportWidget(QWidget* parent) : QOpenGLWidget(parent) {
  setFormat(ViewportFormat());
  setFixedSize(kSize, kSize);
  framePacer_.setTimerType(Qt::PreciseTimer);
  framePacer_.setInterval(kFrameIntervalMs);
  connect(&framePacer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void ViewportWidget::ShowModel(Model& model, const view::EditorState& editor, const Clock& clock) {
  model_ = &model;
  editor_ = &editor;
  clock_ = &clock;
}

void ViewportWidget::initializeGL() {
  // A new context (the widget was re-parented, say): nothing built for the old one is reused.
  renderer_.Invalidate();
  glReady_ = render::IsGl11OrLater(reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  if (glReady_) render::SetInitialGlState();
  emit ContextReady();
}

void ViewportWidget::paintGL() {
  if (!glReady_) return;
  if (model_ != nullptr && editor_ != nullptr && clock_ != nullptr) {
    renderer_.DrawFrame(*model_, *editor_, *clock_);
  } else {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  ++framesDrawn_;
  emit FrameDrawn();
}

void ViewportWidget::showEvent(QShowEvent* event) {
  QOpenGLWidget::showEvent(event);
  framePacer_.start();
}

void ViewportWidget::hideEvent(QHideEvent* event) {
  framePacer_.stop();
  QOpenGLWidget::hideEvent(event);
}

}  // namespace zmf::app

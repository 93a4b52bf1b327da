// The GL viewport: draws the model for the current view.
#include "app/viewport_widget.h"

#include <GL/gl.h>

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QResizeEvent>
#include <QSurfaceFormat>
#include <QWheelEvent>
#include <cstring>

#include "render/frame.h"
#include "view/camera.h"

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

std::uint64_t Bits(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

ViewportWidget::ViewportWidget(QWidget* parent, const Clock& frameClock)
    : QOpenGLWidget(parent), pacer_(frameClock) {
  setFormat(ViewportFormat());
  setMinimumSize(kMinimumSize, kMinimumSize);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  ticker_.setTimerType(Qt::PreciseTimer);
  ticker_.setInterval(kTickMs);
  connect(&ticker_, &QTimer::timeout, this, &ViewportWidget::Tick);
  // Moves without a button held update the position readout.
  setMouseTracking(true);
}

QPointF ViewportWidget::Normalised(QPointF pixel) const {
  view::Camera size;
  size.viewportWidth = width();
  size.viewportHeight = height();
  return {view::NormalisedPixel(size, static_cast<float>(pixel.x()), false),
          view::NormalisedPixel(size, static_cast<float>(pixel.y()), true)};
}

void ViewportWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) {
    const QPointF n = Normalised(event->position());
    emit MiddleButton(true, static_cast<float>(n.x()), static_cast<float>(n.y()));
    return;
  }
  const bool right = event->button() == Qt::RightButton;
  if (!right && event->button() != Qt::LeftButton) return;
  const Qt::KeyboardModifiers keys = event->modifiers();
  const QPointF n = Normalised(event->position());
  emit MousePressed(right, static_cast<float>(n.x()), static_cast<float>(n.y()),
                    keys.testFlag(Qt::ShiftModifier), keys.testFlag(Qt::ControlModifier));
}

void ViewportWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPointF n = Normalised(event->position());
  emit MouseMoved(static_cast<float>(n.x()), static_cast<float>(n.y()),
                  event->buttons().testFlag(Qt::LeftButton),
                  event->buttons().testFlag(Qt::RightButton));
}

void ViewportWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) {
    const QPointF n = Normalised(event->position());
    emit MiddleButton(false, static_cast<float>(n.x()), static_cast<float>(n.y()));
    return;
  }
  const bool right = event->button() == Qt::RightButton;
  if (!right && event->button() != Qt::LeftButton) return;
  const QPointF n = Normalised(event->position());
  emit MouseReleased(right, static_cast<float>(n.x()), static_cast<float>(n.y()));
}

void ViewportWidget::resizeEvent(QResizeEvent* event) {
  QOpenGLWidget::resizeEvent(event);
  frameRequested_ = true;
  emit Resized(width(), height());
}

void ViewportWidget::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta != 0) emit WheelTurned(static_cast<float>(delta) / 120.0f);
  event->accept();
}

void ViewportWidget::SetScene(Model& model, const view::EditorState& editor,
                              const Clock& playbackClock) {
  model_ = &model;
  editor_ = &editor;
  playbackClock_ = &playbackClock;
  frameRequested_ = true;
}

ViewportWidget::Stamp ViewportWidget::SceneStamp() const {
  if (model_ == nullptr || editor_ == nullptr) return {};
  const Model& m = *model_;
  const view::Camera& c = editor_->camera;
  const view::DragRect& r = editor_->dragRect;
  // Commands and gestures ask for their frame themselves; this catches anything that changed
  // the scene without asking, at the cost of a few loads per tick.
  return {m.instanceId(),
          m.vertexDataVersion(),
          m.vertices.version() ^ (m.vertices.selectionVersion() << 32),
          m.faces.version() ^ (m.faces.selectionVersion() << 32) ^ (m.faces.shapeVersion() << 16),
          m.duplicates.version(),
          std::uint64_t{m.materialCount} | std::uint64_t{m.currentMaterial} << 32,
          static_cast<std::uint64_t>(static_cast<std::uint32_t>(m.currentBone)) |
              std::uint64_t{static_cast<std::uint32_t>(m.currentKeyBone)} << 32,
          std::uint64_t{m.backgroundTexture} | Bits(m.radiusSquared) << 32,
          static_cast<std::uint64_t>(editor_->view),
          Bits(c.yaw) | Bits(c.pitch) << 32,
          Bits(c.roll) | Bits(c.zoomScale) << 32,
          Bits(c.panX) | Bits(c.panY) << 32,
          Bits(c.fitRadius) | static_cast<std::uint64_t>(static_cast<std::uint32_t>(r.kind)) << 32,
          Bits(r.x0) | Bits(r.y0) << 32,
          Bits(r.x1) | Bits(r.y1) << 32,
          0};
}

bool ViewportWidget::Playing() const {
  return model_ != nullptr && editor_ != nullptr && editor_->view == view::ViewMode::Skeleton &&
         model_->animationRunning;
}

void ViewportWidget::Tick() {
  // Nothing is drawn for a minimised window; the ticker itself stops while the widget is hidden.
  if (!glReady_ || window()->isMinimized()) return;
  const bool wanted = frameRequested_ || Playing() || SceneStamp() != drawnStamp_;
  if (wanted && pacer_.FrameDue()) update();
}

void ViewportWidget::initializeGL() {
  glReady_ = render::IsGl11OrLater(reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  if (glReady_) render::SetInitialGlState();
  // The arrays of an earlier context (the widget moved to another window) are gone with it.
  renderer_.Invalidate();
  if (glReady_) {
    renderer_.UseBufferObjects([](const char* name) {
      return reinterpret_cast<void*>(QOpenGLContext::currentContext()->getProcAddress(name));
    });
  }
  emit ContextReady();
}

void ViewportWidget::paintGL() {
  if (!glReady_) return;
  frameRequested_ = false;
  drawnStamp_ = SceneStamp();
  // Full resolution at any device pixel ratio; lines and points keep their size on screen.
  const qreal ratio = devicePixelRatioF();
  render::SetViewportPixels(static_cast<int>(width() * ratio + 0.5),
                            static_cast<int>(height() * ratio + 0.5));
  renderer_.SetPixelRatio(static_cast<float>(ratio));
  if (model_ != nullptr && editor_ != nullptr && playbackClock_ != nullptr) {
    renderer_.DrawFrame(*model_, *editor_, *playbackClock_);
  } else {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  ++framesDrawn_;
  emit FrameDrawn();
}

void ViewportWidget::showEvent(QShowEvent* event) {
  QOpenGLWidget::showEvent(event);
  frameRequested_ = true;
  ticker_.start();
}

void ViewportWidget::hideEvent(QHideEvent* event) {
  ticker_.stop();
  QOpenGLWidget::hideEvent(event);
}

}  // namespace zmf::app

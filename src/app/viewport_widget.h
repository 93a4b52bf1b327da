// The GL viewport, of any size: draws the model for the current view, at most once every 0.03 s and
// only when something it shows has changed (or playback runs).
#pragma once

#include <QOpenGLWidget>
#include <QTimer>
#include <array>
#include <cstdint>

#include "model/host.h"
#include "model/model.h"
#include "render/renderer.h"
#include "view/editor_state.h"
#include "view/frame_pacer.h"

namespace zmf::app {

class ViewportWidget : public QOpenGLWidget {
  Q_OBJECT
 public:
  // The default size, and the smallest the window lets it shrink to.
  static constexpr int kSize = kViewportSize;
  static constexpr int kMinimumSize = 64;
  // How often the widget looks whether a frame is wanted and due: often enough that frames
  // 0.03 s apart are drawn on the second tick (about 31 a second), cheap enough for an idle
  // editor.
  static constexpr int kTickMs = 16;

  // `frameClock` times the frames (the program's clock).
  ViewportWidget(QWidget* parent, const Clock& frameClock);

  // What the viewport draws: the model as the editor state shows it, posed at the playback
  // clock's time. All three must outlive the widget's drawing.
  void SetScene(Model& model, const view::EditorState& editor, const Clock& playbackClock);
  void SetPlaybackClock(const Clock& playbackClock) { playbackClock_ = &playbackClock; }

  // Something the viewport shows has changed: a frame is drawn at the next due tick.
  void RequestFrame() { frameRequested_ = true; }

  // A widget position in the normalised viewport coordinates the editor works in: 0 at the
  // centre, -1 to 1 across the shorter side from the left or top edge.
  QPointF Normalised(QPointF pixel) const;

  // False when the context is older than GL 1.1; the viewport then never draws.
  bool GlReady() const { return glReady_; }

  // Frames drawn since the widget was created.
  long long FramesDrawn() const { return framesDrawn_; }

 signals:
  void FrameDrawn();
  // The mouse over the viewport, in normalised coordinates: a left or right button going down
  // (with Shift and Ctrl as held), a move (with the buttons held, to tell a release that never
  // came) and a button coming up. Releases outside the widget come here too: the widget holds
  // the mouse from press to release.
  void MousePressed(bool right, float nx, float ny, bool shift, bool ctrl);
  void MouseMoved(float nx, float ny, bool leftHeld, bool rightHeld);
  void MouseReleased(bool right, float nx, float ny);
  // The middle button going down or coming up (its drags pan), and the wheel turned by a number
  // of notches (120ths of its angle, positive away from the user).
  void MiddleButton(bool down, float nx, float ny);
  void WheelTurned(float notches);
  // The GL context exists and has its initial state: textures can be made from now on.
  void ContextReady();
  // The widget's size changed: the editor's camera must follow (the next frame uses it).
  void Resized(int width, int height);

 protected:
  void initializeGL() override;
  void paintGL() override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The counters and values that tell whether the last frame still shows the scene.
  using Stamp = std::array<std::uint64_t, 16>;
  Stamp SceneStamp() const;
  // True while the picture changes by itself: playback in the skeleton view.
  bool Playing() const;
  void Tick();

  view::FramePacer pacer_;
  QTimer ticker_;
  render::Renderer renderer_;
  Model* model_ = nullptr;
  const view::EditorState* editor_ = nullptr;
  const Clock* playbackClock_ = nullptr;
  Stamp drawnStamp_{};
  bool frameRequested_ = true;
  bool glReady_ = false;
  long long framesDrawn_ = 0;
};

}  // namespace zmf::app

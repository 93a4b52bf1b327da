// The square GL viewport: draws the model for the current view mode, about 33 times a second.
#pragma once

#include <QOpenGLWidget>
#include <QTimer>

#include "model/host.h"
#include "model/model.h"
#include "render/renderer.h"
#include "view/editor_state.h"

namespace zmf::app {

class ViewportWidget : public QOpenGLWidget {
  Q_OBJECT
 public:
  static constexpr int kSize = 512;  // pixels each way; view coordinates use this for both axes
  static constexpr int kFrameIntervalMs = 30;

  explicit ViewportWidget(QWidget* parent);

  // What the viewport draws: the window's model as its editor state shows it, posed at the
  // clock's time. Until it is set, frames are only cleared.
  void ShowModel(Model& model, const view::EditorState& editor, const Clock& clock);

  // False when the context is older than GL 1.1; the viewport then never draws.
  bool GlReady() const { return glReady_; }

  // Frames drawn since the widget was created.
  long long FramesDrawn() const { return framesDrawn_; }

 signals:
  void FrameDrawn();
  // The GL context exists and has its initial state: textures can be made from now on.
  void ContextReady();

 protected:
  void initializeGL() override;
  void paintGL() override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Asks for the next frame every kFrameIntervalMs while the viewport is visible: the viewport
  // redraws continuously (playback, drag previews) without spinning a core.
  QTimer framePacer_;
  render::Renderer renderer_;
  Model* model_ = nullptr;
  const view::EditorState* editor_ = nullptr;
  const Clock* clock_ = nullptr;
  bool glReady_ = false;
  long long framesDrawn_ = 0;
};

}  // namespace zmf::app

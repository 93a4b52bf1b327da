// Draws the model into the viewport for one of the four views, through GL 1.1 client arrays that
// are rebuilt only when the model, its selections or its pose changed.
#pragma once

#include <cstdint>
#include <memory>

#include "model/host.h"
#include "model/model.h"
#include "render/draw_arrays.h"
#include "view/editor_state.h"

namespace zmf::render {

class Renderer {
 public:
  Renderer();
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // One frame of the viewport: clear colour and depth, identity model-view, light 1 placed at
  // the editor's light position, the grey centre cross in the mesh view; then, when the model
  // has a vertex (or a background image in the mesh view), the editor's projection loaded, the
  // model's view matrix rebuilt from the camera, RenderModel and DrawDragRect. Needs a current
  // context with the initial state set.
  void DrawFrame(Model& model, const view::EditorState& editor, const Clock& clock);

  // The model as the view shows it (a view outside 0 to 3 draws nothing). Expects the
  // model-view matrix selected, the projection loaded, depth test and texturing off and
  // model.viewMatrix current. The skeleton view poses the mesh at the clock's time first.
  void RenderModel(Model& model, view::ViewMode view, const Clock& clock);

  // The selection rectangle of a drag of kind 1 to 3, in view units of the camera's half-extent;
  // other kinds draw nothing.
  void DrawDragRect(const view::DragRect& rect, const view::Camera& camera);

  // The bone, its later siblings and all their descendants: joints, axes and parent lines.
  void DrawBoneTree(const Model& model, std::int32_t bone);

  // Device pixels per viewport pixel (the screen's device pixel ratio; 1 unless set): lines and
  // points are drawn that many times wider, keeping their size on screen. Not a number or below
  // 1/8 counts as 1.
  void SetPixelRatio(float ratio) { pixelRatio_ = ratio >= 0.125f ? ratio : 1.0f; }

  // Drops the arrays, so that the next frame builds them afresh (after the GL context changed).
  void Invalidate();

  // How often the arrays were built since the renderer was made: what tests check to see that
  // an unchanged model is drawn from the arrays it already has.
  const DrawArrays::BuildCounts& ArrayBuilds() const;

 private:
  std::unique_ptr<DrawArrays> arrays_;
  float pixelRatio_ = 1.0f;
};

}  // namespace zmf::render

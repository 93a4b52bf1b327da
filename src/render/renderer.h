// Draws the model into the viewport for one of the four views, through GL 1.1 client arrays that
// are rebuilt only when the model, its selections or its pose changed; the mesh and normals
// views keep their positions, triangles and edges in buffer objects when the context has them.
#pragma once

#include <cstdint>
#include <memory>

#include "model/host.h"
#include "model/model.h"
#include "render/draw_arrays.h"
#include "view/editor_state.h"

namespace zmf::render {

class GlBuffers;

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

  // Draws the positions, triangles and edges of the mesh and normals views from buffer objects
  // when the current context offers them (GL 1.5, or GL_ARB_vertex_buffer_object), looking their
  // entry points up through `loader` (the context's proc-address function); the buffers are
  // filled again only when those arrays change. A null loader, or a context without them, draws
  // from client arrays. Deletes the buffers made before, so it needs their context current;
  // call it again after Invalidate.
  void UseBufferObjects(void* (*loader)(const char* name));

  // Drops the arrays, so that the next frame builds them afresh (after the GL context changed),
  // and forgets the buffer objects without deleting them: until UseBufferObjects is called again
  // frames draw from client arrays.
  void Invalidate();

  // How often the arrays were built since the renderer was made: what tests check to see that
  // an unchanged model is drawn from the arrays it already has.
  const DrawArrays::BuildCounts& ArrayBuilds() const;

 private:
  std::unique_ptr<DrawArrays> arrays_;
  std::unique_ptr<GlBuffers> buffers_;
  float pixelRatio_ = 1.0f;
};

}  // namespace zmf::render

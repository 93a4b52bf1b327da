// The model's texture store in the editor: GL textures in the viewport's own context.
#pragma once

#include <QOpenGLWidget>
#include <QPointer>
#include <cstdint>

#include "model/host.h"
#include "render/gl_texture_store.h"

namespace zmf::app {

// Makes the viewport's context current before every texture call, so textures land in that
// context whoever calls (a load after a message box's nested event loop included). Without a
// context yet, nothing can be made: Create returns 0 and Delete does nothing.
class ViewportTextureStore final : public TextureStore {
 public:
  void SetViewport(QOpenGLWidget* viewport) { viewport_ = viewport; }

  std::uint32_t Create(int width, int height, const std::uint8_t* rgba) override;
  void Delete(std::uint32_t name) override;

 private:
  bool MakeCurrent();

  QPointer<QOpenGLWidget> viewport_;
  render::GlTextureStore textures_;
};

}  // namespace zmf::app

// GL textures made in the viewport's context.
#include "app/viewport_texture_store.h"

#include <QOpenGLContext>
#include <QOpenGLWidget>

namespace zmf::app {

bool ViewportTextureStore::MakeCurrent() {
  if (viewport_ == nullptr || viewport_->context() == nullptr || !viewport_->context()->isValid()) {
    return false;
  }
  viewport_->makeCurrent();
  return true;
}

std::uint32_t ViewportTextureStore::Create(int width, int height, const std::uint8_t* rgba) {
  if (!MakeCurrent()) return 0;
  return textures_.Create(width, height, rgba);
}

void ViewportTextureStore::Delete(std::uint32_t name) {
  if (name == 0 || !MakeCurrent()) return;
  textures_.Delete(name);
}

}  // namespace zmf::app

// Texture objects in the viewport's GL context, the store the editor gives its model.
#include "render/gl_texture_store.h"

#include <GL/gl.h>

namespace zmf::render {

std::uint32_t GlTextureStore::Create(int width, int height, const std::uint8_t* rgba) {
  if (width <= 0 || height <= 0 || rgba == nullptr) return 0;

  // Forget errors left by earlier calls so that only this upload's failure counts (bounded:
  // a lost context reports its error forever).
  for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
  }

  GLuint name = 0;
  glGenTextures(1, &name);
  if (name == 0) return 0;

  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return 0;
  }
  return name;
}

void GlTextureStore::Delete(std::uint32_t name) {
  if (name == 0) return;
  const GLuint texture = name;
  glDeleteTextures(1, &texture);
}

}  // namespace zmf::render

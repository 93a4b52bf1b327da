// Texture objects in the viewport's GL context, the store the editor gives its model.
#pragma once

#include <cstdint>

#include "model/host.h"

namespace zmf::render {

// Makes GL_TEXTURE_2D objects from RGBA texels: linear filtering, no mipmaps, the same as every
// texture the editor has ever drawn. Create and Delete need the viewport's context current.
class GlTextureStore final : public TextureStore {
 public:
  std::uint32_t Create(int width, int height, const std::uint8_t* rgba) override;
  void Delete(std::uint32_t name) override;
};

}  // namespace zmf::render

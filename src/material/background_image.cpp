// The background image: one texture whose name the model keeps.
#include "material/background_image.h"

#include "material/texels.h"
#include "material/texture_loader.h"

namespace zmf::material {

void LoadBackgroundImage(Model& model, std::string_view path) {
  // Deleted first: storing the new name over the old one would leave the old texture alive.
  ClearBackgroundImage(model);
  model.backgroundTexture = LoadTexture(model.host(), model.textures(), path, kAlphaNone, 0.0f);
}

void ClearBackgroundImage(Model& model) {
  if (model.backgroundTexture != 0) model.textures().Delete(model.backgroundTexture);
  model.backgroundTexture = 0;
}

}  // namespace zmf::material

// The image drawn behind the Vertices and Faces view.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::material {

// Loads the image with alpha mode 0 and makes it the model's background, deleting the previous
// background texture first. A file that cannot be loaded leaves no background (0).
void LoadBackgroundImage(Model& model, std::string_view path);

// Deletes the background texture, if any.
void ClearBackgroundImage(Model& model);

}  // namespace zmf::material

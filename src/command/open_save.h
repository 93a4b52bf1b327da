// The Open and Save dispatch: which reader, importer or writer a file's extension chooses. It
// sits above the file formats and the importers, since it knows them all.
#pragma once

#include <string>
#include <string_view>

#include "model/model.h"

namespace zmf::command {

// The extension of a path: the text after the last '.' of its file name (the part after the
// last '/' or '\'), without the dot; empty when the file name holds no dot.
std::string_view ExtensionOf(std::string_view path);

enum class Opened {
  Model,            // the model was replaced (possibly by an empty one, after an error box)
  BackgroundImage,  // a ".bmp" became the background image; the model is untouched
  Nothing,          // a format that cannot be read: reported, the model is untouched
};

// Opens a file by its extension, compared without regard to case: ".bmp" loads the background
// image; ".3ds", ".md5mesh", ".x", ".zqd", ".txt" and ".tga" empty the model and go to their
// importers; anything else is read as a ZMF model. After a model load the bounding box is
// computed (the model side of fitting the view) and the model is committed.
Opened OpenModel(Model& model, std::string_view path);

enum class Saved {
  Written,        // the file was written (or handed to the screenshot writer)
  NothingToSave,  // the model has no vertices: no file is made, and nothing is said
  Failed,         // reported through an error box
};

// Saves by extension, compared without regard to case: ".bmp" is a screenshot of the viewport
// (reported as "Could not write to file:" when there is no viewport to take it from), ".glc" a
// Glintcast scene, anything else a ZMF model.
Saved SaveModel(Model& model, std::string_view path, ScreenshotWriter* screenshot = nullptr);

}  // namespace zmf::command

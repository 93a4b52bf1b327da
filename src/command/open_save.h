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
  Model,            // the file's model replaced the current one, named and clean
  BackgroundImage,  // a ".bmp" became the background image; the model is untouched
  Failed,           // reported through an error box; the model is exactly as it was
};

// The name a model imported from `path` is saved under: the same folder and name, ".zmf".
std::string ImportedDocumentPath(std::string_view path);

// Opens a file by its extension, compared without regard to case: ".bmp" loads the background
// image; ".3ds", ".md5mesh", ".x", ".zqd", ".txt", ".tga" and ".obj" go to their importers;
// anything else is read as a ZMF model. The file is read into a fresh model, which replaces the
// current one (with the bounding box computed and the model committed) only when the read
// succeeded: a file that cannot be read, is refused, or imports no vertex changes nothing. The
// opened model's document is the ZMF path, or for an import ImportedDocumentPath, and it is clean.
Opened OpenModel(Model& model, std::string_view path);

enum class Saved {
  Written,        // the file was written (or handed to the screenshot writer)
  NothingToSave,  // the model has no vertices: no file is made, and nothing is said
  Failed,         // reported through an error box
};

// Writes the model to a file by its extension, compared without regard to case: ".bmp" is a
// screenshot of the viewport (reported as "Could not write to file:" when there is no viewport to
// take it from), ".glc" a Glintcast scene, ".obj" an OBJ file with its MTL library, ".gltf" and
// ".glb" glTF 2.0, anything else a ZMF model. The document's name and saved state never change.
Saved ExportModel(Model& model, std::string_view path, ScreenshotWriter* screenshot = nullptr);

// Saves as ExportModel does; a ZMF model written in full also names the document after the file
// and marks it saved. A failure leaves both as they were.
Saved SaveModel(Model& model, std::string_view path, ScreenshotWriter* screenshot = nullptr);

}  // namespace zmf::command

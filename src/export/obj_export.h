// Exporting the mesh as a Wavefront OBJ file with its MTL material library (".obj").
#pragma once

#include <string>
#include <string_view>

#include "format/text_sink.h"
#include "model/model.h"

namespace zmf::exporters {

// Writes PATH (the OBJ) and, beside it, the material library of the same base name with ".mtl".
// The OBJ names the library, then lists one "v", "vt" and "vn" line per vertex in list order
// (so a face's corner is one index for all three), then one "usemtl" group per material that has
// faces, its faces in the material's chain order. Texture v is written as 1 - v: the editor's v
// runs down the picture from its top row, OBJ's up from its bottom row. Numbers are "%.9g", which
// reads back to the same float. Both files are replaced only once all of them was written; a
// failure reports "Could not write to file:" with the path. A model without vertices writes
// nothing. True when both were written.
bool ExportObj(Model& model, std::string_view path);

// The two texts for an OBJ at `path` (the library's name and the textures' paths depend on it).
struct ObjTexts {
  std::string obj;
  std::string mtl;
};
ObjTexts ObjText(Model& model, std::string_view path);

// The library beside the OBJ: the path with its extension replaced by "mtl" (appended when it
// has none).
std::string MaterialLibraryPath(std::string_view objPath);

}  // namespace zmf::exporters

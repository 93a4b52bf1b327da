// Wavefront OBJ files with their MTL material libraries: triangles and polygons, materials and
// diffuse textures.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// Imports the file into the model, which the caller has emptied (material count 0, as Open sets
// it). Polygons are fanned into triangles from their first corner; each distinct (position,
// normal, coordinates) corner of the file becomes one vertex, ordered by position index, and a
// position no face uses becomes a vertex of its own. Vertices without a normal get the one
// the normals command computes; texture v is read as 1 - v (see ExportObj). The libraries that
// "mtllib" names and the textures that "map_Kd" names are read from the file's folder, never
// through ".." or an absolute path (refused with a message; the material keeps no texture).
// Materials fill the table in library order, and faces without one get a "default" material
// after them; faces of materials beyond the 32 slots join the last slot, with a warning. Faces
// that name a vertex the file lacks are left out, with a warning. False, after a message, when
// the file cannot be read or parsed.
bool ImportObj(Model& model, std::string_view path);

// The same for an OBJ text whose libraries all read as `materialText`; textures are looked for
// in `folder`.
bool ImportObjText(Model& model, std::string_view objText, std::string_view materialText,
                   std::string_view folder);

}  // namespace zmf::importers

// Text files of numbers: vertices, normals and triangles by the number of values per line.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// Imports the file into the model, which the caller has emptied. Failures are reported through
// the model's host; false when the file could not be read at all ("Could not open file:").
bool ImportText(Model& model, std::string_view path);

// The same on text already in memory. Each line holds up to eight numbers separated by commas
// or by blanks. A line of three or four whole numbers (no '.' anywhere on it) is a triangle on
// the vertices of that number, counted from 0 at this text's first vertex line, taken only when
// all three were read before it; any other line of three or more numbers is a vertex: position,
// then (six or more numbers) a normal made unit length when longer than sqrt(1.25), then (eight)
// texture coordinates clamped to 0 ... 1. Other lines are skipped. Faces take the current
// material and are neither journaled nor selected; the bounding box and radiusSquared become
// those of the vertices read.
void ImportTextFrom(Model& model, std::string_view text);

}  // namespace zmf::importers

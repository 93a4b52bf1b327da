// Reading ZMF model files: the whole model, or only the skeleton and animations of one.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::format {

// Replaces the whole model with the file's content: vertices, faces, materials (their textures
// loaded from beside the model file), bones with weights, animations. Problems are reported
// through the model's host as error boxes of severity 0; malformed input is read safely (see
// "Files and commands" in docs/ARCHITECTURE.md for what each kind of damage does). False when
// the file could not be read or was refused (not ZMF, an unknown version or vertex layout); the
// model then holds only part of it, and Open throws it away.
bool ReadModelFile(Model& model, std::string_view path);

// Replaces only the bones (keeping each slot's vertex weights) and the animations with those of
// the file; the mesh and the materials stay.
void ImportAnimations(Model& model, std::string_view path);

// The same two on a text already in memory; `path` is where the text came from, named in
// messages and used to find texture files.
bool ReadModelText(Model& model, std::string_view text, std::string_view path);
void ImportAnimationsText(Model& model, std::string_view text, std::string_view path);

}  // namespace zmf::format

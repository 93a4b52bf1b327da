// What the importer fuzz targets share: the one model every input is imported into, and the
// checks that a table import (OBJ, glTF) must pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

namespace zmf::fuzz {

inline void Check(bool promise) {
  if (!promise) __builtin_trap();
}

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The model, emptied as Open empties it before an import: `materials` entries in its table and
// no message recorded.
inline Model& EmptiedModel(std::uint32_t materials) {
  static ScriptedHost host;
  static RecordingTextureStore textures;
  static Model model(host, textures);
  model.Reset();
  model.materialCount = materials;
  host.ClearEvents();
  return model;
}

// The model is sound, every face names a material of the table, nothing is selected and
// nothing is left to undo.
inline void CheckTableImport(const Model& model, const char* what) {
  AbortIfInvalid(model, what, kImportedModelRules);
  Check(model.materialCount >= 1 && model.materialCount <= kMaxMaterials);
  for (const Face* f : model.faces) Check(f->material < model.materialCount);
  Check(model.vertices.selCount() == 0 && model.faces.selCount() == 0);
  Check(model.journal.position() == 0);
}

}  // namespace zmf::fuzz

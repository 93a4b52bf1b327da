// Fuzzes the glTF importer: the input is the bytes of a .glb or .gltf file read as though from a
// folder that does not exist. Whatever the bytes, the model is sound, every face names a
// material of the table, nothing is selected and nothing is left to undo.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "importers/gltf_import.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

namespace {

void Check(bool promise) {
  if (!promise) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);

  model.Reset();
  model.materialCount = 0;  // as Open starts a glTF file
  host.ClearEvents();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (!zmf::importers::ImportGltfBytes(model, input, "/nonexistent/fuzz.gltf")) return 0;

  zmf::AbortIfInvalid(model, "a glTF import", zmf::kImportedModelRules);
  Check(model.materialCount >= 1 && model.materialCount <= zmf::kMaxMaterials);
  for (const zmf::Face* f : model.faces) Check(f->material < model.materialCount);
  Check(model.vertices.selCount() == 0 && model.faces.selCount() == 0);
  Check(model.journal.position() == 0);
  return 0;
}

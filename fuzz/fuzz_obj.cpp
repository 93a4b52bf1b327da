// Fuzzes the OBJ importer: the input is an OBJ text, then a NUL byte and the text every material
// library reads as. Whatever the texts, the model is sound, every face names a material of the
// table, nothing is selected and nothing is left to undo.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "importers/obj_import.h"
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
  model.materialCount = 0;  // as Open starts an OBJ file
  host.ClearEvents();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view obj = input.substr(0, nul);
  const std::string_view mtl = nul == std::string_view::npos ? "" : input.substr(nul + 1);
  if (!zmf::importers::ImportObjText(model, obj, mtl, "/nonexistent")) return 0;

  zmf::AbortIfInvalid(model, "an OBJ import", zmf::kImportedModelRules);
  Check(model.materialCount >= 1 && model.materialCount <= zmf::kMaxMaterials);
  for (const zmf::Face* f : model.faces) Check(f->material < model.materialCount);
  Check(model.vertices.selCount() == 0 && model.faces.selCount() == 0);
  Check(model.journal.position() == 0);
  return 0;
}

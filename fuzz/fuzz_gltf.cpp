// Fuzzes the glTF importer: the input is the bytes of a .glb or .gltf file read as though from a
// folder that does not exist. Whatever the bytes, the model is sound, every face names a
// material of the table, nothing is selected and nothing is left to undo.
#include "import_target.h"
#include "importers/gltf_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zmf::Model& model = zmf::fuzz::EmptiedModel(0);  // as Open starts a glTF file
  if (zmf::importers::ImportGltfBytes(model, zmf::fuzz::Text(data, size),
                                      "/nonexistent/fuzz.gltf")) {
    zmf::fuzz::CheckTableImport(model, "a glTF import");
  }
  return 0;
}

// Fuzzes the OBJ importer: the input is an OBJ text, then a NUL byte and the text every material
// library reads as. Whatever the texts, the model is sound, every face names a material of the
// table, nothing is selected and nothing is left to undo.
#include "import_target.h"
#include "importers/obj_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zmf::Model& model = zmf::fuzz::EmptiedModel(0);  // as Open starts an OBJ file
  const std::string_view input = zmf::fuzz::Text(data, size);
  const std::size_t nul = input.find('\0');
  const std::string_view obj = input.substr(0, nul);
  const std::string_view mtl = nul == std::string_view::npos ? "" : input.substr(nul + 1);
  if (zmf::importers::ImportObjText(model, obj, mtl, "/nonexistent")) {
    zmf::fuzz::CheckTableImport(model, "an OBJ import");
  }
  return 0;
}

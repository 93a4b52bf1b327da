// Fuzzes the text vertex importer and checks that the model it leaves is sound.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "importers/text_vertices.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);

  model.Reset();
  zmf::importers::ImportTextFrom(model, {reinterpret_cast<const char*>(data), size});
  zmf::AbortIfInvalid(model, "a text import", zmf::kImportedModelRules);
  return 0;
}

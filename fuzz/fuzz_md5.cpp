// Fuzzes the MD5 mesh importer, every mesh answered Yes, and checks what it leaves behind.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "importers/md5_mesh.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);
  host.SetUnscriptedAnswer(true);

  model.Reset();
  zmf::importers::ImportMd5MeshFrom(model, {reinterpret_cast<const char*>(data), size});
  zmf::AbortIfInvalid(model, "an MD5 mesh import", zmf::kImportedModelRules);
  host.ClearEvents();
  return 0;
}

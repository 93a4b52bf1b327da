// Fuzzes the ZQD importer and checks what it leaves behind.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "importers/zqd.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

namespace {

// Texture images are looked for in a folder that does not exist, so no input reads from disk.
constexpr std::string_view kPath = "/nonexistent-zqd-fuzz/model.zqd";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);

  model.Reset();
  zmf::importers::ImportZqdFrom(model, {reinterpret_cast<const char*>(data), size}, kPath);
  zmf::AbortIfInvalid(model, "a ZQD import", zmf::kImportedModelRules);
  host.ClearEvents();
  return 0;
}

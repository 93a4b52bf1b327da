// Fuzzes the ZMF reader, whole models and Import Animations: every model read is sound, and the
// writer's text of it is a fixed point: read back and written again, it does not change.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

namespace {

// Texture paths land in a folder that does not exist, so no input reads a file from disk.
constexpr std::string_view kPath = "/nonexistent-zmf-fuzz/model.zmf";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  zmf::format::ReadModelText(model, text, kPath);
  zmf::AbortIfInvalid(model, "a read", zmf::kReadModelRules);
  zmf::format::ImportAnimationsText(model, text, kPath);
  zmf::AbortIfInvalid(model, "Import Animations", zmf::kReadModelRules);

  const std::string first = zmf::format::WriteModelText(model);
  if (!first.empty()) {
    zmf::format::ReadModelText(model, first, kPath);
    zmf::AbortIfInvalid(model, "reading the written text", zmf::kReadModelRules);
    const std::string second = zmf::format::WriteModelText(model);
    zmf::format::ReadModelText(model, second, kPath);
    if (zmf::format::WriteModelText(model) != second) __builtin_trap();
  }
  host.ClearEvents();
  return 0;
}

// Fuzzes the ZMF reader, whole models and Import Animations, and checks that the writer's text
// of whatever was read is a fixed point: read back and written again, it does not change.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "model/model.h"
#include "model/scripted_host.h"

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
  zmf::format::ImportAnimationsText(model, text, kPath);

  const std::string first = zmf::format::WriteModelText(model);
  if (!first.empty()) {
    zmf::format::ReadModelText(model, first, kPath);
    const std::string second = zmf::format::WriteModelText(model);
    zmf::format::ReadModelText(model, second, kPath);
    if (zmf::format::WriteModelText(model) != second) __builtin_trap();
  }
  host.ClearEvents();
  return 0;
}

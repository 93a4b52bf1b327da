// Fuzzes the Targa reader, and builds the heightmap of every small image it accepts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "importers/tga_heightmap.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);

  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zmf::importers::TgaImage image;
  const bool read = zmf::importers::ReadTgaFrom(bytes, image);
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  if (image.pixels.size() != 4 * pixels || (!read && pixels != 0)) __builtin_trap();
  // Run-length files claim big images cheaply; grids beyond 64 x 64 only cost time here.
  if (!read || pixels > 4096) return 0;

  model.Reset();
  if (!zmf::importers::ImportHeightmapFrom(model, bytes)) __builtin_trap();
  zmf::AbortIfInvalid(model, "a heightmap import", zmf::kImportedModelRules);
  const std::size_t w = static_cast<std::size_t>(image.width);
  const std::size_t h = static_cast<std::size_t>(image.height);
  const std::size_t faces = w > 1 && h > 1 ? 2 * (w - 1) * (h - 1) : 0;
  if (model.vertices.count() != pixels || model.faces.count() != faces) __builtin_trap();
  return 0;
}

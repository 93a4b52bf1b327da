// Fuzzes the 3DS importer: whatever the bytes, the model keeps its promises afterwards (at least
// one material, every face on three vertices with a material of the table and in that
// material's chain), and the ZMF writer takes it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "format/zmf_writer.h"
#include "importers/import_3ds.h"
#include "model/model.h"
#include "model/scripted_host.h"

namespace {

// Answers the objects' questions from the bits of the input's last byte, so both answers occur.
class BitHost : public zmf::ScriptedHost {
 public:
  void Start(std::uint8_t bits) {
    bits_ = bits;
    asked_ = 0;
    ClearEvents();
  }
  bool AskYesNo(std::string_view, std::string_view) override {
    return ((bits_ >> (asked_++ % 8)) & 1) != 0;
  }

 private:
  std::uint8_t bits_ = 0;
  unsigned asked_ = 0;
};

void Check(bool promise) {
  if (!promise) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static BitHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);

  host.Start(size > 0 ? static_cast<std::uint8_t>(~data[size - 1]) : 0xFF);
  model.Reset();
  model.materialCount = 0;  // as Open starts a 3DS file
  zmf::importers::Import3dsFrom(model, std::string_view(reinterpret_cast<const char*>(data), size));

  Check(model.materialCount >= 1 && model.materialCount <= zmf::kMaxMaterials);
  Check(model.currentMaterial < model.materialCount);
  std::uint32_t chained = 0;
  for (std::uint32_t m = 0; m < zmf::kMaxMaterials; ++m) {
    for (const zmf::Face* f : model.faces.Chain(m)) {
      Check(f->material == m && m < model.materialCount && f->HasAllCorners());
      ++chained;
    }
  }
  Check(chained == model.faces.count());
  zmf::format::WriteModelText(model);
  return 0;
}

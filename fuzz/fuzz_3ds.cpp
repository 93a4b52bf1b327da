// Fuzzes the 3DS importer: whatever the bytes, the model is sound afterwards (as ValidateModel
// checks imports) with a material of the table current, and the ZMF writer takes it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "format/zmf_writer.h"
#include "importers/import_3ds.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

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

  zmf::AbortIfInvalid(model, "a 3DS import", zmf::kImportedModelRules);
  Check(model.currentMaterial < model.materialCount);
  zmf::format::WriteModelText(model);
  return 0;
}

// Fuzzes the X importer: whatever the text, the model is sound with every face on the default
// material, and since each vertex and face was added through the journal, undoing every step
// keeps it sound and empties it again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "edit/undo_redo.h"
#include "importers/x_file.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

namespace {

void Check(bool promise) {
  if (!promise) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);

  model.Reset();
  model.materialCount = 1;  // as Open starts an X file
  host.ClearEvents();
  zmf::importers::ImportXFileFrom(
      model, std::string_view(reinterpret_cast<const char*>(data), size), "/nonexistent/fuzz.x");

  zmf::AbortIfInvalid(model, "an X import", zmf::kImportedModelRules);
  for (const zmf::Face* f : model.faces) Check(f->material == 0);
  Check(model.vertices.selCount() == model.vertices.count());
  Check(model.faces.selCount() == model.faces.count());
  while (model.journal.position() > 0) {
    const std::uint64_t before = model.journal.position();
    zmf::edit::Undo(model);
    zmf::AbortIfInvalid(model, "undoing an X import step");
    Check(model.journal.position() < before);
  }
  Check(model.vertices.count() == 0 && model.faces.count() == 0);
  return 0;
}

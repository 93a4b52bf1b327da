// Fuzzes the X importer: whatever the text, the model is sound with every face on the default
// material, and since each vertex and face was added through the journal, undoing every step
// keeps it sound and empties it again.
#include "edit/undo_redo.h"
#include "import_target.h"
#include "importers/x_file.h"

using zmf::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zmf::Model& model = zmf::fuzz::EmptiedModel(1);  // as Open starts an X file
  zmf::importers::ImportXFileFrom(model, zmf::fuzz::Text(data, size), "/nonexistent/fuzz.x");

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

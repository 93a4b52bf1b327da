// Fuzzes Paste: any text on the clipboard, pasted into a model with a skeleton and animations,
// every question answered Yes. The model must keep its promises, the selection must copy back
// into a text that reads as many vertices as are selected, and one Undo must take the paste back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "anim/animation.h"
#include "command/clipboard_commands.h"
#include "edit/journal.h"
#include "edit/undo_redo.h"
#include "format/clipboard_text.h"
#include "model/clipboard.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "model/validate_model.h"

namespace {

// Three vertices with a face, two bones, and two animations whose keys pose both bones; the
// first animation, key, key bone and bone current.
void Prepare(zmf::Model& model) {
  using namespace zmf;
  model.Reset();
  Vertex* v[3];
  for (int i = 0; i < 3; ++i) {
    v[i] = model.AppendVertex();
    model.SetVertex(v[i], {static_cast<float>(i), 1, 0}, {0, 0, 1}, 0, 0);
  }
  model.MakeFace(v[0], v[1], v[2]);
  model.DeselectAll();
  edit::JournalAddBone(model, "hips", kNoBone, Matrix4::Identity(), 1.0f);
  edit::JournalAddBone(model, "arm", 0, Matrix4::Identity(), 1.0f);
  anim::AddAnimation(model, "walk", 3, 1.0f);
  anim::AddAnimation(model, "run", 2, 2.0f);
  for (std::int32_t a : {1, 0}) {
    model.currentAnimation = a;
    model.currentKey = 0;
    anim::AddKeyBone(model, 0);
    anim::AddKeyBone(model, 1);
  }
  model.currentKeyBone = 0;
  model.currentBone = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);
  host.SetUnscriptedAnswer(true);

  Prepare(model);
  zmf::MemoryClipboard clipboard;
  clipboard.SetText(std::string(reinterpret_cast<const char*>(data), size));
  zmf::command::PasteClipboard(model, clipboard);
  zmf::AbortIfInvalid(model, "Paste", zmf::kImportedModelRules);

  const std::uint32_t selected = model.vertices.selCount();
  const std::optional<zmf::format::PastedGeometry> again =
      zmf::format::ReadGeometryClipboardText(zmf::format::GeometryClipboardText(model, true));
  if (selected > 0 && (!again || again->vertices.size() != selected)) __builtin_trap();

  // Added vertices came as one undo step.
  if (model.vertices.count() != 3) {
    zmf::edit::Undo(model);
    zmf::AbortIfInvalid(model, "undoing Paste");
    if (model.vertices.count() != 3 || model.faces.count() != 1 || model.vertices.tail()->id != 2) {
      __builtin_trap();
    }
  }
  host.ClearEvents();
  return 0;
}

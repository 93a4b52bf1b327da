// The main window's single-key shortcuts.
#include "command/key_commands.h"

#include "command/view_commands.h"
#include "edit/journal.h"
#include "view/picking.h"

namespace zmf::command {
namespace {

// The keys that send a menu command, so that they behave exactly like the menu item.
std::uint32_t CommandOfKey(char key) {
  switch (key) {
    case '1':
      return kCommandSelectMode;
    case 'Q':
      return kCommandAddMode;
    case 'A':
      return kCommandCameraMode;
    case 'Z':
      return kCommandMoveMode;
    case 'X':
      return kCommandViewMesh;
    case 'C':
      return kCommandViewNormals;
    case 'V':
      return kCommandViewMaterial;
    case 'B':
      return kCommandViewBones;
    default:
      return 0;
  }
}

}  // namespace

std::optional<Refresh> PressKey(CommandContext& context, char key, float nx, float ny) {
  if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 'a' + 'A');
  Model& model = context.model;
  if (const std::uint32_t id = CommandOfKey(key); id != 0) {
    return FindCommand(id)->handler(context);
  }
  switch (key) {
    case 'F': {
      if (model.vertices.selCount() < 3) return Refresh::None;
      Vertex* a = model.vertices.selTail();
      Vertex* b = a->selPrev;
      Vertex* c = b->selPrev;
      edit::JournalAddFace(model, a, b, c);
      return Refresh::Mesh;
    }
    case 'S':
      if (context.editor == nullptr) return Refresh::None;
      view::PickVerticesAt(model, context.editor->camera, model.viewMatrix, nx, ny);
      return Refresh::Mesh;
    case 'D':
      model.DeselectAll();
      return Refresh::Mesh;
    default:
      return std::nullopt;
  }
}

}  // namespace zmf::command

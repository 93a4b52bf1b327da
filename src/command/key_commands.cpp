// The main window's single-key shortcuts.
#include "command/key_commands.h"

#include "command/clipboard_commands.h"
#include "command/edit_commands.h"
#include "command/file_commands.h"
#include "command/gestures.h"
#include "command/menu_layout.h"
#include "command/view_commands.h"
#include "edit/journal.h"
#include "view/picking.h"

namespace zmf::command {
namespace {

// The shortcut keys in upper case; those that send a menu command name it, so that they behave
// exactly like the menu item; F, S and D act themselves.
struct Shortcut {
  char key;
  std::uint32_t command;
};
constexpr Shortcut kShortcuts[] = {
    {'1', kCommandSelectMode},
    {'Q', kCommandAddMode},
    {'A', kCommandCameraMode},
    {'Z', kCommandMoveMode},
    {'X', kCommandViewMesh},
    {'C', kCommandViewNormals},
    {'V', kCommandViewMaterial},
    {'B', kCommandViewBones},
    {'F', 0},
    {'S', 0},
    {'D', 0},
};

char Upper(char key) { return key >= 'a' && key <= 'z' ? static_cast<char>(key - 'a' + 'A') : key; }

const Shortcut* FindShortcut(char key) {
  for (const Shortcut& shortcut : kShortcuts) {
    if (shortcut.key == Upper(key)) return &shortcut;
  }
  return nullptr;
}

constexpr StandardShortcut kStandardShortcuts[] = {
    {"Ctrl+N", kCommandNew},
    {"Ctrl+O", kCommandOpen},
    {"Ctrl+S", kCommandSave},
    {"Ctrl+Shift+S", kCommandSaveAs},
    {"Ctrl+Z", kCommandUndo},
    {"Ctrl+Y", kCommandRedo},
    {"Ctrl+Shift+Z", kCommandRedo},
    {"Ctrl+C", kCommandCopy},
    {"Ctrl+X", kCommandCut},
    {"Ctrl+V", kCommandPaste},
    {"Ctrl+A", kCommandSelectAll},
    {"Del", kDeleteKey},
    {"F1", kMenuHelp},
};

bool SameKeys(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

}  // namespace

std::span<const StandardShortcut> StandardShortcuts() { return kStandardShortcuts; }

std::vector<std::string_view> ShortcutsOf(std::uint32_t command) {
  std::vector<std::string_view> keys;
  for (const StandardShortcut& shortcut : kStandardShortcuts) {
    if (shortcut.command == command) keys.push_back(shortcut.keys);
  }
  return keys;
}

const StandardShortcut* FindStandardShortcut(std::string_view keys) {
  for (const StandardShortcut& shortcut : kStandardShortcuts) {
    if (SameKeys(shortcut.keys, keys)) return &shortcut;
  }
  return nullptr;
}

Refresh DeleteSelectedOfActiveList(CommandContext& context) {
  const view::PanelList list =
      context.editor != nullptr ? context.editor->activeList : view::PanelList::None;
  switch (list) {
    case view::PanelList::Face:
      return DeleteSelectedFacesCommand(context);
    case view::PanelList::None:
    case view::PanelList::Vertex:
      return DeleteSelectedVerticesCommand(context);
    default:
      return Refresh::None;
  }
}

bool IsShortcutKey(char key) { return key != 0 && FindShortcut(key) != nullptr; }

char ShortcutKeyOf(std::uint32_t command) {
  for (const Shortcut& shortcut : kShortcuts) {
    if (command != 0 && shortcut.command == command) return shortcut.key;
  }
  return 0;
}

std::optional<Refresh> PressKey(CommandContext& context, char key, float nx, float ny) {
  const Shortcut* shortcut = FindShortcut(key);
  if (shortcut == nullptr) return std::nullopt;
  // A key pressed during a Move drag gives the drag up first: the model and its picture go back
  // to where the drag started.
  if (context.editor != nullptr && view::IsMoveDrag(context.editor->dragRect.kind)) {
    CancelDrag(context);
  }
  if (shortcut->command != 0) return FindCommand(shortcut->command)->handler(context);
  Model& model = context.model;
  switch (shortcut->key) {
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

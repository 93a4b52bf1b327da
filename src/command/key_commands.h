// The main window's single-key shortcuts, shared with the "key K" lines of scripts.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command/command_table.h"

namespace zmf::command {

// Runs the shortcut of the key (letters in either case): 1 Q A Z the Select, Add, Reposition
// Camera and Move commands; X C V B the four views; F a face on the last three vertices selected
// (the newest first, so the winding runs newest -> older -> oldest); S the vertices under the
// cursor (nx, ny, normalised, y down) added to the selection; D the vertex, face and duplicate
// selections cleared. Returns the refresh to do, or nothing for a key that is no shortcut.
std::optional<Refresh> PressKey(CommandContext& context, char key, float nx, float ny);
// Whether the key (either case) is one of those shortcuts.
bool IsShortcutKey(char key);
// The key (upper case) whose shortcut runs the command; 0 for a command no key runs.
char ShortcutKeyOf(std::uint32_t command);

// The desktop's standard keys, beside the single-key shortcuts: each key combination, in the
// portable form "Ctrl+Shift+S", with the command it runs (kDeleteKey for Delete). The window
// binds them to its menu items; scripts press them with "key ctrl+z" lines.
struct StandardShortcut {
  std::string_view keys;
  std::uint32_t command;
};
// Delete: the selected faces when the face list is the active one, otherwise the selected
// vertices; nothing while a bone, animation or key list is active.
inline constexpr std::uint32_t kDeleteKey = 1;
std::span<const StandardShortcut> StandardShortcuts();
// The key combinations of a command, in the table's order ("Ctrl+Y", "Ctrl+Shift+Z" for Redo).
std::vector<std::string_view> ShortcutsOf(std::uint32_t command);
// The standard shortcut with these keys (any case), or null.
const StandardShortcut* FindStandardShortcut(std::string_view keys);

// What Delete does (see kDeleteKey).
Refresh DeleteSelectedOfActiveList(CommandContext& context);

}  // namespace zmf::command

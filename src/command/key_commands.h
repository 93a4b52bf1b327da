// The main window's single-key shortcuts, shared with the "key K" lines of scripts.
#pragma once

#include <optional>

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

}  // namespace zmf::command

// Copy, Cut and Paste: the selection or the current item as clipboard text, and back.
#pragma once

#include "command/command_table.h"
#include "model/clipboard.h"
#include "view/editor_state.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandCopy = 32781;
inline constexpr std::uint32_t kCommandCut = 32782;
inline constexpr std::uint32_t kCommandPaste = 32783;

// Puts the text of the active list on the clipboard: the selected vertices (the vertex list),
// the selected vertices and faces (the face list), or the index of the current bone, animation
// or key, or the current key bone's matrix. Nothing, and false, for no list, for a geometry list
// without a selected vertex, for an item list without its current item, or when the clipboard
// would not take the text.
bool CopySelection(Model& model, view::PanelList active, Clipboard& clipboard);

// CopySelection, then, only when that put the text on the clipboard, removes what it took: the
// selected vertices or faces (one undo step), the current bone, animation or key bone. The key
// list's Cut only copies. Returns the panel to refresh.
Refresh CutSelection(Model& model, view::PanelList active, Clipboard& clipboard);

// Applies the clipboard's text by its first word: geometry is added as one undo step; an
// animation, key, key bone or bone text overwrites the current one after a question captioned
// "Confirm copy." (asked only when there is a current one). Returns the panel to refresh.
Refresh PasteClipboard(Model& model, const Clipboard& clipboard);

// The menu commands; without a clipboard in the context they do nothing.
Refresh CopyCommand(CommandContext& context);
Refresh CutCommand(CommandContext& context);
Refresh PasteCommand(CommandContext& context);

// Scripts only: fills the clipboard with a file's bytes / writes its text to a file.
Refresh ClipboardLoadCommand(CommandContext& context);
Refresh ClipboardSaveCommand(CommandContext& context);
extern const FileDialogOptions kClipboardLoadDialog;
extern const FileDialogOptions kClipboardSaveDialog;

}  // namespace zmf::command

// The File menu's commands, and Import Animations: new, open, save, save-as, export,
// recover, import-animations.
#pragma once

#include "command/command_table.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandNew = 32771;
inline constexpr std::uint32_t kCommandOpen = 32772;
inline constexpr std::uint32_t kCommandSave = 32773;
inline constexpr std::uint32_t kCommandImportAnimations = 32877;
inline constexpr std::uint32_t kCommandRecover = 32890;
inline constexpr std::uint32_t kCommandSaveAs = 32891;
inline constexpr std::uint32_t kCommandExport = 32892;

extern const FileDialogOptions kOpenDialog;              // "Load ZMF File", every readable format
extern const FileDialogOptions kSaveDialog;              // "Save ZMF File": ZMF, Glintcast, bitmap
extern const FileDialogOptions kExportDialog;            // "Export Model": glTF, OBJ, Glintcast
extern const FileDialogOptions kImportAnimationsDialog;  // "Load ZMF File", ZMF files only

// Empties the model: an untitled document with nothing unsaved.
Refresh NewCommand(CommandContext& context);
// Opens arguments[0] by its extension; a file that cannot be opened changes nothing.
Refresh OpenCommand(CommandContext& context);
// Saves to arguments[0] by its extension (Save and Save As).
Refresh SaveCommand(CommandContext& context);
// Writes a copy to arguments[0] by its extension; the document keeps its name and saved state.
Refresh ExportCommand(CommandContext& context);
// Opens the recovery file arguments[0] as an untitled document with unsaved changes, named as
// the document it was written from.
Refresh RecoverCommand(CommandContext& context);
// Replaces the bones and animations with those of the ZMF file arguments[0].
Refresh ImportAnimationsCommand(CommandContext& context);

}  // namespace zmf::command

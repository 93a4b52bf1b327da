// The command table: one line per command. A new command is a handler in its subsystem's
// command file and a line here; the menus and batch mode then both know it.
#include "command/command_table.h"

#include "command/file_commands.h"

namespace zmf {
namespace {

constexpr CommandEntry kCommands[] = {
    // File
    {kCommandNew, "new", CommandInput::None, nullptr, NewModel},
    {kCommandOpen, "open", CommandInput::OpenFile, &kOpenDialog, OpenFile},
    {kCommandSave, "save", CommandInput::SaveFile, &kSaveDialog, SaveFile},
    // Model > Bones and Animation
    {kCommandImportAnimations, "import-animations", CommandInput::OpenFile,
     &kImportAnimationsDialog, ImportAnimationsFrom},
};

}  // namespace

std::span<const CommandEntry> Commands() { return kCommands; }

const CommandEntry* FindCommand(std::uint32_t id) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

const CommandEntry* FindCommand(std::string_view scriptName) {
  if (scriptName.empty()) return nullptr;
  for (const CommandEntry& entry : kCommands) {
    if (entry.scriptName == scriptName) return &entry;
  }
  return nullptr;
}

}  // namespace zmf

// The command table as text: what zmfedit --list-commands prints and the script part of --help.
#pragma once

#include <string>
#include <string_view>

#include "command/command_table.h"

namespace zmf::script {

// The name --list-commands gives an input: "none", "open-file", "save-file", "list-pick",
// "texts" or "ids".
std::string_view InputName(command::CommandInput input);

// One line per command, in table order, in four tab-separated columns: identifier ("-" for a
// script-only command), script name ("-" when it has none), input, and the command's place in
// the menus ("Model > Vertices and Faces > &Weld Vertices") or, for a command that no menu holds,
// its description.
std::string CommandListText();

// The lines a batch script may hold, for --help: every command as a script writes it ("open
// FILE", "pick 501 POSITION") with its description, then answer and cancel.
std::string ScriptHelpText();

}  // namespace zmf::script

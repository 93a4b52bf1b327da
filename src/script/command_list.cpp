// --list-commands and the script part of --help, generated from the command table.
#include "script/command_list.h"

#include <algorithm>
#include <vector>

#include "command/menu_layout.h"

namespace zmf::script {
namespace {

// How a script line runs the entry, arguments included.
std::string ScriptUsage(const command::CommandEntry& entry) {
  const std::string id = std::to_string(entry.id);
  const std::string name(entry.scriptName.empty() ? std::string_view(id) : entry.scriptName);
  switch (entry.input) {
    case command::CommandInput::None:
      return name;
    case command::CommandInput::OpenFile:
    case command::CommandInput::SaveFile:
      return name + " FILE";
    case command::CommandInput::ListPick:
      return "pick " + id + " POSITION";
    case command::CommandInput::Texts:
      return "apply " + id + " TEXTS...";
    case command::CommandInput::Ids:
      return name + " ID...";
    case command::CommandInput::Words:
      return name + " " + std::string(entry.words);
  }
  return name;
}

// The rows as aligned columns, two blanks apart, each line starting with `indent`; the last
// column is not padded.
std::string Columns(const std::vector<std::vector<std::string>>& rows, std::string_view indent) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()), 0);
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  std::string text;
  for (const auto& row : rows) {
    text += indent;
    for (std::size_t i = 0; i < row.size(); ++i) {
      text += row[i];
      if (i + 1 < row.size()) text.append(widths[i] - row[i].size() + 2, ' ');
    }
    text += '\n';
  }
  return text;
}

}  // namespace

std::string_view InputName(command::CommandInput input) {
  switch (input) {
    case command::CommandInput::None:
      return "none";
    case command::CommandInput::OpenFile:
      return "open-file";
    case command::CommandInput::SaveFile:
      return "save-file";
    case command::CommandInput::ListPick:
      return "list-pick";
    case command::CommandInput::Texts:
      return "texts";
    case command::CommandInput::Ids:
      return "ids";
    case command::CommandInput::Words:
      return "words";
  }
  return "";
}

std::string CommandListText() {
  std::string text;
  for (const command::CommandEntry& entry : command::Commands()) {
    const command::MenuItem* item = command::FindMenuItem(entry.id);
    text += (entry.id == 0 ? std::string("-") : std::to_string(entry.id)) + '\t' +
            (entry.scriptName.empty() ? std::string("-") : std::string(entry.scriptName)) + '\t' +
            std::string(InputName(entry.input)) + '\t' +
            (item != nullptr ? command::MenuPathText(item->path) : std::string(entry.description)) +
            '\n';
  }
  return text;
}

std::string ScriptHelpText() {
  std::vector<std::vector<std::string>> rows;
  for (const command::CommandEntry& entry : command::Commands()) {
    rows.push_back({ScriptUsage(entry), std::string(entry.description)});
  }
  rows.push_back(
      {"answer TEXT", "Queue the answer to the next prompt, or yes or no to a question"});
  rows.push_back({"cancel", "Queue a cancelled prompt"});
  rows.push_back({"clock SECONDS", "Set the clock that animation playback reads"});
  rows.push_back({"screenshot FILE",
                  "Save the window as it stands (.png) or the viewport (.bmp); with --screenshot"});
  rows.push_back({"panel FILE", "Write what the current view's panel shows to FILE as text"});
  rows.push_back({"document FILE",
                  "Write the model's name, kind, unsaved state, undo, redo and recovery files"});
  rows.push_back({"press left|right X Y [shift] [ctrl]",
                  "Press a mouse button over the viewport pixel X Y (0 to 511)"});
  rows.push_back({"move X Y", "Move the mouse to X Y"});
  rows.push_back({"release left|right X Y", "Release the button at X Y"});
  rows.push_back({"drag left|right X0 Y0 X1 Y1 [shift] [ctrl]",
                  "Press at X0 Y0, move to X1 Y1 and release there"});
  rows.push_back({"click left|right X Y [shift] [ctrl]", "Press and release at X Y"});
  rows.push_back({"key K", "Press a shortcut key: 1 Q A Z X C V B F S D"});
  return "Script lines for --batch (a command may also be given by its identifier; \"double\n"
         "quotes\" keep blanks in an argument; blank lines and lines starting with # are "
         "skipped):\n" +
         Columns(rows, "  ");
}

}  // namespace zmf::script

// The one table of the editor's commands, shared by the window's menus and by batch mode.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/clipboard.h"
#include "model/host.h"
#include "model/model.h"
#include "view/editor_state.h"

namespace zmf::command {

// What the shell must bring up to date after a command.
enum class Refresh {
  None,
  Mesh,         // the Vertices and Faces panel
  Normals,      // the Normals and Duplicates panel
  Material,     // the Material panel
  Skeleton,     // the Bones and Animation panel
  View,         // re-enter the current view: commit the model and refill its panel
  FitView,      // fit the camera to the model's radius, then as View
  FitModel,     // an imported model: zoom 100%, its radius fitted, its box centred, then as View
  ResetCamera,  // camera back to zero with a fit radius of 1.0 (New), then as View
};

// What a command takes besides the model.
enum class CommandInput {
  None,      // a menu item, toolbar button or shortcut
  OpenFile,  // one path: the answer to the open-file dialog
  SaveFile,  // one path: the answer to the save-file dialog
  ListPick,  // one position: a row picked in a panel's list
  Texts,     // the texts of a panel's edit boxes, for its "ok" button
  Ids,       // one or more record ids; only scripts give these (identifier 0)
  Words,     // a fixed number of words, given by the entry; only scripts give these
};

// A filter of a file dialog: its label and its pattern, e.g. " ZMF Files" and "*.zmf".
struct FileFilter {
  std::string_view label;
  std::string_view pattern;
};

// The file dialog that asks for a command's path.
struct FileDialogOptions {
  std::string_view title;
  std::span<const FileFilter> filters;
  std::string_view defaultSuffix;  // without the dot
};

// Everything a handler works with. The arguments are what the command's input asked for.
struct CommandContext {
  explicit CommandContext(Model& model, std::span<const std::string> arguments = {},
                          ScreenshotWriter* screenshot = nullptr)
      : model(model), arguments(arguments), screenshot(screenshot) {}

  Model& model;
  std::span<const std::string> arguments;
  ScreenshotWriter* screenshot = nullptr;  // the viewport, when there is one
  // The editor's state and clock; commands that need them do nothing without them.
  view::EditorState* editor = nullptr;
  const Clock* clock = nullptr;
  // The clipboard Copy, Cut and Paste exchange text through; they do nothing without one.
  Clipboard* clipboard = nullptr;
  // Set by a handler for an outcome that the window passes over in silence but a script must
  // not (a save that wrote no file, say); batch mode reports it and fails.
  std::string problem;
};

using CommandHandler = Refresh (*)(CommandContext&);

struct CommandEntry {
  std::uint32_t id;             // the identifier of the menu item, button or list
  std::string_view scriptName;  // the name batch scripts use; empty when only the id is known
  CommandInput input;
  const FileDialogOptions* dialog;  // for OpenFile and SaveFile
  CommandHandler handler;
  std::string_view description;  // one line for --help and --list-commands
  std::string_view words = {};   // for Words: what the arguments are, e.g. "NAME X Y Z"
};

// The number of arguments a Words entry takes: the blank-separated words of its `words`.
std::size_t WordCount(const CommandEntry& entry);

// The core side of a command's refresh, which the window and batch mode both perform after every
// command: FitView fits the camera to the model, ResetCamera gives it a fit radius of 1 and
// zeroes it; those two and View commit the model (and rebuild the duplicates in the Normals
// view). Returns the refresh, for the window to bring its widgets up to date.
Refresh FinishCommand(CommandContext& context, Refresh refresh);

// Every command, in the order of the menus.
std::span<const CommandEntry> Commands();

// The entry with this identifier or script name; null when there is none.
const CommandEntry* FindCommand(std::uint32_t id);
const CommandEntry* FindCommand(std::string_view scriptName);

}  // namespace zmf::command

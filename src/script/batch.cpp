// Batch scripts: parsed whole first, so a typing mistake stops the script before it changes
// anything; then run line by line through the command table.
#include "script/batch.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "command/command_table.h"
#include "command/file_commands.h"
#include "command/gestures.h"
#include "command/key_commands.h"
#include "edit/undo_redo.h"
#include "format/atomic_file.h"
#include "format/number_text.h"
#include "format/recovery_files.h"
#include "model/validate_model.h"
#include "view/editor_state.h"
#include "view/panels.h"

namespace zmf::script {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Blank-separated arguments; "double quotes" hold blanks. False, with a reason, for a quote
// that is not closed or not followed by a blank.
bool SplitArguments(std::string_view text, std::vector<std::string>& arguments,
                    std::string& error) {
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) return true;
    if (text[i] == '"') {
      const std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) {
        error = "a quote is not closed";
        return false;
      }
      if (close + 1 < text.size() && !IsBlank(text[close + 1])) {
        error = "a closing quote must end its argument";
        return false;
      }
      arguments.emplace_back(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      const std::size_t start = i;
      while (i < text.size() && !IsBlank(text[i])) ++i;
      arguments.emplace_back(text.substr(start, i - start));
    }
  }
}

bool ParseNumber(std::string_view text, std::uint32_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// One line of a script, parsed: an answer to queue, a cancel, or a command with its arguments.
struct ScriptLine {
  enum class Kind {
    Answer,
    Cancel,
    Clock,
    Screenshot,
    Panel,
    Document,
    Mouse,
    Wheel,
    Key,
    Command
  };
  enum class Mouse { Press, Move, Release, Drag, Click };
  Kind kind = Kind::Command;
  // For Mouse: what happens, with which button, where (viewport pixels; the second point is
  // the end of a drag) and with which keys held.
  Mouse mouse = Mouse::Move;
  command::MouseButton button = command::MouseButton::Left;
  float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
  bool shift = false, ctrl = false;
  char key = 0;  // for Key: a single-key shortcut, or 0 for a standard one
  const command::StandardShortcut* shortcut = nullptr;
  float notches = 0.0f;  // for Wheel
  std::size_t line = 0;
  std::string answer;
  float seconds = 0.0f;  // for Clock
  std::string path;      // for Screenshot and Panel
  const command::CommandEntry* entry = nullptr;
  std::vector<std::string> arguments;
};

const char* ArgumentsWanted(command::CommandInput input) {
  switch (input) {
    case command::CommandInput::None:
      return "no arguments";
    case command::CommandInput::OpenFile:
    case command::CommandInput::SaveFile:
      return "one file name";
    case command::CommandInput::ListPick:
      return "a list and a position (pick LIST POSITION)";
    case command::CommandInput::Texts:
      return "a button and its texts (apply BUTTON TEXTS...)";
    case command::CommandInput::Ids:
      return "one or more ids";
    case command::CommandInput::Words:
      break;
  }
  return "";
}

std::string ArgumentsWanted(const command::CommandEntry& entry) {
  if (entry.input == command::CommandInput::Words) return std::string(entry.words);
  return ArgumentsWanted(entry.input);
}

bool ArgumentCountFits(const command::CommandEntry& entry, std::size_t count) {
  switch (entry.input) {
    case command::CommandInput::None:
      return count == 0;
    case command::CommandInput::OpenFile:
    case command::CommandInput::SaveFile:
    case command::CommandInput::ListPick:
      return count == 1;
    case command::CommandInput::Texts:
      return true;
    case command::CommandInput::Ids:
      return count >= 1;
    case command::CommandInput::Words:
      return count == command::WordCount(entry);
  }
  return false;
}

bool ParsePixel(std::string_view text, float& value) {
  return !text.empty() && format::ParseFloatPrefix(text, value) == text.size() &&
         std::isfinite(value);
}

// press BUTTON X Y [shift] [ctrl], move X Y, release BUTTON X Y,
// drag BUTTON X0 Y0 X1 Y1 [shift] [ctrl], click BUTTON X Y [shift] [ctrl]; BUTTON is left, right
// or middle.
bool ParseMouseLine(std::string_view word, const std::vector<std::string>& arguments,
                    ScriptLine& parsed, std::string& error) {
  using Mouse = ScriptLine::Mouse;
  const Mouse mouse = word == "press"     ? Mouse::Press
                      : word == "move"    ? Mouse::Move
                      : word == "release" ? Mouse::Release
                      : word == "drag"    ? Mouse::Drag
                                          : Mouse::Click;
  const char* usage = mouse == Mouse::Press     ? "press left|right|middle X Y [shift] [ctrl]"
                      : mouse == Mouse::Move    ? "move X Y"
                      : mouse == Mouse::Release ? "release left|right|middle X Y"
                      : mouse == Mouse::Drag ? "drag left|right|middle X0 Y0 X1 Y1 [shift] [ctrl]"
                                             : "click left|right|middle X Y [shift] [ctrl]";
  const auto fail = [&] {
    error = std::string(word) + " needs " + usage + " (X and Y in viewport pixels)";
    return false;
  };
  std::size_t at = 0;
  if (mouse != Mouse::Move) {
    if (arguments.empty()) return fail();
    if (arguments[0] == "left") {
      parsed.button = command::MouseButton::Left;
    } else if (arguments[0] == "right") {
      parsed.button = command::MouseButton::Right;
    } else if (arguments[0] == "middle") {
      parsed.button = command::MouseButton::Middle;
    } else {
      return fail();
    }
    at = 1;
  }
  const std::size_t points = mouse == Mouse::Drag ? 2 : 1;
  if (arguments.size() < at + 2 * points) return fail();
  if (!ParsePixel(arguments[at], parsed.x0) || !ParsePixel(arguments[at + 1], parsed.y0)) {
    return fail();
  }
  at += 2;
  if (points == 2) {
    if (!ParsePixel(arguments[at], parsed.x1) || !ParsePixel(arguments[at + 1], parsed.y1)) {
      return fail();
    }
    at += 2;
  }
  const bool takesKeys = mouse == Mouse::Press || mouse == Mouse::Drag || mouse == Mouse::Click;
  for (; at < arguments.size(); ++at) {
    if (!takesKeys) return fail();
    if (arguments[at] == "shift" && !parsed.shift) {
      parsed.shift = true;
    } else if (arguments[at] == "ctrl" && !parsed.ctrl) {
      parsed.ctrl = true;
    } else {
      return fail();
    }
  }
  parsed.kind = ScriptLine::Kind::Mouse;
  parsed.mouse = mouse;
  return true;
}

// Parses one line; false, with a reason, when it is not a valid line.
bool ParseLine(std::string_view text, ScriptLine& parsed, std::string& error) {
  std::size_t split = 0;
  while (split < text.size() && !IsBlank(text[split])) ++split;
  const std::string_view word = text.substr(0, split);
  const std::string_view rest = Trim(text.substr(split));

  if (word == "answer") {
    parsed.kind = ScriptLine::Kind::Answer;
    parsed.answer = rest;
    return true;
  }
  if (word == "cancel") {
    if (!rest.empty()) {
      error = "cancel takes no arguments";
      return false;
    }
    parsed.kind = ScriptLine::Kind::Cancel;
    return true;
  }
  if (word == "clock") {
    float seconds = 0.0f;
    if (rest.empty() || format::ParseFloatPrefix(rest, seconds) != rest.size() ||
        !std::isfinite(seconds)) {
      error = "clock needs a time in seconds";
      return false;
    }
    parsed.kind = ScriptLine::Kind::Clock;
    parsed.seconds = seconds;
    return true;
  }

  std::vector<std::string> arguments;
  if (!SplitArguments(rest, arguments, error)) return false;
  if (word == "screenshot") {
    if (arguments.size() != 1 || arguments[0].empty()) {
      error = "screenshot needs one file name";
      return false;
    }
    parsed.kind = ScriptLine::Kind::Screenshot;
    parsed.path = arguments[0];
    return true;
  }
  if (word == "press" || word == "move" || word == "release" || word == "drag" || word == "click") {
    return ParseMouseLine(word, arguments, parsed, error);
  }
  if (word == "wheel") {
    if (arguments.size() != 1 || !ParsePixel(arguments[0], parsed.notches)) {
      error = "wheel needs a number of notches (positive zooms in)";
      return false;
    }
    parsed.kind = ScriptLine::Kind::Wheel;
    return true;
  }
  if (word == "key") {
    // A standard key runs its command; those that need the window (a file dialog, help) are
    // not keys a script can press.
    const command::StandardShortcut* shortcut =
        arguments.size() == 1 ? command::FindStandardShortcut(arguments[0]) : nullptr;
    const command::CommandEntry* entry =
        shortcut != nullptr ? command::FindCommand(shortcut->command) : nullptr;
    if (shortcut != nullptr &&
        (shortcut->command == command::kDeleteKey ||
         (entry != nullptr && entry->input == command::CommandInput::None))) {
      parsed.kind = ScriptLine::Kind::Key;
      parsed.shortcut = shortcut;
      return true;
    }
    if (arguments.size() != 1 || arguments[0].size() != 1 ||
        !command::IsShortcutKey(arguments[0][0])) {
      error =
          "key needs one of the keys 1 Q A Z X C V B F S D, or ctrl+n, ctrl+z, ctrl+y, "
          "ctrl+shift+z, ctrl+c, ctrl+x, ctrl+v, ctrl+a, del";
      return false;
    }
    parsed.kind = ScriptLine::Kind::Key;
    parsed.key = arguments[0][0];
    return true;
  }
  if (word == "panel" || word == "document") {
    if (arguments.size() != 1 || arguments[0].empty()) {
      error = std::string(word) + " needs one file name";
      return false;
    }
    parsed.kind = word == "panel" ? ScriptLine::Kind::Panel : ScriptLine::Kind::Document;
    parsed.path = arguments[0];
    return true;
  }
  std::uint32_t id = 0;
  if (word == "pick" || word == "apply") {
    const command::CommandInput wanted =
        word == "pick" ? command::CommandInput::ListPick : command::CommandInput::Texts;
    if (arguments.empty() || !ParseNumber(arguments[0], id)) {
      error = std::string(word) + " needs " + ArgumentsWanted(wanted);
      return false;
    }
    parsed.entry = command::FindCommand(id);
    if (parsed.entry == nullptr || parsed.entry->input != wanted) {
      error = "no " + std::string(wanted == command::CommandInput::ListPick ? "list" : "button") +
              " " + arguments[0];
      return false;
    }
    arguments.erase(arguments.begin());
    std::uint32_t position = 0;
    if (wanted == command::CommandInput::ListPick &&
        (arguments.size() != 1 || !ParseNumber(arguments[0], position))) {
      error = std::string(word) + " needs " + ArgumentsWanted(wanted);
      return false;
    }
  } else {
    parsed.entry = ParseNumber(word, id) ? command::FindCommand(id) : command::FindCommand(word);
    if (parsed.entry == nullptr) {
      error = "unknown command " + std::string(word);
      return false;
    }
    if (parsed.entry->input == command::CommandInput::ListPick ||
        parsed.entry->input == command::CommandInput::Texts) {
      error = std::string(word) + " is a panel entry: use " +
              (parsed.entry->input == command::CommandInput::ListPick ? "pick" : "apply");
      return false;
    }
    if (!ArgumentCountFits(*parsed.entry, arguments.size())) {
      error = std::string(word) + " takes " + ArgumentsWanted(*parsed.entry);
      return false;
    }
  }
  parsed.kind = ScriptLine::Kind::Command;
  parsed.arguments = std::move(arguments);
  return true;
}

// What the document is, one fact a line: its name, kind, whether it has unsaved changes, whether
// Undo and Redo have anything to do, and the recovery files present, newest first.
std::string DocumentText(const Model& model) {
  constexpr std::string_view kKinds[] = {"untitled", "zmf", "imported"};
  const auto yesNo = [](bool yes) { return yes ? "yes\n" : "no\n"; };
  std::string text = "name " + model.document.path + "\nkind ";
  text += kKinds[static_cast<int>(model.document.kind)];
  text += "\nunsaved ";
  text += yesNo(model.HasUnsavedChanges());
  text += "undo ";
  text += yesNo(edit::CanUndo(model));
  text += "redo ";
  text += yesNo(edit::CanRedo(model));
  for (const format::RecoveryFile& file : format::ListRecoveryFiles(format::RecoveryFolder())) {
    const std::size_t slash = file.path.find_last_of('/');
    text += "recovery " + file.path.substr(slash + 1) + "\n";
  }
  return text;
}

bool WriteTextFile(const std::string& path, std::string_view text) {
  format::AtomicFile file(path);
  return file.Open() && file.Write(text) && file.Commit();
}

// The current view's panel as text, written whole or not at all.
bool WritePanelFile(const view::EditorState& editor, const std::string& path) {
  return WriteTextFile(path, view::PanelText(editor));
}

// The mouse line through the same handlers as the window's viewport, each event finished like
// a command.
void RunMouseLine(const ScriptLine& line, command::CommandContext context) {
  using Mouse = ScriptLine::Mouse;
  // Pixels of the viewport as it stands, as the window maps its mouse positions.
  const view::Camera camera = context.editor != nullptr ? context.editor->camera : view::Camera{};
  const auto x = [&](float pixel) { return view::NormalisedPixel(camera, pixel, false); };
  const auto y = [&](float pixel) { return view::NormalisedPixel(camera, pixel, true); };
  const float nx0 = x(line.x0), ny0 = y(line.y0);
  const auto press = [&] {
    command::FinishCommand(
        context, command::MousePress(context, line.button, nx0, ny0, line.shift, line.ctrl));
  };
  switch (line.mouse) {
    case Mouse::Press:
      press();
      break;
    case Mouse::Move:
      command::FinishCommand(context, command::MouseMove(context, nx0, ny0));
      break;
    case Mouse::Release:
      command::FinishCommand(context, command::MouseRelease(context, line.button, nx0, ny0));
      break;
    case Mouse::Drag: {
      const float nx1 = x(line.x1), ny1 = y(line.y1);
      press();
      command::FinishCommand(context, command::MouseMove(context, nx1, ny1));
      command::FinishCommand(context, command::MouseRelease(context, line.button, nx1, ny1));
      break;
    }
    case Mouse::Click:
      press();
      command::FinishCommand(context, command::MouseRelease(context, line.button, nx0, ny0));
      break;
  }
}

std::string Location(std::string_view scriptName, std::size_t line) {
  return std::string(scriptName) + ":" + std::to_string(line);
}

}  // namespace

void BatchHost::OnBox(const MessageBoxRequest& box) {
  if (!location_.empty()) std::fprintf(errors_, "%s: ", location_.c_str());
  std::fprintf(errors_, "%s: %s\n", box.title.c_str(), box.text.c_str());
  std::fflush(errors_);
}

std::uint32_t HeadlessTextureStore::Create(int width, int height, const std::uint8_t* rgba) {
  if (width <= 0 || height <= 0 || rgba == nullptr) return 0;
  return nextName_++;
}

int RunBatchScript(Model& model, BatchHost& host, std::string_view script,
                   std::string_view scriptName, std::FILE* errors, std::string_view startModel,
                   BatchSession* session) {
  BatchSession ownSession;
  if (session == nullptr) {
    session = &ownSession;
    session->editor.projection = view::ApplyProjection(session->editor.camera);
  }
  return RunBatchScript(model, host, script, scriptName, errors, startModel,
                        BatchTarget{session->editor, session->clock, nullptr, &session->clipboard});
}

int RunBatchScript(Model& model, BatchHost& host, std::string_view script,
                   std::string_view scriptName, std::FILE* errors, std::string_view startModel,
                   const BatchTarget& target) {
  std::vector<ScriptLine> lines;
  bool valid = true;
  std::size_t lineNumber = 0;
  while (!script.empty()) {
    const std::size_t end = script.find('\n');
    const std::string_view line = Trim(script.substr(0, end));
    script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;
    ScriptLine parsed;
    parsed.line = lineNumber;
    std::string error;
    if (!ParseLine(line, parsed, error)) {
      std::fprintf(errors, "%s: %s\n", Location(scriptName, lineNumber).c_str(), error.c_str());
      valid = false;
      continue;
    }
    lines.push_back(std::move(parsed));
  }
  if (!valid) return 2;

  view::EditorState& editor = target.editor;
  ManualClock& clock = target.clock;
  MemoryClipboard ownClipboard;
  Clipboard& clipboard = target.clipboard != nullptr ? *target.clipboard : ownClipboard;
  auto makeContext = [&](std::span<const std::string> arguments) {
    command::CommandContext context(model, arguments, target.screenshot);
    context.editor = &editor;
    context.clock = &clock;
    context.clipboard = &clipboard;
    return context;
  };
  model.viewMatrix = view::BuildViewMatrix(editor.camera);
  if (!startModel.empty()) {
    // Opened as the script's own "open MODEL" line would open it.
    const std::string arguments[] = {std::string(startModel)};
    command::CommandContext context = makeContext(arguments);
    command::FinishCommand(context, command::FindCommand(command::kCommandOpen)->handler(context));
  }
  bool failed = false;
  for (const ScriptLine& scriptLine : lines) {
    const std::string location = Location(scriptName, scriptLine.line);
    host.SetLocation(location);
    switch (scriptLine.kind) {
      case ScriptLine::Kind::Answer:
        host.QueueText(scriptLine.answer);
        break;
      case ScriptLine::Kind::Cancel:
        host.QueueCancel();
        break;
      case ScriptLine::Kind::Clock:
        clock.Set(scriptLine.seconds);
        break;
      case ScriptLine::Kind::Screenshot:
        if (target.screenshot == nullptr) {
          std::fprintf(errors, "%s: screenshot needs the window (zmfedit --screenshot)\n",
                       location.c_str());
          failed = true;
        } else if (!target.screenshot->WriteScreenshot(scriptLine.path)) {
          failed = true;
        }
        break;
      case ScriptLine::Kind::Panel:
        if (!WritePanelFile(editor, scriptLine.path)) {
          std::fprintf(errors, "%s: could not write the panel to %s\n", location.c_str(),
                       scriptLine.path.c_str());
          failed = true;
        }
        break;
      case ScriptLine::Kind::Document:
        if (!WriteTextFile(scriptLine.path, DocumentText(model))) {
          std::fprintf(errors, "%s: could not write the document facts to %s\n", location.c_str(),
                       scriptLine.path.c_str());
          failed = true;
        }
        break;
      case ScriptLine::Kind::Mouse:
        RunMouseLine(scriptLine, makeContext({}));
        break;
      case ScriptLine::Kind::Wheel: {
        command::CommandContext context = makeContext({});
        command::FinishCommand(context, command::MouseWheel(context, scriptLine.notches));
        break;
      }
      case ScriptLine::Kind::Key: {
        command::CommandContext context = makeContext({});
        std::optional<command::Refresh> refresh;
        if (scriptLine.shortcut == nullptr) {
          refresh = command::PressKey(context, scriptLine.key, editor.mouse.nx, editor.mouse.ny);
        } else if (scriptLine.shortcut->command == command::kDeleteKey) {
          refresh = command::DeleteSelectedOfActiveList(context);
        } else {
          refresh = command::FindCommand(scriptLine.shortcut->command)->handler(context);
        }
        command::FinishCommand(context, refresh.value_or(command::Refresh::None));
        break;
      }
      case ScriptLine::Kind::Command: {
        command::CommandContext context = makeContext(scriptLine.arguments);
        // An "ok" is pressed with its boxes holding the texts given.
        if (scriptLine.entry->input == command::CommandInput::Texts) {
          editor.panels.SetBoxTexts(scriptLine.entry->id, scriptLine.arguments);
        }
        command::FinishCommand(context, scriptLine.entry->handler(context));
        if (!context.problem.empty()) {
          std::fprintf(errors, "%s: %s\n", location.c_str(), context.problem.c_str());
          failed = true;
        }
        break;
      }
    }
    ValidateModelInDebugBuilds(model, location);
  }
  host.SetLocation({});
  return failed || host.errorCount() > 0 ? 1 : 0;
}

}  // namespace zmf::script

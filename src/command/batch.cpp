// Batch scripts: parsed whole first, so a typing mistake stops the script before it changes
// anything; then run line by line through the command table.
#include "command/batch.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "command/command_table.h"
#include "command/file_commands.h"
#include "format/number_text.h"
#include "view/editor_state.h"

namespace zmf::command {
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
  enum class Kind { Answer, Cancel, Clock, Screenshot, Command };
  Kind kind = Kind::Command;
  std::size_t line = 0;
  std::string answer;
  float seconds = 0.0f;  // for Clock
  std::string path;      // for Screenshot
  const CommandEntry* entry = nullptr;
  std::vector<std::string> arguments;
};

const char* ArgumentsWanted(CommandInput input) {
  switch (input) {
    case CommandInput::None:
      return "no arguments";
    case CommandInput::OpenFile:
    case CommandInput::SaveFile:
      return "one file name";
    case CommandInput::ListPick:
      return "a list and a position (pick LIST POSITION)";
    case CommandInput::Texts:
      return "a button and its texts (apply BUTTON TEXTS...)";
    case CommandInput::Ids:
      return "one or more ids";
    case CommandInput::Words:
      break;
  }
  return "";
}

std::string ArgumentsWanted(const CommandEntry& entry) {
  if (entry.input == CommandInput::Words) return std::string(entry.words);
  return ArgumentsWanted(entry.input);
}

bool ArgumentCountFits(const CommandEntry& entry, std::size_t count) {
  switch (entry.input) {
    case CommandInput::None:
      return count == 0;
    case CommandInput::OpenFile:
    case CommandInput::SaveFile:
    case CommandInput::ListPick:
      return count == 1;
    case CommandInput::Texts:
      return true;
    case CommandInput::Ids:
      return count >= 1;
    case CommandInput::Words:
      return count == WordCount(entry);
  }
  return false;
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
  std::uint32_t id = 0;
  if (word == "pick" || word == "apply") {
    const CommandInput wanted = word == "pick" ? CommandInput::ListPick : CommandInput::Texts;
    if (arguments.empty() || !ParseNumber(arguments[0], id)) {
      error = std::string(word) + " needs " + ArgumentsWanted(wanted);
      return false;
    }
    parsed.entry = FindCommand(id);
    if (parsed.entry == nullptr || parsed.entry->input != wanted) {
      error = "no " + std::string(wanted == CommandInput::ListPick ? "list" : "button") + " " +
              arguments[0];
      return false;
    }
    arguments.erase(arguments.begin());
    std::uint32_t position = 0;
    if (wanted == CommandInput::ListPick &&
        (arguments.size() != 1 || !ParseNumber(arguments[0], position))) {
      error = std::string(word) + " needs " + ArgumentsWanted(wanted);
      return false;
    }
  } else {
    parsed.entry = ParseNumber(word, id) ? FindCommand(id) : FindCommand(word);
    if (parsed.entry == nullptr) {
      error = "unknown command " + std::string(word);
      return false;
    }
    if (parsed.entry->input == CommandInput::ListPick ||
        parsed.entry->input == CommandInput::Texts) {
      error = std::string(word) + " is a panel entry: use " +
              (parsed.entry->input == CommandInput::ListPick ? "pick" : "apply");
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

std::string Location(std::string_view scriptName, std::size_t line) {
  return std::string(scriptName) + ":" + std::to_string(line);
}

}  // namespace

void BatchHost::OnBox(const MessageBoxSpec& box) {
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
    CommandContext context(model, arguments, target.screenshot);
    context.editor = &editor;
    context.clock = &clock;
    context.clipboard = &clipboard;
    return context;
  };
  model.viewMatrix = view::BuildViewMatrix(editor.camera);
  if (!startModel.empty()) {
    // Opened as the script's own "open MODEL" line would open it.
    const std::string arguments[] = {std::string(startModel)};
    CommandContext context = makeContext(arguments);
    FinishCommand(context, FindCommand(kCommandOpen)->handler(context));
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
        } else if (!target.screenshot->SaveScreenshot(scriptLine.path)) {
          failed = true;
        }
        break;
      case ScriptLine::Kind::Command: {
        CommandContext context = makeContext(scriptLine.arguments);
        FinishCommand(context, scriptLine.entry->handler(context));
        if (!context.problem.empty()) {
          std::fprintf(errors, "%s: %s\n", location.c_str(), context.problem.c_str());
          failed = true;
        }
        break;
      }
    }
  }
  host.SetLocation({});
  return failed || host.errorCount() > 0 ? 1 : 0;
}

}  // namespace zmf::command

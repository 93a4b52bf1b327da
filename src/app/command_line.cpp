// The editor's command line and the work it does without a window.
#include "app/command_line.h"

#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "script/command_list.h"
#include "script/tools.h"

namespace zmf::app {
namespace {

std::string WithoutQuotes(const std::string& path) {
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    return path.substr(1, path.size() - 2);
  }
  return path;
}

bool IsToolOption(const std::string& argument) {
  return argument == "--help" || argument == "-h" || argument == "--list-commands" ||
         argument == "--info" || argument == "--convert" || argument == "--batch";
}

// "WIDTHxHEIGHT", each 1 to kMaxWindowSide; false for anything else.
bool ParseSize(const std::string& text, int* width, int* height) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  const auto number = [](std::string_view digits, int* value) {
    if (digits.empty() || digits.size() > 5) return false;
    int n = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return false;
      n = n * 10 + (c - '0');
    }
    *value = n;
    return n >= 1 && n <= CommandLine::kMaxWindowSide;
  };
  const std::string_view all(text);
  return number(all.substr(0, x), width) && number(all.substr(x + 1), height);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  std::vector<std::string> positional;
  int modes = 0;  // options that choose what the run does
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    // The file names an option takes; false (with the error set) when they are missing.
    auto take = [&](std::initializer_list<std::string*> into) {
      if (arguments.size() - 1 - i < into.size()) {
        line.error = argument + (into.size() == 1 ? " needs a file name" : " needs two file names");
        return false;
      }
      for (std::string* target : into) {
        const std::string& value = arguments[++i];
        if (value.empty()) {
          line.error = argument + " needs a file name";
          return false;
        }
        *target = WithoutQuotes(value);
      }
      return true;
    };
    if (argument == "--help" || argument == "-h") {
      line.mode = CommandLine::Mode::Help;
      return line;
    } else if (argument == "--list-commands") {
      line.mode = CommandLine::Mode::ListCommands;
      return line;
    } else if (argument == "--screenshot") {
      if (!take({&line.screenshotPath})) return line;
    } else if (argument == "--size") {
      if (i + 1 >= arguments.size() || !ParseSize(arguments[++i], &line.width, &line.height)) {
        line.error =
            "--size needs WIDTHxHEIGHT, each 1 to " + std::to_string(CommandLine::kMaxWindowSide);
        return line;
      }
    } else if (argument == "--info") {
      ++modes;
      line.mode = CommandLine::Mode::Info;
      if (!take({&line.inputPath})) return line;
    } else if (argument == "--convert") {
      ++modes;
      line.mode = CommandLine::Mode::Convert;
      if (!take({&line.inputPath, &line.outputPath})) return line;
    } else if (argument == "--batch") {
      ++modes;
      line.mode = CommandLine::Mode::Batch;
      if (!take({&line.scriptPath})) return line;
    } else if (argument.size() > 1 && argument.front() == '-') {
      line.error = "unknown option " + argument;
      return line;
    } else {
      positional.push_back(argument);
    }
  }

  if (modes > 1) {
    line.error = "--info, --convert and --batch cannot be combined";
    return line;
  }
  const bool tool = line.mode == CommandLine::Mode::Info || line.mode == CommandLine::Mode::Convert;
  if (!line.screenshotPath.empty() && line.mode != CommandLine::Mode::Window &&
      line.mode != CommandLine::Mode::Batch) {
    line.error = "--screenshot needs the window";
    return line;
  }
  if (line.width > 0 && tool) {
    line.error = "--size needs the window";
    return line;
  }
  if (tool && !positional.empty()) {
    line.error = "unexpected argument " + positional.front();
    return line;
  }
  if (positional.size() > 1) {
    line.error = "only one model can be opened";
    return line;
  }
  if (!positional.empty()) line.modelPath = WithoutQuotes(positional.front());
  return line;
}

bool RunsWithoutWindow(const std::vector<std::string>& arguments) {
  bool tool = false;
  bool screenshot = false;
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h" || argument == "--list-commands") return true;
    tool = tool || IsToolOption(argument);
    screenshot = screenshot || argument == "--screenshot" || argument == "--size";
  }
  // A script with a screenshot, or in a window of a given size, runs in the window.
  return tool && !screenshot;
}

int RunWithoutWindow(const CommandLine& line) {
  if (!line.error.empty()) {
    std::fprintf(stderr, "zmfedit: %s\n%s", line.error.c_str(), UsageText());
    return 2;
  }
  switch (line.mode) {
    case CommandLine::Mode::Help:
      std::fputs(HelpText().c_str(), stdout);
      return 0;
    case CommandLine::Mode::ListCommands:
      std::fputs(script::CommandListText().c_str(), stdout);
      return 0;
    case CommandLine::Mode::Info:
      return script::PrintModelInfo(line.inputPath, stdout, stderr);
    case CommandLine::Mode::Convert:
      return script::ConvertModel(line.inputPath, line.outputPath, stderr);
    case CommandLine::Mode::Batch:
      return script::RunBatchFile(line.scriptPath, line.modelPath, stderr);
    case CommandLine::Mode::Window:
      break;
  }
  std::fprintf(stderr, "zmfedit: this needs the window\n");
  return 2;
}

const char* UsageText() {
  return "usage: zmfedit [MODEL]\n"
         "       zmfedit --screenshot FILE.png [--batch SCRIPT] [MODEL]\n"
         "       zmfedit --size WxH [--screenshot FILE.png] --batch SCRIPT [MODEL]\n"
         "       zmfedit --info FILE\n"
         "       zmfedit --convert IN OUT\n"
         "       zmfedit --batch SCRIPT [MODEL]\n"
         "       zmfedit --list-commands\n"
         "       zmfedit --help\n"
         "\n"
         "Opens MODEL in the editor (a .zmf file; .bmp opens a background image).\n"
         "  --screenshot     shows the window once, saves it as a PNG image to FILE.png and "
         "exits;\n"
         "                   with --batch, runs SCRIPT in the window first (its \"screenshot "
         "FILE\"\n"
         "                   lines save the window as it stands then, .png or .bmp)\n"
         "  --size WxH       the window's size for --screenshot or --batch (default 800x640);\n"
         "                   --batch with --size runs SCRIPT in the window, whose mouse lines\n"
         "                   give pixels of that window's viewport\n"
         "The other forms need no display:\n"
         "  --info           loads FILE and prints its counts and bounding box\n"
         "  --convert        loads IN and saves it as OUT (.zmf, .glc for a Glintcast scene or\n"
         "                   .obj for an OBJ file with its MTL library);\n"
         "                   questions are answered Yes\n"
         "  --batch          runs SCRIPT, one command per line (--help lists them), on MODEL or\n"
         "                   an empty model\n"
         "  --list-commands  prints every command: identifier, script name, input, description\n"
         "Messages go to the error stream; the exit code is 1 after any error, 2 for a command\n"
         "line or script that cannot be understood.\n";
}

std::string HelpText() { return std::string(UsageText()) + "\n" + script::ScriptHelpText(); }

}  // namespace zmf::app

// The editor's command line: a model to open, a screenshot, or work without a window.
#pragma once

#include <string>
#include <vector>

namespace zmf::app {

struct CommandLine {
  enum class Mode {
    Window,        // zmfedit [MODEL], zmfedit --screenshot FILE.png [MODEL]
    Help,          // zmfedit --help
    Info,          // zmfedit --info FILE
    Convert,       // zmfedit --convert IN OUT
    Batch,         // zmfedit --batch SCRIPT [MODEL]
    ListCommands,  // zmfedit --list-commands
  };
  Mode mode = Mode::Window;
  std::string modelPath;       // the model to open; empty for none
  std::string screenshotPath;  // --screenshot: render one frame, save it, exit
  std::string inputPath;       // --info FILE, --convert IN
  std::string outputPath;      // --convert OUT
  std::string scriptPath;      // --batch SCRIPT
  // --size WIDTHxHEIGHT: the window's size for a screenshot or a script run in it (whose mouse
  // lines then give pixels of that window's viewport); 0 for the default size.
  int width = 0;
  int height = 0;
  static constexpr int kMaxWindowSide = 16384;
  std::string error;  // why the arguments were rejected; empty when they were accepted
};

// Parses the arguments after the program name. File names are taken as they are, except that
// surrounding double quotes are dropped ("\"my model.zmf\"" opens my model.zmf).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// True when the arguments ask for work without a window (--help, --list-commands, --info,
// --convert, --batch without --screenshot or --size): then no display is needed and no QApplication
// may be made.
bool RunsWithoutWindow(const std::vector<std::string>& arguments);

// Does that work: prints the help, the command list or a rejection, or runs the tool. Returns
// the exit code.
int RunWithoutWindow(const CommandLine& commandLine);

// The usage lines printed after a rejected command line, and at the start of --help.
const char* UsageText();

// What --help prints: the usage, then the lines a batch script may hold, from the command table.
std::string HelpText();

}  // namespace zmf::app

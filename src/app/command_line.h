// The editor's command line: a model to open, a screenshot, or work without a window.
#pragma once

#include <string>
#include <vector>

namespace zmf {

struct CommandLine {
  enum class Mode {
    Window,   // zmfedit [MODEL], zmfedit --screenshot FILE.png [MODEL]
    Help,     // zmfedit --help
    Info,     // zmfedit --info FILE
    Convert,  // zmfedit --convert IN OUT
    Batch,    // zmfedit --batch SCRIPT [MODEL]
  };
  Mode mode = Mode::Window;
  std::string modelPath;       // the model to open; empty for none
  std::string screenshotPath;  // --screenshot: render one frame, save it, exit
  std::string inputPath;       // --info FILE, --convert IN
  std::string outputPath;      // --convert OUT
  std::string scriptPath;      // --batch SCRIPT
  std::string error;           // why the arguments were rejected; empty when they were accepted
};

// Parses the arguments after the program name. File names are taken as they are, except that
// surrounding double quotes are dropped ("\"my model.zmf\"" opens my model.zmf).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// True when the arguments ask for work without a window (--help, --info, --convert, --batch):
// then no display is needed and no QApplication may be made.
bool RunsWithoutWindow(const std::vector<std::string>& arguments);

// Does that work: prints the usage or a rejection, or runs the tool. Returns the exit code.
int RunWithoutWindow(const CommandLine& commandLine);

// The usage lines printed by --help and after a rejected command line.
const char* UsageText();

}  // namespace zmf

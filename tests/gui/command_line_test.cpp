// The editor's command line.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace zmf {
namespace {

using Mode = app::CommandLine::Mode;

TEST(CommandLineTest, AcceptsAModelAScreenshotInEitherOrderAndTheToolModes) {
  struct Case {
    std::vector<std::string> arguments;
    Mode mode;
    std::string model, screenshot, input, output, script;
  };
  const std::vector<Case> cases = {
      {{}, Mode::Window, "", "", "", "", ""},
      {{"models/ship.zmf"}, Mode::Window, "models/ship.zmf", "", "", "", ""},
      {{"--screenshot", "out.png", "ship.zmf"}, Mode::Window, "ship.zmf", "out.png", "", "", ""},
      {{"ship.zmf", "--screenshot", "out.png"}, Mode::Window, "ship.zmf", "out.png", "", "", ""},
      // A lone "-" is a file name, not an option; surrounding quotes are dropped.
      {{"-"}, Mode::Window, "-", "", "", "", ""},
      {{"\"my ship.zmf\""}, Mode::Window, "my ship.zmf", "", "", "", ""},
      {{"\"\""}, Mode::Window, "", "", "", "", ""},
      {{"--info", "ship.zmf"}, Mode::Info, "", "", "ship.zmf", "", ""},
      {{"--convert", "in.zmf", "out.glc"}, Mode::Convert, "", "", "in.zmf", "out.glc", ""},
      {{"--batch", "run.txt", "ship.zmf"}, Mode::Batch, "ship.zmf", "", "", "", "run.txt"},
      {{"--batch", "run.txt"}, Mode::Batch, "", "", "", "", "run.txt"},
      // A script run in the window before its picture is taken.
      {{"--screenshot", "s.png", "--batch", "run.txt", "m.zmf"},
       Mode::Batch,
       "m.zmf",
       "s.png",
       "",
       "",
       "run.txt"},
  };
  for (const Case& c : cases) {
    const app::CommandLine line = app::ParseCommandLine(c.arguments);
    const std::string shown = c.arguments.empty() ? "(none)" : c.arguments.front();
    EXPECT_EQ(line.mode, c.mode) << shown;
    EXPECT_EQ(line.modelPath, c.model) << shown;
    EXPECT_EQ(line.screenshotPath, c.screenshot) << shown;
    EXPECT_EQ(line.inputPath, c.input) << shown;
    EXPECT_EQ(line.outputPath, c.output) << shown;
    EXPECT_EQ(line.scriptPath, c.script) << shown;
    EXPECT_EQ(line.error, "") << shown;
  }
  EXPECT_EQ(app::ParseCommandLine({"--help"}).mode, Mode::Help);
  EXPECT_EQ(app::ParseCommandLine({"ship.zmf", "-h"}).mode, Mode::Help);
  EXPECT_EQ(app::ParseCommandLine({"--list-commands"}).mode, Mode::ListCommands);

  EXPECT_TRUE(app::RunsWithoutWindow({"--info", "x"}));
  EXPECT_TRUE(app::RunsWithoutWindow({"x", "--help"}));
  EXPECT_TRUE(app::RunsWithoutWindow({"--list-commands"}));
  EXPECT_FALSE(app::RunsWithoutWindow({"--screenshot", "x.png", "m.zmf"}));
  EXPECT_FALSE(app::RunsWithoutWindow({"--batch", "run.txt", "--screenshot", "x.png"}));
  EXPECT_FALSE(app::RunsWithoutWindow({"-platform", "offscreen", "m.zmf"}));
  // A script in a window of a given size.
  EXPECT_FALSE(app::RunsWithoutWindow({"--batch", "run.txt", "--size", "10x10"}));
  const app::CommandLine sized = app::ParseCommandLine({"--size", "1600x1200", "--batch", "s"});
  EXPECT_EQ(std::pair(sized.width, sized.height), std::pair(1600, 1200));
  EXPECT_EQ(sized.error, "");
  EXPECT_EQ(app::ParseCommandLine({"m.zmf"}).width, 0);
}

TEST(CommandLineTest, RejectsWhatItCannotDo) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--screenshot"},
           {"--screenshot", ""},
           {"--no-such-option"},
           {"a.zmf", "b.zmf"},
           {"--info"},
           {"--info", "a.zmf", "b.zmf"},
           {"--convert", "in.zmf"},
           {"--batch"},
           {"--batch", "s.txt", "a.zmf", "b.zmf"},
           {"--info", "a.zmf", "--convert", "b.zmf", "c.zmf"},
           {"--info", "a.zmf", "--screenshot", "x.png"},
           {"--size"},
           {"--size", "0x5"},
           {"--size", "12x"},
           {"--size", "x12"},
           {"--size", "16385x2"},
           {"--size", "1e3x2"},
           {"--info", "a.zmf", "--size", "5x5"},
       }) {
    EXPECT_FALSE(app::ParseCommandLine(arguments).error.empty()) << arguments.front();
  }
}

}  // namespace
}  // namespace zmf

// The editor's command line.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace zmf {
namespace {

using Mode = CommandLine::Mode;

TEST(CommandLineTest, AcceptsAModelAndAScreenshotInEitherOrder) {
  EXPECT_TRUE(ParseCommandLine({}).modelPath.empty());
  EXPECT_EQ(ParseCommandLine({}).mode, Mode::Window);

  const CommandLine model = ParseCommandLine({"models/ship.zmf"});
  EXPECT_EQ(model.modelPath, "models/ship.zmf");
  EXPECT_TRUE(model.screenshotPath.empty());
  EXPECT_TRUE(model.error.empty());

  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--screenshot", "out.png", "ship.zmf"},
        std::vector<std::string>{"ship.zmf", "--screenshot", "out.png"}}) {
    const CommandLine line = ParseCommandLine(arguments);
    EXPECT_EQ(line.screenshotPath, "out.png");
    EXPECT_EQ(line.modelPath, "ship.zmf");
    EXPECT_TRUE(line.error.empty());
  }

  // A lone "-" is a file name, not an option; surrounding quotes are dropped.
  EXPECT_EQ(ParseCommandLine({"-"}).modelPath, "-");
  EXPECT_EQ(ParseCommandLine({"\"my ship.zmf\""}).modelPath, "my ship.zmf");
  EXPECT_EQ(ParseCommandLine({"\"a\""}).modelPath, "a");
  EXPECT_EQ(ParseCommandLine({"\"\""}).modelPath, "");
  EXPECT_EQ(ParseCommandLine({"--help"}).mode, Mode::Help);
  EXPECT_EQ(ParseCommandLine({"ship.zmf", "-h"}).mode, Mode::Help);
}

TEST(CommandLineTest, ToolModesTakeTheirFilesAndNeedNoWindow) {
  const CommandLine info = ParseCommandLine({"--info", "ship.zmf"});
  EXPECT_EQ(info.mode, Mode::Info);
  EXPECT_EQ(info.inputPath, "ship.zmf");
  EXPECT_TRUE(info.error.empty());

  const CommandLine convert = ParseCommandLine({"--convert", "in.zmf", "out.glc"});
  EXPECT_EQ(convert.mode, Mode::Convert);
  EXPECT_EQ(convert.inputPath, "in.zmf");
  EXPECT_EQ(convert.outputPath, "out.glc");

  const CommandLine batch = ParseCommandLine({"--batch", "run.txt", "ship.zmf"});
  EXPECT_EQ(batch.mode, Mode::Batch);
  EXPECT_EQ(batch.scriptPath, "run.txt");
  EXPECT_EQ(batch.modelPath, "ship.zmf");
  EXPECT_TRUE(ParseCommandLine({"--batch", "run.txt"}).modelPath.empty());

  EXPECT_TRUE(RunsWithoutWindow({"--info", "x"}));
  EXPECT_TRUE(RunsWithoutWindow({"x", "--help"}));
  EXPECT_FALSE(RunsWithoutWindow({"--screenshot", "x.png", "m.zmf"}));
  EXPECT_FALSE(RunsWithoutWindow({"-platform", "offscreen", "m.zmf"}));
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
       }) {
    EXPECT_FALSE(ParseCommandLine(arguments).error.empty()) << arguments.front();
  }
}

}  // namespace
}  // namespace zmf

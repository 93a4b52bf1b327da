// The editor's command line.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace zmf {
namespace {

TEST(CommandLineTest, AcceptsAModelAndAScreenshotInEitherOrder) {
  EXPECT_TRUE(ParseCommandLine({}).modelPath.isEmpty());

  const CommandLine model = ParseCommandLine({"models/ship.zmf"});
  EXPECT_EQ(model.modelPath, "models/ship.zmf");
  EXPECT_TRUE(model.screenshotPath.isEmpty());
  EXPECT_TRUE(model.error.isEmpty());

  for (const QStringList& arguments : {QStringList{"--screenshot", "out.png", "ship.zmf"},
                                       QStringList{"ship.zmf", "--screenshot", "out.png"}}) {
    const CommandLine line = ParseCommandLine(arguments);
    EXPECT_EQ(line.screenshotPath, "out.png");
    EXPECT_EQ(line.modelPath, "ship.zmf");
    EXPECT_TRUE(line.error.isEmpty());
  }

  // A lone "-" is a file name, not an option.
  EXPECT_EQ(ParseCommandLine({"-"}).modelPath, "-");
  EXPECT_TRUE(ParseCommandLine({"--help"}).showHelp);
}

TEST(CommandLineTest, RejectsWhatItCannotDo) {
  EXPECT_FALSE(ParseCommandLine({"--screenshot"}).error.isEmpty());
  EXPECT_FALSE(ParseCommandLine({"--screenshot", ""}).error.isEmpty());
  EXPECT_FALSE(ParseCommandLine({"--no-such-option"}).error.isEmpty());
  EXPECT_FALSE(ParseCommandLine({"a.zmf", "b.zmf"}).error.isEmpty());
}

}  // namespace
}  // namespace zmf

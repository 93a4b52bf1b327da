// The command table, the file commands, the Open and Save dispatch, and batch scripts.
#include "command/file_commands.h"

#include <set>

#include "batch_fixture.h"
#include "command/open_save.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using testing::ErrorBoxText;

using testing::ReadFile;
using testing::WriteFile;
using Boxes = std::vector<std::string>;

TEST(CommandTable, EveryEntryIsFoundByItsIdentifierAndName) {
  std::set<std::uint32_t> ids;
  std::set<std::string_view> names;
  for (const command::CommandEntry& entry : command::Commands()) {
    // Script-only commands have no identifier and a name; every other has a unique identifier.
    if (entry.id == 0) {
      EXPECT_FALSE(entry.scriptName.empty());
    } else {
      EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
      EXPECT_EQ(command::FindCommand(entry.id), &entry);
    }
    if (!entry.scriptName.empty()) {
      EXPECT_TRUE(names.insert(entry.scriptName).second) << entry.scriptName;
      EXPECT_EQ(command::FindCommand(entry.scriptName), &entry);
    }
    const bool file = entry.input == command::CommandInput::OpenFile ||
                      entry.input == command::CommandInput::SaveFile;
    EXPECT_EQ(entry.dialog != nullptr, file) << entry.scriptName;
  }
  EXPECT_EQ(command::FindCommand(1u), nullptr);
  EXPECT_EQ(command::FindCommand(std::string_view("")), nullptr);

  // The extension is the text after the last dot of the name, not of a folder.
  EXPECT_EQ(command::ExtensionOf("C:\\a.b\\model.zmf"), "zmf");
  EXPECT_EQ(command::ExtensionOf("/a.b/model"), "");
  EXPECT_EQ(command::ExtensionOf("model.tar.GLC"), "GLC");
  EXPECT_EQ(command::ExtensionOf("noext."), "");
}

class FileCommandsTest : public testing::ModelTest {
 protected:
  command::Refresh Run(std::uint32_t id, std::vector<std::string> arguments = {}) {
    command::CommandContext context(model, arguments, screenshot_);
    const command::Refresh refresh = command::FindCommand(id)->handler(context);
    problem_ = context.problem;
    return refresh;
  }

  struct RecordingScreenshot : ScreenshotWriter {
    bool WriteScreenshot(std::string_view path) override {
      paths.emplace_back(path);
      return true;
    }
    std::vector<std::string> paths;
  };

  testing::TempFolder folder;
  ScreenshotWriter* screenshot_ = nullptr;
  std::string problem_;
};

TEST_F(FileCommandsTest, NewOpenAndImportChooseWhatTheShellRefreshes) {
  testing::BuildOneTriangle(model);
  Run(command::kCommandNew);
  EXPECT_EQ(model.vertices.count(), 0u);
  EXPECT_EQ(model.materialCount, 1u);

  // Any extension but a bitmap's is a ZMF file. The whole model's box is ready for fitting the
  // view, and the model is committed.
  const std::string path = folder.File("m.txt2");
  WriteFile(path, testing::kOneTriangleText);
  EXPECT_EQ(Run(command::kCommandOpen, {path}), command::Refresh::FitView);
  model.vertices.head()->savedPosition = {7, 7, 7};
  Run(command::kCommandOpen, {path});
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_EQ(model.boundsMax, (Vector3{1, 1, 0}));
  EXPECT_EQ(model.vertices.head()->savedPosition, (Vector3{0, 0, 0}));
  EXPECT_TRUE(host.events().empty());

  Run(command::kCommandImportAnimations, {testing::kEverySectionFile});
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_EQ(model.boneCount, 2u);
}

TEST_F(FileCommandsTest, BitmapOpensAsBackgroundWithoutTouchingTheModel) {
  WriteFile(folder.File("ref.Bmp"), testing::SolidBmp64(1, 2, 3));
  testing::BuildOneTriangle(model);
  EXPECT_EQ(Run(command::kCommandOpen, {folder.File("ref.Bmp")}), command::Refresh::None);
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_EQ(textures.live().at(model.backgroundTexture).width, 64);
}

TEST_F(FileCommandsTest, SaveChoosesTheWriterByExtension) {
  testing::BuildOneTriangle(model);
  Run(command::kCommandSave, {folder.File("noextension")});
  EXPECT_EQ(ReadFile(folder.File("noextension")), testing::kOneTriangleText);
  Run(command::kCommandSave, {folder.File("scene.GLC")});
  EXPECT_EQ(ReadFile(folder.File("scene.GLC")).substr(0, 7), "HEADER\n");
  EXPECT_TRUE(host.events().empty());
  EXPECT_TRUE(problem_.empty());

  // A screenshot needs the viewport.
  Run(command::kCommandSave, {folder.File("shot.bmp")});
  EXPECT_EQ(host.BoxTexts(),
            Boxes{ErrorBoxText("Could not write to file:", folder.File("shot.bmp"))});
  RecordingScreenshot viewport;
  screenshot_ = &viewport;
  Run(command::kCommandSave, {folder.File("shot.BMP")});
  EXPECT_EQ(viewport.paths, Boxes{folder.File("shot.BMP")});

  // An empty model writes nothing: the window says nothing, a script is told.
  Run(command::kCommandNew);
  host.ClearEvents();
  Run(command::kCommandSave, {folder.File("empty.zmf")});
  EXPECT_FALSE(testing::FileExists(folder.File("empty.zmf")));
  EXPECT_TRUE(host.events().empty());
  EXPECT_EQ(problem_,
            "nothing was saved to " + folder.File("empty.zmf") + ": the model has no vertices");
}

using FileBatchTest = testing::BatchScriptTest;

TEST_F(FileBatchTest, OpensAFixtureAndSavesItUnchanged) {
  testing::CopyEverySection(folder, "every.zmf");
  // Comments, blank lines, quotes, trailing blanks, Windows line ends, commands by number.
  EXPECT_EQ(Run("# copy a model\nopen @/every.zmf\n\n  save \"@/copy one.zmf\"  \r\n"
                "32773 @/copy.glc\nnew\n32772 \"@/copy one.zmf\"\nimport-animations @/every.zmf\n"
                "save \"@/copy two.zmf\""),
            0)
      << printed;
  EXPECT_EQ(printed, "");
  // Read, written, read again and written again.
  EXPECT_EQ(Saved("copy one.zmf"), testing::EverySectionTextReadBack());
  EXPECT_EQ(Saved("copy two.zmf"), testing::EverySectionTextReadBack());
  EXPECT_EQ(Saved("copy.glc").substr(0, 7), "HEADER\n");
}

TEST_F(FileBatchTest, ErrorBoxesArePrintedWhereTheyHappenAndFailTheRun) {
  // Boxes go where the script's own messages go, in order.
  std::FILE* errors = std::tmpfile();
  script::BatchHost printing(errors);
  Model own(printing, textures);
  const std::string missing = folder.File("missing.zmf");
  EXPECT_EQ(
      script::RunBatchScript(own, printing, "new\nopen " + missing + "\n" + SaveLine("out.zmf"),
                             "run.txt", errors),
      1);
  std::rewind(errors);
  char text[1024] = {};
  EXPECT_GT(std::fread(text, 1, sizeof text - 1, errors), 0u);
  std::fclose(errors);
  EXPECT_EQ(std::string(text),
            "run.txt:2: ERROR: " + ErrorBoxText("Could not open file:", missing) +
                "\nrun.txt:3: nothing was saved to " + folder.File("out.zmf") +
                ": the model has no vertices\n");
}

TEST_F(FileBatchTest, ScriptsThatCannotBeUnderstoodRunNothing) {
  EXPECT_EQ(Run("open " + testing::kEverySectionFile + "\nsave @/out.zmf\n" +
                "frobnicate\nsave\nnew now\nsave \"unclosed\npick 777 2\napply 556777 1 2 3\n"
                "pick\ncancel please\n99999\nscreenshot\n"),
            2);
  EXPECT_FALSE(testing::FileExists(folder.File("out.zmf")));
  EXPECT_EQ(printed,
            "script.txt:3: unknown command frobnicate\n"
            "script.txt:4: save takes one file name\n"
            "script.txt:5: new takes no arguments\n"
            "script.txt:6: a quote is not closed\n"
            "script.txt:7: no list 777\n"
            "script.txt:8: no button 556777\n"
            "script.txt:9: pick needs a list and a position (pick LIST POSITION)\n"
            "script.txt:10: cancel takes no arguments\n"
            "script.txt:11: unknown command 99999\n"
            "script.txt:12: screenshot needs one file name\n");
}

TEST_F(FileBatchTest, AnswerLinesQueueReplies) {
  // No file command asks a question; the queue is what later commands' questions read.
  EXPECT_EQ(Run("answer yes\nanswer  1 2 3 \ncancel\nanswer\n"), 0);
  EXPECT_TRUE(host.AskYesNo("q", "c"));
  EXPECT_EQ(host.Prompt("p:d"), std::optional<std::string>("1 2 3"));
  EXPECT_EQ(host.Prompt("p:d"), std::nullopt);
  EXPECT_EQ(host.Prompt("p:d"), std::optional<std::string>(""));
  EXPECT_FALSE(host.AskYesNo("q", "c"));  // nothing queued: No
  host.SetUnscriptedAnswer(true);
  EXPECT_TRUE(host.AskYesNo("q", "c"));
}

TEST_F(FileBatchTest, ScreenshotLinesAndBitmapSavesGoToTheWindow) {
  // Without a window there is nothing to take a picture of: the run fails and goes on.
  EXPECT_EQ(Run("screenshot @/a.png\nadd-triad\n"), 1);
  EXPECT_EQ(printed, "script.txt:1: screenshot needs the window (zmfedit --screenshot)\n");
  EXPECT_EQ(model.vertices.count(), 4u);  // the triad's three points and its origin

  struct Window : ScreenshotWriter {
    bool WriteScreenshot(std::string_view path) override {
      paths.emplace_back(path);
      return path.find("full") == std::string_view::npos;
    }
    std::vector<std::string> paths;
  } window;
  const script::BatchTarget target{session.editor, session.clock, &window};
  std::FILE* errors = std::tmpfile();
  EXPECT_EQ(script::RunBatchScript(model, host, "screenshot a.png\nsave \"b c.bmp\"\n", "s.txt",
                                   errors, {}, target),
            0);
  EXPECT_EQ(window.paths, (std::vector<std::string>{"a.png", "b c.bmp"}));
  // A picture that could not be written fails the run (the window said why).
  EXPECT_EQ(script::RunBatchScript(model, host, "screenshot disk-full.bmp\n", "s.txt", errors, {},
                                   target),
            1);
  std::fclose(errors);
}

}  // namespace
}  // namespace zmf

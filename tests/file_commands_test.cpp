// The command table, the file commands, the Open and Save dispatch, and batch scripts.
#include "command/file_commands.h"

#include <cstdio>
#include <set>

#include "command/batch.h"
#include "file_fixture.h"
#include "format/open_save.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::string Box(const std::string& message, const std::string& detail) {
  return message + " " + detail + " The application will continue.";
}

TEST(CommandTable, EveryEntryIsFoundByItsIdentifierAndName) {
  std::set<std::uint32_t> ids;
  std::set<std::string_view> names;
  for (const CommandEntry& entry : Commands()) {
    // Script-only commands have no identifier and a name; every other has a unique identifier.
    if (entry.id == 0) {
      EXPECT_FALSE(entry.scriptName.empty());
    } else {
      EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
      EXPECT_EQ(FindCommand(entry.id), &entry);
    }
    EXPECT_TRUE(entry.scriptName.empty() || names.insert(entry.scriptName).second);
    if (!entry.scriptName.empty()) {
      EXPECT_EQ(FindCommand(entry.scriptName), &entry);
    }
    const bool file =
        entry.input == CommandInput::OpenFile || entry.input == CommandInput::SaveFile;
    EXPECT_EQ(entry.dialog != nullptr, file) << entry.scriptName;
  }
  EXPECT_EQ(FindCommand(1u), nullptr);
  EXPECT_EQ(FindCommand(std::string_view("")), nullptr);
}

TEST(OpenSaveDispatch, ExtensionIsTheTextAfterTheLastDotOfTheName) {
  EXPECT_EQ(ExtensionOf("C:\\a.b\\model.zmf"), "zmf");
  EXPECT_EQ(ExtensionOf("/a.b/model"), "");
  EXPECT_EQ(ExtensionOf("model.tar.GLC"), "GLC");
  EXPECT_EQ(ExtensionOf("dir/.hidden"), "hidden");
  EXPECT_EQ(ExtensionOf("noext."), "");
}

class FileCommandsTest : public testing::ModelTest {
 protected:
  Refresh Run(std::uint32_t id, std::vector<std::string> arguments = {}) {
    CommandContext context(model, arguments, screenshot_);
    const Refresh refresh = FindCommand(id)->handler(context);
    problem_ = context.problem;
    return refresh;
  }

  struct RecordingScreenshot : ScreenshotWriter {
    void SaveScreenshot(std::string_view path) override { paths.emplace_back(path); }
    std::vector<std::string> paths;
  };

  ScreenshotWriter* screenshot_ = nullptr;
  std::string problem_;
};

TEST_F(FileCommandsTest, NewAndOpenChooseWhatTheShellRefreshes) {
  testing::BuildOneTriangle(model);
  EXPECT_EQ(Run(kCommandNew), Refresh::ResetCamera);
  EXPECT_EQ(model.vertices.count(), 0u);
  EXPECT_EQ(model.materialCount, 1u);

  TempFolder folder;
  const std::string path = folder.File("m.ZMF");
  WriteFile(path, testing::kOneTriangleText);
  EXPECT_EQ(Run(kCommandOpen, {path}), Refresh::FitView);
  EXPECT_EQ(model.vertices.count(), 3u);
  // The whole model's box, ready for fitting the view; the model is committed.
  model.vertices.head()->savedPosition = {7, 7, 7};
  EXPECT_EQ(Run(kCommandOpen, {path}), Refresh::FitView);
  EXPECT_EQ(model.boundsMax, (Vector3{1, 1, 0}));
  EXPECT_EQ(model.radiusSquared, 2.0f);
  EXPECT_EQ(model.vertices.head()->savedPosition, (Vector3{0, 0, 0}));

  // Any other extension is a ZMF file too.
  WriteFile(folder.File("m.txt2"), testing::kOneTriangleText);
  EXPECT_EQ(Run(kCommandOpen, {folder.File("m.txt2")}), Refresh::FitView);
  EXPECT_TRUE(host.events().empty());
}

TEST_F(FileCommandsTest, BitmapOpensAsBackgroundWithoutTouchingTheModel) {
  TempFolder folder;
  WriteFile(folder.File("ref.Bmp"), testing::SolidBmp64(1, 2, 3));
  testing::BuildOneTriangle(model);
  EXPECT_EQ(Run(kCommandOpen, {folder.File("ref.Bmp")}), Refresh::None);
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_NE(model.backgroundTexture, 0u);
  EXPECT_EQ(textures.live().at(model.backgroundTexture).width, 64);
  // A second background replaces the first; a model load clears it.
  const std::uint32_t first = model.backgroundTexture;
  Run(kCommandOpen, {folder.File("ref.Bmp")});
  EXPECT_EQ(textures.live().count(first), 0u);
  WriteFile(folder.File("m.zmf"), testing::kOneTriangleText);
  Run(kCommandOpen, {folder.File("m.zmf")});
  EXPECT_EQ(model.backgroundTexture, 0u);
  EXPECT_TRUE(textures.live().empty());
}

TEST_F(FileCommandsTest, FormatsWithoutAnImporterAreReportedAndChangeNothing) {
  testing::BuildOneTriangle(model);
  for (const char* name : {"a.3ds", "b.MD5MESH", "c.x", "d.zqd", "e.txt", "f.TGA"}) {
    host.ClearEvents();
    const std::string path = std::string("/some/folder/") + name;
    EXPECT_EQ(Run(kCommandOpen, {path}), Refresh::View);
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{Box("Unrecognized file format:", path)});
    EXPECT_EQ(model.vertices.count(), 3u);
  }
}

TEST_F(FileCommandsTest, SaveChoosesTheWriterByExtension) {
  TempFolder folder;
  testing::BuildOneTriangle(model);
  EXPECT_EQ(Run(kCommandSave, {folder.File("out.zmf")}), Refresh::None);
  EXPECT_EQ(ReadFile(folder.File("out.zmf")), testing::kOneTriangleText);
  Run(kCommandSave, {folder.File("scene.GLC")});
  EXPECT_EQ(ReadFile(folder.File("scene.GLC")).substr(0, 7), "HEADER\n");
  Run(kCommandSave, {folder.File("noextension")});
  EXPECT_EQ(ReadFile(folder.File("noextension")), testing::kOneTriangleText);
  EXPECT_TRUE(host.events().empty());
  EXPECT_TRUE(problem_.empty());

  // A screenshot needs the viewport.
  Run(kCommandSave, {folder.File("shot.bmp")});
  EXPECT_EQ(host.BoxTexts(),
            std::vector<std::string>{Box("Could not write to file:", folder.File("shot.bmp"))});
  RecordingScreenshot viewport;
  screenshot_ = &viewport;
  Run(kCommandSave, {folder.File("shot.BMP")});
  EXPECT_EQ(viewport.paths, std::vector<std::string>{folder.File("shot.BMP")});

  // An empty model writes nothing: the window says nothing, a script is told.
  Run(kCommandNew);
  host.ClearEvents();
  Run(kCommandSave, {folder.File("empty.zmf")});
  EXPECT_FALSE(testing::FileExists(folder.File("empty.zmf")));
  EXPECT_TRUE(host.events().empty());
  EXPECT_EQ(problem_,
            "nothing was saved to " + folder.File("empty.zmf") + ": the model has no vertices");
}

TEST_F(FileCommandsTest, ImportAnimationsTakesTheSkeleton) {
  testing::BuildOneTriangle(model);
  EXPECT_EQ(Run(kCommandImportAnimations, {testing::kEverySectionFile}), Refresh::View);
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_EQ(model.boneCount, 2u);
  EXPECT_EQ(model.animationCount, 1u);
}

// Runs a script with its messages captured.
struct BatchRun {
  int exitCode = 0;
  std::string errors;
};

BatchRun RunScript(Model& model, BatchHost& host, std::FILE* errors, const std::string& script) {
  BatchRun run;
  run.exitCode = RunBatchScript(model, host, script, "run.txt", errors);
  std::fflush(errors);
  std::rewind(errors);
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, errors)) > 0) run.errors.append(buffer, got);
  return run;
}

class BatchTest : public ::testing::Test {
 protected:
  BatchRun Run(const std::string& script) {
    std::FILE* errors = std::tmpfile();
    BatchHost host(errors);
    RecordingTextureStore textures;
    Model model(host, textures);
    BatchRun run = RunScript(model, host, errors, script);
    std::fclose(errors);
    return run;
  }
};

TEST_F(BatchTest, OpensAFixtureAndSavesItUnchanged) {
  TempFolder folder;
  WriteFile(folder.File("every.zmf"), ReadFile(testing::kEverySectionFile));
  for (const char* bmp : testing::kEverySectionBmps) {
    WriteFile(folder.File(bmp), testing::SolidBmp64(10, 20, 30));
  }
  const BatchRun run =
      Run("# copy a model\n"
          "open " +
          folder.File("every.zmf") +
          "\n"
          "\n"
          "  save \"" +
          folder.File("copy one.zmf") +
          "\"  \r\n"
          "32773 " +
          folder.File("copy.glc") +
          "\n"
          "new\n"
          "32772 \"" +
          folder.File("copy one.zmf") +
          "\"\n"
          "import-animations " +
          folder.File("every.zmf") +
          "\n"
          "save \"" +
          folder.File("copy two.zmf") + "\"");
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  // The last texture's mode 10 has no ALPHA word; read back it is mode 0, which has one.
  std::string expected = ReadFile(testing::kEverySectionFile);
  const std::string keyed = "FILE keyed.bmp\n";
  const std::string saved = ReadFile(folder.File("copy one.zmf"));
  EXPECT_EQ(saved, expected.insert(expected.find(keyed) + keyed.size(), "\t\t\tALPHA NONE\n"));
  EXPECT_EQ(ReadFile(folder.File("copy two.zmf")), saved);
  EXPECT_EQ(ReadFile(folder.File("copy.glc")).substr(0, 7), "HEADER\n");
}

TEST_F(BatchTest, ErrorBoxesArePrintedWhereTheyHappenAndFailTheRun) {
  TempFolder folder;
  const std::string missing = folder.File("missing.zmf");
  const BatchRun run = Run("new\nopen " + missing + "\nsave " + folder.File("out.zmf") + "\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "run.txt:2: ERROR: " + Box("Could not open file:", missing) +
                            "\nrun.txt:3: nothing was saved to " + folder.File("out.zmf") +
                            ": the model has no vertices\n");
}

TEST_F(BatchTest, ScriptsThatCannotBeUnderstoodRunNothing) {
  TempFolder folder;
  const std::string out = folder.File("out.zmf");
  const BatchRun run = Run("open " + testing::kEverySectionFile +
                           "\n"
                           "save " +
                           out +
                           "\n"
                           "frobnicate\n"
                           "save\n"
                           "new now\n"
                           "save \"unclosed\n"
                           "pick 501 2\n"
                           "apply 555 1 2 3\n"
                           "pick\n"
                           "cancel please\n"
                           "99999\n");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_FALSE(testing::FileExists(out));
  EXPECT_EQ(run.errors,
            "run.txt:3: unknown command frobnicate\n"
            "run.txt:4: save takes one file name\n"
            "run.txt:5: new takes no arguments\n"
            "run.txt:6: a quote is not closed\n"
            "run.txt:7: no list 501\n"
            "run.txt:8: no button 555\n"
            "run.txt:9: pick needs a list and a position (pick LIST POSITION)\n"
            "run.txt:10: cancel takes no arguments\n"
            "run.txt:11: unknown command 99999\n");
}

TEST_F(BatchTest, AnswerLinesQueueReplies) {
  // No file command asks a question; the queue is what later commands' questions read.
  std::FILE* errors = std::tmpfile();
  BatchHost host(errors);
  RecordingTextureStore textures;
  Model model(host, textures);
  const BatchRun run =
      RunScript(model, host, errors, "answer yes\nanswer  1 2 3 \ncancel\nanswer\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(host.AskYesNo("q", "c"));
  EXPECT_EQ(host.Prompt("p:d"), std::optional<std::string>("1 2 3"));
  EXPECT_EQ(host.Prompt("p:d"), std::nullopt);
  EXPECT_EQ(host.Prompt("p:d"), std::optional<std::string>(""));
  EXPECT_FALSE(host.AskYesNo("q", "c"));  // nothing queued: No
  host.SetUnscriptedAnswer(true);
  EXPECT_TRUE(host.AskYesNo("q", "c"));
  std::fclose(errors);
}

}  // namespace
}  // namespace zmf

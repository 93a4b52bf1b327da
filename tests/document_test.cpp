// The document: its name and kind, the saved state every change path moves, failed opens that
// change nothing, and the recovery files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <span>

#include "batch_fixture.h"
#include "command/command_table.h"
#include "command/file_commands.h"
#include "command/open_save.h"
#include "format/recovery_files.h"
#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "model/validate_model.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using testing::ReadFile;
using testing::WriteFile;

// Answers every question Yes and every prompt with numbers that every prompt takes.
class AgreeingHost final : public ScriptedHost {
 public:
  AgreeingHost() { SetUnscriptedAnswer(true); }
  std::optional<std::string> Prompt(std::string_view) override { return "2 2 2"; }
};

// Any command that changes what a saved file holds leaves the model with unsaved changes,
// whether it goes through the undo journal or not; looking around, selecting and picking do not.
TEST(DocumentChanges, EveryCommandThatChangesTheFileMarksTheModelUnsaved) {
  testing::TempFolder folder;
  const std::string path = testing::CopyEverySection(folder, "every.zmf");
  const command::CommandInput kTaken[] = {command::CommandInput::None,
                                          command::CommandInput::ListPick};
  AgreeingHost host;
  RecordingTextureStore textures;
  Model model(host, textures);
  for (const command::CommandEntry& entry : command::Commands()) {
    if (std::find(std::begin(kTaken), std::end(kTaken), entry.input) == std::end(kTaken)) {
      continue;
    }
    for (const bool selected : {false, true}) {
      // Read again into the same model: a model of its own for each command costs more.
      ASSERT_TRUE(format::ReadModelFile(model, path));
      model.Commit();
      model.journal.Reset();
      model.MarkSaved();
      if (selected) model.SelectAll();
      model.currentBone = model.currentAnimation = model.currentKey = model.currentKeyBone = 0;
      const std::string before = format::WriteModelText(model);

      view::EditorState editor;
      ManualClock clock;
      MemoryClipboard clipboard;
      const std::string row[] = {"0"};
      command::CommandContext context(model, entry.input == command::CommandInput::ListPick
                                                 ? std::span<const std::string>(row)
                                                 : std::span<const std::string>());
      context.editor = &editor;
      context.clock = &clock;
      context.clipboard = &clipboard;
      command::FinishCommand(context, entry.handler(context));
      const std::string after = format::WriteModelText(model);
      // New empties the model and starts a clean, untitled document.
      if (entry.id == command::kCommandNew) {
        EXPECT_FALSE(model.HasUnsavedChanges());
      } else if (after != before) {
        EXPECT_TRUE(model.HasUnsavedChanges()) << entry.scriptName << " " << entry.id;
      }
    }
  }
}

class DocumentScriptTest : public testing::BatchScriptTest {
 protected:
  DocumentScriptTest() { setenv("XDG_STATE_HOME", folder.File("state").c_str(), 1); }
  ~DocumentScriptTest() override { unsetenv("XDG_STATE_HOME"); }

  // The facts a "document" line writes.
  std::string Facts() {
    printed.clear();
    host.ClearEvents();
    EXPECT_EQ(Run("document @/facts.txt\n"), 0) << printed;
    return ReadFile(folder.File("facts.txt"));
  }
};

TEST_F(DocumentScriptTest, TheNameChangesOnlyWhenAModelIsOpenedOrSavedAsZmf) {
  EXPECT_EQ(Facts(), "name untitled.zmf\nkind untitled\nunsaved no\nundo no\nredo no\n");
  ASSERT_EQ(Run("add-pyramid\n"), 0) << printed;
  EXPECT_EQ(Facts(), "name untitled.zmf\nkind untitled\nunsaved yes\nundo yes\nredo no\n");
  ASSERT_EQ(Run("undo\n"), 0);
  EXPECT_EQ(Facts(), "name untitled.zmf\nkind untitled\nunsaved yes\nundo no\nredo yes\n");
  ASSERT_EQ(Run("redo\nsave @/pyramid.zmf\n"), 0) << printed;
  const std::string saved = "name " + folder.File("pyramid.zmf") + "\nkind zmf\n";
  EXPECT_EQ(Facts(), saved + "unsaved no\nundo yes\nredo no\n");

  // A scene export, a background picture and a texture never name the document.
  WriteFile(folder.File("wood.bmp"), testing::SolidBmp64(1, 2, 3));
  ASSERT_EQ(Run("add-box\nsave @/scene.glc\nopen @/wood.bmp\nload-image @/wood.bmp\n"), 0)
      << printed;
  EXPECT_EQ(Facts().substr(0, saved.size() + 12), saved + "unsaved yes\n");

  // A save that fails keeps the name and the unsaved state, and fails the script.
  host.ClearEvents();
  EXPECT_EQ(Run("save @/missing/folder/x.zmf\n"), 1);
  EXPECT_EQ(Facts().substr(0, saved.size() + 12), saved + "unsaved yes\n");

  // An import is named after itself with ".zmf", clean; New is untitled and clean.
  WriteFile(folder.File("points.txt"), "0.0 0.0 0.0\n1.0 0.0 0.0\n0.0 1.0 0.0\n0 1 2\n");
  ASSERT_EQ(Run("open @/points.txt\n"), 0) << printed;
  EXPECT_EQ(Facts(), "name " + folder.File("points.zmf") +
                         "\nkind imported\nunsaved no\nundo no\nredo no\n");
  ASSERT_EQ(Run("new\n"), 0);
  EXPECT_EQ(Facts(), "name untitled.zmf\nkind untitled\nunsaved no\nundo no\nredo no\n");
}

TEST_F(DocumentScriptTest, AFileThatCannotBeOpenedChangesNothing) {
  const std::string path = testing::CopyEverySection(folder, "every.zmf");
  ASSERT_EQ(Run("open " + path + "\nselect-all\nadd-pyramid\nsave @/before.zmf\nadd-box\n"), 0)
      << printed;
  const std::string facts = Facts();
  const std::uint32_t selected = model.vertices.selCount();

  const std::pair<const char*, std::string> kBadFiles[] = {
      {"binary.x", "xof 0303bin 0032\x01\x02"},
      {"nothing.x", "xof 0303txt 0032\nMesh m {\n0;\n0;\n}\n"},
      {"refused.tga", std::string("\0\0\x21\0\0\0\0\0\0\0\0\0\x01\0\x01\0\x18\0\x01\x02\x03", 21)},
      {"short.3ds", "MM"},
      {"empty.txt", "0\n0\n"},
      {"future.zmf", "ZMF\nVERSION { 3.00 }\nVERTICES { POSITION 1 0 0 0 }\n"},
      {"other.zmf", "PLY\n"},
      {"layout.zmf", "ZMF\nVERTICES { POSITIONS 1 0 0 0 }\n"},
  };
  for (const auto& [name, bytes] : kBadFiles) {
    WriteFile(folder.File(name), bytes);
    host.ClearEvents();
    EXPECT_EQ(Run("open @/" + std::string(name) + "\n"), 1) << name;
    EXPECT_EQ(host.errorCount(), 1u) << name;
    EXPECT_EQ(Facts(), facts) << name;
    EXPECT_EQ(model.vertices.selCount(), selected) << name;
    ValidateModel(model);
  }
  host.ClearEvents();
  EXPECT_EQ(Run("open @/never-there.zmf\nundo\nsave @/after.zmf\n"), 1);
  EXPECT_EQ(Saved("after.zmf"), Saved("before.zmf"));
}

TEST(RecoveryFiles, EachCopyIsAFileOfItsOwnAndTheTenNewestAreKept) {
  testing::TempFolder folder;
  const std::string recovery = folder.File("recovery");
  const std::time_t noon = 1796731200;  // a fixed second
  std::vector<std::string> written;
  for (int i = 0; i < 12; ++i) {
    const std::string text = "ZMF\nVERTICES { POSITION_NORMAL " + std::to_string(i + 1) +
                             "\n}\nFACES { " + std::to_string(2 * i) + "\n}\n";
    written.push_back(format::WriteRecoveryFile(recovery, "/models/worm.ZMF", {text}, noon));
    ASSERT_FALSE(written.back().empty());
  }
  const std::vector<format::RecoveryFile> files = format::ListRecoveryFiles(recovery);
  ASSERT_EQ(files.size(), 10u);
  // Newest first, none written over; the two oldest went.
  EXPECT_EQ(files.front().path, written.back());
  EXPECT_EQ(files.back().path, written[2]);
  EXPECT_EQ(files.front().vertices, 12u);
  EXPECT_EQ(files.front().faces, 22u);
  EXPECT_EQ(files.front().name, "worm.zmf");
  // worm-YYYYMMDD-HHMMSS.zmf
  EXPECT_EQ(written[0].size(), recovery.size() + std::string("/worm-20261208-120000.zmf").size());
  EXPECT_EQ(written[0].substr(0, recovery.size() + 6), recovery + "/worm-");
  EXPECT_EQ(written[1], written[0].substr(0, written[0].size() - 4) + "-2.zmf");
  EXPECT_EQ(format::DocumentNameOfRecoveryFile(written[1]), "worm.zmf");
  EXPECT_EQ(format::DocumentNameOfRecoveryFile("/a/plain.zmf"), "plain.zmf");
  EXPECT_TRUE(format::ListRecoveryFiles(folder.File("none")).empty());
}

TEST(RecoveryFiles, TexturesAreNamedByAbsolutePathSoTheCopyFindsThem) {
  testing::TempFolder folder;
  const std::string path = testing::CopyEverySection(folder, "every.zmf");
  ScriptedHost host;
  RecordingTextureStore textures;
  Model model(host, textures);
  ASSERT_EQ(command::OpenModel(model, path), command::Opened::Model);
  const std::string text = format::WriteModelText(model, format::TextureNames::AbsolutePath);
  EXPECT_NE(text.find("FILE " + folder.File("wood.bmp") + "\n"), std::string::npos);
  const std::string copy = format::WriteRecoveryFile(folder.File("state"), "every.zmf", {text}, 0);
  Model recovered(host, textures);
  host.ClearEvents();
  ASSERT_EQ(command::OpenModel(recovered, copy), command::Opened::Model);
  EXPECT_TRUE(host.events().empty());
  EXPECT_NE(recovered.materials[1].texture, 0u);
  // Ordinary saves still name the file alone.
  EXPECT_NE(format::WriteModelText(model).find("FILE wood.bmp\n"), std::string::npos);
}

}  // namespace
}  // namespace zmf

// Error boxes, the scripted host, the fixed tables' defaults, and path splitting.
#include <string>

#include "model/paths.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;

TEST(ErrorBox, EachSeverityHasItsTextTitleAndButtons) {
  const MessageBoxRequest error = MakeErrorBox("Bad vertex format:", "POSITIONS", Severity::Error);
  EXPECT_EQ(error.text, "Bad vertex format: POSITIONS The application will continue.");
  EXPECT_EQ(error.title, "ERROR");
  EXPECT_EQ(error.buttons, MessageBoxRequest::Buttons::Ok);
  EXPECT_EQ(error.icon, MessageBoxRequest::Icon::Information);
  EXPECT_TRUE(error.ownedByMainWindow);

  const MessageBoxRequest serious = MakeErrorBox("Out of memory.", "ignored", Severity::Serious);
  EXPECT_EQ(serious.text, "Out of memory. Continue the application?");
  EXPECT_EQ(serious.title, "SERIOUS ERROR");
  EXPECT_EQ(serious.buttons, MessageBoxRequest::Buttons::YesNo);
  EXPECT_EQ(serious.icon, MessageBoxRequest::Icon::Question);
  EXPECT_FALSE(serious.ownedByMainWindow);

  const MessageBoxRequest shutdown = MakeErrorBox("No OpenGL.", "ignored", Severity::Shutdown);
  EXPECT_EQ(shutdown.text, "No OpenGL. The application cannot continue.");
  EXPECT_EQ(shutdown.title, "SHUTDOWN ERROR");
  EXPECT_EQ(shutdown.icon, MessageBoxRequest::Icon::Stop);

  // A warning reads as an error does, under its own title and icon.
  const MessageBoxRequest warning =
      MakeErrorBox("The OBJ file was read with warnings:", "line 3", Severity::Warning);
  EXPECT_EQ(warning.text,
            "The OBJ file was read with warnings: line 3 The application will continue.");
  EXPECT_EQ(warning.title, "Warning");
  EXPECT_EQ(warning.buttons, MessageBoxRequest::Buttons::Ok);
  EXPECT_EQ(warning.icon, MessageBoxRequest::Icon::Warning);
  EXPECT_TRUE(warning.ownedByMainWindow);

  // Long texts are not cut.
  const std::string longPath(5000, 'p');
  EXPECT_EQ(MakeErrorBox("Could not open file:", longPath, Severity::Error).text.size(),
            std::string("Could not open file: ").size() + 5000 +
                std::string(" The application will continue.").size());
}

TEST(ErrorBox, ScriptedHostRecordsBoxesAndAnswersInOrder) {
  ScriptedHost host;
  host.QueueYes(true);
  host.QueueText("cube 3 1.0");
  EXPECT_TRUE(host.ErrorBox("Keep going?", "", Severity::Serious));  // takes the queued Yes
  EXPECT_EQ(host.Prompt("Enter name:default"), "cube 3 1.0");
  EXPECT_FALSE(host.Prompt("Enter name:default"));  // nothing queued: cancelled
  EXPECT_FALSE(host.AskYesNo("Delete all?", "Delete"));
  host.QueueText("YES");  // scripts may write the answer in any case
  host.QueueText("y");
  EXPECT_TRUE(host.AskYesNo("Split?", "Split Option"));
  EXPECT_FALSE(host.AskYesNo("Split?", "Split Option"));
  EXPECT_FALSE(host.ErrorBox("Could not open file:", "a.zmf", Severity::Error));

  EXPECT_THAT(host.BoxTexts(),
              ElementsAre("Keep going? Continue the application?",
                          "Could not open file: a.zmf The application will continue."));
  EXPECT_EQ(host.errorCount(), 2u);
  ASSERT_EQ(host.events().size(), 7u);
  EXPECT_EQ(host.events()[3].kind, ScriptedHost::Event::Kind::Question);
  EXPECT_EQ(host.events()[3].title, "Delete");
}

using Tables = ModelTest;

// The default material's values are in every saved model's text (kDefaultMaterialText).
TEST_F(Tables, DefaultsNamesAndBoneLookup) {
  model.materials[5].name.Set("gold");
  model.materials[5].texture = 9;
  model.SetMaterialDefaults(5);
  EXPECT_EQ(model.materials[5].name, "default");
  EXPECT_EQ(model.materials[5].texture, 0u);
  EXPECT_TRUE(textures.deleted().empty());   // defaults never delete a texture themselves
  model.SetMaterialDefaults(kMaxMaterials);  // outside the table: ignored

  Name32 name(std::string(40, 'n'));
  EXPECT_EQ(name.size(), 31u);
  EXPECT_EQ(name.view(), std::string(31, 'n'));

  EXPECT_EQ(model.bones[127].bindMatrix, Matrix4::Identity());
  EXPECT_EQ(model.animation(31).keys[31].keyBones[127].matrix, Matrix4::Identity());

  model.boneCount = 3;
  model.bones[0].name.Set("hip");
  model.bones[1].name.Set("arm");
  model.bones[2].name.Set("arm");
  model.bones[3].name.Set("leg");  // beyond the count
  EXPECT_EQ(model.FindBoneByName("arm"), 1);
  EXPECT_EQ(model.FindBoneByName("hip"), 0);
  EXPECT_EQ(model.FindBoneByName("leg"), -1);
  EXPECT_EQ(model.FindBoneByName("Arm"), -1);
  EXPECT_EQ(model.FindBoneByName(""), -1);
}

TEST(Paths, SplitOnEitherSeparator) {
  std::string dir = "unchanged", base = "unchanged", ext = "unchanged", file = "unchanged";
  EXPECT_TRUE(SplitPath("C:\\a.b\\model.zmf", dir, base, ext));
  EXPECT_EQ(dir, "C:\\a.b");
  EXPECT_EQ(base, "model");
  EXPECT_EQ(ext, "zmf");

  EXPECT_TRUE(SplitPath("/home/me/a.b/model.tar.zmf", dir, base, ext));
  EXPECT_EQ(dir, "/home/me/a.b");
  EXPECT_EQ(base, "model.tar");
  EXPECT_EQ(ext, "zmf");

  dir = base = ext = "unchanged";
  EXPECT_FALSE(SplitPath("C:\\a.b\\model", dir, base, ext));  // the dot is in the folder
  EXPECT_FALSE(SplitPath("model.zmf", dir, base, ext));
  EXPECT_EQ(dir + base + ext, "unchangedunchangedunchanged");

  EXPECT_TRUE(SplitDirectory("models/win\\tree.zmf", dir, file));
  EXPECT_EQ(dir, "models/win");
  EXPECT_EQ(file, "tree.zmf");
  EXPECT_TRUE(SplitDirectory("/tree.zmf", dir, file));
  EXPECT_EQ(dir, "");
  EXPECT_FALSE(SplitDirectory("tree.zmf", dir, file));
  EXPECT_EQ(file, "tree.zmf");

  std::string path = "C:\\m\\a.zmf";
  EXPECT_TRUE(ReplaceFileName(path, "wood.bmp"));
  EXPECT_EQ(path, "C:\\m\\wood.bmp");
  path = "/work/models/a.zmf";
  EXPECT_TRUE(ReplaceFileName(path, "wood.bmp"));
  EXPECT_EQ(path, "/work/models/wood.bmp");
  path = "a.zmf";
  EXPECT_FALSE(ReplaceFileName(path, "wood.bmp"));
  EXPECT_EQ(path, "a.zmf");
}

}  // namespace
}  // namespace zmf::testing

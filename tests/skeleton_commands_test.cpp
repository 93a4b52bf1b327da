// Skeleton, animation and transform commands run from batch scripts, checked through the files
// they save.
#include "command/skeleton_commands.h"

#include <string>

#include "batch_fixture.h"
#include "model/validate_model.h"

namespace zmf::testing {
namespace {

using SkeletonCommands = BatchScriptTest;

// A triad with a root "hips" at (1, -0.5, 0.25) holding vertices 0, 2, 3 and 1, and its child
// "arm" at (0, 0.5, 0) holding vertex 1, which the two bones share.
const std::string kSkeletonScript =
    "add-triad\ndeselect-all\nadd-bone root 1 -0.5 0.25\nadd-bone arm 0 0.5 0\n"
    "select-vertices 1\nset-bone-on-selection\n"
    "pick 501 0\nselect-vertices 0 2 3 1\nset-bone-on-selection\nanswer hips\nrename-bone\n";

constexpr const char* kIdentityRows =
    "1.000000 0.000000 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 "
    "0.000000 0.000000 1.000000 0.000000 ";

std::string Bone(const std::string& name, const std::string& parent, const std::string& move,
                 const std::string& weights) {
  return "\tBONE { NAME " + name + "\n\t\tPARENT " + parent + "\n\t\tMATRIX " + kIdentityRows +
         move + " 1.000000 \n\t\tGRAMS 1.000000\n\t\tVERTEX_WEIGHTS { " + weights + "\t\t}\n\t}\n";
}

const std::string kHips = Bone("hips", "NONE", "-1.000000 0.500000 -0.250000",
                               "4\n\t\t\t0 1.000000\n\t\t\t2 1.000000\n\t\t\t3 1.000000\n"
                               "\t\t\t1 0.500000\n");
const std::string kArm =
    Bone("arm", "hips", "1.000000 -1.000000 0.250000", "1\n\t\t\t1 0.500000\n");

TEST_F(SkeletonCommands, ScriptsBuildBonesWeightsAndNames) {
  ASSERT_EQ(Run(kSkeletonScript + "save @/bones.zmf\nundo\nsave @/undone.zmf\n"), 0) << printed;
  // The arm's origin lies at its own point: its offset is taken from the root's.
  EXPECT_EQ(From(Saved("bones.zmf"), "BONES"), "BONES { 2\n" + kHips + kArm + "}\n");
  // Undo takes back one weight: vertex 1 belongs to the arm alone again, with weight 1.
  EXPECT_EQ(From(Saved("undone.zmf"), "BONES"),
            "BONES { 2\n" +
                Bone("hips", "NONE", "-1.000000 0.500000 -0.250000",
                     "3\n\t\t\t0 1.000000\n\t\t\t2 1.000000\n\t\t\t3 1.000000\n") +
                Bone("arm", "hips", "1.000000 -1.000000 0.250000", "1\n\t\t\t1 1.000000\n") +
                "}\n");
}

TEST_F(SkeletonCommands, TheBoneOkReparentsToThePickedRowAndUndoes) {
  // The leg's parent becomes the arm (row 1), then stays for NONE (row 3).
  ASSERT_EQ(Run(kSkeletonScript + "pick 501 0\nadd-bone leg 0 -1 0\npick 501 2\npick 502 1\n" +
                "apply 561 1 0 0 0 0 1 0 0 0 0 1 0 abc 2 0 1\nsave @/moved.zmf\npick 502 3\n" +
                "apply 561 1 0 0 0 0 1 0 0 0 0 1 0 5 5 5 1\nsave @/kept.zmf\n" +
                "undo\nundo\nsave @/undone.zmf\n"),
            0)
      << printed;
  const std::string leg = "\tBONE { NAME leg\n\t\tPARENT arm\n\t\tMATRIX " +
                          std::string(kIdentityRows) +
                          "0.000000 2.000000 0.000000 1.000000 \n\t\tGRAMS 1.000000\n";
  EXPECT_THAT(Saved("moved.zmf"), HasSubstr(leg));
  EXPECT_THAT(Saved("kept.zmf"),
              HasSubstr("NAME leg\n\t\tPARENT arm\n\t\tMATRIX " + std::string(kIdentityRows) +
                        "5.000000 5.000000 5.000000"));
  EXPECT_THAT(Saved("undone.zmf"),
              HasSubstr("NAME leg\n\t\tPARENT hips\n\t\tMATRIX " + std::string(kIdentityRows) +
                        "1.000000 0.500000 0.250000"));
}

TEST_F(SkeletonCommands, TheBoneOkKeepsTheBonesMass) {
  const std::string path = CopyEverySection(folder, "every.zmf");
  ASSERT_EQ(Run("open " + path + "\nview-bones\npick 501 0\n" +
                "apply 561 1 0 0 0 0 1 0 0 0 0 1 0 1 2 3 1\nsave @/kept.zmf\n"),
            0)
      << printed;
  EXPECT_THAT(Saved("kept.zmf"),
              HasSubstr("NAME root\n\t\tPARENT NONE\n\t\tMATRIX " + std::string(kIdentityRows) +
                        "1.000000 2.000000 3.000000 1.000000 \n\t\tGRAMS 2.5"));
}

// Walk: three keys; with no current bone, key 0 gets a key bone for every bone; key 1 raises the
// arm.
const std::string kAnimationScript =
    kSkeletonScript +
    "deselect-all\nanswer walk 3 1.0\nadd-animation\npick 500 0\npick 553 0\nadd-key-bone\n"
    "pick 553 1\npick 554 1\napply 590 1 0 0 0 0 1 0 0 0 0 1 0 -1 2 -0.25 1\n";

std::string Frame(const std::string& bone, const std::string& move) {
  return "\t\t\tANIM_FRAME { " + bone + " " + kIdentityRows + move + " 1.000000 }\n";
}

TEST_F(SkeletonCommands, AnimationsKeysAndKeyBonesFromAScript) {
  ASSERT_EQ(Run(kAnimationScript +
                "save @/walk.zmf\nanswer 2\npick 553 0\napply 589 2\nsave @/slow.zmf\n"),
            0)
      << printed;
  const std::string hipsRest = Frame("hips", "1.000000 -0.500000 0.250000");
  const std::string armRest = Frame("arm", "-1.000000 1.000000 -0.250000");
  const std::string armRaised = Frame("arm", "-1.000000 2.000000 -0.250000");
  const auto animation = [&](const std::string& total, const std::string& mid,
                             const std::string& last) {
    return "ANIMATIONS { 1\n\tANIMATION {\n\t\twalk " + total + " 3\n" +
           "\t\tANIM_KEY { 0.000000 2\n" + hipsRest + armRest + "\t\t}\n" + "\t\tANIM_KEY { " +
           mid + " 2\n" + hipsRest + armRaised + "\t\t}\n" + "\t\tANIM_KEY { " + last + " 2\n" +
           hipsRest + armRest + "\t\t}\n\t}\n}\n";
  };
  EXPECT_EQ(From(Saved("walk.zmf"), "ANIMATIONS"), animation("1.000000", "0.500000", "1.000000"));
  EXPECT_EQ(From(Saved("slow.zmf"), "ANIMATIONS"), animation("2.000000", "1.000000", "2.000000"));
}

TEST_F(SkeletonCommands, KeyBonesResetAndDeleteAndAnimationsRenameAndDelete) {
  // Key 1's arm back at rest; the arm's key bone deleted from key 0 only.
  ASSERT_EQ(Run(kAnimationScript +
                "reset-key-bone-matrix\nanswer stroll\nrename-animation\nanswer hop 2 0.5\n"
                "add-animation\npick 500 0\npick 553 0\npick 554 0\ndelete-key-bone\n"
                "save @/two.zmf\ndelete-animation\nsave @/one.zmf\n"),
            0)
      << printed;
  const std::string hips = Frame("hips", "1.000000 -0.500000 0.250000");
  const std::string arm = Frame("arm", "-1.000000 1.000000 -0.250000");
  const std::string hop =
      "\tANIMATION {\n\t\thop 0.500000 2\n\t\tANIM_KEY { 0.000000 0\n\t\t}\n"
      "\t\tANIM_KEY { 0.500000 0\n\t\t}\n\t}\n}\n";
  EXPECT_EQ(From(Saved("two.zmf"), "ANIMATIONS"),
            "ANIMATIONS { 2\n\tANIMATION {\n\t\tstroll 1.000000 3\n\t\tANIM_KEY { 0.000000 1\n" +
                arm + "\t\t}\n\t\tANIM_KEY { 0.500000 2\n" + hips + arm +
                "\t\t}\n\t\tANIM_KEY { 1.000000 2\n" + hips + arm + "\t\t}\n\t}\n" + hop);
  EXPECT_EQ(From(Saved("one.zmf"), "ANIMATIONS"), "ANIMATIONS { 1\n" + hop);
}

TEST_F(SkeletonCommands, PlaybackPosesTheMeshAtTheScriptsClock) {
  // At 10.25 the lead-in ends on key 0, the rest pose; 10.5 is halfway to key 1, which lifts the
  // arm by 1.
  ASSERT_EQ(Run(kAnimationScript + "clock 10\nrun-animation\nclock 10.25\nsave-posed @/key0.zmf\n"
                                   "clock 10.5\nsave-posed @/half.zmf\nsave @/rest.zmf\n"),
            0)
      << printed;
  // Posed normals are unit length: the triad's two slanted ones change.
  std::string posed = Saved("rest.zmf");
  const auto replace = [&posed](const std::string& from, const std::string& to) {
    const std::size_t at = posed.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    posed.replace(at, from.size(), to);
  };
  replace("\t-0.500000 0.000000 -0.500000\t", "\t-0.707107 0.000000 -0.707107\t");
  replace("\t0.500000 0.000000 -0.500000\t", "\t0.707107 0.000000 -0.707107\t");
  EXPECT_EQ(Saved("key0.zmf"), posed);
  // Vertex 1 goes half the arm's way: half of 0.5 up.
  replace("\t0.000000 0.500000 0.000000\t", "\t0.000000 0.750000 0.000000\t");
  EXPECT_EQ(Saved("half.zmf"), posed);
}

TEST_F(SkeletonCommands, DeletingABoneUndoesAndRedoes) {
  ASSERT_EQ(
      Run(kAnimationScript + "save @/before.zmf\npick 501 1\ndelete-bone\nsave @/deleted.zmf\n"
                             "undo\nsave @/undone.zmf\nredo\nsave @/redone.zmf\n"
                             "pick 501 0\ndelete-bone\nsave @/root.zmf\n"),
      0)
      << printed;
  const std::string deleted = Saved("deleted.zmf");
  // The arm's vertex is the hips' alone, with weight 1; its key bones went with it.
  std::string hips = kHips;
  hips.replace(hips.find("1 0.500000"), 10, "1 1.000000");
  const auto key = [](const std::string& time) {
    return "\t\tANIM_KEY { " + time + " 1\n" + Frame("hips", "1.000000 -0.500000 0.250000") +
           "\t\t}\n";
  };
  EXPECT_EQ(From(deleted, "BONES"),
            "BONES { 1\n" + hips + "}\nANIMATIONS { 1\n\tANIMATION {\n\t\twalk 1.000000 3\n" +
                key("0.000000") + key("0.500000") + key("1.000000") + "\t}\n}\n");
  EXPECT_EQ(Saved("undone.zmf"), Saved("before.zmf"));
  EXPECT_EQ(Saved("redone.zmf"), deleted);
  EXPECT_EQ(Saved("root.zmf"), deleted);  // the root cannot be deleted
}

TEST_F(SkeletonCommands, DeleteAllAsksFirstAndLeavesRoomForANewRoot) {
  ASSERT_EQ(
      Run(kAnimationScript + "answer no\ndelete-all\nsave @/kept.zmf\nanswer yes\ndelete-all\n"
                             "save @/empty.zmf\nadd-bone spine 0 0 0\nsave @/new.zmf\n"),
      0)
      << printed;
  EXPECT_THAT(Saved("kept.zmf"), HasSubstr("BONES { 2\n"));
  EXPECT_THAT(Saved("empty.zmf"), Not(HasSubstr("BONES")));
  EXPECT_THAT(Saved("empty.zmf"), Not(HasSubstr("ANIMATIONS")));
  EXPECT_THAT(Saved("new.zmf"), HasSubstr("BONES { 1\n\tBONE { NAME spine\n\t\tPARENT NONE\n"));
  const auto& events = host.events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 1].text,
            "Are you sure you want to delete all bones and animation? This cannot be undone!");
  EXPECT_EQ(events[events.size() - 1].title, "Delete All");
}

TEST_F(SkeletonCommands, TypedTransformsMoveTheSelectionOrTheConfirmedWholeModel) {
  // A translation of two numbers does nothing and asks nothing; nor does one whose words are not
  // whole numbers ("1.5.5 2" is not 1.5, 0.5 and 2).
  ASSERT_EQ(Run(kSkeletonScript +
                "deselect-all\nsave @/start.zmf\nselect-vertices 1\nanswer 1 2 3\ntranslate\n"
                "save @/moved.zmf\nundo\nsave @/undone.zmf\ndeselect-all\nanswer 1 2\n"
                "translate\nanswer 1.5.5 2\ntranslate\nanswer 1-2 3\ntranslate\n"
                "answer 1 2 3x\ntranslate\nanswer 0 1.570 0\nanswer no\nrotate\nsave @/kept.zmf\n"
                "answer 2 2 2\nanswer yes\nscale\nsave @/scaled.zmf\n"),
            0)
      << printed;
  const std::string start = Saved("start.zmf");
  std::string moved = start;
  const std::string top = "\t0.000000 0.500000 0.000000\t";
  moved.replace(moved.find(top), top.size(), "\t1.000000 2.500000 3.000000\t");
  EXPECT_EQ(Saved("moved.zmf"), moved);
  EXPECT_EQ(Saved("undone.zmf"), start);
  EXPECT_EQ(Saved("kept.zmf"), start);
  // Scaling doubles positions and bone offsets; normals stay.
  const std::string scaled = Saved("scaled.zmf");
  EXPECT_THAT(scaled, HasSubstr("\t-1.000000 -1.000000 -1.000000\t-0.500000 0.000000 -0.500000\t"));
  EXPECT_THAT(scaled,
              HasSubstr(std::string(kIdentityRows) + "-2.000000 1.000000 -0.500000 1.000000"));
  EXPECT_THAT(scaled,
              HasSubstr(std::string(kIdentityRows) + "2.000000 -2.000000 0.500000 1.000000"));

  std::vector<std::string> questions;
  for (const auto& event : host.events()) {
    if (event.kind == ScriptedHost::Event::Kind::Question) {
      questions.push_back(event.title + " " + event.text);
    }
  }
  EXPECT_EQ(questions, (std::vector<std::string>{
                           "Confirm roatation. Are you sure you want to rotate the whole model?",
                           "Confirm resize. Are you sure you want to scale the whole model?"}));
}

// Runs the script, then checks the model's rules hold.
#define RUN_VALID(script)                                              \
  do {                                                                 \
    ASSERT_EQ(Run(script), 0) << printed;                              \
    ASSERT_THAT(ValidateModel(model), ::testing::IsEmpty()) << script; \
  } while (false)

TEST_F(SkeletonCommands, WholeModelTransformsUndoAndRedoToTheByte) {
  RUN_VALID(kAnimationScript + "deselect-all\nsave @/start.zmf\n");
  for (const std::string command :
       {"translate 1 -2 0.25", "rotate 0.3 1.2 -0.4", "scale 2 0.5 3"}) {
    const std::string name = command.substr(0, command.find(' '));
    RUN_VALID("answer " + command.substr(name.size() + 1) + "\nanswer yes\n" + name + "\nsave @/" +
              name + ".zmf\nundo\n");
    RUN_VALID("save @/undone.zmf\nredo\n");
    RUN_VALID("save @/redone.zmf\nundo\n");
    EXPECT_NE(Saved(name + ".zmf"), Saved("start.zmf")) << name;
    EXPECT_EQ(Saved("undone.zmf"), Saved("start.zmf")) << name;
    EXPECT_EQ(Saved("redone.zmf"), Saved(name + ".zmf")) << name;
  }
  // An edit of the selection before a whole-model transform: two Undos give the start again.
  RUN_VALID(
      "select-vertices 1 2\nanswer 0.5 0.25 2\ntranslate\ndeselect-all\nanswer 0 0.7 0\n"
      "answer yes\nrotate\nundo\nundo\nsave @/back.zmf\n");
  EXPECT_EQ(Saved("back.zmf"), Saved("start.zmf"));
}

TEST_F(SkeletonCommands, AnimationAndKeyBoneDeletionsUndoAndRedoToTheByte) {
  // Walk with two key bones a key, then hop without any.
  RUN_VALID(kAnimationScript + "answer hop 2 0.5\nadd-animation\nsave @/start.zmf\n");
  const auto current = [this] {
    return std::array{model.currentAnimation, model.currentKey, model.currentKeyBone};
  };
  for (const auto& [picks, deletion] :
       {std::pair{"pick 500 0\n", "delete-animation\n"},
        {"pick 500 0\n", "cut\n"},
        {"pick 500 0\npick 553 1\npick 554 1\n", "delete-key-bone\n"},
        {"pick 500 0\npick 553 2\npick 554 0\n", "cut\n"}}) {
    RUN_VALID(picks);
    const auto picked = current();
    RUN_VALID(std::string(deletion) + "save @/deleted.zmf\nundo\n");
    EXPECT_EQ(current(), picked) << picks << deletion;
    RUN_VALID("save @/undone.zmf\nredo\n");
    RUN_VALID("save @/redone.zmf\nundo\n");
    EXPECT_NE(Saved("deleted.zmf"), Saved("start.zmf")) << picks << deletion;
    EXPECT_EQ(Saved("undone.zmf"), Saved("start.zmf")) << picks << deletion;
    EXPECT_EQ(Saved("redone.zmf"), Saved("deleted.zmf")) << picks << deletion;
  }
}

TEST_F(SkeletonCommands, ScriptMistakesAreReported) {
  EXPECT_EQ(Run("add-bone arm 1 2\n"), 2);
  EXPECT_EQ(Run("clock soon\n"), 2);
  printed.clear();
  EXPECT_EQ(Run(kSkeletonScript + "pick 501 2\n"), 1);
  EXPECT_THAT(printed, HasSubstr("the list has no row 2"));
  printed.clear();
  EXPECT_EQ(Run(kSkeletonScript + "answer arm\nrename-bone\n"), 1);
  EXPECT_THAT(printed, HasSubstr("the bone was not renamed to arm"));
  printed.clear();
  // One root only: a second bone without a current bone is refused.
  EXPECT_EQ(Run("deselect-all\nadd-bone second 0 0 0\n"), 1);
  EXPECT_THAT(printed, HasSubstr("the bone second was not added"));
}

}  // namespace
}  // namespace zmf::testing

// The editing commands run from batch scripts, checked through the files they save.
#include "command/edit_commands.h"

#include <cstdio>
#include <string>

#include "batch_fixture.h"
#include "model/model.h"

namespace zmf::testing {
namespace {

// The triad's vertices as saved.
const std::string kTriadHead =
    std::string(kZmfHead) +
    "VERTICES { POSITION_NORMAL_TEXCOORDS 4\n"
    "\t-0.500000 -0.500000 -0.500000\t-0.500000 0.000000 -0.500000\t0.000000 1.000000\n"
    "\t0.000000 0.500000 0.000000\t0.000000 1.000000 0.000000\t0.500000 0.000000\n"
    "\t0.500000 -0.500000 -0.500000\t0.500000 0.000000 -0.500000\t1.000000 1.000000\n"
    "\t0.000000 -0.500000 0.500000\t0.000000 0.000000 1.000000\t0.500000 1.000000\n"
    "}\n";

using EditCommands = BatchScriptTest;

TEST_F(EditCommands, DeletingSelectedFacesUndoesAndRedoesAsOneStep) {
  ASSERT_EQ(Run("add-triad\ndeselect-all\nselect-faces 0 2\ndelete-selected-faces\n"
                "save @/deleted.zmf\nundo\nsave @/undone.zmf\n32810\nsave @/redone.zmf\n"),
            0)
      << printed;
  const std::string deleted = Saved("deleted.zmf");
  EXPECT_EQ(deleted, kTriadHead + "FACES { 2\n\t0 3 1\t0\n\t1 3 2\t0\n}\n" + kDefaultMaterialText);
  // Undo brings the faces back at the end of the list, the one deleted last first.
  EXPECT_EQ(Saved("undone.zmf"),
            kTriadHead + "FACES { 4\n\t0 3 1\t0\n\t1 3 2\t0\n\t0 2 3\t0\n\t0 1 2\t0\n}\n" +
                kDefaultMaterialText);
  EXPECT_EQ(Saved("redone.zmf"), deleted);
}

TEST_F(EditCommands, DeletingAVertexTakesItsFacesAndUndoRestoresThem) {
  ASSERT_EQ(Run("add-triad\ndeselect-all\nselect-vertices 1\ndelete-selected-vertices\n"
                "save @/one.zmf\nundo\nselect-all\ninvert-selected-normals\nundo\n"
                "save @/two.zmf\n"),
            0)
      << printed;
  const std::string one = Saved("one.zmf");
  EXPECT_THAT(one, HasSubstr("VERTICES { POSITION_NORMAL_TEXCOORDS 3\n"));
  // Of the triad's faces (0 1 2), (0 3 1), (0 2 3), (1 3 2) only the third stays.
  EXPECT_THAT(one, HasSubstr("FACES { 1\n\t0 1 2\t0\n}\n"));
  const std::string two = Saved("two.zmf");
  // The vertex comes back last; its three faces follow the one that stayed, the one deleted
  // last first.
  EXPECT_THAT(two, HasSubstr("\t0.000000 -0.500000 0.500000\t0.000000 0.000000 1.000000\t"
                             "0.500000 1.000000\n"
                             "\t0.000000 0.500000 0.000000\t0.000000 1.000000 0.000000\t"
                             "0.500000 0.000000\n}\n"
                             "FACES { 4\n\t0 1 2\t0\n\t3 2 1\t0\n\t0 2 3\t0\n\t0 3 1\t0\n}\n"));
}

TEST_F(EditCommands, PrimitivesNormalsAndSelectionRunThroughTheTable) {
  for (const std::uint32_t id :
       {command::kCommandAddBox, command::kCommandAddSphere, command::kCommandAddPlane,
        command::kCommandUndo, command::kCommandSelectAll, command::kCommandNormalsAcrossDuplicates,
        command::kCommandDeselectAll}) {
    const command::CommandEntry* entry = command::FindCommand(id);
    ASSERT_NE(entry, nullptr) << id;
    command::CommandContext context(model);
    entry->handler(context);
  }
  // After the box, sphere and plane and one Undo (the plane), the box and sphere remain.
  EXPECT_EQ(model.vertices.count(), 24u + 66u);
  EXPECT_EQ(model.faces.count(), 12u + 128u);
  EXPECT_EQ(model.vertices.selCount(), 0u);
  EXPECT_EQ(command::FindCommand(0u), nullptr);
  EXPECT_EQ(command::FindCommand("select-vertices")->input, command::CommandInput::Ids);

  model.currentBone = model.currentAnimation = model.currentKey = model.currentKeyBone = 2;
  EXPECT_EQ(Run("deselect-all\n"), 0);
  EXPECT_EQ(model.currentBone, -1);
  EXPECT_EQ(model.currentKeyBone, -1);

  EXPECT_EQ(Run("select-vertices\n"), 2);  // needs at least one id; nothing runs
  EXPECT_EQ(Run("select-vertices 3 99 1\n"), 0);
  ASSERT_EQ(model.vertices.selCount(), 2u);
  EXPECT_EQ(model.vertices.selHead()->id, 3u);
  EXPECT_EQ(Run("select-faces 2 -1\n"), 1);
  EXPECT_THAT(printed, HasSubstr("script.txt:1: not an id: -1"));
}

}  // namespace
}  // namespace zmf::testing

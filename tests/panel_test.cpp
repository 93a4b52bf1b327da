// The panels as scripts see them: what "pick" and "apply" do, and the "panel FILE" text.
#include <string>

#include "batch_fixture.h"
#include "format/zmf_writer.h"
#include "view/panels.h"

namespace zmf::testing {
namespace {

class Panels : public BatchScriptTest {
 protected:
  // The current panel's text as "panel FILE" writes it.
  std::string PanelFile() {
    EXPECT_EQ(Run("panel @/panel.txt\n"), 0) << printed;
    return Saved("panel.txt");
  }
  std::string WriteText() { return format::WriteModelText(model); }
  // The line of one control in the panel text.
  std::string Line(const std::string& name) {
    const std::string text = PanelFile();
    const std::size_t at = text.find("\n" + name + " ");
    if (at == std::string::npos) return "(no " + name + ")";
    return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
  }
};

TEST_F(Panels, MeshPanelListsTheSelectionAndAppliesTypedNumbers) {
  ASSERT_EQ(Run("add-triad\ndeselect-all\nselect-vertices 3 1 2\n"), 0) << printed;
  const std::string text = PanelFile();
  EXPECT_EQ(text.substr(0, text.find("\n555 ")),
            "view 0\n"
            "selected-vertices-label static \"Selected Vertices\"\n"
            "520 list picked -1: 3 1 2\n"
            "563 button \"rmv\"\n"
            "position-label static \"Position (x,y,z)\"\n"
            "521 box \"\"\n"
            "522 box \"\"\n"
            "523 box \"\"");
  EXPECT_THAT(text, HasSubstr("\n32812 button icon 138\n32836 button \"wld\"\n"));
  EXPECT_THAT(text, HasSubstr("\nmarker none\n"));

  // Picking the second row shows that vertex's position; "abc" reads as 0, and Undo restores.
  ASSERT_EQ(Run("pick 520 1\n"), 0);
  EXPECT_EQ(Line("521"), "521 box \"0.000\"");
  EXPECT_EQ(Line("522"), "522 box \"0.500\"");
  EXPECT_THAT(PanelFile(), HasSubstr("\nmarker 520\n"));
  ASSERT_EQ(Run("apply 555 abc 2.5 -1\n"), 0);
  EXPECT_EQ(model.vertices.FindById(1)->position, (Vector3{0.0f, 2.5f, -1.0f}));
  EXPECT_EQ(Line("521"), "521 box \"abc\"");
  ASSERT_EQ(Run("undo\n"), 0);
  EXPECT_EQ(model.vertices.FindById(1)->position, (Vector3{0.0f, 0.5f, 0.0f}));

  // rmv takes the picked vertex out; the refreshed list has no pick.
  ASSERT_EQ(Run("pick 520 0\napply 563\n"), 0);
  EXPECT_EQ(Line("520"), "520 list picked -1: 1 2");
  // Without a picked row the position "ok" does nothing.
  ASSERT_EQ(Run("apply 555 9 9 9\n"), 0);
  EXPECT_EQ(model.vertices.FindById(1)->position, (Vector3{0.0f, 0.5f, 0.0f}));
}

TEST_F(Panels, CornerBoxesTakeNumbersOnlyAndTheMarkerFollowsTheView) {
  ASSERT_EQ(Run("add-triad\ndeselect-all\nselect-faces 2\npick 524 0\n"), 0) << printed;
  const Face* face = model.faces.FindById(2);
  const std::string corners = Line("525") + "|" + Line("526") + "|" + Line("527");
  EXPECT_EQ(corners, "525 box \"" + std::to_string(face->a->id) + "\"|526 box \"" +
                         std::to_string(face->b->id) + "\"|527 box \"" +
                         std::to_string(face->c->id) + "\"");
  EXPECT_THAT(PanelFile(), HasSubstr("\nmarker 524\n"));
  // A letter in a corner box: nothing happens.
  ASSERT_EQ(Run("apply 556 0 1 x\n"), 0);
  EXPECT_EQ(face->c->id, 3u);
  ASSERT_EQ(Run("apply 556 0 1 2\n"), 0);
  EXPECT_EQ(face->c->id, 2u);
  ASSERT_EQ(Run("undo\n"), 0);
  EXPECT_EQ(face->c->id, 3u);

  // No marker in the normals view; the active list stays what it was, and comes back with view 0.
  ASSERT_EQ(Run("view-normals\n"), 0);
  EXPECT_THAT(PanelFile(), HasSubstr("\nmarker none\n"));
  EXPECT_EQ(session.editor.activeList, view::PanelList::Face);
  ASSERT_EQ(Run("view-mesh\nselect-all\n"), 0);
  EXPECT_THAT(PanelFile(), HasSubstr("\nmarker 524\n"));
}

TEST_F(Panels, NormalsPanelShowsNormalsAndDuplicateDetails) {
  ASSERT_EQ(Run("add-box\nview-normals\ndeselect-all\nselect-vertices 0\nselect-all\n"), 0)
      << printed;
  const std::string duplicates = Line("532");
  ASSERT_NE(duplicates, "532 list picked -1:") << duplicates;
  ASSERT_EQ(Run("pick 532 0\npick 528 0\n"), 0);
  const Duplicate* d = model.duplicates.NthSelected(0);
  char details[256];
  std::snprintf(details, sizeof details,
                "duplicate-details static \"Vertices: %u,%u\\nNormals:\\n%.3f,%.3f,%.3f\\n"
                "%.3f,%.3f,%.3f\\nTexUV:\\n%.3f,%.3f\\n%.3f,%.3f\"",
                d->vertex->id, d->twin->id, d->vertex->normal.x, d->vertex->normal.y,
                d->vertex->normal.z, d->twin->normal.x, d->twin->normal.y, d->twin->normal.z,
                d->vertex->u, d->vertex->v, d->twin->u, d->twin->v);
  EXPECT_EQ(Line("duplicate-details"), details);
  ASSERT_EQ(Run("apply 557 0 0 2\n"), 0);
  EXPECT_EQ(model.vertices.NthSelected(0)->normal, (Vector3{0.0f, 0.0f, 2.0f}));

  // D and a new selection refresh the mesh panel's lists and this one's: the row picked before
  // names nothing now, so the "ok" changes no vertex the list does not show picked.
  ASSERT_EQ(Run("deselect-all\nselect-vertices 0 1 2\npick 528 2\nkey d\n"), 0) << printed;
  EXPECT_EQ(Line("528"), "528 list picked -1:");
  const std::string before = WriteText();
  ASSERT_EQ(Run("select-vertices 3 4 5\napply 557 0 0 3\n"), 0) << printed;
  EXPECT_EQ(WriteText(), before);
  EXPECT_EQ(Line("528"), "528 list picked -1: 3 4 5");
  EXPECT_EQ(PanelFile().substr(PanelFile().rfind("counts")), "counts vertices:24 faces:12\n");
}

TEST_F(Panels, MaterialPanelGreysTheTextureControlsWithoutATexture) {
  ASSERT_EQ(Run("add-triad\nview-material\n"), 0) << printed;
  EXPECT_EQ(Line("493"), "493 list picked 0: default=0");
  EXPECT_EQ(Line("495"), "495 check clear");
  EXPECT_EQ(Line("560"), "560 button disabled \"browse...\"");
  EXPECT_EQ(Line("548"), "548 list disabled picked -1: 0 1 2 3");
  EXPECT_EQ(Line("diffuse-r"), "diffuse-r box \"0.800\"");
  EXPECT_EQ(Line("545"), "545 box \"0\"");
  EXPECT_EQ(Line("550"),
            "550 list disabled picked 0: NONE=0 Luminance=1 Inverse Luminance=2 Black Mask=3 "
            "White Mask=4 First Pixel=5 In File=6 Static Value=7");
  EXPECT_THAT(PanelFile(), HasSubstr("\nmarker none\n"));
}

TEST_F(Panels, SkeletonPanelFollowsBonesAnimationsAndKeys) {
  ASSERT_EQ(Run("add-triad\nadd-bone root 0 0 0\nadd-bone arm 1 0 0\nanswer walk 3 1.5\n"
                "add-animation\nview-bones\n"),
            0)
      << printed;
  EXPECT_EQ(Line("501"), "501 list picked 1: root=0 arm=1");
  EXPECT_EQ(Line("502"), "502 list picked 0: root=0 arm=1 NONE=2");
  EXPECT_EQ(Line("bone-m12"), "bone-m12 box \"-1.000\"");
  EXPECT_EQ(Line("500"), "500 list picked 0: walk=0");
  EXPECT_EQ(Line("553"), "553 list picked -1: 0.000=0 0.750=1 1.500=2");
  EXPECT_EQ(Line("552"), "552 box \"1.500\"");

  // Picking a key, then the animation again while it plays: playback restarts, no key.
  ASSERT_EQ(Run("pick 553 1\nrun-animation\nclock 2\npick 500 0\n"), 0);
  EXPECT_EQ(model.currentKey, -1);
  EXPECT_EQ(Line("553"), "553 list picked -1: 0.000=0 0.750=1 1.500=2");
  EXPECT_EQ(Line("32844"), "32844 button \"Stop\"");
  EXPECT_THAT(PanelFile(), HasSubstr("\nmarker 500\n"));
  // A refresh keeps the active list.
  ASSERT_EQ(Run("select-all\n"), 0);
  EXPECT_EQ(session.editor.activeList, view::PanelList::Animation);
}

}  // namespace
}  // namespace zmf::testing

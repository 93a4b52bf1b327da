// The viewport's mouse gestures, driven by the script lines that the window's events mirror.
// With the camera at rest and a half-extent E, pixel (X, Y) is the view point
// ((X - 256) / 256 E, (256 - Y) / 256 E).
#include <cmath>
#include <string>
#include <vector>

#include "batch_fixture.h"
#include "edit/journal.h"
#include "model/transforms.h"
#include "model_fixture.h"
#include "view/camera.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Gestures : public BatchScriptTest {
 protected:
  void SetHalfExtent(float e) {
    session.editor.camera.fitRadius = e;
    session.editor.projection = view::ApplyProjection(session.editor.camera);
  }
  // Vertices clicked in with the Add mode (z = 0, normal (0, 0, 1)); the selection is then
  // cleared and the mode set back to Select.
  void AddVerticesAt(const std::string& pixels) {
    ASSERT_EQ(Run("add-mode\n" + pixels + "deselect-all\nselect-mode\n"), 0) << printed;
  }
  std::uint64_t JournalPosition() const { return model.journal.position(); }
};

TEST_F(Gestures, RectanglesSelectStrictlyInsideWhicheverWayTheyAreDrawn) {
  // v0 (0, 0), v1 (0.5, 0.5) on the rectangle's corner, v2 (0.25, -0.25), v3 (-0.25, 0.25).
  AddVerticesAt("click left 256 256\nclick left 384 128\nclick left 320 320\nclick left 192 192\n");
  ASSERT_EQ(model.vertices.count(), 4u);
  EXPECT_EQ(model.vertices.Nth(1)->position, (Vector3{0.5f, 0.5f, 0.0f}));
  EXPECT_EQ(model.vertices.Nth(1)->normal, (Vector3{0.0f, 0.0f, 1.0f}));

  ASSERT_EQ(Run("drag left 128 128 384 384\n"), 0) << printed;
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(0, 2, 3));
  EXPECT_EQ(session.editor.dragRect.kind, view::DragKind::None);
  EXPECT_FLOAT_EQ(session.editor.falloffRadius, 0.5f * std::sqrt(2.0f));
  ASSERT_EQ(Run("deselect-all\ndrag left 384 384 128 128\n"), 0);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(0, 2, 3));

  // Shift adds, and a vertex picked again moves to the end; Ctrl takes away.
  ASSERT_EQ(Run("drag left 150 150 210 210\n"), 0);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(3));
  ASSERT_EQ(Run("drag left 300 300 128 128 shift\n"), 0);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(0, 3));
  ASSERT_EQ(Run("drag left 240 240 270 270 ctrl\n"), 0);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(3));

  // The rectangle follows the mouse while the button is held.
  ASSERT_EQ(Run("press left 100 100\nmove 200 50\n"), 0);
  EXPECT_EQ(session.editor.dragRect.kind, view::DragKind::ReplaceRect);
  EXPECT_EQ(session.editor.dragRect.x1, (200.0f - 256) / 256);
  // A rectangle of no size selects nothing, without dividing by its size.
  ASSERT_EQ(Run("release left 200 50\nclick left 256 256\n"), 0);
  EXPECT_THAT(SelectedIds(model.vertices), IsEmpty());
  EXPECT_EQ(session.editor.falloffRadius, 0.0f);

  // A right click picks the vertices in the small square under it; Ctrl clears everything.
  ASSERT_EQ(Run("click right 257 255\n"), 0);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(0));
  ASSERT_EQ(Run("click right 10 10 ctrl\n"), 0);
  EXPECT_THAT(SelectedIds(model.vertices), IsEmpty());
  // The S key picks under the last mouse position.
  ASSERT_EQ(Run("move 192 192\nkey s\n"), 0);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(3));
}

TEST_F(Gestures, ShiftRightClickPicksTheNearestFaceUnderTheCursor) {
  // Three triangles over each other at z = -0.5, 0.5 and 0; the viewer looks down -z.
  for (float z : {-0.5f, 0.5f, 0.0f}) {
    Vertex* a = edit::JournalAddVertex(model, {-0.5f, -0.5f, z}, {0, 0, 1}, 0, 0);
    Vertex* b = edit::JournalAddVertex(model, {0.5f, -0.5f, z}, {0, 0, 1}, 0, 0);
    Vertex* c = edit::JournalAddVertex(model, {0.0f, 0.5f, z}, {0, 0, 1}, 0, 0);
    edit::JournalAddFace(model, a, b, c);
  }
  model.DeselectAll();
  ASSERT_EQ(Run("click right 256 280 shift\n"), 0) << printed;
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(1));
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(3, 4, 5));
  // Beside the triangles nothing is hit and nothing changes.
  ASSERT_EQ(Run("click right 20 20 shift\n"), 0);
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(1));
}

TEST_F(Gestures, MoveDragPreviewsThenCommitsOneUndoStep) {
  SetHalfExtent(10.0f);
  AddVerticesAt("click left 256 256\nclick left 384 128\nclick left 320 320\nclick left 192 192\n");
  ASSERT_EQ(Run("select-vertices 0 1 2\nmove-mode\npress left 256 256\nmove 384 256\n"), 0)
      << printed;
  // A quarter of the width: 5 units along the view's x axis, drawn only.
  const Vertex* v1 = model.vertices.Nth(1);
  EXPECT_EQ(v1->position, (Vector3{5.0f, 5.0f, 0.0f}));
  EXPECT_EQ(v1->savedPosition, (Vector3{10.0f, 5.0f, 0.0f}));
  EXPECT_EQ(session.editor.positionLine, "(5.000,0.000,0.000)");

  // Half the width: 10 units, committed at the release.
  const std::uint64_t before = JournalPosition();
  ASSERT_EQ(Run("release left 512 256\nsave @/moved.zmf\n"), 0) << printed;
  EXPECT_EQ(v1->position, (Vector3{15.0f, 5.0f, 0.0f}));
  EXPECT_EQ(v1->savedPosition, v1->position);
  EXPECT_EQ(model.vertices.Nth(3)->position, (Vector3{-2.5f, 2.5f, 0.0f}));
  EXPECT_GT(JournalPosition(), before);
  EXPECT_THAT(Saved("moved.zmf"),
              HasSubstr("VERTICES { POSITION_NORMAL 4\n"
                        "\t10.000000 0.000000 0.000000\t0.000000 0.000000 1.000000\n"
                        "\t15.000000 5.000000 0.000000\t0.000000 0.000000 1.000000\n"
                        "\t12.500000 -2.500000 0.000000\t0.000000 0.000000 1.000000\n"
                        "\t-2.500000 2.500000 0.000000\t0.000000 0.000000 1.000000\n}\n"));
  ASSERT_EQ(Run("undo\n"), 0);
  EXPECT_EQ(model.vertices.Nth(0)->position, (Vector3{0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(v1->position, (Vector3{5.0f, 5.0f, 0.0f}));

  // A preview is given up by a change of view, by the other button's release and by a press of
  // the other button; none leaves a trace in the model or the journal.
  const std::uint64_t rest = JournalPosition();
  // A key gives it up too (D last: it leaves nothing selected to drag).
  for (const char* interrupt : {"view-normals\n", "release right 400 300\n",
                                "press right 400 300\nrelease right 400 300\n", "key d\n"}) {
    ASSERT_EQ(Run("view-mesh\npress left 256 256\nmove 400 300\n"), 0);
    EXPECT_NE(v1->savedPosition, v1->position);
    ASSERT_EQ(Run(std::string(interrupt) + "release left 400 300\n"), 0) << interrupt;
    EXPECT_EQ(v1->savedPosition, v1->position) << interrupt;
    EXPECT_EQ(v1->position, (Vector3{5.0f, 5.0f, 0.0f})) << interrupt;
    EXPECT_EQ(session.editor.dragRect.kind, view::DragKind::None) << interrupt;
  }
  EXPECT_EQ(JournalPosition(), rest);

  // With nothing selected a drag writes nothing.
  ASSERT_EQ(Run("view-mesh\ndeselect-all\ndrag left 256 256 400 400\n"), 0);
  EXPECT_EQ(JournalPosition(), rest);
}

TEST_F(Gestures, RightDragDownHalfTheHeightTurnsTwoRadiansAboutTheViewXAxis) {
  AddVerticesAt("click left 384 128\n");
  ASSERT_EQ(Run("select-all\nmove-mode\npress right 256 128\nmove 256 384\n"), 0) << printed;
  EXPECT_EQ(session.editor.cameraLine, "(0.000,2.000,0.000,0.000)");
  ASSERT_EQ(Run("release right 256 384\nmove 256 384\n"), 0);
  EXPECT_EQ(session.editor.cameraLine, "");
  const Vertex* v = model.vertices.Nth(0);
  EXPECT_FLOAT_EQ(v->position.x, 0.5f);
  const float angle = std::atan2(v->position.z, v->position.y);
  EXPECT_NEAR(std::fabs(angle), 2.0f, 1e-5f);
  EXPECT_NEAR(std::hypot(v->position.y, v->position.z), 0.5f, 1e-6f);
  // The normal (0, 0, 1) turns with it.
  EXPECT_FLOAT_EQ(v->normal.x, 0.0f);
  EXPECT_NEAR(v->normal.y, -std::sin(angle), 1e-6f);
  EXPECT_NEAR(v->normal.z, std::cos(angle), 1e-6f);
  ASSERT_EQ(Run("undo\n"), 0);
  EXPECT_EQ(v->position, (Vector3{0.5f, 0.5f, 0.0f}));
}

TEST_F(Gestures, FalloffMoveReachesAsFarAsTheLastRectangle) {
  // At E = 2 the picture is that of E = 1 scaled: the reach scales with it.
  SetHalfExtent(2.0f);
  AddVerticesAt("click left 256 256\nclick left 320 320\n");
  // Before any rectangle the falloff has no reach and the drag does nothing.
  const std::uint64_t before = JournalPosition();
  ASSERT_EQ(Run("select-all\nmove-mode\ndrag left 256 256 320 256 ctrl\n"), 0) << printed;
  EXPECT_EQ(JournalPosition(), before);
  EXPECT_EQ(model.vertices.Nth(0)->position, (Vector3{0.0f, 0.0f, 0.0f}));

  // A rectangle of half-diagonal 0.7071 (normalised); v1 lies half as far from the start.
  ASSERT_EQ(Run("select-mode\ndrag left 128 128 384 384\nmove-mode\n"
                "press left 256 256 ctrl\nmove 320 256\n"),
            0);
  EXPECT_EQ(session.editor.positionLine, "(0.000,0.000,0.500)");
  ASSERT_EQ(Run("release left 320 256\n"), 0);
  EXPECT_FLOAT_EQ(model.vertices.Nth(0)->position.x, 0.5f);
  EXPECT_NEAR(model.vertices.Nth(1)->position.x, 0.5f + 0.25f, 1e-5f);
  ASSERT_EQ(Run("undo\n"), 0);
  EXPECT_EQ(model.vertices.Nth(1)->position, (Vector3{0.5f, -0.5f, 0.0f}));
}

TEST_F(Gestures, NormalsAndTextureCoordinatesAndTheLight) {
  AddVerticesAt("click left 256 256\nclick left 384 384\n");
  ASSERT_EQ(Run("select-vertices 0\nview-normals\nmove-mode\ndrag left 256 256 512 256\n"), 0)
      << printed;
  // (0, 0, 1) + (1, 0, 0), made unit length.
  const Vertex* v0 = model.vertices.Nth(0);
  EXPECT_FLOAT_EQ(v0->normal.x, std::sqrt(0.5f));
  EXPECT_FLOAT_EQ(v0->normal.z, std::sqrt(0.5f));
  EXPECT_EQ(model.vertices.Nth(1)->normal, (Vector3{0.0f, 0.0f, 1.0f}));

  // A texture drag moves u and v by half the normalised move, held to 0 ... 1.
  ASSERT_EQ(Run("view-material\ndrag left 256 256 384 512\n"), 0);
  EXPECT_EQ(v0->u, 0.25f);
  EXPECT_EQ(v0->v, 0.5f);
  ASSERT_EQ(Run("drag left 256 256 0 0\n"), 0);
  EXPECT_EQ(v0->u, 0.0f);
  EXPECT_EQ(v0->v, 0.0f);

  // A right drag places the light while the button is held, and only then.
  ASSERT_EQ(Run("press right 300 200\nmove 384 128\n"), 0);
  EXPECT_EQ(session.editor.lightPosition, (std::array<float, 4>{100.0f, 100.0f, 250.0f, 1.0f}));
  ASSERT_EQ(Run("release right 384 128\nmove 0 0\n"), 0);
  EXPECT_EQ(session.editor.lightPosition, (std::array<float, 4>{100.0f, 100.0f, 250.0f, 1.0f}));
}

TEST_F(Gestures, AddModeDuplicatesASinglePickedVertexInTheNormalsView) {
  AddVerticesAt("click left 256 256\nclick left 384 128\nclick left 384 128\n");
  ASSERT_EQ(Run("view-normals\nadd-mode\nclick right 256 256\n"), 0) << printed;
  ASSERT_EQ(model.vertices.count(), 4u);
  EXPECT_EQ(model.vertices.Nth(3)->position, (Vector3{0.0f, 0.0f, 0.0f}));
  // The pair of the two clicked on one spot, and the new one.
  EXPECT_EQ(model.duplicates.count(), 2u);
  // Two vertices under the cursor: no copy.
  ASSERT_EQ(Run("click right 384 128\n"), 0);
  EXPECT_EQ(model.vertices.count(), 4u);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(1, 2));
  ASSERT_EQ(Run("undo\n"), 0);
  EXPECT_EQ(model.vertices.count(), 3u);

  // In the mesh view a right click makes a face of the last three selected.
  ASSERT_EQ(Run("view-mesh\nselect-vertices 0 1 2\nclick right 10 10\n"), 0);
  ASSERT_EQ(model.faces.count(), 1u);
  EXPECT_EQ(model.faces.head()->a, model.vertices.Nth(2));
}

TEST_F(Gestures, BonesAreAddedPickedMovedAndTurnedExactlyAsPreviewed) {
  AddVerticesAt("click left 384 256\n");
  // Two bones clicked in: the root at the origin, its child at (0.5, 0, 0).
  ASSERT_EQ(Run("view-bones\nadd-mode\nanswer root\nclick left 256 256\nanswer tip\n"
                "click left 384 256\ncancel\nclick left 300 300\n"),
            0)
      << printed;
  ASSERT_EQ(model.boneCount, 2u);
  EXPECT_EQ(model.bones[1].parent, 0);
  EXPECT_EQ(model.bones[1].localMatrix[12], -0.5f);

  // A right click on the tip's joint makes it the current bone with its vertices.
  model.bones[1].AddWeight(model.vertices.Nth(0), 1.0f);
  model.currentBone = 0;
  ASSERT_EQ(Run("select-mode\nclick right 384 256\n"), 0);
  EXPECT_EQ(model.currentBone, 1);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(0));

  // Turned by the right button: the release keeps exactly the previewed matrix, the bone's
  // mass stays, and one Undo brings the rest pose back.
  model.bones[1].grams = 3.0f;
  const Matrix4 rest = model.bones[1].localMatrix;
  ASSERT_EQ(Run("pick 501 1\nmove-mode\npress right 384 256\nmove 420 300\n"), 0);
  const Matrix4 previewed = model.bones[1].localMatrix;
  EXPECT_NE(previewed, rest);
  ASSERT_EQ(Run("release right 420 300\n"), 0);
  EXPECT_EQ(model.bones[1].localMatrix, previewed);
  EXPECT_EQ(model.bones[1].grams, 3.0f);
  ASSERT_EQ(Run("undo\n"), 0);
  EXPECT_EQ(model.bones[1].localMatrix, rest);

  // Moved by the left button: the joint follows the cursor; a change of view mid-drag puts the
  // bone back where it was.
  ASSERT_EQ(Run("drag left 384 256 384 128\n"), 0);
  EXPECT_EQ(model.bones[1].localMatrix[13], -0.5f);
  ASSERT_EQ(Run("undo\npress left 384 256\nmove 300 100\nview-mesh\nrelease left 300 100\n"), 0);
  EXPECT_EQ(model.bones[1].localMatrix, rest);
}

TEST_F(Gestures, CameraModeDragsAndCtrlClicks) {
  const view::Camera& camera = session.editor.camera;
  ASSERT_EQ(Run("camera-mode\ndrag left 256 256 384 256\n"), 0) << printed;
  EXPECT_EQ(camera.panX, 0.5f);
  ASSERT_EQ(Run("camera-save\ndrag right 256 256 256 384\n"), 0);
  EXPECT_EQ(camera.pitch, 1.0f);
  ASSERT_EQ(Run("click left 10 10 ctrl\n"), 0);
  EXPECT_EQ(camera.pitch, 0.0f);
  EXPECT_EQ(camera.panX, 0.5f);
  ASSERT_EQ(Run("click right 10 10 ctrl\n"), 0);
  EXPECT_EQ(camera.panX, 0.0f);
  // The position readout follows the mouse in any mode.
  ASSERT_EQ(Run("move 384 128\n"), 0);
  EXPECT_EQ(session.editor.positionLine, "(0.500,0.500,0.000)");
}

TEST_F(Gestures, MouseAndKeyLinesAreCheckedBeforeAnythingRuns) {
  for (const char* line :
       {"press up 1 2\n", "wheel\n", "wheel 1x\n", "key ctrl+o\n", "key f1\n", "press left 1\n",
        "move 1 2 shift\n", "release left 1 2 ctrl\n", "drag left 1 2 3\n", "click left x 2\n",
        "click left 1 2 shift shift\n", "key W\n", "key\n", "key QA\n"}) {
    printed.clear();
    EXPECT_EQ(Run(std::string("add-box\n") + line), 2) << line;
    EXPECT_EQ(model.vertices.count(), 0u) << line;
    EXPECT_THAT(printed, HasSubstr("script.txt:2: ")) << line;
  }
  ASSERT_EQ(Run("key q\n"), 0);
  EXPECT_EQ(session.editor.mode, view::InteractionMode::Add);
}

TEST_F(Gestures, WheelZoomsAndMiddleDragPansInEveryModeLeavingTheSelection) {
  AddVerticesAt("click left 256 256\nclick left 384 128\n");
  ASSERT_EQ(Run("drag left 300 100 400 200\n"), 0) << printed;
  const view::Camera& camera = session.editor.camera;
  const std::uint64_t journal = JournalPosition();
  // One notch away from the user shows 0.8 of the extent, one back undoes it; fractions of a
  // notch (fine wheels) zoom by the matching power.
  ASSERT_EQ(Run("wheel 1\n"), 0) << printed;
  EXPECT_FLOAT_EQ(camera.HalfExtent(), 0.8f);
  ASSERT_EQ(Run("wheel -1\n"), 0);
  EXPECT_FLOAT_EQ(camera.HalfExtent(), 1.0f);
  ASSERT_EQ(Run("wheel 0.5\nwheel 0.5\nwheel -3\n"), 0);
  EXPECT_FLOAT_EQ(camera.HalfExtent(), 1.0f / (0.8f * 0.8f));
  // A middle drag of an eighth of the viewport each way pans by a quarter half-viewport, in
  // each mode, the picture following the mouse.
  float pan = 0.0f;
  for (const char* mode : {"select-mode", "add-mode", "move-mode", "camera-mode"}) {
    ASSERT_EQ(Run(std::string(mode) + "\ndrag middle 256 256 320 192\n"), 0) << mode;
    pan += 0.25f;
    EXPECT_FLOAT_EQ(camera.panX, pan) << mode;
    EXPECT_FLOAT_EQ(camera.panY, pan) << mode;
    EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(1)) << mode;
    EXPECT_EQ(model.vertices.count(), 2u) << mode;
    EXPECT_EQ(session.editor.dragRect.kind, view::DragKind::None) << mode;
  }
  EXPECT_EQ(JournalPosition(), journal);
}

TEST_F(Gestures, StandardKeysRunTheirCommandsAndDeleteFollowsTheActiveList) {
  AddVerticesAt("click left 256 256\nclick left 384 128\nclick left 128 128\n");
  ASSERT_EQ(Run("key ctrl+a\nkey f\nkey d\nselect-vertices 0\nkey Del\n"), 0) << printed;
  EXPECT_EQ(model.vertices.count(), 2u);  // no list picked: the selected vertices
  EXPECT_EQ(model.faces.count(), 0u);
  ASSERT_EQ(Run("key CTRL+Z\n"), 0);
  EXPECT_EQ(model.faces.count(), 1u);
  ASSERT_EQ(Run("key ctrl+y\nkey ctrl+z\nkey ctrl+shift+z\n"), 0);
  EXPECT_EQ(model.vertices.count(), 2u);
  ASSERT_EQ(Run("key ctrl+z\n"), 0);
  EXPECT_EQ(model.vertices.count(), 3u);
  // With the face list active, Delete takes the selected faces and leaves their corners.
  ASSERT_EQ(Run("key ctrl+a\npick 524 0\nkey del\n"), 0) << printed;
  EXPECT_EQ(session.editor.activeList, view::PanelList::Face);
  EXPECT_EQ(model.faces.count(), 0u);
  EXPECT_EQ(model.vertices.count(), 3u);
  // A bone list active: Delete deletes nothing.
  session.editor.activeList = view::PanelList::Bone;
  ASSERT_EQ(Run("key ctrl+a\nkey del\n"), 0);
  EXPECT_EQ(model.vertices.count(), 3u);
}

TEST_F(Gestures, AnImportedModelIsCentredAtFullZoomWithItsAnglesKept) {
  ASSERT_EQ(Run("add-box\nanswer 100 40 0\ntranslate\nsave @/off.obj\nnew\n"
                "camera-left\nwheel 3\ndrag middle 0 0 100 100\nopen @/off.obj\n"),
            0)
      << printed;
  const view::Camera& camera = session.editor.camera;
  EXPECT_EQ(camera.zoomOffset, 0.0f);
  EXPECT_FLOAT_EQ(camera.yaw, 1.5708f);
  model.ComputeBounds();
  EXPECT_FLOAT_EQ(camera.fitRadius, std::sqrt(model.radiusSquared));
  const Vector3 centre =
      TransformPoint(model.viewMatrix, {(model.boundsMin.x + model.boundsMax.x) / 2,
                                        (model.boundsMin.y + model.boundsMax.y) / 2,
                                        (model.boundsMin.z + model.boundsMax.z) / 2});
  EXPECT_NEAR(centre.x, 0.0f, 1e-4f);
  EXPECT_NEAR(centre.y, 0.0f, 1e-4f);
  EXPECT_GT(model.boundsMin.x, 90.0f);
}

}  // namespace
}  // namespace zmf::testing

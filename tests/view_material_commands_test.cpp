// Mode, view, camera, material, texture and texture-coordinate commands run from batch scripts,
// checked through the editor state they leave and the files they save.
#include <cmath>
#include <numbers>
#include <string>

#include "batch_fixture.h"
#include "command/material_commands.h"
#include "command/view_commands.h"
#include "file_fixture.h"

namespace zmf::testing {
namespace {

using ViewCommands = BatchScriptTest;
using MaterialCommands = BatchScriptTest;

TEST_F(ViewCommands, ModesAndViewsChangeTheStateAndANewViewCommitsTheModel) {
  ASSERT_EQ(Run("add-triad\nmove-mode\n"), 0) << printed;
  EXPECT_EQ(session.editor.mode, view::InteractionMode::Move);
  Vertex* top = model.vertices.Nth(1);
  top->savedPosition = {5, 5, 5};    // a preview or a pose on screen
  ASSERT_EQ(Run("view-mesh\n"), 0);  // the view it is in: nothing is committed
  EXPECT_EQ(top->savedPosition, (Vector3{5, 5, 5}));
  ASSERT_EQ(Run("view-bones\ncamera-mode\n"), 0);
  EXPECT_EQ(session.editor.view, view::ViewMode::Skeleton);
  EXPECT_EQ(session.editor.mode, view::InteractionMode::RepositionCamera);
  EXPECT_EQ(top->savedPosition, top->position);
}

TEST_F(ViewCommands, CameraPresetsZoomsSaveAndReturn) {
  const view::Camera& camera = session.editor.camera;
  // A box of half-size 0.5 has radius sqrt(0.75); 800% shows an eighth of it.
  ASSERT_EQ(Run("add-box\nzoom-800\ncamera-left\ncamera-top\n"), 0) << printed;
  const float radius = camera.fitRadius;
  EXPECT_FLOAT_EQ(radius, std::sqrt(0.75f));
  EXPECT_FLOAT_EQ(camera.HalfExtent(), radius / 8);
  EXPECT_EQ(camera.yaw, 1.5708f);
  EXPECT_EQ(camera.pitch, 1.5708f);
  // The view matrix of the next frame follows the camera.
  EXPECT_EQ(model.viewMatrix, view::BuildViewMatrix(camera));

  ASSERT_EQ(Run("camera-save\ncamera-back\nzoom-25\n"), 0);
  EXPECT_EQ(camera.yaw, std::numbers::pi_v<float>);
  EXPECT_FLOAT_EQ(camera.HalfExtent(), 5 * radius);
  ASSERT_EQ(Run("camera-return\n"), 0);
  EXPECT_EQ(camera.yaw, 1.5708f);
  EXPECT_EQ(camera.zoomOffset, -0.875f * radius);
  EXPECT_EQ(host.events().back().kind, ScriptedHost::Event::Kind::Beep);

  // New forgets the fit; Open fits again.
  ASSERT_EQ(Run("new\n"), 0);
  EXPECT_EQ(camera.fitRadius, 1.0f);
  EXPECT_EQ(camera.yaw, 0.0f);
  EXPECT_EQ(camera.zoomOffset, 0.0f);
  ASSERT_EQ(Run("add-plane\nsave @/plane.zmf\nnew\nopen @/plane.zmf\n"), 0) << printed;
  EXPECT_GT(camera.fitRadius, 1.0f);
}

// The triad's vertices with texture coordinates as saved.
std::string TriadWithCoords(const std::string& a, const std::string& b, const std::string& c,
                            const std::string& d) {
  return "VERTICES { POSITION_NORMAL_TEXCOORDS 4\n\t-0.500000 -0.500000 -0.500000\t" +
         std::string("-0.500000 0.000000 -0.500000\t") + a +
         "\n\t0.000000 0.500000 0.000000\t0.000000 1.000000 0.000000\t" + b +
         "\n\t0.500000 -0.500000 -0.500000\t0.500000 0.000000 -0.500000\t" + c +
         "\n\t0.000000 -0.500000 0.500000\t0.000000 0.000000 1.000000\t" + d + "\n}\n";
}

TEST_F(MaterialCommands, TextureCoordinatesFromTheViewFromPinsAndTyped) {
  // Texture coordinates are saved only for a model with a texture.
  WriteFile(folder.File("red.bmp"), SolidBmp64(0, 0, 255));
  ASSERT_EQ(Run("apply 584 @/red.bmp 0\n"
                "add-triad\ncoords-from-view\nsave @/view.zmf\nzoom-50\ncoords-from-view\n"
                "save @/far.zmf\ndeselect-all\nselect-vertices 0 1 2 3\napply 559 0 0\n"
                "pick 548 0\napply 559 0.1 0.1\npick 548 1\napply 559 0.9 0.1\n"
                "pick 548 2\napply 559 0.1 0.9\ncoords-from-pinned\nsave @/pinned.zmf\n"
                "undo\nsave @/undone.zmf\n"),
            0)
      << printed;
  // Radius 1 (no fit yet): the view square is -1 ... 1.
  EXPECT_THAT(Saved("view.zmf"),
              HasSubstr(TriadWithCoords("0.250000 0.750000", "0.500000 0.250000",
                                        "0.750000 0.750000", "0.500000 0.750000")));
  // 50%: three radii.
  EXPECT_THAT(Saved("far.zmf"),
              HasSubstr(TriadWithCoords("0.416667 0.583333", "0.500000 0.416667",
                                        "0.583333 0.583333", "0.500000 0.583333")));
  // Vertex 3 lies halfway between the pins of vertices 0 and 2.
  const std::string pinned = TriadWithCoords("0.100000 0.100000", "0.900000 0.100000",
                                             "0.100000 0.900000", "0.100000 0.500000");
  EXPECT_THAT(Saved("pinned.zmf"), HasSubstr(pinned));
  EXPECT_THAT(Saved("undone.zmf"),
              HasSubstr(TriadWithCoords("0.100000 0.100000", "0.900000 0.100000",
                                        "0.100000 0.900000", "0.000000 0.000000")));
}

std::string MaterialText(const std::string& name, const std::string& colours,
                         const std::string& texture = "") {
  return "\tMATERIAL { NAME " + name + "\n" + colours + texture + "\t}\n";
}

constexpr const char* kDefaultColours =
    "\t\tAMBIENT 0.200000 0.200000 0.200000 1.000000\n"
    "\t\tDIFFUSE 0.800000 0.800000 0.800000 1.000000\n"
    "\t\tEMISSION 0.000000 0.000000 0.000000 1.000000\n"
    "\t\tSPECULAR 0.000000 0.000000 0.000000 1.000000\n"
    "\t\tSHININESS 0\n";

TEST_F(MaterialCommands, MaterialsAreAddedColouredPutOnFacesRenamedAndDeleted) {
  ASSERT_EQ(Run("add-triad\nanswer wood\nadd-material\nanswer stone\nadd-material\n"
                "pick 493 1\napply 558 0.1 0.2 0.3 1 0.4 0.5 0.6 0.75 x 0 0 1 1 1 1 1 12.7\n"
                "deselect-all\nselect-faces 1 3\nset-material-on-selection\n"
                "answer oak\nrename-material\nsave @/three.zmf\n"
                "pick 493 0\ndelete-material\nsave @/deleted.zmf\nundo\nsave @/undone.zmf\n"),
            0)
      << printed;
  const std::string oak = MaterialText("oak",
                                       "\t\tAMBIENT 0.100000 0.200000 0.300000 1.000000\n"
                                       "\t\tDIFFUSE 0.400000 0.500000 0.600000 0.750000\n"
                                       "\t\tEMISSION 0.000000 0.000000 0.000000 1.000000\n"
                                       "\t\tSPECULAR 1.000000 1.000000 1.000000 1.000000\n"
                                       "\t\tSHININESS 12\n");
  const std::string stone = MaterialText("stone", kDefaultColours);
  const std::string three = Saved("three.zmf");
  EXPECT_EQ(From(three, "FACES"),
            "FACES { 4\n\t0 1 2\t0\n\t0 3 1\t1\n\t0 2 3\t0\n\t1 3 2\t1\n}\n"
            "MATERIALS { 3\n" +
                MaterialText("default", kDefaultColours) + oak + stone + "}\n");
  // Material 0's faces go to material 1, which becomes material 0.
  EXPECT_EQ(From(Saved("deleted.zmf"), "FACES"),
            "FACES { 4\n\t0 1 2\t0\n\t0 3 1\t0\n\t0 2 3\t0\n\t1 3 2\t0\n}\nMATERIALS { 2\n" + oak +
                stone + "}\n");
  EXPECT_EQ(Saved("undone.zmf"), three);
}

TEST_F(MaterialCommands, TexturesLoadToggleAndKeepTheirSettings) {
  const std::string picture = folder.File("red.bmp");
  WriteFile(picture, SolidBmp64(0, 0, 255));
  ASSERT_EQ(Run("add-triad\npick 550 7\napply 584 @/red.bmp 0.5\nsave @/on.zmf\n"
                "delete-texture\nsave @/off.zmf\nundo\nundo\nredo\nsave @/again.zmf\napply 495\n"),
            0)
      << printed;
  const std::string texture = "\t\tTEXTURE {\n\t\t\tFILE red.bmp\n\t\t\tALPHA 0.500000\n\t\t}\n";
  EXPECT_EQ(From(Saved("on.zmf"), "MATERIALS"),
            "MATERIALS { 1\n" + MaterialText("default", kDefaultColours, texture) + "}\n");
  EXPECT_EQ(From(Saved("off.zmf"), "MATERIALS"),
            "MATERIALS { 1\n" + MaterialText("default", kDefaultColours) + "}\n");
  EXPECT_EQ(Saved("again.zmf"), Saved("on.zmf"));
  // Each switch on loads the picture again, as a new texture.
  const Material& m = model.materials[0];
  EXPECT_EQ(m.hasTexture, 0);
  EXPECT_EQ(m.textureFile, picture);
  EXPECT_EQ(m.alphaMode, 7u);
  EXPECT_EQ(m.alphaValue, 0.5f);
  ASSERT_EQ(Run("apply 495\n"), 0);
  EXPECT_EQ(model.materials[0].hasTexture, 1);
  EXPECT_EQ(textures.live().size(), 1u);
  EXPECT_GE(model.materials[0].texture, 3u);
}

TEST_F(MaterialCommands, RefusalsAndScriptMistakes) {
  // One material: deleting it does nothing; a 33rd is refused and reported.
  std::string script = "add-triad\ndelete-material\n";
  for (int i = 1; i < 32; ++i) script += "answer m" + std::to_string(i) + "\nadd-material\n";
  ASSERT_EQ(Run(script), 0) << printed;
  EXPECT_EQ(model.materialCount, 32u);
  EXPECT_EQ(Run("answer extra\nadd-material\n"), 1);
  EXPECT_EQ(model.materialCount, 32u);
  EXPECT_EQ(Run("apply 558 1 2 3\n"), 1);
  EXPECT_EQ(Run("pick 550 8\n"), 1);
}

}  // namespace
}  // namespace zmf::testing

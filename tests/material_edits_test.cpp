// The material table's operations and the selection's material and texture-coordinate edits.
// Their undo steps in random sessions are in undo_stress_test.cpp.
#include "edit/material_edits.h"

#include "edit/journal.h"
#include "edit/undo_redo.h"
#include "file_fixture.h"
#include "format/zmf_writer.h"
#include "material/material_table.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;

class MaterialEdits : public ModelTest {
 protected:
  std::uint64_t Words() const { return model.journal.position(); }

  std::vector<std::uint32_t> FaceMaterials() const {
    std::vector<std::uint32_t> out;
    for (const Face* f : model.faces) out.push_back(f->material);
    return out;
  }

  TempFolder folder;
};

TEST_F(MaterialEdits, TheTableHoldsThirtyTwoNamesOf31Characters) {
  EXPECT_FALSE(edit::JournalAddMaterial(model, ""));
  EXPECT_TRUE(edit::JournalAddMaterial(model, std::string(40, 'x')));
  EXPECT_EQ(model.materials[1].name, std::string(31, 'x'));
  for (int i = 2; i < 32; ++i) edit::JournalAddMaterial(model, "m");
  const std::uint64_t full = Words();
  EXPECT_FALSE(edit::JournalAddMaterial(model, "thirty-third"));
  EXPECT_EQ(model.materialCount, 32u);
  EXPECT_EQ(model.currentMaterial, 0u);
  EXPECT_TRUE(material::RenameMaterial(model, 31, std::string(35, 'r')));
  EXPECT_FALSE(material::RenameMaterial(model, 31, ""));
  EXPECT_EQ(model.materials[31].name, std::string(31, 'r'));
  EXPECT_EQ(Words(), full);
}

TEST_F(MaterialEdits, DeletingMaterialZeroOfThreeAndUndoingIt) {
  const std::string file = folder.File("stone.bmp");
  WriteFile(file, SolidBmp64(1, 2, 3));
  edit::JournalAddMaterial(model, "one");
  edit::JournalAddMaterial(model, "two");
  edit::JournalSetMaterialColours(model, 0, {.1f, .2f, .3f, .4f}, {}, {}, {2, 2, 2, 2}, 40);
  edit::JournalSetMaterialTexture(model, 0, true, file, 7, 0.5f);
  for (std::uint32_t m : {0u, 1u, 2u, 0u}) {
    AddFileFace(model, AddVertex(0, 0, 0), AddVertex(1, 0, 0), AddVertex(0, 1, 0), m);
  }
  const std::uint32_t texture = model.materials[0].texture;

  edit::JournalDeleteMaterial(model, 0);
  EXPECT_EQ(model.materials[0].name, "one");
  EXPECT_EQ(model.materials[1].name, "two");
  EXPECT_THAT(FaceMaterials(), ElementsAre(0, 0, 1, 0));
  EXPECT_EQ(model.faces.chainCount(0), 3u);
  EXPECT_THAT(textures.deleted(), ElementsAre(texture));

  edit::Undo(model);
  EXPECT_THAT(FaceMaterials(), ElementsAre(0, 1, 2, 0));
  const Material& m = model.materials[0];
  EXPECT_EQ(m.name, "default");
  EXPECT_EQ(m.ambient, (Colour{.1f, .2f, .3f, .4f}));
  EXPECT_EQ(m.specular, (Colour{2, 2, 2, 2}));
  EXPECT_EQ(m.shininess, 40u);
  EXPECT_EQ(m.textureFile, file);
  EXPECT_EQ(m.alphaMode, 7u);
  EXPECT_EQ(textures.live().count(m.texture), 1u);
  EXPECT_EQ(model.materials[2].name, "two");
}

TEST_F(MaterialEdits, TexturesReloadAndKeepTheirSettingsWhenSwitchedOff) {
  const std::string file = folder.File("wood.bmp");
  WriteFile(file, SolidBmp64(10, 20, 30));
  edit::JournalAddMaterial(model, "wood");
  const Material& m = model.materials[1];
  auto toggle = [&] {  // as Delete Selected > Texture does it
    edit::JournalSetMaterialTexture(model, 1, m.hasTexture == 0, m.textureFile, m.alphaMode,
                                    m.alphaValue);
  };
  edit::JournalSetMaterialTexture(model, 1, true, file, 3, 0.25f);
  const std::uint32_t first = m.texture;
  edit::JournalSetMaterialTexture(model, 1, true, file, 3, 0.25f);  // the same mode again
  const std::uint32_t second = m.texture;
  EXPECT_THAT(textures.deleted(), ElementsAre(first));
  toggle();
  EXPECT_EQ(m.texture, second);  // kept, unused
  toggle();
  EXPECT_EQ(m.hasTexture, 1);
  EXPECT_THAT(textures.live(), ElementsAre(::testing::Key(m.texture)));
  EXPECT_NE(m.texture, second);

  // Off keeps path, mode and value through Undo and Redo, and through a deletion undone.
  auto expectKept = [&] {
    EXPECT_EQ(m.hasTexture, 0);
    EXPECT_EQ(m.textureFile, file);
    EXPECT_EQ(m.alphaMode, 3u);
    EXPECT_EQ(m.alphaValue, 0.25f);
  };
  edit::Undo(model);
  expectKept();
  edit::Undo(model);
  edit::Redo(model);
  expectKept();
  edit::JournalDeleteMaterial(model, 1);
  edit::Undo(model);
  expectKept();

  // A load that fails, or no file at all, leaves texture 0 with the flag set.
  edit::JournalSetMaterialTexture(model, 1, true, folder.File("missing.bmp"), 0, 0);
  EXPECT_EQ(m.texture, 0u);
  edit::JournalSetMaterialTexture(model, 1, true, file, 0, 0);
  edit::JournalSetMaterialTexture(model, 1, true, "", 0, 0);
  EXPECT_EQ(m.hasTexture, 1);
  EXPECT_EQ(m.texture, 0u);
  EXPECT_TRUE(textures.live().empty());
}

TEST_F(MaterialEdits, FaceMaterialsBeyondTheTableAreSavedAsZeroAndNeverMadeByEdits) {
  BuildOneTriangle(model);
  Face* face = model.faces.head();
  model.faces.UnlinkFromChain(face);
  face->material = 5;  // as a file or an importer can leave it
  model.faces.LinkToChain(face);
  EXPECT_EQ(format::WriteModelText(model), kOneTriangleText);

  model.SetFaceMaterial(face, 0);
  model.faces.Select(face);
  model.currentMaterial = 1;  // stale, as after undoing the material's addition
  edit::JournalSetFaceMaterial(model, face, 1);
  edit::SetMaterialOnSelection(model);
  EXPECT_EQ(Words(), 0u);
  EXPECT_EQ(edit::JournalAddFace(model, face->a, face->b, face->c)->material, 0u);

  edit::JournalAddMaterial(model, "red");
  edit::SetMaterialOnSelection(model);  // both faces, one group
  EXPECT_THAT(FaceMaterials(), ElementsAre(1, 1));
  edit::Undo(model);
  EXPECT_THAT(FaceMaterials(), ElementsAre(0, 0));
}

TEST_F(MaterialEdits, CoordsFromViewMapTheViewSquareOntoTheTexture) {
  Vertex* centre = AddVertex(0, 0, 5);
  Vertex* topLeft = AddVertex(-1, 1, 0);
  Vertex* outside = AddVertex(3, -0.5f, 0);
  edit::CoordsFromView(model, Matrix4::Identity(), 1.0f);  // nothing selected
  EXPECT_EQ(Words(), 0u);
  for (Vertex* v : {centre, topLeft, outside}) model.vertices.Select(v);
  edit::CoordsFromView(model, Matrix4::Identity(), 1.0f);
  EXPECT_EQ(Words(), 2u + 3 * 19);
  EXPECT_EQ(centre->u, 0.5f);
  EXPECT_EQ(centre->v, 0.5f);
  EXPECT_EQ(topLeft->u, 0.0f);
  EXPECT_EQ(topLeft->v, 0.0f);
  EXPECT_EQ(outside->u, 1.0f);
  EXPECT_EQ(outside->v, 0.75f);
  EXPECT_EQ(centre->position, (Vector3{0, 0, 5}));
  Matrix4 view = Matrix4::Identity();
  view[12] = 1.0f;  // moved right: the centre lands half way to the right edge of a square of 2
  edit::CoordsFromView(model, view, 2.0f);
  EXPECT_EQ(centre->u, 0.75f);
  EXPECT_EQ(topLeft->v, 0.25f);
}

TEST_F(MaterialEdits, CoordsFromPinnedInterpolateTheThreeNearestPins) {
  Vertex* pins[] = {AddVertex(0, 0, 0), AddVertex(2, 0, 0), AddVertex(0, 2, 0)};
  const float uv[][2] = {{0.1f, 0.1f}, {0.9f, 0.1f}, {0.1f, 0.9f}};
  Vertex* inside = AddVertex(0.5f, 0.5f, 0);
  Vertex* equidistant = AddVertex(1, 1, 0);
  for (int i = 0; i < 3; ++i) model.SetVertex(pins[i], pins[i]->position, {}, uv[i][0], uv[i][1]);
  for (Vertex* v : {pins[0], inside, pins[1], equidistant}) model.vertices.Select(v);
  edit::CoordsFromPinned(model, Matrix4::Identity());  // two pins: nothing, no undo step
  EXPECT_EQ(Words(), 0u);

  model.vertices.Select(pins[2]);
  edit::CoordsFromPinned(model, Matrix4::Identity());
  EXPECT_EQ(Words(), 2u + 2 * 19);
  EXPECT_NEAR(inside->u, 0.3f, 1e-6f);
  EXPECT_NEAR(inside->v, 0.3f, 1e-6f);
  // Equally far from all three: taken in order, the lines meet nowhere and s = 0.5.
  EXPECT_FLOAT_EQ(equidistant->u, 0.5f);
  EXPECT_FLOAT_EQ(equidistant->v, 0.5f);
  EXPECT_EQ(pins[1]->u, 0.9f);

  // A vertex at (0, 0) is no pin; with a pin at (-1, -1) it is recomputed, half way between that
  // pin and the midpoint of the other two.
  edit::Undo(model);
  model.SetVertex(pins[0], pins[0]->position, {}, 0, 0);
  Vertex* third = AddVertex(-1, -1, 0);
  model.SetVertex(third, third->position, {}, 0.3f, 0.5f);
  model.vertices.Select(third);
  edit::CoordsFromPinned(model, Matrix4::Identity());
  EXPECT_NEAR(pins[0]->u, 0.4f, 1e-6f);
  EXPECT_NEAR(pins[0]->v, 0.5f, 1e-6f);
}

}  // namespace
}  // namespace zmf::testing

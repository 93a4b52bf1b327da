// What each view draws, read back from the framebuffer at the pixels the model's points fall on.
#include "render/renderer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "render_fixture.h"

namespace zmf::testing {
namespace {

using view::ViewMode;

const Rgb kFaceGrey = Bytes(0.4f, 0.4f, 0.4f);
const Rgb kEdgeDark = Bytes(0.1f, 0.1f, 0.1f);
const Rgb kPointGrey = Bytes(0.7f, 0.7f, 0.7f);

TEST_F(RenderTest, MeshViewColoursTheNewestSelectedVerticesRedGreenBlueThenBrown) {
  Vertex* first = AddVertex(At(100, 100));
  Vertex* second = AddVertex(At(200, 100));
  Vertex* third = AddVertex(At(300, 100));
  Vertex* fourth = AddVertex(At(400, 100));
  AddVertex(At(100, 300));  // not selected
  for (Vertex* v : {first, second, third, fourth}) model.vertices.Select(v);

  Draw(ViewMode::Mesh);
  EXPECT_TRUE(Shows(400, 100, Bytes(1, 0, 0)));  // selected last
  EXPECT_TRUE(Shows(300, 100, Bytes(0, 1, 0)));
  EXPECT_TRUE(Shows(200, 100, Bytes(0, 0, 1)));
  EXPECT_TRUE(Shows(100, 100, Bytes(0.7f, 0.4f, 0.3f)));  // and all before it
  EXPECT_TRUE(Shows(100, 300, kPointGrey));
  EXPECT_TRUE(Shows(50, 400, kBackground));

  // Selecting the first again makes it the newest: every colour moves down one place.
  model.vertices.Select(first);
  Draw(ViewMode::Mesh);
  EXPECT_TRUE(Shows(100, 100, Bytes(1, 0, 0)));
  EXPECT_TRUE(Shows(400, 100, Bytes(0, 1, 0)));
  EXPECT_TRUE(Shows(300, 100, Bytes(0, 0, 1)));
  EXPECT_TRUE(Shows(200, 100, Bytes(0.7f, 0.4f, 0.3f)));
}

TEST_F(RenderTest, MeshViewDrawsGreyFacesWithDarkEdgesAndGreenEdgesOnSelectedFaces) {
  // Two triangles facing the viewer, their bottom edges along pixel rows 100 and 300, and one
  // facing away (wound clockwise), which is culled and shows only its edges.
  Face* selected = AddFace(AddVertex(At(50, 100)), AddVertex(At(150, 100)), AddVertex(At(50, 200)));
  AddFace(AddVertex(At(50, 300)), AddVertex(At(150, 300)), AddVertex(At(50, 400)));
  AddFace(AddVertex(At(300, 300)), AddVertex(At(300, 400)), AddVertex(At(400, 300)));
  model.faces.ClearSelection();
  model.faces.Select(selected);

  Draw(ViewMode::Mesh);
  EXPECT_TRUE(Shows(100, 100, Bytes(0.3f, 0.7f, 0.4f)));  // bottom edge of the selected face
  EXPECT_TRUE(Shows(50, 150, Bytes(0.3f, 0.7f, 0.4f)));   // its left edge
  EXPECT_TRUE(Shows(70, 120, kFaceGrey));                 // inside it
  EXPECT_TRUE(Shows(100, 300, kEdgeDark));
  EXPECT_TRUE(Shows(70, 320, kFaceGrey));
  EXPECT_TRUE(Shows(350, 300, kEdgeDark));  // the face turned away: edges only
  EXPECT_TRUE(Shows(300, 350, kEdgeDark));
  EXPECT_TRUE(Shows(320, 320, kBackground));
  EXPECT_TRUE(Shows(50, 100, kPointGrey));  // the corners are points over the edges
}

// The edge from (100, 100) to (100, 300) is drawn once for both faces that share it, in the
// selected colour when either of them is selected, whichever comes first in the list.
TEST_F(RenderTest, MeshViewDrawsAnEdgeOfASelectedAndAnUnselectedFaceInTheSelectedColour) {
  Vertex* bottom = AddVertex(At(100, 100));
  Vertex* top = AddVertex(At(100, 300));
  Face* left = AddFace(bottom, top, AddVertex(At(50, 200)));
  Face* right = AddFace(top, bottom, AddVertex(At(200, 200)));
  const Rgb green = Bytes(0.3f, 0.7f, 0.4f);
  for (Face* selected : {left, right}) {
    model.faces.ClearSelection();
    model.faces.Select(selected);
    Draw(ViewMode::Mesh);
    EXPECT_TRUE(Shows(100, 200, green));
    EXPECT_TRUE(Shows(75, 150, selected == left ? green : kEdgeDark));    // left face only
    EXPECT_TRUE(Shows(150, 250, selected == right ? green : kEdgeDark));  // right face only
  }
  model.faces.ClearSelection();
  Draw(ViewMode::Mesh);
  EXPECT_TRUE(Shows(100, 200, kEdgeDark));
}

TEST_F(RenderTest, NormalsViewDrawsUnnormalisedWhiskersAndColoursDuplicatesByTheirFirstVertex) {
  // Whiskers are 0.05 of the radius per unit of normal: 2.5 * 0.05 = 0.125 view units, 32 pixels.
  model.radiusSquared = 6.25f;
  AddVertex(At(100, 100), {1, 0, 0});
  AddVertex(At(100, 200), {2, 0, 0});
  Vertex* selected = AddVertex(At(100, 300), {0, -1, 0});
  model.vertices.Select(selected);
  Vertex* pairFirst = AddVertex(At(300, 100), {0, 0, 1});
  AddVertex(At(300, 100), {0, 0, 1});
  model.RebuildDuplicates();
  ASSERT_EQ(model.duplicates.count(), 1u);
  ASSERT_EQ(model.duplicates.head()->vertex, pairFirst);

  auto runLength = [&](int x, int y, int dx, int dy, const Rgb& colour) {
    int n = 0;
    while (Shows(x + n * dx, y + n * dy, colour)) ++n;
    return n;
  };
  const Rgb grey = Bytes(0.5f, 0.5f, 0.5f);
  Draw(ViewMode::Normals);
  EXPECT_EQ(runLength(100, 100, 1, 0, grey), 32);
  EXPECT_EQ(runLength(100, 200, 1, 0, grey), 64) << "a normal of length 2 doubles the whisker";
  EXPECT_EQ(runLength(100, 300, 0, -1, Bytes(0.9f, 0.3f, 0.3f)), 32);
  EXPECT_TRUE(Shows(100, 268, kBackground));
  EXPECT_TRUE(Shows(300, 100, Bytes(0.8f, 0.5f, 0.2f)));

  model.vertices.Select(pairFirst);
  Draw(ViewMode::Normals);
  EXPECT_TRUE(Shows(300, 100, Bytes(0.5f, 0.8f, 0.3f)));
}

TEST_F(RenderTest, MaterialViewLaysTheCurrentTextureOverTheViewWithTheSelectedTexCoords) {
  const std::vector<std::uint8_t> texels = QuadrantTexels();
  model.materials[0].texture = textures.Create(4, 4, texels.data());
  model.materials[0].hasTexture = 1;
  ASSERT_NE(model.materials[0].texture, 0u);
  // Texture coordinates at pixel centres: (64.5, 64.5) / 512 from the top left.
  Vertex* nearTopLeft = AddVertex(At(250, 250), {0, 0, 1}, 64.5f / 512, 64.5f / 512);
  Vertex* nearBottomRight = AddVertex(At(260, 250), {0, 0, 1}, 447.5f / 512, 447.5f / 512);
  AddVertex(At(270, 250));
  model.vertices.Select(nearTopLeft);
  model.vertices.Select(nearBottomRight);

  Draw(ViewMode::Material);
  const Rgb texCoordPoint = Bytes(0.3f, 0.4f, 1.0f);
  EXPECT_TRUE(Shows(64, 447, texCoordPoint));
  EXPECT_TRUE(Shows(447, 64, texCoordPoint));
  // The quadrants, first texture row at the top of the view.
  EXPECT_TRUE(Shows(128, 384, Bytes(1, 0, 0), 0));
  EXPECT_TRUE(Shows(384, 384, Bytes(0, 1, 0), 0));
  EXPECT_TRUE(Shows(128, 128, Bytes(0, 0, 1), 0));
  EXPECT_TRUE(Shows(384, 160, Bytes(1, 1, 1), 0));
  // The vertices on top: selected ones orange-red, the other grey.
  EXPECT_TRUE(Shows(250, 250, Bytes(1.0f, 0.4f, 0.3f)));
  EXPECT_TRUE(Shows(270, 250, kPointGrey));

  // Another material current: no overlay, the clear colour around the points.
  model.materialCount = 2;
  model.currentMaterial = 1;
  Draw(ViewMode::Material);
  EXPECT_TRUE(Shows(128, 384, kBackground));
  EXPECT_TRUE(Shows(64, 447, kBackground));
}

TEST_F(RenderTest, BackgroundImageFillsTheMeshViewEvenWithoutVertices) {
  const std::vector<std::uint8_t> texels = QuadrantTexels();
  model.backgroundTexture = textures.Create(4, 4, texels.data());
  ASSERT_NE(model.backgroundTexture, 0u);
  Draw(ViewMode::Mesh);
  EXPECT_TRUE(Shows(128, 384, Bytes(1, 0, 0), 0));
  EXPECT_TRUE(Shows(384, 128, Bytes(1, 1, 1), 0));
  EXPECT_EQ(Count(Bytes(0.6f, 0.6f, 0.6f)), 0) << "the image covers the centre cross";
  Draw(ViewMode::Normals);
  EXPECT_EQ(Count(kBackground), kViewSize * kViewSize);
}

TEST_F(RenderTest, MaterialViewEdgesOnlyTheCurrentMaterialsFaces) {
  model.materialCount = 2;
  // Both faces turned away, so only edges can colour their outlines.
  AddFace(AddVertex(At(100, 100)), AddVertex(At(100, 200)), AddVertex(At(200, 100)), 0);
  AddFace(AddVertex(At(300, 100)), AddVertex(At(300, 200)), AddVertex(At(400, 100)), 1);
  // A face of a material the table does not have (yet): drawn in the mesh view only.
  AddFace(AddVertex(At(100, 300)), AddVertex(At(200, 300)), AddVertex(At(100, 400)), 5);
  const Rgb blueGrey = Bytes(0.2f, 0.4f, 0.7f);

  model.currentMaterial = 0;
  Draw(ViewMode::Material);
  EXPECT_TRUE(Shows(150, 100, blueGrey));
  EXPECT_TRUE(Shows(350, 100, kBackground));
  EXPECT_TRUE(Shows(130, 320, kBackground));
  EXPECT_TRUE(Shows(150, 300, kBackground));

  model.currentMaterial = 1;
  Draw(ViewMode::Material);
  EXPECT_TRUE(Shows(150, 100, kBackground));
  EXPECT_TRUE(Shows(350, 100, blueGrey));

  Draw(ViewMode::Mesh);
  EXPECT_TRUE(Shows(130, 320, kFaceGrey));
}

TEST_F(RenderTest, MaterialViewLightsFacesWithTheMaterialColours) {
  // Emission only: no light reaches the face, so it shows the emission colour exactly.
  Material& m = model.materials[0];
  m.ambient = {0, 0, 0, 1};
  m.diffuse = {0, 0, 0, 1};
  m.emission = {0.2f, 0.6f, 1.0f, 1};
  AddFace(AddVertex(At(100, 100)), AddVertex(At(300, 100)), AddVertex(At(100, 300)));

  Draw(ViewMode::Material);
  EXPECT_TRUE(Shows(150, 150, Bytes(0.2f, 0.6f, 1.0f)));
  Draw(ViewMode::Skeleton);
  EXPECT_TRUE(Shows(150, 150, Bytes(0.2f, 0.6f, 1.0f)));

  // Lit faces take their alpha from the diffuse colour. The skeleton view blends a material
  // whose texture has an alpha mode, over the 0.2 grey background, and no other.
  m.diffuse = {0, 0, 0, 0.5f};
  Draw(ViewMode::Skeleton);
  EXPECT_TRUE(Shows(150, 150, Bytes(0.2f, 0.6f, 1.0f)));
  m.alphaMode = 1;
  Draw(ViewMode::Skeleton);
  EXPECT_TRUE(Shows(150, 150, Bytes(0.2f, 0.4f, 0.6f)));
}

// Two bones at the centre of pixel (256, 256) at rest; an animation poses the second 64 pixels to
// the right. The first bone moves a vertex half and half with the second, which also moves a
// vertex of its own.
TEST_F(RenderTest, SkeletonViewPosesTheMeshAndColoursJointsAndWeights) {
  model.radiusSquared = 6.25f;  // axes of 0.25 view units, 64 pixels
  const Vector3 centre = At(256, 256);
  Matrix4 rest = Matrix4::Identity();  // model space to bone space: the centre to the origin
  rest[12] = -centre.x;
  rest[13] = -centre.y;
  ASSERT_TRUE(anim::AddBone(model, "root", -1, rest, 1));
  ASSERT_TRUE(anim::AddBone(model, "arm", 0, Matrix4::Identity(), 1));
  Vertex* shared = AddVertex(At(100, 300));
  Vertex* own = AddVertex(At(100, 100));
  Vertex* still = AddVertex(At(400, 400));
  ASSERT_TRUE(anim::AddVertexWeight(model, 0, shared));
  ASSERT_TRUE(anim::AddVertexWeight(model, 1, shared));
  ASSERT_TRUE(anim::AddVertexWeight(model, 1, own));

  ASSERT_TRUE(anim::AddAnimation(model, "reach", 1, 0.0f));
  model.currentKey = 0;
  ASSERT_TRUE(anim::AddKeyBone(model, 0));
  ASSERT_TRUE(anim::AddKeyBone(model, 1));  // the current key bone
  Matrix4 reach = Matrix4::Identity();
  reach[12] = 0.25f;  // 64 pixels
  anim::ApplyKeyBoneMatrix(model, reach);

  // The root is current: yellow; the arm is the current key bone: magenta.
  model.currentBone = 0;
  Draw(ViewMode::Skeleton);
  const Rgb yellow = Bytes(0.9f, 0.9f, 0.0f), magenta = Bytes(0.9f, 0.0f, 0.9f);
  const Rgb teal = Bytes(0.2f, 0.5f, 0.5f);
  // Joints are round points 5 pixels across; one pixel down and left of the centre is off every
  // axis.
  EXPECT_TRUE(Shows(255, 255, yellow));
  EXPECT_TRUE(Shows(319, 255, magenta));
  // Axes 64 pixels long: the root's y axis up, the arm's x axis to the right; the root's x axis
  // lies under the arm's line back to its parent.
  EXPECT_TRUE(Shows(256, 300, Bytes(0, 1, 0)));
  EXPECT_TRUE(Shows(380, 256, Bytes(1, 0, 0)));
  EXPECT_TRUE(Shows(290, 256, teal));
  EXPECT_TRUE(Shows(385, 256, kBackground));
  // The shared vertex is moved half way (32 pixels), the arm's own the whole way (64 pixels).
  const Rgb vertexGrey = Bytes(0.5f, 0.5f, 0.5f);
  EXPECT_TRUE(Shows(132, 300, vertexGrey));
  EXPECT_TRUE(Shows(100, 300, kBackground));
  EXPECT_TRUE(Shows(164, 100, vertexGrey));
  EXPECT_TRUE(Shows(400, 400, vertexGrey)) << "a vertex no bone holds stays where it is";

  // The arm current too: the key-bone colour wins; its weights show, full brown and half green.
  model.currentBone = 1;
  model.vertices.Select(still);
  Draw(ViewMode::Skeleton);
  EXPECT_TRUE(Shows(255, 255, teal));
  EXPECT_TRUE(Shows(319, 255, magenta));
  EXPECT_TRUE(Shows(400, 400, Bytes(1, 1, 0)));
  // Weight points are 2 pixels across, under the vertex's own point.
  const Rgb brown = Bytes(0.7f, 0.4f, 0.3f), green = Bytes(0.0f, 0.9f, 0.3f);
  EXPECT_TRUE(ShowsAround(164, 100, brown));
  EXPECT_FALSE(ShowsAround(164, 100, green));
  EXPECT_TRUE(ShowsAround(132, 300, green));
  EXPECT_FALSE(ShowsAround(132, 300, brown));
  EXPECT_FALSE(ShowsAround(400, 400, green) || ShowsAround(400, 400, brown));

  // No current bone: no weights.
  model.currentBone = -1;
  Draw(ViewMode::Skeleton);
  EXPECT_FALSE(ShowsAround(164, 100, brown));
}

TEST_F(RenderTest, FacesWithoutAllCornersOrWithoutAMaterialAreSkippedSafely) {
  Vertex* a = AddVertex(At(100, 100));
  Vertex* b = AddVertex(At(200, 100));
  Vertex* c = AddVertex(At(100, 200));
  AddFace(a, b, nullptr);
  AddFace(nullptr, nullptr, nullptr, 3);
  AddFace(a, b, c, 31);  // far beyond the single material
  model.SelectAll();

  for (ViewMode mode :
       {ViewMode::Mesh, ViewMode::Normals, ViewMode::Material, ViewMode::Skeleton}) {
    Draw(mode);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
  Draw(ViewMode::Mesh);
  EXPECT_TRUE(Shows(120, 120, kFaceGrey));
  Draw(ViewMode::Material);
  EXPECT_TRUE(Shows(120, 120, kBackground));
}

TEST_F(RenderTest, ArraysAreRebuiltWhenTheModelChangesAndOnlyThen) {
  Vertex* moving = AddVertex(At(100, 100));
  Vertex* other = AddVertex(At(200, 100));
  AddFace(moving, other, AddVertex(At(100, 200)));
  model.vertices.ClearSelection();

  Draw(ViewMode::Mesh);
  const render::DrawArrays::BuildCounts first = renderer.ArrayBuilds();
  Draw(ViewMode::Mesh);
  Draw(ViewMode::Mesh);
  EXPECT_EQ(renderer.ArrayBuilds().vertexData, first.vertexData);
  EXPECT_EQ(renderer.ArrayBuilds().faces, first.faces);
  EXPECT_EQ(renderer.ArrayBuilds().selection, first.selection);

  // A moved vertex: new positions, the same faces.
  model.SetVertex(moving, At(120, 80), {0, 0, 1}, 0, 0);
  Draw(ViewMode::Mesh);
  EXPECT_GT(renderer.ArrayBuilds().vertexData, first.vertexData);
  EXPECT_EQ(renderer.ArrayBuilds().faces, first.faces);
  EXPECT_TRUE(Shows(120, 80, kPointGrey));
  EXPECT_FALSE(Shows(100, 100, kPointGrey));

  // A selection: new colours, the same positions.
  const render::DrawArrays::BuildCounts moved = renderer.ArrayBuilds();
  model.vertices.Select(other);
  Draw(ViewMode::Mesh);
  EXPECT_GT(renderer.ArrayBuilds().selection, moved.selection);
  EXPECT_EQ(renderer.ArrayBuilds().vertexData, moved.vertexData);
  EXPECT_EQ(renderer.ArrayBuilds().faces, moved.faces);
  EXPECT_TRUE(Shows(200, 100, Bytes(1, 0, 0)));

  // Another model at the same place, or a deleted vertex, renumbers everything.
  model.DeleteVertex(moving);
  Draw(ViewMode::Mesh);
  EXPECT_FALSE(Shows(120, 80, kPointGrey));
  EXPECT_TRUE(Shows(100, 200, kPointGrey));
}

TEST_F(RenderTest, DragRectangleOfASelectionDragIsDrawnAndMoveDragsAreNot) {
  AddVertex(At(10, 10));
  // Corners at pixel centres in normalised viewport coordinates (y growing downwards): the drag
  // started at pixel (128, 400) and is now at (383, 200).
  editor.dragRect = {view::DragKind::ReplaceRect, 128.5f / 256 - 1, 1 - 400.5f / 256,
                     383.5f / 256 - 1, 1 - 200.5f / 256};
  Draw(ViewMode::Mesh);
  const Rgb replace = Bytes(0.7f, 0.1f, 0.4f);
  EXPECT_TRUE(Shows(300, 400, replace));
  EXPECT_TRUE(Shows(300, 200, replace));
  EXPECT_TRUE(Shows(128, 300, replace));
  EXPECT_TRUE(Shows(383, 300, replace));
  EXPECT_TRUE(Shows(300, 300, kBackground));
  // Four one-pixel lines and nothing else (a line's last pixel is left to the rasterizer).
  EXPECT_NEAR(Count(replace), 2 * 255 + 2 * 200, 4);

  editor.dragRect.kind = view::DragKind::RemoveRect;
  Draw(ViewMode::Normals);
  EXPECT_TRUE(Shows(300, 400, Bytes(0.9f, 0.1f, 0.1f)));

  editor.dragRect.kind = view::DragKind::Translate;
  Draw(ViewMode::Mesh);
  EXPECT_EQ(Count(replace), 0);
  EXPECT_TRUE(Shows(300, 400, kBackground));
}

}  // namespace
}  // namespace zmf::testing

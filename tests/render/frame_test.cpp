// The viewport's initial GL state and the empty-model frame, rendered headless with Mesa.
#include "render/frame.h"

#include <GL/gl.h>

#include "render_fixture.h"

namespace zmf::testing {
namespace {

using view::ViewMode;

const Rgb kCross = Bytes(0.6f, 0.6f, 0.6f);

// An empty model: the default camera shows -1 ... 1, so the cross spans the viewport.
using FrameTest = RenderTest;

TEST(GlVersionTest, ViewportDrawsOnlyFromGl11On) {
  EXPECT_TRUE(render::IsGl11OrLater("4.5 (Compatibility Profile) Mesa 22.3.6"));
  EXPECT_TRUE(render::IsGl11OrLater("1.1.0"));
  EXPECT_TRUE(render::IsGl11OrLater("2.1 Mesa"));
  EXPECT_FALSE(render::IsGl11OrLater("1.0"));
  EXPECT_FALSE(render::IsGl11OrLater("OpenGL ES 3.2"));
  EXPECT_FALSE(render::IsGl11OrLater(""));
  EXPECT_FALSE(render::IsGl11OrLater(nullptr));
}

TEST_F(FrameTest, InitialStateMatchesTheViewportsFixedSetup) {
  // Whatever the model-view matrix held before (the fixture set the state up once already), the
  // light is placed in eye space.
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(10.0f, 20.0f, 30.0f);
  render::SetInitialGlState();

  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(std::vector<GLfloat>(clear, clear + 4), (std::vector<GLfloat>{0.2f, 0.2f, 0.2f, 0.0f}));
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 512, 512}));

  for (auto [capability, enabled] : {std::pair{GL_CULL_FACE, true}, std::pair{GL_TEXTURE_2D, false},
                                     std::pair{GL_DEPTH_TEST, false}, std::pair{GL_LIGHTING, false},
                                     std::pair{GL_BLEND, false}}) {
    EXPECT_EQ(bool(glIsEnabled(capability)), enabled) << "capability " << capability;
  }
  for (auto [parameter, expected] :
       {std::pair{GL_FRONT_FACE, GL_CCW}, std::pair{GL_CULL_FACE_MODE, GL_BACK},
        std::pair{GL_BLEND_SRC, GL_SRC_ALPHA}, std::pair{GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
        std::pair{GL_POINT_SMOOTH_HINT, GL_NICEST}}) {
    GLint value = 0;
    glGetIntegerv(parameter, &value);
    EXPECT_EQ(value, GLint(expected)) << "parameter " << parameter;
  }

  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
  const std::array<std::pair<GLenum, std::array<GLfloat, 4>>, 4> light = {{
      {GL_AMBIENT, {0.2f, 0.2f, 0.2f, 1.0f}},
      {GL_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}},
      {GL_SPECULAR, {1.0f, 1.0f, 1.0f, 1.0f}},
      {GL_POSITION, {-150.0f, 200.0f, 250.0f, 1.0f}},
  }};
  for (const auto& [parameter, expected] : light) {
    GLfloat actual[4];
    glGetLightfv(GL_LIGHT1, parameter, actual);
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(actual[i], expected[i]) << "light parameter " << parameter << "[" << i << "]";
    }
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameTest, VerticesAndFacesViewOfAnEmptyModelIsTheCentreCross) {
  // A frame starts from the identity whatever the last one left behind.
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(0.5f, 0.5f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  Draw(ViewMode::Mesh);

  // Both lines run along pixel edges (x = 256.0 and y = 256.0 in window coordinates), so the
  // rasterizer may light the column and row on either side; Mesa lights 255.
  int column = -1;
  int row = -1;
  for (int candidate : {255, 256}) {
    if (Shows(candidate, 100, kCross)) column = candidate;
    if (Shows(100, candidate, kCross)) row = candidate;
  }
  ASSERT_NE(column, -1) << "no vertical line next to the centre";
  ASSERT_NE(row, -1) << "no horizontal line next to the centre";
  for (int t = 0; t < kViewSize; ++t) {
    EXPECT_TRUE(Shows(column, t, kCross)) << "vertical line at y " << t;
    EXPECT_TRUE(Shows(t, row, kCross)) << "horizontal line at x " << t;
  }
  // So two one-pixel lines across the whole view, sharing the centre pixel, and nothing else.
  EXPECT_EQ(Count(kCross), 2 * kViewSize - 1);
  EXPECT_EQ(Count(kBackground), kViewSize * kViewSize - (2 * kViewSize - 1));
}

TEST_F(FrameTest, OtherViewsOfAnEmptyModelShowOnlyTheBackground) {
  for (ViewMode mode : {ViewMode::Normals, ViewMode::Material, ViewMode::Skeleton}) {
    // Start from a frame with the cross, so that a missing clear would show.
    Draw(ViewMode::Mesh);
    Draw(mode);
    EXPECT_EQ(Count(kBackground), kViewSize * kViewSize) << "view " << static_cast<int>(mode);
  }
}

}  // namespace
}  // namespace zmf::testing

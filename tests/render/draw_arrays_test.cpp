// The mesh view's edge list and its buffer objects: each edge once, the edges of selected faces
// last, and the same pictures from buffer objects as from client arrays.
#include "render/draw_arrays.h"

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include <vector>

#include "render/gl_buffers.h"
#include "render_fixture.h"

namespace zmf::testing {
namespace {

using view::ViewMode;
using Indices = std::vector<std::uint32_t>;

void* ProcAddress(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

TEST(BufferObjectsTest, OfferedFromGl15OrByTheArbExtension) {
  EXPECT_TRUE(render::OffersBufferObjects("1.5.0", ""));
  EXPECT_TRUE(render::OffersBufferObjects("4.5 (Compatibility Profile) Mesa 22.3.6", nullptr));
  EXPECT_TRUE(render::OffersBufferObjects("1.4", "GL_EXT_a GL_ARB_vertex_buffer_object GL_b"));
  EXPECT_TRUE(render::OffersBufferObjects(nullptr, "GL_ARB_vertex_buffer_object"));
  EXPECT_FALSE(render::OffersBufferObjects("1.4", "GL_ARB_vertex_buffer_object_rgb32 GL_x"));
  EXPECT_FALSE(render::OffersBufferObjects("1.4.1", "GL_ARB_vertex_buffer"));
  EXPECT_FALSE(render::OffersBufferObjects("OpenGL ES 3.2", ""));
  EXPECT_FALSE(render::OffersBufferObjects("", nullptr));
  EXPECT_FALSE(render::OffersBufferObjects(nullptr, nullptr));
}

// Corners 0 1 2 and 2 1 3 share the edge 1-2; 0 0 3 repeats a corner; a face missing one is left
// out. Edges go by their lower index, then by first use, in the direction first used.
TEST_F(RenderTest, EdgesAreListedOnceAndThoseOfSelectedFacesLastInTheirFacesDirection) {
  Vertex* v[4] = {AddVertex(At(1, 1)), AddVertex(At(2, 1)), AddVertex(At(1, 2)),
                  AddVertex(At(2, 2))};
  AddFace(v[0], v[1], v[2]);
  AddFace(v[0], nullptr, v[3]);
  Face* second = AddFace(v[2], v[1], v[3]);
  AddFace(v[0], v[0], v[3]);
  render::DrawArrays arrays;
  EXPECT_EQ(arrays.Edges(model), (Indices{0, 1, 2, 0, 0, 0, 0, 3, 1, 2, 1, 3, 3, 2}));

  model.faces.ClearSelection();
  model.faces.Select(second);
  const render::DrawArrays::EdgeSplit& split = arrays.EdgesBySelection(model);
  EXPECT_EQ(split.indices, (Indices{0, 1, 2, 0, 0, 0, 0, 3, 2, 1, 1, 3, 3, 2}));
  EXPECT_EQ(split.unselected, 8u);

  model.faces.ClearSelection();
  EXPECT_EQ(arrays.EdgesBySelection(model).indices, arrays.Edges(model));
  EXPECT_EQ(arrays.EdgesBySelection(model).unselected, 14u);
}

TEST_F(RenderTest, BufferObjectsDrawTheSamePicturesAsClientArraysAfterEachChange) {
  render::GlBuffers probe;
  probe.Load(ProcAddress);
  ASSERT_TRUE(probe.Loaded()) << "Mesa offers buffer objects";
  probe.Load(nullptr);
  EXPECT_FALSE(probe.Loaded());

  Vertex* v[5] = {AddVertex(At(64, 128)), AddVertex(At(192, 384)), AddVertex(At(320, 128)),
                  AddVertex(At(448, 384)), AddVertex(At(448, 128))};
  AddFace(v[0], v[2], v[1]);
  Face* middle = AddFace(v[1], v[2], v[3]);
  AddFace(v[2], v[4], v[3]);
  AddFace(v[3], v[4], nullptr);
  model.vertices.ClearSelection();
  model.vertices.Select(v[3]);
  renderer.UseBufferObjects(ProcAddress);
  render::Renderer clientArrays;

  auto expectSamePictures = [&](const char* step) {
    for (ViewMode mode : {ViewMode::Mesh, ViewMode::Normals}) {
      editor.view = mode;
      clientArrays.DrawFrame(model, editor, clock);
      const std::vector<std::uint8_t> expected = context.ReadPixels();
      Draw(mode);
      EXPECT_EQ(pixels, expected) << step << ", view " << static_cast<int>(mode);
      EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
  };
  expectSamePictures("first frame");
  model.faces.Select(middle);
  expectSamePictures("a face selected");
  model.SetVertex(v[1], At(200, 420), {0, 0, 1}, 0, 0);
  expectSamePictures("a vertex moved");
  model.DeleteVertex(v[4]);
  expectSamePictures("a vertex and its faces deleted");
  renderer.UseBufferObjects(nullptr);
}

}  // namespace
}  // namespace zmf::testing

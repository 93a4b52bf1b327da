// A model drawn headless by the Renderer into a 512 x 512 Mesa context, with the pixel arithmetic
// of the default camera: view coordinates -1 ... 1 fill the viewport on both axes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "egl_context.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "render/frame.h"
#include "render/gl_texture_store.h"
#include "render/renderer.h"
#include "view/camera.h"
#include "view/editor_state.h"

namespace zmf::testing {

inline constexpr int kViewSize = 512;

using Rgb = std::array<int, 3>;

// A GL colour as the framebuffer stores it.
inline Rgb Bytes(float r, float g, float b) {
  auto byte = [](float c) { return static_cast<int>(std::lround(c * 255.0f)); };
  return {byte(r), byte(g), byte(b)};
}

inline const Rgb kBackground = Bytes(0.2f, 0.2f, 0.2f);

// A texture of four single-coloured quadrants, 4 x 4 texels, first row at the top: red top left,
// green top right, blue bottom left, white bottom right. Linear filtering inside a quadrant gives
// its colour exactly.
inline std::vector<std::uint8_t> QuadrantTexels() {
  const std::uint8_t quadrants[4][4] = {
      {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
  std::vector<std::uint8_t> texels;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const std::uint8_t* texel = quadrants[row / 2 * 2 + column / 2];
      texels.insert(texels.end(), texel, texel + 4);
    }
  }
  return texels;
}

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(context.Ready()) << context.Error();
    render::SetInitialGlState();
    editor.projection = view::ApplyProjection(editor.camera);
  }

  // The model point at the centre of pixel (x, y), counted from the bottom left as GL counts
  // them, at view depth 0 (the default camera's view matrix is the identity).
  static Vector3 At(int x, int y) {
    return {(static_cast<float>(x) + 0.5f) / 256.0f - 1.0f,
            (static_cast<float>(y) + 0.5f) / 256.0f - 1.0f, 0.0f};
  }

  Vertex* AddVertex(const Vector3& p, const Vector3& normal = {0, 0, 1}, float u = 0, float v = 0) {
    Vertex* vertex = model.AppendVertex();
    model.SetVertex(vertex, p, normal, u, v);
    return vertex;
  }

  // A face of the given material, its corners in that order (counter-clockwise on screen faces
  // the viewer); the corners may be null.
  Face* AddFace(Vertex* a, Vertex* b, Vertex* c, std::uint32_t material = 0) {
    Face* face = model.faces.Allocate();
    face->a = a;
    face->b = b;
    face->c = c;
    model.AddFace(face, material);
    return face;
  }

  void Draw(view::ViewMode mode) {
    editor.view = mode;
    renderer.DrawFrame(model, editor, clock);
    pixels = context.ReadPixels();
  }

  Rgb Pixel(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * kViewSize + x) * 4;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
  }

  // Whether pixel (x, y) holds the colour, each channel within `tolerance` (float colours such
  // as 0.7 fall between two bytes).
  ::testing::AssertionResult Shows(int x, int y, const Rgb& expected, int tolerance = 1) const {
    const Rgb actual = Pixel(x, y);
    for (int i = 0; i < 3; ++i) {
      if (std::abs(actual[i] - expected[i]) > tolerance) {
        std::ostringstream out;
        out << "pixel (" << x << ", " << y << ") is " << actual[0] << "," << actual[1] << ","
            << actual[2] << ", expected " << expected[0] << "," << expected[1] << ","
            << expected[2];
        return ::testing::AssertionFailure() << out.str();
      }
    }
    return ::testing::AssertionSuccess();
  }

  // Whether the colour shows at (x, y) or one of its eight neighbours: for round points, whose
  // rim the rasterizer may put on either side of a pixel centre.
  bool ShowsAround(int x, int y, const Rgb& colour) const {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if (Shows(x + dx, y + dy, colour)) return true;
      }
    }
    return false;
  }

  int Count(const Rgb& colour) const {
    int n = 0;
    for (int y = 0; y < kViewSize; ++y) {
      for (int x = 0; x < kViewSize; ++x) n += Shows(x, y, colour) ? 1 : 0;
    }
    return n;
  }

  // First on purpose: the context outlives the model's textures.
  test::EglContext context{kViewSize, kViewSize};
  ScriptedHost host;
  render::GlTextureStore textures;
  Model model{host, textures};
  view::EditorState editor;
  ManualClock clock;
  render::Renderer renderer;
  std::vector<std::uint8_t> pixels;
};

}  // namespace zmf::testing

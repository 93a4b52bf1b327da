// The viewport's GL state at start-up and the drawing of one frame.
#pragma once

namespace zmf::render {

// View modes of the viewport, in the order of the view buttons.
enum class ViewMode {
  VerticesAndFaces = 0,
  NormalsAndDuplicates = 1,
  MaterialAndTexture = 2,
  BonesAndAnimation = 3,
};

// True when a GL_VERSION string starts with a version of 1.1 or later; the viewport draws only
// then. Null or unreadable strings are false.
bool IsGl11OrLater(const char* versionString);

// The state every frame starts from: grey clear colour, a 512 x 512 viewport, back faces culled,
// texturing, depth test, lighting and blending off (the blend function is set for when a
// material turns blending on), and light 1 placed in eye space. Needs a current GL context.
void SetInitialGlState();

// Clears the frame and draws what the given view mode shows. An empty model shows only the
// centre cross of the Vertices and Faces view. Needs a current GL context.
void DrawFrame(ViewMode viewMode);

}  // namespace zmf::render

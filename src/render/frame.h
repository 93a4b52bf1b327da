// The viewport's GL state at start-up; the frames themselves are the Renderer's.
#pragma once

namespace zmf::render {

// True when a GL_VERSION string starts with a version of 1.1 or later; the viewport draws only
// then. Null or unreadable strings are false.
bool IsGl11OrLater(const char* versionString);

// The state every frame starts from: grey clear colour, a 512 x 512 viewport (until
// SetViewportPixels), back faces culled,
// texturing, depth test, lighting and blending off (the blend function is set for when a
// material turns blending on), and light 1 placed in eye space. Needs a current GL context.
void SetInitialGlState();

// The GL viewport for a widget of that many device pixels (its size times its pixel ratio).
void SetViewportPixels(int width, int height);

}  // namespace zmf::render

// The viewport's GL state at start-up.
#include "render/frame.h"

#include <GL/gl.h>

#include <charconv>
#include <cstring>

#include "model/host.h"

namespace zmf::render {
namespace {

// Light 1 (light 0 is never used): a white positional light above, left of and in front of the
// eye. Its position is given while the model-view matrix is the identity, so it stays fixed
// relative to the camera.
constexpr GLfloat kLightAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f};
constexpr GLfloat kLightDiffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
constexpr GLfloat kLightSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat kLightPosition[] = {-150.0f, 200.0f, 250.0f, 1.0f};

}  // namespace

bool IsGl11OrLater(const char* versionString) {
  if (versionString == nullptr) return false;
  // "4.5 (Compatibility Profile) Mesa ..." or "1.1.0": the leading number is the version.
  float version = 0.0f;
  const char* end = versionString + std::strlen(versionString);
  const auto result = std::from_chars(versionString, end, version, std::chars_format::fixed);
  return result.ec == std::errc() && version >= 1.1f;
}

void SetInitialGlState() {
  glClearColor(0.2f, 0.2f, 0.2f, 0.0f);
  glViewport(0, 0, kViewportSize, kViewportSize);

  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);

  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);

  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_BLEND);

  glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_LIGHT1);
  glLightfv(GL_LIGHT1, GL_AMBIENT, kLightAmbient);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, kLightDiffuse);
  glLightfv(GL_LIGHT1, GL_SPECULAR, kLightSpecular);
  glLightfv(GL_LIGHT1, GL_POSITION, kLightPosition);
}

void SetViewportPixels(int width, int height) { glViewport(0, 0, width, height); }

}  // namespace zmf::render

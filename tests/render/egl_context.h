// A headless GL compatibility context for renderer tests: Mesa's surfaceless EGL platform, so no
// X server or GPU is needed.
#pragma once

#include <EGL/egl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zmf::test {

// Makes a compatibility-profile context current on a width x height RGBA8 + 16-bit depth
// drawable: a pbuffer when the platform offers one, otherwise a framebuffer object. Check
// Ready() (and Error() for why not) before drawing.
class EglContext {
 public:
  EglContext(int width, int height);
  ~EglContext();
  EglContext(const EglContext&) = delete;
  EglContext& operator=(const EglContext&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Error() const { return error_; }

  // The drawable's pixels as RGBA, bottom row first (GL's order): pixel (x, y) starts at
  // 4 * (y * width + x).
  std::vector<std::uint8_t> ReadPixels() const;

 private:
  bool Create();
  bool CreateFramebufferObject();
  void DestroyFramebufferObject();

  int width_;
  int height_;
  bool ready_ = false;
  std::string error_;
  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  EGLSurface surface_ = EGL_NO_SURFACE;
  unsigned fbo_ = 0;
  unsigned colorBuffer_ = 0;
  unsigned depthBuffer_ = 0;
};

}  // namespace zmf::test

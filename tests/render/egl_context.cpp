// A headless GL compatibility context for renderer tests: Mesa's surfaceless EGL platform.
#include "egl_context.h"

#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#ifdef __SANITIZE_ADDRESS__
// Mesa unloads its driver when the display is terminated, and what the driver still held then
// belongs to no module any more: the leak check could not tell it from ours, so it is off in the
// render tests (ASAN_OPTIONS still overrides this). Address and undefined-behaviour checks stay.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif

namespace zmf::test {
namespace {

// GL 3.0 framebuffer entry points; <GL/gl.h> only declares GL 1.x.
struct FramebufferFunctions {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

  bool Load() {
    Get(genFramebuffers, "glGenFramebuffers");
    Get(deleteFramebuffers, "glDeleteFramebuffers");
    Get(bindFramebuffer, "glBindFramebuffer");
    Get(genRenderbuffers, "glGenRenderbuffers");
    Get(deleteRenderbuffers, "glDeleteRenderbuffers");
    Get(bindRenderbuffer, "glBindRenderbuffer");
    Get(renderbufferStorage, "glRenderbufferStorage");
    Get(framebufferRenderbuffer, "glFramebufferRenderbuffer");
    Get(checkFramebufferStatus, "glCheckFramebufferStatus");
    return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers &&
           deleteRenderbuffers && bindRenderbuffer && renderbufferStorage &&
           framebufferRenderbuffer && checkFramebufferStatus;
  }

  template <typename F>
  static void Get(F& function, const char* name) {
    function = reinterpret_cast<F>(eglGetProcAddress(name));
  }
};

FramebufferFunctions& Framebuffers() {
  static FramebufferFunctions functions;
  return functions;
}

}  // namespace

EglContext::EglContext(int width, int height) : width_(width), height_(height) {
  ready_ = Create();
}

EglContext::~EglContext() {
  if (display_ == EGL_NO_DISPLAY) return;
  if (context_ != EGL_NO_CONTEXT) {
    DestroyFramebufferObject();
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
  }
  if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
  eglTerminate(display_);
}

bool EglContext::Create() {
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) {
    error_ = "eglGetPlatformDisplayEXT is missing";
    return false;
  }
  display_ = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display_ == EGL_NO_DISPLAY || !eglInitialize(display_, nullptr, nullptr)) {
    display_ = EGL_NO_DISPLAY;
    error_ = "no surfaceless EGL display";
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error_ = "desktop OpenGL is not available through EGL";
    return false;
  }

  // clang-format off
  const EGLint pbufferConfig[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                  EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                  EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                  EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_NONE};
  // clang-format on
  const EGLint anyConfig[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  const bool pbuffer = eglChooseConfig(display_, pbufferConfig, &config, 1, &count) && count == 1;
  if (!pbuffer && !(eglChooseConfig(display_, anyConfig, &config, 1, &count) && count == 1)) {
    error_ = "no EGL config renders desktop OpenGL";
    return false;
  }

  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, contextAttributes);
  if (context_ == EGL_NO_CONTEXT) {
    error_ = "no compatibility-profile context";
    return false;
  }

  if (pbuffer) {
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width_, EGL_HEIGHT, height_, EGL_NONE};
    surface_ = eglCreatePbufferSurface(display_, config, surfaceAttributes);
  }
  if (!eglMakeCurrent(display_, surface_, surface_, context_)) {
    error_ = "cannot make the context current";
    return false;
  }
  if (surface_ == EGL_NO_SURFACE && !CreateFramebufferObject()) {
    error_ = "no pbuffer and no framebuffer object";
    return false;
  }
  return true;
}

bool EglContext::CreateFramebufferObject() {
  FramebufferFunctions& gl = Framebuffers();
  if (!gl.Load()) return false;
  gl.genFramebuffers(1, &fbo_);
  gl.bindFramebuffer(GL_FRAMEBUFFER, fbo_);
  gl.genRenderbuffers(1, &colorBuffer_);
  gl.bindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
  gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
  gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
  gl.genRenderbuffers(1, &depthBuffer_);
  gl.bindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
  gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width_, height_);
  gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
  return gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void EglContext::DestroyFramebufferObject() {
  if (fbo_ == 0) return;
  FramebufferFunctions& gl = Framebuffers();
  gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
  gl.deleteRenderbuffers(1, &colorBuffer_);
  gl.deleteRenderbuffers(1, &depthBuffer_);
  gl.deleteFramebuffers(1, &fbo_);
  fbo_ = 0;
}

std::vector<std::uint8_t> EglContext::ReadPixels() const {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width_) * height_ * 4);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace zmf::test

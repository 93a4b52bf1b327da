// Buffer objects for the arrays the viewport draws most: GL 1.5's, or those of the
// GL_ARB_vertex_buffer_object extension before it. Their entry points are not in <GL/gl.h>'s
// GL 1.1, so they are looked up through the context's own proc-address function; a context that
// offers neither keeps drawing from client arrays.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace zmf::render {

// The context's proc-address lookup (eglGetProcAddress, QOpenGLContext::getProcAddress, ...).
using GlProcLoader = void* (*)(const char* name);

// Whether a context with this GL_VERSION and GL_EXTENSIONS string has buffer objects: version
// 1.5 or later, or the ARB extension named in the space-separated list. Null strings count as
// empty.
bool OffersBufferObjects(const char* versionString, const char* extensions);

class GlBuffers {
 public:
  // The buffers, one per array kept in one: the positions an array buffer, the others element
  // (index) buffers.
  enum Slot { kPositions, kTriangles, kEdges, kSlots };

  // Deletes the buffers made so far (Release), then looks up the entry points when the current
  // context offers buffer objects; with a null loader, or without them, Loaded() stays false
  // and nothing is made.
  void Load(GlProcLoader loader);
  bool Loaded() const { return functions_.bindBuffer != nullptr; }

  // Binds the slot's buffer, first copying `bytes` from `data` into it when `stamp` differs
  // from the copy's. False, with no buffer bound to the slot's target, when there are no buffer
  // objects or the copy failed (out of memory): the caller then draws from `data` itself.
  bool Bind(Slot slot, const void* data, std::size_t bytes, std::uint64_t stamp);
  // Binds no buffer to either target, so that pointers are client memory again.
  void Unbind();

  // Deletes the buffers; needs their context current.
  void Release();
  // Forgets the buffers and the entry points without a GL call: their context is gone.
  void Forget();

 private:
  // The GL 1.5 signatures; the ARB functions have the same ones.
  struct Functions {
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLBUFFERSUBDATAPROC bufferSubData = nullptr;
  };
  struct Buffer {
    GLuint name = 0;
    std::size_t bytes = 0;
    std::uint64_t stamp = 0;
    bool filled = false;  // holds the data of `stamp`
  };

  Functions functions_;
  std::array<Buffer, kSlots> buffers_{};
};

}  // namespace zmf::render

// Buffer objects for the viewport's largest arrays, through the context's proc addresses.
#include "render/gl_buffers.h"

#include <charconv>
#include <string>
#include <string_view>
#include <type_traits>

namespace zmf::render {
namespace {

constexpr std::string_view kArbExtension = "GL_ARB_vertex_buffer_object";

// Whether a GL_VERSION string starts with "major.minor" of 1.5 or later.
bool IsGl15OrLater(std::string_view text) {
  const char* end = text.data() + text.size();
  int major = 0, minor = 0;
  const auto [dot, majorError] = std::from_chars(text.data(), end, major);
  if (majorError != std::errc() || dot == end || *dot != '.') return false;
  if (std::from_chars(dot + 1, end, minor).ec != std::errc()) return false;
  return major > 1 || (major == 1 && minor >= 5);
}

bool HasExtension(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const std::size_t space = list.find(' ');
    if (list.substr(0, space) == name) return true;
    if (space == std::string_view::npos) break;
    list.remove_prefix(space + 1);
  }
  return false;
}

std::string_view Text(const char* s) { return s != nullptr ? std::string_view(s) : ""; }

std::string_view GlString(GLenum name) {
  return Text(reinterpret_cast<const char*>(glGetString(name)));
}

GLenum Target(GlBuffers::Slot slot) {
  return slot == GlBuffers::kPositions ? GL_ARRAY_BUFFER : GL_ELEMENT_ARRAY_BUFFER;
}

}  // namespace

bool OffersBufferObjects(const char* versionString, const char* extensions) {
  return IsGl15OrLater(Text(versionString)) || HasExtension(Text(extensions), kArbExtension);
}

void GlBuffers::Load(GlProcLoader loader) {
  Release();
  if (loader == nullptr) return;
  // The core names from 1.5 on; before it, the extension's, which take the same arguments.
  const char* suffix = "";
  if (!IsGl15OrLater(GlString(GL_VERSION))) {
    if (!HasExtension(GlString(GL_EXTENSIONS), kArbExtension)) return;
    suffix = "ARB";
  }
  auto get = [&](auto& function, const char* name) {
    const std::string full = std::string(name) + suffix;
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(loader(full.c_str()));
  };
  Functions f;
  get(f.genBuffers, "glGenBuffers");
  get(f.deleteBuffers, "glDeleteBuffers");
  get(f.bindBuffer, "glBindBuffer");
  get(f.bufferData, "glBufferData");
  get(f.bufferSubData, "glBufferSubData");
  if (f.genBuffers && f.deleteBuffers && f.bindBuffer && f.bufferData && f.bufferSubData) {
    functions_ = f;
  }
}

bool GlBuffers::Bind(Slot slot, const void* data, std::size_t bytes, std::uint64_t stamp) {
  if (!Loaded()) return false;
  Buffer& buffer = buffers_[slot];
  const GLenum target = Target(slot);
  if (buffer.name == 0) functions_.genBuffers(1, &buffer.name);
  functions_.bindBuffer(target, buffer.name);
  if (buffer.filled && buffer.stamp == stamp && buffer.bytes == bytes) return true;

  const auto size = static_cast<GLsizeiptr>(bytes);
  if (buffer.filled && buffer.bytes == bytes) {
    functions_.bufferSubData(target, 0, size, data);
  } else {
    functions_.bufferData(target, size, data, GL_STATIC_DRAW);
  }
  buffer.filled = glGetError() != GL_OUT_OF_MEMORY;
  buffer.bytes = bytes;
  buffer.stamp = stamp;
  if (!buffer.filled) functions_.bindBuffer(target, 0);
  return buffer.filled;
}

void GlBuffers::Unbind() {
  if (!Loaded()) return;
  functions_.bindBuffer(GL_ARRAY_BUFFER, 0);
  functions_.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GlBuffers::Release() {
  if (Loaded()) {
    for (Buffer& buffer : buffers_) {
      if (buffer.name != 0) functions_.deleteBuffers(1, &buffer.name);
    }
  }
  Forget();
}

void GlBuffers::Forget() {
  functions_ = {};
  buffers_ = {};
}

}  // namespace zmf::render

// Fuzzes the text vertex importer and checks the mesh it leaves: every face on three vertices of
// the model with a material of the table, and every corner in its vertex's chain once.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "importers/text_vertices.h"
#include "model/model.h"
#include "model/scripted_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zmf::ScriptedHost host;
  static zmf::RecordingTextureStore textures;
  static zmf::Model model(host, textures);

  model.Reset();
  zmf::importers::ImportTextFrom(model, {reinterpret_cast<const char*>(data), size});

  std::size_t corners = 0;
  for (const zmf::Vertex* v : model.vertices) {
    for (const zmf::Face* f : v->Faces()) {
      if (f->a != v && f->b != v && f->c != v) __builtin_trap();
      ++corners;
    }
  }
  for (const zmf::Face* f : model.faces) {
    if (!f->HasAllCorners() || f->material >= model.materialCount) __builtin_trap();
    if (model.vertices.FindById(f->a->id) != f->a || model.vertices.FindById(f->c->id) != f->c)
      __builtin_trap();
  }
  if (corners != 3 * std::size_t{model.faces.count()}) __builtin_trap();
  return 0;
}

// Deleting the selection through the journal.
#include "edit/delete_selected.h"

#include "edit/journal.h"

namespace zmf::edit {

void DeleteSelectedVertices(Model& model) {
  if (model.vertices.selCount() == 0) return;
  JournalGroup group(model);
  // Each deletion takes the vertex out of the chain, so the head is always the next one.
  while (Vertex* v = model.vertices.selHead()) JournalDeleteVertex(model, v);
}

void DeleteSelectedFaces(Model& model) {
  if (model.faces.selCount() == 0) return;
  JournalGroup group(model);
  while (Face* f = model.faces.selHead()) JournalDeleteFace(model, f);
}

}  // namespace zmf::edit

// Topology selections, walking the faces around each vertex rather than the whole face list.
#include "edit/face_selection.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "edit/journal.h"

namespace zmf::edit {
namespace {

// Where each face stands in the face list, to put the few faces found around one face into
// list order. Ids grow along the list, so they serve, unless Undo has re-created a face under an
// older id at the tail; only then are the positions counted out.
class FaceListOrder {
 public:
  explicit FaceListOrder(const FaceList& faces) {
    const Face* previous = nullptr;
    for (const Face* f : faces) {
      if (previous != nullptr && f->id <= previous->id) {
        useIds_ = false;
        break;
      }
      previous = f;
    }
    if (useIds_) return;
    positions_.reserve(faces.count());
    std::uint32_t position = 0;
    for (const Face* f : faces) positions_.emplace(f, position++);
  }

  std::uint32_t Of(const Face* f) const {
    if (useIds_) return f->id;
    const auto it = positions_.find(f);
    return it == positions_.end() ? 0 : it->second;
  }

 private:
  bool useIds_ = true;
  std::unordered_map<const Face*, std::uint32_t> positions_;
};

}  // namespace

void SelectUnconnectedVertices(Model& model) {
  if (model.vertices.empty()) return;
  JournalGroup group(model);
  model.vertices.ClearSelection();
  for (Vertex* v : model.vertices) {
    if (!v->HasFaces()) model.vertices.Select(v);
  }
}

void SelectConnectedFaces(Model& model) {
  if (model.faces.selCount() == 0) return;
  const FaceListOrder order(model.faces);
  std::vector<std::pair<std::uint32_t, Face*>> around;  // (list position, face) of one face's
                                                        // unselected neighbours
  for (Face* s = model.faces.selHead(); s != nullptr; s = s->selNext) {
    if (!s->HasAllCorners()) continue;
    around.clear();
    for (const Vertex* corner : {s->a, s->b, s->c}) {
      for (Face* f : corner->Faces()) {
        if (!f->selected && f->HasAllCorners()) around.emplace_back(order.Of(f), f);
      }
    }
    std::sort(around.begin(), around.end());
    for (const auto& [position, f] : around) {
      if (f->selected) continue;  // met again through another shared corner
      model.faces.Select(f);
      model.vertices.Select(f->a);
      model.vertices.Select(f->b);
      model.vertices.Select(f->c);
    }
  }
}

}  // namespace zmf::edit

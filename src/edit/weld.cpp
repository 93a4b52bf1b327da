// Welding the vertex selection into one vertex, and welding selected duplicate pairs.
#include "edit/weld.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "edit/journal.h"
#include "model/progress.h"

namespace zmf::edit {
namespace {

// Where faces stand in the face list, so that the few faces of one vertex can be visited in
// list order. Ids increase along the list unless Undo re-appended a face under its old id; only
// then is a position table built. Worked out on first use, since most welds never need it.
class FaceListOrder {
 public:
  explicit FaceListOrder(const FaceList& faces) : faces_(faces) {}

  std::uint64_t KeyOf(const Face* face) {
    if (!known_) Learn();
    if (positions_.empty()) return face->id;
    const auto it = positions_.find(face);
    return it != positions_.end() ? it->second : UINT64_MAX;
  }

 private:
  void Learn() {
    known_ = true;
    const Face* previous = nullptr;
    for (const Face* f : faces_) {
      if (previous != nullptr && f->id <= previous->id) break;
      previous = f;
      if (f == faces_.tail()) return;  // strictly increasing ids: the id is the key
    }
    std::uint64_t position = 0;
    positions_.reserve(faces_.count());
    for (const Face* f : faces_) positions_.emplace(f, position++);
  }

  const FaceList& faces_;
  bool known_ = false;
  std::unordered_map<const Face*, std::uint64_t> positions_;  // empty while ids give the order
};

// The distinct faces that use `vertex`, in face-list order (a face that uses the vertex at two
// corners is listed once).
void FacesInListOrder(const Vertex* vertex, FaceListOrder& order,
                      std::vector<std::pair<std::uint64_t, Face*>>& out) {
  out.clear();
  for (Face* used : vertex->Faces()) {
    out.emplace_back(order.KeyOf(used), used);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

}  // namespace

void RewireFaceCorner(Model& model, Face* face, int corner, Vertex* keep) {
  if (face == nullptr || keep == nullptr || corner < 0 || corner > 2 || !face->HasAllCorners()) {
    return;
  }
  Vertex* const corners[3] = {face->a, face->b, face->c};
  JournalSetFaceVertices(model, face, keep, corners[(corner + 1) % 3], corners[(corner + 2) % 3]);
}

void WeldSelectedVertices(Model& model) {
  Vertex* const keep = model.vertices.selHead();
  if (keep == nullptr) return;
  JournalGroup group(model);
  // The work: each face looked at, then each other selected vertex deleted.
  ProgressMeter progress(model.host(), "Welding vertices...",
                         std::uint64_t{model.faces.count()} + model.vertices.selCount() - 1);

  Vector3 position, normal;
  float u = 0.0f, v = 0.0f;
  for (const Vertex* s : model.vertices.Selected()) {
    position += s->position;
    normal += s->normal;
    u += s->u;
    v += s->v;
  }
  const auto count = static_cast<float>(model.vertices.selCount());
  position /= count;
  normal /= count;
  u /= count;
  v /= count;

  // The selected flags say which corners are welded; only one pass over the faces is needed.
  for (Face* f = model.faces.head(); f != nullptr;) {
    progress.Advance();
    Face* const next = f->next;
    if (f->HasAllCorners()) {
      const Vertex* const corners[3] = {f->a, f->b, f->c};
      int selected = 0;
      int at = 0;
      for (int c = 0; c < 3; ++c) {
        if (corners[c]->selected) {
          ++selected;
          at = c;
        }
      }
      if (selected == 1) {
        RewireFaceCorner(model, f, at, keep);
      } else if (selected > 1) {
        JournalDeleteFace(model, f);
      }
    }
    f = next;
  }

  while (Vertex* s = keep->selNext) {
    progress.Advance();
    JournalDeleteVertex(model, s);
  }
  JournalSetVertex(model, keep, position, normal, u, v);
}

void WeldSelectedDuplicates(Model& model) {
  if (model.duplicates.selCount() == 0) return;
  JournalGroup group(model);
  // The work: each selected pair, then each vertex looked at.
  ProgressMeter progress(model.host(), "Welding duplicates...",
                         std::uint64_t{model.duplicates.selCount()} + model.vertices.count());

  FaceListOrder order(model.faces);
  std::vector<std::pair<std::uint64_t, Face*>> faces;
  for (const Duplicate* d : model.duplicates.Selected()) {
    progress.Advance();
    Vertex* const keep = d->vertex;
    const Vertex* const twin = d->twin;
    if (keep == nullptr || twin == nullptr || keep == twin || !(keep->position == twin->position)) {
      continue;
    }
    FacesInListOrder(twin, order, faces);
    for (const auto& [key, f] : faces) {
      if (!f->HasAllCorners()) continue;
      if (f->a == twin) {
        JournalSetFaceVertices(model, f, keep, f->b, f->c);
      } else if (f->b == twin) {
        JournalSetFaceVertices(model, f, f->a, keep, f->c);
      } else if (f->c == twin) {
        JournalSetFaceVertices(model, f, f->a, f->b, keep);
      }
    }
  }

  // Deleting a vertex empties the duplicate list, so the walk above is over before any goes.
  for (Vertex* v = model.vertices.head(); v != nullptr;) {
    progress.Advance();
    Vertex* const next = v->next;
    if (!v->HasFaces()) JournalDeleteVertex(model, v);
    v = next;
  }
  model.RebuildDuplicates();
}

}  // namespace zmf::edit

// Vertex normals from the faces around the selected vertices, and inverting them.
#include "edit/normals.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "edit/journal.h"
#include "model/buckets.h"
#include "model/flat_hash_map.h"

namespace zmf::edit {
namespace {

// Adds the face's cross product taken at the first corner that is `p`: (A - P) x (P - B), with
// A the corner before P and B the corner after it in winding order. A face that lacks one of
// those corners (re-created around a vertex that no longer exists) adds nothing.
void AddCornerCross(Vector3& sum, const Face& face, const Vertex* p) {
  const std::array<const Vertex*, 3> corners = {face.a, face.b, face.c};
  int i = 0;
  while (i < 3 && corners[i] != p) ++i;
  if (i == 3) return;
  const Vertex* before = corners[(i + 2) % 3];
  const Vertex* after = corners[(i + 1) % 3];
  if (before == nullptr || after == nullptr) return;
  sum += Cross(before->position - p->position, p->position - after->position);
}

// Adds the cross products of the faces that use `p`: all of them, or only the selected ones.
// A face that uses `p` at several corners counts once per corner.
void AddFacesAround(Vector3& sum, const Vertex* p, bool selectedFacesOnly) {
  for (Face* used : p->Faces()) {
    if (selectedFacesOnly && !used->selected) continue;
    AddCornerCross(sum, *used, p);
  }
}

// For every vertex named in the duplicate list, the vertices it is paired with, in the order a
// walk of the list meets them: record by record, and within a record the first slot before the
// twin slot. Built once per calculation, so each selected vertex finds its partners without
// walking the whole list.
class DuplicatePartners {
 public:
  explicit DuplicatePartners(const RecordList<Duplicate>& duplicates) {
    for (const Duplicate* d : duplicates) {
      if (d->vertex == nullptr || d->twin == nullptr) continue;
      partners_.Count(GroupOf(d->vertex));
      partners_.Count(GroupOf(d->twin));
    }
    partners_.Arrange();
    for (const Duplicate* d : duplicates) {
      if (d->vertex == nullptr || d->twin == nullptr) continue;
      partners_.Place(*groups_.Find(d->vertex), d->twin);
      partners_.Place(*groups_.Find(d->twin), d->vertex);
    }
    partners_.Finish();
  }

  std::span<Vertex* const> Of(const Vertex* v) const {
    const std::uint32_t* group = groups_.Find(v);
    if (group == nullptr) return {};
    return partners_[*group];
  }

 private:
  std::uint32_t GroupOf(const Vertex* v) {
    const auto [group, isNew] =
        groups_.Insert(v, static_cast<std::uint32_t>(partners_.bucketCount()));
    if (isNew) partners_.AddBucket();
    return *group;
  }

  FlatHashMap<const Vertex*, std::uint32_t, PointerHasher<Vertex>> groups_;  // vertex -> group
  Buckets<Vertex*> partners_;  // by group: the vertex's partners
};

}  // namespace

void CalculateNormals(Model& model, bool connected, bool acrossDuplicates) {
  if (model.vertices.selCount() == 0) return;
  std::optional<DuplicatePartners> partners;
  if (acrossDuplicates) partners.emplace(model.duplicates);

  JournalGroup group(model);
  for (Vertex* p : model.vertices.Selected()) {
    Vector3 sum;
    AddFacesAround(sum, p, !connected);
    if (partners) {
      // Across a duplicate every face of the partner counts, selected or not.
      for (const Vertex* q : partners->Of(p)) AddFacesAround(sum, q, false);
    }
    const float length = Length(sum);
    if (length != 0.0f) sum /= length;
    if (sum == p->normal) continue;
    const Vector3 position = p->position;
    JournalSetVertex(model, p, position, sum, p->u, p->v);
  }
}

void CalculateNormalsAcrossDuplicates(Model& model) {
  model.RebuildDuplicates();
  CalculateNormals(model, true, true);
}

void InvertSelectedNormals(Model& model) {
  if (model.vertices.selCount() == 0) return;
  JournalGroup group(model);
  for (Vertex* p : model.vertices.Selected()) {
    const Vector3 position = p->position;
    const Vector3 normal = -p->normal;
    JournalSetVertex(model, p, position, normal, p->u, p->v);
  }
}

}  // namespace zmf::edit

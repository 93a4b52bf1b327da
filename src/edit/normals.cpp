// Vertex normals from the faces around the selected vertices, and inverting them.
#include "edit/normals.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "edit/journal.h"

namespace zmf {
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
  for (const FaceRef* ref = p->faceRefHead; ref != nullptr; ref = ref->next) {
    if (ref->face == nullptr || (selectedFacesOnly && !ref->face->selected)) continue;
    AddCornerCross(sum, *ref->face, p);
  }
}

// For every vertex named in the duplicate list, the vertices it is paired with, in the order a
// walk of the list meets them: record by record, and within a record the first slot before the
// twin slot. Built once per calculation, so each selected vertex finds its partners without
// walking the whole list.
class DuplicatePartners {
 public:
  explicit DuplicatePartners(const RecordList<Duplicate>& duplicates) {
    // Partners are stored grouped per vertex: count them, lay out the groups, then fill them
    // in list order.
    std::vector<std::uint32_t> counts;
    for (const Duplicate* d : duplicates) {
      if (d->vertex == nullptr || d->twin == nullptr) continue;
      for (const Vertex* v : {d->vertex, d->twin}) {
        const std::uint32_t slot = SlotOf(v, counts);
        ++counts[slot];
      }
    }
    offsets_.resize(counts.size() + 1, 0);
    for (std::size_t s = 0; s < counts.size(); ++s) offsets_[s + 1] = offsets_[s] + counts[s];
    partners_.resize(offsets_.back());
    std::vector<std::uint32_t> next(offsets_.begin(), offsets_.end() - 1);
    for (const Duplicate* d : duplicates) {
      if (d->vertex == nullptr || d->twin == nullptr) continue;
      partners_[next[slots_[d->vertex]]++] = d->twin;
      partners_[next[slots_[d->twin]]++] = d->vertex;
    }
  }

  std::span<Vertex* const> Of(const Vertex* v) const {
    const auto it = slots_.find(v);
    if (it == slots_.end()) return {};
    return std::span<Vertex* const>(partners_.data() + offsets_[it->second],
                                    offsets_[it->second + 1] - offsets_[it->second]);
  }

 private:
  std::uint32_t SlotOf(const Vertex* v, std::vector<std::uint32_t>& counts) {
    const auto [it, added] = slots_.try_emplace(v, static_cast<std::uint32_t>(counts.size()));
    if (added) counts.push_back(0);
    return it->second;
  }

  std::unordered_map<const Vertex*, std::uint32_t> slots_;  // vertex -> its group
  std::vector<std::uint32_t> offsets_;  // group s holds partners_[offsets_[s], offsets_[s + 1])
  std::vector<Vertex*> partners_;
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

}  // namespace zmf

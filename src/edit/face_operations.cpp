// Reversing, copying and fanning through the journal.
#include "edit/face_operations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "anim/skeleton.h"
#include "edit/journal.h"
#include "model/transforms.h"

namespace zmf::edit {
namespace {

// The bones that hold each vertex, in bone order, gathered in one pass over all weights, so a
// command that copies many vertices does not search every bone's weights for each of them.
class BoneHolders {
 public:
  explicit BoneHolders(const Model& model) {
    for (std::uint32_t b = 0; b < model.boneCount; ++b) {
      for (const VertexWeight* w : model.bones[b].weights) {
        if (w->vertex != nullptr) holders_[w->vertex].push_back(static_cast<std::uint8_t>(b));
      }
    }
  }

  std::span<const std::uint8_t> Of(const Vertex* v) const {
    const auto it = holders_.find(v);
    if (it == holders_.end()) return {};
    return it->second;
  }

 private:
  std::unordered_map<const Vertex*, std::vector<std::uint8_t>> holders_;
};

// DuplicateVertex with the bones that hold v already known.
Vertex* CopyVertex(Model& model, Vertex* v, std::span<const std::uint8_t> bones) {
  if (v == nullptr) return nullptr;
  Vertex* copy = JournalAddVertex(model, v->position, v->normal, v->u, v->v);
  if (copy == nullptr) return nullptr;
  if (Duplicate* d = model.duplicates.Allocate()) {
    d->vertex = v;
    d->twin = copy;
    model.duplicates.Append(d);
  }
  // The pair is not journaled: an Undo that removes the copy must leave no reader following
  // it, so the list counts as stale until it is rebuilt.
  model.geometryChanged = true;
  for (const std::uint8_t b : bones) JournalAddVertexWeight(model, b, copy);
  return copy;
}

}  // namespace

void ReverseSelectedFaces(Model& model) {
  JournalGroup group(model);
  for (Face* f : model.faces.Selected()) {
    if (f->HasAllCorners()) JournalSetFaceVertices(model, f, f->a, f->c, f->b);
  }
}

Vertex* DuplicateVertex(Model& model, Vertex* v) {
  if (v == nullptr) return nullptr;
  std::vector<std::uint8_t> bones;
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    if (anim::FindWeight(model.bones[b], v) != nullptr)
      bones.push_back(static_cast<std::uint8_t>(b));
  }
  return CopyVertex(model, v, bones);
}

void DuplicateSelectedVertices(Model& model, bool moveFaces) {
  if (model.vertices.selCount() == 0) return;
  JournalGroup group(model);
  const BoneHolders holders(model);
  // From the tail: the copies join the selection behind the walk.
  for (Vertex* v = model.vertices.selTail(); v != nullptr; v = v->selPrev) {
    CopyVertex(model, v, holders.Of(v));
  }
  model.SelectDuplicatesOfSelection();
  if (!moveFaces) return;

  model.vertices.ClearSelection();
  // Later pairs overwrite earlier ones: the latest in selection order wins.
  std::unordered_map<const Vertex*, Vertex*> twinOf;
  for (const Duplicate* d : model.duplicates.Selected()) {
    if (d->vertex != nullptr && d->twin != nullptr) twinOf[d->vertex] = d->twin;
  }
  auto moved = [&](Vertex* corner) {
    const auto it = twinOf.find(corner);
    return it == twinOf.end() ? corner : it->second;
  };
  for (Face* f = model.faces.selTail(); f != nullptr; f = f->selPrev) {
    if (f->HasAllCorners()) JournalSetFaceVertices(model, f, moved(f->a), moved(f->b), moved(f->c));
  }
}

void DuplicateBackFaces(Model& model) {
  if (model.faces.selCount() == 0) return;
  JournalGroup group(model);
  const BoneHolders holders(model);
  // From the tail: the back faces join the selection behind the walk.
  for (Face* f = model.faces.selTail(); f != nullptr; f = f->selPrev) {
    if (!f->HasAllCorners()) continue;
    for (Vertex* corner : {f->a, f->b, f->c}) CopyVertex(model, corner, holders.Of(corner));
    if (model.vertices.selCount() < 3) continue;
    Vertex* last = model.vertices.selTail();
    Vertex* middle = last->selPrev;
    JournalAddFace(model, last, middle, middle->selPrev);
  }
}

void FanSelectedVertices(Model& model, float pitch, float yaw, float roll) {
  const Matrix4 view = EulerMatrix(pitch, yaw, roll);
  if (model.vertices.selCount() < 3) return;
  JournalGroup group(model);

  Vertex* centre = model.vertices.selTail();
  const Vector3 k = TransformDirection(view, centre->position);
  struct Spoke {
    Vertex* vertex;
    float angle;  // from the view's +y towards +x
  };
  std::vector<Spoke> spokes;
  spokes.reserve(model.vertices.selCount() - 1);
  for (Vertex* v = model.vertices.selHead(); v != centre; v = v->selNext) {
    const Vector3 p = TransformDirection(view, v->position);
    spokes.push_back({v, std::atan2(p.x - k.x, p.y - k.y)});
  }
  // A position that is not a number gives an angle that compares with nothing; it sorts last,
  // so the order stays a strict one.
  std::stable_sort(spokes.begin(), spokes.end(), [](const Spoke& s, const Spoke& t) {
    if (std::isnan(s.angle)) return false;
    return std::isnan(t.angle) || s.angle < t.angle;
  });
  for (std::size_t i = 1; i < spokes.size(); ++i) {
    JournalAddFace(model, spokes[i - 1].vertex, centre, spokes[i].vertex);
  }
}

}  // namespace zmf::edit

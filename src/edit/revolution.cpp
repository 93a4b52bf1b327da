// Surface of revolution: nine rings round the y axis, the profile and eight turned copies.
#include "edit/revolution.h"

#include <cstdint>
#include <vector>

#include "edit/journal.h"
#include "model/transforms.h"

namespace zmf::edit {
namespace {

constexpr int kTurnedRings = 8;
constexpr double kRingStep = 0.698131111111111;  // radians between rings, very nearly 40 degrees

// The faces that vertex k of a new ring makes with its neighbour before it and the ring before.
void AddFacesToPreviousRing(Model& model, const std::vector<Vertex*>& previous,
                            const std::vector<Vertex*>& ring, std::size_t k) {
  const std::size_t last = ring.size() - 1;
  if (k < last) JournalAddFace(model, ring[k], previous[k], previous[k + 1]);
  if (k > 0) JournalAddFace(model, ring[k], ring[k - 1], previous[k]);
}

// The faces between the last turned ring and the profile, which close the surface.
void CloseToProfile(Model& model, const std::vector<Vertex*>& last,
                    const std::vector<Vertex*>& profile) {
  const std::size_t n = profile.size();
  for (std::size_t k = 0; k < n; ++k) {
    if (k > 0) JournalAddFace(model, last[k], profile[k], profile[k - 1]);
    if (k + 1 < n) JournalAddFace(model, last[k], last[k + 1], profile[k]);
  }
}

}  // namespace

void RevolveSelection(Model& model) {
  if (model.vertices.selCount() == 0) return;
  JournalGroup group(model);

  // The profile is taken before the new vertices join the selection. Faces are made from the
  // ring vertices themselves, so a vertex that could not be added only leaves out its faces.
  std::vector<Vertex*> profile;
  profile.reserve(model.vertices.selCount());
  for (Vertex* v : model.vertices.Selected()) profile.push_back(v);
  // With one vertex there is no second one to make a face with: only its copies are added.
  const bool makeFaces = profile.size() > 1;

  std::vector<Vertex*> previous = profile;
  std::vector<Vertex*> ring(profile.size(), nullptr);
  for (int s = 1; s <= kTurnedRings; ++s) {
    const Matrix4 turn = EulerMatrix(0.0f, static_cast<float>(s * kRingStep), 0.0f);
    for (std::size_t k = 0; k < profile.size(); ++k) {
      const Vertex* p = profile[k];
      ring[k] = JournalAddVertex(model, TransformPoint(turn, p->position),
                                 TransformDirection(turn, p->normal), 0.0f, 0.0f);
      if (makeFaces) AddFacesToPreviousRing(model, previous, ring, k);
    }
    previous.swap(ring);
  }
  if (makeFaces) CloseToProfile(model, previous, profile);
}

}  // namespace zmf::edit

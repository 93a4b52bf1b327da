// Mirroring the selection across x = 0 and stitching its border to the mirror image.
//
// A reflection of a million faces makes millions of lookups, so none of them walks the
// selection: a corner finds its number (and so its mirror) in a table by vertex id, and an edge
// finds the faces that contain it in a table of vertex pairs laid out by number.
#include "edit/reflection.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/vertex_numbers.h"
#include "model/buckets.h"

namespace zmf::edit {
namespace {

// A face of the starting face selection, in walk order, by the numbers of its corners.
struct WalkedFace {
  std::array<std::uint32_t, 3> numbers;
  bool mirrored;
};

// Which faces contain which pairs of vertices, for telling border edges. For each vertex number
// it lists the equal or higher numbers that the vertex shares a face with, once per face; the
// lists are laid out one after another, in number order, so they stay small and close together.
class PairTable {
 public:
  // A face contains the pair of a vertex with itself when the vertex is one of its corners; such
  // pairs are only listed for the vertices flagged in `selfPairs` (empty: none), the only ones
  // whose edge can be asked about.
  PairTable(const std::vector<WalkedFace>& faces, std::uint32_t numbered,
            const std::vector<std::uint8_t>& selfPairs)
      : partners_(numbered) {
    ForEachPair(faces, selfPairs, [&](std::uint32_t low, std::uint32_t) { partners_.Count(low); });
    partners_.Arrange();
    ForEachPair(faces, selfPairs,
                [&](std::uint32_t low, std::uint32_t high) { partners_.Place(low, high); });
    partners_.Finish();
  }

  // How many of the faces contain both vertices.
  std::size_t Count(std::uint32_t x, std::uint32_t y) const {
    const auto [low, high] = std::minmax(x, y);
    const std::span<const std::uint32_t> partners = partners_[low];
    return static_cast<std::size_t>(std::count(partners.begin(), partners.end(), high));
  }

 private:
  template <class Visit>
  static void ForEachPair(const std::vector<WalkedFace>& faces,
                          const std::vector<std::uint8_t>& selfPairs, Visit visit) {
    for (const WalkedFace& f : faces) {
      // Each face counts once per pair, however often its corners repeat.
      std::array<std::uint32_t, 3> distinct;
      int count = 0;
      for (std::uint32_t n : f.numbers) {
        if (std::find(distinct.begin(), distinct.begin() + count, n) == distinct.begin() + count) {
          distinct[count++] = n;
        }
      }
      for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
          const auto [low, high] = std::minmax(distinct[i], distinct[j]);
          visit(low, high);
        }
        if (!selfPairs.empty() && selfPairs[distinct[i]] != 0) visit(distinct[i], distinct[i]);
      }
    }
  }

  Buckets<std::uint32_t> partners_;  // by vertex number: the higher numbers it shares faces with
};

// Joins each border edge of each mirrored face to its mirror edge, walking the faces in order
// and their edges A-B, B-C, C-A. `vertexOf` gives the vertex of each number.
void StitchBorders(Model& model, const std::vector<WalkedFace>& faces,
                   const std::vector<Vertex*>& vertexOf, const std::vector<Vertex*>& mirrors) {
  const auto numbered = static_cast<std::uint32_t>(vertexOf.size());
  // Edges from a corner to itself can only be asked about for faces with repeated corners.
  std::vector<std::uint8_t> selfPairs;
  for (const WalkedFace& f : faces) {
    const auto [x, y, z] = f.numbers;
    if (!f.mirrored || (x != y && y != z && z != x)) continue;
    if (selfPairs.empty()) selfPairs.assign(numbered, 0);
    for (std::uint32_t n : f.numbers) selfPairs[n] = 1;
  }
  const PairTable pairs(faces, numbered, selfPairs);

  for (const WalkedFace& f : faces) {
    if (!f.mirrored) continue;
    for (int e = 0; e < 3; ++e) {
      const std::uint32_t x = f.numbers[e];
      const std::uint32_t y = f.numbers[(e + 1) % 3];
      if (pairs.Count(x, y) != 1) continue;  // another face holds this edge too
      JournalAddFace(model, vertexOf[y], vertexOf[x], mirrors[x]);
      JournalAddFace(model, mirrors[x], mirrors[y], vertexOf[y]);
    }
  }
}

}  // namespace

bool CanReflectSelection(const Model& model) { return model.vertices.selCount() != 0; }

void ReflectSelection(Model& model, bool connectEdges) {
  if (!CanReflectSelection(model)) return;
  JournalGroup group(model);

  // The mirrors join the selection behind its tail, so a walk from the old tail never meets
  // them; the count bounds it all the same. The vertices are numbered in walk order.
  const std::uint32_t selectedVertices = model.vertices.selCount();
  const std::uint32_t selectedFaces = model.faces.selCount();
  // A mirror and a mirrored face for each selected one, from one block of records each
  // (stitched borders add a few faces beyond that).
  model.vertices.Reserve(selectedVertices);
  model.faces.Reserve(selectedFaces);
  const std::uint32_t ids = model.vertices.nextId();
  VertexNumbers numberOf(0, ids == 0 ? 0 : ids - 1, selectedVertices);
  std::vector<Vertex*> vertexOf;
  std::vector<Vertex*> mirrors;
  vertexOf.reserve(selectedVertices);
  mirrors.reserve(selectedVertices);
  Vertex* v = model.vertices.selTail();
  for (std::uint32_t k = 0; k < selectedVertices && v != nullptr; ++k, v = v->selPrev) {
    numberOf.Insert(v, k);
    vertexOf.push_back(v);
    const Vector3 position = {-v->position.x, v->position.y, v->position.z};
    const Vector3 normal = {-v->normal.x, v->normal.y, v->normal.z};
    mirrors.push_back(JournalAddVertex(model, position, normal, v->u, v->v));
  }
  const auto mirrored = static_cast<std::uint32_t>(mirrors.size());

  // Corners outside the vertex selection get no mirror, but when edges are stitched they still
  // bound edges, so they are numbered on from there.
  std::vector<WalkedFace> walked;
  if (connectEdges) walked.reserve(selectedFaces);
  Face* f = model.faces.selTail();
  for (std::uint32_t i = 0; i < selectedFaces && f != nullptr; ++i, f = f->selPrev) {
    if (!f->HasAllCorners()) continue;
    const std::array<Vertex*, 3> corners = {f->a, f->b, f->c};
    WalkedFace w{{}, false};
    bool allMirrored = true;
    for (int j = 0; j < 3; ++j) {
      if (connectEdges) {
        const auto next = static_cast<std::uint32_t>(vertexOf.size());
        const auto [number, isNew] = numberOf.Insert(corners[j], next);
        w.numbers[j] = number;
        if (isNew) vertexOf.push_back(corners[j]);
      } else {
        const std::uint32_t n = numberOf.Find(corners[j]);
        w.numbers[j] = n != VertexNumbers::kNone ? n : mirrored;
      }
      allMirrored = allMirrored && w.numbers[j] < mirrored;
    }
    if (allMirrored) {
      w.mirrored = JournalAddFace(model, mirrors[w.numbers[0]], mirrors[w.numbers[2]],
                                  mirrors[w.numbers[1]]) != nullptr;
    }
    if (connectEdges) walked.push_back(w);
  }

  if (connectEdges) StitchBorders(model, walked, vertexOf, mirrors);
}

}  // namespace zmf::edit

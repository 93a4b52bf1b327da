// The client arrays the viewport draws from: vertex attributes in list order, index arrays of
// faces, edges and selections, and the small arrays of whiskers, duplicates and overlay points.
// Each part is built when a view first asks for it and rebuilt only when the counters it was
// built from have moved on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/model.h"

namespace zmf::render {

// A colour as the renderer sends it to GL: red, green, blue, alpha.
using Rgba = std::array<float, 4>;

// Points with a colour each, drawn with glVertexPointer and glColorPointer.
struct ColouredPoints {
  std::vector<float> positions;  // x, y, z per point
  std::vector<float> colours;    // Rgba per point
  std::uint32_t count() const { return static_cast<std::uint32_t>(positions.size() / 3); }
};

class DrawArrays {
 public:
  // How often each kind of part was built, for tests and profiling: per-vertex attributes
  // (positions, normals, texture coordinates, whiskers), face index arrays (triangles, edges,
  // material chains) and arrays that follow a selection (colours, selected vertices and faces).
  struct BuildCounts {
    std::uint64_t vertexData = 0;
    std::uint64_t faces = 0;
    std::uint64_t selection = 0;
  };

  // Forgets everything built, so that every part is built afresh when next asked for.
  void Invalidate();
  const BuildCounts& buildCounts() const { return counts_; }

  // When the parts that the renderer keeps in buffer objects were last built, as a count of
  // their builds: a copy of a part made at one stamp is out of date once its stamp moved on.
  struct Stamps {
    std::uint64_t positions = 0;
    std::uint64_t triangles = 0;
    std::uint64_t edgesBySelection = 0;
  };
  const Stamps& stamps() const { return stamps_; }

  // ---- per-vertex attributes, one entry per vertex in list order. Numbering the vertices
  // writes each one's position in the list into Vertex::drawIndex, which the index arrays refer
  // to.
  std::uint32_t VertexCount(const Model& model);
  const float* Positions(const Model& model);  // savedPosition, 3 floats each
  const float* Normals(const Model& model);    // savedNormal, 3 floats each
  const float* TexCoords(const Model& model);  // savedU, savedV
  // One colour per vertex: `selected` for selected vertices, `other` for the rest. Each view
  // keeps its own palette (0 to kPalettes - 1) and always passes it the same two colours: only a
  // change of the vertices or of their selection rebuilds it.
  static constexpr int kPalettes = 2;
  const float* VertexColours(const Model& model, int palette, const Rgba& selected,
                             const Rgba& other);

  // ---- index arrays (GL_UNSIGNED_INT into the per-vertex arrays); faces lacking a corner are
  // left out.
  // Every face as a triangle, in list order.
  const std::vector<std::uint32_t>& Triangles(const Model& model);
  // Every edge of the faces once, however many faces share it: the corner pairs a-b, b-c, c-a
  // of the triangles, each undirected pair kept in the direction of the first face in list order
  // that has it, ordered by the lower of its two indices and then by that first use. A face with
  // a repeated corner gives its zero-length edge too.
  const std::vector<std::uint32_t>& Edges(const Model& model);
  // The edges of Edges, those of no selected face first, then those of a selected face, each
  // part in the order of Edges; an edge of a selected face goes the way the first selected face
  // (in list order) that has it goes.
  struct EdgeSplit {
    std::vector<std::uint32_t> indices;
    std::size_t unselected = 0;  // indices (two per edge) at the front with no selected face
  };
  const EdgeSplit& EdgesBySelection(const Model& model);
  // The triangles of material chain m (below 32), in chain order.
  const std::vector<std::uint32_t>& ChainTriangles(const Model& model, std::uint32_t m);
  // The edges of the faces of chain m, in chain order (one chain kept: the current material's).
  const std::vector<std::uint32_t>& ChainEdges(const Model& model, std::uint32_t m);
  // The selected vertices from the tail of the selection chain back to its head.
  const std::vector<std::uint32_t>& SelectedNewestFirst(const Model& model);

  // ---- small arrays of their own
  // For every vertex a line from savedPosition to savedPosition + length x savedNormal, coloured
  // `selected` or `other`.
  const ColouredPoints& Whiskers(const Model& model, float length, const Rgba& selected,
                                 const Rgba& other);
  // For every duplicate, a point at its first vertex, coloured by that vertex's selection.
  const ColouredPoints& DuplicatePoints(const Model& model, const Rgba& selected,
                                        const Rgba& other);
  // For each selected vertex from the head of the chain, (2 savedU - 1, 1 - 2 savedV, depth):
  // its texture coordinates over a texture that fills the view.
  const std::vector<float>& TexCoordPoints(const Model& model, float depth);
  // For each weight of the bone in list order, a point at the vertex, `full` at a weight of
  // `threshold` or more, `partial` below. Built on every call: posing moves the vertices in
  // every frame, and weights change without the list changing.
  const ColouredPoints& WeightPoints(const Model& model, std::uint32_t bone, float threshold,
                                     const Rgba& full, const Rgba& partial);

 private:
  // The counters a part was built from; a part whose key differs from the model's is stale.
  using Key = std::array<std::uint64_t, 5>;
  static constexpr Key kNeverBuilt = {~0ull, ~0ull, ~0ull, ~0ull, ~0ull};
  // Sets `built` to `now` and says whether it differed.
  static bool Refresh(Key& built, const Key& now);

  Key ListKey(const Model& model) const;
  Key VertexDataKey(const Model& model) const;
  Key FaceKey(const Model& model) const;
  Key VertexSelectionKey(const Model& model) const;
  void Number(const Model& model);

  BuildCounts counts_;
  std::uint32_t vertexCount_ = 0;

  Key numbered_ = kNeverBuilt;
  Key positionsBuilt_ = kNeverBuilt;
  Key normalsBuilt_ = kNeverBuilt;
  Key texCoordsBuilt_ = kNeverBuilt;
  std::vector<float> positions_;
  std::vector<float> normals_;
  std::vector<float> texCoords_;
  std::array<Key, kPalettes> coloursBuilt_{kNeverBuilt, kNeverBuilt};
  std::array<std::vector<float>, kPalettes> colours_;

  Stamps stamps_;
  std::uint64_t builds_ = 0;

  Key trianglesBuilt_ = kNeverBuilt;
  Key edgesBuilt_ = kNeverBuilt;
  Key edgeSplitBuilt_ = kNeverBuilt;
  Key chainsBuilt_ = kNeverBuilt;
  Key chainEdgesBuilt_ = kNeverBuilt;
  Key newestFirstBuilt_ = kNeverBuilt;
  std::vector<std::uint32_t> triangles_;
  std::vector<std::uint32_t> edges_;
  // For each corner in Triangles, the number of its edge (to the next corner) in edges_.
  std::vector<std::uint32_t> cornerEdges_;
  EdgeSplit edgeSplit_;
  std::array<std::vector<std::uint32_t>, kMaxMaterials> chains_;
  std::vector<std::uint32_t> chainEdges_;
  std::vector<std::uint32_t> newestFirst_;

  Key whiskersBuilt_ = kNeverBuilt;
  Key duplicatesBuilt_ = kNeverBuilt;
  Key texCoordPointsBuilt_ = kNeverBuilt;
  ColouredPoints whiskers_;
  ColouredPoints duplicates_;
  std::vector<float> texCoordPoints_;
  ColouredPoints weights_;
};

}  // namespace zmf::render

// The client arrays the viewport draws from, rebuilt only when what they hold changed.
#include "render/draw_arrays.h"

#include <algorithm>
#include <bit>

namespace zmf::render {
namespace {

void PushPoint(std::vector<float>& out, const Vector3& p) {
  out.push_back(p.x);
  out.push_back(p.y);
  out.push_back(p.z);
}

void PushColour(std::vector<float>& out, const Rgba& colour) {
  out.insert(out.end(), colour.begin(), colour.end());
}

// The three edges of a complete face: a-b, b-c, c-a.
void PushEdges(std::vector<std::uint32_t>& out, const Face* f) {
  const std::uint32_t a = f->a->drawIndex, b = f->b->drawIndex, c = f->c->drawIndex;
  out.insert(out.end(), {a, b, b, c, c, a});
}

void PushTriangle(std::vector<std::uint32_t>& out, const Face* f) {
  out.insert(out.end(), {f->a->drawIndex, f->b->drawIndex, f->c->drawIndex});
}

// In an array of triangles, corner k starts the edge that ends at this corner: the next one of
// its triangle, or back to the first.
std::size_t EdgeEnd(std::size_t k) { return k % 3 == 2 ? k - 2 : k + 1; }

}  // namespace

void DrawArrays::Invalidate() {
  numbered_ = positionsBuilt_ = normalsBuilt_ = texCoordsBuilt_ = kNeverBuilt;
  coloursBuilt_.fill(kNeverBuilt);
  trianglesBuilt_ = edgesBuilt_ = edgeSplitBuilt_ = chainsBuilt_ = chainEdgesBuilt_ =
      newestFirstBuilt_ = kNeverBuilt;
  whiskersBuilt_ = duplicatesBuilt_ = texCoordPointsBuilt_ = kNeverBuilt;
}

bool DrawArrays::Refresh(Key& built, const Key& now) {
  if (built == now) return false;
  built = now;
  return true;
}

DrawArrays::Key DrawArrays::ListKey(const Model& model) const {
  return {model.instanceId(), model.vertices.version(), 0, 0, 0};
}

DrawArrays::Key DrawArrays::VertexDataKey(const Model& model) const {
  return {model.instanceId(), model.vertices.version(), model.vertexDataVersion(), 0, 0};
}

DrawArrays::Key DrawArrays::FaceKey(const Model& model) const {
  // The vertices' version is part of it: the indices are the vertices' places in the list.
  return {model.instanceId(), model.vertices.version(), model.faces.version(),
          model.faces.shapeVersion(), 0};
}

DrawArrays::Key DrawArrays::VertexSelectionKey(const Model& model) const {
  return {model.instanceId(), model.vertices.version(), model.vertices.selectionVersion(), 0, 0};
}

void DrawArrays::Number(const Model& model) {
  if (!Refresh(numbered_, ListKey(model))) return;
  std::uint32_t i = 0;
  // drawIndex is scratch that only this renderer reads; writing it does not change the model.
  for (Vertex* v : model.vertices) v->drawIndex = i++;
  vertexCount_ = i;
}

std::uint32_t DrawArrays::VertexCount(const Model& model) {
  Number(model);
  return vertexCount_;
}

const float* DrawArrays::Positions(const Model& model) {
  Number(model);
  if (Refresh(positionsBuilt_, VertexDataKey(model))) {
    ++counts_.vertexData;
    stamps_.positions = ++builds_;
    positions_.resize(std::size_t{vertexCount_} * 3);
    float* out = positions_.data();
    for (const Vertex* v : model.vertices) {
      *out++ = v->savedPosition.x;
      *out++ = v->savedPosition.y;
      *out++ = v->savedPosition.z;
    }
  }
  return positions_.data();
}

const float* DrawArrays::Normals(const Model& model) {
  Number(model);
  if (Refresh(normalsBuilt_, VertexDataKey(model))) {
    ++counts_.vertexData;
    normals_.resize(std::size_t{vertexCount_} * 3);
    float* out = normals_.data();
    for (const Vertex* v : model.vertices) {
      *out++ = v->savedNormal.x;
      *out++ = v->savedNormal.y;
      *out++ = v->savedNormal.z;
    }
  }
  return normals_.data();
}

const float* DrawArrays::TexCoords(const Model& model) {
  Number(model);
  if (Refresh(texCoordsBuilt_, VertexDataKey(model))) {
    ++counts_.vertexData;
    texCoords_.resize(std::size_t{vertexCount_} * 2);
    float* out = texCoords_.data();
    for (const Vertex* v : model.vertices) {
      *out++ = v->savedU;
      *out++ = v->savedV;
    }
  }
  return texCoords_.data();
}

const float* DrawArrays::VertexColours(const Model& model, int palette, const Rgba& selected,
                                       const Rgba& other) {
  Number(model);
  std::vector<float>& colours = colours_[palette];
  if (Refresh(coloursBuilt_[palette], VertexSelectionKey(model))) {
    ++counts_.selection;
    colours.resize(std::size_t{vertexCount_} * 4);
    float* out = colours.data();
    for (const Vertex* v : model.vertices) {
      const Rgba& c = v->selected ? selected : other;
      out = std::copy(c.begin(), c.end(), out);
    }
  }
  return colours.data();
}

const std::vector<std::uint32_t>& DrawArrays::Triangles(const Model& model) {
  Number(model);
  if (Refresh(trianglesBuilt_, FaceKey(model))) {
    ++counts_.faces;
    stamps_.triangles = ++builds_;
    triangles_.clear();
    triangles_.reserve(std::size_t{model.faces.count()} * 3);
    for (const Face* f : model.faces) {
      if (f->HasAllCorners()) PushTriangle(triangles_, f);
    }
  }
  return triangles_;
}

const std::vector<std::uint32_t>& DrawArrays::Edges(const Model& model) {
  const std::vector<std::uint32_t>& corners = Triangles(model);
  if (!Refresh(edgesBuilt_, FaceKey(model))) return edges_;
  ++counts_.faces;
  const std::size_t count = corners.size();
  auto from = [&](std::size_t k) { return corners[k]; };
  auto to = [&](std::size_t k) { return corners[EdgeEnd(k)]; };
  auto lower = [&](std::size_t k) { return std::min(from(k), to(k)); };
  auto upper = [&](std::size_t k) { return std::max(from(k), to(k)); };

  // The corners sorted by the lower index of their edge, stably (a counting sort): within each
  // lower index, in list order.
  std::vector<std::uint32_t> start(std::size_t{vertexCount_} + 1, 0);
  for (std::size_t k = 0; k < count; ++k) ++start[lower(k) + 1];
  for (std::uint32_t v = 0; v < vertexCount_; ++v) start[v + 1] += start[v];
  std::vector<std::uint32_t> sorted(count);
  {
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    for (std::size_t k = 0; k < count; ++k)
      sorted[next[lower(k)]++] = static_cast<std::uint32_t>(k);
  }

  // Within one lower index the first corner reaching an upper index makes the edge and the
  // later ones share it: madeBy[upper] is the lower index + 1 that last made an edge to it.
  std::vector<std::uint32_t> madeBy(vertexCount_, 0), edgeTo(vertexCount_, 0);
  edges_.clear();
  edges_.reserve(count);
  cornerEdges_.resize(count);
  for (std::uint32_t v = 0; v < vertexCount_; ++v) {
    for (std::uint32_t i = start[v]; i < start[v + 1]; ++i) {
      const std::uint32_t k = sorted[i], u = upper(k);
      if (madeBy[u] != v + 1) {
        madeBy[u] = v + 1;
        edgeTo[u] = static_cast<std::uint32_t>(edges_.size() / 2);
        edges_.push_back(from(k));
        edges_.push_back(to(k));
      }
      cornerEdges_[k] = edgeTo[u];
    }
  }
  return edges_;
}

const DrawArrays::EdgeSplit& DrawArrays::EdgesBySelection(const Model& model) {
  const std::vector<std::uint32_t>& edges = Edges(model);
  Key key = FaceKey(model);
  key[4] = model.faces.selectionVersion();
  if (!Refresh(edgeSplitBuilt_, key)) return edgeSplit_;
  ++counts_.selection;
  stamps_.edgesBySelection = ++builds_;
  // For each edge the first corner of a selected face (in list order) that starts it: a selected
  // edge is drawn in that face's direction. The corners of cornerEdges_ are those of the
  // complete faces in list order, three each.
  constexpr std::uint32_t kNoCorner = ~std::uint32_t{0};
  std::vector<std::uint32_t> selectedCorner(edges.size() / 2, kNoCorner);
  std::size_t selected = 0;
  if (model.faces.selCount() != 0) {
    std::uint32_t corner = 0;
    for (const Face* f : model.faces) {
      if (!f->HasAllCorners()) continue;
      for (const std::uint32_t end = corner + 3; corner < end; ++corner) {
        if (!f->selected) continue;
        std::uint32_t& first = selectedCorner[cornerEdges_[corner]];
        if (first == kNoCorner) {
          first = corner;
          ++selected;
        }
      }
    }
  }
  edgeSplit_.indices.resize(edges.size());
  edgeSplit_.unselected = edges.size() - 2 * selected;
  std::uint32_t* dark = edgeSplit_.indices.data();
  std::uint32_t* green = dark + edgeSplit_.unselected;
  for (std::size_t e = 0; e < selectedCorner.size(); ++e) {
    const std::uint32_t k = selectedCorner[e];
    if (k == kNoCorner) {
      *dark++ = edges[2 * e];
      *dark++ = edges[2 * e + 1];
    } else {
      *green++ = triangles_[k];
      *green++ = triangles_[EdgeEnd(k)];
    }
  }
  return edgeSplit_;
}

const std::vector<std::uint32_t>& DrawArrays::ChainTriangles(const Model& model, std::uint32_t m) {
  Number(model);
  if (Refresh(chainsBuilt_, FaceKey(model))) {
    ++counts_.faces;
    for (std::uint32_t chain = 0; chain < kMaxMaterials; ++chain) {
      std::vector<std::uint32_t>& out = chains_[chain];
      out.clear();
      out.reserve(std::size_t{model.faces.chainCount(chain)} * 3);
      for (const Face* f : model.faces.Chain(chain)) {
        if (f->HasAllCorners()) PushTriangle(out, f);
      }
    }
  }
  static const std::vector<std::uint32_t> kNone;
  return m < kMaxMaterials ? chains_[m] : kNone;
}

const std::vector<std::uint32_t>& DrawArrays::ChainEdges(const Model& model, std::uint32_t m) {
  Number(model);
  Key key = FaceKey(model);
  key[4] = m;
  if (Refresh(chainEdgesBuilt_, key)) {
    ++counts_.faces;
    chainEdges_.clear();
    for (const Face* f : model.faces.Chain(m)) {
      if (f->HasAllCorners()) PushEdges(chainEdges_, f);
    }
  }
  return chainEdges_;
}

const std::vector<std::uint32_t>& DrawArrays::SelectedNewestFirst(const Model& model) {
  Number(model);
  if (Refresh(newestFirstBuilt_, VertexSelectionKey(model))) {
    ++counts_.selection;
    newestFirst_.clear();
    for (const Vertex* v = model.vertices.selTail(); v != nullptr; v = v->selPrev) {
      newestFirst_.push_back(v->drawIndex);
    }
  }
  return newestFirst_;
}

const ColouredPoints& DrawArrays::Whiskers(const Model& model, float length, const Rgba& selected,
                                           const Rgba& other) {
  const Key key = {model.instanceId(), model.vertices.version(), model.vertexDataVersion(),
                   model.vertices.selectionVersion(), std::bit_cast<std::uint32_t>(length)};
  if (Refresh(whiskersBuilt_, key)) {
    ++counts_.vertexData;
    whiskers_.positions.clear();
    whiskers_.colours.clear();
    for (const Vertex* v : model.vertices) {
      // Not normalised: a longer normal shows as a longer whisker.
      PushPoint(whiskers_.positions, v->savedPosition);
      PushPoint(whiskers_.positions, v->savedPosition + length * v->savedNormal);
      const Rgba& c = v->selected ? selected : other;
      PushColour(whiskers_.colours, c);
      PushColour(whiskers_.colours, c);
    }
  }
  return whiskers_;
}

const ColouredPoints& DrawArrays::DuplicatePoints(const Model& model, const Rgba& selected,
                                                  const Rgba& other) {
  const Key key = {model.instanceId(), model.vertices.version(), model.vertexDataVersion(),
                   model.vertices.selectionVersion(), model.duplicates.version()};
  if (Refresh(duplicatesBuilt_, key)) {
    ++counts_.selection;
    duplicates_.positions.clear();
    duplicates_.colours.clear();
    for (const Duplicate* d : model.duplicates) {
      if (d->vertex == nullptr) continue;
      PushPoint(duplicates_.positions, d->vertex->savedPosition);
      PushColour(duplicates_.colours, d->vertex->selected ? selected : other);
    }
  }
  return duplicates_;
}

const std::vector<float>& DrawArrays::TexCoordPoints(const Model& model, float depth) {
  const Key key = {model.instanceId(), model.vertices.version(), model.vertexDataVersion(),
                   model.vertices.selectionVersion(), std::bit_cast<std::uint32_t>(depth)};
  if (Refresh(texCoordPointsBuilt_, key)) {
    ++counts_.selection;
    texCoordPoints_.clear();
    for (const Vertex* v : model.vertices.Selected()) {
      PushPoint(texCoordPoints_, {2.0f * v->savedU - 1.0f, 1.0f - 2.0f * v->savedV, depth});
    }
  }
  return texCoordPoints_;
}

const ColouredPoints& DrawArrays::WeightPoints(const Model& model, std::uint32_t bone,
                                               float threshold, const Rgba& full,
                                               const Rgba& partial) {
  weights_.positions.clear();
  weights_.colours.clear();
  if (bone >= kMaxBones) return weights_;
  for (const VertexWeight* w : model.bones[bone].weights) {
    if (w->vertex == nullptr) continue;
    PushPoint(weights_.positions, w->vertex->savedPosition);
    PushColour(weights_.colours, w->weight >= threshold ? full : partial);
  }
  return weights_;
}

}  // namespace zmf::render

// Draws the model into the viewport for one of the four views.
//
// Section index
//   colours and constants
//   client arrays ......... switching the GL 1.1 arrays between draws
//   buffer objects ........ the mesh's positions, triangles and edges when the context has them
//   overlays .............. the full-viewport quad of the background and the texture
//   views ................. mesh (0), normals (1), material (2), skeleton (3)
//   Renderer .............. DrawFrame, RenderModel, DrawDragRect, DrawBoneTree
#include "render/renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <span>

#include "anim/skeleton.h"
#include "model/transforms.h"
#include "render/draw_arrays.h"
#include "render/gl_buffers.h"
#include "view/camera.h"

namespace zmf::render {
namespace {

// ---- colours and constants

constexpr Rgba kCrossGrey = {0.6f, 0.6f, 0.6f, 1.0f};
constexpr Rgba kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr Rgba kFaceGrey = {0.4f, 0.4f, 0.4f, 1.0f};
constexpr Rgba kEdgeDark = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr Rgba kSelectedEdge = {0.3f, 0.7f, 0.4f, 1.0f};
constexpr Rgba kPointGrey = {0.7f, 0.7f, 0.7f, 1.0f};
// The three newest selected vertices, which make-face uses in this order, then the rest.
constexpr Rgba kNewest[3] = {
    {1.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f, 1.0f}};
constexpr Rgba kOlderSelected = {0.7f, 0.4f, 0.3f, 1.0f};

constexpr Rgba kWhiskerSelected = {0.9f, 0.3f, 0.3f, 1.0f};
constexpr Rgba kWhiskerOther = {0.5f, 0.5f, 0.5f, 1.0f};
constexpr Rgba kDuplicateSelected = {0.5f, 0.8f, 0.3f, 1.0f};
constexpr Rgba kDuplicateOther = {0.8f, 0.5f, 0.2f, 1.0f};
constexpr float kNormalLengthFactor = 0.05f;  // of the model's radius

constexpr Rgba kTexCoordPoint = {0.3f, 0.4f, 1.0f, 1.0f};
constexpr Rgba kCurrentMaterialEdge = {0.2f, 0.4f, 0.7f, 1.0f};
constexpr Rgba kMaterialPointSelected = {1.0f, 0.4f, 0.3f, 1.0f};
constexpr Rgba kMaterialPointOther = {0.7f, 0.7f, 0.7f, 1.0f};
constexpr int kMaterialPalette = 0;

constexpr Rgba kJoint = {0.2f, 0.5f, 0.5f, 1.0f};  // also the line to the parent
constexpr Rgba kCurrentBoneJoint = {0.9f, 0.9f, 0.0f, 1.0f};
constexpr Rgba kKeyBoneJoint = {0.9f, 0.0f, 0.9f, 1.0f};
constexpr Rgba kAxisX = {1.0f, 0.0f, 0.0f, 1.0f};
constexpr Rgba kAxisY = {0.0f, 1.0f, 0.0f, 1.0f};
constexpr Rgba kAxisZ = {0.0f, 0.0f, 1.0f, 1.0f};
constexpr float kBoneAxisDivisor = 10.0f;  // the axes are a tenth of the model's radius
constexpr Rgba kFullWeight = {0.7f, 0.4f, 0.3f, 1.0f};
constexpr Rgba kPartialWeight = {0.0f, 0.9f, 0.3f, 1.0f};
constexpr float kFullWeightThreshold = 0.99f;
constexpr Rgba kSkeletonPointSelected = {1.0f, 1.0f, 0.0f, 1.0f};
constexpr Rgba kSkeletonPointOther = {0.5f, 0.5f, 0.5f, 1.0f};
constexpr int kSkeletonPalette = 1;

// The overlays' own box, whatever the camera, and the depth of their quad and points.
constexpr double kOverlayNear = -2000.0;
constexpr double kOverlayFar = 2000.0;
constexpr float kOverlayDepth = 1000.0f;

// The selection rectangles: replacing the selection, adding to it, taking from it.
constexpr Rgba kReplaceRectColour = {0.7f, 0.1f, 0.4f, 1.0f};
constexpr Rgba kAddRectColour = {0.4f, 0.1f, 0.7f, 1.0f};
constexpr Rgba kRemoveRectColour = {0.9f, 0.1f, 0.1f, 1.0f};

void Colour(const Rgba& c) { glColor4f(c[0], c[1], c[2], c[3]); }

// ---- client arrays

// Points every enabled array at its data; a null pointer switches that array off. Positions are
// always on.
void UseArrays(const float* positions, const float* normals = nullptr,
               const float* texCoords = nullptr, const float* colours = nullptr) {
  glVertexPointer(3, GL_FLOAT, 0, positions);
  auto toggle = [](GLenum array, const void* data) {
    if (data != nullptr) {
      glEnableClientState(array);
    } else {
      glDisableClientState(array);
    }
  };
  toggle(GL_NORMAL_ARRAY, normals);
  if (normals != nullptr) glNormalPointer(GL_FLOAT, 0, normals);
  toggle(GL_TEXTURE_COORD_ARRAY, texCoords);
  if (texCoords != nullptr) glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
  toggle(GL_COLOR_ARRAY, colours);
  if (colours != nullptr) glColorPointer(4, GL_FLOAT, 0, colours);
}

// Indices to draw: `count` of them from `first`, an address in client memory or, while an
// element buffer is bound, an offset into it.
struct IndexRange {
  std::uintptr_t first = 0;
  std::size_t count = 0;

  IndexRange() = default;
  IndexRange(std::uintptr_t at, std::size_t n) : first(at), count(n) {}
  // Client memory reads as a range of itself.
  IndexRange(std::span<const std::uint32_t> indices)  // NOLINT(google-explicit-constructor)
      : first(reinterpret_cast<std::uintptr_t>(indices.data())), count(indices.size()) {}
  IndexRange(const std::vector<std::uint32_t>& indices)  // NOLINT(google-explicit-constructor)
      : IndexRange(std::span<const std::uint32_t>(indices)) {}

  // `n` indices from the `from`th on.
  IndexRange Part(std::size_t from, std::size_t n) const {
    return {first + from * sizeof(std::uint32_t), n};
  }
};

// Draws indexed primitives, in pieces when there are more indices than a GLsizei counts (each
// piece a multiple of 6, so no point, line or triangle is split).
void DrawIndexed(GLenum mode, IndexRange indices) {
  constexpr std::size_t kPiece = std::size_t{INT_MAX} / 6 * 6;
  for (std::size_t at = 0; at < indices.count; at += kPiece) {
    const IndexRange piece = indices.Part(at, std::min(kPiece, indices.count - at));
    glDrawElements(mode, static_cast<GLsizei>(piece.count), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(piece.first));
  }
}

// The first `count` entries of the arrays in use as points.
void DrawPoints(std::uint32_t count) {
  if (count == 0) return;
  glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(std::min<std::uint32_t>(count, INT_MAX)));
}

// Points or lines (pairs of points) with their own colours.
void DrawColoured(GLenum mode, const ColouredPoints& points) {
  if (points.count() == 0) return;
  UseArrays(points.positions.data(), nullptr, nullptr, points.colours.data());
  glDrawArrays(mode, 0, static_cast<GLsizei>(std::min<std::uint32_t>(points.count(), INT_MAX)));
}

// Device pixels per viewport pixel of the frame being drawn: point sizes and the line width are
// scaled by it, so they keep their size on screen at any device pixel ratio.
float pixelRatio = 1.0f;

void SetPointStyle(float size, bool smooth) {
  glPointSize(size * pixelRatio);
  if (smooth) {
    glEnable(GL_POINT_SMOOTH);
  } else {
    glDisable(GL_POINT_SMOOTH);
  }
}

// ---- buffer objects

// Points the vertex array at the model's positions: in their buffer object when there is one,
// else in client memory. The array keeps its source when the buffer is unbound afterwards.
void UsePositions(DrawArrays& arrays, GlBuffers& buffers, const Model& model) {
  const float* positions = arrays.Positions(model);
  const std::size_t bytes = std::size_t{arrays.VertexCount(model)} * 3 * sizeof(float);
  const bool inBuffer =
      buffers.Bind(GlBuffers::kPositions, positions, bytes, arrays.stamps().positions);
  UseArrays(inBuffer ? nullptr : positions);
}

// Binds the slot's element buffer holding `indices` (filled again when `stamp` moved on) and
// gives the range to draw from it; without the buffer, the indices in client memory.
IndexRange BindIndices(GlBuffers& buffers, GlBuffers::Slot slot,
                       const std::vector<std::uint32_t>& indices, std::uint64_t stamp) {
  if (buffers.Bind(slot, indices.data(), indices.size() * sizeof(std::uint32_t), stamp)) {
    return {0, indices.size()};
  }
  return indices;
}

// The grey faces and their dark edges, each edge drawn once; with `selection`, the edges of
// selected faces green instead. Leaves the vertex array on the positions and no buffer bound.
void DrawFacesAndEdges(DrawArrays& arrays, GlBuffers& buffers, const Model& model, bool selection) {
  UsePositions(arrays, buffers, model);
  Colour(kFaceGrey);
  DrawIndexed(GL_TRIANGLES, BindIndices(buffers, GlBuffers::kTriangles, arrays.Triangles(model),
                                        arrays.stamps().triangles));
  const DrawArrays::EdgeSplit& edges = arrays.EdgesBySelection(model);
  const IndexRange all =
      BindIndices(buffers, GlBuffers::kEdges, edges.indices, arrays.stamps().edgesBySelection);
  const std::size_t dark = selection ? edges.unselected : all.count;
  Colour(kEdgeDark);
  DrawIndexed(GL_LINES, all.Part(0, dark));
  if (selection) {
    Colour(kSelectedEdge);
    DrawIndexed(GL_LINES, all.Part(dark, all.count - dark));
  }
  buffers.Unbind();
}

// ---- overlays

// Pushes the projection and replaces it with the overlay box; the model-view matrix must hold
// the identity.
void BeginOverlay() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-1.0, 1.0, -1.0, 1.0, kOverlayNear, kOverlayFar);
}

void EndOverlay() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

// The bound texture over the whole viewport, its first row at the top.
void DrawFullViewQuad() {
  Colour(kWhite);
  glBegin(GL_QUADS);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(1.0f, 1.0f, kOverlayDepth);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-1.0f, 1.0f, kOverlayDepth);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-1.0f, -1.0f, kOverlayDepth);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(1.0f, -1.0f, kOverlayDepth);
  glEnd();
}

// The background image over the whole viewport, whatever the camera.
void DrawBackground(std::uint32_t texture) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  BeginOverlay();
  DrawFullViewQuad();
  EndOverlay();
}

// The current material's texture over the whole viewport, with the selected vertices' texture
// coordinates as points on it. Texturing is on again afterwards.
void DrawTextureOverlay(DrawArrays& arrays, const Model& model) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  BeginOverlay();
  DrawFullViewQuad();
  glDisable(GL_TEXTURE_2D);
  SetPointStyle(3.0f, true);
  Colour(kTexCoordPoint);
  const std::vector<float>& points = arrays.TexCoordPoints(model, kOverlayDepth);
  if (!points.empty()) {
    UseArrays(points.data());
    DrawPoints(static_cast<std::uint32_t>(points.size() / 3));
  }
  EndOverlay();
  glEnable(GL_TEXTURE_2D);
}

void LoadViewMatrix(const Model& model) { glLoadMatrixf(model.viewMatrix.m.data()); }

void SetMaterialState(const Material& m) {
  glMaterialfv(GL_FRONT, GL_AMBIENT, m.ambient.data());
  glMaterialfv(GL_FRONT, GL_DIFFUSE, m.diffuse.data());
  glMaterialfv(GL_FRONT, GL_EMISSION, m.emission.data());
  glMaterialfv(GL_FRONT, GL_SPECULAR, m.specular.data());
  glMateriali(GL_FRONT, GL_SHININESS,
              static_cast<GLint>(std::min<std::uint32_t>(m.shininess, INT_MAX)));
  Colour(m.diffuse);
}

// The materials the views walk: at most the table's 32.
std::uint32_t MaterialsToDraw(const Model& model) {
  return std::min<std::uint32_t>(model.materialCount, kMaxMaterials);
}

// ---- views

// View 0: grey faces with dark edges, the edges of selected faces green (also where they border
// an unselected face), every vertex as a grey point and the selected ones on top, newest first:
// red, green, blue, then brown.
void DrawMeshView(DrawArrays& arrays, GlBuffers& buffers, const Model& model) {
  if (model.backgroundTexture != 0) DrawBackground(model.backgroundTexture);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  LoadViewMatrix(model);

  if (!model.faces.empty()) DrawFacesAndEdges(arrays, buffers, model, true);
  if (model.vertices.empty()) return;

  const std::uint32_t count = arrays.VertexCount(model);
  if (model.faces.empty()) {
    UsePositions(arrays, buffers, model);
    buffers.Unbind();
  }
  SetPointStyle(1.0f, false);
  Colour(kPointGrey);
  DrawPoints(count);

  SetPointStyle(2.0f, true);
  const std::span<const std::uint32_t> newest(arrays.SelectedNewestFirst(model));
  for (std::size_t i = 0; i < 3 && i < newest.size(); ++i) {
    Colour(kNewest[i]);
    DrawIndexed(GL_POINTS, newest.subspan(i, 1));
  }
  if (newest.size() > 3) {
    Colour(kOlderSelected);
    DrawIndexed(GL_POINTS, newest.subspan(3));
  }
}

// View 1: the faces and edges as in view 0 (no selection), a whisker along every vertex's
// normal and a point at the first vertex of every duplicate pair.
void DrawNormalsView(DrawArrays& arrays, GlBuffers& buffers, const Model& model) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  LoadViewMatrix(model);

  if (!model.faces.empty()) DrawFacesAndEdges(arrays, buffers, model, false);

  const float length = kNormalLengthFactor * std::sqrt(model.radiusSquared);
  if (!model.vertices.empty()) {
    DrawColoured(GL_LINES, arrays.Whiskers(model, length, kWhiskerSelected, kWhiskerOther));
  }

  SetPointStyle(3.0f, true);
  DrawColoured(GL_POINTS, arrays.DuplicatePoints(model, kDuplicateSelected, kDuplicateOther));
}

// The faces of material i, lit, with the texture's coordinates when it has one.
void DrawMaterialFaces(DrawArrays& arrays, const Model& model, std::uint32_t i) {
  const bool textured = model.materials[i].texture != 0;
  UseArrays(arrays.Positions(model), arrays.Normals(model),
            textured ? arrays.TexCoords(model) : nullptr);
  DrawIndexed(GL_TRIANGLES, arrays.ChainTriangles(model, i));
}

// View 2: material by material, its texture (the current material's also over the whole view
// with the selected texture coordinates), its lit faces in chain order, the current material's
// edges, and every vertex as a point.
void DrawMaterialView(DrawArrays& arrays, const Model& model) {
  const std::uint32_t materials = MaterialsToDraw(model);
  if (materials == 0) return;

  const std::uint32_t count = arrays.VertexCount(model);
  const float* positions = arrays.Positions(model);
  const float* pointColours =
      arrays.VertexColours(model, kMaterialPalette, kMaterialPointSelected, kMaterialPointOther);

  for (std::uint32_t i = 0; i < materials; ++i) {
    const Material& material = model.materials[i];
    const bool textured = material.texture != 0;
    const bool current = i == model.currentMaterial;
    if (textured) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, material.texture);
      glLoadIdentity();
      if (current) DrawTextureOverlay(arrays, model);
      // An untextured material leaves blending as the one before it left it.
      glEnable(GL_BLEND);
    }

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    SetMaterialState(material);
    LoadViewMatrix(model);
    DrawMaterialFaces(arrays, model, i);

    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    if (current) {
      UseArrays(positions);
      Colour(kCurrentMaterialEdge);
      DrawIndexed(GL_LINES, arrays.ChainEdges(model, i));
    }

    // Once per material; the last pass is the one left on top.
    SetPointStyle(1.0f, false);
    UseArrays(positions, nullptr, nullptr, pointColours);
    DrawPoints(count);
  }
}

// View 3: the mesh posed by its skeleton (when it has bones), lit and textured material by
// material, then the bones, the current bone's weighted vertices and every vertex as a point.
void DrawSkeletonView(Renderer& renderer, DrawArrays& arrays, Model& model, const Clock& clock) {
  if (model.boneCount >= 1) anim::PoseMesh(model, clock);

  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  LoadViewMatrix(model);

  // Every material sets its state even without faces: blending and the bound texture are left
  // to the frames after this one.
  const std::uint32_t materials = MaterialsToDraw(model);
  for (std::uint32_t i = 0; i < materials; ++i) {
    const Material& material = model.materials[i];
    SetMaterialState(material);
    if (material.alphaMode != 0) {
      glEnable(GL_BLEND);
    } else {
      glDisable(GL_BLEND);
    }
    if (material.texture != 0) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, material.texture);
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    DrawMaterialFaces(arrays, model, i);
  }

  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);

  if (model.rootBone != kNoBone) renderer.DrawBoneTree(model, model.rootBone);

  if (model.HasBone(model.currentBone)) {
    SetPointStyle(2.0f, true);
    DrawColoured(GL_POINTS,
                 arrays.WeightPoints(model, static_cast<std::uint32_t>(model.currentBone),
                                     kFullWeightThreshold, kFullWeight, kPartialWeight));
  }

  if (!model.vertices.empty()) {
    SetPointStyle(1.0f, false);
    UseArrays(
        arrays.Positions(model), nullptr, nullptr,
        arrays.VertexColours(model, kSkeletonPalette, kSkeletonPointSelected, kSkeletonPointOther));
    DrawPoints(arrays.VertexCount(model));
  }
}

// ---- bones

// Whether the current key bone of the current key of the current animation poses this bone.
bool IsCurrentKeyBone(const Model& model, std::int32_t bone) {
  const std::int32_t a = model.currentAnimation, k = model.currentKey, j = model.currentKeyBone;
  if (!model.HasKeyBone(a, k, j)) return false;
  return model.animation(static_cast<std::uint32_t>(a)).keys[k].keyBones[j].boneIndex ==
         static_cast<std::uint32_t>(bone);
}

void Vertex3(const Vector3& p) { glVertex3f(p.x, p.y, p.z); }

// One bone: its joint, its three axes and the line to its parent's origin; then its later
// siblings and its children. `budget` counts the bones still allowed, so a broken hierarchy
// that loops still ends.
void DrawBone(const Model& model, std::int32_t index, float axisLength, int& budget) {
  if (!model.HasBone(index) || budget <= 0) return;
  --budget;
  const Bone& bone = model.bones[index];
  const Matrix4& w = bone.frameMatrix;
  const Vector3 o = TransformPoint(w, {});
  const Vector3 x = TransformPoint(w, {axisLength, 0.0f, 0.0f});
  const Vector3 y = TransformPoint(w, {0.0f, axisLength, 0.0f});
  const Vector3 z = TransformPoint(w, {0.0f, 0.0f, axisLength});

  Rgba joint = kJoint;
  if (index == model.currentBone) joint = kCurrentBoneJoint;
  if (IsCurrentKeyBone(model, index)) joint = kKeyBoneJoint;

  SetPointStyle(5.0f, true);
  Colour(joint);
  glBegin(GL_POINTS);
  Vertex3(o);
  glEnd();

  glBegin(GL_LINES);
  Colour(kAxisX);
  Vertex3(o);
  Vertex3(x);
  Colour(kAxisY);
  Vertex3(o);
  Vertex3(y);
  Colour(kAxisZ);
  Vertex3(o);
  Vertex3(z);
  if (model.HasBone(bone.parent)) {
    Colour(kJoint);
    Vertex3(o);
    Vertex3(TransformPoint(model.bones[bone.parent].frameMatrix, {}));
  }
  glEnd();

  DrawBone(model, bone.nextSibling, axisLength, budget);
  DrawBone(model, bone.firstChild, axisLength, budget);
}

void DrawCentreCross() {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  Colour(kCrossGrey);
  glBegin(GL_LINES);
  glVertex3f(0.0f, 1.0f, 0.0f);
  glVertex3f(0.0f, -1.0f, 0.0f);
  glVertex3f(-1.0f, 0.0f, 0.0f);
  glVertex3f(1.0f, 0.0f, 0.0f);
  glEnd();
}

}  // namespace

// ---- Renderer

Renderer::Renderer()
    : arrays_(std::make_unique<DrawArrays>()), buffers_(std::make_unique<GlBuffers>()) {}
Renderer::~Renderer() = default;

void Renderer::DrawFrame(Model& model, const view::EditorState& editor, const Clock& clock) {
  pixelRatio = pixelRatio_;
  glLineWidth(pixelRatio_);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // The camera's projection is in place before anything is drawn, the centre cross included:
  // the cross is one view unit long whatever the zoom.
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(editor.projection.m.data());
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Light 1 where the editor has it (a drag in the material view moves it), placed before any
  // view matrix is loaded.
  glLightfv(GL_LIGHT1, GL_POSITION, editor.lightPosition.data());

  const bool meshView = editor.view == view::ViewMode::Mesh;
  if (meshView) DrawCentreCross();
  if (!model.vertices.empty() || (model.backgroundTexture != 0 && meshView)) {
    model.viewMatrix = view::BuildViewMatrix(editor.camera);
    RenderModel(model, editor.view, clock);
    DrawDragRect(editor.dragRect, editor.camera);
  }
}

void Renderer::RenderModel(Model& model, view::ViewMode view, const Clock& clock) {
  glEnableClientState(GL_VERTEX_ARRAY);
  switch (view) {
    case view::ViewMode::Mesh:
      DrawMeshView(*arrays_, *buffers_, model);
      break;
    case view::ViewMode::Normals:
      DrawNormalsView(*arrays_, *buffers_, model);
      break;
    case view::ViewMode::Material:
      DrawMaterialView(*arrays_, model);
      break;
    case view::ViewMode::Skeleton:
      DrawSkeletonView(*this, *arrays_, model, clock);
      break;
  }
  // Leave no array switched on for whoever draws next in this context.
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
}

void Renderer::DrawDragRect(const view::DragRect& rect, const view::Camera& camera) {
  if (!view::IsSelectionRect(rect.kind)) return;
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);

  const float e = camera.HalfExtent();
  const float x0 = rect.x0 * e, y0 = -rect.y0 * e;
  const float x1 = rect.x1 * e, y1 = -rect.y1 * e;
  Colour(rect.kind == view::DragKind::ReplaceRect ? kReplaceRectColour
         : rect.kind == view::DragKind::AddRect   ? kAddRectColour
                                                  : kRemoveRectColour);
  glBegin(GL_LINES);
  glVertex3f(x0, y0, 0.0f);
  glVertex3f(x1, y0, 0.0f);
  glVertex3f(x0, y1, 0.0f);
  glVertex3f(x1, y1, 0.0f);
  glVertex3f(x0, y0, 0.0f);
  glVertex3f(x0, y1, 0.0f);
  glVertex3f(x1, y0, 0.0f);
  glVertex3f(x1, y1, 0.0f);
  glEnd();
}

void Renderer::DrawBoneTree(const Model& model, std::int32_t bone) {
  int budget = static_cast<int>(model.boneCount);
  DrawBone(model, bone, std::sqrt(model.radiusSquared) / kBoneAxisDivisor, budget);
}

void Renderer::UseBufferObjects(void* (*loader)(const char* name)) { buffers_->Load(loader); }

void Renderer::Invalidate() {
  arrays_->Invalidate();
  buffers_->Forget();
}

const DrawArrays::BuildCounts& Renderer::ArrayBuilds() const { return arrays_->buildCounts(); }

}  // namespace zmf::render

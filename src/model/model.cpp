// The Model's list, face, vertex, selection and table operations, and Reset.
#include "model/model.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace zmf {

namespace {
std::atomic<std::uint64_t> modelsMade{0};
}  // namespace

Model::Model(Host& host, TextureStore& textures)
    : host_(&host), textures_(&textures), instanceId_(++modelsMade) {
  Reset();
  MarkSaved();
}

// ---- face operations

void Model::AddCorner(Face* face, unsigned corner) {
  Vertex* vertex = face->Corner(corner);
  if (vertex == nullptr) return;
  const CornerRef use(face, corner);
  face->nextCorner[corner] = CornerRef();
  if (vertex->lastCorner) {
    vertex->lastCorner.nextLink() = use;
  } else {
    vertex->firstCorner = use;
  }
  vertex->lastCorner = use;
}

void Model::RemoveCorner(Face* face, unsigned corner) {
  Vertex* vertex = face->Corner(corner);
  if (vertex == nullptr) return;
  const CornerRef use(face, corner);
  CornerRef before;
  for (CornerRef at = vertex->firstCorner; at; before = at, at = at.next()) {
    if (at != use) continue;
    const CornerRef after = at.next();
    if (before) {
      before.nextLink() = after;
    } else {
      vertex->firstCorner = after;
    }
    if (!after) vertex->lastCorner = before;
    face->nextCorner[corner] = CornerRef();
    return;
  }
}

bool Model::AddFace(Face* face, std::uint32_t material) {
  if (face == nullptr || material >= kMaxMaterials) return false;
  face->material = static_cast<std::uint8_t>(material);
  faces.LinkToChain(face);
  for (unsigned k = 0; k < 3; ++k) AddCorner(face, k);
  faces.Append(face);
  return true;
}

bool Model::AddFaceUnlinked(Face* face, std::uint32_t material) {
  if (face == nullptr || material >= kMaxMaterials) return false;
  face->material = static_cast<std::uint8_t>(material);
  faces.LinkToChain(face);
  faces.Append(face);
  return true;
}

void Model::LinkCornersFrom(Face* first) {
  if (first == nullptr) return;
  // The vertices of a face some steps ahead are fetched while this one is linked.
  constexpr int kAhead = 8;
  Face* ahead = faces.tail();
  for (int i = 0; i < kAhead && ahead != nullptr && ahead != first; ++i) ahead = ahead->prev;
  for (Face* face = faces.tail(); face != nullptr; face = face == first ? nullptr : face->prev) {
    if (ahead != nullptr) {
      for (Vertex* v : {ahead->a, ahead->b, ahead->c}) {
        if (v != nullptr) __builtin_prefetch(&v->firstCorner, 1);
      }
      ahead = ahead == first ? nullptr : ahead->prev;
    }
    for (unsigned k = 3; k-- > 0;) {
      Vertex* vertex = face->Corner(k);
      if (vertex == nullptr) continue;
      const CornerRef use(face, k);
      face->nextCorner[k] = vertex->firstCorner;
      if (!vertex->firstCorner) vertex->lastCorner = use;
      vertex->firstCorner = use;
    }
  }
}

void Model::RemoveFace(Face* face) {
  if (face == nullptr) return;
  faces.Unselect(face);
  faces.UnlinkFromChain(face);
  for (unsigned k = 0; k < 3; ++k) RemoveCorner(face, k);
  faces.RemoveAndFree(face);
}

void Model::SetFaceMaterial(Face* face, std::uint32_t material) {
  if (face == nullptr || material >= materialCount || material >= kMaxMaterials ||
      face->material == material) {
    return;
  }
  faces.UnlinkFromChain(face);
  face->material = static_cast<std::uint8_t>(material);
  faces.LinkToChain(face);
}

void Model::SetFaceCorners(Face* face, Vertex* a, Vertex* b, Vertex* c) {
  if (face == nullptr || a == nullptr || b == nullptr || c == nullptr) return;
  for (unsigned k = 0; k < 3; ++k) RemoveCorner(face, k);
  face->a = a;
  face->b = b;
  face->c = c;
  for (unsigned k = 0; k < 3; ++k) AddCorner(face, k);
  faces.MarkCornersChanged();
}

void Model::MoveMaterialChain(std::uint32_t to, std::uint32_t from) { faces.MoveChain(to, from); }

std::uint32_t Model::MaterialForNewFace() const {
  return currentMaterial < materialCount && currentMaterial < kMaxMaterials ? currentMaterial : 0;
}

Face* Model::MakeFace(Vertex* a, Vertex* b, Vertex* c) {
  if (a == nullptr || b == nullptr || c == nullptr) return nullptr;
  Face* face = faces.Allocate();
  if (face == nullptr) return nullptr;
  face->a = a;
  face->b = b;
  face->c = c;
  if (!AddFace(face, MaterialForNewFace())) {
    faces.Free(face);
    return nullptr;
  }
  faces.Select(face);
  return face;
}

Face* Model::MakeFaceFromIds(std::uint32_t id, std::uint32_t idA, std::uint32_t idB,
                             std::uint32_t idC) {
  Face* face = faces.Allocate();
  if (face == nullptr) return nullptr;
  face->a = vertices.FindById(idA);
  face->b = vertices.FindById(idB);
  face->c = vertices.FindById(idC);
  if (!AddFace(face, MaterialForNewFace())) {
    faces.Free(face);
    return nullptr;
  }
  faces.SetId(face, id);
  return face;
}

// ---- vertex operations

Vertex* Model::AppendVertex() {
  Vertex* vertex = vertices.Allocate();
  if (vertex == nullptr) return nullptr;
  vertices.Append(vertex);
  geometryChanged = true;
  return vertex;
}

void Model::SetVertex(Vertex* vertex, const Vector3& position, const Vector3& normal, float u,
                      float v) {
  if (vertex == nullptr) return;
  vertex->position = vertex->savedPosition = position;
  vertex->normal = vertex->savedNormal = normal;
  vertex->u = vertex->savedU = u;
  vertex->v = vertex->savedV = v;
  geometryChanged = true;
  ++vertexDataVersion_;
}

void Model::DeleteVertex(Vertex* vertex) {
  if (vertex == nullptr) return;
  while (vertex->HasFaces()) RemoveFace(vertex->firstCorner.face());
  for (std::uint32_t b = 0; b < boneCount; ++b) {
    while (VertexWeight* w = bones[b].FindWeight(vertex)) bones[b].RemoveWeight(w);
  }
  // The pairs are stale from here on anyway; dropping them now means no pair can name a freed
  // vertex before the next rebuild.
  duplicates.Clear();
  vertices.RemoveAndFree(vertex);
  geometryChanged = true;
}

void Model::Commit() {
  for (Vertex* v : vertices) {
    v->savedPosition = v->position;
    v->savedNormal = v->normal;
    v->savedU = v->u;
    v->savedV = v->v;
    v->changed = 0;
  }
  ++vertexDataVersion_;
}

// The box grows from +-100000 inwards; radiusSquared is the larger squared length of its two
// corners.
void BoundsFit::StoreIn(Model& model) const {
  model.boundsMin = lo_;
  model.boundsMax = hi_;
  const float lo2 = lo_.x * lo_.x + lo_.y * lo_.y + lo_.z * lo_.z;
  const float hi2 = hi_.x * hi_.x + hi_.y * hi_.y + hi_.z * hi_.z;
  model.radiusSquared = lo2 > hi2 ? lo2 : hi2;
}

namespace {

template <class Vertices>
void FitBox(const Vertices& vertices, Model& model) {
  BoundsFit box;
  for (const Vertex* v : vertices) box.Add(v->position);
  box.StoreIn(model);
}

}  // namespace

void Model::ComputeBounds() {
  if (vertices.count() == 0) {
    radiusSquared = 1.0f;
    return;
  }
  FitBox(vertices, *this);
}

void Model::ComputeBoundsOf(std::span<Vertex* const> some) { FitBox(some, *this); }

// ---- selection

void Model::DeselectAll() {
  vertices.ClearSelection();
  faces.ClearSelection();
  duplicates.ClearSelection();
}

void Model::SelectAll() {
  vertices.ClearSelection();
  for (Vertex* v : vertices) vertices.Select(v);
  SelectFacesFromVertices();
}

void Model::SelectFacesFromVertices() {
  faces.ClearSelection();
  for (Face* f : faces) {
    if (f->HasAllCorners() && f->a->selected && f->b->selected && f->c->selected) {
      faces.Select(f);
    }
  }
}

void Model::SelectDuplicatesOfSelection() {
  duplicates.ClearSelection();
  for (Duplicate* d : duplicates) {
    if (d->vertex != nullptr && d->vertex->selected) duplicates.Select(d);
  }
}

// ---- tables

void Model::SetMaterialDefaults(std::uint32_t index) {
  if (index >= kMaxMaterials) return;
  materials[index] = Material{};
}

std::array<Animation, kMaxAnimations>& Model::AnimationTable() const {
  if (!animations_) animations_ = std::make_unique<std::array<Animation, kMaxAnimations>>();
  return *animations_;
}

bool Model::HasKey(std::int64_t animation, std::int64_t key) const {
  return HasAnimation(animation) && key >= 0 &&
         key < this->animation(static_cast<std::uint32_t>(animation)).keyCount;
}

bool Model::HasKeyBone(std::int64_t animation, std::int64_t key, std::int64_t keyBone) const {
  return HasKey(animation, key) && keyBone >= 0 &&
         keyBone < this->animation(static_cast<std::uint32_t>(animation))
                       .keys[static_cast<std::size_t>(key)]
                       .keyBoneCount;
}

std::int32_t Model::FindBoneByName(std::string_view name) const {
  if (name.empty()) return kNoBone;
  for (std::uint32_t i = 0; i < boneCount; ++i) {
    if (bones[i].name == name) return static_cast<std::int32_t>(i);
  }
  return kNoBone;
}

// ---- whole model

void Model::Reset() {
  MarkChanged();
  vertices.Clear();
  faces.Clear();
  duplicates.Clear();
  for (Bone& bone : bones) bone.weights.Clear();

  if (backgroundTexture != 0) textures_->Delete(backgroundTexture);
  backgroundTexture = 0;
  for (Material& material : materials) {
    if (material.texture != 0) textures_->Delete(material.texture);
    material.texture = 0;
  }

  boneCount = 0;
  animationCount = 0;
  journal.Reset();
  materialCount = 1;
  currentMaterial = 0;
  SetMaterialDefaults(0);
  rootBone = kNoBone;
  currentAnimation = currentBone = currentKey = currentKeyBone = -1;
  viewMatrix = Matrix4::Identity();
  geometryChanged = true;
  radiusSquared = 1.0f;
  playbackClock = 0.0f;
}

void Model::Swap(Model& other) {
  const std::uint64_t changes = std::max(changeCount(), other.changeCount());
  vertices.Swap(other.vertices);
  duplicates.Swap(other.duplicates);
  faces.Swap(other.faces);
  std::swap(materials, other.materials);
  std::swap(materialCount, other.materialCount);
  for (std::uint32_t b = 0; b < kMaxBones; ++b) bones[b].Swap(other.bones[b]);
  std::swap(boneCount, other.boneCount);
  std::swap(animations_, other.animations_);
  std::swap(animationCount, other.animationCount);
  std::swap(rootBone, other.rootBone);
  std::swap(currentAnimation, other.currentAnimation);
  std::swap(currentMaterial, other.currentMaterial);
  std::swap(currentBone, other.currentBone);
  std::swap(currentKey, other.currentKey);
  std::swap(currentKeyBone, other.currentKeyBone);
  std::swap(boundsMin, other.boundsMin);
  std::swap(boundsMax, other.boundsMax);
  std::swap(radiusSquared, other.radiusSquared);
  std::swap(animationRunning, other.animationRunning);
  std::swap(playbackClock, other.playbackClock);
  std::swap(backgroundTexture, other.backgroundTexture);
  std::swap(journal, other.journal);
  std::swap(document, other.document);
  std::swap(savedChangeCount_, other.savedChangeCount_);
  // Each side's saved state stays as it was relative to its content, and both counts move past
  // every count either model had, so no earlier saved count matches by chance.
  for (Model* m : {this, &other}) {
    const bool unsaved = m->HasUnsavedChanges();
    m->changes_ += changes + 1;
    m->savedChangeCount_ = unsaved ? 0 : m->changeCount();
    m->geometryChanged = true;
    m->MarkVertexDataChanged();
  }
}

}  // namespace zmf

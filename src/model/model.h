// The one object that owns everything the editor works on: mesh lists, tables, current items.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/host.h"
#include "model/math_types.h"
#include "model/mesh.h"
#include "model/pool.h"
#include "model/record_list.h"
#include "model/tables.h"
#include "model/undo_journal.h"

namespace zmf {

// The name a document has before it is opened from or saved to a file.
inline constexpr std::string_view kUntitledName = "untitled.zmf";

// Where the model came from, which decides where Save writes it.
enum class DocumentKind {
  Untitled,  // made with New, recovered, or never named: Save asks for a name
  ZmfFile,   // opened from or saved as a ZMF file: Save writes there
  Imported,  // read by an importer: Save asks, proposing the import's name with ".zmf"
};

// The file the model is edited as: its path and kind. Only opening a model or saving it as ZMF
// changes it; textures, backgrounds, screenshots and exports never do.
struct Document {
  std::string path{kUntitledName};
  DocumentKind kind = DocumentKind::Untitled;
};

// Section index
//   lists and tables ...... vertices, duplicates, faces, materials, bones, animations
//   face operations ....... AddFace, RemoveFace, materials of faces, corners, MakeFace
//   vertex operations ..... SetVertex, DeleteVertex, Commit, ComputeBounds, RebuildDuplicates
//   selection ............. DeselectAll, SelectAll, faces and duplicates from the vertex selection
//   index checks .......... HasBone, HasAnimation, HasKey, HasKeyBone
//   tables ................ SetMaterialDefaults, FindBoneByName
//   whole model ........... Reset, Swap
//   document .............. document, change count, saved state
//
// The app owns exactly one Model; tests make their own. Operations given a null record, an
// index out of range or an id that is not present do nothing.
class Model {
 public:
  Model(Host& host, TextureStore& textures);
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  Host& host() { return *host_; }
  // Another host from now on: a script run in the window answers its own prompts.
  void SetHost(Host& host) { host_ = &host; }
  TextureStore& textures() { return *textures_; }

  // ---- lists and tables
  RecordList<Vertex> vertices;
  RecordList<Duplicate> duplicates;  // derived; rebuilt by RebuildDuplicates when stale
  FaceList faces;

  std::array<Material, kMaxMaterials> materials;
  std::uint32_t materialCount = 1;
  std::array<Bone, kMaxBones> bones;
  std::uint32_t boneCount = 0;
  std::uint32_t animationCount = 0;

  std::int32_t rootBone = kNoBone;
  std::int32_t currentAnimation = -1;
  std::uint32_t currentMaterial = 0;  // material given to newly made faces
  std::int32_t currentBone = -1;
  std::int32_t currentKey = -1;
  std::int32_t currentKeyBone = -1;

  Matrix4 viewMatrix = Matrix4::Identity();  // rebuilt from the camera every frame
  Vector3 boundsMin;
  Vector3 boundsMax;
  float radiusSquared = 1.0f;  // larger squared length of boundsMin and boundsMax
  bool animationRunning = false;
  bool geometryChanged = true;  // a vertex was set, added or deleted: duplicates are stale
  float playbackClock = 0.0f;
  std::uint32_t backgroundTexture = 0;

  // Records of every journaled edit, for Undo and Redo; emptied by Reset.
  UndoJournal journal;

  // What the viewport compares to tell whether the arrays it draws from are out of date, beside
  // the lists' versions: a number no other Model has, and a count that changes whenever vertex
  // data may have changed (positions, normals, coordinates or their drawn copies). Code that
  // writes those fields itself, rather than through SetVertex or Commit, calls
  // MarkVertexDataChanged.
  std::uint64_t instanceId() const { return instanceId_; }
  std::uint64_t vertexDataVersion() const { return vertexDataVersion_; }
  void MarkVertexDataChanged() { ++vertexDataVersion_; }

  // Animation slot i (in use below animationCount).
  Animation& animation(std::uint32_t i) { return AnimationTable()[i]; }
  const Animation& animation(std::uint32_t i) const { return AnimationTable()[i]; }

  // ---- face operations

  // Gives the face its material, joins it to that material's chain, adds a face reference to
  // each corner (a, b, c) and appends it with the next id. False, and nothing done, for a null
  // face or a material index of 32 or more. A material at or above materialCount is accepted,
  // since a file names its faces' materials before its material table: the reader moves such
  // faces to material 0 once the file is read, the writer saves them as material 0, and the
  // views that draw material by material leave them out.
  bool AddFace(Face* face, std::uint32_t material);
  // For loading files: AddFace without the corners, which LinkCornersFrom then threads into
  // their vertices' chains for many faces at once.
  bool AddFaceUnlinked(Face* face, std::uint32_t material);
  // Threads the corners of the faces from `first` to the list's tail into their vertices'
  // chains, giving the same chains as AddFace would have, face by face. Walking the faces
  // backwards and putting each use at the front of its chain touches one vertex per corner
  // instead of a vertex and the face before. Only for vertices that no earlier face uses.
  void LinkCornersFrom(Face* first);
  // Unselects, unchains and unlinks the face, drops one face reference from each corner, and
  // frees it. Its vertices stay.
  void RemoveFace(Face* face);
  // Moves the face to the material's chain; nothing for a material at or above materialCount.
  void SetFaceMaterial(Face* face, std::uint32_t material);
  // Moves the face onto new corners; nothing unless all four are given.
  void SetFaceCorners(Face* face, Vertex* a, Vertex* b, Vertex* c);
  // Every face of material `from` gets `to` (used when the material table is compacted).
  void MoveMaterialChain(std::uint32_t to, std::uint32_t from);
  // A new face on a, b, c with the current material (material 0 when currentMaterial is not
  // below materialCount, as after undoing the material's addition), selected; null unless all
  // three are given.
  Face* MakeFace(Vertex* a, Vertex* b, Vertex* c);
  // A new face with the current material (as MakeFace chooses it) whose corners are the vertices
  // with those ids (a missing vertex leaves that corner null), given the id `id`: undo and redo
  // re-create faces under their old ids this way.
  Face* MakeFaceFromIds(std::uint32_t id, std::uint32_t idA, std::uint32_t idB, std::uint32_t idC);

  // ---- vertex operations

  // A new vertex at the tail of the list with everything zero; null when memory ran out.
  Vertex* AppendVertex();
  // Stores position, normal and texture coordinates into both the values and their drawn
  // copies and marks the geometry changed.
  void SetVertex(Vertex* vertex, const Vector3& position, const Vector3& normal, float u, float v);
  // Removes the vertex with every face that uses it and every bone weight that names it.
  void DeleteVertex(Vertex* vertex);
  // Makes the current values the drawn copies of every vertex: shows the model at rest.
  void Commit();
  // Bounding box of all positions and radiusSquared; an empty model keeps its box and gets
  // radiusSquared 1.0. The box starts at +-100000, so it never shrinks below those values.
  void ComputeBounds();
  // The same box and radiusSquared for the given vertices only (the file reader's latest
  // VERTICES section); without vertices they are those of the starting box.
  void ComputeBoundsOf(std::span<Vertex* const> some);
  // When the geometry changed, remakes the duplicate list: for each vertex in list order, a pair
  // with the first later vertex at exactly the same position (+0 equals -0; NaN never matches).
  void RebuildDuplicates();

  // ---- selection
  void DeselectAll();
  // Every vertex selected in list order, then the faces whose corners are all selected.
  void SelectAll();
  void SelectFacesFromVertices();
  // The duplicates whose first vertex is selected.
  void SelectDuplicatesOfSelection();

  // ---- index checks: whether an index names an entry in use. Counts never exceed their
  // tables (every reader and edit keeps them so), so a count is the only bound.
  bool HasBone(std::int64_t bone) const { return bone >= 0 && bone < boneCount; }
  bool HasAnimation(std::int64_t animation) const {
    return animation >= 0 && animation < animationCount;
  }
  // Whether the animation has that key, and that key that key bone. A current index left behind
  // by a deletion names nothing.
  bool HasKey(std::int64_t animation, std::int64_t key) const;
  bool HasKeyBone(std::int64_t animation, std::int64_t key, std::int64_t keyBone) const;

  // ---- tables
  void SetMaterialDefaults(std::uint32_t index);
  // Index of the first bone with exactly this name, or -1 (also for an empty name).
  std::int32_t FindBoneByName(std::string_view name) const;

  // ---- whole model

  // Empties the model in place: no vertices, faces, bones or animations, one default material.
  // Textures are deleted through the TextureStore.
  void Reset();

  // Exchanges everything the model holds (lists, tables, current items, bounds, background,
  // journal, document and saved state) with the other model, which must use the same texture
  // store; the hosts, the view matrix and the identities stay. Opening reads into a fresh model
  // and swaps it in only when the read succeeded. Both models count a change.
  void Swap(Model& other);

  // ---- document

  Document document;
  // Counts changes to what a saved file would hold: every journaled edit, undo and redo, and
  // each MarkChanged of the edits made outside the journal. Never goes back.
  std::uint64_t changeCount() const { return changes_ + journal.moves(); }
  void MarkChanged() { ++changes_; }
  // The model as it stands has been saved (or was just opened or made empty).
  void MarkSaved() { savedChangeCount_ = changeCount(); }
  bool HasUnsavedChanges() const { return changeCount() != savedChangeCount_; }

 private:
  // currentMaterial, or 0 when it names no material of the table.
  std::uint32_t MaterialForNewFace() const;
  // Appends the face's corner to the end of its vertex's chain / takes it out of the chain.
  void AddCorner(Face* face, unsigned corner);
  void RemoveCorner(Face* face, unsigned corner);
  std::array<Animation, kMaxAnimations>& AnimationTable() const;

  // Thirty-two animations of 32 keys with 128 key bones each: about 15 MB on the heap, made the
  // first time an animation slot is asked for, so that a model without animations (and the
  // model an open reads into beside the current one) never holds it.
  mutable std::unique_ptr<std::array<Animation, kMaxAnimations>> animations_;
  Host* host_;
  TextureStore* textures_;
  std::uint64_t instanceId_;
  std::uint64_t vertexDataVersion_ = 0;
  std::uint64_t changes_ = 0;
  std::uint64_t savedChangeCount_ = 0;
};

// The box that ComputeBoundsOf fits, grown one position at a time, so that a file reader fits it
// as it reads instead of passing over the vertices again.
class BoundsFit {
 public:
  void Add(const Vector3& p) {
    if (p.x < lo_.x) lo_.x = p.x;
    if (p.y < lo_.y) lo_.y = p.y;
    if (p.z < lo_.z) lo_.z = p.z;
    if (p.x > hi_.x) hi_.x = p.x;
    if (p.y > hi_.y) hi_.y = p.y;
    if (p.z > hi_.z) hi_.z = p.z;
  }
  // The model's boundsMin, boundsMax and radiusSquared become this box's.
  void StoreIn(Model& model) const;

 private:
  Vector3 lo_{100000.0f, 100000.0f, 100000.0f};
  Vector3 hi_{-100000.0f, -100000.0f, -100000.0f};
};

// Calls visit(animation index, key index, key) for every key in use of every animation.
template <class ModelType, class Visit>
void ForEachKey(ModelType& model, Visit visit) {
  for (std::uint32_t a = 0; a < model.animationCount; ++a) {
    auto& animation = model.animation(a);
    for (std::uint32_t k = 0; k < animation.keyCount; ++k) visit(a, k, animation.keys[k]);
  }
}

// Calls visit(key bone) for every key bone in use of every key in use.
template <class ModelType, class Visit>
void ForEachKeyBone(ModelType& model, Visit visit) {
  ForEachKey(model, [&visit](std::uint32_t, std::uint32_t, auto& key) {
    for (std::uint32_t slot = 0; slot < key.keyBoneCount; ++slot) visit(key.keyBones[slot]);
  });
}

}  // namespace zmf

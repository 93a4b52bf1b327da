// The journaled edit primitives: each writes its record, then makes the edit.
#include "edit/journal.h"

#include <algorithm>
#include <bit>
#include <unordered_map>
#include <vector>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "edit/journal_records.h"
#include "material/material_table.h"

namespace zmf::edit {
namespace {

std::uint32_t IdOf(const Vertex* v) { return v != nullptr ? v->id : 0; }

std::array<std::uint32_t, 3> CornerIds(const Vertex* a, const Vertex* b, const Vertex* c) {
  return {IdOf(a), IdOf(b), IdOf(c)};
}

template <JournalCode code>
void WriteVertexRecord(Model& model, std::uint32_t id, const Vector3& position,
                       const Vector3& normal, float u, float v) {
  WriteRecord<code>(model.journal, id, position, normal, u, v);
}

// Whether the values are exactly those of a plain vertex, bit for bit (-0 is not 0 here).
bool IsPlainVertex(const Vector3& normal, float u, float v) {
  const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
  return bits(normal.x) == bits(kPlainNormal.x) && bits(normal.y) == bits(kPlainNormal.y) &&
         bits(normal.z) == bits(kPlainNormal.z) && bits(u) == 0 && bits(v) == 0;
}

}  // namespace

void WriteGroupMarker(Model& model) { WriteLoneWord(model.journal, kGroupMarker); }

// ---- vertices and faces

Vertex* JournalAddVertex(Model& model, const Vector3& position, const Vector3& normal, float u,
                         float v) {
  if (IsPlainVertex(normal, u, v)) {
    WriteRecord<kAddPlainVertex>(model.journal, model.vertices.nextId(), position);
  } else {
    WriteVertexRecord<kAddVertex>(model, model.vertices.nextId(), position, normal, u, v);
  }
  Vertex* vertex = model.AppendVertex();
  if (vertex == nullptr) return nullptr;
  model.SetVertex(vertex, position, normal, u, v);
  model.vertices.Select(vertex);
  return vertex;
}

void JournalDeleteVertex(Model& model, Vertex* vertex) {
  if (vertex == nullptr) return;
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    JournalRemoveVertexWeight(model, b, vertex);
  }
  while (vertex->HasFaces()) JournalDeleteFace(model, vertex->firstCorner.face());
  WriteVertexRecord<kDeleteVertex>(model, vertex->id, vertex->position, vertex->normal, vertex->u,
                                   vertex->v);
  model.DeleteVertex(vertex);
}

void JournalSetVertex(Model& model, Vertex* vertex, const Vector3& position, const Vector3& normal,
                      float u, float v) {
  if (vertex == nullptr) return;
  const Vertex old = *vertex;
  model.SetVertex(vertex, position, normal, u, v);
  WriteRecord<kSetVertex>(model.journal, vertex->id, position, normal, u, v, old.position,
                          old.normal, old.u, old.v);
}

Face* JournalAddFace(Model& model, Vertex* a, Vertex* b, Vertex* c) {
  if (a == nullptr || b == nullptr || c == nullptr) return nullptr;
  WriteRecord<kAddFace>(model.journal, model.faces.nextId(), CornerIds(a, b, c));
  return model.MakeFace(a, b, c);
}

void JournalDeleteFace(Model& model, Face* face) {
  if (face == nullptr) return;
  WriteRecord<kDeleteFace>(model.journal, face->id, CornerIds(face->a, face->b, face->c));
  model.RemoveFace(face);
}

void JournalSetFaceVertices(Model& model, Face* face, Vertex* a, Vertex* b, Vertex* c) {
  if (face == nullptr || a == nullptr || b == nullptr || c == nullptr) return;
  WriteRecord<kSetFaceVertices>(model.journal, face->id, CornerIds(a, b, c),
                                CornerIds(face->a, face->b, face->c));
  model.SetFaceCorners(face, a, b, c);
}

void JournalSetFaceMaterial(Model& model, Face* face, std::uint32_t material) {
  if (face == nullptr || material >= model.materialCount || material >= kMaxMaterials) return;
  WriteRecord<kSetFaceMaterial>(model.journal, face->id, material, std::uint32_t{face->material});
  model.SetFaceMaterial(face, material);
}

// ---- materials

bool JournalAddMaterial(Model& model, std::string_view name) {
  if (name.empty() || model.materialCount >= kMaxMaterials) return false;
  const Name32 cut(name);
  WriteRecord<kAddMaterial>(model.journal, cut.view());
  return material::AddMaterial(model, cut.view());
}

void JournalDeleteMaterial(Model& model, std::uint32_t index) {
  if (model.materialCount < 2 || index >= model.materialCount) return;
  JournalGroup group(model);
  const std::uint32_t target = index == 0 ? 1 : index - 1;
  std::vector<Face*> moving;
  for (Face* f : model.faces.Chain(index)) moving.push_back(f);
  for (Face* f : moving) JournalSetFaceMaterial(model, f, target);
  const Material& m = model.materials[index];
  WriteRecord<kDeleteMaterial>(model.journal, index, m.name.view(), MaterialColours::Of(m),
                               TextureSettings::Of(m));
  material::DeleteMaterial(model, index);
}

void StoreMaterialColours(Model& model, std::uint32_t index, const MaterialColours& colours) {
  if (index >= model.materialCount) return;
  Material& m = model.materials[index];
  m.ambient = colours.ambient;
  m.diffuse = colours.diffuse;
  m.emission = colours.emission;
  m.specular = colours.specular;
  m.shininess = colours.shininess;
}

void JournalSetMaterialColours(Model& model, std::uint32_t index, const Colour& ambient,
                               const Colour& diffuse, const Colour& emission,
                               const Colour& specular, std::uint32_t shininess) {
  if (index >= model.materialCount) return;
  const MaterialColours next{ambient, diffuse, emission, specular, shininess};
  WriteRecord<kSetMaterialColours>(model.journal, index, next,
                                   MaterialColours::Of(model.materials[index]));
  StoreMaterialColours(model, index, next);
}

void JournalSetMaterialTexture(Model& model, std::uint32_t index, bool hasTexture,
                               std::string_view file, std::uint32_t alphaMode, float alphaValue) {
  if (index >= model.materialCount) return;
  TextureSettings next{hasTexture, std::string(file), alphaMode, alphaValue};
  WriteRecord<kSetMaterialTexture>(model.journal, index, next,
                                   TextureSettings::Of(model.materials[index]));
  material::SetMaterialTexture(model, index, hasTexture, file, alphaMode, alphaValue);
}

// ---- bones

bool JournalAddBone(Model& model, std::string_view name, std::int32_t parent,
                    const Matrix4& localMatrix, float grams) {
  if (!anim::CanAddBone(model, name, parent)) return false;
  const Name32 cut(name);
  WriteRecord<kAddBone>(model.journal, cut.view(), parent, localMatrix, grams);
  return anim::AddBone(model, cut.view(), parent, localMatrix, grams);
}

void JournalSetBone(Model& model, std::uint32_t bone, std::int32_t parent,
                    const Matrix4& localMatrix, float grams) {
  if (!model.HasBone(bone)) return;
  if (parent == -1 && static_cast<std::int32_t>(bone) != model.rootBone) return;
  const Bone& b = model.bones[bone];
  JournalGroup group(model);
  WriteRecord<kSetBone>(model.journal, bone, parent, localMatrix, grams, b.parent, b.localMatrix,
                        b.grams);
  anim::SetBone(model, bone, parent, localMatrix, grams);
}

void JournalAddVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex) {
  if (!model.HasBone(bone) || vertex == nullptr) return;
  if (anim::FindWeight(model.bones[bone], vertex) != nullptr) return;
  WriteRecord<kAddVertexWeight>(model.journal, bone, vertex->id);
  anim::AddVertexWeight(model, bone, vertex);
}

void JournalRemoveVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex) {
  if (!model.HasBone(bone) || vertex == nullptr) return;
  if (anim::FindWeight(model.bones[bone], vertex) == nullptr) return;
  WriteRecord<kRemoveVertexWeight>(model.journal, bone, vertex->id);
  anim::RemoveVertexWeight(model, bone, vertex);
}

void JournalSetKeyBoneMatrix(Model& model, const Matrix4& matrix) {
  KeyBone* keyBone =
      anim::FindKeyBone(model, model.currentAnimation, model.currentKey, model.currentKeyBone);
  if (keyBone == nullptr) return;
  WriteRecord<kSetKeyBoneMatrix>(model.journal, static_cast<std::uint32_t>(model.currentAnimation),
                                 static_cast<std::uint32_t>(model.currentKey),
                                 static_cast<std::uint32_t>(model.currentKeyBone), matrix,
                                 keyBone->matrix);
  keyBone->matrix = matrix;
}

// ---- renumbering

namespace {

// Old id -> new id for one list being renumbered; ids of records that are gone get fresh ids
// after the live ones, the same fresh id each time the same old id comes up. Ids come from
// nextId, so nearly all of them sit in a table indexed by id (4 bytes a record, where a hash map
// of a big imported model's ids took over a hundred megabytes); ids beyond it, which only SetId
// can give, go to a map.
template <class T>
class IdRenumbering {
 public:
  explicit IdRenumbering(const RecordList<T>& list) : nextFresh_(list.count()) {
    const std::size_t direct =
        std::min<std::size_t>(list.nextId(), std::size_t{list.count()} * 4 + kDirectSlack);
    direct_.assign(direct, kNone);
    std::uint32_t position = 0;
    for (const T* r : list) {
      std::uint32_t& slot = Slot(r->id);
      if (slot == kNone) slot = position;  // a shared id means its first holder in list order
      ++position;
    }
  }
  std::uint32_t operator()(std::uint32_t old) {
    std::uint32_t& slot = Slot(old);
    if (slot == kNone) slot = nextFresh_++;
    return slot;
  }
  std::uint32_t nextFresh() const { return nextFresh_; }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  static constexpr std::size_t kDirectSlack = 65536;

  std::uint32_t& Slot(std::uint32_t old) {
    if (old < direct_.size()) return direct_[old];
    return far_.try_emplace(old, kNone).first->second;
  }

  std::vector<std::uint32_t> direct_;
  std::unordered_map<std::uint32_t, std::uint32_t> far_;
  std::uint32_t nextFresh_;
};

}  // namespace

void RenumberIds(Model& model) {
  const UndoJournal& journal = model.journal;
  if (journal.end() > journal.oldest()) {
    IdRenumbering<Vertex> vertexIds(model.vertices);
    IdRenumbering<Face> faceIds(model.faces);
    RemapJournalIds(model.journal, std::ref(vertexIds), std::ref(faceIds));
    model.vertices.Renumber();
    model.faces.Renumber();
    model.vertices.ReserveIdsBelow(vertexIds.nextFresh());
    model.faces.ReserveIdsBelow(faceIds.nextFresh());
    return;
  }
  model.vertices.Renumber();
  model.faces.Renumber();
}

}  // namespace zmf::edit

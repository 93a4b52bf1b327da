// Journaled edit primitives and the Undo and Redo walks.
//
// Section index
//   writing records ....... Writer, the record builders
//   reading records ....... Reader, Record, Decode
//   primitives ............ vertices, faces, materials, bones, key bones
//   undo and redo ......... inverse and repeated actions, the group walks
#include "edit/journal.h"

#include <array>
#include <string>
#include <vector>

#include "anim/skeleton.h"
#include "material/material_table.h"

namespace zmf {
namespace {

// ---- writing records

class Writer {
 public:
  explicit Writer(UndoJournal& journal) : journal_(journal) {}
  Writer& Code(JournalCode code) { return Int(code); }
  Writer& Int(std::int32_t v) {
    journal_.Write(JournalWord::Int(v));
    return *this;
  }
  Writer& Uint(std::uint32_t v) {
    journal_.Write(JournalWord::Uint(v));
    return *this;
  }
  Writer& Float(float v) {
    journal_.Write(JournalWord::Float(v));
    return *this;
  }
  Writer& Vec(const Vector3& v) { return Float(v.x).Float(v.y).Float(v.z); }
  Writer& Matrix(const Matrix4& m) {
    for (float f : m.m) Float(f);
    return *this;
  }
  Writer& String(std::string_view s) {
    Uint(static_cast<std::uint32_t>(s.size()));
    for (char c : s) Int(static_cast<signed char>(c));
    return Uint(static_cast<std::uint32_t>(s.size()));
  }
  // Ambient, diffuse, emission, specular, component-major, then the shininess.
  Writer& Colours(const Material& m) {
    for (int component = 0; component < 4; ++component) {
      Float(m.ambient[component]).Float(m.diffuse[component]);
      Float(m.emission[component]).Float(m.specular[component]);
    }
    return Uint(m.shininess);
  }
  // A deleted material's texture: the flag, and only when it is set the path, alpha mode, alpha
  // value and the flag again.
  Writer& DeletedTexture(const Material& m) {
    Uint(m.hasTexture != 0 ? 1 : 0);
    if (m.hasTexture != 0) String(m.textureFile).Uint(m.alphaMode).Float(m.alphaValue).Uint(1);
    return *this;
  }
  // Flag, and when set the path, alpha mode and alpha value, then the flag again.
  Writer& Texture(bool hasTexture, std::string_view path, std::uint32_t mode, float value) {
    Uint(hasTexture ? 1 : 0);
    if (hasTexture) String(path).Uint(mode).Float(value);
    return Uint(hasTexture ? 1 : 0);
  }

 private:
  UndoJournal& journal_;
};

void WriteVertexRecord(Model& model, JournalCode code, const Vertex& v) {
  Writer(model.journal).Code(code).Uint(v.id).Vec(v.position).Vec(v.normal).Float(v.u).Float(v.v).Code(code);
}

std::uint32_t IdOf(const Vertex* v) { return v != nullptr ? v->id : 0; }

void WriteFaceRecord(Model& model, JournalCode code, std::uint32_t id, const Vertex* a,
                     const Vertex* b, const Vertex* c) {
  Writer(model.journal).Code(code).Uint(id).Uint(IdOf(a)).Uint(IdOf(b)).Uint(IdOf(c)).Code(code);
}

// ---- reading records

// Reads a record forward from its start, never past its end.
class Reader {
 public:
  Reader(const UndoJournal& journal, std::uint64_t start, std::uint64_t end)
      : journal_(journal), at_(start), end_(end) {}

  bool ok() const { return ok_; }
  JournalWord Next() {
    if (at_ >= end_) {
      ok_ = false;
      return {};
    }
    return journal_.At(at_++);
  }
  std::int32_t Int() { return Next().AsInt(); }
  std::uint32_t Uint() { return Next().AsUint(); }
  float Float() { return Next().AsFloat(); }
  Vector3 Vec() {
    Vector3 v;
    v.x = Float();
    v.y = Float();
    v.z = Float();
    return v;
  }
  Matrix4 Matrix() {
    Matrix4 m;
    for (float& f : m.m) f = Float();
    return m;
  }
  std::string String() {
    const std::uint32_t n = Uint();
    std::string s;
    if (n > end_ - at_) {
      ok_ = false;
      return s;
    }
    s.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) s.push_back(static_cast<char>(Int()));
    Uint();
    return s;
  }
  void Colours(Material& m) {
    for (int component = 0; component < 4; ++component) {
      m.ambient[component] = Float();
      m.diffuse[component] = Float();
      m.emission[component] = Float();
      m.specular[component] = Float();
    }
    m.shininess = Uint();
  }
  void DeletedTexture(Material& m) {
    m.hasTexture = Uint() != 0 ? 1 : 0;
    if (m.hasTexture) {
      m.textureFile = String();
      m.alphaMode = Uint();
      m.alphaValue = Float();
      Uint();
    }
  }
  void Texture(Material& m) {
    m.hasTexture = Uint() != 0 ? 1 : 0;
    if (m.hasTexture) {
      m.textureFile = String();
      m.alphaMode = Uint();
      m.alphaValue = Float();
    }
    Uint();
  }

 private:
  const UndoJournal& journal_;
  std::uint64_t at_;
  std::uint64_t end_;
  bool ok_ = true;
};

// Every field any record holds; Decode fills those of its code.
struct Record {
  std::int32_t code = 0;
  std::uint32_t id = 0;
  Vector3 position, normal, oldPosition, oldNormal;
  float u = 0, v = 0, oldU = 0, oldV = 0;
  std::array<std::uint32_t, 3> corners{}, oldCorners{};
  std::uint32_t material = 0, oldMaterial = 0;
  std::uint32_t index = 0;  // material, bone or animation index
  Material values, oldValues;
  std::string name;
  std::int32_t parent = kNoBone, oldParent = kNoBone;
  Matrix4 matrix, oldMatrix;
  float grams = 0, oldGrams = 0;
  std::uint32_t key = 0, keyBone = 0;
};

bool Decode(const UndoJournal& journal, std::uint64_t start, std::uint64_t end, Record& r) {
  Reader in(journal, start, end);
  r.code = in.Int();
  switch (r.code) {
    case kAddVertex:
    case kDeleteVertex:
    case kSetVertex:
      r.id = in.Uint();
      r.position = in.Vec();
      r.normal = in.Vec();
      r.u = in.Float();
      r.v = in.Float();
      if (r.code == kSetVertex) {  // the old values follow the new ones
        r.oldPosition = in.Vec();
        r.oldNormal = in.Vec();
        r.oldU = in.Float();
        r.oldV = in.Float();
      }
      break;
    case kAddFace:
    case kDeleteFace:
    case kSetFaceVertices:
      r.id = in.Uint();
      for (auto& c : r.corners) c = in.Uint();
      if (r.code == kSetFaceVertices) {
        for (auto& c : r.oldCorners) c = in.Uint();
      }
      break;
    case kSetFaceMaterial:
      r.id = in.Uint();
      r.material = in.Uint();
      r.oldMaterial = in.Uint();
      break;
    case kAddMaterial:
      r.name = in.String();
      break;
    case kDeleteMaterial:
      r.index = in.Uint();
      r.values.name.Set(in.String());
      in.Colours(r.values);
      in.DeletedTexture(r.values);
      break;
    case kSetMaterialColours:
      r.index = in.Uint();
      in.Colours(r.values);
      in.Colours(r.oldValues);
      break;
    case kSetMaterialTexture:
      r.index = in.Uint();
      in.Texture(r.values);
      in.Texture(r.oldValues);
      break;
    case kAddBone:
      r.name = in.String();
      r.parent = in.Int();
      r.matrix = in.Matrix();
      r.grams = in.Float();
      break;
    case kSetBone:
      r.index = in.Uint();
      r.parent = in.Int();
      r.matrix = in.Matrix();
      r.grams = in.Float();
      r.oldParent = in.Int();
      r.oldMatrix = in.Matrix();
      r.oldGrams = in.Float();
      break;
    case kAddVertexWeight:
    case kRemoveVertexWeight:
      r.index = in.Uint();
      r.id = in.Uint();
      break;
    case kSetKeyBoneMatrix:
      r.index = in.Uint();
      r.key = in.Uint();
      r.keyBone = in.Uint();
      r.matrix = in.Matrix();
      r.oldMatrix = in.Matrix();
      break;
    default:
      return false;
  }
  return in.ok() && in.Int() == r.code && in.ok();
}

// Codes that Undo and Redo act on. The bone-deletion words are not among them: a deleted bone
// cannot be brought back, so they stop both walks.
bool IsReplayable(std::int32_t code) {
  switch (code) {
    case kAddVertex:
    case kDeleteVertex:
    case kSetVertex:
    case kAddFace:
    case kDeleteFace:
    case kSetFaceVertices:
    case kSetFaceMaterial:
    case kAddMaterial:
    case kDeleteMaterial:
    case kSetMaterialColours:
    case kSetMaterialTexture:
    case kAddBone:
    case kSetBone:
    case kAddVertexWeight:
    case kRemoveVertexWeight:
    case kSetKeyBoneMatrix:
      return true;
    default:
      return false;
  }
}

// ---- plain actions shared by the primitives, Undo and Redo

// A vertex appended under the given id with both copies set; not selected.
Vertex* RecreateVertex(Model& model, std::uint32_t id, const Vector3& position,
                       const Vector3& normal, float u, float v) {
  Vertex* vertex = model.AppendVertex();
  if (vertex == nullptr) return nullptr;
  model.SetVertex(vertex, position, normal, u, v);
  model.vertices.SetId(vertex, id);
  return vertex;
}

// A face appended under the given id with the current material, only when all three corners
// exist; not selected.
void RecreateFace(Model& model, std::uint32_t id, const std::array<std::uint32_t, 3>& corners) {
  Vertex* a = model.vertices.FindById(corners[0]);
  Vertex* b = model.vertices.FindById(corners[1]);
  Vertex* c = model.vertices.FindById(corners[2]);
  if (a == nullptr || b == nullptr || c == nullptr) return;
  model.MakeFaceFromIds(id, corners[0], corners[1], corners[2]);
}

void SetFaceCornersByIds(Model& model, std::uint32_t id, const std::array<std::uint32_t, 3>& ids) {
  model.SetFaceCorners(model.faces.FindById(id), model.vertices.FindById(ids[0]),
                       model.vertices.FindById(ids[1]), model.vertices.FindById(ids[2]));
}

void StoreColours(Model& model, std::uint32_t index, const Material& from) {
  if (index >= model.materialCount) return;
  Material& m = model.materials[index];
  m.ambient = from.ambient;
  m.diffuse = from.diffuse;
  m.emission = from.emission;
  m.specular = from.specular;
  m.shininess = from.shininess;
}

KeyBone* CurrentKeyBone(Model& model, std::int32_t animation, std::int32_t key,
                        std::int32_t keyBone) {
  if (animation < 0 || key < 0 || keyBone < 0) return nullptr;
  if (static_cast<std::uint32_t>(animation) >= model.animationCount || animation >= kMaxAnimations ||
      key >= kMaxKeys || keyBone >= kMaxKeyBones) {
    return nullptr;
  }
  return &model.animation(animation).keys[key].keyBones[keyBone];
}

}  // namespace

// ---- primitives

void WriteGroupMarker(Model& model) { Writer(model.journal).Code(kGroupMarker); }

Vertex* JournalAddVertex(Model& model, const Vector3& position, const Vector3& normal, float u,
                         float v) {
  Writer(model.journal)
      .Code(kAddVertex)
      .Uint(model.vertices.nextId())
      .Vec(position)
      .Vec(normal)
      .Float(u)
      .Float(v)
      .Code(kAddVertex);
  Vertex* vertex = model.AppendVertex();
  if (vertex == nullptr) return nullptr;
  model.SetVertex(vertex, position, normal, u, v);
  model.vertices.Select(vertex);
  return vertex;
}

void JournalDeleteVertex(Model& model, Vertex* vertex) {
  if (vertex == nullptr) return;
  for (std::uint32_t b = 0; b < model.boneCount && b < kMaxBones; ++b) {
    JournalRemoveVertexWeight(model, b, vertex);
  }
  while (vertex->faceRefHead != nullptr) JournalDeleteFace(model, vertex->faceRefHead->face);
  WriteVertexRecord(model, kDeleteVertex, *vertex);
  model.DeleteVertex(vertex);
}

void JournalSetVertex(Model& model, Vertex* vertex, const Vector3& position, const Vector3& normal,
                      float u, float v) {
  if (vertex == nullptr) return;
  const Vertex old = *vertex;
  model.SetVertex(vertex, position, normal, u, v);
  Writer(model.journal)
      .Code(kSetVertex)
      .Uint(vertex->id)
      .Vec(position)
      .Vec(normal)
      .Float(u)
      .Float(v)
      .Vec(old.position)
      .Vec(old.normal)
      .Float(old.u)
      .Float(old.v)
      .Code(kSetVertex);
}

Face* JournalAddFace(Model& model, Vertex* a, Vertex* b, Vertex* c) {
  if (a == nullptr || b == nullptr || c == nullptr) return nullptr;
  WriteFaceRecord(model, kAddFace, model.faces.nextId(), a, b, c);
  return model.MakeFace(a, b, c);
}

void JournalDeleteFace(Model& model, Face* face) {
  if (face == nullptr) return;
  WriteFaceRecord(model, kDeleteFace, face->id, face->a, face->b, face->c);
  model.RemoveFace(face);
}

void JournalSetFaceVertices(Model& model, Face* face, Vertex* a, Vertex* b, Vertex* c) {
  if (face == nullptr || a == nullptr || b == nullptr || c == nullptr) return;
  Writer(model.journal)
      .Code(kSetFaceVertices)
      .Uint(face->id)
      .Uint(a->id)
      .Uint(b->id)
      .Uint(c->id)
      .Uint(IdOf(face->a))
      .Uint(IdOf(face->b))
      .Uint(IdOf(face->c))
      .Code(kSetFaceVertices);
  model.SetFaceCorners(face, a, b, c);
}

void JournalSetFaceMaterial(Model& model, Face* face, std::uint32_t material) {
  if (face == nullptr || material >= kMaxMaterials) return;
  Writer(model.journal)
      .Code(kSetFaceMaterial)
      .Uint(face->id)
      .Uint(material)
      .Uint(face->material)
      .Code(kSetFaceMaterial);
  model.SetFaceMaterial(face, material);
}

bool JournalAddMaterial(Model& model, std::string_view name) {
  if (name.empty() || model.materialCount >= kMaxMaterials) return false;
  const Name32 cut(name);
  Writer(model.journal).Code(kAddMaterial).String(cut.view()).Code(kAddMaterial);
  return AddMaterial(model, cut.view());
}

void JournalDeleteMaterial(Model& model, std::uint32_t index) {
  if (model.materialCount < 2 || index >= model.materialCount) return;
  JournalGroup group(model);
  const std::uint32_t target = index == 0 ? 1 : index - 1;
  std::vector<Face*> moving;
  for (Face* f : model.faces.Chain(index)) moving.push_back(f);
  for (Face* f : moving) JournalSetFaceMaterial(model, f, target);
  const Material& m = model.materials[index];
  Writer(model.journal)
      .Code(kDeleteMaterial)
      .Uint(index)
      .String(m.name.view())
      .Colours(m)
      .DeletedTexture(m)
      .Code(kDeleteMaterial);
  DeleteMaterial(model, index);
}

void JournalSetMaterialColours(Model& model, std::uint32_t index, const Colour& ambient,
                               const Colour& diffuse, const Colour& emission,
                               const Colour& specular, std::uint32_t shininess) {
  if (index >= model.materialCount) return;
  Material now = model.materials[index];
  Material next = now;
  next.ambient = ambient;
  next.diffuse = diffuse;
  next.emission = emission;
  next.specular = specular;
  next.shininess = shininess;
  Writer(model.journal).Code(kSetMaterialColours).Uint(index).Colours(next).Colours(now).Code(kSetMaterialColours);
  StoreColours(model, index, next);
}

void JournalSetMaterialTexture(Model& model, std::uint32_t index, bool hasTexture,
                               std::string_view file, std::uint32_t alphaMode, float alphaValue) {
  if (index >= model.materialCount) return;
  const Material& m = model.materials[index];
  Writer(model.journal)
      .Code(kSetMaterialTexture)
      .Uint(index)
      .Texture(hasTexture, file, alphaMode, alphaValue)
      .Texture(m.hasTexture != 0, m.textureFile, m.alphaMode, m.alphaValue)
      .Code(kSetMaterialTexture);
  SetMaterialTexture(model, index, hasTexture, file, alphaMode, alphaValue);
}

bool JournalAddBone(Model& model, std::string_view name, std::int32_t parent,
                    const Matrix4& localMatrix, float grams) {
  if (!CanAddBone(model, name, parent)) return false;
  const Name32 cut(name);
  Writer(model.journal).Code(kAddBone).String(cut.view()).Int(parent).Matrix(localMatrix).Float(grams).Code(kAddBone);
  return AddBone(model, cut.view(), parent, localMatrix, grams);
}

void JournalSetBone(Model& model, std::uint32_t bone, std::int32_t parent,
                    const Matrix4& localMatrix, float grams) {
  if (bone >= model.boneCount || bone >= kMaxBones) return;
  if (parent == -1 && static_cast<std::int32_t>(bone) != model.rootBone) return;
  const Bone& b = model.bones[bone];
  JournalGroup group(model);
  Writer(model.journal)
      .Code(kSetBone)
      .Uint(bone)
      .Int(parent)
      .Matrix(localMatrix)
      .Float(grams)
      .Int(b.parent)
      .Matrix(b.localMatrix)
      .Float(b.grams)
      .Code(kSetBone);
  SetBone(model, bone, parent, localMatrix, grams);
}

void JournalAddVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex) {
  if (bone >= model.boneCount || bone >= kMaxBones || vertex == nullptr) return;
  if (FindWeight(model.bones[bone], vertex) != nullptr) return;
  Writer(model.journal).Code(kAddVertexWeight).Uint(bone).Uint(vertex->id).Code(kAddVertexWeight);
  AddVertexWeight(model, bone, vertex);
}

void JournalRemoveVertexWeight(Model& model, std::uint32_t bone, Vertex* vertex) {
  if (bone >= model.boneCount || bone >= kMaxBones || vertex == nullptr) return;
  if (FindWeight(model.bones[bone], vertex) == nullptr) return;
  Writer(model.journal)
      .Code(kRemoveVertexWeight)
      .Uint(bone)
      .Uint(vertex->id)
      .Code(kRemoveVertexWeight);
  RemoveVertexWeight(model, bone, vertex);
}

void JournalSetKeyBoneMatrix(Model& model, const Matrix4& matrix) {
  KeyBone* keyBone =
      CurrentKeyBone(model, model.currentAnimation, model.currentKey, model.currentKeyBone);
  if (keyBone == nullptr) return;
  Writer(model.journal)
      .Code(kSetKeyBoneMatrix)
      .Uint(static_cast<std::uint32_t>(model.currentAnimation))
      .Uint(static_cast<std::uint32_t>(model.currentKey))
      .Uint(static_cast<std::uint32_t>(model.currentKeyBone))
      .Matrix(matrix)
      .Matrix(keyBone->matrix)
      .Code(kSetKeyBoneMatrix);
  keyBone->matrix = matrix;
}

// ---- undo and redo

namespace {

// Removes the vertex a record names: normally the newest one, since everything after it was
// undone first.
void RemoveRecordedVertex(Model& model, std::uint32_t id) {
  Vertex* v = model.vertices.tail();
  if (v == nullptr || v->id != id) v = model.vertices.FindById(id);
  model.DeleteVertex(v);
}

void RemoveRecordedFace(Model& model, std::uint32_t id) {
  Face* f = model.faces.tail();
  if (f == nullptr || f->id != id) f = model.faces.FindById(id);
  model.RemoveFace(f);
}

// Applies a record backwards (undo: its inverse action, with its old values) or forwards (redo:
// the action again, with its new values).
void Replay(Model& model, const Record& r, bool undo) {
  switch (r.code) {
    case kAddVertex:
    case kDeleteVertex:
      if ((r.code == kAddVertex) != undo) {
        RecreateVertex(model, r.id, r.position, r.normal, r.u, r.v);
      } else {
        RemoveRecordedVertex(model, r.id);
      }
      break;
    case kSetVertex:
      model.SetVertex(model.vertices.FindById(r.id), undo ? r.oldPosition : r.position,
                      undo ? r.oldNormal : r.normal, undo ? r.oldU : r.u, undo ? r.oldV : r.v);
      break;
    case kAddFace:
    case kDeleteFace:
      if ((r.code == kAddFace) != undo) {
        RecreateFace(model, r.id, r.corners);
      } else {
        RemoveRecordedFace(model, r.id);
      }
      break;
    case kSetFaceVertices:
      SetFaceCornersByIds(model, r.id, undo ? r.oldCorners : r.corners);
      break;
    case kSetFaceMaterial:
      model.SetFaceMaterial(model.faces.FindById(r.id), undo ? r.oldMaterial : r.material);
      break;
    case kAddMaterial:
      if (!undo) {
        AddMaterial(model, r.name);
      } else if (model.materialCount > 1) {
        // Faces that still use it (none after a well-formed walk) must not keep an index beyond
        // the table.
        DeleteMaterial(model, model.materialCount - 1);
      }
      break;
    case kDeleteMaterial: {
      if (!undo) {
        DeleteMaterial(model, r.index);
        break;
      }
      Material restored = r.values;
      restored.texture = 0;
      InsertMaterial(model, r.index, restored);
      // The texture object went with the deletion; load it again from its file.
      if (restored.hasTexture && !restored.textureFile.empty() && r.index < model.materialCount &&
          model.materials[r.index].name == restored.name) {
        SetMaterialTexture(model, r.index, true, restored.textureFile, restored.alphaMode,
                           restored.alphaValue);
      }
      break;
    }
    case kSetMaterialColours:
      StoreColours(model, r.index, undo ? r.oldValues : r.values);
      break;
    case kSetMaterialTexture: {
      const Material& m = undo ? r.oldValues : r.values;
      SetMaterialTexture(model, r.index, m.hasTexture != 0, m.textureFile, m.alphaMode,
                         m.alphaValue);
      break;
    }
    case kAddBone:
      if (undo) {
        RemoveLastBone(model);
      } else {
        AddBone(model, r.name, r.parent, r.matrix, r.grams);
      }
      break;
    case kSetBone:
      SetBone(model, r.index, undo ? r.oldParent : r.parent, undo ? r.oldMatrix : r.matrix,
              undo ? r.oldGrams : r.grams);
      break;
    case kAddVertexWeight:
    case kRemoveVertexWeight:
      if ((r.code == kAddVertexWeight) != undo) {
        AddVertexWeight(model, r.index, model.vertices.FindById(r.id));
      } else {
        RemoveVertexWeight(model, r.index, model.vertices.FindById(r.id));
      }
      break;
    case kSetKeyBoneMatrix:
      if (KeyBone* k = CurrentKeyBone(model, static_cast<std::int32_t>(r.index),
                                      static_cast<std::int32_t>(r.key),
                                      static_cast<std::int32_t>(r.keyBone))) {
        k->matrix = undo ? r.oldMatrix : r.matrix;
      }
      break;
    default:
      break;
  }
}

enum class Step { Record, GroupMarker, Stop };

// Takes back the record before the undo position; Stop leaves the position where it was.
Step UndoOne(Model& model) {
  UndoJournal& journal = model.journal;
  const std::uint64_t end = journal.position();
  if (end <= journal.oldest()) return Step::Stop;
  const std::int32_t code = journal.At(end - 1).AsInt();
  if (code == kGroupMarker) {
    journal.StepBack();
    return Step::GroupMarker;
  }
  std::uint64_t start = 0;
  Record record;
  if (!IsReplayable(code) || !journal.RecordStart(end, start) ||
      !Decode(journal, start, end, record)) {
    return Step::Stop;
  }
  while (journal.position() > start) journal.StepBack();
  Replay(model, record, true);
  return Step::Record;
}

// Replays the record at the undo position; Stop leaves the position where it was.
Step RedoOne(Model& model) {
  UndoJournal& journal = model.journal;
  const std::uint64_t start = journal.position();
  if (start >= journal.end()) return Step::Stop;
  const std::int32_t code = journal.At(start).AsInt();
  if (code == kGroupMarker) {
    journal.StepForward();
    return Step::GroupMarker;
  }
  if (!IsReplayable(code)) return Step::Stop;
  const std::uint64_t length = journal.RecordLength(start);
  Record record;
  if (length > journal.end() - start || !Decode(journal, start, start + length, record)) {
    return Step::Stop;
  }
  while (journal.position() < start + length) journal.StepForward();
  Replay(model, record, false);
  return Step::Record;
}

}  // namespace

// One Undo or Redo: a single record, or a whole group from marker to marker. A group whose
// far marker is missing (the walk met the end of the history or a word it cannot replay) ends
// there.
void Undo(Model& model) {
  if (UndoOne(model) != Step::GroupMarker) return;
  Step step = Step::Record;
  while ((step = UndoOne(model)) == Step::Record) {
  }
  // Stopped before the opening marker: the ring overwrote it, and the position now lies inside
  // the group, whose remaining records the next Redo replays up to its closing marker.
  if (step == Step::Stop) model.journal.SetInsideGroup(true);
}

void Redo(Model& model) {
  const bool insideGroup = model.journal.insideGroup();
  model.journal.SetInsideGroup(false);
  if (!insideGroup && RedoOne(model) != Step::GroupMarker) return;
  while (RedoOne(model) == Step::Record) {
  }
}

}  // namespace zmf

// The 3DS reader: a flat walk over the file's chunks, taking triangle meshes (each one asked for),
// their texture coordinates and face materials, and the material entries.
//
// Section index
//   entry points ........... Import3ds, Import3dsFrom
//   chunk walk ............. headers, containers, skipping
//   objects ................ name, the question, vertices, faces, face materials, coordinates
//   materials .............. entries, names, colour and percentage sub-chunks
//   finishing .............. a material table that every face can name
//
// The walk never leaves the file: a chunk that claims to run past the end ends at the end, every
// count is cut to what its chunk holds, and a chunk length below the six header bytes (which
// would move the walk backwards) ends the import. Face and coordinate lists only name vertices
// and faces of the current object's tables; anything beyond them is ignored.
#include "importers/import_3ds.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "format/file_text.h"
#include "model/byte_reader.h"
#include "model/progress.h"

namespace zmf::importers {
namespace {

enum ChunkId : std::uint16_t {
  kMain = 0x4D4D,
  kEditor = 0x3D3D,
  kObject = 0x4000,
  kTriangleMesh = 0x4100,
  kVertexList = 0x4110,
  kFaceList = 0x4120,
  kFaceMaterialGroup = 0x4130,
  kTextureCoordinates = 0x4140,
  kMaterialEntry = 0xAFFF,
  kMaterialName = 0xA000,
  kAmbient = 0xA010,
  kDiffuse = 0xA020,
  kSpecular = 0xA030,
  kShininess = 0xA040,
  kColourFloats = 0x0010,
  kColourBytes = 0x0011,
  kLinearColourBytes = 0x0012,
  kLinearColourFloats = 0x0013,
  kPercentageWord = 0x0030,
};

constexpr std::size_t kHeaderSize = 6;  // u16 identifier, u32 length (header included)
constexpr std::uint32_t kFallbackMaterial = 31;

class Reader3ds {
 public:
  // Tells the model's host, as `what`, how much of the file has been walked.
  Reader3ds(Model& model, std::string_view bytes, std::string what)
      : model_(model), file_(bytes), progress_(model.host(), std::move(what), bytes.size()) {}

  void Run() {
    while (!stopped_ && file_.Remaining() >= kHeaderSize) {
      progress_.Step(file_.Position());
      ByteReader data;
      const std::uint16_t id = Header(file_, data);
      if (stopped_) break;
      ReadChunk(id, data);
      file_.Skip(data.Position());
    }
    Finish();
    progress_.Finish();
  }

 private:
  // ---- chunk walk

  // The object's name in the question; a nameless one is named by its place.
  std::string ObjectName() const {
    return objectName_.view().empty() ? "mesh " + std::to_string(objects_) : objectName_.str();
  }

  // Reads the header at the position of `in` (at least six bytes must remain) and moves past it;
  // `data` reads the chunk's data, cut to the end of `in`. A length below the header's own size
  // stops the import.
  std::uint16_t Header(ByteReader& in, ByteReader& data) {
    const std::uint16_t id = in.U16();
    const std::uint32_t length = in.U32();
    if (length < kHeaderSize) {
      stopped_ = true;
      return id;
    }
    data = in.Sub(std::min<std::size_t>(length - kHeaderSize, in.Remaining()));
    return id;
  }

  // The walk goes on where the chunk's reader is left. Containers are entered by reading the
  // next header right after their own data; every other chunk ends where its length says.
  void ReadChunk(std::uint16_t id, ByteReader& data) {
    switch (id) {
      case kMain:
      case kEditor:
        return;
      case kObject:
        objectName_.Set(ReadName(data));
        return;
      case kTriangleMesh:
        ++objects_;
        load_ = loadQuestion_.Ask("Load the object: " + ObjectName() + "?", "Load Object");
        return;
      case kFaceList:
        ReadFaces(data);  // its material groups follow as chunks of their own
        return;
      case kMaterialEntry:
        StartMaterial();
        return;
      case kVertexList:
        ReadVertices(data);
        break;
      case kFaceMaterialGroup:
        ReadFaceMaterials(data);
        break;
      case kTextureCoordinates:
        ReadTextureCoordinates(data);
        break;
      case kMaterialName:
        material_->name.Set(ReadName(data));
        break;
      case kAmbient:
        ReadColour(material_->ambient, data);
        break;
      case kDiffuse:
        ReadColour(material_->diffuse, data);
        break;
      case kSpecular:
        ReadColour(material_->specular, data);
        break;
      case kShininess:
        ReadPercentage(material_->shininess, data);
        break;
      default:
        break;  // skipped with its sub-chunks
    }
    data.Seek(data.Size());
  }

  // A NUL-terminated name; the reader moves past its NUL (or to the chunk's end without one).
  static std::string_view ReadName(ByteReader& data) {
    const std::span<const std::uint8_t> rest = data.Rest();
    const std::size_t length = std::find(rest.begin(), rest.end(), 0) - rest.begin();
    data.Skip(std::min(length + 1, rest.size()));
    return {reinterpret_cast<const char*>(rest.data()), length};
  }

  // A u16 count, cut to the entries of `entrySize` bytes that the chunk holds; 0 when the chunk
  // ends before it.
  static std::size_t ReadCount(ByteReader& data, std::size_t entrySize) {
    const std::size_t count = data.U16();
    return std::min(count, data.Remaining() / entrySize);
  }

  // ---- objects

  void ReadVertices(ByteReader& data) {
    const std::size_t count = ReadCount(data, 12);
    if (!load_) return;
    vertexTable_.clear();
    vertexTableHasFaces_ = false;
    vertexTable_.reserve(count);
    model_.vertices.ReserveIds(count);
    for (std::size_t i = 0; i < count; ++i) {
      Vertex* vertex = model_.AppendVertex();
      if (vertex == nullptr) return;  // out of memory: keep what was read
      model_.SetVertex(vertex, {data.F32(), data.F32(), data.F32()}, {}, 0.0f, 0.0f);
      vertexTable_.push_back(vertex);
    }
  }

  // Faces on vertices of the current table, with material 0. A face naming a vertex beyond the
  // table is not made, but keeps its place in the face table, so material groups still find
  // the faces after it by their file positions.
  void ReadFaces(ByteReader& data) {
    const std::size_t listed = data.U16();
    if (data.Failed()) return;  // at the chunk's end
    const std::size_t count = std::min(listed, data.Remaining() / 8);
    ByteReader faces = data.Sub(count * 8);
    // The material groups start after the listed faces; a list longer than its chunk has none.
    data.Skip(count == listed ? count * 8 : data.Remaining());
    if (load_) {
      faceTable_.clear();
      faceTable_.reserve(count);
      model_.faces.ReserveIds(count);
      // Faces on a table no face used yet get their corner chains in one pass at the end.
      const bool linkAtEnd = !vertexTableHasFaces_;
      Face* before = model_.faces.tail();
      const std::size_t vertices = vertexTable_.size();
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t a = faces.U16(), b = faces.U16(), c = faces.U16();
        faces.Skip(2);  // flags
        Face* face = nullptr;
        if (a < vertices && b < vertices && c < vertices) face = model_.faces.Allocate();
        if (face != nullptr) {
          face->a = vertexTable_[a];
          face->b = vertexTable_[b];
          face->c = vertexTable_[c];
          if (!(linkAtEnd ? model_.AddFaceUnlinked(face, 0) : model_.AddFace(face, 0))) {
            model_.faces.Free(face);
            face = nullptr;
          }
        }
        faceTable_.push_back(face);
      }
      if (linkAtEnd) {
        model_.LinkCornersFrom(before != nullptr ? before->next : model_.faces.head());
      }
      vertexTableHasFaces_ = true;
    }
  }

  void ReadFaceMaterials(ByteReader& data) {
    const std::uint32_t material = FindMaterial(ReadName(data));
    const std::size_t count = ReadCount(data, 2);
    if (!load_) return;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t index = data.U16();
      if (index < faceTable_.size() && faceTable_[index] != nullptr) {
        SetMaterial(faceTable_[index], material);
      }
    }
  }

  // The first material so far whose name is the group's (names compared as stored, cut to 31
  // characters), or slot 31 when none is. Slots beyond the table hold nothing of this file.
  std::uint32_t FindMaterial(std::string_view name) const {
    const Name32 wanted(name);
    const std::uint32_t count = std::min<std::uint32_t>(model_.materialCount, kMaxMaterials);
    for (std::uint32_t m = 0; m < count; ++m) {
      if (model_.materials[m].name == wanted) return m;
    }
    return kFallbackMaterial;
  }

  // Slot 31 may lie beyond the table while the file is read (a later entry may still fill it),
  // so the face changes chains directly; Finish moves faces left beyond the table.
  void SetMaterial(Face* face, std::uint32_t material) {
    if (face->material == material) return;
    model_.faces.UnlinkFromChain(face);
    face->material = static_cast<std::uint8_t>(material);
    model_.faces.LinkToChain(face);
  }

  // Pairs for the vertices of the current table, in the order the vertex list gave them.
  void ReadTextureCoordinates(ByteReader& data) {
    const std::size_t count = std::min(ReadCount(data, 8), vertexTable_.size());
    if (!load_) return;
    for (std::size_t i = 0; i < count; ++i) {
      Vertex* vertex = vertexTable_[i];
      vertex->u = vertex->savedU = data.F32();
      vertex->v = vertex->savedV = data.F32();
    }
  }

  // ---- materials

  // The next slot of the table with the defaults; entries beyond the 32 slots are read into a
  // scratch material and dropped.
  void StartMaterial() {
    if (model_.materialCount < kMaxMaterials) {
      const std::uint32_t index = model_.materialCount++;
      model_.SetMaterialDefaults(index);
      model_.currentMaterial = index;
      material_ = &model_.materials[index];
    } else {
      scratch_ = Material{};
      material_ = &scratch_;
    }
  }

  // Colour sub-chunks up to the end of the colour chunk; the last one read wins.
  void ReadColour(Colour& colour, ByteReader& data) {
    while (!stopped_ && data.Remaining() >= kHeaderSize) {
      ByteReader sub;
      const std::uint16_t id = Header(data, sub);
      if (stopped_) return;
      if ((id == kColourFloats || id == kLinearColourFloats) && sub.Size() >= 12) {
        colour = {sub.F32(), sub.F32(), sub.F32(), 1.0f};
      } else if ((id == kColourBytes || id == kLinearColourBytes) && sub.Size() >= 3) {
        colour = {sub.U8() / 255.0f, sub.U8() / 255.0f, sub.U8() / 255.0f, 1.0f};
      }
      data.Skip(sub.Size());
    }
  }

  // Percentage sub-chunks: a whole percentage p gives p * 128 / 100, fraction dropped.
  void ReadPercentage(std::uint32_t& shininess, ByteReader& data) {
    while (!stopped_ && data.Remaining() >= kHeaderSize) {
      ByteReader sub;
      const std::uint16_t id = Header(data, sub);
      if (stopped_) return;
      if (id == kPercentageWord && sub.Size() >= 2) {
        shininess = static_cast<std::uint32_t>(sub.U16() * 128.0 / 100.0);
      }
      data.Skip(sub.Size());
    }
  }

  // ---- finishing

  // A file without material entries keeps the default material 0. Faces left on slot 31 while
  // the file has fewer materials join material 0, as drawing and saving would take them.
  void Finish() {
    if (model_.materialCount == 0) model_.materialCount = 1;
    for (std::uint32_t m = model_.materialCount; m < kMaxMaterials; ++m) {
      model_.MoveMaterialChain(0, m);
    }
    if (model_.currentMaterial >= model_.materialCount) model_.currentMaterial = 0;
  }

  Model& model_;
  ByteReader file_;
  bool stopped_ = false;  // a chunk length below six bytes ended the walk

  Name32 objectName_;
  std::size_t objects_ = 0;  // triangle meshes met so far
  EachQuestion loadQuestion_{model_.host()};
  bool load_ = false;                 // the user's answer for the latest triangle mesh
  std::vector<Vertex*> vertexTable_;  // the current object's vertices, in file order
  bool vertexTableHasFaces_ = false;  // a face list has used the table's vertices
  std::vector<Face*> faceTable_;      // its faces in file order; null for faces not made

  Material scratch_;                // material chunks outside a stored entry land here
  Material* material_ = &scratch_;  // the entry the material chunks fill

  ProgressMeter progress_;
};

}  // namespace

void Import3dsFrom(Model& model, std::string_view bytes) {
  Reader3ds(model, bytes, "Importing 3DS file...").Run();
}

bool Import3ds(Model& model, std::string_view path) {
  format::FileText file;
  if (!file.Read(path)) {
    model.host().ErrorBox("Could not open file:", path, Severity::Error);
    return false;
  }
  Reader3ds(model, file.view(), ProgressText("Importing", path)).Run();
  return true;
}

}  // namespace zmf::importers

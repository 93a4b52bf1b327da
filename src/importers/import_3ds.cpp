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
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "format/file_text.h"
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
      : model_(model),
        bytes_(reinterpret_cast<const unsigned char*>(bytes.data())),
        size_(bytes.size()),
        progress_(model.host(), std::move(what), bytes.size()) {}

  void Run() {
    while (!stopped_ && size_ - pos_ >= kHeaderSize) {
      progress_.Step(pos_);
      std::size_t end = 0;
      const std::uint16_t id = Header(size_, end);
      if (stopped_) break;
      ReadChunk(id, end);
    }
    Finish();
    progress_.Finish();
  }

 private:
  // ---- chunk walk

  std::uint16_t U16At(std::size_t at) const {
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  std::uint32_t U32At(std::size_t at) const {
    return static_cast<std::uint32_t>(bytes_[at]) |
           static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
  }
  float FloatAt(std::size_t at) const { return std::bit_cast<float>(U32At(at)); }

  // Reads the header at the position (at least six bytes must remain before `limit`) and moves
  // past it; `end` is where the chunk ends, cut to `limit`. A length below the header's own size
  // stops the import.
  std::uint16_t Header(std::size_t limit, std::size_t& end) {
    const std::uint16_t id = U16At(pos_);
    const std::uint32_t length = U32At(pos_ + 2);
    if (length < kHeaderSize) {
      stopped_ = true;
      return id;
    }
    end = pos_ + std::min<std::size_t>(length, limit - pos_);
    pos_ += kHeaderSize;
    return id;
  }

  // Containers are entered by reading the next header right after their own data; every other
  // chunk ends where its length says.
  void ReadChunk(std::uint16_t id, std::size_t end) {
    switch (id) {
      case kMain:
      case kEditor:
        return;
      case kObject:
        objectName_.Set(ReadName(end));
        return;
      case kTriangleMesh:
        load_ =
            model_.host().AskYesNo("Load the object: " + objectName_.str() + "?", "Load Object");
        return;
      case kFaceList:
        ReadFaces(end);  // its material groups follow as chunks of their own
        return;
      case kMaterialEntry:
        StartMaterial();
        return;
      case kVertexList:
        ReadVertices(end);
        break;
      case kFaceMaterialGroup:
        ReadFaceMaterials(end);
        break;
      case kTextureCoordinates:
        ReadTextureCoordinates(end);
        break;
      case kMaterialName:
        material_->name.Set(ReadName(end));
        break;
      case kAmbient:
        ReadColour(material_->ambient, end);
        break;
      case kDiffuse:
        ReadColour(material_->diffuse, end);
        break;
      case kSpecular:
        ReadColour(material_->specular, end);
        break;
      case kShininess:
        ReadPercentage(material_->shininess, end);
        break;
      default:
        break;  // skipped with its sub-chunks
    }
    pos_ = end;
  }

  // A NUL-terminated name; the position moves past its NUL (or to the chunk's end without one).
  std::string_view ReadName(std::size_t end) {
    const char* first = reinterpret_cast<const char*>(bytes_ + pos_);
    std::size_t length = 0;
    while (pos_ + length < end && first[length] != '\0') ++length;
    pos_ = std::min(pos_ + length + 1, end);
    return {first, length};
  }

  // A u16 count at the position, cut to the entries of `entrySize` bytes that the chunk holds.
  std::size_t ReadCount(std::size_t end, std::size_t entrySize) {
    if (end - pos_ < 2) return 0;
    const std::size_t count = U16At(pos_);
    pos_ += 2;
    return std::min(count, (end - pos_) / entrySize);
  }

  // ---- objects

  void ReadVertices(std::size_t end) {
    const std::size_t count = ReadCount(end, 12);
    if (!load_) return;
    vertexTable_.clear();
    vertexTableHasFaces_ = false;
    vertexTable_.reserve(count);
    model_.vertices.ReserveIds(count);
    for (std::size_t i = 0; i < count; ++i, pos_ += 12) {
      Vertex* vertex = model_.AppendVertex();
      if (vertex == nullptr) return;  // out of memory: keep what was read
      model_.SetVertex(vertex, {FloatAt(pos_), FloatAt(pos_ + 4), FloatAt(pos_ + 8)}, {}, 0.0f,
                       0.0f);
      vertexTable_.push_back(vertex);
    }
  }

  // Faces on vertices of the current table, with material 0. A face naming a vertex beyond the
  // table is not made, but keeps its place in the face table, so material groups still find
  // the faces after it by their file positions.
  void ReadFaces(std::size_t end) {
    if (end - pos_ < 2) {
      pos_ = end;
      return;
    }
    const std::size_t listed = U16At(pos_);
    pos_ += 2;
    const std::size_t count = std::min(listed, (end - pos_) / 8);
    // The material groups start after the listed faces; a list longer than its chunk has none.
    const std::size_t after = count == listed ? pos_ + count * 8 : end;
    if (load_) {
      faceTable_.clear();
      faceTable_.reserve(count);
      model_.faces.ReserveIds(count);
      // Faces on a table no face used yet get their corner chains in one pass at the end.
      const bool linkAtEnd = !vertexTableHasFaces_;
      Face* before = model_.faces.tail();
      const std::size_t vertices = vertexTable_.size();
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = pos_ + i * 8;
        const std::uint16_t a = U16At(at), b = U16At(at + 2), c = U16At(at + 4);
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
    pos_ = after;
  }

  void ReadFaceMaterials(std::size_t end) {
    const std::uint32_t material = FindMaterial(ReadName(end));
    const std::size_t count = ReadCount(end, 2);
    if (!load_) return;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t index = U16At(pos_ + i * 2);
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
  void ReadTextureCoordinates(std::size_t end) {
    const std::size_t count = std::min(ReadCount(end, 8), vertexTable_.size());
    if (!load_) return;
    for (std::size_t i = 0; i < count; ++i) {
      Vertex* vertex = vertexTable_[i];
      vertex->u = vertex->savedU = FloatAt(pos_ + i * 8);
      vertex->v = vertex->savedV = FloatAt(pos_ + i * 8 + 4);
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
  void ReadColour(Colour& colour, std::size_t end) {
    while (!stopped_ && end - pos_ >= kHeaderSize) {
      std::size_t subEnd = 0;
      const std::uint16_t id = Header(end, subEnd);
      if (stopped_) return;
      const std::size_t data = subEnd - pos_;
      if ((id == kColourFloats || id == kLinearColourFloats) && data >= 12) {
        colour = {FloatAt(pos_), FloatAt(pos_ + 4), FloatAt(pos_ + 8), 1.0f};
      } else if ((id == kColourBytes || id == kLinearColourBytes) && data >= 3) {
        colour = {bytes_[pos_] / 255.0f, bytes_[pos_ + 1] / 255.0f, bytes_[pos_ + 2] / 255.0f,
                  1.0f};
      }
      pos_ = subEnd;
    }
  }

  // Percentage sub-chunks: a whole percentage p gives p * 128 / 100, fraction dropped.
  void ReadPercentage(std::uint32_t& shininess, std::size_t end) {
    while (!stopped_ && end - pos_ >= kHeaderSize) {
      std::size_t subEnd = 0;
      const std::uint16_t id = Header(end, subEnd);
      if (stopped_) return;
      if (id == kPercentageWord && subEnd - pos_ >= 2) {
        shininess = static_cast<std::uint32_t>(U16At(pos_) * 128.0 / 100.0);
      }
      pos_ = subEnd;
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
  const unsigned char* bytes_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool stopped_ = false;  // a chunk length below six bytes ended the walk

  Name32 objectName_;
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
  if (!file.Read(path)) return false;
  Reader3ds(model, file.view(), ProgressText("Importing", path)).Run();
  return true;
}

}  // namespace zmf::importers

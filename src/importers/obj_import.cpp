// The OBJ reader: tinyobjloader parses the text and the material libraries; this file checks
// every index it hands back, fans the polygons and builds the vertices, faces and materials.
//
// Section index
//   names and streams ...... names that stay in the folder, bytes as a stream
//   libraries .............. the MaterialReader that reads MTL files from the folder
//   building ............... materials, corners, vertices, faces, normals
//   entry points ........... ImportObj, ImportObjText
#include "importers/obj_import.h"

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "edit/normals.h"
#include "format/file_text.h"
#include "material/material_table.h"
#include "model/flat_hash_map.h"
#include "model/paths.h"

namespace zmf::importers {
namespace {

// ---- names and streams

// Whether a file name from the file stays in the file's folder: not absolute (nor a drive
// path) and without a ".." part.
bool StaysInFolder(std::string_view name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// The name inside the folder ("" for the current one), with '/' separators.
std::string InFolder(std::string_view folder, std::string_view name) {
  std::string path = folder.empty() ? std::string() : std::string(folder) + "/";
  for (char c : name) path += c == '\\' ? '/' : c;
  return path;
}

// Bytes in memory read as a stream, without a copy.
class ByteStream : private std::streambuf, public std::istream {
 public:
  explicit ByteStream(std::string_view bytes) : std::istream(this) {
    char* begin = const_cast<char*>(bytes.data());
    setg(begin, begin, begin + bytes.size());
  }
};

// A NaN or infinite number from the file reads as 0.
float Finite(float value) { return std::isfinite(value) ? value : 0.0f; }

// ---- libraries

// Reads the libraries that "mtllib" names: from files in the folder, or all as one given text.
class LibraryReader final : public tinyobj::MaterialReader {
 public:
  LibraryReader(Host& host, std::string folder, std::optional<std::string_view> text)
      : host_(host), folder_(std::move(folder)), text_(text) {}

  bool operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                  std::map<std::string, int>* names, std::string* warnings,
                  std::string* errors) override {
    std::string bytes;
    if (text_) {
      bytes = *text_;
    } else if (!StaysInFolder(name)) {
      host_.ErrorBox("A material library outside the model's folder is not read:", name,
                     Severity::Error);
      return false;
    } else if (!format::ReadWholeFile(InFolder(folder_, name), bytes)) {
      return false;  // the loader warns that the library could not be read
    }
    ByteStream in(bytes);
    tinyobj::LoadMtl(names, materials, &in, warnings, errors);
    return true;
  }

 private:
  Host& host_;
  std::string folder_;
  std::optional<std::string_view> text_;
};

// ---- building

// A corner as the file gives it: indices of position, normal and coordinates (-1 for none).
struct Corner {
  std::int32_t position = -1;
  std::int32_t normal = -1;
  std::int32_t coords = -1;
  friend bool operator==(const Corner&, const Corner&) = default;
};

struct CornerHasher {
  static std::uint64_t Hash(const Corner& c) {
    return HashWords(static_cast<std::uint32_t>(c.position), static_cast<std::uint32_t>(c.normal),
                     static_cast<std::uint32_t>(c.coords));
  }
  static Corner Empty() { return {}; }
  static bool IsEmpty(const Corner& c) { return c.position < 0; }
};

class ObjBuilder {
 public:
  ObjBuilder(Model& model, const tinyobj::attrib_t& attrib,
             const std::vector<tinyobj::shape_t>& shapes,
             const std::vector<tinyobj::material_t>& materials, std::string folder)
      : model_(model),
        attrib_(attrib),
        shapes_(shapes),
        materials_(materials),
        folder_(std::move(folder)),
        positions_(attrib.vertices.size() / 3),
        normals_(attrib.normals.size() / 3),
        coords_(attrib.texcoords.size() / 2),
        cornerIndex_(positions_) {
    corners_.reserve(positions_);
    std::size_t indices = 0;
    for (const tinyobj::shape_t& shape : shapes_) indices += shape.mesh.indices.size();
    triangles_.reserve(indices / 3);
    slots_.reserve(indices / 3);
  }

  // False when a polygon's corner count did not fit the loader's count (more than 255 corners).
  bool Run(std::string& warnings) {
    for (const tinyobj::shape_t& shape : shapes_) {
      if (!CountsAgree(shape.mesh)) return false;
    }
    MakeMaterials(warnings);
    for (const tinyobj::shape_t& shape : shapes_) ReadPolygons(shape.mesh);
    if (dropped_ > 0) {
      warnings += std::to_string(dropped_) +
                  " polygons name vertices that the file does not have and were left out.\n";
    }
    MakeVertices();
    MakeFaces();
    ComputeMissingNormals();
    return true;
  }

 private:
  static bool CountsAgree(const tinyobj::mesh_t& mesh) {
    std::size_t corners = 0;
    for (unsigned char count : mesh.num_face_vertices) corners += count;
    return corners == mesh.indices.size() &&
           mesh.material_ids.size() == mesh.num_face_vertices.size();
  }

  // ---- materials

  // The file's materials take the slots in order; faces without one (or naming none the
  // libraries have) get a default material after them.
  void MakeMaterials(std::string& warnings) {
    bool needsDefault = materials_.empty();
    for (const tinyobj::shape_t& shape : shapes_) {
      for (int id : shape.mesh.material_ids) needsDefault |= !HasMaterial(id);
    }
    const std::size_t wanted = materials_.size() + (needsDefault ? 1 : 0);
    if (wanted > kMaxMaterials) {
      warnings += "The file has more materials than the " + std::to_string(kMaxMaterials) +
                  " of a model; the faces of the others take the last one.\n";
    }
    model_.materialCount = static_cast<std::uint32_t>(std::min<std::size_t>(wanted, kMaxMaterials));
    defaultSlot_ =
        static_cast<std::uint32_t>(std::min<std::size_t>(materials_.size(), kMaxMaterials - 1));
    for (std::uint32_t slot = 0; slot < model_.materialCount; ++slot) {
      model_.SetMaterialDefaults(slot);
      if (slot < materials_.size()) ReadMaterial(slot, materials_[slot]);
    }
  }

  bool HasMaterial(int id) const {
    return id >= 0 && static_cast<std::size_t>(id) < materials_.size();
  }

  std::uint32_t SlotOf(int id) const {
    if (!HasMaterial(id)) return defaultSlot_;
    return std::min<std::uint32_t>(static_cast<std::uint32_t>(id), kMaxMaterials - 1);
  }

  // Shininess 0 to 1000 in the file, 0 to 128 here.
  static std::uint32_t Shininess(float ns) {
    const float value = Finite(ns) * (128.0f / 1000.0f);
    if (!(value > 0.0f)) return 0;
    return value >= 128.0f ? 128 : static_cast<std::uint32_t>(std::lround(value));
  }

  void ReadMaterial(std::uint32_t slot, const tinyobj::material_t& from) {
    Material& to = model_.materials[slot];
    to.name.Set(from.name);
    const auto colour = [](const float* rgb, float alpha) {
      return Colour{Finite(rgb[0]), Finite(rgb[1]), Finite(rgb[2]), alpha};
    };
    to.ambient = colour(from.ambient, 1.0f);
    to.diffuse = colour(from.diffuse, Finite(from.dissolve));
    to.specular = colour(from.specular, 1.0f);
    to.shininess = Shininess(from.shininess);
    const std::string& texture = from.diffuse_texname;
    if (texture.empty()) return;
    if (!StaysInFolder(texture)) {
      model_.host().ErrorBox("A texture outside the model's folder is not loaded:", texture,
                             Severity::Error);
      return;
    }
    material::SetMaterialTexture(model_, slot, true, InFolder(folder_, texture), 0, 0.0f);
  }

  // ---- corners and polygons

  // The corner with every index checked: a normal or coordinates the file lacks count as none.
  // False when the position is missing.
  bool CheckCorner(const tinyobj::index_t& index, Corner& corner) const {
    if (index.vertex_index < 0 || static_cast<std::size_t>(index.vertex_index) >= positions_) {
      return false;
    }
    corner.position = index.vertex_index;
    const auto within = [](int i, std::size_t count) {
      return i >= 0 && static_cast<std::size_t>(i) < count ? i : -1;
    };
    corner.normal = within(index.normal_index, normals_);
    corner.coords = within(index.texcoord_index, coords_);
    return true;
  }

  // Each polygon as a fan from its first corner: (0, k, k + 1).
  void ReadPolygons(const tinyobj::mesh_t& mesh) {
    std::size_t next = 0;
    std::vector<std::uint32_t> polygon;
    for (std::size_t p = 0; p < mesh.num_face_vertices.size(); ++p) {
      const std::size_t count = mesh.num_face_vertices[p];
      const std::size_t first = next;
      next += count;
      polygon.clear();
      for (std::size_t k = first; k < next; ++k) {
        Corner corner;
        if (!CheckCorner(mesh.indices[k], corner)) break;
        polygon.push_back(CornerIndex(corner));
      }
      if (polygon.size() != count) {
        ++dropped_;
        continue;
      }
      const std::uint8_t slot = static_cast<std::uint8_t>(SlotOf(mesh.material_ids[p]));
      for (std::size_t k = 1; k + 1 < count; ++k) {
        triangles_.push_back({polygon[0], polygon[k], polygon[k + 1]});
        slots_.push_back(slot);
      }
    }
  }

  std::uint32_t CornerIndex(const Corner& corner) {
    const auto [index, isNew] =
        cornerIndex_.Insert(corner, static_cast<std::uint32_t>(corners_.size()));
    if (isNew) corners_.push_back(corner);
    return *index;
  }

  // ---- vertices and faces

  // By position index, and for one position in the order the faces first used its corners; a
  // position no face uses is a vertex with no normal and no coordinates.
  void MakeVertices() {
    std::vector<std::uint32_t> start(positions_ + 1, 0);
    for (const Corner& c : corners_) ++start[static_cast<std::size_t>(c.position) + 1];
    for (std::size_t p = 0; p < positions_; ++p) start[p + 1] += start[p];
    std::vector<std::uint32_t> byPosition(corners_.size());
    {
      std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
      for (std::uint32_t i = 0; i < corners_.size(); ++i) {
        byPosition[fill[static_cast<std::size_t>(corners_[i].position)]++] = i;
      }
    }
    vertexOf_.assign(corners_.size(), nullptr);
    model_.vertices.ReserveIds(corners_.size());
    const std::vector<float>& xyz = attrib_.vertices;
    for (std::size_t p = 0; p < positions_; ++p) {
      const Vector3 position{Finite(xyz[3 * p]), Finite(xyz[3 * p + 1]), Finite(xyz[3 * p + 2])};
      if (start[p] == start[p + 1]) {
        if (Vertex* v = model_.AppendVertex()) model_.SetVertex(v, position, {}, 0.0f, 0.0f);
        continue;
      }
      for (std::uint32_t i = start[p]; i < start[p + 1]; ++i) {
        const Corner& c = corners_[byPosition[i]];
        Vertex* v = model_.AppendVertex();
        if (v == nullptr) return;  // out of memory: keep what was made
        Vector3 normal;
        if (c.normal >= 0) {
          const float* n = &attrib_.normals[3 * static_cast<std::size_t>(c.normal)];
          normal = {Finite(n[0]), Finite(n[1]), Finite(n[2])};
        }
        float u = 0.0f, t = 0.0f;
        if (c.coords >= 0) {
          const float* uv = &attrib_.texcoords[2 * static_cast<std::size_t>(c.coords)];
          u = Finite(uv[0]);
          t = 1.0f - Finite(uv[1]);
        }
        model_.SetVertex(v, position, normal, u, t);
        vertexOf_[byPosition[i]] = v;
      }
    }
  }

  void MakeFaces() {
    model_.faces.ReserveIds(triangles_.size());
    Face* before = model_.faces.tail();
    for (std::size_t i = 0; i < triangles_.size(); ++i) {
      const auto& t = triangles_[i];
      Vertex* a = vertexOf_[t[0]];
      Vertex* b = vertexOf_[t[1]];
      Vertex* c = vertexOf_[t[2]];
      if (a == nullptr || b == nullptr || c == nullptr) continue;
      Face* face = model_.faces.Allocate();
      if (face == nullptr) break;
      face->a = a;
      face->b = b;
      face->c = c;
      if (!model_.AddFaceUnlinked(face, slots_[i])) model_.faces.Free(face);
    }
    Face* first = before != nullptr ? before->next : model_.faces.head();
    if (first != nullptr) model_.LinkCornersFrom(first);
  }

  // The normals command's connected calculation for the vertices the file gave no normal; the
  // import is no step to undo, so the journal is emptied again.
  void ComputeMissingNormals() {
    bool any = false;
    for (std::size_t i = 0; i < corners_.size(); ++i) {
      if (corners_[i].normal < 0 && vertexOf_[i] != nullptr) {
        model_.vertices.Select(vertexOf_[i]);
        any = true;
      }
    }
    if (!any) return;
    edit::CalculateNormals(model_, true, false);
    model_.vertices.ClearSelection();
    model_.journal.Reset();
  }

  Model& model_;
  const tinyobj::attrib_t& attrib_;
  const std::vector<tinyobj::shape_t>& shapes_;
  const std::vector<tinyobj::material_t>& materials_;
  std::string folder_;
  std::size_t positions_, normals_, coords_;

  std::uint32_t defaultSlot_ = 0;
  std::size_t dropped_ = 0;  // polygons left out for a missing position
  FlatHashMap<Corner, std::uint32_t, CornerHasher> cornerIndex_;
  std::vector<Corner> corners_;  // distinct corners in the order faces first used them
  std::vector<std::array<std::uint32_t, 3>> triangles_;  // corner indices
  std::vector<std::uint8_t> slots_;                      // each triangle's material
  std::vector<Vertex*> vertexOf_;                        // by corner index
};

// The first non-blank lines of the loader's messages, joined for a box, with " ..." when more
// follow.
std::string FirstLines(std::string_view text, int lines) {
  std::string shown;
  int taken = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.find_first_not_of(" \t\r.") == std::string_view::npos) continue;
    if (taken == lines) return shown + " ...";
    if (taken++ > 0) shown += ' ';
    shown += line;
  }
  return shown;
}

bool Import(Model& model, std::string_view objText, std::string_view path, std::string folder,
            std::optional<std::string_view> materialText) {
  tinyobj::attrib_t attrib;
  std::vector<tinyobj::shape_t> shapes;
  std::vector<tinyobj::material_t> materials;
  std::string warnings, errors;
  LibraryReader libraries(model.host(), folder, materialText);
  ByteStream in(objText);
  // Polygons are fanned here, not by the loader, which splits quads on their shorter diagonal
  // and clips larger polygons by ears.
  const bool parsed = tinyobj::LoadObj(&attrib, &shapes, &materials, &warnings, &errors, &in,
                                       &libraries, /*triangulate=*/false,
                                       /*default_vcols_fallback=*/false);
  if (!parsed) {
    model.host().ErrorBox(
        "Damaged OBJ file:",
        std::string(path) + (errors.empty() ? std::string() : ": " + FirstLines(errors, 1)),
        Severity::Error);
    return false;
  }
  warnings += errors;
  ObjBuilder builder(model, attrib, shapes, materials, std::move(folder));
  if (!builder.Run(warnings)) {
    model.host().ErrorBox("Polygons of more than 255 corners cannot be read:", path,
                          Severity::Error);
    return false;
  }
  if (!warnings.empty()) {
    model.host().ErrorBox("The OBJ file was read with warnings:", FirstLines(warnings, 5),
                          Severity::Warning);
  }
  return true;
}

}  // namespace

bool ImportObj(Model& model, std::string_view path) {
  format::FileText file;
  if (!file.Read(path)) {
    model.host().ErrorBox("Could not open file:", path, Severity::Error);
    return false;
  }
  std::string folder, name;
  SplitDirectory(path, folder, name);
  if (folder.empty() && !path.empty() && (path[0] == '/' || path[0] == '\\')) folder = "/";
  return Import(model, file.view(), path, folder, std::nullopt);
}

bool ImportObjText(Model& model, std::string_view objText, std::string_view materialText,
                   std::string_view folder) {
  return Import(model, objText, "OBJ text", std::string(folder), materialText);
}

}  // namespace zmf::importers

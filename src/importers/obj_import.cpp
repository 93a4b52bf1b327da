// The OBJ reader: tinyobjloader parses the text, line by line through its callbacks, and the
// material libraries; this file checks every index it hands back, fans the polygons and builds
// the vertices, faces and materials. Lines other than v, vt, vn, f, usemtl, mtllib, g and o
// (polylines, points, weights) are not read.
//
// Section index
//   names and streams ...... names that stay in the folder, bytes as a stream
//   libraries .............. the MaterialReader that reads MTL files from the folder
//   reading ................ ObjText: the callbacks' numbers and polygons in flat tables
//   building ............... materials, corners, vertices, faces, normals
//   entry points ........... ImportObj, ImportObjText
#include "importers/obj_import.h"

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
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
#include "model/pool.h"

namespace zmf::importers {
namespace {

// ---- names and streams

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
  // How far the reader has come.
  std::size_t Offset() const { return static_cast<std::size_t>(gptr() - eback()); }
  // The reader finds the end next.
  void Stop() { setg(eback(), egptr(), egptr()); }
};

// The vector made `count` copies of the value, on huge pages.
template <class T>
void Fill(std::vector<T>& vector, std::size_t count, const T& value) {
  ReserveOnHugePages(vector, count);
  vector.assign(count, value);
}

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
    materials_ = *materials;
    names_ = *names;
    return true;
  }

  // The materials of the libraries read so far, in their order.
  const std::vector<tinyobj::material_t>& materials() const { return materials_; }
  // The index of the material of that name, -1 for none.
  int MaterialNamed(std::string_view name) const {
    const auto found = names_.find(std::string(name));
    return found == names_.end() ? -1 : found->second;
  }

 private:
  Host& host_;
  std::string folder_;
  std::optional<std::string_view> text_;
  std::vector<tinyobj::material_t> materials_;
  std::map<std::string, int> names_;
};

// ---- reading

// A corner as the file gives it, made zero-based as the loader makes it (a negative index counts
// back from the numbers read so far); -1 for a part the corner lacks. Checked against the file's
// counts only when built, since a face may name numbers that come later in the file.
struct Corner {
  std::int32_t position = -1;
  std::int32_t normal = -1;
  std::int32_t coords = -1;
  friend bool operator==(const Corner&, const Corner&) = default;
};

// What the loader's callbacks hand over, kept in flat tables: the numbers, and each polygon's
// corners and material. The messages are worded as the loader's table reader words them, with
// its line numbers. In a file with lines the callbacks pass over but that reader did read
// (polylines, points, "usemtl" run into its name, faces without corners), each callback first
// reads the lines passed over since the last one.
class ObjText final : public tinyobj::MaterialReader {
 public:
  ObjText(std::string_view text, LibraryReader& libraries, std::string& warnings,
          std::string& errors)
      : text_(text), stream_(text), libraries_(libraries), warnings_(warnings), errors_(errors) {}

  // False when a face line names a zero index (the reason in the errors).
  bool Read() {
    Reserve();
    tinyobj::callback_t calls;
    calls.vertex_cb = [](void* self, float x, float y, float z, float) {
      if (ObjText* text = After(self)) Append(text->xyz, {x, y, z});
    };
    calls.normal_cb = [](void* self, float x, float y, float z) {
      if (ObjText* text = After(self)) Append(text->normals, {x, y, z});
    };
    calls.texcoord_cb = [](void* self, float u, float v, float) {
      if (ObjText* text = After(self)) Append(text->uvs, {u, v});
    };
    calls.index_cb = [](void* self, tinyobj::index_t* indices, int count) {
      if (ObjText* text = After(self)) text->AddPolygon(indices, static_cast<std::size_t>(count));
    };
    calls.usemtl_cb = [](void* self, const char* name, int) {
      if (ObjText* text = After(self)) text->UseMaterial(name);
    };
    calls.group_cb = [](void* self, const char**, int names) {
      if (ObjText* text = After(self)) text->StartGroup(names);
    };
    calls.object_cb = [](void* self, const char*) {
      if (ObjText* text = After(self)) text->EndFaceGroup();
    };
    tinyobj::LoadObjWithCallback(stream_, calls, this, this, &warnings_, &errors_);
    if (failed_ || (irregular_ && !CatchUp(text_.size()))) return false;
    const auto beyond = [&](std::int32_t greatest, std::size_t count, const char* what) {
      if (greatest >= 0 && static_cast<std::size_t>(greatest) >= count) {
        warnings_ += std::string(what) + " indices out of bounds (line " +
                     std::to_string(LineNumber(text_.size())) + ".)\n\n";
      }
    };
    beyond(greatest_.position, xyz.size() / 3, "Vertex");
    beyond(greatest_.normal, normals.size() / 3, "Vertex normal");
    beyond(greatest_.coords, uvs.size() / 2, "Vertex texcoord");
    EndFaceGroup();
    return true;
  }

  std::vector<float> xyz, normals, uvs;
  std::vector<Corner> corners;          // of the polygons kept, in file order
  std::vector<std::uint8_t> sizes;      // each polygon's corner count
  std::vector<std::int32_t> materials;  // each polygon's material, -1 for none
  bool tooLarge = false;                // a polygon had more than 255 corners

  // The libraries that "mtllib" names, once the lines before it are read.
  bool operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                  std::map<std::string, int>* names, std::string* warnings,
                  std::string* errors) override {
    return After(this) != nullptr && libraries_(name, materials, names, warnings, errors);
  }

 private:
  // The reader, once it has read the lines passed over before the current one; null when one
  // of them was damage.
  static ObjText* After(void* self) {
    auto* text = static_cast<ObjText*>(self);
    if (!text->irregular_) return text;
    const std::string_view line = text->CurrentLine();
    const bool read = text->CatchUp(static_cast<std::size_t>(line.data() - text->text_.data()));
    text->done_ = text->stream_.Offset();
    return read ? text : nullptr;
  }

  // Reads the lines from done_ up to `end` (a line's start), as the table reader reads them.
  bool CatchUp(std::size_t end) {
    while (done_ < end) {
      const std::size_t stop = std::min(text_.find_first_of("\r\n", done_), end);
      const std::string line(text_.substr(done_, stop - done_));
      // A last line without an end stops at the end of the text.
      const bool ended = stop < text_.size() && (text_[stop] == '\n' || text_[stop] == '\r');
      done_ = ended ? stop + (text_.substr(stop, 2) == "\r\n" ? 2 : 1) : stop;
      if (!PassedLine(line.c_str())) {
        failed_ = true;
        stream_.Stop();
        return false;
      }
    }
    return true;
  }

  // A line the callbacks passed over: polylines and points whose corners name a 0 are damage,
  // "usemtl" runs into its name, a face without corners is a degenerate one. False for damage.
  bool PassedLine(const char* token) {
    token += std::strspn(token, " \t");
    const char kind = token[0];
    if ((kind == 'l' || kind == 'p') && (token[1] == ' ' || token[1] == '\t')) {
      if (CornersNameNumbers(token + 2)) return true;
      errors_ += std::string("Failed parse `") + kind +
                 "' line(e.g. zero value for vertex index. line " +
                 std::to_string(LineNumber(done_)) + ".)\n";
      return false;
    }
    if (kind == 'f' && (token[1] == ' ' || token[1] == '\t')) ++degenerate_;
    if (std::strncmp(token, "usemtl", 6) == 0) UseMaterial(token + 6);
    return true;
  }

  // Whether every part of the corners from `token` on is a number other than 0, as the table
  // reader demands of faces, polylines and points (a part after '/' that is no number reads
  // as 0).
  static bool CornersNameNumbers(const char* token) {
    const auto part = [&token] {
      const bool number = std::atoi(token) != 0;
      token += std::strcspn(token, "/ \t\r");
      return number;
    };
    while (*token != '\0' && *token != '\r' && *token != '\n') {
      if (!part()) return false;
      if (*token == '/') {
        const bool normalOnly = *++token == '/';
        token += normalOnly ? 1 : 0;
        if (!part()) return false;
        if (!normalOnly && *token == '/') {
          ++token;
          if (!part()) return false;
        }
      }
      token += std::strspn(token, " \t\r");
    }
    return true;
  }

  // Room for what the lines hold, from a quick look at their first letters (the loader decides
  // what each line is; this only spares the tables most of their growing): four corners a face,
  // within what the face lines' bytes can hold. Notes lines the callbacks would pass over.
  void Reserve() {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t v = 0, vn = 0, vt = 0, faces = 0, faceBytes = 0;
    for (std::size_t at = 0; at < text_.size();) {
      const std::size_t end = std::min(text_.find('\n', at), text_.size());
      std::string_view line = text_.substr(at, end - at);
      at = end + 1;
      line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
      if (line.size() < 2) continue;
      const bool word = isBlank(line[1]);
      const std::size_t corner = line[0] == 'f' && word ? line.find_first_not_of(" \t\r", 2) : 0;
      irregular_ |= ((line[0] == 'l' || line[0] == 'p') && word) ||
                    (line.starts_with("usemtl") && !(line.size() > 6 && isBlank(line[6]))) ||
                    corner == std::string_view::npos || line[corner] == '\0';
      faces += line[0] == 'f';
      faceBytes += line[0] == 'f' ? line.size() : 0;
      v += line[0] == 'v' && word;
      vn += line[0] == 'v' && line[1] == 'n';
      vt += line[0] == 'v' && line[1] == 't';
    }
    // A lone "\r" ends a line the look above did not see.
    for (std::size_t r = text_.find('\r'); r != std::string_view::npos;
         r = text_.find('\r', r + 1)) {
      irregular_ |= r + 1 == text_.size() || text_[r + 1] != '\n';
    }
    ReserveOnHugePages(xyz, 3 * v);
    ReserveOnHugePages(normals, 3 * vn);
    ReserveOnHugePages(uvs, 2 * vt);
    ReserveOnHugePages(corners, std::min(4 * faces, faceBytes / 2));
    ReserveOnHugePages(sizes, faces);
    ReserveOnHugePages(materials, faces);
  }

  // Appends, growing the table on huge pages when the reservation was short.
  template <class T>
  static void Append(std::vector<T>& to, std::initializer_list<T> values) {
    if (to.capacity() - to.size() < values.size()) {
      ReserveOnHugePages(to, std::max(2 * to.capacity(), to.size() + values.size()));
    }
    to.insert(to.end(), values);
  }

  // Zero-based as the loader's table reader makes it; -1 for none (an index 0).
  static std::int32_t Fixed(int index, std::size_t read) {
    if (index > 0) return index - 1;
    if (index == 0) return -1;
    const std::int64_t fixed = static_cast<std::int64_t>(read) + index;
    return fixed >= 0 && fixed <= INT32_MAX ? static_cast<std::int32_t>(fixed) : -1;
  }

  void AddPolygon(const tinyobj::index_t* indices, std::size_t count) {
    bool zero = false, unsure = false;
    const std::size_t first = corners.size();
    for (std::size_t k = 0; k < count; ++k) {
      const tinyobj::index_t& index = indices[k];
      zero |= index.vertex_index == 0;
      unsure |= index.texcoord_index == 0 || index.normal_index == 0;
      const Corner corner{Fixed(index.vertex_index, xyz.size() / 3),
                          Fixed(index.normal_index, normals.size() / 3),
                          Fixed(index.texcoord_index, uvs.size() / 2)};
      greatest_.position = std::max(greatest_.position, corner.position);
      greatest_.normal = std::max(greatest_.normal, corner.normal);
      greatest_.coords = std::max(greatest_.coords, corner.coords);
      Append(corners, {corner});
    }
    if (zero || (unsure && NamesZero())) {
      errors_ += "Failed parse `f' line(e.g. zero value for face index. line " +
                 std::to_string(LineNumber(stream_.Offset())) + ".)\n";
      failed_ = true;
      stream_.Stop();
    }
    if (failed_ || count < 3 || count > 255) {
      corners.resize(first);
      degenerate_ += count < 3 ? 1 : 0;
      tooLarge |= count > 255;
      return;
    }
    Append(sizes, {static_cast<std::uint8_t>(count)});
    Append(materials, {material_});
  }

  // The callbacks give a part after a '/' that is no number or 0, which the table reader
  // refuses, as 0 like a part that is not there: the face line tells them apart.
  bool NamesZero() const {
    const std::string line(CurrentLine());
    const char* token = line.c_str() + std::strspn(line.c_str(), " \t") + 2;  // past "f "
    return !CornersNameNumbers(token + std::strspn(token, " \t"));
  }

  void UseMaterial(std::string_view rest) {
    rest.remove_prefix(std::min(rest.find_first_not_of(" \t"), rest.size()));
    const std::string_view name = rest.substr(0, rest.find_first_of(" \t\r"));
    const int material = libraries_.MaterialNamed(name);
    if (material < 0) warnings_ += "material [ '" + std::string(name) + "' ] not found in .mtl\n";
    if (material != material_) EndFaceGroup();
    material_ = material;
  }

  void StartGroup(int names) {
    EndFaceGroup();
    if (names == 0)
      warnings_ += "Empty group name. line: " + std::to_string(LineNumber(stream_.Offset())) + "\n";
  }

  // Where the table reader closes a group of faces, it warns of the ones with fewer than three
  // corners.
  void EndFaceGroup() {
    for (; degenerate_ > 0; --degenerate_) warnings_ += "Degenerated face found\n.";
  }

  // The line the loader has just read.
  std::string_view CurrentLine() const {
    std::size_t end = stream_.Offset();
    if (end > 0 && text_[end - 1] == '\n') --end;
    if (end > 0 && text_[end - 1] == '\r') --end;
    const std::size_t before = text_.substr(0, end).find_last_of("\r\n");
    const std::size_t start = before == std::string_view::npos ? 0 : before + 1;
    return text_.substr(start, end - start);
  }

  // The number of the line that ends before `end`, counted as the loader counts: "\n", "\r\n"
  // and a lone "\r" each end a line.
  std::size_t LineNumber(std::size_t end) {
    end = std::min(end, text_.size());
    for (; counted_ < end; ++counted_) {
      const char c = text_[counted_];
      lines_ +=
          c == '\n' || (c == '\r' && (counted_ + 1 == text_.size() || text_[counted_ + 1] != '\n'));
    }
    const bool open = end > 0 && text_[end - 1] != '\n' && text_[end - 1] != '\r';
    return lines_ + (open ? 1 : 0);
  }

  std::string_view text_;
  ByteStream stream_;
  LibraryReader& libraries_;
  std::string& warnings_;
  std::string& errors_;
  std::int32_t material_ = -1;
  Corner greatest_;
  std::size_t degenerate_ = 0;  // polygons of fewer than three corners not yet warned of
  bool failed_ = false;
  bool irregular_ = false;               // lines the callbacks pass over need reading
  std::size_t done_ = 0;                 // lines before text_[done_] are read
  std::size_t counted_ = 0, lines_ = 0;  // lines ended before text_[counted_]
};

// ---- building

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
  ObjBuilder(Model& model, const ObjText& file, const std::vector<tinyobj::material_t>& materials,
             std::string folder)
      : model_(model),
        file_(file),
        materials_(materials),
        folder_(std::move(folder)),
        positions_(file.xyz.size() / 3),
        normals_(file.normals.size() / 3),
        coords_(file.uvs.size() / 2) {
    Fill(firstCorner_, positions_, kNoCorner);
    ReserveOnHugePages(corners_, positions_);
    std::size_t triangles = 0;
    for (std::uint8_t count : file.sizes) triangles += count - 2u;
    ReserveOnHugePages(triangles_, triangles);
    ReserveOnHugePages(slots_, triangles);
  }

  void Run(std::string& warnings) {
    MakeMaterials(warnings);
    ReadPolygons();
    if (dropped_ > 0) {
      warnings += std::to_string(dropped_) +
                  " polygons name vertices that the file does not have and were left out.\n";
    }
    MakeVertices();
    MakeFaces();
    ComputeMissingNormals();
  }

 private:
  static constexpr std::uint32_t kNoCorner = UINT32_MAX;

  // ---- materials

  // The file's materials take the slots in order; faces without one (or naming none the
  // libraries have) get a default material after them.
  void MakeMaterials(std::string& warnings) {
    bool needsDefault = materials_.empty();
    for (int id : file_.materials) needsDefault |= !HasMaterial(id);
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
  bool CheckCorner(const Corner& from, Corner& corner) const {
    if (from.position < 0 || static_cast<std::size_t>(from.position) >= positions_) return false;
    const auto within = [](std::int32_t i, std::size_t count) {
      return i >= 0 && static_cast<std::size_t>(i) < count ? i : -1;
    };
    corner = {from.position, within(from.normal, normals_), within(from.coords, coords_)};
    return true;
  }

  // Each polygon as a fan from its first corner: (0, k, k + 1).
  void ReadPolygons() {
    std::size_t next = 0;
    std::array<std::uint32_t, 255> polygon;
    for (std::size_t p = 0; p < file_.sizes.size(); ++p) {
      const std::size_t count = file_.sizes[p];
      const std::size_t first = next;
      next += count;
      std::size_t made = 0;
      for (std::size_t k = first; k < next; ++k) {
        Corner corner;
        if (!CheckCorner(file_.corners[k], corner)) break;
        polygon[made++] = CornerIndex(corner);
      }
      if (made != count) {
        ++dropped_;
        continue;
      }
      const std::uint8_t slot = static_cast<std::uint8_t>(SlotOf(file_.materials[p]));
      for (std::size_t k = 1; k + 1 < count; ++k) {
        triangles_.push_back({polygon[0], polygon[k], polygon[k + 1]});
        slots_.push_back(slot);
      }
    }
  }

  // A position's first corner is found through its own slot, the position's other corners
  // through the map.
  std::uint32_t CornerIndex(const Corner& corner) {
    const auto next = static_cast<std::uint32_t>(corners_.size());
    std::uint32_t& first = firstCorner_[static_cast<std::size_t>(corner.position)];
    if (first == kNoCorner) {
      first = next;
    } else if (corners_[first] == corner) {
      return first;
    } else {
      const auto [index, isNew] = otherCorners_.Insert(corner, next);
      if (!isNew) return *index;
    }
    corners_.push_back(corner);
    return next;
  }

  // ---- vertices and faces

  // By position index, and for one position in the order the faces first used its corners; a
  // position no face uses is a vertex with no normal and no coordinates.
  void MakeVertices() {
    std::vector<std::uint32_t> start, byPosition;
    Fill(start, positions_ + 1, 0u);
    for (const Corner& c : corners_) ++start[static_cast<std::size_t>(c.position) + 1];
    for (std::size_t p = 0; p < positions_; ++p) start[p + 1] += start[p];
    Fill(byPosition, corners_.size(), 0u);
    std::vector<std::uint32_t>& fill = firstCorner_;  // no longer needed as it was
    std::copy(start.begin(), start.end() - 1, fill.begin());
    for (std::uint32_t i = 0; i < corners_.size(); ++i) {
      byPosition[fill[static_cast<std::size_t>(corners_[i].position)]++] = i;
    }
    Fill(vertexOf_, corners_.size(), static_cast<Vertex*>(nullptr));
    model_.vertices.ReserveIds(corners_.size());
    const std::vector<float>& xyz = file_.xyz;
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
          const float* n = &file_.normals[3 * static_cast<std::size_t>(c.normal)];
          normal = {Finite(n[0]), Finite(n[1]), Finite(n[2])};
        }
        float u = 0.0f, t = 0.0f;
        if (c.coords >= 0) {
          const float* uv = &file_.uvs[2 * static_cast<std::size_t>(c.coords)];
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
  const ObjText& file_;
  const std::vector<tinyobj::material_t>& materials_;
  std::string folder_;
  std::size_t positions_, normals_, coords_;

  std::uint32_t defaultSlot_ = 0;
  std::size_t dropped_ = 0;                 // polygons left out for a missing position
  std::vector<std::uint32_t> firstCorner_;  // by position
  FlatHashMap<Corner, std::uint32_t, CornerHasher> otherCorners_;
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
  std::string warnings, errors;
  LibraryReader libraries(model.host(), folder, materialText);
  ObjText file(objText, libraries, warnings, errors);
  // Polygons are fanned here, not by the loader.
  if (!file.Read()) {
    model.host().ErrorBox(
        "Damaged OBJ file:",
        std::string(path) + (errors.empty() ? std::string() : ": " + FirstLines(errors, 1)),
        Severity::Error);
    return false;
  }
  if (file.tooLarge) {
    model.host().ErrorBox("Polygons of more than 255 corners cannot be read:", path,
                          Severity::Error);
    return false;
  }

  warnings += errors;
  ObjBuilder(model, file, libraries.materials(), std::move(folder)).Run(warnings);
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

// The glTF reader: the glTF library parses the file (reading external buffers only from the
// file's folder, keeping pictures as bytes); this file checks every index, range and count it
// hands back before reading, and builds vertices, faces, materials, bones and animations.
//
// Section index
//   faults and files ....... the refusal, the library's file callbacks, the pre-check of images
//   matrices ............... node transforms in double precision
//   accessors .............. checked views of the buffers
//   builder ................ nodes, materials, meshes, skin, animations
//   entry points ........... ImportGltf, ImportGltfBytes
#include "importers/gltf_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "anim/skeleton.h"
#include "edit/normals.h"
#include "format/atomic_file.h"
#include "format/file_text.h"
#include "format/gltf_library.h"
#include "material/material_table.h"
#include "material/texels.h"
#include "model/paths.h"

namespace zmf::importers {
namespace {

// ---- faults and files

// Why the file is refused: the box's message and detail.
struct Fault {
  std::string message;
  std::string detail;
};

constexpr const char* kDamaged = "Damaged glTF file:";

// More vertices than this are refused (vertex ids are 32 bits wide, and every vertex costs
// about a hundred bytes).
constexpr std::size_t kMaxVertices = std::size_t{1} << 26;

float Finite(double value) {
  return std::isfinite(value) && std::fabs(value) <= 3.4e38 ? static_cast<float>(value) : 0.0f;
}

// The name inside the folder, with '/' separators.
std::string InFolder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  for (char c : name) path += c == '\\' ? '/' : c;
  return path;
}

// %XX escapes of a uri decoded.
std::string DecodeUri(std::string_view uri) {
  std::string out;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    const auto hex = [](char c) {
      return c >= '0' && c <= '9'                     ? c - '0'
             : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10
                                                      : -1;
    };
    if (uri[i] == '%' && i + 2 < uri.size() && hex(uri[i + 1]) >= 0 && hex(uri[i + 2]) >= 0) {
      out += static_cast<char>(hex(uri[i + 1]) * 16 + hex(uri[i + 2]));
      i += 2;
    } else {
      out += uri[i];
    }
  }
  return out;
}

// The library's file access: only names inside the folder are read; the first other one is
// kept for the message.
struct FolderGuard {
  std::string prefix;  // the folder with its trailing '/', or empty
  std::string refused;

  // The part of the library's path after the folder, or nothing for a path elsewhere.
  std::optional<std::string> Inside(const std::string& path) {
    if (path.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    std::string name = path.substr(prefix.size());
    if (StaysInFolder(name)) return name;
    if (refused.empty()) refused = name;
    return std::nullopt;
  }
};

bool GuardedExists(const std::string& path, void* user) {
  return static_cast<FolderGuard*>(user)->Inside(path) && std::ifstream(path).good();
}

std::string SamePath(const std::string& path, void*) { return path; }

bool GuardedRead(std::vector<unsigned char>* out, std::string* error, const std::string& path,
                 void* user) {
  std::string bytes;
  if (!static_cast<FolderGuard*>(user)->Inside(path) || !format::ReadWholeFile(path, bytes)) {
    if (error != nullptr) *error += "File not read: " + path + "\n";
    return false;
  }
  out->assign(bytes.begin(), bytes.end());
  return true;
}

bool NoWrite(std::string*, const std::string&, const std::vector<unsigned char>&, void*) {
  return false;
}

// Pictures are kept as the file's bytes; the texture loader decodes them.
bool KeepImage(tinygltf::Image* image, int, std::string*, std::string*, int, int,
               const unsigned char* bytes, int size, void*) {
  image->image.assign(bytes, bytes + std::max(size, 0));
  return true;
}

// The library hands an image's buffer view to the image callback without checking that the
// view lies in its buffer: the JSON is checked for that first (a buffer's data always has its
// byteLength once loaded).
bool ImageViewsInBuffers(std::string_view json) {
  const nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return true;  // the library reports it
  const auto images = doc.find("images");
  if (images == doc.end() || !images->is_array()) return true;
  const auto number = [](const nlohmann::json& object, const char* key, std::uint64_t fallback,
                         std::uint64_t& value) {
    const auto it = object.find(key);
    if (it == object.end()) {
      value = fallback;
      return true;
    }
    if (!it->is_number_unsigned()) return false;
    value = it->get<std::uint64_t>();
    return value < (std::uint64_t{1} << 53);
  };
  for (const nlohmann::json& image : *images) {
    std::uint64_t view = 0, buffer = 0, offset = 0, length = 0, size = 0;
    if (!image.is_object() || !image.contains("bufferView")) continue;
    if (!number(image, "bufferView", 0, view)) return false;
    const auto views = doc.find("bufferViews");
    if (views == doc.end() || !views->is_array() || view >= views->size()) return false;
    const nlohmann::json& v = (*views)[view];
    if (!v.is_object() || !number(v, "buffer", 0, buffer) || !number(v, "byteOffset", 0, offset) ||
        !number(v, "byteLength", 0, length)) {
      return false;
    }
    const auto buffers = doc.find("buffers");
    if (buffers == doc.end() || !buffers->is_array() || buffer >= buffers->size()) return false;
    const nlohmann::json& b = (*buffers)[buffer];
    if (!b.is_object() || !number(b, "byteLength", 0, size) || offset + length > size) {
      return false;
    }
  }
  return true;
}

// The first line of the library's messages.
std::string FirstLine(const std::string& text) {
  const std::size_t end = text.find('\n');
  return end == std::string::npos ? text : text.substr(0, end);
}

// ---- matrices (column-major doubles, as glTF stores them)

using Mat = std::array<double, 16>;

constexpr Mat kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Mat Multiply(const Mat& a, const Mat& b) {
  Mat r{};
  for (int c = 0; c < 4; ++c) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a[std::size_t(4 * k + row)] * b[std::size_t(4 * c + k)];
      r[std::size_t(4 * c + row)] = sum;
    }
  }
  return r;
}

// T * R * S; the quaternion made unit length (a zero one is no rotation).
Mat FromTrs(const std::array<double, 3>& t, std::array<double, 4> q,
            const std::array<double, 3>& s) {
  const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (length > 0.0 && std::isfinite(length)) {
    for (double& value : q) value /= length;
  } else {
    q = {0.0, 0.0, 0.0, 1.0};
  }
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  return {(1 - 2 * (y * y + z * z)) * s[0],
          2 * (x * y + z * w) * s[0],
          2 * (x * z - y * w) * s[0],
          0,
          2 * (x * y - z * w) * s[1],
          (1 - 2 * (x * x + z * z)) * s[1],
          2 * (y * z + x * w) * s[1],
          0,
          2 * (x * z + y * w) * s[2],
          2 * (y * z - x * w) * s[2],
          (1 - 2 * (x * x + y * y)) * s[2],
          0,
          t[0],
          t[1],
          t[2],
          1};
}

// A node's rest transform parts; a part of the wrong size is the identity's.
struct Trs {
  std::array<double, 3> t{0, 0, 0};
  std::array<double, 4> r{0, 0, 0, 1};
  std::array<double, 3> s{1, 1, 1};
};

template <std::size_t N>
void Take(const std::vector<double>& from, std::array<double, N>& to) {
  if (from.size() != N) return;
  for (std::size_t i = 0; i < N; ++i) to[i] = Finite(from[i]);
}

Trs RestTrs(const tinygltf::Node& node) {
  Trs trs;
  Take(node.translation, trs.t);
  Take(node.rotation, trs.r);
  Take(node.scale, trs.s);
  return trs;
}

Mat LocalMatrix(const tinygltf::Node& node) {
  if (node.matrix.size() == 16) {
    Mat m;
    for (std::size_t i = 0; i < 16; ++i) m[i] = Finite(node.matrix[i]);
    return m;
  }
  const Trs trs = RestTrs(node);
  return FromTrs(trs.t, trs.r, trs.s);
}

Matrix4 ToMatrix4(const Mat& m) {
  Matrix4 r;
  for (std::size_t i = 0; i < 16; ++i) r.m[i] = Finite(m[i]);
  return r;
}

double Determinant3(const Mat& m) {
  return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
         m[8] * (m[1] * m[6] - m[5] * m[2]);
}

// ---- accessors

constexpr int kByte = TINYGLTF_COMPONENT_TYPE_BYTE;
constexpr int kUByte = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
constexpr int kShort = TINYGLTF_COMPONENT_TYPE_SHORT;
constexpr int kUShort = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
constexpr int kUInt = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
constexpr int kFloat = TINYGLTF_COMPONENT_TYPE_FLOAT;

// What an accessor may hold for one use: its type, and each allowed component type with
// whether it must be normalized (0), must not be (1), or is a float (2).
struct Allowed {
  int type;
  std::vector<int> componentTypes;
  bool normalizedIntegers;  // integers must be normalized (texture coordinates, weights)
};

// A checked accessor: element i's component c lies at base + i * stride + c * size.
struct Elements {
  const unsigned char* base = nullptr;
  std::size_t stride = 0;
  std::size_t count = 0;
  int components = 0;
  int componentType = kFloat;
  std::size_t componentSize = 4;
  bool normalized = false;

  double Get(std::size_t i, int c) const {
    const unsigned char* at = base + i * stride + std::size_t(c) * componentSize;
    switch (componentType) {
      case kFloat: {
        float f;
        std::memcpy(&f, at, 4);
        return Finite(f);
      }
      case kUByte:
        return normalized ? *at / 255.0 : *at;
      case kByte: {
        const auto v = static_cast<std::int8_t>(*at);
        return normalized ? std::max(v / 127.0, -1.0) : v;
      }
      case kUShort: {
        std::uint16_t v;
        std::memcpy(&v, at, 2);
        return normalized ? v / 65535.0 : v;
      }
      case kShort: {
        std::int16_t v;
        std::memcpy(&v, at, 2);
        return normalized ? std::max(v / 32767.0, -1.0) : v;
      }
      default: {
        std::uint32_t v;
        std::memcpy(&v, at, 4);
        return v;
      }
    }
  }
};

Elements Checked(const tinygltf::Model& gltf, int index, const Allowed& allowed, const char* what) {
  const Fault bad{kDamaged, std::string("an accessor of ") + what + " is out of range"};
  if (index < 0 || std::size_t(index) >= gltf.accessors.size()) throw bad;
  const tinygltf::Accessor& a = gltf.accessors[std::size_t(index)];
  if (a.type != allowed.type ||
      std::find(allowed.componentTypes.begin(), allowed.componentTypes.end(), a.componentType) ==
          allowed.componentTypes.end() ||
      (a.componentType != kFloat && a.normalized != allowed.normalizedIntegers)) {
    throw Fault{kDamaged, std::string("the accessor of ") + what + " has the wrong type"};
  }
  if (a.sparse.isSparse) throw Fault{"Sparse accessors cannot be read:", what};
  if (a.bufferView < 0 || std::size_t(a.bufferView) >= gltf.bufferViews.size()) throw bad;
  const tinygltf::BufferView& view = gltf.bufferViews[std::size_t(a.bufferView)];
  if (view.buffer < 0 || std::size_t(view.buffer) >= gltf.buffers.size()) throw bad;
  const std::vector<unsigned char>& data = gltf.buffers[std::size_t(view.buffer)].data;
  if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) throw bad;
  Elements e;
  e.components = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(a.type));
  e.componentType = a.componentType;
  e.normalized = a.normalized;
  e.count = a.count;
  e.componentSize =
      std::size_t(tinygltf::GetComponentSizeInBytes(static_cast<std::uint32_t>(a.componentType)));
  const std::size_t element = std::size_t(e.components) * e.componentSize;
  e.stride = view.byteStride == 0 ? element : view.byteStride;
  if (e.stride < element) {
    throw Fault{kDamaged, std::string("the stride of ") + what + " is smaller than its elements"};
  }
  if (a.byteOffset > view.byteLength) throw bad;
  const std::size_t room = view.byteLength - a.byteOffset;
  if (e.count > 0 && (room < element || (e.count - 1) > (room - element) / e.stride)) throw bad;
  e.base = data.data() + view.byteOffset + a.byteOffset;
  return e;
}

const Allowed kVec3Floats{TINYGLTF_TYPE_VEC3, {kFloat}, false};
const Allowed kCoordinates{TINYGLTF_TYPE_VEC2, {kFloat, kUByte, kUShort}, true};
const Allowed kJoints{TINYGLTF_TYPE_VEC4, {kUByte, kUShort}, false};
const Allowed kWeights{TINYGLTF_TYPE_VEC4, {kFloat, kUByte, kUShort}, true};
const Allowed kIndices{TINYGLTF_TYPE_SCALAR, {kUByte, kUShort, kUInt}, false};
const Allowed kMatrices{TINYGLTF_TYPE_MAT4, {kFloat}, false};
const Allowed kTimes{TINYGLTF_TYPE_SCALAR, {kFloat}, false};
const Allowed kRotations{TINYGLTF_TYPE_VEC4, {kFloat, kByte, kUByte, kShort, kUShort}, true};

int Attribute(const tinygltf::Primitive& p, const char* name) {
  const auto it = p.attributes.find(name);
  return it == p.attributes.end() ? -1 : it->second;
}

// ---- builder

bool Triangles(const tinygltf::Primitive& p) {
  return p.mode == TINYGLTF_MODE_TRIANGLES || p.mode == TINYGLTF_MODE_TRIANGLE_STRIP ||
         p.mode == TINYGLTF_MODE_TRIANGLE_FAN;
}

// A sampled channel of an animation.
struct Channel {
  std::vector<float> times;
  std::vector<double> values;  // one element (3 or 4 numbers) per time
  int size = 3;
  enum class Path { Translation, Rotation, Scale } path = Path::Translation;
  bool step = false;
};

class GltfBuilder {
 public:
  GltfBuilder(Model& model, const tinygltf::Model& gltf, std::string folder, std::string stem)
      : model_(model), gltf_(gltf), folder_(std::move(folder)), stem_(std::move(stem)) {}

  // Builds everything; throws a Fault when the file is refused. The warnings, one line each.
  std::string Run() {
    CheckExtensions();
    LinkNodes();
    VisitScene();
    MakeMaterials();
    ChooseSkin();
    if (skin_ >= 0) MakeBones();
    for (const Instance& instance : instances_) MakeMesh(instance);
    MakeFaces();
    if (skin_ >= 0) MakeAnimations();
    ComputeMissingNormals();
    return warnings_;
  }

 private:
  void Warn(const std::string& line) {
    if (warnings_.find(line) == std::string::npos) warnings_ += line + "\n";
  }

  // ---- extensions and nodes

  void CheckExtensions() {
    const std::string draco = "KHR_draco_mesh_compression";
    for (const std::string& name : gltf_.extensionsRequired) {
      if (name == draco) throw Fault{"Draco-compressed meshes cannot be read:", name};
      throw Fault{"The file needs a glTF extension this program does not know:", name};
    }
    for (const tinygltf::Mesh& mesh : gltf_.meshes) {
      for (const tinygltf::Primitive& p : mesh.primitives) {
        if (p.extensions.count(draco) > 0) {
          throw Fault{"Draco-compressed meshes cannot be read:", draco};
        }
      }
    }
  }

  // Each node's parent; a node that is the child of two nodes, or of itself, is refused.
  void LinkNodes() {
    const std::size_t n = gltf_.nodes.size();
    parent_.assign(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
      for (const int child : gltf_.nodes[i].children) {
        if (child < 0 || std::size_t(child) >= n) throw Fault{kDamaged, "a node child is missing"};
        if (parent_[std::size_t(child)] != -1 || std::size_t(child) == i) {
          throw Fault{kDamaged, "a node is reached twice"};
        }
        parent_[std::size_t(child)] = int(i);
      }
    }
    // A parent chain longer than the node count is a loop.
    world_.assign(n, kIdentity);
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t steps = 0;
      for (int at = parent_[i]; at >= 0; at = parent_[std::size_t(at)]) {
        if (++steps > n) throw Fault{kDamaged, "a node is its own ancestor"};
      }
    }
  }

  // The nodes of the scene, parents first, with their world matrices.
  void VisitScene() {
    std::vector<int> roots;
    const int scene =
        gltf_.defaultScene >= 0 && std::size_t(gltf_.defaultScene) < gltf_.scenes.size()
            ? gltf_.defaultScene
        : gltf_.scenes.empty() ? -1
                               : 0;
    if (scene >= 0) {
      roots = gltf_.scenes[std::size_t(scene)].nodes;
    } else {
      for (std::size_t i = 0; i < gltf_.nodes.size(); ++i) {
        if (parent_[i] < 0) roots.push_back(int(i));
      }
    }
    std::vector<bool> seen(gltf_.nodes.size(), false);
    std::vector<int> pending(roots.rbegin(), roots.rend());
    while (!pending.empty()) {
      const int node = pending.back();
      pending.pop_back();
      if (node < 0 || std::size_t(node) >= gltf_.nodes.size()) {
        throw Fault{kDamaged, "a scene node is missing"};
      }
      if (seen[std::size_t(node)]) throw Fault{kDamaged, "a node is reached twice"};
      seen[std::size_t(node)] = true;
      const tinygltf::Node& n = gltf_.nodes[std::size_t(node)];
      const int up = parent_[std::size_t(node)];
      world_[std::size_t(node)] =
          up >= 0 ? Multiply(world_[std::size_t(up)], LocalMatrix(n)) : LocalMatrix(n);
      if (n.mesh >= 0) {
        if (std::size_t(n.mesh) >= gltf_.meshes.size()) throw Fault{kDamaged, "a mesh is missing"};
        instances_.push_back({node, n.mesh});
      }
      for (auto c = n.children.rbegin(); c != n.children.rend(); ++c) pending.push_back(*c);
    }
  }

  // ---- materials

  void MakeMaterials() {
    bool needsDefault = gltf_.materials.empty();
    for (const Instance& instance : instances_) {
      for (const tinygltf::Primitive& p : gltf_.meshes[std::size_t(instance.mesh)].primitives) {
        needsDefault |=
            Triangles(p) && (p.material < 0 || std::size_t(p.material) >= gltf_.materials.size());
      }
    }
    const std::size_t wanted = gltf_.materials.size() + (needsDefault ? 1 : 0);
    if (wanted > kMaxMaterials) {
      Warn("The file has more materials than the " + std::to_string(kMaxMaterials) +
           " of a model; the faces of the others take the last one.");
    }
    model_.materialCount = static_cast<std::uint32_t>(std::min<std::size_t>(wanted, kMaxMaterials));
    defaultSlot_ = static_cast<std::uint32_t>(
        std::min<std::size_t>(gltf_.materials.size(), kMaxMaterials - 1));
    for (std::uint32_t slot = 0; slot < model_.materialCount; ++slot) {
      model_.SetMaterialDefaults(slot);
      if (slot < gltf_.materials.size()) ReadMaterial(slot, gltf_.materials[slot]);
    }
  }

  std::uint8_t SlotOf(int material) const {
    if (material < 0 || std::size_t(material) >= gltf_.materials.size()) {
      return static_cast<std::uint8_t>(defaultSlot_);
    }
    return static_cast<std::uint8_t>(std::min(material, kMaxMaterials - 1));
  }

  // The ambient and specular colours and the exact shininess that the editor's own export
  // keeps in a material's extras; values of the wrong shape are passed over.
  static void ReadEditorExtras(const tinygltf::Value& extras, Material& to) {
    if (!extras.IsObject()) return;
    auto colour = [&](const char* key, Colour& c) {
      const tinygltf::Value& values = extras.Get(key);
      if (!values.IsArray() || values.ArrayLen() != 4) return;
      for (int i = 0; i < 4; ++i) {
        if (!values.Get(i).IsNumber()) return;
      }
      for (int i = 0; i < 4; ++i) c[std::size_t(i)] = Finite(values.Get(i).GetNumberAsDouble());
    };
    colour("zmfAmbient", to.ambient);
    colour("zmfSpecular", to.specular);
    const tinygltf::Value& shininess = extras.Get("zmfShininess");
    if (shininess.IsNumber()) {
      const double value = shininess.GetNumberAsDouble();
      if (value >= 0.0 && value <= 128.0) to.shininess = static_cast<std::uint32_t>(value);
    }
  }

  void ReadMaterial(std::uint32_t slot, const tinygltf::Material& from) {
    Material& to = model_.materials[slot];
    to.name.Set(from.name.empty() ? "material " + std::to_string(slot) : from.name);
    const tinygltf::PbrMetallicRoughness& pbr = from.pbrMetallicRoughness;
    for (std::size_t i = 0; i < 4 && pbr.baseColorFactor.size() == 4; ++i) {
      to.diffuse[i] = Finite(pbr.baseColorFactor[i]);
    }
    for (std::size_t i = 0; i < 3 && from.emissiveFactor.size() == 3; ++i) {
      to.emission[i] = Finite(from.emissiveFactor[i]);
    }
    for (std::size_t i = 0; i < 3; ++i) to.ambient[i] = 0.35f * to.diffuse[i];
    // The inverse of the exporter's roughness = (2 / (shininess + 2))^(1/4).
    const double r = pbr.roughnessFactor;
    const double shininess = r > 0.0 ? 2.0 / (r * r * r * r) - 2.0 : 128.0;
    to.shininess = std::isfinite(shininess)
                       ? static_cast<std::uint32_t>(std::lround(std::clamp(shininess, 0.0, 128.0)))
                       : 0;
    if (to.shininess > 0) to.specular = {0.5f, 0.5f, 0.5f, 1.0f};
    ReadEditorExtras(from.extras, to);
    const std::uint32_t alpha = from.alphaMode == "MASK" || from.alphaMode == "BLEND"
                                    ? material::kAlphaInFile
                                    : material::kAlphaNone;
    const int texture = pbr.baseColorTexture.index;
    if (texture < 0) return;
    if (std::size_t(texture) >= gltf_.textures.size())
      throw Fault{kDamaged, "a texture is missing"};
    const int source = gltf_.textures[std::size_t(texture)].source;
    if (source < 0) return;
    if (std::size_t(source) >= gltf_.images.size()) throw Fault{kDamaged, "an image is missing"};
    const std::string file = ImageFile(std::size_t(source));
    if (!file.empty()) material::SetMaterialTexture(model_, slot, true, file, alpha, 0.0f);
  }

  // The file of image i: an external one in the folder, or the embedded bytes written beside
  // the glTF file; empty when it could not be written.
  std::string ImageFile(std::size_t i) {
    const tinygltf::Image& image = gltf_.images[i];
    if (image.image.empty() && !image.uri.empty()) {
      return InFolder(folder_, DecodeUri(image.uri));  // checked by CheckImageNames
    }
    const auto known = imageFiles_.find(i);
    if (known != imageFiles_.end()) return known->second;
    const std::string_view bytes(reinterpret_cast<const char*>(image.image.data()),
                                 image.image.size());
    const bool jpeg = bytes.substr(0, 3) == "\xFF\xD8\xFF" || image.mimeType == "image/jpeg";
    const std::string base = stem_ + "_image" + std::to_string(i);
    std::string written;
    for (int attempt = 1; attempt <= 100 && written.empty(); ++attempt) {
      const std::string name =
          base + (attempt == 1 ? "" : "-" + std::to_string(attempt)) + (jpeg ? ".jpg" : ".png");
      const std::string path = InFolder(folder_, name);
      std::string existing;
      if (format::ReadWholeFile(path, existing)) {
        if (existing == bytes) written = path;
        continue;
      }
      format::AtomicFile out(path);
      if (out.Open() && out.Write(bytes) && out.Commit()) {
        written = path;
      } else {
        Warn(
            "The embedded pictures could not be written beside the file; their materials keep "
            "their colours only.");
        break;
      }
    }
    imageFiles_[i] = written;
    return written;
  }

  // ---- skin and bones

  void ChooseSkin() {
    for (const Instance& instance : instances_) {
      const int skin = gltf_.nodes[std::size_t(instance.node)].skin;
      if (skin < 0) continue;
      if (std::size_t(skin) >= gltf_.skins.size()) throw Fault{kDamaged, "a skin is missing"};
      if (skin_ < 0) skin_ = skin;
      if (skin != skin_) Warn("Only the first skin of the file is kept.");
    }
  }

  void MakeBones() {
    const tinygltf::Skin& skin = gltf_.skins[std::size_t(skin_)];
    const std::size_t n = skin.joints.size();
    jointBone_.assign(n, -1);
    std::map<int, std::size_t> jointOf;  // node -> joint
    for (std::size_t j = 0; j < n; ++j) {
      const int node = skin.joints[j];
      if (node < 0 || std::size_t(node) >= gltf_.nodes.size() || jointOf.count(node) > 0) {
        throw Fault{kDamaged, "a joint of the skin is missing or repeated"};
      }
      jointOf[node] = j;
    }
    std::vector<Mat> binds(n, kIdentity);
    if (skin.inverseBindMatrices >= 0) {
      const Elements m = Checked(gltf_, skin.inverseBindMatrices, kMatrices, "bind matrices");
      if (m.count < n) throw Fault{kDamaged, "the skin has fewer bind matrices than joints"};
      for (std::size_t j = 0; j < n; ++j) {
        for (int k = 0; k < 16; ++k) binds[j][std::size_t(k)] = m.Get(j, k);
      }
    } else {
      for (std::size_t j = 0; j < n; ++j) {
        const Matrix4 world = ToMatrix4(NodeWorldAtRest(skin.joints[j]));
        const Matrix4 inverse = anim::Invert(world);
        for (std::size_t k = 0; k < 16; ++k) binds[j][k] = inverse.m[k];
      }
    }
    // The joints that become bones: all but the exporter's still joint, up to the table's size.
    std::vector<std::size_t> kept;
    for (std::size_t j = 0; j < n; ++j) {
      const tinygltf::Node& node = gltf_.nodes[std::size_t(skin.joints[j])];
      if (node.name == "unweighted" && node.children.empty()) continue;
      if (kept.size() == kMaxBones) {
        Warn("The skin has more joints than the " + std::to_string(kMaxBones) +
             " bones of a model; the others are left out.");
        break;
      }
      kept.push_back(j);
    }
    // Each kept joint's parent: the nearest ancestor node that is a kept joint.
    std::vector<int> parentJoint(n, -1);
    std::vector<bool> isKept(n, false);
    for (const std::size_t j : kept) isKept[j] = true;
    std::size_t roots = 0;
    for (const std::size_t j : kept) {
      for (int at = parent_[std::size_t(skin.joints[j])]; at >= 0; at = parent_[std::size_t(at)]) {
        const auto it = jointOf.find(at);
        if (it != jointOf.end() && isKept[it->second]) {
          parentJoint[j] = int(it->second);
          break;
        }
      }
      roots += parentJoint[j] < 0 ? 1 : 0;
    }
    const bool extraRoot = roots > 1 && kept.size() < kMaxBones;
    if (roots > 1 && !extraRoot) kept.pop_back();  // room for the root above them
    std::set<std::string> names;
    for (std::size_t b = 0; b < kept.size(); ++b) {
      const std::size_t j = kept[b];
      jointBone_[j] = int(b);
      boneJoint_.push_back(int(j));
      Bone& bone = NewBone(b, gltf_.nodes[std::size_t(skin.joints[j])].name, names);
      bone.localMatrix = ToMatrix4(binds[j]);
    }
    std::int32_t root = kNoBone;
    if (extraRoot) {
      root = static_cast<std::int32_t>(kept.size());
      NewBone(kept.size(), "root", names).parentName.Set(kRootParentName);
      boneJoint_.push_back(-1);
    }
    model_.boneCount = static_cast<std::uint32_t>(kept.size() + (extraRoot ? 1 : 0));
    for (std::size_t b = 0; b < kept.size(); ++b) {
      Bone& bone = model_.bones[b];
      const int p = parentJoint[kept[b]];
      const int parentBone = p >= 0 ? jointBone_[std::size_t(p)] : root;
      if (parentBone < 0) {
        bone.parentName.Set(kRootParentName);
        continue;
      }
      bone.parentName = model_.bones[std::size_t(parentBone)].name;
      // bind = Compose(parent's bind, local), so local = Compose(inverse of parent's bind, bind).
      if (p >= 0) {
        bone.localMatrix =
            anim::Compose(anim::Invert(ToMatrix4(binds[std::size_t(p)])), bone.localMatrix);
      }
    }
    if (const std::optional<anim::HierarchyFault> fault = anim::LinkBonesByParentName(model_)) {
      throw Fault{fault->message, "glTF file"};
    }
    anim::EvaluateHierarchy(model_);
  }

  Bone& NewBone(std::size_t b, const std::string& wanted, std::set<std::string>& names) {
    Bone& bone = model_.bones[b];
    bone.index = static_cast<std::uint32_t>(b);
    bone.weights.Clear();
    bone.grams = 1.0f;
    bone.poseMatrix = Matrix4::Identity();
    std::string name = Name32(wanted.empty() ? "bone " + std::to_string(b) : wanted).str();
    for (int k = 2; names.count(name) > 0 || name == kRootParentName; ++k) {
      name = Name32(wanted.substr(0, 24) + "_" + std::to_string(k)).str();
    }
    names.insert(name);
    bone.name.Set(name);
    return bone;
  }

  Mat NodeWorldAtRest(int node) const {
    Mat m = LocalMatrix(gltf_.nodes[std::size_t(node)]);
    for (int at = parent_[std::size_t(node)]; at >= 0; at = parent_[std::size_t(at)]) {
      m = Multiply(LocalMatrix(gltf_.nodes[std::size_t(at)]), m);
    }
    return m;
  }

  // ---- meshes

  struct Instance {
    int node;
    int mesh;
  };

  void MakeMesh(const Instance& instance) {
    const tinygltf::Node& node = gltf_.nodes[std::size_t(instance.node)];
    const bool skinned = node.skin >= 0 && node.skin == skin_;
    const Mat world = skinned || node.skin >= 0 ? kIdentity : world_[std::size_t(instance.node)];
    const bool mirrored = Determinant3(world) < 0.0;
    std::map<std::vector<int>, std::size_t> shared;  // attribute accessors -> first vertex
    for (const tinygltf::Primitive& p : gltf_.meshes[std::size_t(instance.mesh)].primitives) {
      if (!p.targets.empty()) Warn("Morph targets are left out.");
      if (!Triangles(p)) {
        Warn("Points and lines are left out.");
        continue;
      }
      const std::vector<int> key{Attribute(p, "POSITION"), Attribute(p, "NORMAL"),
                                 Attribute(p, "TEXCOORD_0"), Attribute(p, "JOINTS_0"),
                                 Attribute(p, "WEIGHTS_0")};
      if (key[0] < 0) throw Fault{kDamaged, "a mesh has no positions"};
      const auto [at, isNew] = shared.emplace(key, vertices_.size());
      if (isNew) MakeVertices(p, world, skinned);
      const std::size_t first = at->second;
      const std::size_t count = gltf_.accessors[std::size_t(key[0])].count;
      MakeTriangles(p, first, count, mirrored, SlotOf(p.material));
    }
  }

  void MakeVertices(const tinygltf::Primitive& p, const Mat& world, bool skinned) {
    const Elements positions = Checked(gltf_, Attribute(p, "POSITION"), kVec3Floats, "positions");
    const std::size_t n = positions.count;
    if (n > kMaxVertices - vertices_.size()) {
      throw Fault{"The file has more vertices than a model can hold:", std::to_string(n)};
    }
    std::optional<Elements> normals, coordinates, joints, weights;
    if (Attribute(p, "NORMAL") >= 0) {
      normals = Checked(gltf_, Attribute(p, "NORMAL"), kVec3Floats, "normals");
    }
    if (Attribute(p, "TEXCOORD_0") >= 0) {
      coordinates = Checked(gltf_, Attribute(p, "TEXCOORD_0"), kCoordinates, "coordinates");
    }
    if (skinned && Attribute(p, "JOINTS_0") >= 0 && Attribute(p, "WEIGHTS_0") >= 0) {
      joints = Checked(gltf_, Attribute(p, "JOINTS_0"), kJoints, "joints");
      weights = Checked(gltf_, Attribute(p, "WEIGHTS_0"), kWeights, "weights");
    }
    for (const auto& e : {normals, coordinates, joints, weights}) {
      if (e && e->count < n) throw Fault{kDamaged, "a vertex attribute is shorter than POSITION"};
    }
    // Normals by the inverse transpose of the world matrix's 3 x 3 part (its cofactors).
    const Mat& w = world;
    const std::array<double, 9> cof{
        w[5] * w[10] - w[6] * w[9], w[6] * w[8] - w[4] * w[10], w[4] * w[9] - w[5] * w[8],
        w[2] * w[9] - w[1] * w[10], w[0] * w[10] - w[2] * w[8], w[1] * w[8] - w[0] * w[9],
        w[1] * w[6] - w[2] * w[5],  w[2] * w[4] - w[0] * w[6],  w[0] * w[5] - w[1] * w[4]};
    const bool moved = world != kIdentity;
    model_.vertices.ReserveIds(model_.vertices.count() + n);
    vertices_.reserve(vertices_.size() + n);
    for (std::size_t i = 0; i < n; ++i) {
      Vertex* v = model_.AppendVertex();
      if (v == nullptr) throw Fault{"Out of memory reading file:", "glTF file"};
      const double x = positions.Get(i, 0), y = positions.Get(i, 1), z = positions.Get(i, 2);
      Vector3 position{Finite(x), Finite(y), Finite(z)};
      if (moved) {
        position = {Finite(w[0] * x + w[4] * y + w[8] * z + w[12]),
                    Finite(w[1] * x + w[5] * y + w[9] * z + w[13]),
                    Finite(w[2] * x + w[6] * y + w[10] * z + w[14])};
      }
      Vector3 normal;
      if (normals) {
        const double a = normals->Get(i, 0), b = normals->Get(i, 1), c = normals->Get(i, 2);
        normal = {Finite(a), Finite(b), Finite(c)};
        if (moved) {
          const double nx = cof[0] * a + cof[3] * b + cof[6] * c;
          const double ny = cof[1] * a + cof[4] * b + cof[7] * c;
          const double nz = cof[2] * a + cof[5] * b + cof[8] * c;
          const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
          normal = length > 0.0
                       ? Vector3{Finite(nx / length), Finite(ny / length), Finite(nz / length)}
                       : Vector3{};
        }
      } else {
        unnormaled_.push_back(v);
      }
      float u = 0.0f, t = 0.0f;
      if (coordinates) {
        u = Finite(coordinates->Get(i, 0));
        t = Finite(coordinates->Get(i, 1));
      }
      model_.SetVertex(v, position, normal, u, t);
      vertices_.push_back(v);
      if (joints) HoldVertex(v, *joints, *weights, i);
    }
  }

  // The vertex's non-zero weights, one entry per bone (a joint named twice adds up).
  void HoldVertex(Vertex* v, const Elements& joints, const Elements& weights, std::size_t i) {
    std::array<std::pair<int, float>, 4> held{};
    int count = 0;
    for (int k = 0; k < 4; ++k) {
      const double joint = joints.Get(i, k);
      const float weight = Finite(weights.Get(i, k));
      if (!(weight > 0.0f) || joint >= double(jointBone_.size())) continue;
      const int bone = jointBone_[std::size_t(joint)];
      if (bone < 0) continue;
      int slot = 0;
      while (slot < count && held[std::size_t(slot)].first != bone) ++slot;
      if (slot == count) held[std::size_t(count++)] = {bone, 0.0f};
      held[std::size_t(slot)].second += weight;
    }
    for (int k = 0; k < count; ++k) {
      model_.bones[std::size_t(held[std::size_t(k)].first)].AddWeight(v,
                                                                      held[std::size_t(k)].second);
    }
  }

  void MakeTriangles(const tinygltf::Primitive& p, std::size_t first, std::size_t count,
                     bool mirrored, std::uint8_t slot) {
    std::vector<std::uint32_t> corners;
    if (p.indices >= 0) {
      const Elements indices = Checked(gltf_, p.indices, kIndices, "indices");
      corners.reserve(indices.count);
      for (std::size_t i = 0; i < indices.count; ++i) {
        const double index = indices.Get(i, 0);
        if (index >= double(count)) throw Fault{kDamaged, "an index is past the vertices"};
        corners.push_back(static_cast<std::uint32_t>(index));
      }
    } else {
      corners.resize(count);
      for (std::size_t i = 0; i < count; ++i) corners[i] = static_cast<std::uint32_t>(i);
    }
    const auto add = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
      if (mirrored) std::swap(b, c);
      triangles_.push_back({first + a, first + b, first + c});
      slots_.push_back(slot);
    };
    const std::size_t n = corners.size();
    if (p.mode == TINYGLTF_MODE_TRIANGLES) {
      for (std::size_t i = 0; i + 2 < n; i += 3) add(corners[i], corners[i + 1], corners[i + 2]);
    } else if (p.mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
      for (std::size_t i = 0; i + 2 < n; ++i) {
        const std::size_t odd = i % 2;
        add(corners[i], corners[i + 1 + odd], corners[i + 2 - odd]);
      }
    } else {
      for (std::size_t i = 1; i + 1 < n; ++i) add(corners[i], corners[i + 1], corners[0]);
    }
  }

  void MakeFaces() {
    model_.faces.ReserveIds(triangles_.size());
    Face* before = model_.faces.tail();
    for (std::size_t i = 0; i < triangles_.size(); ++i) {
      Face* face = model_.faces.Allocate();
      if (face == nullptr) throw Fault{"Out of memory reading file:", "glTF file"};
      face->a = vertices_[triangles_[i][0]];
      face->b = vertices_[triangles_[i][1]];
      face->c = vertices_[triangles_[i][2]];
      if (!model_.AddFaceUnlinked(face, slots_[i])) model_.faces.Free(face);
    }
    Face* first = before != nullptr ? before->next : model_.faces.head();
    if (first != nullptr) model_.LinkCornersFrom(first);
  }

  // The normals command's connected calculation for the vertices the file gave no normal; the
  // import is no step to undo, so the journal is emptied again.
  void ComputeMissingNormals() {
    if (unnormaled_.empty()) return;
    for (Vertex* v : unnormaled_) model_.vertices.Select(v);
    edit::CalculateNormals(model_, true, false);
    model_.vertices.ClearSelection();
    model_.journal.Reset();
  }

  // ---- animations

  void MakeAnimations() {
    for (std::size_t a = 0; a < gltf_.animations.size(); ++a) {
      if (model_.animationCount == kMaxAnimations) {
        Warn("The file has more animations than the " + std::to_string(kMaxAnimations) +
             " of a model; the others are left out.");
        break;
      }
      MakeAnimation(gltf_.animations[a], a);
    }
  }

  Channel ReadChannel(const tinygltf::Animation& animation, const tinygltf::AnimationChannel& c) {
    if (c.sampler < 0 || std::size_t(c.sampler) >= animation.samplers.size()) {
      throw Fault{kDamaged, "an animation sampler is missing"};
    }
    const tinygltf::AnimationSampler& s = animation.samplers[std::size_t(c.sampler)];
    Channel channel;
    channel.path = c.target_path == "rotation" ? Channel::Path::Rotation
                   : c.target_path == "scale"  ? Channel::Path::Scale
                                               : Channel::Path::Translation;
    channel.size = channel.path == Channel::Path::Rotation ? 4 : 3;
    channel.step = s.interpolation == "STEP";
    const Elements input = Checked(gltf_, s.input, kTimes, "key times");
    const Elements output =
        Checked(gltf_, s.output, channel.size == 4 ? kRotations : kVec3Floats, "key values");
    const bool cubic = s.interpolation == "CUBICSPLINE";
    if (output.count < input.count * (cubic ? 3 : 1)) {
      throw Fault{kDamaged, "an animation has fewer values than times"};
    }
    for (std::size_t i = 0; i < input.count; ++i) {
      const float time = Finite(input.Get(i, 0));
      if (!channel.times.empty() && !(time > channel.times.back())) continue;  // out of order
      channel.times.push_back(time);
      for (int k = 0; k < channel.size; ++k) {
        channel.values.push_back(output.Get(cubic ? 3 * i + 1 : i, k));
      }
    }
    return channel;
  }

  // The channel's value at time t: held before the first and after the last time, linear (or
  // spherical for rotations) between, or the earlier value for STEP.
  static void Sample(const Channel& c, float t, double* out) {
    const std::size_t n = c.times.size();
    const std::size_t k = std::size_t(c.size);
    std::size_t i =
        std::size_t(std::upper_bound(c.times.begin(), c.times.end(), t) - c.times.begin());
    if (i == 0 || i == n || c.step) {
      const std::size_t at = i == 0 ? 0 : i - 1;
      for (std::size_t j = 0; j < k; ++j) out[j] = c.values[at * k + j];
      return;
    }
    const double w = (double(t) - c.times[i - 1]) / (double(c.times[i]) - c.times[i - 1]);
    const double* a = &c.values[(i - 1) * k];
    const double* b = &c.values[i * k];
    double sign = 1.0, wa = 1.0 - w, wb = w;
    if (c.path == Channel::Path::Rotation) {
      double dot = 0.0;
      for (std::size_t j = 0; j < 4; ++j) dot += a[j] * b[j];
      if (dot < 0.0) {
        sign = -1.0;
        dot = -dot;
      }
      if (dot < 0.9995) {
        const double angle = std::acos(std::min(dot, 1.0));
        wa = std::sin((1.0 - w) * angle) / std::sin(angle);
        wb = std::sin(w * angle) / std::sin(angle);
      }
    }
    for (std::size_t j = 0; j < k; ++j) out[j] = wa * a[j] + sign * wb * b[j];
  }

  void MakeAnimation(const tinygltf::Animation& animation, std::size_t index) {
    std::vector<std::vector<Channel>> byBone(model_.boneCount);
    std::vector<float> times;
    for (const tinygltf::AnimationChannel& c : animation.channels) {
      if (c.target_path == "weights") {
        Warn("Morph targets are left out.");
        continue;
      }
      const auto joint =
          std::find(boneJoint_.begin(), boneJoint_.end(), JointOfNode(c.target_node));
      if (JointOfNode(c.target_node) < 0 || joint == boneJoint_.end()) continue;
      Channel channel = ReadChannel(animation, c);
      times.insert(times.end(), channel.times.begin(), channel.times.end());
      byBone[std::size_t(joint - boneJoint_.begin())].push_back(std::move(channel));
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    times.erase(std::remove_if(times.begin(), times.end(), [](float t) { return t < 0.0f; }),
                times.end());
    if (times.empty()) return;
    if (times.size() > kMaxKeys) {
      Warn("An animation has more key times than the " + std::to_string(kMaxKeys) +
           " keys of a model; keys spread over it are kept.");
      std::vector<float> spread;
      for (std::size_t k = 0; k < kMaxKeys; ++k) {
        spread.push_back(times[(k * (times.size() - 1) + (kMaxKeys - 1) / 2) / (kMaxKeys - 1)]);
      }
      times = std::move(spread);
    }
    Animation& out = model_.animation(model_.animationCount++);
    out.transitionTime = out.playTime = 0.0f;  // the slot is reused, not built anew: it is large
    out.inTransition = 0;
    out.name.Set(animation.name.empty() ? "animation " + std::to_string(index) : animation.name);
    out.keyCount = static_cast<std::uint32_t>(times.size());
    out.totalTime = times.back();
    for (std::size_t k = 0; k < times.size(); ++k) {
      AnimKey& key = out.keys[k];
      key.time = times[k];
      key.keyBoneCount = model_.boneCount;
      for (std::uint32_t b = 0; b < model_.boneCount; ++b) {
        KeyBone& keyBone = key.keyBones[b];
        keyBone.boneIndex = b;
        keyBone.boneName = model_.bones[b].name;
        keyBone.matrix = ToMatrix4(PoseAt(b, byBone[b], times[k]));
      }
    }
  }

  int JointOfNode(int node) const {
    const std::vector<int>& joints = gltf_.skins[std::size_t(skin_)].joints;
    const auto it = std::find(joints.begin(), joints.end(), node);
    return it == joints.end() ? -1 : int(it - joints.begin());
  }

  // The bone's pose at time t: its node's transform relative to the parent bone's node (the
  // nodes between folded in), with the channels' samples in place of the rest values.
  Mat PoseAt(std::uint32_t bone, const std::vector<Channel>& channels, float t) const {
    const int joint = boneJoint_[bone];
    if (joint < 0) return kIdentity;  // the root added above several root joints
    const int node = gltf_.skins[std::size_t(skin_)].joints[std::size_t(joint)];
    const tinygltf::Node& n = gltf_.nodes[std::size_t(node)];
    Mat local;
    if (channels.empty() && n.matrix.size() == 16) {
      local = LocalMatrix(n);
    } else {
      Trs trs = RestTrs(n);
      for (const Channel& c : channels) {
        if (c.times.empty()) continue;
        double value[4];
        Sample(c, t, value);
        if (c.path == Channel::Path::Rotation) std::copy(value, value + 4, trs.r.begin());
        if (c.path == Channel::Path::Translation) std::copy(value, value + 3, trs.t.begin());
        if (c.path == Channel::Path::Scale) std::copy(value, value + 3, trs.s.begin());
      }
      local = FromTrs(trs.t, trs.r, trs.s);
    }
    const Bone& b = model_.bones[bone];
    const int parentNode =
        model_.HasBone(b.parent) && boneJoint_[std::size_t(b.parent)] >= 0
            ? gltf_.skins[std::size_t(skin_)].joints[std::size_t(boneJoint_[std::size_t(b.parent)])]
            : -1;
    for (int at = parent_[std::size_t(node)]; at >= 0 && at != parentNode;
         at = parent_[std::size_t(at)]) {
      local = Multiply(LocalMatrix(gltf_.nodes[std::size_t(at)]), local);
    }
    return local;
  }

  Model& model_;
  const tinygltf::Model& gltf_;
  std::string folder_;
  std::string stem_;
  std::string warnings_;
  std::vector<int> parent_;  // by node
  std::vector<Mat> world_;   // by node, for the nodes of the scene
  std::vector<Instance> instances_;
  std::uint32_t defaultSlot_ = 0;
  std::map<std::size_t, std::string> imageFiles_;
  int skin_ = -1;
  std::vector<int> jointBone_;  // by joint: the bone, or -1
  std::vector<int> boneJoint_;  // by bone: the joint, or -1 for an added root
  std::vector<Vertex*> vertices_;
  std::vector<Vertex*> unnormaled_;
  std::vector<std::array<std::size_t, 3>> triangles_;  // indices into vertices_
  std::vector<std::uint8_t> slots_;
};

// Every external image the file names must lie in its folder.
void CheckImageNames(const tinygltf::Model& gltf) {
  for (const tinygltf::Image& image : gltf.images) {
    if (!image.image.empty() || image.uri.empty()) continue;
    if (!StaysInFolder(DecodeUri(image.uri))) {
      throw Fault{"A file outside the model's folder is not read:", image.uri};
    }
  }
}

bool Import(Model& model, std::string_view bytes, std::string_view path) {
  std::string folder, name;
  if (!SplitDirectory(path, folder, name)) name = std::string(path);
  if (folder.empty() && !path.empty() && path[0] == '/') folder = "/";
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  try {
    const bool binary = bytes.substr(0, 4) == "glTF";
    if (bytes.size() >= 0xFFFFFFFFu)
      throw Fault{"The file is too large to read:", std::string(path)};
    std::string_view json = bytes;
    if (binary) {
      std::uint32_t length = 0;
      if (bytes.size() >= 20) std::memcpy(&length, bytes.data() + 12, 4);
      json = bytes.substr(std::min<std::size_t>(20, bytes.size()), length);
    }
    if (!ImageViewsInBuffers(json)) throw Fault{kDamaged, "an image lies outside its buffer"};
    tinygltf::TinyGLTF loader;
    FolderGuard guard{folder.empty() || folder.back() == '/' ? folder : folder + "/", {}};
    loader.SetFsCallbacks({GuardedExists, SamePath, GuardedRead, NoWrite, &guard});
    loader.SetImageLoader(KeepImage, nullptr);
    tinygltf::Model gltf;
    std::string error, warning;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto size = static_cast<unsigned>(bytes.size());
    const bool loaded =
        binary ? loader.LoadBinaryFromMemory(&gltf, &error, &warning, data, size, folder)
               : loader.LoadASCIIFromString(&gltf, &error, &warning, bytes.data(), size, folder);
    if (!guard.refused.empty()) {
      throw Fault{"A file outside the model's folder is not read:", guard.refused};
    }
    if (!loaded) {
      throw Fault{kDamaged, std::string(path) + (error.empty() ? "" : ": " + FirstLine(error))};
    }
    CheckImageNames(gltf);
    const std::string warnings = GltfBuilder(model, gltf, folder, stem).Run();
    if (!warnings.empty()) {
      model.host().ErrorBox("The glTF file was read with warnings:",
                            warnings.substr(0, warnings.size() - 1), Severity::Warning);
    }
    return true;
  } catch (const Fault& fault) {
    model.host().ErrorBox(fault.message, fault.detail, Severity::Error);
    return false;
  } catch (const std::exception&) {
    model.host().ErrorBox(kDamaged, path, Severity::Error);
    return false;
  }
}

}  // namespace

bool ImportGltf(Model& model, std::string_view path) {
  std::string bytes;
  if (!format::ReadWholeFile(path, bytes)) {
    model.host().ErrorBox("Could not open file:", path, Severity::Error);
    return false;
  }
  return Import(model, bytes, path);
}

bool ImportGltfBytes(Model& model, std::string_view bytes, std::string_view path) {
  return Import(model, bytes, path);
}

}  // namespace zmf::importers

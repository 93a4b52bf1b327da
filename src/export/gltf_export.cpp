// The glTF 2.0 exporter: the model turned into the glTF library's document, serialised to memory
// and written with atomic files.
#include "export/gltf_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <span>
#include <sstream>
#include <streambuf>
#include <tuple>

#include "anim/skeleton.h"
#include "edit/journal.h"
#include "export/png_encoder.h"
#include "format/atomic_file.h"
#include "format/file_text.h"
#include "format/gltf_library.h"
#include "material/bmp_decoder.h"
#include "material/jpeg_decoder.h"
#include "material/texels.h"

namespace zmf::exporters {
namespace {

constexpr int kFloat = TINYGLTF_COMPONENT_TYPE_FLOAT;

// ---- buffer and accessors

class GltfDocument {
 public:
  GltfDocument() {
    gltf_.asset.version = "2.0";
    gltf_.asset.generator = "ZmfEdit";
    gltf_.buffers.emplace_back();
  }
  tinygltf::Model& gltf() { return gltf_; }
  std::vector<unsigned char>& bytes() { return gltf_.buffers[0].data; }

  // Appends the bytes at a 4-byte boundary as a new buffer view; its index.
  int AddView(const void* data, std::size_t size, int target) {
    std::vector<unsigned char>& out = bytes();
    out.resize((out.size() + 3) & ~std::size_t{3});
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = out.size();
    view.byteLength = size;
    view.target = target;
    const auto* begin = static_cast<const unsigned char*>(data);
    out.insert(out.end(), begin, begin + size);
    gltf_.bufferViews.push_back(view);
    return static_cast<int>(gltf_.bufferViews.size()) - 1;
  }

  template <class T>
  int AddAccessor(std::span<const T> values, int componentType, int type, std::size_t count,
                  int target = 0) {
    tinygltf::Accessor accessor;
    accessor.bufferView = AddView(values.data(), values.size_bytes(), target);
    accessor.componentType = componentType;
    accessor.type = type;
    accessor.count = count;
    gltf_.accessors.push_back(accessor);
    return static_cast<int>(gltf_.accessors.size()) - 1;
  }

  int AddFloats(const std::vector<float>& values, int type, int components, int target = 0) {
    return AddAccessor(std::span<const float>(values), kFloat, type,
                       values.size() / std::size_t(components), target);
  }

 private:
  tinygltf::Model gltf_;
};

// ---- matrices

bool Finite(const Matrix4& m) {
  return std::all_of(m.m.begin(), m.m.end(), [](float value) { return std::isfinite(value); });
}

struct Trs {
  std::vector<double> translation{0.0, 0.0, 0.0};
  std::vector<double> rotation{0.0, 0.0, 0.0, 1.0};  // x, y, z, w
  std::vector<double> scale{1.0, 1.0, 1.0};
};

// Splits an affine matrix (ZMF storage: the columns are the images of the axes, the translation
// in 12..14) into translation, rotation and scale; a mirroring matrix gets a negative x scale.
// A matrix that is not finite gives the identity.
Trs Decompose(const Matrix4& m) {
  Trs trs;
  if (!Finite(m)) return trs;
  trs.translation = {m[12], m[13], m[14]};
  std::array<std::array<double, 3>, 3> axis{};  // axis[c][r]: column c, row r
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) axis[c][r] = m[4 * c + r];
  }
  const double det = axis[0][0] * (axis[1][1] * axis[2][2] - axis[2][1] * axis[1][2]) -
                     axis[1][0] * (axis[0][1] * axis[2][2] - axis[2][1] * axis[0][2]) +
                     axis[2][0] * (axis[0][1] * axis[1][2] - axis[1][1] * axis[0][2]);
  for (int c = 0; c < 3; ++c) {
    double length =
        std::sqrt(axis[c][0] * axis[c][0] + axis[c][1] * axis[c][1] + axis[c][2] * axis[c][2]);
    if (c == 0 && det < 0.0) length = -length;
    trs.scale[std::size_t(c)] = length;
    if (length == 0.0) {
      axis[c] = {0.0, 0.0, 0.0};
      axis[c][std::size_t(c)] = 1.0;
    } else {
      for (double& value : axis[c]) value /= length;
    }
  }
  // R(r, c) = axis[c][r]; the quaternion by the largest of its diagonal terms.
  auto R = [&axis](int r, int c) { return axis[std::size_t(c)][std::size_t(r)]; };
  const double trace = R(0, 0) + R(1, 1) + R(2, 2);
  double x, y, z, w;
  if (trace > 0.0) {
    const double s = 2.0 * std::sqrt(trace + 1.0);
    w = 0.25 * s;
    x = (R(2, 1) - R(1, 2)) / s;
    y = (R(0, 2) - R(2, 0)) / s;
    z = (R(1, 0) - R(0, 1)) / s;
  } else if (R(0, 0) > R(1, 1) && R(0, 0) > R(2, 2)) {
    const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + R(0, 0) - R(1, 1) - R(2, 2)));
    w = (R(2, 1) - R(1, 2)) / s;
    x = 0.25 * s;
    y = (R(0, 1) + R(1, 0)) / s;
    z = (R(0, 2) + R(2, 0)) / s;
  } else if (R(1, 1) > R(2, 2)) {
    const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + R(1, 1) - R(0, 0) - R(2, 2)));
    w = (R(0, 2) - R(2, 0)) / s;
    x = (R(0, 1) + R(1, 0)) / s;
    y = 0.25 * s;
    z = (R(1, 2) + R(2, 1)) / s;
  } else {
    const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + R(2, 2) - R(0, 0) - R(1, 1)));
    w = (R(1, 0) - R(0, 1)) / s;
    x = (R(0, 2) + R(2, 0)) / s;
    y = (R(1, 2) + R(2, 1)) / s;
    z = 0.25 * s;
  }
  const double length = std::sqrt(x * x + y * y + z * z + w * w);
  if (std::isfinite(length) && length > 0.0)
    trs.rotation = {x / length, y / length, z / length, w / length};
  return trs;
}

// The node's TRS, leaving out the parts that are the identity.
void SetNodeTransform(tinygltf::Node& node, const Trs& trs) {
  const Trs identity;
  if (trs.translation != identity.translation) node.translation = trs.translation;
  if (trs.rotation != identity.rotation) node.rotation = trs.rotation;
  if (trs.scale != identity.scale) node.scale = trs.scale;
}

// ---- mesh

int AddIndices(GltfDocument& doc, const std::vector<std::uint32_t>& indices, bool wide) {
  constexpr int kElements = TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER;
  if (wide) {
    return doc.AddAccessor(std::span<const std::uint32_t>(indices),
                           TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                           indices.size(), kElements);
  }
  std::vector<std::uint16_t> narrow(indices.begin(), indices.end());
  return doc.AddAccessor(std::span<const std::uint16_t>(narrow),
                         TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR,
                         narrow.size(), kElements);
}

// The vertex attributes, shared by every primitive; vertices are numbered in list order (the
// ids RenumberIds gave them).
std::map<std::string, int> AddVertexAttributes(GltfDocument& doc, const Model& model) {
  const std::size_t n = model.vertices.count();
  std::vector<float> positions, normals, coordinates;
  positions.reserve(n * 3);
  normals.reserve(n * 3);
  coordinates.reserve(n * 2);
  std::vector<double> low(3, std::numeric_limits<double>::infinity());
  std::vector<double> high(3, -std::numeric_limits<double>::infinity());
  for (const Vertex* v : model.vertices) {
    const std::array<float, 3> p{v->position.x, v->position.y, v->position.z};
    for (std::size_t i = 0; i < 3; ++i) {
      positions.push_back(p[i]);
      low[i] = std::min(low[i], double(p[i]));
      high[i] = std::max(high[i], double(p[i]));
    }
    Vector3 normal = v->normal;
    const float length = Length(normal);
    normal = std::isfinite(length) && length > 0.0f ? normal / length : Vector3{0.0f, 1.0f, 0.0f};
    normals.insert(normals.end(), {normal.x, normal.y, normal.z});
    coordinates.insert(coordinates.end(), {v->u, v->v});
  }
  std::map<std::string, int> attributes;
  constexpr int kArray = TINYGLTF_TARGET_ARRAY_BUFFER;
  attributes["POSITION"] = doc.AddFloats(positions, TINYGLTF_TYPE_VEC3, 3, kArray);
  doc.gltf().accessors.back().minValues = low;
  doc.gltf().accessors.back().maxValues = high;
  attributes["NORMAL"] = doc.AddFloats(normals, TINYGLTF_TYPE_VEC3, 3, kArray);
  attributes["TEXCOORD_0"] = doc.AddFloats(coordinates, TINYGLTF_TYPE_VEC2, 2, kArray);
  return attributes;
}

// ---- materials and textures

bool StartsWith(std::string_view bytes, std::string_view magic) {
  return bytes.substr(0, magic.size()) == magic;
}

std::string FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash));
}

std::string StemOf(std::string_view path) {
  std::string name = FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

bool AlphaAsInFile(std::uint32_t mode) {
  return mode == material::kAlphaNone || mode == material::kAlphaInFile ||
         mode > material::kAlphaConstant;
}

// A picture as glTF may hold it: the bytes and their MIME type; empty when unreadable.
struct Picture {
  std::string bytes;
  std::string mimeType;
  bool copiedAsIs = false;  // the file's own bytes
};

Picture PictureFor(const Material& m) {
  std::string file;
  if (!format::ReadWholeFile(m.textureFile, file)) return {};
  const bool png = StartsWith(file, "\x89PNG\r\n\x1a\n");
  const bool jpeg = StartsWith(file, "\xFF\xD8\xFF");
  if ((png || jpeg) && AlphaAsInFile(m.alphaMode)) {
    return {std::move(file), png ? "image/png" : "image/jpeg", true};
  }
  // Anything else becomes the texels ZMF draws, alpha made by the mode, as a PNG.
  material::SourceImage source;
  const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
  const material::DecodeStatus status =
      jpeg ? material::DecodeJpeg(bytes, source) : material::DecodeBmp(bytes, source);
  if (status != material::DecodeStatus::Ok) return {};
  material::TextureImage texels;
  if (!material::BuildTexels(source, m.alphaMode, m.alphaValue, texels)) return {};
  // The texels store three quarters of the alpha (opaque is 191): back to the full range.
  for (std::size_t i = 3; i < texels.rgba.size(); i += 4) {
    texels.rgba[i] = static_cast<std::uint8_t>(std::min(255, (texels.rgba[i] * 4 + 1) / 3));
  }
  std::string encoded = EncodePng(texels.width, texels.height, texels.rgba);
  if (encoded.empty()) return {};
  return {std::move(encoded), "image/png", false};
}

class MaterialWriter {
 public:
  MaterialWriter(GltfDocument& doc, std::string_view path, bool binary, GltfFiles& files)
      : doc_(doc), folder_(FolderOf(path)), stem_(StemOf(path)), binary_(binary), files_(files) {}

  // The glTF material for ZMF material m; its index.
  int Add(const Material& m) {
    tinygltf::Material out;
    out.name = m.name.str();
    auto unit = [](float value) {
      return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
    };
    out.pbrMetallicRoughness.baseColorFactor = {unit(m.diffuse[0]), unit(m.diffuse[1]),
                                                unit(m.diffuse[2]), unit(m.diffuse[3])};
    out.pbrMetallicRoughness.metallicFactor = 0.0;
    const double exponent = std::min<double>(m.shininess, 1e9);
    out.pbrMetallicRoughness.roughnessFactor = std::sqrt(std::sqrt(2.0 / (exponent + 2.0)));
    out.emissiveFactor = {unit(m.emission[0]), unit(m.emission[1]), unit(m.emission[2])};
    // What a glTF material has no place for, kept for the editor's own import: the ambient and
    // specular colours and the exact shininess.
    auto colour = [](const Colour& c) {
      tinygltf::Value::Array values;
      for (float x : c) values.emplace_back(std::isfinite(x) ? double(x) : 0.0);
      return tinygltf::Value(std::move(values));
    };
    tinygltf::Value::Object extras;
    extras["zmfAmbient"] = colour(m.ambient);
    extras["zmfSpecular"] = colour(m.specular);
    extras["zmfShininess"] = tinygltf::Value(static_cast<int>(std::min<double>(m.shininess, 1e9)));
    out.extras = tinygltf::Value(std::move(extras));
    const int texture = m.hasTexture != 0 && !m.textureFile.empty() ? TextureFor(m) : -1;
    out.pbrMetallicRoughness.baseColorTexture.index = texture;
    const std::uint32_t mode = m.alphaMode;
    if (mode == material::kAlphaNone) {
      out.alphaMode = "OPAQUE";
    } else if (texture >= 0 &&
               (mode == material::kAlphaBlackMask || mode == material::kAlphaWhiteMask ||
                mode == material::kAlphaFirstPixel)) {
      out.alphaMode = "MASK";
      out.alphaCutoff = 0.5;
    } else {
      out.alphaMode = texture >= 0 || unit(m.diffuse[3]) < 1.0f ? "BLEND" : "OPAQUE";
    }
    doc_.gltf().materials.push_back(out);
    return static_cast<int>(doc_.gltf().materials.size()) - 1;
  }

 private:
  int TextureFor(const Material& m) {
    const auto key = std::make_tuple(m.textureFile, m.alphaMode, m.alphaValue);
    if (const auto found = textures_.find(key); found != textures_.end()) return found->second;
    Picture picture = PictureFor(m);
    int texture = -1;
    if (!picture.bytes.empty()) {
      tinygltf::Model& gltf = doc_.gltf();
      tinygltf::Image image;
      image.name = StemOf(m.textureFile);
      image.mimeType = picture.mimeType;
      if (binary_) {
        image.bufferView = doc_.AddView(picture.bytes.data(), picture.bytes.size(), 0);
      } else if (picture.copiedAsIs && FolderOf(m.textureFile) == folder_) {
        image.uri = FileNameOf(m.textureFile);  // already beside the .gltf
      } else {
        image.uri = stem_ + "_" + std::to_string(gltf.images.size()) +
                    (picture.mimeType == "image/png" ? ".png" : ".jpg");
        files_.images.emplace_back(image.uri, std::move(picture.bytes));
      }
      gltf.images.push_back(image);
      if (gltf.samplers.empty()) {
        tinygltf::Sampler sampler;  // linear filtering, repeating, as the viewport draws
        sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
        sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
        gltf.samplers.push_back(sampler);
      }
      tinygltf::Texture out;
      out.sampler = 0;
      out.source = static_cast<int>(gltf.images.size()) - 1;
      gltf.textures.push_back(out);
      texture = static_cast<int>(gltf.textures.size()) - 1;
    }
    textures_[key] = texture;
    return texture;
  }

  GltfDocument& doc_;
  std::string folder_;
  std::string stem_;
  bool binary_;
  GltfFiles& files_;
  std::map<std::tuple<std::string, std::uint32_t, float>, int> textures_;
};

// ---- skeleton

// Bone b's node is firstBoneNode + b; returns the joints' rest world inverses (bind matrices).
std::vector<Matrix4> AddBoneNodes(tinygltf::Model& gltf, const Model& model, int firstBoneNode,
                                  std::vector<int>& sceneNodes) {
  const std::uint32_t n = model.boneCount;
  // A bone reaches the scene through its parents in at most n steps; one that does not (a
  // parent loop) is put at the scene root.
  std::vector<bool> rooted(n, false);
  std::vector<int> depth(n, 0);
  for (std::uint32_t b = 0; b < n; ++b) {
    std::int32_t at = static_cast<std::int32_t>(b);
    std::uint32_t steps = 0;
    while (steps <= n && model.HasBone(model.bones[at].parent)) {
      at = model.bones[at].parent;
      ++steps;
    }
    rooted[b] = steps > n || !model.HasBone(model.bones[b].parent);
    depth[b] = steps > n ? 0 : static_cast<int>(steps);
  }
  for (std::uint32_t b = 0; b < n; ++b) {
    const Bone& bone = model.bones[b];
    tinygltf::Node node;
    node.name = bone.name.str();
    const std::optional<Matrix4> rest = anim::Inverse(bone.localMatrix);
    SetNodeTransform(node, Decompose(rest.value_or(Matrix4::Identity())));
    gltf.nodes.push_back(node);
  }
  for (std::uint32_t b = 0; b < n; ++b) {
    if (rooted[b]) {
      sceneNodes.push_back(firstBoneNode + static_cast<int>(b));
    } else {
      gltf.nodes[std::size_t(firstBoneNode + model.bones[b].parent)].children.push_back(
          firstBoneNode + static_cast<int>(b));
    }
  }
  // Bind matrices parent first: Compose(parent's bind, local), as the hierarchy evaluates them.
  std::vector<std::uint32_t> order(n);
  for (std::uint32_t b = 0; b < n; ++b) order[b] = b;
  std::stable_sort(order.begin(), order.end(),
                   [&depth](std::uint32_t x, std::uint32_t y) { return depth[x] < depth[y]; });
  std::vector<Matrix4> bind(n, Matrix4::Identity());
  for (const std::uint32_t b : order) {
    const Bone& bone = model.bones[b];
    bind[b] = rooted[b] ? bone.localMatrix
                        : anim::Compose(bind[std::size_t(bone.parent)], bone.localMatrix);
  }
  return bind;
}

// JOINTS_0 and WEIGHTS_0: each vertex's four largest weights, renormalised; a vertex no bone
// holds goes wholly to `stillJoint`. Counts the weights left out.
void AddWeights(GltfDocument& doc, const Model& model, std::map<std::string, int>& attributes,
                std::uint8_t stillJoint, bool& usesStillJoint, std::size_t& dropped) {
  const std::size_t n = model.vertices.count();
  struct Slots {
    std::array<float, 4> weight{};
    std::array<std::uint8_t, 4> joint{};
    std::uint8_t count = 0;
  };
  std::vector<Slots> slots(n);
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    for (const VertexWeight* entry : model.bones[b].weights) {
      const float w = entry->weight;
      if (entry->vertex == nullptr || !(w > 0.0f) || !std::isfinite(w)) continue;
      const std::uint32_t id = entry->vertex->id;
      if (id >= n) continue;
      Slots& s = slots[id];
      if (s.count == 4) {
        ++dropped;
        // Replaces the smallest when this one is larger.
        const auto smallest = std::min_element(s.weight.begin(), s.weight.end());
        if (w <= *smallest) continue;
        const auto k = static_cast<std::size_t>(smallest - s.weight.begin());
        s.weight[k] = w;
        s.joint[k] = static_cast<std::uint8_t>(b);
        continue;
      }
      s.weight[s.count] = w;
      s.joint[s.count] = static_cast<std::uint8_t>(b);
      ++s.count;
    }
  }
  std::vector<std::uint8_t> joints;
  std::vector<float> weights;
  joints.reserve(n * 4);
  weights.reserve(n * 4);
  for (Slots& s : slots) {
    if (s.count == 0) {
      usesStillJoint = true;
      s.joint[0] = stillJoint;
      s.weight[0] = 1.0f;
    }
    float sum = 0.0f;
    for (const float w : s.weight) sum += w;
    for (std::size_t k = 0; k < 4; ++k) {
      joints.push_back(s.joint[k]);
      weights.push_back(s.weight[k] / sum);
    }
  }
  constexpr int kArray = TINYGLTF_TARGET_ARRAY_BUFFER;
  attributes["JOINTS_0"] =
      doc.AddAccessor(std::span<const std::uint8_t>(joints), TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                      TINYGLTF_TYPE_VEC4, n, kArray);
  attributes["WEIGHTS_0"] = doc.AddFloats(weights, TINYGLTF_TYPE_VEC4, 4, kArray);
}

// ---- animations

void AddAnimation(GltfDocument& doc, const Model& model, const Animation& animation,
                  int firstBoneNode) {
  tinygltf::Animation out;
  out.name = animation.name.str();
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    std::vector<float> times, translations, rotations, scales;
    bool scaled = false;
    std::array<double, 4> previous{0.0, 0.0, 0.0, 1.0};
    for (std::uint32_t k = 0; k < animation.keyCount; ++k) {
      const AnimKey& key = animation.keys[k];
      const KeyBone* found = nullptr;
      for (std::uint32_t j = 0; j < key.keyBoneCount && found == nullptr; ++j) {
        if (key.keyBones[j].boneIndex == b) found = &key.keyBones[j];
      }
      if (found == nullptr || !std::isfinite(key.time) || key.time < 0.0f) continue;
      if (!times.empty() && !(key.time > times.back())) continue;
      times.push_back(key.time);
      Trs trs = Decompose(found->matrix);
      // The shorter way round from the previous sample.
      double dot = 0.0;
      for (std::size_t i = 0; i < 4; ++i) dot += trs.rotation[i] * previous[i];
      if (dot < 0.0) {
        for (double& value : trs.rotation) value = -value;
      }
      std::copy(trs.rotation.begin(), trs.rotation.end(), previous.begin());
      for (std::size_t i = 0; i < 3; ++i) {
        translations.push_back(static_cast<float>(trs.translation[i]));
        scales.push_back(static_cast<float>(trs.scale[i]));
        scaled = scaled || std::fabs(trs.scale[i] - 1.0) > 1e-5;
      }
      for (const double value : trs.rotation) rotations.push_back(static_cast<float>(value));
    }
    if (times.empty()) continue;
    const int input = doc.AddFloats(times, TINYGLTF_TYPE_SCALAR, 1);
    doc.gltf().accessors[std::size_t(input)].minValues = {times.front()};
    doc.gltf().accessors[std::size_t(input)].maxValues = {times.back()};
    auto channel = [&](const std::vector<float>& values, int type, int components,
                       const char* path) {
      tinygltf::AnimationSampler sampler;
      sampler.input = input;
      sampler.output = doc.AddFloats(values, type, components);
      sampler.interpolation = "LINEAR";
      out.samplers.push_back(sampler);
      tinygltf::AnimationChannel c;
      c.sampler = static_cast<int>(out.samplers.size()) - 1;
      c.target_node = firstBoneNode + static_cast<int>(b);
      c.target_path = path;
      out.channels.push_back(c);
    };
    channel(translations, TINYGLTF_TYPE_VEC3, 3, "translation");
    channel(rotations, TINYGLTF_TYPE_VEC4, 4, "rotation");
    if (scaled) channel(scales, TINYGLTF_TYPE_VEC3, 3, "scale");
  }
  if (!out.channels.empty()) doc.gltf().animations.push_back(out);
}

// ---- the document

void BuildDocument(GltfDocument& doc, const Model& model, std::string_view path, bool binary,
                   GltfFiles& files) {
  tinygltf::Model& gltf = doc.gltf();
  tinygltf::Mesh mesh;
  mesh.name = StemOf(path);
  // Room for the vertex attributes, weights and indices, so that the buffer is not moved.
  const std::size_t n = model.vertices.count();
  doc.bytes().reserve(n * (32 + (model.boneCount > 0 ? 20 : 0)) + model.faces.count() * 12 + 4096);
  std::map<std::string, int> attributes = AddVertexAttributes(doc, model);

  // Faces by material, in list order.
  std::array<std::vector<std::uint32_t>, kMaxMaterials> indices;
  for (const Face* f : model.faces) {
    if (!f->HasAllCorners()) continue;
    const std::uint32_t m = f->material < model.materialCount ? f->material : 0;
    indices[m].insert(indices[m].end(), {f->a->id, f->b->id, f->c->id});
  }

  std::vector<int> sceneNodes;
  tinygltf::Node meshNode;
  meshNode.name = mesh.name;
  meshNode.mesh = 0;
  gltf.nodes.push_back(meshNode);
  sceneNodes.push_back(0);

  if (model.boneCount > 0) {
    constexpr int kFirstBoneNode = 1;
    const std::vector<Matrix4> bind = AddBoneNodes(gltf, model, kFirstBoneNode, sceneNodes);
    tinygltf::Skin skin;
    for (std::uint32_t b = 0; b < model.boneCount; ++b) {
      skin.joints.push_back(kFirstBoneNode + static_cast<int>(b));
    }
    bool usesStillJoint = false;
    const auto stillJoint = static_cast<std::uint8_t>(model.boneCount);
    AddWeights(doc, model, attributes, stillJoint, usesStillJoint, files.droppedWeights);
    std::vector<float> inverseBinds;
    for (const Matrix4& m : bind) inverseBinds.insert(inverseBinds.end(), m.m.begin(), m.m.end());
    if (usesStillJoint) {
      tinygltf::Node still;
      still.name = "unweighted";
      gltf.nodes.push_back(still);
      sceneNodes.push_back(static_cast<int>(gltf.nodes.size()) - 1);
      skin.joints.push_back(static_cast<int>(gltf.nodes.size()) - 1);
      const Matrix4 identity = Matrix4::Identity();
      inverseBinds.insert(inverseBinds.end(), identity.m.begin(), identity.m.end());
    }
    skin.inverseBindMatrices = doc.AddFloats(inverseBinds, TINYGLTF_TYPE_MAT4, 16);
    gltf.skins.push_back(skin);
    gltf.nodes[0].skin = 0;
    for (std::uint32_t a = 0; a < model.animationCount; ++a) {
      AddAnimation(doc, model, model.animation(a), kFirstBoneNode);
    }
  }

  MaterialWriter materials(doc, path, binary, files);
  const bool wide = model.vertices.count() > 65535;
  for (std::uint32_t m = 0; m < kMaxMaterials; ++m) {
    if (indices[m].empty()) continue;
    tinygltf::Primitive primitive;
    primitive.attributes = attributes;
    primitive.indices = AddIndices(doc, indices[m], wide);
    primitive.material = materials.Add(model.materials[m]);
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    mesh.primitives.push_back(primitive);
  }
  if (mesh.primitives.empty()) {
    // Vertices without faces: points keep them in the file.
    tinygltf::Primitive points;
    points.attributes = attributes;
    points.mode = TINYGLTF_MODE_POINTS;
    mesh.primitives.push_back(points);
  }
  gltf.meshes.push_back(mesh);

  tinygltf::Scene scene;
  scene.nodes = sceneNodes;
  gltf.scenes.push_back(scene);
  gltf.defaultScene = 0;
}

// The 4-byte little-endian number at `at` of the GLB.
std::uint32_t Word(std::string_view glb, std::size_t at) {
  std::uint32_t value = 0;
  if (at + 4 <= glb.size()) std::memcpy(&value, glb.data() + at, 4);
  return value;
}

bool WriteFile(std::string_view path, std::string_view bytes) {
  format::AtomicFile file(path);
  return file.Open() && file.Write(bytes) && file.Commit();
}

// A stream into an atomic file, so that the library's serialisation goes straight to it.
class AtomicFileBuffer : public std::streambuf {
 public:
  explicit AtomicFileBuffer(format::AtomicFile& file) : file_(file) {}

 protected:
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    return file_.Write(std::string_view(bytes, std::size_t(count))) ? count : 0;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return file_.Write(std::string_view(&byte, 1)) ? c : traits_type::eof();
  }

 private:
  format::AtomicFile& file_;
};

bool IsGlb(std::string_view path) {
  const std::string_view extension =
      path.substr(path.size() - std::min<std::size_t>(4, path.size()));
  return extension.size() == 4 && extension[0] == '.' && (extension[1] | 0x20) == 'g' &&
         (extension[2] | 0x20) == 'l' && (extension[3] | 0x20) == 'b';
}

// The library's binary form, which keeps the buffer out of the JSON.
bool WriteGlb(GltfDocument& doc, std::ostream& out) {
  tinygltf::TinyGLTF writer;
  return writer.WriteGltfSceneToStream(&doc.gltf(), out, false, true) && out.good();
}

}  // namespace

bool BuildGltf(Model& model, std::string_view path, GltfFiles& files) {
  if (model.vertices.count() == 0) return false;
  const bool binary = IsGlb(path);
  files = GltfFiles{};
  edit::RenumberIds(model);
  GltfDocument doc;
  BuildDocument(doc, model, path, binary, files);
  std::ostringstream stream;
  if (!WriteGlb(doc, stream)) return false;
  std::string glb = std::move(stream).str();
  if (binary) {
    files.main = std::move(glb);
    return true;
  }
  // The JSON chunk, with the buffer named as the file beside it.
  const std::uint32_t jsonLength = Word(glb, 12);
  nlohmann::json json = nlohmann::json::parse(glb.substr(20, jsonLength), nullptr, false);
  if (json.is_discarded()) return false;
  const std::string bin = StemOf(path) + ".bin";
  json["buffers"][0]["uri"] = bin;
  files.main = json.dump(2) + "\n";
  const std::vector<unsigned char>& bytes = doc.bytes();
  files.buffer.assign(bytes.begin(), bytes.end());
  return true;
}

bool ExportGltf(Model& model, std::string_view path) {
  if (model.vertices.count() == 0) return false;
  GltfFiles files;
  bool written = false;
  if (IsGlb(path)) {
    // Straight into the file: a large model is not held twice more in memory.
    edit::RenumberIds(model);
    GltfDocument doc;
    BuildDocument(doc, model, path, true, files);
    format::AtomicFile file(path);
    AtomicFileBuffer buffer(file);
    std::ostream out(&buffer);
    written = file.Open() && WriteGlb(doc, out) && file.Commit();
  } else if (BuildGltf(model, path, files)) {
    std::string folder = FolderOf(path);
    if (!folder.empty()) folder += path[folder.size()];
    written = WriteFile(folder + StemOf(path) + ".bin", files.buffer);
    for (const auto& [name, bytes] : files.images) {
      written = written && WriteFile(folder + name, bytes);
    }
    written = written && WriteFile(path, files.main);
  }
  if (!written) model.host().ErrorBox("Could not write to file:", path, Severity::Error);
  return written;
}

}  // namespace zmf::exporters

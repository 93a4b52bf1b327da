// The MD5 mesh importer: a parser reads the text into joints and meshes, a converter makes bones,
// vertices with their bone weights, and faces from them.
//
// Section index
//   parsed records ........ joints, meshes and what the parser keeps of them
//   parser ................ lines, patterns, joints blocks, mesh blocks
//   converter ............. weight ranges, bones, meshes, the hierarchy
//   entry points .......... ImportMd5Mesh, ImportMd5MeshFrom
//
// The text is read line by line and each line matched against the format's patterns with the
// rules of formatted input: a blank skips any white space, a number takes the longest number
// there. Malformed input never leaves an array or builds more than the text could describe:
// entries whose index lies outside their array are dropped; a mesh's arrays are given at most as
// many entries, all meshes together, as the text has room for lines; weight ranges are cut to the
// weights that exist; a triangle on a vertex outside its own mesh is dropped; joints beyond the
// 128 bones still place vertices but hold none; and a skeleton whose parents do not make one tree
// is dropped with its weights.
#include "importers/md5_mesh.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "anim/skeleton.h"
#include "edit/journal.h"
#include "format/file_text.h"
#include "format/number_text.h"
#include "model/progress.h"

namespace zmf::importers {
namespace {

// ---- parsed records

constexpr std::size_t kJointNameLength = 63;
constexpr std::size_t kShaderLength = 255;
// The shortest line that can fill an entry of a mesh's arrays ("tri0 0 0 0" with its line end).
constexpr std::size_t kShortestEntryLine = 8;
// Vertices with at most this many weights are summed weight by weight; longer ranges (which
// exporters never write) are answered from running sums, so that no file makes the import slow.
constexpr std::int64_t kShortRange = 64;

struct Quaternion {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 0.0f;
};

struct Joint {
  std::string_view name;  // the token as read, quotes included
  std::int32_t parent = 0;
  Vector3 position;
  Quaternion orientation;
};

struct MeshVertex {
  float s = 0.0f;
  float t = 0.0f;
  std::int32_t firstWeight = 0;
  std::int32_t weightCount = 0;
};

struct Triangle {
  std::array<std::int32_t, 3> corners{};
};

struct Weight {
  std::int32_t joint = 0;
  float bias = 0.0f;
  Vector3 position;
};

struct Mesh {
  std::string_view shader;
  std::vector<MeshVertex> vertices;
  std::vector<Triangle> triangles;
  std::vector<Weight> weights;
};

struct Md5Data {
  std::int64_t jointCount = 0;  // as declared
  std::vector<Joint> joints;    // as far as the joints blocks went; later joints are zero
  std::vector<Mesh> meshes;     // the mesh blocks, at most as many as declared

  // The joint, or null for an index outside the declared joints.
  const Joint* JointAt(std::int64_t index) const {
    static const Joint kZero;
    if (index < 0 || index >= jointCount) return nullptr;
    return static_cast<std::size_t>(index) < joints.size() ? &joints[index] : &kZero;
  }
};

// ---- parser

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One line matched item by item against a pattern. Every item first skips white space, as the
// blank before each item of the format's patterns does; once an item fails, the rest fail too.
class LineMatch {
 public:
  explicit LineMatch(std::string_view line) : rest_(line) {}

  bool ok() const { return ok_; }

  LineMatch& Text(std::string_view text) {
    SkipBlanks();
    if (ok_ && rest_.starts_with(text)) {
      rest_.remove_prefix(text.size());
    } else {
      ok_ = false;
    }
    return *this;
  }

  // "%d": a sign and digits; values beyond 32 bits are held at the nearest end.
  LineMatch& Int(std::int32_t& value) { return Number(format::ParseIntPrefix, value); }

  // "%f".
  LineMatch& Float(float& value) { return Number(format::ParseFloatPrefix, value); }

  // "%s": a run of characters that are not white space.
  LineMatch& Word(std::string_view& word) {
    SkipBlanks();
    std::size_t end = 0;
    while (end < rest_.size() && !IsBlank(rest_[end])) ++end;
    if (!ok_ || end == 0) {
      ok_ = false;
      return *this;
    }
    word = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return *this;
  }

 private:
  template <class T>
  LineMatch& Number(std::size_t (*parse)(std::string_view, T&), T& value) {
    SkipBlanks();
    const std::size_t used = ok_ ? parse(rest_, value) : 0;
    if (used == 0) ok_ = false;
    rest_.remove_prefix(used);
    return *this;
  }

  void SkipBlanks() {
    while (!rest_.empty() && IsBlank(rest_.front())) rest_.remove_prefix(1);
  }

  std::string_view rest_;
  bool ok_ = true;
};

class Md5Parser {
 public:
  // Counts the characters read on `progress`.
  Md5Parser(std::string_view text, Md5Data& data, ProgressMeter& progress)
      : text_(text),
        data_(data),
        room_(text.size() / kShortestEntryLine + 1),
        progress_(progress) {}

  // False when the file declares a version other than 10; `version` then holds it.
  bool Run(std::int32_t& version) {
    std::string_view line;
    while (NextLine(line)) {
      std::int32_t n = 0;
      if (LineMatch(line).Text("MD5Version").Int(n).ok()) {
        if (n != 10) {
          version = n;
          return false;
        }
      } else if (LineMatch(line).Text("numJoints").Int(n).ok()) {
        if (n > 0) {
          data_.jointCount = n;
          data_.joints.clear();
        }
      } else if (LineMatch(line).Text("numMeshes").Int(n).ok()) {
        if (n > 0) {
          meshCount_ = n;
          data_.meshes.clear();
        }
      } else if (line.starts_with("joints {")) {
        ReadJoints();
      } else if (line.starts_with("mesh {")) {
        ReadMesh();
      }
    }
    return true;
  }

 private:
  // The next line without its line end; false at the end of the text.
  bool NextLine(std::string_view& line) {
    if (at_ >= text_.size()) return false;
    progress_.Step(at_);
    const std::size_t end = std::min(text_.find('\n', at_), text_.size());
    line = text_.substr(at_, end - at_);
    at_ = std::min(end + 1, text_.size());  // a last line without a line end ends at the end
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

  // The next jointCount lines, one joint each: a line that does not match leaves its joint zero.
  void ReadJoints() {
    std::string_view line;
    for (std::int64_t i = 0; i < data_.jointCount && NextLine(line); ++i) {
      Joint joint;
      Vector3& p = joint.position;
      Quaternion& q = joint.orientation;
      if (!LineMatch(line)
               .Word(joint.name)
               .Int(joint.parent)
               .Text("(")
               .Float(p.x)
               .Float(p.y)
               .Float(p.z)
               .Text(")")
               .Text("(")
               .Float(q.x)
               .Float(q.y)
               .Float(q.z)
               .ok()) {
        continue;
      }
      joint.name = joint.name.substr(0, kJointNameLength);
      const float radicand = 1.0f - q.x * q.x - q.y * q.y - q.z * q.z;
      q.w = radicand < 0.0f ? 0.0f : -std::sqrt(radicand);
      if (data_.joints.size() <= static_cast<std::size_t>(i)) data_.joints.resize(i + 1);
      data_.joints[i] = joint;
    }
  }

  // The lines up to one that starts with "}". Blocks beyond the declared meshes are passed over.
  void ReadMesh() {
    Mesh* mesh = static_cast<std::int64_t>(data_.meshes.size()) < meshCount_
                     ? &data_.meshes.emplace_back()
                     : nullptr;
    std::string_view line;
    while (NextLine(line) && !line.starts_with("}")) {
      if (mesh != nullptr) ReadMeshLine(*mesh, line);
    }
  }

  // The first pattern that matches decides.
  void ReadMeshLine(Mesh& mesh, std::string_view line) {
    if (line.find("shader ") != std::string_view::npos) {
      // Between the first and the second double quote (or the line's end when there is none).
      const std::size_t open = line.find('"');
      if (open == std::string_view::npos) return;
      const std::size_t close = line.find('"', open + 1);
      const std::size_t length = close == std::string_view::npos ? line.size() : close - open - 1;
      mesh.shader = line.substr(open + 1, std::min(length, kShaderLength));
      return;
    }
    std::int32_t n = 0;
    if (LineMatch(line).Text("numverts").Int(n).ok()) {
      Allocate(mesh.vertices, n);
    } else if (LineMatch(line).Text("numtris").Int(n).ok()) {
      Allocate(mesh.triangles, n);
    } else if (LineMatch(line).Text("numweights").Int(n).ok()) {
      Allocate(mesh.weights, n);
    } else if (MeshVertex v; LineMatch(line)
                                 .Text("vert")
                                 .Int(n)
                                 .Text("(")
                                 .Float(v.s)
                                 .Float(v.t)
                                 .Text(")")
                                 .Int(v.firstWeight)
                                 .Int(v.weightCount)
                                 .ok()) {
      Store(mesh.vertices, n, v);
    } else if (Triangle t; LineMatch(line)
                               .Text("tri")
                               .Int(n)
                               .Int(t.corners[0])
                               .Int(t.corners[1])
                               .Int(t.corners[2])
                               .ok()) {
      Store(mesh.triangles, n, t);
    } else if (Weight w; LineMatch(line)
                             .Text("weight")
                             .Int(n)
                             .Int(w.joint)
                             .Float(w.bias)
                             .Text("(")
                             .Float(w.position.x)
                             .Float(w.position.y)
                             .Float(w.position.z)
                             .ok()) {
      Store(mesh.weights, n, w);
    }
  }

  // A fresh zeroed array of `count` entries, or of as many as the text still has room for.
  template <class T>
  void Allocate(std::vector<T>& entries, std::int32_t count) {
    room_ += entries.size();
    const std::size_t n = count > 0 ? std::min<std::size_t>(count, room_) : 0;
    room_ -= n;
    entries.assign(n, T{});
  }

  template <class T>
  static void Store(std::vector<T>& entries, std::int32_t index, const T& entry) {
    if (index >= 0 && static_cast<std::size_t>(index) < entries.size()) entries[index] = entry;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  Md5Data& data_;
  std::int64_t meshCount_ = 0;
  std::size_t room_;  // entries the meshes' arrays may still be given
  ProgressMeter& progress_;
};

// ---- converter

// The bones a vertex's weights name, one bit each.
struct BoneMask {
  std::array<std::uint64_t, 2> bits{};

  void Add(std::int32_t bone) { bits[bone >> 6] |= std::uint64_t{1} << (bone & 63); }
  BoneMask& operator|=(const BoneMask& other) {
    bits[0] |= other.bits[0];
    bits[1] |= other.bits[1];
    return *this;
  }
  int Count() const { return std::popcount(bits[0]) + std::popcount(bits[1]); }
};

// p turned by q: q·p·q⁻¹, with q⁻¹ the conjugate made unit length (left as it is when it has no
// length, so a zero orientation turns every point into the origin).
Vector3 Turn(const Quaternion& q, const Vector3& p) {
  const Quaternion qp{q.w * p.x + q.y * p.z - q.z * p.y, q.w * p.y + q.z * p.x - q.x * p.z,
                      q.w * p.z + q.x * p.y - q.y * p.x, -q.x * p.x - q.y * p.y - q.z * p.z};
  Quaternion inv{-q.x, -q.y, -q.z, q.w};
  const float length = std::sqrt(inv.x * inv.x + inv.y * inv.y + inv.z * inv.z + inv.w * inv.w);
  if (length > 0.0f) {
    inv.x /= length;
    inv.y /= length;
    inv.z /= length;
    inv.w /= length;
  }
  return {qp.w * inv.x + qp.x * inv.w + qp.y * inv.z - qp.z * inv.y,
          qp.w * inv.y - qp.x * inv.z + qp.y * inv.w + qp.z * inv.x,
          qp.w * inv.z + qp.x * inv.y - qp.y * inv.x + qp.z * inv.w};
}

// What a range of a mesh's weights gives a vertex: the sum of their shares of its position and
// the bones they name.
class WeightRanges {
 public:
  WeightRanges(const Md5Data& data, const Mesh& mesh, std::uint32_t boneCount) {
    shares_.reserve(mesh.weights.size());
    bones_.reserve(mesh.weights.size());
    for (const Weight& w : mesh.weights) {
      const Joint* joint = data.JointAt(w.joint);
      if (joint == nullptr) {
        shares_.push_back({});
        bones_.push_back(kNoBone);
        continue;
      }
      shares_.push_back((joint->position + Turn(joint->orientation, w.position)) * w.bias);
      bones_.push_back(static_cast<std::uint32_t>(w.joint) < boneCount ? w.joint : kNoBone);
    }
  }

  void Sum(std::int64_t first, std::int64_t count, Vector3& position, BoneMask& bones) {
    const auto size = static_cast<std::int64_t>(shares_.size());
    const std::int64_t begin = std::max<std::int64_t>(first, 0);
    const std::int64_t end = std::min(first + std::max<std::int64_t>(count, 0), size);
    position = {};
    bones = {};
    if (end <= begin) return;
    if (end - begin <= kShortRange) {
      for (std::int64_t i = begin; i < end; ++i) {
        position += shares_[i];
        if (bones_[i] != kNoBone) bones.Add(bones_[i]);
      }
      return;
    }
    if (tree_.empty()) BuildLongRangeTables();
    const std::array<double, 3>& lo = sums_[begin];
    const std::array<double, 3>& hi = sums_[end];
    position = {static_cast<float>(hi[0] - lo[0]), static_cast<float>(hi[1] - lo[1]),
                static_cast<float>(hi[2] - lo[2])};
    for (std::int64_t l = begin + size, r = end + size; l < r; l >>= 1, r >>= 1) {
      if (l & 1) bones |= tree_[l++];
      if (r & 1) bones |= tree_[--r];
    }
  }

 private:
  // Running sums of the shares, and a tree whose node k holds the bones of nodes 2k and 2k + 1
  // (the weights themselves are the nodes from `size` on).
  void BuildLongRangeTables() {
    const std::size_t size = shares_.size();
    sums_.assign(size + 1, {});
    for (std::size_t i = 0; i < size; ++i) {
      sums_[i + 1] = {sums_[i][0] + shares_[i].x, sums_[i][1] + shares_[i].y,
                      sums_[i][2] + shares_[i].z};
    }
    tree_.assign(2 * size, {});
    for (std::size_t i = 0; i < size; ++i) {
      if (bones_[i] != kNoBone) tree_[size + i].Add(bones_[i]);
    }
    for (std::size_t k = size; k-- > 1;) (tree_[k] = tree_[2 * k]) |= tree_[2 * k + 1];
  }

  std::vector<Vector3> shares_;  // bias × (joint position + the weight's position turned)
  std::vector<std::int32_t> bones_;
  std::vector<std::array<double, 3>> sums_;
  std::vector<BoneMask> tree_;
};

// One bone per joint, up to the table's size, placed relative to its parent joint. The links
// are made after the meshes.
void MakeBones(Model& model, const Md5Data& data) {
  const auto count =
      static_cast<std::uint32_t>(std::clamp<std::int64_t>(data.jointCount, 0, kMaxBones));
  for (std::uint32_t j = 0; j < count; ++j) {
    const Joint& joint = *data.JointAt(j);
    Bone& bone = model.bones[j];
    bone.index = j;
    bone.name.Set(joint.name);
    bone.grams = 1.0f;
    bone.parent = bone.firstChild = bone.nextSibling = kNoBone;
    bone.weights.Clear();
    Vector3 relative = joint.position;
    if (joint.parent < 0) {
      bone.parentName.Set(kRootParentName);
    } else if (const Joint* parent = data.JointAt(joint.parent)) {
      relative -= parent->position;
      bone.parentName.Set(parent->name);
    } else {
      bone.parentName.Set("");  // no joint of the file: no bone will be found by this name
    }
    Matrix4 t = Matrix4::Identity();
    t[12] = relative.x;
    t[13] = relative.y;
    t[14] = relative.z;
    bone.frameMatrix = bone.poseMatrix = t;
    bone.localMatrix = anim::Invert(t);
    bone.bindMatrix = Matrix4::Identity();
  }
  model.boneCount = count;
  model.rootBone = kNoBone;
}

// Every joint the vertex's weights name among the bones holds it, all with the same share.
void HoldVertex(Model& model, Vertex* vertex, const BoneMask& bones) {
  const int n = bones.Count();
  if (n == 0) return;
  const float share = 1.0f / static_cast<float>(n);
  for (int word = 0; word < 2; ++word) {
    for (std::uint64_t bits = bones.bits[word]; bits != 0; bits &= bits - 1) {
      model.bones[word * 64 + std::countr_zero(bits)].AddWeight(vertex, share);
    }
  }
}

// The units of work LoadMesh counts.
std::uint64_t WorkOf(const Mesh& mesh) { return mesh.vertices.size() + mesh.triangles.size(); }

void LoadMesh(Model& model, const Md5Data& data, const Mesh& mesh, ProgressMeter& progress) {
  WeightRanges ranges(data, mesh, model.boneCount);
  std::vector<Vertex*> made;
  made.reserve(mesh.vertices.size());
  model.vertices.ReserveIds(mesh.vertices.size());
  for (const MeshVertex& v : mesh.vertices) {
    progress.Advance();
    Vector3 position;
    BoneMask bones;
    ranges.Sum(v.firstWeight, v.weightCount, position, bones);
    Vertex* vertex = model.AppendVertex();
    if (vertex == nullptr) break;
    model.SetVertex(vertex, position, {0.0f, 0.0f, 1.0f}, v.s, v.t);
    made.push_back(vertex);
    HoldVertex(model, vertex, bones);
  }
  // The corners are reversed; one outside the mesh's vertices drops its triangle.
  model.faces.ReserveIds(mesh.triangles.size());
  for (const Triangle& t : mesh.triangles) {
    progress.Advance();
    std::array<Vertex*, 3> corners{};
    for (int k = 0; k < 3; ++k) {
      const std::int32_t index = t.corners[k];
      if (index >= 0 && static_cast<std::size_t>(index) < made.size()) corners[k] = made[index];
    }
    edit::JournalAddFace(model, corners[2], corners[1], corners[0]);
  }
}

void DropBones(Model& model) {
  for (Bone& bone : model.bones) bone.weights.Clear();
  model.boneCount = 0;
  model.rootBone = kNoBone;
}

// Links each bone to the first bone of its parent's name. A missing parent, no root, more than
// one root, or bones that hang from no root (a parent loop) drop the skeleton.
void LinkBones(Model& model) {
  if (const std::optional<anim::HierarchyFault> fault = anim::LinkBonesByParentName(model)) {
    // A missing parent is named; the other faults name the file's kind.
    const std::string_view what =
        fault->orphan != nullptr ? fault->orphan->parentName.view() : "MD5 File";
    model.host().ErrorBox(fault->message, what, Severity::Error);
    DropBones(model);
    return;
  }
  anim::UpdateBindMatrices(model, model.rootBone);
}

}  // namespace

// ---- entry points

namespace {

// Tells the model's host, as `what`, how far the import has come: reading the text fills the
// first half of the bar, making the meshes the second.
void Import(Model& model, std::string_view text, std::string what) {
  ProgressMeter progress(model.host(), std::move(what), text.size(), 0.5f);
  Md5Data data;
  std::int32_t version = 0;
  if (!Md5Parser(text, data, progress).Run(version)) {
    model.host().ErrorBox("Error: bad model version", std::to_string(version), Severity::Error);
    return;
  }
  std::uint64_t work = 0;
  for (const Mesh& mesh : data.meshes) work += WorkOf(mesh);
  progress.NextStage(work);
  MakeBones(model, data);
  EachQuestion load(model.host());
  std::size_t number = 0;
  for (const Mesh& mesh : data.meshes) {
    ++number;
    // A mesh without a shader name is named by its place.
    const std::string name =
        mesh.shader.empty() ? "mesh " + std::to_string(number) : std::string(mesh.shader);
    if (load.Ask("Load the mesh: " + name + "?", "Load Mesh")) {
      LoadMesh(model, data, mesh, progress);
    } else {
      progress.Advance(WorkOf(mesh));
    }
  }
  if (model.boneCount > 0) LinkBones(model);
}

}  // namespace

void ImportMd5MeshFrom(Model& model, std::string_view text) {
  Import(model, text, "Importing MD5 mesh...");
}

bool ImportMd5Mesh(Model& model, std::string_view path) {
  format::FileText text;
  if (!text.Read(path)) {
    model.host().ErrorBox("Error: couldn't open", path, Severity::Error);
    return false;
  }
  Import(model, text.view(), ProgressText("Importing", path));
  return true;
}

}  // namespace zmf::importers

// The model's consistency check: every list, chain, table and cross reference, in linear time.
#include "model/validate_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/flat_hash_map.h"

namespace zmf {
namespace {

// The problems found, up to a limit; beyond it only counted.
class Problems {
 public:
  void Add(std::string text) {
    if (lines_.size() < kShown) {
      lines_.push_back(std::move(text));
    } else {
      ++unshown_;
    }
  }
  std::vector<std::string> Take() {
    if (unshown_ > 0) lines_.push_back("and " + std::to_string(unshown_) + " more problems");
    return std::move(lines_);
  }

 private:
  static constexpr std::size_t kShown = 40;
  std::vector<std::string> lines_;
  std::size_t unshown_ = 0;
};

std::string Number(std::uint64_t n) { return std::to_string(n); }

struct IdHasher {
  static std::uint64_t Hash(std::uint64_t id) { return HashWords(id); }
  static std::uint64_t Empty() { return ~std::uint64_t{0}; }
  static bool IsEmpty(std::uint64_t id) { return id == Empty(); }
};

// A number for each id below a list's nextId, zero at first: an array while the ids are dense
// (as they are unless undo re-created records under ids far apart), a hash map otherwise.
class IdTable {
 public:
  IdTable(std::uint32_t nextId, std::uint32_t count)
      : dense_(nextId <= 4 * std::uint64_t{count} + 65536) {
    if (dense_) {
      values_.assign(nextId, 0);
    } else {
      map_.Reset(count);
    }
  }
  std::uint32_t& operator[](std::uint32_t id) {
    return dense_ ? values_[id] : *map_.Insert(id, 0).first;
  }

 private:
  bool dense_;
  std::vector<std::uint32_t> values_;
  FlatHashMap<std::uint64_t, std::uint32_t, IdHasher> map_;
};

// Whether the record is in the list, by its id; exact once CheckList found the list sound.
template <class T>
bool IsLive(const RecordList<T>& list, const T* r) {
  return r != nullptr && list.FindById(r->id) == r;
}

// Links, counts, ids, the id index and the selection chain of one record list; `what` names its
// records ("vertex"). True when the list is sound enough for IsLive: its links run from head to
// tail through count records, its ids are unique and below nextId, and FindById finds each.
template <class T>
bool CheckList(const RecordList<T>& list, const std::string& what, Problems& problems) {
  const std::string listName = what + " list";
  IdTable seen(list.nextId(), list.count());
  std::uint64_t linked = 0;
  std::uint64_t flagged = 0;
  const T* before = nullptr;
  bool sound = true;
  for (const T* r = list.head(); r != nullptr; before = r, r = r->next) {
    if (++linked > list.count()) {
      problems.Add(listName + ": more records than its count " + Number(list.count()));
      return false;
    }
    const bool prevSound = r->prev == before;
    const bool idBelow = r->id < list.nextId();
    const bool idAgain = idBelow && seen[r->id]++ == 1;
    if (!prevSound && idAgain) {
      problems.Add(listName + ": the links loop back to " + what + " " + Number(r->id));
      return false;
    }
    if (!prevSound) {
      problems.Add(what + " " + Number(r->id) + ": prev link is not the record before it");
      sound = false;
    }
    if (!idBelow) {
      problems.Add(what + " " + Number(r->id) + ": id not below nextId " + Number(list.nextId()));
      sound = false;
    }
    if (idAgain) {
      problems.Add(listName + ": two records have id " + Number(r->id));
      sound = false;
    }
    flagged += r->selected != 0 ? 1 : 0;
  }
  if (linked < list.count()) {
    problems.Add(listName + ": " + Number(linked) + " records linked, count " +
                 Number(list.count()));
    sound = false;
  }
  if (list.tail() != before) {
    problems.Add(listName + ": tail is not the last record");
    sound = false;
  }
  // The rest follows links only through records of a sound list.
  if (!sound) return false;
  for (const T* r : list) {
    if (list.FindById(r->id) != r) {
      problems.Add(what + " " + Number(r->id) + ": FindById does not find it");
      sound = false;
    }
  }
  if (!sound) return false;

  // The selection chain: records of the list flagged selected, linked both ways, selCount of
  // them; no record outside it is flagged.
  std::uint64_t chained = 0;
  before = nullptr;
  for (const T* r = list.selHead(); r != nullptr; before = r, r = r->selNext) {
    if (++chained > list.selCount()) {
      problems.Add(listName + ": more records selected than selCount " + Number(list.selCount()));
      return true;
    }
    if (!IsLive(list, r)) {
      problems.Add(listName + ": the selection holds a record that is not in the list");
      return true;
    }
    if (r->selected != 1) problems.Add(what + " " + Number(r->id) + ": selected but not flagged");
    if (r->selPrev != before) {
      problems.Add(what + " " + Number(r->id) + ": selPrev link is not the record before it");
    }
  }
  if (chained < list.selCount()) {
    problems.Add(listName + ": " + Number(chained) + " records selected, selCount " +
                 Number(list.selCount()));
  }
  if (list.selTail() != before) problems.Add(listName + ": selTail is not the last selected");
  if (flagged != list.selCount()) {
    problems.Add(listName + ": " + Number(flagged) + " records flagged selected, selCount " +
                 Number(list.selCount()));
  }
  return true;
}

// Faces' corners and materials, and each vertex's corner chain, given which lists are sound.
void CheckFaces(const Model& model, ValidateOptions options, bool verticesSound, bool facesSound,
                Problems& problems) {
  if (model.materialCount > kMaxMaterials) {
    problems.Add("materialCount " + Number(model.materialCount) + " is above " +
                 Number(kMaxMaterials));
  }
  if (options.someMaterial && model.materialCount == 0) {
    problems.Add("the material table is empty");
  }
  if (!facesSound) return;
  const std::uint32_t materials =
      model.materialCount == 0 ? 1 : std::min<std::uint32_t>(model.materialCount, kMaxMaterials);
  const RecordList<Vertex>& vertices = model.vertices;
  // Each corner counts one use of its vertex, which the vertex's chain must list.
  IdTable uses(vertices.nextId(), vertices.count());
  for (const Face* f : model.faces) {
    for (unsigned k = 0; k < 3; ++k) {
      const Vertex* v = f->Corner(k);
      auto corner = [&] { return "face " + Number(f->id) + ": corner " + "abc"[k]; };
      if (v == nullptr) {
        if (options.wholeFaces) problems.Add(corner() + " is missing");
      } else if (!verticesSound) {
        continue;
      } else if (IsLive(vertices, v)) {
        ++uses[v->id];
      } else {
        problems.Add(corner() + " is not a live vertex");
      }
    }
    if (f->material >= materials) {
      problems.Add("face " + Number(f->id) + ": material " + Number(f->material) +
                   ", but the table holds " + Number(model.materialCount));
    }
  }
  if (!verticesSound) return;

  // Every chain entry must be a use of its vertex by a live face; as many entries as uses means
  // none is missing (an entry listed twice would make the chain loop).
  for (const Vertex* v : vertices) {
    const std::uint32_t expected = uses[v->id];
    auto vertex = [v] { return "vertex " + Number(v->id) + ": "; };
    std::uint32_t listed = 0;
    CornerRef last;
    bool sound = true;
    for (CornerRef at = v->firstCorner; at; last = at, at = at.next()) {
      if (listed == expected) {
        problems.Add(vertex() + "its corner chain lists more than its " + Number(expected) +
                     " uses");
        sound = false;
        break;
      }
      if (at.corner() > 2 || !IsLive(model.faces, at.face())) {
        problems.Add(vertex() + "its corner chain holds a corner of no live face");
        sound = false;
        break;
      }
      if (at.face()->Corner(at.corner()) != v) {
        problems.Add(vertex() + "its corner chain holds corner " + "abc"[at.corner()] +
                     " of face " + Number(at.face()->id) + ", which is another vertex");
      }
      ++listed;
    }
    if (!sound) continue;
    if (listed != expected) {
      problems.Add(vertex() + "its corner chain lists " + Number(listed) + " of its " +
                   Number(expected) + " uses");
    }
    if (v->lastCorner != last) problems.Add(vertex() + "lastCorner is not its chain's end");
  }
}

void CheckMaterialChains(const Model& model, Problems& problems) {
  std::uint64_t budget = model.faces.count();
  std::uint64_t total = 0;
  for (std::uint32_t m = 0; m < kMaxMaterials; ++m) {
    auto chain = [m] { return "material chain " + Number(m) + ": "; };
    std::uint32_t count = 0;
    const Face* before = nullptr;
    for (const Face* f = model.faces.chainHead(m); f != nullptr; before = f, f = f->matNext) {
      if (budget == 0 || !IsLive(model.faces, f)) {
        problems.Add(chain() + "holds a face that is not in the list, or the chains loop");
        return;
      }
      --budget;
      if (f->material != m) {
        problems.Add(chain() + "holds face " + Number(f->id) + " of material " +
                     Number(f->material));
      }
      if (f->matPrev != before) {
        problems.Add(chain() + "face " + Number(f->id) + "'s matPrev is not the face before it");
      }
      ++count;
    }
    total += count;
    if (model.faces.chainTail(m) != before) {
      problems.Add(chain() + "its tail is not its last face");
    }
    if (count != model.faces.chainCount(m)) {
      problems.Add(chain() + Number(count) + " faces linked, count " +
                   Number(model.faces.chainCount(m)));
    }
  }
  if (total != model.faces.count()) {
    problems.Add("material chains hold " + Number(total) + " of the " +
                 Number(model.faces.count()) + " faces");
  }
}

void CheckDuplicates(const Model& model, Problems& problems) {
  for (const Duplicate* d : model.duplicates) {
    if (!IsLive(model.vertices, d->vertex) || !IsLive(model.vertices, d->twin)) {
      problems.Add("duplicate " + Number(d->id) + ": names a vertex that is not in the list");
    } else if (d->vertex == d->twin) {
      problems.Add("duplicate " + Number(d->id) + ": pairs a vertex with itself");
    }
  }
}

// Whether `b` names a bone of a table of `count`.
bool IsBone(std::int32_t b, std::uint32_t count) {
  return b >= 0 && static_cast<std::uint32_t>(b) < count;
}

void CheckBones(const Model& model, bool verticesSound, Problems& problems) {
  std::uint32_t count = model.boneCount;
  if (count > kMaxBones) {
    problems.Add("boneCount " + Number(count) + " is above " + Number(kMaxBones));
    count = kMaxBones;
  }
  // Per vertex id: 1 + the last bone that weights it; made for the first weight.
  std::optional<IdTable> weighted;
  for (std::uint32_t b = 0; b < kMaxBones; ++b) {
    const Bone& bone = model.bones[b];
    const std::string name = "bone " + Number(b);
    if (b >= count) {
      if (!bone.weights.empty()) problems.Add(name + ": holds weights beyond boneCount");
      continue;
    }
    if (bone.index != b) problems.Add(name + ": its index is " + Number(bone.index));
    for (const std::int32_t link : {bone.parent, bone.firstChild, bone.nextSibling}) {
      if (link != kNoBone && !IsBone(link, count)) {
        problems.Add(name + ": links to bone " + std::to_string(link) + " outside the table");
      }
    }
    if (IsBone(bone.parent, count) && bone.parentName != model.bones[bone.parent].name) {
      problems.Add(name + ": parentName is not its parent's name");
    }
    if (!CheckList(bone.weights, name + " weight", problems) || !verticesSound) continue;
    for (const VertexWeight* w : bone.weights) {
      if (!IsLive(model.vertices, w->vertex)) {
        problems.Add(name + ": weight " + Number(w->id) +
                     " names a vertex that is not in the list");
        continue;
      }
      if (!weighted) weighted.emplace(model.vertices.nextId(), model.vertices.count());
      if (std::exchange((*weighted)[w->vertex->id], b + 1) == b + 1) {
        problems.Add(name + ": weights vertex " + Number(w->vertex->id) + " twice");
      }
    }
  }

  // The hierarchy: from every bone without a parent down each bone's chain of children, every
  // bone reached once. A load that ended early leaves its bones unlinked, so bones without a
  // parent other than the root are allowed.
  if (count == 0
          ? model.rootBone != kNoBone
          : model.rootBone != kNoBone &&
                (!IsBone(model.rootBone, count) || model.bones[model.rootBone].parent != kNoBone ||
                 model.bones[model.rootBone].nextSibling != kNoBone)) {
    problems.Add("rootBone " + std::to_string(model.rootBone) +
                 " is not a bone without parent or sibling");
  }
  std::vector<bool> reached(count, false);
  std::vector<std::int32_t> pending;
  for (std::uint32_t b = 0; b < count; ++b) {
    if (model.bones[b].parent != kNoBone) continue;
    reached[b] = true;
    pending.push_back(static_cast<std::int32_t>(b));
  }
  std::uint32_t seen = static_cast<std::uint32_t>(pending.size());
  while (!pending.empty()) {
    const std::int32_t b = pending.back();
    pending.pop_back();
    for (std::int32_t c = model.bones[b].firstChild; IsBone(c, count);
         c = model.bones[c].nextSibling) {
      if (reached[c]) {
        problems.Add("bone " + std::to_string(c) + ": reached twice in the hierarchy");
        break;
      }
      reached[c] = true;
      ++seen;
      if (model.bones[c].parent != b) {
        problems.Add("bone " + std::to_string(c) + ": in the children of bone " +
                     std::to_string(b) + ", but its parent is " +
                     std::to_string(model.bones[c].parent));
      }
      pending.push_back(c);
    }
  }
  if (seen != count) {
    problems.Add(Number(count - seen) + " bones are not reached from a bone without parent");
  }
}

void CheckAnimations(const Model& model, ValidateOptions options, Problems& problems) {
  const std::uint32_t bones = options.boundKeyBones ? model.boneCount : kMaxBones;
  std::uint32_t count = model.animationCount;
  if (count > kMaxAnimations) {
    problems.Add("animationCount " + Number(count) + " is above " + Number(kMaxAnimations));
    count = kMaxAnimations;
  }
  for (std::uint32_t a = 0; a < count; ++a) {
    const Animation& animation = model.animation(a);
    const std::string name = "animation " + Number(a);
    if (animation.keyCount > kMaxKeys) {
      problems.Add(name + ": keyCount " + Number(animation.keyCount) + " is above " +
                   Number(kMaxKeys));
    }
    for (std::uint32_t k = 0; k < animation.keyCount && k < kMaxKeys; ++k) {
      const AnimKey& key = animation.keys[k];
      const std::string keyName = name + " key " + Number(k);
      if (key.keyBoneCount > kMaxKeyBones) {
        problems.Add(keyName + ": keyBoneCount " + Number(key.keyBoneCount) + " is above " +
                     Number(kMaxKeyBones));
      }
      for (std::uint32_t j = 0; j < key.keyBoneCount && j < kMaxKeyBones; ++j) {
        const std::uint32_t bone = key.keyBones[j].boneIndex;
        if (bone != kUnboundKeyBone && bone >= bones) {
          problems.Add(keyName + ": key bone " + Number(j) + " is bound to bone " + Number(bone) +
                       " of " + Number(bones));
        }
      }
    }
  }
}

}  // namespace

std::vector<std::string> ValidateModel(const Model& model, ValidateOptions options) {
  Problems problems;
  const bool verticesSound = CheckList(model.vertices, "vertex", problems);
  const bool facesSound = CheckList(model.faces, "face", problems);
  CheckFaces(model, options, verticesSound, facesSound, problems);
  if (facesSound) CheckMaterialChains(model, problems);
  if (CheckList(model.duplicates, "duplicate", problems) && verticesSound) {
    CheckDuplicates(model, problems);
  }
  CheckBones(model, verticesSound, problems);
  CheckAnimations(model, options, problems);
  return problems.Take();
}

void AbortIfInvalid(const Model& model, std::string_view after, ValidateOptions options) {
  const std::vector<std::string> problems = ValidateModel(model, options);
  if (problems.empty()) return;
  std::fprintf(stderr, "The model is inconsistent after %.*s:\n", static_cast<int>(after.size()),
               after.data());
  for (const std::string& line : problems) std::fprintf(stderr, "  %s\n", line.c_str());
  std::abort();
}

void ValidateModelInDebugBuilds([[maybe_unused]] const Model& model,
                                [[maybe_unused]] std::string_view after) {
#ifndef NDEBUG
  AbortIfInvalid(model, after);
#endif
}

}  // namespace zmf

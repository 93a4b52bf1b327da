// The model's consistency check: every list, chain, table and cross reference, in linear time.
#include "model/validate_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
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

// The set of a list's records, each with a count the caller may use (a vertex's corner uses).
template <class T>
using RecordSet = FlatHashMap<const T*, std::uint32_t, PointerHasher<T>>;

struct IdHasher {
  static std::uint64_t Hash(std::uint64_t id) { return HashWords(id); }
  static std::uint64_t Empty() { return ~std::uint64_t{0}; }
  static bool IsEmpty(std::uint64_t id) { return id == Empty(); }
};

// Links, counts, ids, the id index and the selection chain of one record list; `what` names its
// records ("vertex"). Returns the set of records reached from the head.
template <class T>
RecordSet<T> CheckList(const RecordList<T>& list, const std::string& what, Problems& problems) {
  RecordSet<T> live(list.count());
  const std::string listName = what + " list";

  // List order: each record's prev is the one before it; the walk ends at the tail after
  // exactly count records.
  std::uint64_t linked = 0;
  std::uint64_t flagged = 0;
  const T* before = nullptr;
  bool idsUnique = true;
  FlatHashMap<std::uint64_t, std::uint32_t, IdHasher> ids(list.count());
  for (const T* r = list.head(); r != nullptr; before = r, r = r->next) {
    if (!live.Insert(r, 0).second) {
      problems.Add(listName + ": the links loop back to " + what + " " + Number(r->id));
      break;
    }
    if (++linked > list.count()) {
      problems.Add(listName + ": more records than its count " + Number(list.count()));
      break;
    }
    if (r->prev != before) {
      problems.Add(what + " " + Number(r->id) + ": prev link is not the record before it");
    }
    if (r->id >= list.nextId()) {
      problems.Add(what + " " + Number(r->id) + ": id not below nextId " + Number(list.nextId()));
    }
    if (!ids.Insert(r->id, 0).second) {
      problems.Add(listName + ": two records have id " + Number(r->id));
      idsUnique = false;
    }
    flagged += r->selected != 0 ? 1 : 0;
  }
  if (linked < list.count()) {
    problems.Add(listName + ": " + Number(linked) + " records linked, count " +
                 Number(list.count()));
  }
  if (linked <= list.count() && list.tail() != before) {
    problems.Add(listName + ": tail is not the last record");
  }
  // With unique ids every lookup is direct.
  if (idsUnique) {
    std::uint64_t steps = 0;
    for (const T* r = list.head(); r != nullptr && steps++ < list.count(); r = r->next) {
      if (list.FindById(r->id) != r) {
        problems.Add(what + " " + Number(r->id) + ": FindById does not find it");
      }
    }
  }

  // The selection chain: records of the list flagged selected, linked both ways, selCount of
  // them; no record outside it is flagged.
  std::uint64_t chained = 0;
  before = nullptr;
  for (const T* r = list.selHead(); r != nullptr; before = r, r = r->selNext) {
    if (++chained > list.selCount()) {
      problems.Add(listName + ": more records selected than selCount " + Number(list.selCount()));
      break;
    }
    if (live.Find(r) == nullptr) {
      problems.Add(listName + ": the selection holds a record that is not in the list");
      chained = list.selCount() + 1;
      break;
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
  if (chained <= list.selCount() && list.selTail() != before) {
    problems.Add(listName + ": selTail is not the last selected record");
  }
  if (flagged != list.selCount()) {
    problems.Add(listName + ": " + Number(flagged) + " records flagged selected, selCount " +
                 Number(list.selCount()));
  }
  return live;
}

void CheckFaces(const Model& model, ValidateOptions options, RecordSet<Vertex>& vertices,
                const RecordSet<Face>& faces, Problems& problems) {
  if (model.materialCount > kMaxMaterials) {
    problems.Add("materialCount " + Number(model.materialCount) + " is above " +
                 Number(kMaxMaterials));
  }
  if (options.someMaterial && model.materialCount == 0) {
    problems.Add("the material table is empty");
  }
  const std::uint32_t materials =
      model.materialCount == 0 ? 1 : std::min<std::uint32_t>(model.materialCount, kMaxMaterials);
  std::uint64_t steps = 0;
  // Each corner counts one use of its vertex, which the vertex's chain must list.
  for (const Face* f = model.faces.head(); f != nullptr && steps++ < model.faces.count();
       f = f->next) {
    for (unsigned k = 0; k < 3; ++k) {
      const Vertex* v = f->Corner(k);
      const std::string corner = "face " + Number(f->id) + ": corner " + "abc"[k];
      if (v == nullptr) {
        if (options.wholeFaces) problems.Add(corner + " is missing");
      } else if (std::uint32_t* uses = vertices.Find(v)) {
        ++*uses;
      } else {
        problems.Add(corner + " is not a live vertex");
      }
    }
    if (f->material >= materials) {
      problems.Add("face " + Number(f->id) + ": material " + Number(f->material) +
                   ", but the table holds " + Number(model.materialCount));
    }
  }

  // Every chain entry must be a use of its vertex by a live face; as many entries as uses means
  // none is missing (an entry listed twice would make the chain loop).
  steps = 0;
  for (const Vertex* v = model.vertices.head(); v != nullptr && steps++ < model.vertices.count();
       v = v->next) {
    const std::uint32_t* found = vertices.Find(v);
    if (found == nullptr) continue;
    const std::uint32_t uses = *found;
    const std::string vertex = "vertex " + Number(v->id) + ": ";
    std::uint32_t listed = 0;
    CornerRef last;
    bool sound = true;
    for (CornerRef at = v->firstCorner; at; last = at, at = at.next()) {
      if (listed == uses) {
        problems.Add(vertex + "its corner chain lists more than its " + Number(uses) + " uses");
        sound = false;
        break;
      }
      if (faces.Find(at.face()) == nullptr || at.corner() > 2) {
        problems.Add(vertex + "its corner chain holds a corner of no live face");
        sound = false;
        break;
      }
      if (at.face()->Corner(at.corner()) != v) {
        problems.Add(vertex + "its corner chain holds corner " + "abc"[at.corner()] + " of face " +
                     Number(at.face()->id) + ", which is another vertex");
      }
      ++listed;
    }
    if (!sound) continue;
    if (listed != uses) {
      problems.Add(vertex + "its corner chain lists " + Number(listed) + " of its " + Number(uses) +
                   " uses");
    }
    if (v->lastCorner != last) problems.Add(vertex + "lastCorner is not its chain's end");
  }
}

void CheckMaterialChains(const Model& model, const RecordSet<Face>& faces, Problems& problems) {
  std::uint64_t budget = model.faces.count();
  std::uint64_t total = 0;
  for (std::uint32_t m = 0; m < kMaxMaterials; ++m) {
    const std::string chain = "material chain " + Number(m) + ": ";
    std::uint32_t count = 0;
    const Face* before = nullptr;
    bool sound = true;
    for (const Face* f = model.faces.chainHead(m); f != nullptr; before = f, f = f->matNext) {
      if (budget == 0) {
        problems.Add(chain + "the chains hold more faces than the list");
        sound = false;
        break;
      }
      --budget;
      if (faces.Find(f) == nullptr) {
        problems.Add(chain + "holds a face that is not in the list");
        sound = false;
        break;
      }
      if (f->material != m) {
        problems.Add(chain + "holds face " + Number(f->id) + " of material " + Number(f->material));
      }
      if (f->matPrev != before) {
        problems.Add(chain + "face " + Number(f->id) + "'s matPrev is not the face before it");
      }
      ++count;
    }
    total += count;
    if (!sound) return;
    if (model.faces.chainTail(m) != before) problems.Add(chain + "its tail is not its last face");
    if (count != model.faces.chainCount(m)) {
      problems.Add(chain + Number(count) + " faces linked, count " +
                   Number(model.faces.chainCount(m)));
    }
  }
  if (total != model.faces.count()) {
    problems.Add("material chains hold " + Number(total) + " of the " +
                 Number(model.faces.count()) + " faces");
  }
}

void CheckDuplicates(const Model& model, const RecordSet<Vertex>& vertices, Problems& problems) {
  std::uint64_t steps = 0;
  for (const Duplicate* d = model.duplicates.head();
       d != nullptr && steps++ < model.duplicates.count(); d = d->next) {
    if (vertices.Find(d->vertex) == nullptr || vertices.Find(d->twin) == nullptr) {
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

void CheckBones(const Model& model, const RecordSet<Vertex>& vertices, Problems& problems) {
  std::uint32_t count = model.boneCount;
  if (count > kMaxBones) {
    problems.Add("boneCount " + Number(count) + " is above " + Number(kMaxBones));
    count = kMaxBones;
  }
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
    if (static_cast<std::int32_t>(b) != model.rootBone) {
      if (bone.parent == kNoBone) problems.Add(name + ": has no parent but is not the root");
      if (IsBone(bone.parent, count) && bone.parentName != model.bones[bone.parent].name) {
        problems.Add(name + ": parentName is not its parent's name");
      }
    }
    CheckList(bone.weights, name + " weight", problems);
    FlatHashMap<const Vertex*, std::uint32_t, PointerHasher<Vertex>> held(bone.weights.count());
    std::uint64_t steps = 0;
    for (const VertexWeight* w = bone.weights.head();
         w != nullptr && steps++ < bone.weights.count(); w = w->next) {
      if (vertices.Find(w->vertex) == nullptr) {
        problems.Add(name + ": weight " + Number(w->id) +
                     " names a vertex that is not in the list");
      } else if (!held.Insert(w->vertex, 0).second) {
        problems.Add(name + ": weights vertex " + Number(w->vertex->id) + " twice");
      }
    }
  }

  // The tree: from the root down each bone's chain of children, every bone reached once.
  if ((model.rootBone == kNoBone) != (count == 0)) {
    problems.Add("rootBone is " + std::to_string(model.rootBone) + " with " + Number(count) +
                 " bones");
  }
  if (!IsBone(model.rootBone, count)) return;
  const Bone& root = model.bones[model.rootBone];
  if (root.parent != kNoBone || root.nextSibling != kNoBone) {
    problems.Add("bone " + std::to_string(model.rootBone) + ": the root has a parent or sibling");
  }
  std::vector<bool> reached(count, false);
  std::vector<std::int32_t> pending{model.rootBone};
  reached[model.rootBone] = true;
  std::uint32_t seen = 1;
  while (!pending.empty()) {
    const std::int32_t b = pending.back();
    pending.pop_back();
    for (std::int32_t c = model.bones[b].firstChild; IsBone(c, count);
         c = model.bones[c].nextSibling) {
      if (reached[c]) {
        problems.Add("bone " + std::to_string(c) + ": reached twice from the root");
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
    problems.Add(Number(count - seen) + " bones are not reached from the root");
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
  RecordSet<Vertex> vertices = CheckList(model.vertices, "vertex", problems);
  const RecordSet<Face> faces = CheckList<Face>(model.faces, "face", problems);
  CheckList(model.duplicates, "duplicate", problems);
  CheckFaces(model, options, vertices, faces, problems);
  CheckMaterialChains(model, faces, problems);
  CheckDuplicates(model, vertices, problems);
  CheckBones(model, vertices, problems);
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

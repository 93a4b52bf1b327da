// The ZMF reader: sections, vertex layouts, version 1 sections, and the finishing steps.
//
// Section index
//   entry points ........... ReadModelFile, ImportAnimations and their in-memory forms
//   top level .............. magic word, keywords, VERSION, COMMENT
//   mesh ................... VERTICES, FACES, version 1 TRIANGLES
//   materials .............. MATERIALS, TEXTURE sub-blocks, version 1 MATERIAL and TEXTURE
//   skeleton ............... BONES with VERTEX_WEIGHTS, ANIMATIONS
//   finishing steps ........ textures, hierarchy and its matrices, key bones, safety
//
// Malformed input is read without ever leaving a table or following a reference that does not
// exist: counts above a table's capacity fill the table and read the rest into a scratch record
// that is thrown away; a number that does not convert ends the list it was part of; faces and
// weights that name a vertex outside the current VERTICES section are dropped. Every loop reads
// at least one character per step or stops at the end of the text, so no count can make the
// reader spin or allocate beyond what the text holds.
#include "format/zmf_reader.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "anim/skeleton.h"
#include "format/file_text.h"
#include "format/number_text.h"
#include "format/word_scanner.h"
#include "material/texels.h"
#include "material/texture_loader.h"
#include "model/paths.h"
#include "model/progress.h"

namespace zmf::format {
namespace {

enum class Mode {
  WholeModel,      // ReadModelFile
  AnimationsOnly,  // ImportAnimations: only bones and animations are kept
};

// Alpha words of TEXTURE entries; version 1 files know fewer words and a mode 10 for colour keys.
std::uint32_t AlphaModeOf(std::string_view word, bool version1, float& alphaValue) {
  // Version 1 knows the words up to BLACK_MASK.
  const std::size_t known =
      version1 ? material::kAlphaBlackMask + 1 : std::size(material::kAlphaModeWords);
  for (std::size_t mode = 0; mode < known; ++mode) {
    if (word == material::kAlphaModeWords[mode]) return static_cast<std::uint32_t>(mode);
  }
  if (version1) {
    for (std::string_view key : {"RED", "GREEN", "BLUE", "RED_MASK", "GREEN_MASK", "BLUE_MASK"}) {
      if (word == key) return 10;
    }
  }
  // A constant alpha: the word's leading number, or 0.0 when it does not start with one.
  float value = 0.0f;
  if (ParseFloatPrefix(word, value) == 0) value = 0.0f;
  alphaValue = value;
  return material::kAlphaConstant;
}

// The path of a texture named in a model file: the model's folder joined with the name, with
// the name's separators made the model path's own, so "tex\wood.bmp" from a Windows-made file is
// found beside a model at /home/m/a.zmf. A model path without a folder leaves the name as it is.
std::string TexturePathBesideModel(std::string_view modelPath, std::string_view file) {
  // An absolute path (a recovery file's, written far from its pictures) is taken as it is.
  if (!file.empty() && file.front() == '/') return std::string(file);
  const std::size_t slash = modelPath.find_last_of("/\\");
  if (slash == std::string_view::npos) return std::string(file);
  const char separator = modelPath[slash];
  std::string name(file);
  std::replace_if(
      name.begin(), name.end(), [](char c) { return c == '/' || c == '\\'; }, separator);
  std::string path(modelPath);
  ReplaceFileName(path, name);
  return path;
}

class ZmfReader {
 public:
  // Tells the model's host how much of the text (of `size` characters) has been read.
  ZmfReader(Model& model, WordScanner in, std::size_t size, std::string_view path, Mode mode)
      : model_(model),
        in_(in),
        path_(path),
        mode_(mode),
        progress_(
            model.host(),
            ProgressText(mode == Mode::WholeModel ? "Reading" : "Importing animations from", path),
            size) {}

  // False when the file was refused (not ZMF, an unknown version or vertex layout): the model
  // then holds whatever was read before the refusal, and the caller throws it away.
  bool Run() {
    if (in_.Word() != "ZMF") {
      model_.host().ErrorBox("Not an .zmf file:", path_, Severity::Error);
      return false;
    }
    bool finished = true;
    while (!in_.AtEnd()) {
      progress_.Step(in_.Position());
      const std::string_view keyword = in_.Word();
      in_.Literal('{');  // the section's opening brace, when there is one
      if (!ReadSection(keyword)) {
        finished = false;  // a refusal ends the load without the finishing steps
        break;
      }
    }
    tableCount_ = 0;
    if (finished) {
      if (whole()) {
        FinishModel();
      } else {
        FinishSkeleton();
      }
    }
    KeepReferencesValid();
    progress_.Finish();
    return finished;
  }

 private:
  bool whole() const { return mode_ == Mode::WholeModel; }

  // ---- top level

  // False when the load must end at once.
  bool ReadSection(std::string_view keyword) {
    if (keyword == "VERSION") {
      return ReadVersion();
    } else if (keyword == "COMMENT") {
      in_.SkipPast("}");
    } else if (keyword == "VERTICES") {
      return ReadVertices();
    } else if (keyword == "FACES") {
      ReadFaces(/*withMaterial=*/true);
    } else if (keyword == "MATERIALS") {
      ReadMaterials();
    } else if (keyword == "BONES") {
      ReadBones();
    } else if (keyword == "ANIMATIONS") {
      ReadAnimations();
    } else if (whole() && version_ == 1.0f && keyword == "TRIANGLES") {
      ReadFaces(/*withMaterial=*/false);
    } else if (whole() && version_ == 1.0f && keyword == "MATERIAL") {
      ReadMaterialEntries(model_.materials[0], /*version1=*/true);
    } else if (whole() && version_ == 1.0f && keyword == "TEXTURE") {
      ReadTextureEntries(model_.materials[0], /*version1=*/true);
    }
    // Any other word is skipped.
    return true;
  }

  // False for a version this reader does not know (3 and later, or not a positive number).
  bool ReadVersion() {
    float version = version_;
    in_.Float(version);
    in_.Literal('}');
    if (!whole()) return true;  // Import Animations reads the version and ignores it
    if (!(version >= 1.0f && version < 3.0f)) {
      char text[format::kMaxFixed6Length];
      model_.host().ErrorBox(
          "Unsupported .zmf version:", std::string_view(text, format::FormatFixed6(text, version)),
          Severity::Error);
      return false;
    }
    version_ = version;
    if (version_ == 1.0f) {
      // Version 1 files carry one material in MATERIAL and TEXTURE sections.
      model_.SetMaterialDefaults(0);
      model_.materialCount = 1;
      model_.currentMaterial = 0;
    }
    return true;
  }

  // The closing of VERTICES, FACES and TRIANGLES: one word, and a brace after it if there is one.
  void ReadSectionEnd() {
    in_.Word();
    in_.Literal('}');
  }

  // ---- mesh

  bool ReadVertices() {
    const std::string_view layout = in_.Word();
    int fields;
    if (layout == "POSITION") {
      fields = 3;
    } else if (layout == "POSITION_NORMAL") {
      fields = 6;
    } else if (layout == "POSITION_TEXCOORDS") {
      fields = 5;
    } else if (layout == "POSITION_NORMAL_TEXCOORDS") {
      fields = 8;
    } else if (whole()) {
      model_.host().ErrorBox("Bad vertex format:", layout, Severity::Error);
      return false;
    } else {
      fields = 3;  // Import Animations throws vertices away; three numbers each will do
    }
    const bool hasNormal = fields == 6 || fields == 8;
    const bool hasTexCoords = fields == 5 || fields == 8;

    std::uint32_t count = 0;
    if (!in_.Unsigned(count)) count = 0;
    if (whole()) {
      tableFirstId_ = model_.vertices.nextId();
      tableCount_ = 0;
      tableHasFaces_ = false;
      // Each number takes at least two characters: the count alone never sizes the table.
      const std::size_t room = std::min<std::size_t>(count, in_.Remaining() / (2 * fields) + 1);
      model_.vertices.IndexIdsAhead(room);  // faces find their corners by id
      model_.vertices.Reserve(room);
    }
    BoundsFit box;  // the box of this section, as read
    for (std::uint32_t i = 0; i < count; ++i) {
      in_.ReleasePassed();
      progress_.Step(in_.Position());
      float f[8] = {};
      bool complete = true;
      for (int k = 0; k < fields && complete; ++k) complete = in_.Float(f[k]);
      if (!complete) break;  // the entry is not numbers: the list ends here
      if (!whole()) continue;

      const Vector3 position{f[0], f[1], f[2]};
      const Vector3 normal = hasNormal ? Vector3{f[3], f[4], f[5]} : Vector3{};
      const int uv = hasNormal ? 6 : 3;
      Vertex* vertex = model_.AppendVertex();
      if (vertex == nullptr) break;  // out of memory: keep what was read
      model_.SetVertex(vertex, position, normal, hasTexCoords ? f[uv] : 0.0f,
                       hasTexCoords ? f[uv + 1] : 0.0f);
      ++tableCount_;
      box.Add(position);
    }
    if (whole()) box.StoreIn(model_);
    ReadSectionEnd();
    return true;
  }

  // FACES (three corners and a material each) and version 1 TRIANGLES (corners only).
  void ReadFaces(bool withMaterial) {
    std::uint32_t count = 0;
    if (!in_.Unsigned(count)) count = 0;
    // Each corner number takes at least two characters.
    const std::size_t fields = withMaterial ? 4 : 3;
    if (whole()) {
      model_.faces.Reserve(std::min<std::size_t>(count, in_.Remaining() / (2 * fields) + 1));
    }
    // Faces on a fresh vertex table get their corner chains in one pass at the end.
    const bool linkAtEnd = whole() && !tableHasFaces_;
    Face* before = model_.faces.tail();
    for (std::uint32_t i = 0; i < count; ++i) {
      in_.ReleasePassed();
      progress_.Step(in_.Position());
      std::uint32_t a = 0, b = 0, c = 0, material = 0;
      if (!in_.Unsigned(a) || !in_.Unsigned(b) || !in_.Unsigned(c)) break;
      if (withMaterial && !in_.Unsigned(material)) break;
      if (whole()) AddFace(a, b, c, material, linkAtEnd);
    }
    if (linkAtEnd) {
      model_.LinkCornersFrom(before != nullptr ? before->next : model_.faces.head());
    }
    tableHasFaces_ = true;
    ReadSectionEnd();
  }

  // A face on vertices of the current VERTICES section; one that names a vertex outside it is
  // dropped. A material outside the table is material 0 (see KeepReferencesValid).
  void AddFace(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t material,
               bool linkLater) {
    if (a >= tableCount_ || b >= tableCount_ || c >= tableCount_) return;
    Face* face = model_.faces.Allocate();
    if (face == nullptr) return;
    face->a = TableVertex(a);
    face->b = TableVertex(b);
    face->c = TableVertex(c);
    const std::uint32_t m = material < kMaxMaterials ? material : 0;
    if (!(linkLater ? model_.AddFaceUnlinked(face, m) : model_.AddFace(face, m))) {
      model_.faces.Free(face);
    }
  }

  // Entry `index` (below tableCount_) of the latest VERTICES section.
  Vertex* TableVertex(std::uint32_t index) const {
    return model_.vertices.FindById(tableFirstId_ + index);
  }

  // ---- materials

  void ReadMaterials() {
    std::uint32_t count = 0;
    if (!in_.Unsigned(count)) return;
    if (whole()) model_.materialCount = std::min<std::uint32_t>(count, kMaxMaterials);
    for (std::uint32_t i = 0; i < count; ++i) {
      const bool stored = whole() && i < kMaxMaterials;
      if (!stored && in_.AtEnd()) break;
      Material& material = stored ? model_.materials[i] : scratchMaterial_;
      if (stored) {
        model_.SetMaterialDefaults(i);
      } else {
        scratchMaterial_ = Material{};
      }
      const std::string_view first = in_.Word();  // "MATERIAL", or "}" for an empty block
      if (first.empty() || first == "}") continue;
      ReadMaterialEntries(material, /*version1=*/false);
    }
  }

  // A MATERIAL block up to its "}". Version 1 MATERIAL sections (material 0) have colours
  // without alpha and neither NAME nor TEXTURE entries.
  void ReadMaterialEntries(Material& material, bool version1) {
    const int components = version1 ? 3 : 4;
    for (std::string_view word = in_.Word(); !word.empty() && word != "}"; word = in_.Word()) {
      if (!version1 && word == "NAME") {
        material.name.Set(in_.Word());
      } else if (word == "AMBIENT") {
        ReadColour(material.ambient, components);
      } else if (word == "DIFFUSE") {
        ReadColour(material.diffuse, components);
      } else if (word == "SPECULAR") {
        ReadColour(material.specular, components);
      } else if (word == "EMISSION") {
        ReadColour(material.emission, components);
      } else if (word == "SHININESS") {
        in_.Unsigned(material.shininess);
      } else if (!version1 && word == "TEXTURE") {
        ReadTextureEntries(material, /*version1=*/false);
      }
    }
  }

  void ReadColour(Colour& colour, int components) {
    for (int k = 0; k < components; ++k) {
      if (!in_.Float(colour[static_cast<std::size_t>(k)])) return;
    }
  }

  // A TEXTURE sub-block (or a version 1 TEXTURE section) up to its "}".
  void ReadTextureEntries(Material& material, bool version1) {
    for (std::string_view word = in_.Word(); !word.empty() && word != "}"; word = in_.Word()) {
      if (version1) material.hasTexture = 1;
      if (word == "FILE") {
        const std::string_view file = in_.Word();
        material.textureFile.assign(file.substr(0, kMaxTextureFileLength));
        material.hasTexture = 1;
      } else if (word == "ALPHA") {
        material.alphaMode = AlphaModeOf(in_.Word(), version1, material.alphaValue);
      }
    }
  }

  // ---- skeleton

  void ReadBones() {
    std::uint32_t count = 0;
    if (!in_.Unsigned(count)) return;
    model_.boneCount = std::min<std::uint32_t>(count, kMaxBones);
    for (std::uint32_t i = 0; i < count; ++i) {
      const bool stored = i < kMaxBones;
      if (!stored && in_.AtEnd()) break;
      Bone& bone = stored ? model_.bones[i] : scratchBone_;
      StartBone(bone, i);
      const std::string_view first = in_.Word();  // "BONE", or "}" for an empty block
      if (first.empty() || first == "}") continue;
      ReadBoneEntries(bone, stored);
    }
  }

  // A bone block starts from a fresh bone, so nothing of an earlier model shows through fields
  // the block leaves out. The slot keeps its weight list: a file's weights are appended to it,
  // and Import Animations keeps the weights the slot had.
  static void StartBone(Bone& bone, std::uint32_t index) {
    bone.index = index;
    bone.name.Set("");
    bone.parentName.Set("");
    bone.parent = bone.firstChild = bone.nextSibling = kNoBone;
    bone.localMatrix = bone.poseMatrix = bone.frameMatrix = bone.bindMatrix = Matrix4::Identity();
    bone.grams = 0.0f;
  }

  void ReadBoneEntries(Bone& bone, bool stored) {
    for (std::string_view word = in_.Word(); !word.empty() && word != "}"; word = in_.Word()) {
      if (word == "NAME") {
        bone.name.Set(in_.Word());
      } else if (word == "PARENT") {
        bone.parentName.Set(in_.Word());
      } else if (word == "MATRIX") {
        ReadMatrix(bone.localMatrix);
        bone.poseMatrix = anim::Invert(bone.localMatrix);
      } else if (word == "GRAMS") {
        in_.Float(bone.grams);
      } else if (word == "VERTEX_WEIGHTS") {
        ReadWeights(bone, stored);
        // The weights' "}" and the bone's own "}" close the block together.
        const std::string_view close = in_.Word();
        in_.Literal('}');
        if (close == "}") return;
      }
    }
  }

  void ReadMatrix(Matrix4& matrix) {
    for (float& value : matrix.m) {
      if (!in_.Float(value)) return;
    }
  }

  void ReadWeights(Bone& bone, bool stored) {
    in_.Literal('{');
    std::uint32_t count = 0;
    if (!in_.Unsigned(count)) return;
    const bool keep = whole() && stored;

    // A vertex is held at most once in a bone's list: a repeated entry is dropped. Entries from
    // an earlier BONES section of the same file are looked up by vertex, the new ones by index.
    std::unordered_set<const Vertex*> earlier;
    if (keep) {
      for (const VertexWeight* w : bone.weights) earlier.insert(w->vertex);
      if (seen_.size() < tableCount_) seen_.resize(tableCount_, 0);
      ++seenStamp_;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
      in_.ReleasePassed();
      progress_.Step(in_.Position());
      std::uint32_t index = 0;
      float weight = 0.0f;
      if (!in_.Unsigned(index) || !in_.Float(weight)) break;
      if (!keep || index >= tableCount_ || seen_[index] == seenStamp_) continue;
      Vertex* vertex = TableVertex(index);
      if (!earlier.empty() && earlier.count(vertex) != 0) continue;
      seen_[index] = seenStamp_;
      VertexWeight* entry = bone.weights.Allocate();
      if (entry == nullptr) break;
      entry->vertex = vertex;
      entry->weight = weight;
      bone.weights.Append(entry);
    }
  }

  void ReadAnimations() {
    std::uint32_t count = 0;
    if (!in_.Unsigned(count)) return;
    model_.animationCount = std::min<std::uint32_t>(count, kMaxAnimations);
    for (std::uint32_t i = 0; i < count; ++i) {
      const bool stored = i < kMaxAnimations;
      if (!stored && in_.AtEnd()) break;
      ReadAnimation(stored ? model_.animation(i) : Scratch().animation);
    }
  }

  // Fixed order: ANIMATION { name totalTime keyCount, the keys, then "}".
  void ReadAnimation(Animation& animation) {
    in_.Word();  // "ANIMATION"
    in_.Word();  // "{"
    animation.name.Set(in_.Word());
    animation.totalTime = 0.0f;
    in_.Float(animation.totalTime);
    std::uint32_t keys = 0;
    if (!in_.Unsigned(keys)) keys = 0;
    animation.keyCount = std::min<std::uint32_t>(keys, kMaxKeys);
    for (std::uint32_t k = 0; k < keys; ++k) {
      const bool stored = k < kMaxKeys;
      if (!stored && in_.AtEnd()) break;
      progress_.Step(in_.Position());
      ReadKey(stored ? animation.keys[k] : Scratch().key);
    }
    in_.SkipPast("}");
  }

  // ANIM_KEY { time keyBoneCount, the ANIM_FRAME blocks, then "}".
  void ReadKey(AnimKey& key) {
    in_.Word();  // "ANIM_KEY"
    in_.Word();  // "{"
    key.time = 0.0f;
    in_.Float(key.time);
    std::uint32_t frames = 0;
    if (!in_.Unsigned(frames)) frames = 0;
    key.keyBoneCount = std::min<std::uint32_t>(frames, kMaxKeyBones);
    for (std::uint32_t j = 0; j < frames; ++j) {
      const bool stored = j < kMaxKeyBones;
      if (!stored && in_.AtEnd()) break;
      KeyBone& keyBone = stored ? key.keyBones[j] : Scratch().keyBone;
      keyBone = KeyBone{};
      keyBone.boneIndex = kUnboundKeyBone;  // until the key bones are resolved
      in_.Word();                           // "ANIM_FRAME"
      in_.Word();                           // "{"
      keyBone.boneName.Set(in_.Word());
      ReadMatrix(keyBone.matrix);
      in_.SkipPast("}");
    }
    in_.SkipPast("}");
  }

  // ---- finishing steps

  void FinishModel() {
    model_.viewMatrix = Matrix4::Identity();
    LoadTextures();
    model_.currentMaterial = 0;
    FinishSkeleton();
  }

  // Texture files are looked for beside the model file.
  void LoadTextures() {
    for (std::uint32_t i = 0; i < model_.materialCount; ++i) {
      Material& material = model_.materials[i];
      if (material.hasTexture == 0 || material.textureFile.empty()) {
        material.texture = 0;
        material.hasTexture = 0;
        material.textureFile.clear();
        continue;
      }
      material.textureFile = TexturePathBesideModel(path_, material.textureFile);
      material.texture =
          material::LoadTexture(model_.host(), model_.textures(), material.textureFile,
                                material.alphaMode, material.alphaValue);
    }
  }

  void FinishSkeleton() {
    if (model_.boneCount == 0) return;
    if (!ResolveHierarchy()) return;
    anim::UpdateBindMatrices(model_, model_.rootBone);  // bind and frame matrices of the whole tree
    ResolveKeyBones();
  }

  // Links every bone to its parent and its parent's child chain. False, with the skeleton
  // dropped, when a parent is missing or the bones do not form one tree under one root.
  bool ResolveHierarchy() {
    const std::optional<anim::HierarchyFault> fault = anim::LinkBonesByParentName(model_);
    if (!fault) return true;
    model_.host().ErrorBox(fault->message, path_, Severity::Error);
    DropSkeleton();
    return false;
  }

  void DropSkeleton() {
    model_.boneCount = 0;
    model_.rootBone = kNoBone;
  }

  // Binds every key bone to the bone of its name; the first name without a bone stops the
  // binding, and the key bones not reached stay unbound.
  void ResolveKeyBones() {
    for (std::uint32_t a = 0; a < model_.animationCount; ++a) {
      Animation& animation = model_.animation(a);
      for (std::uint32_t k = 0; k < animation.keyCount; ++k) {
        AnimKey& key = animation.keys[k];
        for (std::uint32_t j = 0; j < key.keyBoneCount; ++j) {
          KeyBone& keyBone = key.keyBones[j];
          const std::int32_t bone = model_.FindBoneByName(keyBone.boneName.view());
          if (bone == kNoBone) {
            model_.host().ErrorBox("Bad animation frame name:", keyBone.boneName.view(),
                                   Severity::Error);
            return;
          }
          keyBone.boneIndex = static_cast<std::uint32_t>(bone);
        }
      }
    }
  }

  // Runs after every load, finished or not: nothing the file said may leave a reference that
  // the rest of the editor would follow into nothing.
  void KeepReferencesValid() {
    // A face's material must be a material of the table: faces naming one beyond the count join
    // material 0.
    const std::uint32_t materials = std::max<std::uint32_t>(model_.materialCount, 1);
    for (std::uint32_t m = materials; m < kMaxMaterials; ++m) model_.MoveMaterialChain(0, m);
    // Bone slots beyond the count hold no weights, so no weight outlives its bone.
    for (std::uint32_t b = model_.boneCount; b < kMaxBones; ++b) model_.bones[b].weights.Clear();
    // Current items that the new tables no longer hold are none (Import Animations keeps them
    // otherwise).
    if (!model_.HasBone(model_.currentBone)) model_.currentBone = -1;
    if (!model_.HasAnimation(model_.currentAnimation)) model_.currentAnimation = -1;
    if (!model_.HasKey(model_.currentAnimation, model_.currentKey)) model_.currentKey = -1;
    if (!model_.HasKeyBone(model_.currentAnimation, model_.currentKey, model_.currentKeyBone)) {
      model_.currentKeyBone = -1;
    }
  }

  struct ScratchRecords {
    Animation animation;
    AnimKey key;
    KeyBone keyBone;
  };
  // Where entries beyond a table's capacity are read to be thrown away; made when first needed.
  ScratchRecords& Scratch() {
    if (!scratch_) scratch_ = std::make_unique<ScratchRecords>();
    return *scratch_;
  }

  Model& model_;
  WordScanner in_;
  std::string_view path_;
  Mode mode_;
  float version_ = 0.0f;  // the VERSION section's number; 0 before any
  // The vertices of the latest VERTICES section, in file order: they took the ids from
  // tableFirstId_ on, one after another, and nothing is removed while a file is read.
  std::uint32_t tableFirstId_ = 0;
  std::uint32_t tableCount_ = 0;
  bool tableHasFaces_ = false;       // a FACES section has used the table's vertices
  std::vector<std::uint32_t> seen_;  // per table entry: the weight list that last took it
  std::uint32_t seenStamp_ = 0;
  Material scratchMaterial_;
  Bone scratchBone_;
  std::unique_ptr<ScratchRecords> scratch_;
  ProgressMeter progress_;
};

void ResetForModelFile(Model& model) {
  model.Reset();
  model.materialCount = 0;  // a version 2 file brings its own materials
}

}  // namespace

bool ReadModelText(Model& model, std::string_view text, std::string_view path) {
  ResetForModelFile(model);
  return ZmfReader(model, WordScanner(text), text.size(), path, Mode::WholeModel).Run();
}

void ImportAnimationsText(Model& model, std::string_view text, std::string_view path) {
  ZmfReader(model, WordScanner(text), text.size(), path, Mode::AnimationsOnly).Run();
}

namespace {

// Reads the file in blocks; false (after telling why) when it cannot be opened or read to its
// end.
bool ReadFile(Model& model, std::string_view path, Mode mode) {
  FileBlocks blocks;
  bool read = blocks.Open(path);
  if (read) read = ZmfReader(model, WordScanner(blocks), blocks.size(), path, mode).Run();
  if (blocks.failed()) {
    model.host().ErrorBox("Could not open file:", path, Severity::Error);
    return false;
  }
  return read;
}

}  // namespace

bool ReadModelFile(Model& model, std::string_view path) {
  ResetForModelFile(model);
  return ReadFile(model, path, Mode::WholeModel);
}

void ImportAnimations(Model& model, std::string_view path) {
  ReadFile(model, path, Mode::AnimationsOnly);
}

}  // namespace zmf::format

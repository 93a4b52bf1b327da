// The ZMF writer: magic, version, comment, vertices, faces, materials, bones, animations.
#include "format/zmf_writer.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "edit/journal.h"
#include "material/texels.h"
#include "model/progress.h"

namespace zmf::format {
namespace {

bool IsWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The part of a texture path after its last separator: files name their textures beside them.
std::string_view FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The texture file's absolute path when it can be written as one word the reader takes back
// whole (no blank, not too long); empty otherwise, and the file name alone is written.
std::string AbsoluteWord(const std::string& file) {
  if (file.empty() || FileNamePart(file).empty()) return {};
  std::error_code error;
  const std::string path = std::filesystem::absolute(file, error).lexically_normal().string();
  if (error || path.size() > static_cast<std::size_t>(kMaxTextureFileLength)) return {};
  if (std::any_of(path.begin(), path.end(), [](char c) { return IsWhitespace(c); })) return {};
  return path;
}

// "NAME { COUNT" and the end of the line: how each list section starts.
void PutSectionStart(TextSink& out, std::string_view name, std::uint32_t count) {
  out.Put(name);
  out.Put(" { ");
  out.PutUnsigned(count);
  out.Put('\n');
}

// "%f %u" and the end of the line: an animation's length and keys, a key's time and key bones.
void PutTimeAndCount(TextSink& out, float seconds, std::uint32_t count) {
  out.PutFloat(seconds);
  out.Put(' ');
  out.PutUnsigned(count);
  out.Put('\n');
}

void PutFloats(TextSink& out, const float* values, int count, char separator) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) out.Put(separator);
    out.PutFloat(values[i]);
  }
}

// "%f " sixteen times: each number followed by a space.
void PutMatrix(TextSink& out, const Matrix4& matrix) {
  for (float value : matrix.m) {
    out.PutFloat(value);
    out.Put(' ');
  }
}

void PutVertices(const Model& model, bool texCoords, TextSink& out, ProgressMeter& progress) {
  out.Put(texCoords ? "VERTICES { POSITION_NORMAL_TEXCOORDS " : "VERTICES { POSITION_NORMAL ");
  out.PutUnsigned(model.vertices.count());
  for (const Vertex* v : model.vertices) {
    progress.Advance();
    out.Put("\n\t");
    PutVertexValues(out, *v, texCoords);
  }
  out.Put("\n}\n");
}

// `materials` is the number of materials written: a face whose material lies beyond them (a file
// or an importer can give one) is saved as material 0, which is how it is drawn.
void PutFaces(const Model& model, std::uint32_t materials, TextSink& out, ProgressMeter& progress) {
  // A face missing a corner (re-created around a vertex that is gone) cannot be written.
  std::uint32_t complete = 0;
  for (const Face* f : model.faces) complete += f->HasAllCorners() ? 1 : 0;
  PutSectionStart(out, "FACES", complete);
  for (const Face* f : model.faces) {
    progress.Advance();
    if (!f->HasAllCorners()) continue;
    out.Put('\t');
    out.PutUnsigned(f->a->id);
    out.Put(' ');
    out.PutUnsigned(f->b->id);
    out.Put(' ');
    out.PutUnsigned(f->c->id);
    out.Put('\t');
    out.PutUnsigned(f->material < materials ? f->material : 0u);
    out.Put('\n');
  }
  out.Put("}\n");
}

void PutColour(TextSink& out, std::string_view label, const Colour& colour) {
  out.Put("\t\t");
  out.Put(label);
  out.Put(' ');
  PutFloats(out, colour.data(), 4, ' ');
  out.Put('\n');
}

void PutAlpha(TextSink& out, const Material& material) {
  if (material.alphaMode < material::kAlphaConstant) {
    out.Put("\t\t\tALPHA ");
    out.Put(material::kAlphaModeWords[material.alphaMode]);
    out.Put('\n');
  } else if (material.alphaMode == material::kAlphaConstant) {
    out.Put("\t\t\tALPHA ");
    out.PutFloat(material.alphaValue);
    out.Put('\n');
  }
  // Other modes (10 from version 1 files) have no word: the texture is written without one.
}

void PutMaterials(const Model& model, std::uint32_t count, TextureNames names, TextSink& out) {
  PutSectionStart(out, "MATERIALS", count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const Material& m = model.materials[i];
    out.Put("\tMATERIAL { NAME ");
    PutName(out, m.name.view());
    out.Put('\n');
    PutColour(out, "AMBIENT", m.ambient);
    PutColour(out, "DIFFUSE", m.diffuse);
    PutColour(out, "EMISSION", m.emission);
    PutColour(out, "SPECULAR", m.specular);
    out.Put("\t\tSHININESS ");
    out.PutUnsigned(m.shininess);
    out.Put('\n');
    if (m.hasTexture != 0) {
      out.Put("\t\tTEXTURE {\n");
      // A path without a file name ("tex/") has no word to write: an empty FILE entry would
      // make the reader take the next word for the file name.
      const std::string absolute =
          names == TextureNames::AbsolutePath ? AbsoluteWord(m.textureFile) : std::string();
      const std::string_view file = absolute.empty() ? FileNamePart(m.textureFile) : absolute;
      if (!file.empty()) {
        out.Put("\t\t\tFILE ");
        out.Put(file);
        out.Put('\n');
      }
      PutAlpha(out, m);
      out.Put("\t\t}\n");
    }
    out.Put("\t}\n");
  }
  out.Put("}\n");
}

void PutBones(const Model& model, std::uint32_t count, TextSink& out, ProgressMeter& progress) {
  PutSectionStart(out, "BONES", count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const Bone& bone = model.bones[i];
    out.Put("\tBONE { NAME ");
    PutName(out, bone.name.view());
    out.Put("\n\t\tPARENT ");
    PutName(out, bone.parentName.view());
    out.Put("\n\t\tMATRIX ");
    PutMatrix(out, bone.localMatrix);
    out.Put("\n\t\tGRAMS ");
    out.PutFloat(bone.grams);
    out.Put("\n\t\tVERTEX_WEIGHTS { ");
    std::uint32_t weights = 0;
    for (const VertexWeight* w : bone.weights) weights += w->vertex != nullptr ? 1 : 0;
    out.PutUnsigned(weights);
    out.Put('\n');
    for (const VertexWeight* w : bone.weights) {
      progress.Advance();
      if (w->vertex == nullptr) continue;
      out.Put("\t\t\t");
      out.PutUnsigned(w->vertex->id);
      out.Put(' ');
      out.PutFloat(w->weight);
      out.Put('\n');
    }
    out.Put("\t\t}\n\t}\n");
  }
  out.Put("}\n");
}

void PutAnimations(const Model& model, std::uint32_t count, TextSink& out,
                   ProgressMeter& progress) {
  PutSectionStart(out, "ANIMATIONS", count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const Animation& animation = model.animation(i);
    const std::uint32_t keys = animation.keyCount;
    out.Put("\tANIMATION {\n\t\t");
    PutName(out, animation.name.view());
    out.Put(' ');
    PutTimeAndCount(out, animation.totalTime, keys);
    for (std::uint32_t k = 0; k < keys; ++k) {
      const AnimKey& key = animation.keys[k];
      progress.Advance(key.keyBoneCount);
      const std::uint32_t keyBones = key.keyBoneCount;
      out.Put("\t\tANIM_KEY { ");
      PutTimeAndCount(out, key.time, keyBones);
      for (std::uint32_t j = 0; j < keyBones; ++j) {
        const KeyBone& keyBone = key.keyBones[j];
        out.Put("\t\t\tANIM_FRAME { ");
        PutName(out, keyBone.boneName.view());
        out.Put(' ');
        PutMatrix(out, keyBone.matrix);
        out.Put("}\n");
      }
      out.Put("\t\t}\n");
    }
    out.Put("\t}\n");
  }
  out.Put("}\n");
}

// Texture coordinates are written when a material has a texture, and also when some vertex has
// coordinates of its own (imported, or made from the view) that saving must not lose.
bool NeedsTexCoords(const Model& model, std::uint32_t materials) {
  for (std::uint32_t i = 0; i < materials; ++i) {
    if (model.materials[i].hasTexture != 0) return true;
  }
  for (const Vertex* v : model.vertices) {
    if (v->u != 0.0f || v->v != 0.0f) return true;
  }
  return false;
}

// The units of work WriteModel counts: vertices, faces, bone weights and animation frames.
std::uint64_t WorkOf(const Model& model) {
  std::uint64_t work = std::uint64_t{model.vertices.count()} + model.faces.count();
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    work += model.bones[b].weights.count();
  }
  for (std::uint32_t a = 0; a < model.animationCount; ++a) {
    const Animation& animation = model.animation(a);
    for (std::uint32_t k = 0; k < animation.keyCount; ++k) {
      work += animation.keys[k].keyBoneCount;
    }
  }
  return work;
}

}  // namespace

void PutVertexValues(TextSink& out, const Vertex& v, bool texCoords) {
  out.PutVector(v.position, ' ');
  out.Put('\t');
  out.PutVector(v.normal, ' ');
  if (texCoords) {
    out.Put('\t');
    out.PutFloat(v.u);
    out.Put(' ');
    out.PutFloat(v.v);
  }
}

void PutName(TextSink& out, std::string_view name) {
  if (name.empty()) {
    out.Put('_');
    return;
  }
  for (char c : name) out.Put(IsWhitespace(c) ? '_' : c);
}

void WriteModel(const Model& model, TextSink& out) {
  ProgressMeter unheard;
  WriteModel(model, out, unheard);
}

void WriteModel(const Model& model, TextSink& out, ProgressMeter& progress, TextureNames names) {
  const std::uint32_t materials = std::min<std::uint32_t>(model.materialCount, kMaxMaterials);
  const std::uint32_t bones = model.boneCount;
  const std::uint32_t animations = model.animationCount;
  const bool texCoords = NeedsTexCoords(model, materials);

  out.Put(
      "ZMF\n"
      "VERSION { 2.00 }\n"
      "COMMENT { This file was generated by Tarnhollow's ZmfEdit. }\n");
  PutVertices(model, texCoords, out, progress);
  PutFaces(model, materials, out, progress);
  PutMaterials(model, materials, names, out);
  // Animations refer to bones by name: without bones neither is written.
  if (bones == 0) return;
  PutBones(model, bones, out, progress);
  if (animations > 0) PutAnimations(model, animations, out, progress);
}

namespace {

// The whole text of a model with vertices into `out`, after the renumbering.
void WriteRenumbered(Model& model, TextSink& out, TextureNames names) {
  edit::RenumberIds(model);
  ProgressMeter progress(model.host(), "Writing model...", WorkOf(model));
  WriteModel(model, out, progress, names);
}

}  // namespace

std::string WriteModelText(Model& model, TextureNames names) {
  if (model.vertices.count() == 0) return {};
  StringSink out;
  WriteRenumbered(model, out, names);
  return out.TakeText();
}

std::vector<std::string> WriteModelBlocks(Model& model, TextureNames names) {
  if (model.vertices.count() == 0) return {};
  BlockSink out;
  WriteRenumbered(model, out, names);
  return out.TakeBlocks();
}

bool WriteModelFile(Model& model, std::string_view path) {
  if (model.vertices.count() == 0) return false;
  edit::RenumberIds(model);
  FileSink out(path);
  bool written = out.Open();
  if (written) {
    ProgressMeter progress(model.host(), ProgressText("Writing", path), WorkOf(model));
    WriteModel(model, out, progress);
    written = out.Commit();
  }  // the work is over before any error box
  if (!written) model.host().ErrorBox("Could not write to file:", path, Severity::Error);
  return written;
}

}  // namespace zmf::format

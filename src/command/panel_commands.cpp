// The panels refreshed from the model, and the mesh and normals panels' lists and buttons.
#include "command/panel_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "command/material_commands.h"
#include "command/panel_text.h"
#include "command/skeleton_commands.h"
#include "edit/journal.h"
#include "format/number_text.h"

namespace zmf::command {
namespace {

using view::PanelState;

std::string Fixed3(float value) {
  char text[64];  // "%.3f" of the largest float fits
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(value));
  return text;
}

std::string Name(std::uint32_t id) { return std::to_string(id); }

template <class T>
std::vector<std::uint32_t> SelectedIds(const RecordList<T>& list) {
  std::vector<std::uint32_t> ids;
  ids.reserve(list.selCount());
  for (const T* record : list.Selected()) ids.push_back(record->id);
  return ids;
}

// Rows 0, 1, ... n - 1 as item data.
std::vector<std::uint32_t> Indices(std::uint32_t n) {
  std::vector<std::uint32_t> items(n);
  for (std::uint32_t i = 0; i < n; ++i) items[i] = i;
  return items;
}

bool Current(std::int32_t index, std::uint32_t count) {
  return index >= 0 && static_cast<std::uint32_t>(index) < count;
}

void SetMatrixBoxes(PanelState& panels, const char* prefix, const Matrix4& m) {
  for (int e = 0; e < 16; ++e) panels.SetText(prefix + std::to_string(e), Fixed3(m[e]));
}

void SetBoxes3(PanelState& panels, std::uint32_t applyId, const Vector3& v) {
  const std::string texts[] = {Fixed3(v.x), Fixed3(v.y), Fixed3(v.z)};
  panels.SetBoxTexts(applyId, texts);
}

// The row the list's pick names, as the pick commands check it.
std::optional<std::uint32_t> Row(CommandContext& context, std::uint32_t rows) {
  return PickedRow(context.arguments, rows, context.problem);
}

// An edit box as the apply reads it: at most 31 characters, then its number (0 when none).
float BoxValue(const std::string& text) { return BoxNumber(std::string_view(text).substr(0, 31)); }

// A number-only box: digits and nothing else (blanks around them allowed); nullopt otherwise.
std::optional<std::uint32_t> WholeUnsigned(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::uint32_t value = 0;
  if (text.empty() || format::ParseUnsignedPrefix(text, value) != text.size()) return std::nullopt;
  return value;
}

// The vertex an apply changes: the one at the list's picked row of the selection.
Vertex* PickedVertex(CommandContext& context, std::uint32_t listId) {
  if (context.editor == nullptr) return nullptr;
  return context.model.vertices.NthSelected(PickedPanelRow(*context.editor, listId));
}

bool ThreeTexts(CommandContext& context, const char* what) {
  if (context.arguments.size() == 3) return true;
  context.problem = std::string(what) + " takes three texts";
  return false;
}

}  // namespace

std::int32_t PickedPanelRow(const view::EditorState& editor, std::uint32_t listId) {
  return editor.panels.Get(Name(listId)).picked;
}

void RefreshMeshPanel(Model& model, view::EditorState& editor) {
  editor.panels.SetRows(Name(kListVertices), SelectedIds(model.vertices));
  editor.panels.SetRows(Name(kListFaces), SelectedIds(model.faces));
}

void RefreshNormalsPanel(Model& model, view::EditorState& editor) {
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  editor.panels.SetRows(Name(kListNormals), SelectedIds(model.vertices));
  editor.panels.SetRows(Name(kListDuplicates), SelectedIds(model.duplicates));
}

void RefreshMaterialPanel(Model& model, view::EditorState& editor) {
  PanelState& panels = editor.panels;
  std::vector<std::string> names;
  for (std::uint32_t i = 0; i < model.materialCount; ++i)
    names.push_back(model.materials[i].name.str());
  panels.SetRows(Name(kListMaterials), Indices(model.materialCount), std::move(names),
                 static_cast<std::int32_t>(model.currentMaterial));
  const bool hasMaterial = model.currentMaterial < model.materialCount;
  const bool textureOn = hasMaterial && model.materials[model.currentMaterial].hasTexture != 0;
  if (hasMaterial) {
    const Material& m = model.materials[model.currentMaterial];
    std::vector<std::string> colours;
    for (const Colour* c : {&m.ambient, &m.diffuse, &m.emission, &m.specular}) {
      for (float value : *c) colours.push_back(Fixed3(value));
    }
    colours.push_back(std::to_string(m.shininess));
    panels.SetBoxTexts(kApplyColours, colours);
    panels.SetText("texture-path", m.textureFile);
    panels.SetText("551", Fixed3(m.alphaValue));
  }
  panels.SetChecked(Name(kApplyTextureToggle), textureOn);
  for (const char* name : {"texture-label", "560", "texture-path", "alpha-format-label",
                           "alpha-value-label", "550", "551", "584", "selected-texcoords-label",
                           "548", "texcoord-label", "546", "547", "559", "32834"}) {
    panels.SetEnabled(name, textureOn);
  }
  static const char* const kAlphaModes[] = {"NONE",       "Luminance",   "Inverse Luminance",
                                            "Black Mask", "White Mask",  "First Pixel",
                                            "In File",    "Static Value"};
  panels.SetRows(Name(kListAlphaModes), Indices(kAlphaModeListRows),
                 std::vector<std::string>(std::begin(kAlphaModes), std::end(kAlphaModes)),
                 editor.alphaListRow);
  panels.SetRows(Name(kListTexCoords), SelectedIds(model.vertices), {}, editor.texCoordListRow);
}

void RefreshSkeletonPanel(Model& model, view::EditorState& editor) {
  PanelState& panels = editor.panels;
  const std::uint32_t bones = model.boneCount;
  std::vector<std::string> boneNames;
  for (std::uint32_t i = 0; i < bones; ++i) boneNames.push_back(model.bones[i].name.str());
  std::vector<std::string> parents = boneNames;
  parents.emplace_back(kRootParentName);
  panels.SetRows(Name(kListBones), Indices(bones), std::move(boneNames), model.currentBone);
  panels.SetRows(Name(kListParents), Indices(bones + 1), std::move(parents), editor.parentListRow);
  const std::uint32_t animations = model.animationCount;
  std::vector<std::string> animationNames;
  for (std::uint32_t i = 0; i < animations; ++i) {
    animationNames.push_back(model.animation(i).name.str());
  }
  panels.SetRows(Name(kListAnimations), Indices(animations), std::move(animationNames),
                 model.currentAnimation);
  panels.SetText(Name(kCommandRunAnimation), model.animationRunning ? "Stop" : "Run");

  // The bone: its offset matrix and the weights that name its vertices.
  if (Current(model.currentBone, bones)) {
    const Bone& bone = model.bones[model.currentBone];
    SetMatrixBoxes(panels, "bone-m", bone.localMatrix);
    std::vector<std::uint32_t> weights;
    for (const VertexWeight* w : bone.weights) weights.push_back(w->id);
    panels.SetRows(Name(kListWeights), std::move(weights));
  } else {
    panels.SetRows(Name(kListWeights), {});
  }
  // The animation: its total time and key times; the key: its key bones; the key bone: its
  // matrix. A list whose owner is gone is emptied.
  if (Current(model.currentAnimation, animations)) {
    const Animation& a = model.animation(model.currentAnimation);
    panels.SetText("552", Fixed3(a.totalTime));
    const std::uint32_t keys = a.keyCount;
    std::vector<std::string> times;
    for (std::uint32_t k = 0; k < keys; ++k) times.push_back(Fixed3(a.keys[k].time));
    panels.SetRows(Name(kListKeys), Indices(keys), std::move(times), model.currentKey);
    if (Current(model.currentKey, keys)) {
      const AnimKey& key = a.keys[model.currentKey];
      const std::uint32_t keyBones = key.keyBoneCount;
      std::vector<std::string> keyBoneNames;
      for (std::uint32_t b = 0; b < keyBones; ++b)
        keyBoneNames.push_back(key.keyBones[b].boneName.str());
      panels.SetRows(Name(kListKeyBones), Indices(keyBones), std::move(keyBoneNames),
                     model.currentKeyBone);
      if (Current(model.currentKeyBone, keyBones)) {
        SetMatrixBoxes(panels, "key-m", key.keyBones[model.currentKeyBone].matrix);
      }
    } else {
      panels.SetRows(Name(kListKeyBones), {});
    }
  } else {
    panels.SetRows(Name(kListKeys), {});
    panels.SetRows(Name(kListKeyBones), {});
  }
}

void RefreshPanel(Model& model, view::EditorState& editor, view::ViewMode panel) {
  switch (panel) {
    case view::ViewMode::Mesh:
      RefreshMeshPanel(model, editor);
      break;
    case view::ViewMode::Normals:
      RefreshNormalsPanel(model, editor);
      break;
    case view::ViewMode::Material:
      RefreshMaterialPanel(model, editor);
      break;
    case view::ViewMode::Skeleton:
      RefreshSkeletonPanel(model, editor);
      break;
  }
}

Refresh PickVertexRowCommand(CommandContext& context) {
  const std::optional<std::uint32_t> row = Row(context, context.model.vertices.selCount());
  if (!row || context.editor == nullptr) return Refresh::None;
  view::EditorState& editor = *context.editor;
  editor.activeList = view::PanelList::Vertex;
  editor.panels.SetPicked(Name(kListVertices), static_cast<std::int32_t>(*row));
  if (const Vertex* v = context.model.vertices.NthSelected(*row)) {
    SetBoxes3(editor.panels, kApplyPosition, v->position);
  }
  return Refresh::None;
}

Refresh PickFaceRowCommand(CommandContext& context) {
  const std::optional<std::uint32_t> row = Row(context, context.model.faces.selCount());
  if (!row || context.editor == nullptr) return Refresh::None;
  view::EditorState& editor = *context.editor;
  editor.activeList = view::PanelList::Face;
  editor.panels.SetPicked(Name(kListFaces), static_cast<std::int32_t>(*row));
  if (const Face* f = context.model.faces.NthSelected(*row)) {
    auto id = [](const Vertex* v) { return v != nullptr ? std::to_string(v->id) : std::string(); };
    const std::string texts[] = {id(f->a), id(f->b), id(f->c)};
    editor.panels.SetBoxTexts(kApplyCorners, texts);
  }
  return Refresh::None;
}

Refresh PickNormalRowCommand(CommandContext& context) {
  const std::optional<std::uint32_t> row = Row(context, context.model.vertices.selCount());
  if (!row || context.editor == nullptr) return Refresh::None;
  context.editor->panels.SetPicked(Name(kListNormals), static_cast<std::int32_t>(*row));
  if (const Vertex* v = context.model.vertices.NthSelected(*row)) {
    SetBoxes3(context.editor->panels, kApplyNormal, v->normal);
  }
  return Refresh::None;
}

Refresh PickDuplicateRowCommand(CommandContext& context) {
  const std::optional<std::uint32_t> row = Row(context, context.model.duplicates.selCount());
  if (!row || context.editor == nullptr) return Refresh::None;
  context.editor->panels.SetPicked(Name(kListDuplicates), static_cast<std::int32_t>(*row));
  const Duplicate* d = context.model.duplicates.NthSelected(*row);
  if (d == nullptr || d->vertex == nullptr || d->twin == nullptr) return Refresh::None;
  const Vertex& a = *d->vertex;
  const Vertex& b = *d->twin;
  char text[512];  // ten "%.3f" of the largest floats and two ids fit
  std::snprintf(text, sizeof text,
                "Vertices: %u,%u\nNormals:\n%.3f,%.3f,%.3f\n%.3f,%.3f,%.3f\nTexUV:\n%.3f,%.3f\n"
                "%.3f,%.3f",
                a.id, b.id, static_cast<double>(a.normal.x), static_cast<double>(a.normal.y),
                static_cast<double>(a.normal.z), static_cast<double>(b.normal.x),
                static_cast<double>(b.normal.y), static_cast<double>(b.normal.z),
                static_cast<double>(a.u), static_cast<double>(a.v), static_cast<double>(b.u),
                static_cast<double>(b.v));
  context.editor->panels.SetText("duplicate-details", text);
  return Refresh::None;
}

Refresh PickWeightRowCommand(CommandContext& context) {
  if (context.editor == nullptr) return Refresh::None;
  const std::size_t rows = context.editor->panels.Get(Name(kListWeights)).Rows();
  const std::optional<std::uint32_t> row = Row(context, static_cast<std::uint32_t>(rows));
  if (row) context.editor->panels.SetPicked(Name(kListWeights), static_cast<std::int32_t>(*row));
  return Refresh::None;
}

Refresh RemoveVertexCommand(CommandContext& context) {
  if (!context.arguments.empty()) {
    context.problem = "rmv takes no texts";
    return Refresh::None;
  }
  Vertex* v = PickedVertex(context, kListVertices);
  if (v == nullptr) return Refresh::None;
  context.model.vertices.Unselect(v);
  return Refresh::Mesh;
}

Refresh ApplyPositionCommand(CommandContext& context) {
  if (!ThreeTexts(context, "the position")) return Refresh::None;
  Vertex* v = PickedVertex(context, kListVertices);
  if (v == nullptr) return Refresh::None;
  const auto& boxes = context.arguments;
  edit::JournalSetVertex(context.model, v,
                         {BoxValue(boxes[0]), BoxValue(boxes[1]), BoxValue(boxes[2])}, v->normal,
                         v->u, v->v);
  return Refresh::None;
}

Refresh ApplyCornersCommand(CommandContext& context) {
  if (!ThreeTexts(context, "the face's corners")) return Refresh::None;
  if (context.editor == nullptr) return Refresh::None;
  Model& model = context.model;
  Face* face = model.faces.NthSelected(PickedPanelRow(*context.editor, kListFaces));
  if (face == nullptr) return Refresh::None;
  Vertex* corners[3] = {};
  for (int k = 0; k < 3; ++k) {
    const std::optional<std::uint32_t> id = WholeUnsigned(context.arguments[k]);
    if (!id) return Refresh::None;
    corners[k] = model.vertices.FindById(*id);
  }
  edit::JournalSetFaceVertices(model, face, corners[0], corners[1], corners[2]);
  return Refresh::None;
}

Refresh ApplyNormalCommand(CommandContext& context) {
  if (!ThreeTexts(context, "the normal")) return Refresh::None;
  Vertex* v = PickedVertex(context, kListNormals);
  if (v == nullptr) return Refresh::None;
  const auto& boxes = context.arguments;
  edit::JournalSetVertex(context.model, v, v->position,
                         {BoxValue(boxes[0]), BoxValue(boxes[1]), BoxValue(boxes[2])}, v->u, v->v);
  return Refresh::None;
}

}  // namespace zmf::command

// The panels' controls and what they show.
#include "view/panels.h"

#include <array>
#include <cassert>
#include <cstdio>

#include "view/editor_state.h"

namespace zmf::view {
namespace {

// clang-format off
constexpr PanelControl kControls[] = {
    {ViewMode::Mesh, ControlKind::Static, 576, 32, 128, 24, 0, "selected-vertices-label", "Selected Vertices", 0},
    {ViewMode::Mesh, ControlKind::List, 576, 56, 128, 400, kListVertices, "520", "", 0},
    {ViewMode::Mesh, ControlKind::Button, 708, 56, 32, 24, 563, "563", "rmv", 0},
    {ViewMode::Mesh, ControlKind::Static, 576, 80, 128, 24, 0, "position-label", "Position (x,y,z)", 0},
    {ViewMode::Mesh, ControlKind::Box, 576, 104, 44, 24, 521, "521", "", 0},
    {ViewMode::Mesh, ControlKind::Box, 624, 104, 44, 24, 522, "522", "", 0},
    {ViewMode::Mesh, ControlKind::Box, 672, 104, 44, 24, 523, "523", "", 0},
    {ViewMode::Mesh, ControlKind::Ok, 716, 104, 24, 24, 555, "555", "ok", 0},
    {ViewMode::Mesh, ControlKind::Static, 576, 160, 128, 24, 0, "selected-faces-label", "Selected Faces", 0},
    {ViewMode::Mesh, ControlKind::List, 576, 184, 128, 400, kListFaces, "524", "", 0},
    {ViewMode::Mesh, ControlKind::Static, 576, 208, 128, 24, 0, "face-vertices-label", "Face Vertices", 0},
    {ViewMode::Mesh, ControlKind::NumberBox, 576, 232, 44, 24, 525, "525", "", 0},
    {ViewMode::Mesh, ControlKind::NumberBox, 624, 232, 44, 24, 526, "526", "", 0},
    {ViewMode::Mesh, ControlKind::NumberBox, 672, 232, 44, 24, 527, "527", "", 0},
    {ViewMode::Mesh, ControlKind::Ok, 716, 232, 24, 24, 556, "556", "ok", 0},
    {ViewMode::Mesh, ControlKind::Button, 576, 256, 192, 24, 591, "591", "Select Connected Faces", 0},
    {ViewMode::Mesh, ControlKind::Icon, 544, 32, 32, 32, 32812, "32812", "", 138},
    {ViewMode::Mesh, ControlKind::Button, 544, 64, 32, 32, 32836, "32836", "wld", 0},
    {ViewMode::Mesh, ControlKind::Button, 544, 96, 32, 32, 32837, "32837", "rdc", 0},
    {ViewMode::Mesh, ControlKind::Icon, 544, 160, 32, 32, 32813, "32813", "", 138},
    {ViewMode::Mesh, ControlKind::Button, 544, 192, 32, 32, 32838, "32838", "rev", 0},
    {ViewMode::Mesh, ControlKind::Button, 544, 224, 32, 32, 32839, "32839", "spl", 0},
    {ViewMode::Mesh, ControlKind::Icon, 544, 256, 32, 32, 32819, "32819", "", 161},
    {ViewMode::Mesh, ControlKind::Icon, 544, 288, 32, 32, 32820, "32820", "", 162},
    {ViewMode::Mesh, ControlKind::Icon, 544, 320, 32, 32, 32793, "32793", "", 151},
    {ViewMode::Mesh, ControlKind::Icon, 544, 352, 32, 32, 32792, "32792", "", 153},
    {ViewMode::Mesh, ControlKind::Icon, 544, 384, 32, 32, 32794, "32794", "", 156},
    {ViewMode::Mesh, ControlKind::Icon, 544, 416, 32, 32, 32835, "32835", "", 163},
    {ViewMode::Mesh, ControlKind::Icon, 544, 448, 32, 32, 32796, "32796", "", 154},
    {ViewMode::Mesh, ControlKind::Icon, 544, 480, 32, 32, 32795, "32795", "", 155},
    {ViewMode::Mesh, ControlKind::Icon, 544, 512, 32, 32, 32797, "32797", "", 152},
    {ViewMode::Normals, ControlKind::Static, 576, 32, 128, 24, 0, "selected-normals-label", "Selected Normals", 0},
    {ViewMode::Normals, ControlKind::List, 576, 56, 128, 400, kListNormals, "528", "", 0},
    {ViewMode::Normals, ControlKind::Static, 576, 80, 128, 24, 0, "normal-label", "Normal (x,y,z)", 0},
    {ViewMode::Normals, ControlKind::Box, 576, 104, 44, 24, 0, "normal-x", "", 0},
    {ViewMode::Normals, ControlKind::Box, 624, 104, 44, 24, 0, "normal-y", "", 0},
    {ViewMode::Normals, ControlKind::Box, 672, 104, 44, 24, 0, "normal-z", "", 0},
    {ViewMode::Normals, ControlKind::Ok, 716, 104, 24, 24, 557, "557", "ok", 0},
    {ViewMode::Normals, ControlKind::Static, 576, 128, 192, 24, 0, "selected-duplicates-label", "Selected Duplicates", 0},
    {ViewMode::Normals, ControlKind::List, 576, 152, 128, 400, kListDuplicates, "532", "", 0},
    {ViewMode::Normals, ControlKind::Static, 576, 176, 128, 120, 0, "duplicate-details", "Vertices:\nNorms:\nTexUV:", 0},
    {ViewMode::Normals, ControlKind::Static, 576, 296, 192, 120, 0, "calculate-normals-label", "Calculate Normals From", 0},
    {ViewMode::Normals, ControlKind::Button, 576, 320, 192, 24, 32846, "32846", "Selected Vertices", 0},
    {ViewMode::Normals, ControlKind::Button, 576, 344, 192, 24, 32847, "32847", "Connected Vertices", 0},
    {ViewMode::Normals, ControlKind::Button, 576, 368, 192, 24, 32848, "32848", "Connected and Duplicates", 0},
    {ViewMode::Normals, ControlKind::Button, 576, 416, 192, 24, 32849, "32849", "Duplicate Vertices", 0},
    {ViewMode::Normals, ControlKind::Button, 576, 440, 192, 24, 32850, "32850", "Duplicate Back Faces", 0},
    {ViewMode::Material, ControlKind::List, 576, 32, 128, 400, kListMaterials, "493", "", 0},
    {ViewMode::Material, ControlKind::Button, 708, 32, 64, 24, 32853, "32853", "On Sel", 0},
    {ViewMode::Material, ControlKind::Icon, 544, 16, 32, 32, 32852, "32852", "", 140},
    {ViewMode::Material, ControlKind::Icon, 544, 48, 32, 32, 32816, "32816", "", 138},
    {ViewMode::Material, ControlKind::Static, 576, 56, 128, 24, 0, "ambient-label", "Ambient (r,g,b,a)", 0},
    {ViewMode::Material, ControlKind::Box, 576, 80, 44, 24, 0, "ambient-r", "", 0},
    {ViewMode::Material, ControlKind::Box, 624, 80, 44, 24, 0, "ambient-g", "", 0},
    {ViewMode::Material, ControlKind::Box, 672, 80, 44, 24, 0, "ambient-b", "", 0},
    {ViewMode::Material, ControlKind::Box, 720, 80, 44, 24, 0, "ambient-a", "", 0},
    {ViewMode::Material, ControlKind::Static, 576, 104, 128, 24, 0, "diffuse-label", "Diffuse", 0},
    {ViewMode::Material, ControlKind::Box, 576, 128, 44, 24, 0, "diffuse-r", "", 0},
    {ViewMode::Material, ControlKind::Box, 624, 128, 44, 24, 0, "diffuse-g", "", 0},
    {ViewMode::Material, ControlKind::Box, 672, 128, 44, 24, 0, "diffuse-b", "", 0},
    {ViewMode::Material, ControlKind::Box, 720, 128, 44, 24, 0, "diffuse-a", "", 0},
    {ViewMode::Material, ControlKind::Static, 576, 152, 128, 24, 0, "emission-label", "Emissive", 0},
    {ViewMode::Material, ControlKind::Box, 576, 176, 44, 24, 0, "emission-r", "", 0},
    {ViewMode::Material, ControlKind::Box, 624, 176, 44, 24, 0, "emission-g", "", 0},
    {ViewMode::Material, ControlKind::Box, 672, 176, 44, 24, 0, "emission-b", "", 0},
    {ViewMode::Material, ControlKind::Box, 720, 176, 44, 24, 0, "emission-a", "", 0},
    {ViewMode::Material, ControlKind::Static, 576, 200, 128, 24, 0, "specular-label", "Specular", 0},
    {ViewMode::Material, ControlKind::Box, 576, 224, 44, 24, 0, "specular-r", "", 0},
    {ViewMode::Material, ControlKind::Box, 624, 224, 44, 24, 0, "specular-g", "", 0},
    {ViewMode::Material, ControlKind::Box, 672, 224, 44, 24, 0, "specular-b", "", 0},
    {ViewMode::Material, ControlKind::Box, 720, 224, 44, 24, 0, "specular-a", "", 0},
    {ViewMode::Material, ControlKind::Static, 576, 248, 128, 24, 0, "shininess-label", "Shininess (0-128)", 0},
    {ViewMode::Material, ControlKind::NumberBox, 576, 272, 44, 24, 545, "545", "", 0},
    {ViewMode::Material, ControlKind::Ok, 716, 272, 24, 24, 558, "558", "ok", 0},
    {ViewMode::Material, ControlKind::Static, 576, 304, 128, 24, 0, "texture-label", "Texture", 0},
    {ViewMode::Material, ControlKind::CheckBox, 544, 304, 32, 32, 495, "495", "", 0},
    {ViewMode::Material, ControlKind::Button, 704, 304, 64, 24, 560, "560", "browse...", 0},
    {ViewMode::Material, ControlKind::Static, 576, 328, 192, 24, 0, "texture-path", "", 0},
    {ViewMode::Material, ControlKind::Static, 576, 352, 128, 24, 0, "alpha-format-label", "Alpha Format", 0},
    {ViewMode::Material, ControlKind::Static, 704, 352, 64, 24, 0, "alpha-value-label", "Value", 0},
    {ViewMode::Material, ControlKind::List, 576, 376, 128, 400, kListAlphaModes, "550", "", 0},
    {ViewMode::Material, ControlKind::Box, 704, 376, 44, 24, 551, "551", "", 0},
    {ViewMode::Material, ControlKind::Ok, 748, 376, 24, 24, 584, "584", "ok", 0},
    {ViewMode::Material, ControlKind::Static, 576, 400, 192, 24, 0, "selected-texcoords-label", "Selected TexCoords", 0},
    {ViewMode::Material, ControlKind::List, 576, 424, 128, 400, kListTexCoords, "548", "", 0},
    {ViewMode::Material, ControlKind::Static, 576, 448, 128, 24, 0, "texcoord-label", "TexCoord (x,y)", 0},
    {ViewMode::Material, ControlKind::Box, 576, 472, 44, 24, 546, "546", "", 0},
    {ViewMode::Material, ControlKind::Box, 624, 472, 44, 24, 547, "547", "", 0},
    {ViewMode::Material, ControlKind::Ok, 716, 472, 24, 24, 559, "559", "ok", 0},
    {ViewMode::Material, ControlKind::Button, 576, 496, 128, 24, 32834, "32834", "from view", 0},
    {ViewMode::Skeleton, ControlKind::Static, 576, 32, 128, 24, 0, "bones-label", "Bones", 0},
    {ViewMode::Skeleton, ControlKind::List, 576, 56, 128, 400, kListBones, "501", "", 0},
    {ViewMode::Skeleton, ControlKind::Button, 708, 56, 64, 24, 32881, "32881", "On Sel", 0},
    {ViewMode::Skeleton, ControlKind::Icon, 544, 56, 32, 32, 32814, "32814", "", 138},
    {ViewMode::Skeleton, ControlKind::Static, 576, 80, 128, 24, 0, "parent-label", "Parent", 0},
    {ViewMode::Skeleton, ControlKind::List, 576, 104, 128, 400, kListParents, "502", "", 0},
    {ViewMode::Skeleton, ControlKind::Static, 704, 80, 96, 24, 0, "weights-label", "Vertices", 0},
    {ViewMode::Skeleton, ControlKind::List, 704, 104, 64, 400, kListWeights, "519", "", 0},
    {ViewMode::Skeleton, ControlKind::Ok, 748, 128, 24, 24, 561, "561", "ok", 0},
    {ViewMode::Skeleton, ControlKind::Static, 576, 128, 128, 24, 0, "offset-matrix-label", "Offset Matrix", 0},
    {ViewMode::Skeleton, ControlKind::Box, 576, 152, 44, 24, 0, "bone-m0", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 624, 152, 44, 24, 0, "bone-m1", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 672, 152, 44, 24, 0, "bone-m2", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 720, 152, 44, 24, 0, "bone-m3", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 576, 176, 44, 24, 0, "bone-m4", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 624, 176, 44, 24, 0, "bone-m5", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 672, 176, 44, 24, 0, "bone-m6", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 720, 176, 44, 24, 0, "bone-m7", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 576, 200, 44, 24, 0, "bone-m8", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 624, 200, 44, 24, 0, "bone-m9", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 672, 200, 44, 24, 0, "bone-m10", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 720, 200, 44, 24, 0, "bone-m11", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 576, 224, 44, 24, 0, "bone-m12", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 624, 224, 44, 24, 0, "bone-m13", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 672, 224, 44, 24, 0, "bone-m14", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 720, 224, 44, 24, 0, "bone-m15", "", 0},
    {ViewMode::Skeleton, ControlKind::Static, 576, 248, 80, 24, 0, "animations-label", "Animations", 0},
    {ViewMode::Skeleton, ControlKind::Button, 656, 248, 48, 24, 32844, "32844", "Run", 0},
    {ViewMode::Skeleton, ControlKind::Static, 704, 248, 64, 24, 0, "total-label", "Total (s)", 0},
    {ViewMode::Skeleton, ControlKind::List, 576, 272, 128, 400, kListAnimations, "500", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 708, 272, 44, 24, 552, "552", "", 0},
    {ViewMode::Skeleton, ControlKind::Ok, 752, 272, 24, 24, 589, "589", "ok", 0},
    {ViewMode::Skeleton, ControlKind::Icon, 544, 248, 32, 32, 32842, "32842", "", 140},
    {ViewMode::Skeleton, ControlKind::Icon, 544, 280, 32, 32, 32840, "32840", "", 138},
    {ViewMode::Skeleton, ControlKind::Static, 576, 296, 128, 24, 0, "key-times-label", "Key Times", 0},
    {ViewMode::Skeleton, ControlKind::List, 576, 320, 128, 400, kListKeys, "553", "", 0},
    {ViewMode::Skeleton, ControlKind::List, 576, 344, 128, 400, kListKeyBones, "554", "", 0},
    {ViewMode::Skeleton, ControlKind::Icon, 544, 328, 32, 32, 32843, "32843", "", 140},
    {ViewMode::Skeleton, ControlKind::Icon, 544, 360, 32, 32, 32841, "32841", "", 138},
    {ViewMode::Skeleton, ControlKind::Button, 704, 368, 44, 24, 32873, "32873", "reset", 0},
    {ViewMode::Skeleton, ControlKind::Ok, 748, 368, 24, 24, 590, "590", "ok", 0},
    {ViewMode::Skeleton, ControlKind::Static, 576, 368, 128, 24, 0, "matrix-label", "Matrix", 0},
    {ViewMode::Skeleton, ControlKind::Box, 576, 392, 44, 24, 0, "key-m0", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 624, 392, 44, 24, 0, "key-m1", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 672, 392, 44, 24, 0, "key-m2", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 720, 392, 44, 24, 0, "key-m3", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 576, 416, 44, 24, 0, "key-m4", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 624, 416, 44, 24, 0, "key-m5", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 672, 416, 44, 24, 0, "key-m6", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 720, 416, 44, 24, 0, "key-m7", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 576, 440, 44, 24, 0, "key-m8", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 624, 440, 44, 24, 0, "key-m9", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 672, 440, 44, 24, 0, "key-m10", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 720, 440, 44, 24, 0, "key-m11", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 576, 464, 44, 24, 0, "key-m12", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 624, 464, 44, 24, 0, "key-m13", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 672, 464, 44, 24, 0, "key-m14", "", 0},
    {ViewMode::Skeleton, ControlKind::Box, 720, 464, 44, 24, 0, "key-m15", "", 0},
};
// clang-format on

constexpr std::size_t kControlCount = sizeof kControls / sizeof kControls[0];

// The boxes each apply reads, by name.
struct BoxGroup {
  std::uint32_t applyId;
  std::vector<std::string_view> names;
};

std::vector<std::string_view> Matrix(std::string_view prefix) {
  static std::array<std::string, 32> names;  // "bone-m0" ... and "key-m0" ...
  const std::size_t base = prefix == "bone-m" ? 0 : 16;
  std::vector<std::string_view> out;
  for (int e = 0; e < 16; ++e) {
    names[base + e] = std::string(prefix) + std::to_string(e);
    out.emplace_back(names[base + e]);
  }
  return out;
}

std::vector<std::string_view> Colours() {
  std::vector<std::string_view> out;
  static const char* const kNames[] = {
      "ambient-r",  "ambient-g",  "ambient-b",  "ambient-a",  "diffuse-r",  "diffuse-g",
      "diffuse-b",  "diffuse-a",  "emission-r", "emission-g", "emission-b", "emission-a",
      "specular-r", "specular-g", "specular-b", "specular-a", "545"};
  for (const char* name : kNames) out.emplace_back(name);
  return out;
}

const std::vector<std::pair<std::uint32_t, std::vector<std::size_t>>>& Groups() {
  static const auto groups = [] {
    const std::vector<BoxGroup> byName = {
        {555, {"521", "522", "523"}},
        {556, {"525", "526", "527"}},
        {557, {"normal-x", "normal-y", "normal-z"}},
        {558, Colours()},
        {584, {"texture-path", "551"}},
        {559, {"546", "547"}},
        {561, Matrix("bone-m")},
        {589, {"552"}},
        {590, Matrix("key-m")},
    };
    std::vector<std::pair<std::uint32_t, std::vector<std::size_t>>> out;
    for (const BoxGroup& group : byName) {
      std::vector<std::size_t> indices;
      for (std::string_view name : group.names) indices.push_back(*FindPanelControl(name));
      out.emplace_back(group.applyId, std::move(indices));
    }
    return out;
  }();
  return groups;
}

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Static:
      return "static";
    case ControlKind::List:
      return "list";
    case ControlKind::Box:
    case ControlKind::NumberBox:
      return "box";
    case ControlKind::Ok:
    case ControlKind::Button:
    case ControlKind::Icon:
      return "button";
    case ControlKind::CheckBox:
      return "check";
  }
  return "";
}

// Line feeds inside a text (the duplicate details) written as "\n", so each control stays one
// line.
std::string OneLine(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (ch == '\n') {
      out += "\\n";
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace

std::span<const PanelControl> PanelControls() { return kControls; }

std::optional<std::size_t> FindPanelControl(std::string_view name) {
  for (std::size_t i = 0; i < kControlCount; ++i) {
    if (kControls[i].name == name) return i;
  }
  return std::nullopt;
}

std::uint32_t ListIdOf(PanelList list) {
  switch (list) {
    case PanelList::Vertex:
      return kListVertices;
    case PanelList::Face:
      return kListFaces;
    case PanelList::Bone:
      return kListBones;
    case PanelList::Animation:
      return kListAnimations;
    case PanelList::Key:
      return kListKeys;
    case PanelList::KeyBone:
      return kListKeyBones;
    case PanelList::None:
      break;
  }
  return 0;
}

std::optional<std::array<int, 4>> ActiveListMarker(const EditorState& editor) {
  const std::uint32_t id = ListIdOf(editor.activeList);
  for (const PanelControl& c : PanelControls()) {
    if (id != 0 && c.view == editor.view && c.kind == ControlKind::List && c.id == id) {
      const int left = c.x + c.width;
      return std::array<int, 4>{left, c.y, left + kMarkerWidth, c.y + kListRowHeight};
    }
  }
  return std::nullopt;
}

std::span<const std::size_t> BoxesOf(std::uint32_t applyId) {
  for (const auto& [id, boxes] : Groups()) {
    if (id == applyId) return boxes;
  }
  return {};
}

std::string ControlState::RowText(std::size_t row) const {
  if (row < itemTexts.size()) return itemTexts[row];
  if (row >= items.size()) return {};
  return std::to_string(items[row]);
}

PanelState::PanelState() : controls_(kControlCount) {
  for (std::size_t i = 0; i < kControlCount; ++i) controls_[i].text = kControls[i].text;
}

const ControlState& PanelState::Get(std::string_view name) const {
  const std::optional<std::size_t> index = FindPanelControl(name);
  assert(index);
  return controls_[*index];
}

ControlState& PanelState::Mutable(std::string_view name) {
  const std::optional<std::size_t> index = FindPanelControl(name);
  assert(index);
  ControlState& state = controls_[*index];
  ++state.version;
  return state;
}

void PanelState::SetText(std::string_view name, std::string text) {
  Mutable(name).text = std::move(text);
}

void PanelState::SetEnabled(std::string_view name, bool enabled) {
  Mutable(name).enabled = enabled;
}

void PanelState::SetChecked(std::string_view name, bool checked) {
  Mutable(name).checked = checked;
}

void PanelState::SetRows(std::string_view name, std::vector<std::uint32_t> items,
                         std::vector<std::string> texts, std::int32_t picked) {
  ControlState& state = Mutable(name);
  state.items = std::move(items);
  state.itemTexts = std::move(texts);
  state.picked = picked >= 0 && static_cast<std::size_t>(picked) < state.items.size() ? picked : -1;
}

void PanelState::SetPicked(std::string_view name, std::int32_t row) {
  ControlState& state = Mutable(name);
  state.picked = row >= 0 && static_cast<std::size_t>(row) < state.items.size() ? row : -1;
}

void PanelState::SetBoxTexts(std::uint32_t applyId, std::span<const std::string> texts) {
  const std::span<const std::size_t> boxes = BoxesOf(applyId);
  for (std::size_t i = 0; i < boxes.size() && i < texts.size(); ++i) {
    SetTextAt(boxes[i], texts[i]);
  }
}

void PanelState::SetTextAt(std::size_t index, std::string text) {
  if (index >= controls_.size()) return;
  ControlState& state = controls_[index];
  if (state.text == text) return;
  state.text = std::move(text);
  ++state.version;
}

std::string PanelText(const EditorState& editor) {
  std::string text = "view " + std::to_string(static_cast<int>(editor.view)) + "\n";
  const PanelState& panels = editor.panels;
  for (std::size_t i = 0; i < kControlCount; ++i) {
    const PanelControl& control = kControls[i];
    if (control.view != editor.view) continue;
    const ControlState& state = panels.At(i);
    text += std::string(control.name) + ' ' + KindName(control.kind);
    if (!state.enabled) text += " disabled";
    if (control.kind == ControlKind::CheckBox) text += state.checked ? " checked" : " clear";
    if (control.kind == ControlKind::List) {
      text += " picked " + std::to_string(state.picked) + ":";
      for (std::size_t row = 0; row < state.Rows(); ++row) {
        const std::string shown = state.RowText(row);
        text += ' ' + shown;
        if (shown != std::to_string(state.items[row]))
          text += '=' + std::to_string(state.items[row]);
      }
    } else if (control.kind == ControlKind::Icon) {
      text += " icon " + std::to_string(control.icon);
    } else if (control.kind != ControlKind::CheckBox) {
      text += " \"" + OneLine(state.text) + '"';
    }
    text += '\n';
  }
  // The red marker: the list it stands beside, or none.
  const std::string list =
      ActiveListMarker(editor) ? std::to_string(ListIdOf(editor.activeList)) : "none";
  text += "marker " + list + '\n';
  text += "counts " + editor.countsLine + '\n';
  return text;
}

}  // namespace zmf::view

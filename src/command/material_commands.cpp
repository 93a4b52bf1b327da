// Handlers of the Material and Texture menu and panel.
#include "command/material_commands.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "command/panel_text.h"
#include "edit/journal.h"
#include "edit/material_edits.h"
#include "format/number_text.h"
#include "material/background_image.h"
#include "material/material_table.h"

namespace zmf::command {
namespace {

constexpr FileFilter kImageFilters[] = {{"Images", "*.bmp;*.jpg;*.jpeg;*.png"}};

// The alpha modes the panel's list offers, in its order.
constexpr std::uint32_t kAlphaModeRows = kAlphaModeListRows;

bool HasCurrentMaterial(const Model& model) { return model.currentMaterial < model.materialCount; }

std::optional<std::uint32_t> PickedRow(CommandContext& context, std::uint32_t rows) {
  return command::PickedRow(context.arguments, rows, context.problem);
}

// A number-only box read as an unsigned number: the digits at its start, the rest dropped.
std::uint32_t BoxUnsigned(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  std::uint32_t value = 0;
  if (format::ParseUnsignedPrefix(text, value) == 0) return 0;
  return value;
}

// The texture panel's apply: the current material's texture from the file, with the picked
// alpha mode (0 when none is picked) and value.
void ApplyTexture(CommandContext& context, std::string_view file, float alphaValue) {
  Model& model = context.model;
  if (!HasCurrentMaterial(model)) return;
  const std::int32_t row = context.editor != nullptr ? context.editor->alphaListRow : -1;
  const std::uint32_t mode = row >= 0 ? static_cast<std::uint32_t>(row) : 0;
  edit::JournalSetMaterialTexture(model, model.currentMaterial, true, file, mode, alphaValue);
}

void ToggleTexture(Model& model) {
  const Material& m = model.materials[model.currentMaterial];
  edit::JournalSetMaterialTexture(model, model.currentMaterial, m.hasTexture == 0, m.textureFile,
                                  m.alphaMode, m.alphaValue);
}

}  // namespace

const FileDialogOptions kLoadImageDialog{"Load Image", kImageFilters, "bmp"};

Refresh AddMaterialCommand(CommandContext& context) {
  const std::optional<std::string> name = context.model.host().Prompt("Enter material name:");
  if (!name) return Refresh::None;
  if (!edit::JournalAddMaterial(context.model, *name)) {
    context.problem =
        "the material " + *name + " was not added: the name is empty or the table full";
  }
  return Refresh::Material;
}

Refresh DeleteMaterialCommand(CommandContext& context) {
  Model& model = context.model;
  if (model.materialCount < 2 || !HasCurrentMaterial(model)) return Refresh::None;
  edit::JournalDeleteMaterial(model, model.currentMaterial);
  if (model.currentMaterial >= model.materialCount) --model.currentMaterial;
  return Refresh::Material;
}

Refresh DeleteTextureCommand(CommandContext& context) {
  Model& model = context.model;
  if (!HasCurrentMaterial(model) || model.materials[model.currentMaterial].hasTexture == 0) {
    return Refresh::None;
  }
  ToggleTexture(model);
  return Refresh::Material;
}

Refresh RenameMaterialCommand(CommandContext& context) {
  Model& model = context.model;
  if (!HasCurrentMaterial(model)) return Refresh::None;
  const std::optional<std::string> name = model.host().Prompt("Enter new material name:mat0");
  if (!name) return Refresh::None;
  if (!material::RenameMaterial(model, model.currentMaterial, *name)) {
    context.problem = "the material was not renamed: the name is empty";
  }
  return Refresh::Material;
}

Refresh SetMaterialOnSelectionCommand(CommandContext& context) {
  edit::SetMaterialOnSelection(context.model);
  return Refresh::Material;
}

Refresh CoordsFromViewCommand(CommandContext& context) {
  if (context.editor == nullptr) return Refresh::None;
  const view::Camera& camera = context.editor->camera;
  edit::CoordsFromView(context.model, view::BuildViewMatrix(camera), camera.HalfExtent());
  return Refresh::Material;
}

Refresh CoordsFromPinnedCommand(CommandContext& context) {
  if (context.editor == nullptr) return Refresh::None;
  edit::CoordsFromPinned(context.model, view::BuildViewMatrix(context.editor->camera));
  return Refresh::Material;
}

Refresh ClearBackgroundImageCommand(CommandContext& context) {
  material::ClearBackgroundImage(context.model);
  return Refresh::None;
}

Refresh LoadImageCommand(CommandContext& context) {
  Model& model = context.model;
  if (context.arguments.empty() || !HasCurrentMaterial(model)) return Refresh::None;
  // The value box shows the material's alpha value until it is typed over.
  ApplyTexture(context, context.arguments[0], model.materials[model.currentMaterial].alphaValue);
  return Refresh::Material;
}

Refresh PickMaterialCommand(CommandContext& context) {
  Model& model = context.model;
  const std::optional<std::uint32_t> row = PickedRow(context, model.materialCount);
  if (!row) return Refresh::None;
  model.currentMaterial = *row;
  return Refresh::Material;
}

Refresh PickAlphaModeCommand(CommandContext& context) {
  const std::optional<std::uint32_t> row = PickedRow(context, kAlphaModeRows);
  if (!row) return Refresh::None;
  if (context.editor != nullptr) {
    context.editor->alphaListRow = static_cast<std::int32_t>(*row);
    context.editor->panels.SetPicked(std::to_string(kListAlphaModes),
                                     static_cast<std::int32_t>(*row));
  }
  return Refresh::None;
}

Refresh PickTexCoordCommand(CommandContext& context) {
  const std::optional<std::uint32_t> row = PickedRow(context, context.model.vertices.selCount());
  if (!row) return Refresh::None;
  if (context.editor == nullptr) return Refresh::None;
  context.editor->texCoordListRow = static_cast<std::int32_t>(*row);
  context.editor->panels.SetPicked(std::to_string(kListTexCoords), static_cast<std::int32_t>(*row));
  // The u and v boxes show the vertex's coordinates.
  if (const Vertex* v = context.model.vertices.NthSelected(*row)) {
    char u[64], w[64];
    std::snprintf(u, sizeof u, "%.3f", static_cast<double>(v->u));
    std::snprintf(w, sizeof w, "%.3f", static_cast<double>(v->v));
    const std::string texts[] = {u, w};
    context.editor->panels.SetBoxTexts(kApplyTexCoords, texts);
  }
  return Refresh::None;
}

Refresh ApplyColoursCommand(CommandContext& context) {
  Model& model = context.model;
  const auto& boxes = context.arguments;
  if (boxes.size() != 17) {
    context.problem = "the colours take 16 texts and the shininess";
    return Refresh::None;
  }
  if (!HasCurrentMaterial(model)) return Refresh::None;
  Colour colours[4];
  for (std::size_t row = 0; row < 4; ++row) {
    for (std::size_t column = 0; column < 4; ++column) {
      colours[row][column] = BoxNumber(boxes[row * 4 + column]);
    }
  }
  edit::JournalSetMaterialColours(model, model.currentMaterial, colours[0], colours[1], colours[2],
                                  colours[3], BoxUnsigned(boxes[16]));
  return Refresh::Material;
}

Refresh ApplyTextureToggleCommand(CommandContext& context) {
  if (!context.arguments.empty()) {
    context.problem = "the texture check box takes no texts";
    return Refresh::None;
  }
  if (!HasCurrentMaterial(context.model)) return Refresh::None;
  ToggleTexture(context.model);
  return Refresh::Material;
}

Refresh ApplyTextureCommand(CommandContext& context) {
  if (context.arguments.size() != 2) {
    context.problem = "the texture takes the path and the alpha value";
    return Refresh::None;
  }
  ApplyTexture(context, context.arguments[0], BoxNumber(context.arguments[1]));
  return Refresh::Material;
}

Refresh ApplyTexCoordsCommand(CommandContext& context) {
  Model& model = context.model;
  if (context.arguments.size() != 2) {
    context.problem = "the texture coordinates take u and v";
    return Refresh::None;
  }
  const float u = BoxNumber(context.arguments[0]);
  const float v = BoxNumber(context.arguments[1]);
  const std::int32_t row = context.editor != nullptr ? context.editor->texCoordListRow : -1;
  if (row >= 0 && static_cast<std::uint32_t>(row) < model.vertices.selCount()) {
    Vertex* vertex = model.vertices.NthSelected(row);
    if (vertex != nullptr) {
      edit::JournalSetVertex(model, vertex, vertex->position, vertex->normal, u, v);
    }
  } else {
    edit::SetSelectionTexCoords(model, u, v);
  }
  return Refresh::Material;
}

}  // namespace zmf::command

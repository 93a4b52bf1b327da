// The Material and Texture menu and panel: materials, textures, texture coordinates and the
// background image.
#pragma once

#include "command/command_table.h"
#include "view/panels.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandAddMaterial = 32852;
inline constexpr std::uint32_t kCommandDeleteMaterial = 32816;
inline constexpr std::uint32_t kCommandDeleteTexture = 32861;
inline constexpr std::uint32_t kCommandRenameMaterial = 32870;
inline constexpr std::uint32_t kCommandSetMaterialOnSelection = 32853;
inline constexpr std::uint32_t kCommandCoordsFromView = 32834;
inline constexpr std::uint32_t kCommandCoordsFromPinned = 32854;
inline constexpr std::uint32_t kCommandClearBackgroundImage = 32869;
inline constexpr std::uint32_t kCommandLoadImage = 560;  // the panel's "browse..."

// The panel lists, named where the panel data is.
using view::kListAlphaModes;
using view::kListMaterials;
using view::kListTexCoords;

// "NONE", "Luminance", "Inverse Luminance", "Black Mask", "White Mask", "First Pixel", "In File",
// "Static Value": alpha modes 0 to 7.
inline constexpr std::uint32_t kAlphaModeListRows = 8;

inline constexpr std::uint32_t kApplyColours = 558;
inline constexpr std::uint32_t kApplyTextureToggle = 495;  // the texture check box
inline constexpr std::uint32_t kApplyTexture = 584;
inline constexpr std::uint32_t kApplyTexCoords = 559;

extern const FileDialogOptions kLoadImageDialog;  // "Load Image": BMP, JPEG and PNG pictures

Refresh AddMaterialCommand(CommandContext& context);
Refresh DeleteMaterialCommand(CommandContext& context);
Refresh DeleteTextureCommand(CommandContext& context);  // switches the current texture off
Refresh RenameMaterialCommand(CommandContext& context);
Refresh SetMaterialOnSelectionCommand(CommandContext& context);
Refresh CoordsFromViewCommand(CommandContext& context);
Refresh CoordsFromPinnedCommand(CommandContext& context);
Refresh ClearBackgroundImageCommand(CommandContext& context);
// Puts the picked picture on the current material with the picked alpha mode and its value.
Refresh LoadImageCommand(CommandContext& context);

Refresh PickMaterialCommand(CommandContext& context);
Refresh PickAlphaModeCommand(CommandContext& context);
Refresh PickTexCoordCommand(CommandContext& context);

Refresh ApplyColoursCommand(CommandContext& context);        // 16 colour boxes, shininess
Refresh ApplyTextureToggleCommand(CommandContext& context);  // no texts: a click
Refresh ApplyTextureCommand(CommandContext& context);        // path, alpha value
Refresh ApplyTexCoordsCommand(CommandContext& context);      // u, v

}  // namespace zmf::command

// The Action, View and Camera menus: interaction modes, the four views, the camera's presets,
// zooms, Save and Return.
#pragma once

#include "command/command_table.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandSelectMode = 32778;
inline constexpr std::uint32_t kCommandAddMode = 32786;
inline constexpr std::uint32_t kCommandCameraMode = 32779;
inline constexpr std::uint32_t kCommandMoveMode = 32780;

inline constexpr std::uint32_t kCommandViewMesh = 32804;
inline constexpr std::uint32_t kCommandViewNormals = 32807;
inline constexpr std::uint32_t kCommandViewMaterial = 32808;
inline constexpr std::uint32_t kCommandViewBones = 32806;

inline constexpr std::uint32_t kCommandCameraZero = 32799;
inline constexpr std::uint32_t kCommandCameraLeft = 32802;
inline constexpr std::uint32_t kCommandCameraRight = 32800;
inline constexpr std::uint32_t kCommandCameraTop = 32801;
inline constexpr std::uint32_t kCommandCameraBottom = 32803;
inline constexpr std::uint32_t kCommandCameraFront = 32878;
inline constexpr std::uint32_t kCommandCameraBack = 32879;
inline constexpr std::uint32_t kCommandZoom800 = 32863;
inline constexpr std::uint32_t kCommandZoom400 = 32864;
inline constexpr std::uint32_t kCommandZoom200 = 32865;
inline constexpr std::uint32_t kCommandZoom100 = 32866;
inline constexpr std::uint32_t kCommandZoom50 = 32867;
inline constexpr std::uint32_t kCommandZoom25 = 32868;
inline constexpr std::uint32_t kCommandCameraSave = 32882;
inline constexpr std::uint32_t kCommandCameraReturn = 32883;

// The mode commands change only the editor state.
Refresh SelectModeCommand(CommandContext& context);
Refresh AddModeCommand(CommandContext& context);
Refresh CameraModeCommand(CommandContext& context);
Refresh MoveModeCommand(CommandContext& context);

// A view command that changes the view commits the model (the bones view's pose is let go) and
// returns the refresh of the new view's panel; the current view again does nothing.
Refresh ViewMeshCommand(CommandContext& context);
Refresh ViewNormalsCommand(CommandContext& context);
Refresh ViewMaterialCommand(CommandContext& context);
Refresh ViewBonesCommand(CommandContext& context);

Refresh CameraZeroCommand(CommandContext& context);
Refresh CameraLeftCommand(CommandContext& context);
Refresh CameraRightCommand(CommandContext& context);
Refresh CameraTopCommand(CommandContext& context);
Refresh CameraBottomCommand(CommandContext& context);
Refresh CameraFrontCommand(CommandContext& context);
Refresh CameraBackCommand(CommandContext& context);
Refresh Zoom800Command(CommandContext& context);
Refresh Zoom400Command(CommandContext& context);
Refresh Zoom200Command(CommandContext& context);
Refresh Zoom100Command(CommandContext& context);
Refresh Zoom50Command(CommandContext& context);
Refresh Zoom25Command(CommandContext& context);
Refresh CameraSaveCommand(CommandContext& context);  // beeps
Refresh CameraReturnCommand(CommandContext& context);

}  // namespace zmf::command

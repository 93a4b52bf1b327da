// Commands that edit the mesh: undo and redo, selection, deletion, primitives, normals.
#pragma once

#include "command/command_table.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandUndo = 32785;
inline constexpr std::uint32_t kCommandRedo = 32810;
inline constexpr std::uint32_t kCommandDeleteSelectedVertices = 32812;
inline constexpr std::uint32_t kCommandDeleteSelectedFaces = 32813;
inline constexpr std::uint32_t kCommandDeselectAll = 32818;
inline constexpr std::uint32_t kCommandSelectAll = 32855;
inline constexpr std::uint32_t kCommandAddSphere = 32792;
inline constexpr std::uint32_t kCommandAddBox = 32793;
inline constexpr std::uint32_t kCommandAddTriad = 32794;
inline constexpr std::uint32_t kCommandAddPyramid = 32835;
inline constexpr std::uint32_t kCommandAddCylinder = 32795;
inline constexpr std::uint32_t kCommandAddCone = 32796;
inline constexpr std::uint32_t kCommandAddPlane = 32797;
inline constexpr std::uint32_t kCommandNormalsFromSelection = 32846;
inline constexpr std::uint32_t kCommandNormalsFromConnected = 32847;
inline constexpr std::uint32_t kCommandNormalsAcrossDuplicates = 32848;
inline constexpr std::uint32_t kCommandInvertSelectedNormals = 32874;

Refresh UndoCommand(CommandContext& context);
Refresh RedoCommand(CommandContext& context);
Refresh DeleteSelectedVerticesCommand(CommandContext& context);
Refresh DeleteSelectedFacesCommand(CommandContext& context);
// Clears the three selections and the current bone, animation, key and key bone.
Refresh DeselectAllCommand(CommandContext& context);
Refresh SelectAllCommand(CommandContext& context);
Refresh AddSphereCommand(CommandContext& context);
Refresh AddBoxCommand(CommandContext& context);  // the only primitive that refits the view
Refresh AddTriadCommand(CommandContext& context);
Refresh AddPyramidCommand(CommandContext& context);
Refresh AddCylinderCommand(CommandContext& context);
Refresh AddConeCommand(CommandContext& context);
Refresh AddPlaneCommand(CommandContext& context);
Refresh NormalsFromSelectionCommand(CommandContext& context);
Refresh NormalsFromConnectedCommand(CommandContext& context);
Refresh NormalsAcrossDuplicatesCommand(CommandContext& context);
Refresh InvertSelectedNormalsCommand(CommandContext& context);

// Script-only: select the vertices (or faces) with the given ids, in the order given, as clicks
// would; nothing else is selected or cleared. An argument that is not an id is reported.
Refresh SelectVerticesCommand(CommandContext& context);
Refresh SelectFacesCommand(CommandContext& context);

}  // namespace zmf::command

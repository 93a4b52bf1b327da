// Commands that change the faces of the selection, and the topology selections.
#pragma once

#include "command/command_table.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandReverseFace = 32838;
inline constexpr std::uint32_t kCommandSplitFace = 32839;
inline constexpr std::uint32_t kCommandDuplicateVertices = 32849;
inline constexpr std::uint32_t kCommandDuplicateBackFaces = 32850;
inline constexpr std::uint32_t kCommandSelectUnconnected = 32875;
inline constexpr std::uint32_t kCommandFanFaces = 32880;
inline constexpr std::uint32_t kCommandSelectConnectedFaces = 591;  // the mesh panel's button
inline constexpr std::uint32_t kListVertices = 520;                 // "Selected Vertices"
inline constexpr std::uint32_t kListFaces = 524;                    // "Selected Faces"

Refresh ReverseFaceCommand(CommandContext& context);
// Asks "Use normals to deform splits?" when a face is selected, then splits.
Refresh SplitFaceCommand(CommandContext& context);
// Asks whether the selected faces move onto the copies when a vertex is selected.
Refresh DuplicateVerticesCommand(CommandContext& context);
Refresh DuplicateBackFacesCommand(CommandContext& context);
Refresh SelectUnconnectedCommand(CommandContext& context);
// Fans the selection as the camera sees it.
Refresh FanFacesCommand(CommandContext& context);
Refresh SelectConnectedFacesCommand(CommandContext& context);
// Picks in the mesh panel's lists (the argument is the row, a position in the vertex or face
// selection): the list becomes the active list.
Refresh PickVertexListCommand(CommandContext& context);
Refresh PickFaceListCommand(CommandContext& context);

}  // namespace zmf::command

// The panels' contents refreshed from the model, and the lists and "ok" buttons of the Vertices
// and Faces and the Normals and Duplicates panels.
#pragma once

#include "command/command_table.h"
#include "view/panels.h"

namespace zmf::command {

// The panel lists, named where the panel data is.
using view::kListDuplicates;
using view::kListFaces;
using view::kListNormals;
using view::kListVertices;
using view::kListWeights;

inline constexpr std::uint32_t kApplyRemoveVertex = 563;  // "rmv"
inline constexpr std::uint32_t kApplyPosition = 555;
inline constexpr std::uint32_t kApplyCorners = 556;
inline constexpr std::uint32_t kApplyNormal = 557;

// Each refills the lists and boxes of one panel from the model; none changes the active list,
// and the boxes of the picked rows keep what they show. The Normals panel first selects the
// duplicate pairs of the vertex selection. The skeleton panel also refreshes its bone,
// animation, key and key-bone parts.
void RefreshMeshPanel(Model& model, view::EditorState& editor);
void RefreshNormalsPanel(Model& model, view::EditorState& editor);
void RefreshMaterialPanel(Model& model, view::EditorState& editor);
void RefreshSkeletonPanel(Model& model, view::EditorState& editor);
// The panel of a view.
void RefreshPanel(Model& model, view::EditorState& editor, view::ViewMode panel);

// The row picked in a panel list, -1 for none.
std::int32_t PickedPanelRow(const view::EditorState& editor, std::uint32_t listId);

Refresh PickVertexRowCommand(CommandContext& context);
Refresh PickFaceRowCommand(CommandContext& context);
Refresh PickNormalRowCommand(CommandContext& context);
Refresh PickDuplicateRowCommand(CommandContext& context);
Refresh PickWeightRowCommand(CommandContext& context);
Refresh RemoveVertexCommand(CommandContext& context);
Refresh ApplyPositionCommand(CommandContext& context);
Refresh ApplyCornersCommand(CommandContext& context);
Refresh ApplyNormalCommand(CommandContext& context);

}  // namespace zmf::command

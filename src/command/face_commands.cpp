// Handlers of the face commands. The questions are asked here, only when the operation will go
// as far as the point where it needs the answer. Each refreshes the mesh panel, whose counts and
// selection lists the commands change.
#include "command/face_commands.h"

#include "command/panel_text.h"
#include "edit/face_operations.h"
#include "edit/face_selection.h"
#include "edit/split_faces.h"

namespace zmf::command {

Refresh ReverseFaceCommand(CommandContext& context) {
  edit::ReverseSelectedFaces(context.model);
  return Refresh::Mesh;
}

Refresh SplitFaceCommand(CommandContext& context) {
  Model& model = context.model;
  if (model.faces.selCount() == 0) return Refresh::Mesh;
  const std::optional<bool> deform =
      model.host().AskYesNoCancel("Use normals to deform splits?", "Split Option");
  if (!deform) return Refresh::None;
  edit::SplitSelectedFaces(model, *deform);
  return Refresh::Mesh;
}

Refresh DuplicateVerticesCommand(CommandContext& context) {
  Model& model = context.model;
  if (model.vertices.selCount() == 0) return Refresh::Mesh;
  const std::optional<bool> moveFaces = model.host().AskYesNoCancel(
      "Do you want to move selected faces to new duplicated vertices?", "Confirm new faces.");
  if (!moveFaces) return Refresh::None;
  edit::DuplicateSelectedVertices(model, *moveFaces);
  return Refresh::Mesh;
}

Refresh DuplicateBackFacesCommand(CommandContext& context) {
  edit::DuplicateBackFaces(context.model);
  return Refresh::Mesh;
}

Refresh SelectUnconnectedCommand(CommandContext& context) {
  edit::SelectUnconnectedVertices(context.model);
  return Refresh::Mesh;
}

Refresh FanFacesCommand(CommandContext& context) {
  // The fan is ordered as the viewer sees the vertices: without a camera, from the front.
  const view::Camera camera = context.editor != nullptr ? context.editor->camera : view::Camera{};
  edit::FanSelectedVertices(context.model, camera.pitch, camera.yaw, camera.roll);
  return Refresh::Mesh;
}

Refresh SelectConnectedFacesCommand(CommandContext& context) {
  edit::SelectConnectedFaces(context.model);
  return Refresh::Mesh;
}

}  // namespace zmf::command

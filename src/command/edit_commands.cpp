// Handlers of the editing commands.
#include "command/edit_commands.h"

#include <charconv>
#include <string>

#include "edit/delete_selected.h"
#include "edit/journal.h"
#include "edit/normals.h"
#include "edit/primitives.h"
#include "edit/undo_redo.h"

namespace zmf::command {

Refresh UndoCommand(CommandContext& context) {
  edit::Undo(context.model);
  return Refresh::View;
}

Refresh RedoCommand(CommandContext& context) {
  edit::Redo(context.model);
  return Refresh::View;
}

Refresh DeleteSelectedVerticesCommand(CommandContext& context) {
  edit::DeleteSelectedVertices(context.model);
  return Refresh::Mesh;
}

Refresh DeleteSelectedFacesCommand(CommandContext& context) {
  edit::DeleteSelectedFaces(context.model);
  return Refresh::Mesh;
}

Refresh DeselectAllCommand(CommandContext& context) {
  Model& model = context.model;
  model.DeselectAll();
  model.currentBone = model.currentAnimation = model.currentKey = model.currentKeyBone = -1;
  return Refresh::View;
}

Refresh SelectAllCommand(CommandContext& context) {
  context.model.SelectAll();
  return Refresh::View;
}

Refresh AddSphereCommand(CommandContext& context) {
  edit::AddSphere(context.model);
  return Refresh::Mesh;
}

Refresh AddBoxCommand(CommandContext& context) {
  edit::AddBox(context.model);
  return Refresh::FitView;
}

Refresh AddTriadCommand(CommandContext& context) {
  edit::AddTriad(context.model);
  return Refresh::Mesh;
}

Refresh AddPyramidCommand(CommandContext& context) {
  edit::AddPyramid(context.model);
  return Refresh::Mesh;
}

Refresh AddCylinderCommand(CommandContext& context) {
  edit::AddCylinder(context.model);
  return Refresh::Mesh;
}

Refresh AddConeCommand(CommandContext& context) {
  edit::AddCone(context.model);
  return Refresh::Mesh;
}

Refresh AddPlaneCommand(CommandContext& context) {
  edit::AddPlane(context.model);
  return Refresh::Mesh;
}

Refresh NormalsFromSelectionCommand(CommandContext& context) {
  edit::CalculateNormals(context.model, false, false);
  return Refresh::Normals;
}

Refresh NormalsFromConnectedCommand(CommandContext& context) {
  edit::CalculateNormals(context.model, true, false);
  return Refresh::Normals;
}

Refresh NormalsAcrossDuplicatesCommand(CommandContext& context) {
  edit::CalculateNormalsAcrossDuplicates(context.model);
  return Refresh::Normals;
}

Refresh InvertSelectedNormalsCommand(CommandContext& context) {
  edit::InvertSelectedNormals(context.model);
  return Refresh::Normals;
}

namespace {

template <class T>
Refresh SelectByIds(CommandContext& context, RecordList<T>& list) {
  for (const std::string& argument : context.arguments) {
    std::uint32_t id = 0;
    const char* end = argument.data() + argument.size();
    auto [stop, error] = std::from_chars(argument.data(), end, id);
    if (error != std::errc() || stop != end) {
      context.problem = "not an id: " + argument;
      return Refresh::Mesh;
    }
    list.Select(list.FindById(id));
  }
  return Refresh::Mesh;
}

}  // namespace

Refresh SelectVerticesCommand(CommandContext& context) {
  return SelectByIds(context, context.model.vertices);
}

Refresh SelectFacesCommand(CommandContext& context) {
  return SelectByIds(context, context.model.faces);
}

}  // namespace zmf::command

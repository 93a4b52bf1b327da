// Handlers of the commands that build geometry from the selection.
#include "command/reflect_commands.h"

#include "edit/reflection.h"
#include "edit/revolution.h"

namespace zmf::command {

Refresh ReflectionCommand(CommandContext& context) {
  Model& model = context.model;
  // The question comes after the mirrors are made, so with nothing to mirror it is never asked.
  if (!edit::CanReflectSelection(model)) return Refresh::Mesh;
  const std::optional<bool> connect =
      model.host().AskYesNoCancel("Connect edges when reflected?", "X Reflection");
  if (!connect) return Refresh::None;
  edit::ReflectSelection(model, *connect);
  return Refresh::Mesh;
}

Refresh SurfaceOfRevolutionCommand(CommandContext& context) {
  edit::RevolveSelection(context.model);
  return Refresh::Mesh;
}

}  // namespace zmf::command

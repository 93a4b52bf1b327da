// Handlers of the welding and reduction commands.
#include "command/weld_commands.h"

#include <optional>
#include <string>
#include <string_view>

#include "edit/reduce.h"
#include "edit/weld.h"
#include "format/number_text.h"

namespace zmf::command {
namespace {

// The answer as a decimal number, leading blanks skipped; 0 when it does not start with one.
double PercentFrom(std::string_view answer) {
  const std::size_t start = answer.find_first_not_of(" \t\n\v\f\r");
  if (start == std::string_view::npos) return 0.0;
  float value = 0.0f;
  if (format::ParseFloatPrefix(answer.substr(start), value) == 0) return 0.0;
  return value;
}

// Brings the duplicate list up to date and selects the pairs of the vertex selection, as
// everything that uses the selected duplicates must first.
void SelectDuplicatesOfVertexSelection(Model& model) {
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
}

}  // namespace

Refresh WeldVerticesCommand(CommandContext& context) {
  edit::WeldSelectedVertices(context.model);
  return Refresh::Mesh;
}

Refresh ReduceVerticesCommand(CommandContext& context) {
  Model& model = context.model;
  if (model.vertices.selCount() == 0) return Refresh::None;
  const std::optional<std::string> answer = model.host().Prompt("Enter percent to reduce:10");
  if (!answer) return Refresh::None;
  edit::ReduceSelectedVertices(model, PercentFrom(*answer));
  return Refresh::Mesh;
}

Refresh WeldSelectedDuplicatesCommand(CommandContext& context) {
  SelectDuplicatesOfVertexSelection(context.model);
  edit::WeldSelectedDuplicates(context.model);
  return Refresh::Normals;
}

Refresh SelectDuplicatesCommand(CommandContext& context) {
  SelectDuplicatesOfVertexSelection(context.model);
  return Refresh::Normals;
}

}  // namespace zmf::command

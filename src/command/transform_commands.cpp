// Translate, Rotate and Scale of the Matrix menu.
#include "command/transform_commands.h"

#include <optional>
#include <string>

#include "command/panel_text.h"
#include "edit/model_transforms.h"
#include "model/transforms.h"

namespace zmf::command {
namespace {

// The three numbers typed into the prompt; nullopt when it was cancelled or fewer were typed.
std::optional<Vector3> AskThreeNumbers(Model& model, std::string_view promptAndDefault) {
  const std::optional<std::string> answer = model.host().Prompt(promptAndDefault);
  if (!answer) return std::nullopt;
  float values[3] = {};
  if (ScanNumbers(*answer, values) != 3) return std::nullopt;
  return Vector3{values[0], values[1], values[2]};
}

struct Transform {
  std::string_view prompt;
  std::string_view question;
  std::string_view caption;
  Matrix4 (*selectionMatrix)(const Vector3&);
  bool turnNormals;
  edit::ModelTransform wholeModel;
};

Refresh Run(CommandContext& context, const Transform& transform) {
  Model& model = context.model;
  const std::optional<Vector3> values = AskThreeNumbers(model, transform.prompt);
  if (!values) return Refresh::None;
  if (model.vertices.selCount() != 0) {
    edit::TransformSelection(model, transform.selectionMatrix(*values), transform.turnNormals);
    return Refresh::Mesh;
  }
  if (!model.host().AskYesNo(transform.question, transform.caption)) return Refresh::None;
  edit::JournalTransformModel(model, transform.wholeModel, *values);
  return Refresh::View;
}

Matrix4 Rotation(const Vector3& angles) { return EulerMatrix(angles.x, angles.y, angles.z); }

}  // namespace

Refresh TranslateCommand(CommandContext& context) {
  return Run(context, {"Enter translation (x,y,z):0.000 0.000 0.000",
                       "Are you sure you want to translate the whole model?", "Confirm move.",
                       TranslationMatrix, false, edit::ModelTransform::Translate});
}

Refresh RotateCommand(CommandContext& context) {
  return Run(context, {"Enter rotation (pitch,yaw,roll):0.000 1.570 0.000",
                       "Are you sure you want to rotate the whole model?", "Confirm roatation.",
                       Rotation, true, edit::ModelTransform::Rotate});
}

Refresh ScaleCommand(CommandContext& context) {
  return Run(context, {"Enter scale (x,y,z):1.000 1.000 1.000",
                       "Are you sure you want to scale the whole model?", "Confirm resize.",
                       ScaleMatrix, false, edit::ModelTransform::Scale});
}

}  // namespace zmf::command

// Handlers of the Bones and Animation menu and panel.
#include "command/skeleton_commands.h"

#include <charconv>
#include <optional>
#include <string>
#include <utility>

#include "anim/animation.h"
#include "anim/bone_deletion.h"
#include "anim/skeleton.h"
#include "command/panel_text.h"
#include "edit/animation_edits.h"
#include "edit/bone_edits.h"
#include "edit/journal.h"
#include "format/number_text.h"
#include "format/zmf_writer.h"
#include "model/transforms.h"

namespace zmf::command {
namespace {

constexpr FileFilter kZmfFilter[] = {{" ZMF Files", "*.zmf"}};

// The row a pick names, or nullopt (reported to a script) when it is not a row of the list.
std::optional<std::uint32_t> PickedRow(CommandContext& context, std::uint32_t rows) {
  return command::PickedRow(context.arguments, rows, context.problem);
}

void SetActiveList(CommandContext& context, view::PanelList list) {
  if (context.editor != nullptr) context.editor->activeList = list;
}

std::optional<std::string> AskName(Model& model, std::string_view promptAndDefault) {
  return model.host().Prompt(promptAndDefault);
}

}  // namespace

const FileDialogOptions kSavePosedDialog{"Save ZMF File", kZmfFilter, "zmf"};

Refresh RenameBoneCommand(CommandContext& context) {
  Model& model = context.model;
  if (!model.HasBone(model.currentBone)) return Refresh::None;
  const std::optional<std::string> name = AskName(model, "Enter new bone name:bone0");
  if (!name) return Refresh::None;
  if (!anim::RenameBone(model, static_cast<std::uint32_t>(model.currentBone), *name)) {
    context.problem = "the bone was not renamed to " + *name + ": the name is empty or taken";
  }
  return Refresh::Skeleton;
}

Refresh SetBoneOnSelectionCommand(CommandContext& context) {
  edit::SetBoneOnSelection(context.model);
  return Refresh::Skeleton;
}

Refresh AddAnimationCommand(CommandContext& context) {
  Model& model = context.model;
  const std::optional<std::string> answer =
      model.host().Prompt("Enter animation name, #of key frames and total time(sec):test 3 1.000");
  if (!answer) return Refresh::None;
  anim::AnimationAnswer parsed;
  if (!anim::ParseAnimationAnswer(*answer, parsed)) return Refresh::None;
  anim::AddAnimation(model, parsed.name, parsed.keyCount, parsed.totalTime);
  return Refresh::Skeleton;
}

Refresh RenameAnimationCommand(CommandContext& context) {
  Model& model = context.model;
  if (!model.HasAnimation(model.currentAnimation)) return Refresh::None;
  const std::optional<std::string> name = AskName(model, "Enter new animation name:anim0");
  if (!name) return Refresh::None;
  anim::RenameAnimation(model, static_cast<std::uint32_t>(model.currentAnimation), *name);
  return Refresh::Skeleton;
}

Refresh AddKeyBoneCommand(CommandContext& context) {
  anim::AddKeyBonesForCommand(context.model);
  return Refresh::Skeleton;
}

Refresh ResetKeyBoneMatrixCommand(CommandContext& context) {
  Model& model = context.model;
  const KeyBone* keyBone =
      anim::FindKeyBone(model, model.currentAnimation, model.currentKey, model.currentKeyBone);
  if (keyBone == nullptr || !model.HasBone(keyBone->boneIndex)) return Refresh::None;
  edit::JournalSetKeyBoneMatrix(model, anim::Invert(model.bones[keyBone->boneIndex].localMatrix));
  return Refresh::Skeleton;
}

Refresh RunAnimationCommand(CommandContext& context) {
  if (context.clock == nullptr) return Refresh::None;
  anim::ToggleAnimationRunning(context.model, *context.clock);
  return Refresh::Skeleton;
}

Refresh DeleteBoneCommand(CommandContext& context) {
  Model& model = context.model;
  if (!model.HasBone(model.currentBone)) return Refresh::None;
  edit::JournalDeleteBone(model, static_cast<std::uint32_t>(model.currentBone));
  return Refresh::Skeleton;
}

Refresh DeleteAnimationCommand(CommandContext& context) {
  Model& model = context.model;
  if (!model.HasAnimation(model.currentAnimation)) return Refresh::None;
  edit::JournalDeleteAnimation(model, static_cast<std::uint32_t>(model.currentAnimation));
  return Refresh::Skeleton;
}

Refresh DeleteKeyBoneCommand(CommandContext& context) {
  Model& model = context.model;
  edit::JournalDeleteKeyBone(model, model.currentAnimation, model.currentKey, model.currentKeyBone);
  return Refresh::Skeleton;
}

Refresh DeleteAllCommand(CommandContext& context) {
  Model& model = context.model;
  if (!model.host().AskYesNo(
          "Are you sure you want to delete all bones and animation? This cannot be undone!",
          "Delete All")) {
    return Refresh::None;
  }
  anim::DeleteAllBonesAndAnimations(model);
  return Refresh::Skeleton;
}

Refresh PickBoneCommand(CommandContext& context) {
  Model& model = context.model;
  const std::optional<std::uint32_t> row = PickedRow(context, model.boneCount);
  if (!row) return Refresh::None;
  SetActiveList(context, view::PanelList::Bone);
  model.currentBone = static_cast<std::int32_t>(*row);
  // The bone's vertices become the selection, in the order the bone lists them.
  model.vertices.ClearSelection();
  for (VertexWeight* weight : model.bones[*row].weights) model.vertices.Select(weight->vertex);
  return Refresh::Skeleton;
}

Refresh PickParentCommand(CommandContext& context) {
  // Every bone and then "NONE".
  const std::optional<std::uint32_t> row = PickedRow(context, context.model.boneCount + 1);
  if (!row) return Refresh::None;
  if (context.editor != nullptr) {
    context.editor->parentListRow = static_cast<std::int32_t>(*row);
    context.editor->panels.SetPicked(std::to_string(kListParents), static_cast<std::int32_t>(*row));
  }
  return Refresh::None;
}

Refresh PickAnimationCommand(CommandContext& context) {
  Model& model = context.model;
  const std::optional<std::uint32_t> row = PickedRow(context, model.animationCount);
  if (!row) return Refresh::None;
  SetActiveList(context, view::PanelList::Animation);
  model.currentAnimation = static_cast<std::int32_t>(*row);
  if (model.animationRunning && context.clock != nullptr) {
    anim::StartAnimation(model, *context.clock);
  }
  model.currentKey = -1;
  return Refresh::Skeleton;
}

Refresh PickKeyCommand(CommandContext& context) {
  Model& model = context.model;
  const std::uint32_t keys =
      model.HasAnimation(model.currentAnimation)
          ? model.animation(static_cast<std::uint32_t>(model.currentAnimation)).keyCount
          : 0;
  const std::optional<std::uint32_t> row = PickedRow(context, keys);
  if (!row) return Refresh::None;
  SetActiveList(context, view::PanelList::Key);
  model.currentKey = static_cast<std::int32_t>(*row);
  return Refresh::Skeleton;
}

Refresh PickKeyBoneCommand(CommandContext& context) {
  Model& model = context.model;
  const std::uint32_t keyBones =
      model.HasKey(model.currentAnimation, model.currentKey)
          ? model.animation(static_cast<std::uint32_t>(model.currentAnimation))
                .keys[static_cast<std::uint32_t>(model.currentKey)]
                .keyBoneCount
          : 0;
  const std::optional<std::uint32_t> row = PickedRow(context, keyBones);
  if (!row) return Refresh::None;
  SetActiveList(context, view::PanelList::KeyBone);
  model.currentKeyBone = static_cast<std::int32_t>(*row);
  return Refresh::Skeleton;
}

Refresh ApplyBoneCommand(CommandContext& context) {
  Model& model = context.model;
  Matrix4 matrix;
  if (!MatrixFromBoxes(context.arguments, matrix)) {
    context.problem = "the bone's offset matrix takes 16 texts";
    return Refresh::None;
  }
  if (!model.HasBone(model.currentBone)) return Refresh::None;
  // The parent row's item data: a bone's index, or the bone count for "NONE".
  const std::int32_t parent = context.editor != nullptr ? context.editor->parentListRow : -1;
  // The bone keeps its mass: the panel has no box for it.
  const std::uint32_t bone = static_cast<std::uint32_t>(model.currentBone);
  edit::JournalSetBone(model, bone, parent, matrix, model.bones[bone].grams);
  return Refresh::Skeleton;
}

Refresh ApplyTotalTimeCommand(CommandContext& context) {
  Model& model = context.model;
  if (context.arguments.size() != 1) {
    context.problem = "the total time takes one text";
    return Refresh::None;
  }
  if (!model.HasAnimation(model.currentAnimation)) return Refresh::None;
  anim::SetTotalTime(model, static_cast<std::uint32_t>(model.currentAnimation),
                     BoxNumber(context.arguments[0]));
  return Refresh::Skeleton;
}

Refresh ApplyKeyBoneMatrixCommand(CommandContext& context) {
  Matrix4 matrix;
  if (!MatrixFromBoxes(context.arguments, matrix)) {
    context.problem = "the key bone's matrix takes 16 texts";
    return Refresh::None;
  }
  anim::ApplyKeyBoneMatrix(context.model, matrix);
  return Refresh::Skeleton;
}

Refresh AddBoneCommand(CommandContext& context) {
  Model& model = context.model;
  float point[3] = {};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string& text = context.arguments[i + 1];
    if (format::ParseFloatPrefix(text, point[i]) != text.size() || text.empty()) {
      context.problem = "not a number: " + text;
      return Refresh::None;
    }
  }
  // Bone space is model space moved so that the point is its origin, turned as the parent is.
  const bool underCurrent = model.HasBone(model.currentBone);
  const Matrix4 m =
      JointMatrixAt(underCurrent ? model.bones[model.currentBone].bindMatrix : Matrix4::Identity(),
                    {point[0], point[1], point[2]});
  if (!edit::JournalAddBone(model, context.arguments[0], underCurrent ? model.currentBone : -1, m,
                            1.0f)) {
    context.problem = "the bone " + context.arguments[0] + " was not added";
    return Refresh::None;
  }
  return Refresh::Skeleton;
}

Refresh SavePosedCommand(CommandContext& context) {
  Model& model = context.model;
  if (context.clock == nullptr || context.arguments.empty()) return Refresh::None;
  anim::PoseMesh(model, *context.clock);
  // The file takes the drawn copies for the values; the values come back afterwards.
  const auto swapCopies = [&model] {
    for (Vertex* v : model.vertices) {
      std::swap(v->position, v->savedPosition);
      std::swap(v->normal, v->savedNormal);
    }
  };
  swapCopies();
  const bool written =
      model.vertices.count() > 0 && format::WriteModelFile(model, context.arguments[0]);
  swapCopies();
  if (!written) context.problem = "the posed model was not saved to " + context.arguments[0];
  return Refresh::None;
}

}  // namespace zmf::command

// The Bones and Animation menu and panel: bones, weights, animations, keys and key bones.
#pragma once

#include "command/command_table.h"
#include "view/panels.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandRenameBone = 32871;
inline constexpr std::uint32_t kCommandSetBoneOnSelection = 32881;
inline constexpr std::uint32_t kCommandAddAnimation = 32842;
inline constexpr std::uint32_t kCommandRenameAnimation = 32872;
inline constexpr std::uint32_t kCommandAddKeyBone = 32843;
inline constexpr std::uint32_t kCommandResetKeyBoneMatrix = 32873;
inline constexpr std::uint32_t kCommandRunAnimation = 32844;
inline constexpr std::uint32_t kCommandDeleteBone = 32814;
inline constexpr std::uint32_t kCommandDeleteAnimation = 32840;
inline constexpr std::uint32_t kCommandDeleteKeyBone = 32841;
inline constexpr std::uint32_t kCommandDeleteAll = 32884;

// The panel lists, named where the panel data is.
using view::kListAnimations;
using view::kListBones;
using view::kListKeyBones;
using view::kListKeys;
using view::kListParents;

inline constexpr std::uint32_t kApplyBone = 561;
inline constexpr std::uint32_t kApplyTotalTime = 589;
inline constexpr std::uint32_t kApplyKeyBoneMatrix = 590;

extern const FileDialogOptions kSavePosedDialog;  // "Save ZMF File", ZMF files only

Refresh RenameBoneCommand(CommandContext& context);
Refresh SetBoneOnSelectionCommand(CommandContext& context);
Refresh AddAnimationCommand(CommandContext& context);
Refresh RenameAnimationCommand(CommandContext& context);
Refresh AddKeyBoneCommand(CommandContext& context);
Refresh ResetKeyBoneMatrixCommand(CommandContext& context);
Refresh RunAnimationCommand(CommandContext& context);
Refresh DeleteBoneCommand(CommandContext& context);
Refresh DeleteAnimationCommand(CommandContext& context);
Refresh DeleteKeyBoneCommand(CommandContext& context);
Refresh DeleteAllCommand(CommandContext& context);

// Picks in the panel's lists; the argument is the row.
Refresh PickBoneCommand(CommandContext& context);
Refresh PickParentCommand(CommandContext& context);
Refresh PickAnimationCommand(CommandContext& context);
Refresh PickKeyCommand(CommandContext& context);
Refresh PickKeyBoneCommand(CommandContext& context);

// The panel's "ok" buttons; the arguments are the texts of their edit boxes.
Refresh ApplyBoneCommand(CommandContext& context);           // the 16 offset-matrix boxes
Refresh ApplyTotalTimeCommand(CommandContext& context);      // the total-time box
Refresh ApplyKeyBoneMatrixCommand(CommandContext& context);  // the 16 matrix boxes

// Scripts only: adds a bone NAME under the current bone (the root when there is none) with its
// origin at the model point X Y Z, as a click in the bones view does.
Refresh AddBoneCommand(CommandContext& context);
// Scripts only: saves the model as the bones view shows it at the clock's time: every vertex at
// its posed position and normal; the skeleton and animations are written as they are.
Refresh SavePosedCommand(CommandContext& context);

}  // namespace zmf::command

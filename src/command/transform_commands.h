// The Matrix menu: translate, rotate and scale the selected vertices, or the whole model.
#pragma once

#include "command/command_table.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandTranslate = 32788;
inline constexpr std::uint32_t kCommandRotate = 32789;
inline constexpr std::uint32_t kCommandScale = 32790;

// Each asks for three numbers; with selected vertices it moves them (one undo step), otherwise,
// once confirmed, the whole model with its bones and key bones (no undo).
Refresh TranslateCommand(CommandContext& context);
Refresh RotateCommand(CommandContext& context);
Refresh ScaleCommand(CommandContext& context);

}  // namespace zmf::command

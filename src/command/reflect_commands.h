// Commands that build geometry from the selection: reflection and surface of revolution.
#pragma once

#include "command/command_table.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandReflection = 32819;
inline constexpr std::uint32_t kCommandSurfaceOfRevolution = 32820;

// Asks "Connect edges when reflected?" (only when a vertex is selected), then reflects.
Refresh ReflectionCommand(CommandContext& context);
Refresh SurfaceOfRevolutionCommand(CommandContext& context);

}  // namespace zmf::command

// Commands that merge vertices: weld the selection, reduce it, weld selected duplicates.
#pragma once

#include "command/command_table.h"

namespace zmf::command {

inline constexpr std::uint32_t kCommandWeldVertices = 32836;
inline constexpr std::uint32_t kCommandReduceVertices = 32837;
inline constexpr std::uint32_t kCommandWeldSelectedDuplicates = 32851;

Refresh WeldVerticesCommand(CommandContext& context);
// Asks "Enter percent to reduce" (default 10) when a vertex is selected; Cancel does nothing.
// The answer is read as a number where it starts one; other text reads as 0.
Refresh ReduceVerticesCommand(CommandContext& context);
// Welds the duplicate pairs of the vertex selection: the duplicate list is brought up to date
// and its pairs selected first, as select-duplicates does.
Refresh WeldSelectedDuplicatesCommand(CommandContext& context);

// Script-only: selects the duplicate pairs of the vertex selection after bringing the duplicate
// list up to date, as showing the Normals and Duplicates panel does.
Refresh SelectDuplicatesCommand(CommandContext& context);

}  // namespace zmf::command

// What the editor keeps beside the model between commands: which panel list the user last
// picked from and the rows picked in lists that no model field records. The window shows it;
// commands and batch scripts change it through the command table.
#pragma once

#include <cstdint>

namespace zmf::view {

// The panel lists that can be the active list, the one that last reported a pick.
enum class PanelList : std::uint8_t { None, Vertex, Face, Bone, Animation, Key, KeyBone };

struct EditorState {
  PanelList activeList = PanelList::None;
  // The row picked in the bones panel's parent list: a bone's index, the bone count for the
  // last row "NONE", or -1 when no row is picked.
  std::int32_t parentListRow = -1;
};

}  // namespace zmf::view

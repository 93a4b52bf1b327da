// The mouse in the viewport: presses, moves and releases, turned into selections, new vertices,
// faces and bones, camera moves, and the Move mode's drags with their live preview and their
// journaled commit at release. The window's viewport and the script lines "press", "move",
// "release", "drag" and "click" both call these; the window only converts its events.
#pragma once

#include "command/command_table.h"

namespace zmf::command {

enum class MouseButton : std::uint8_t { Left, Right, Middle };

// Positions are normalised viewport coordinates, -1 to 1 from the left and the top edges (y
// grows downwards). Each call returns the panel refresh the window must do; the viewport and
// the status lines (the editor's positionLine and cameraLine) are to be redrawn after every
// call. All need context.editor; without it they do nothing.

// A button goes down at (nx, ny) with Shift and Ctrl as given. A drag still under way from the
// other button is given up first (its preview undone), so a model is never left half moved.
Refresh MousePress(CommandContext& context, MouseButton button, float nx, float ny, bool shift,
                   bool ctrl);

// The mouse moved to (nx, ny): the status lines, then the rectangle, the camera or the preview
// of the drag under way.
Refresh MouseMove(CommandContext& context, float nx, float ny);

// A button comes up at (nx, ny) (a move there first when the mouse was elsewhere): the selection
// rectangle is applied or the Move drag committed, one undo step each. The release of the other
// button than the one that started a Move drag gives the drag up instead.
Refresh MouseRelease(CommandContext& context, MouseButton button, float nx, float ny);

// The middle button pans the picture in every mode, as a left drag of the Reposition Camera mode
// does, and leaves the selection and any drag of the other buttons as they are.

// The wheel turned by `notches` (a wheel's angle delta / 120, positive away from the user;
// fine wheels and touchpads give fractions): zooms as the Shift drag of the Reposition Camera
// mode does, each notch away from the user to kWheelZoom of the extent shown, each one back
// to 1 / kWheelZoom of it.
inline constexpr float kWheelZoom = 0.8f;
Refresh MouseWheel(CommandContext& context, float notches);

// Gives up a drag under way: the drawn copies of the vertices show the model at rest again, a
// bone or key bone being dragged gets back the matrix it had at the press, and no drag remains.
// Changing the view or the mode does this.
void CancelDrag(CommandContext& context);

}  // namespace zmf::command

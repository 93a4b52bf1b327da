// What the editor keeps beside the model between commands: the interaction mode, the view, the
// camera, which panel list the user last picked from and the rows picked in lists that no model
// field records. The window shows it; commands and batch scripts change it through the command
// table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/math_types.h"
#include "view/camera.h"
#include "view/panels.h"

namespace zmf::view {

// What a mouse press in the viewport does.
enum class InteractionMode : std::uint8_t { Select, Add, RepositionCamera, Move };

// The four views, each with its panel.
enum class ViewMode : std::uint8_t {
  Mesh = 0,      // "Vertices and Triangle Faces"
  Normals = 1,   // "Normals and Duplicates"
  Material = 2,  // "Material and Texture"
  Skeleton = 3,  // "Bones and Animation"
};

// The panel lists that can be the active list, the one that last reported a pick.
enum class PanelList : std::uint8_t { None, Vertex, Face, Bone, Animation, Key, KeyBone };

// What a mouse drag does: one of the selection rectangles that replace, add to and take from the
// selection, or one of the Move mode's drags (moving along the view, turning about the view's x
// and y axes; in the skeleton view also moving in the view's x-z plane and turning about its y
// and z axes; in the mesh view a move that falls off with the distance from the drag's start).
enum class DragKind : std::uint8_t {
  None,
  ReplaceRect,
  AddRect,
  RemoveRect,
  Translate,
  Rotate,
  TranslateXZ,  // skeleton view only
  RotateYZ,     // skeleton view only
  FalloffMove,  // mesh view only
};

constexpr bool IsSelectionRect(DragKind kind) {
  return kind == DragKind::ReplaceRect || kind == DragKind::AddRect || kind == DragKind::RemoveRect;
}
constexpr bool IsMoveDrag(DragKind kind) {
  return kind != DragKind::None && !IsSelectionRect(kind);
}

// The rectangle of a mouse drag: its kind and its two corners in normalised viewport coordinates
// (-1 to 1, y growing downwards).
struct DragRect {
  DragKind kind = DragKind::None;
  float x0 = 0.0f, y0 = 0.0f;  // where the drag started
  float x1 = 0.0f, y1 = 0.0f;  // where the mouse is now
};

// The mouse over the viewport: where it is and was (normalised, y growing downwards), the
// buttons held, and Shift and Ctrl as they were when a button went down.
struct MouseState {
  float nx = 0.0f, ny = 0.0f;
  float prevNx = 0.0f, prevNy = 0.0f;
  bool leftDown = false, rightDown = false;
  bool middleDown = false;  // a middle drag pans the camera in every mode
  bool shift = false, ctrl = false;
};

// What a Move-mode drag in the skeleton view turns or moves, chosen when the button goes down.
enum class DragTarget : std::uint8_t { None, Bone, KeyBone };

struct EditorState {
  InteractionMode mode = InteractionMode::Select;
  ViewMode view = ViewMode::Mesh;
  Camera camera;
  SavedCamera savedCamera;
  Matrix4 projection = Matrix4::Identity();  // set by ApplyProjection, loaded by the renderer
  DragRect dragRect;
  MouseState mouse;
  // The drag under way: the button that started it, the bone or key bone it moves and that
  // one's matrix when the button went down (to put back when the drag is given up).
  bool dragWithRight = false;
  DragTarget dragTarget = DragTarget::None;
  std::int32_t dragBone = -1;
  std::int32_t dragAnimation = -1, dragKey = -1, dragKeyBone = -1;
  Matrix4 dragStartMatrix = Matrix4::Identity();
  // Half the diagonal of the last selection rectangle, in normalised units: the reach of a
  // falloff move.
  float falloffRadius = 0.0f;
  // Light 1, placed with the identity model-view matrix; a drag in the material view moves it.
  std::array<float, 4> lightPosition = {-150.0f, 200.0f, 250.0f, 1.0f};
  // The status lines under the viewport: the model point under the cursor (or a drag's move),
  // and, while a Move-mode turn is dragged, its angles (empty: the camera's own readout).
  std::string positionLine = "(x,y,z)";
  std::string cameraLine;
  // The counts line beside them, as every command leaves it.
  std::string countsLine = "vertices:0 faces:0";

  // What the four panels show.
  PanelState panels;

  PanelList activeList = PanelList::None;
  // The row picked in the bones panel's parent list: a bone's index, the bone count for the
  // last row "NONE", or -1 when no row is picked.
  std::int32_t parentListRow = -1;
  // The row picked in the material panel's alpha-mode list, -1 for none.
  std::int32_t alphaListRow = -1;
  // The row picked in the material panel's texture-coordinate list (a position in the vertex
  // selection), -1 for none.
  std::int32_t texCoordListRow = -1;
};

}  // namespace zmf::view

// The mouse in the viewport, mode by mode and view by view.
#include "command/gestures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "command/key_commands.h"
#include "edit/face_operations.h"
#include "edit/journal.h"
#include "edit/model_transforms.h"
#include "model/transforms.h"
#include "view/picking.h"

namespace zmf::command {
namespace {

using view::DragTarget;
using view::EditorState;
using view::InteractionMode;
using view::ViewMode;

using view::DragKind;

Refresh PanelOfView(ViewMode view) {
  switch (view) {
    case ViewMode::Mesh:
      return Refresh::Mesh;
    case ViewMode::Normals:
      return Refresh::Normals;
    case ViewMode::Material:
      return Refresh::Material;
    case ViewMode::Skeleton:
      return Refresh::Skeleton;
  }
  return Refresh::None;
}

// The vector at unit length; a zero vector (or one that cannot be measured) stays as it is.
Vector3 Normalised(const Vector3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0.0f) || !std::isfinite(length)) return v;
  return {v.x / length, v.y / length, v.z / length};
}

std::string Readout3(float a, float b, float c) { return view::PositionReadout({a, b, c}); }

// The camera line of a turning drag: the screen rotation, in the camera readout's form.
std::string TurnReadout(float horizontal, float vertical) {
  char text[200];  // four "%.3f" of the largest float fit
  std::snprintf(text, sizeof text, "(%.3f,%.3f,%.3f,%.3f)", static_cast<double>(horizontal),
                static_cast<double>(vertical), 0.0, 0.0);
  return text;
}

// Everything a Move drag computes from the drag start and the mouse: the move D along the
// view, the turn R, and the distances behind them.
struct DragMotion {
  float dx = 0.0f, dy = 0.0f;  // view units, y up
  Vector3 move;                // D: (dx, dy, 0) in model space
  Matrix4 turn;                // R: the Euler turn of the screen rotation vector
};

DragMotion MotionOf(const Model& model, const EditorState& editor) {
  const float e = editor.camera.HalfExtent();
  const view::DragRect& r = editor.dragRect;
  const float nx = editor.mouse.nx, ny = editor.mouse.ny;
  DragMotion motion;
  motion.dx = (nx - r.x0) * e;
  motion.dy = (r.y0 - ny) * e;
  motion.move = InverseRotate(model.viewMatrix, {motion.dx, motion.dy, 0.0f});
  // Vertical motion turns about the view's x axis, horizontal about its y axis (z instead of x
  // for RotateYZ); the whole viewport width is 4 radians.
  const Vector3 w = r.kind == DragKind::RotateYZ
                        ? Vector3{0.0f, 2.0f * (nx - r.x0), 2.0f * (ny - r.y0)}
                        : Vector3{2.0f * (ny - r.y0), 2.0f * (nx - r.x0), 0.0f};
  const Vector3 angles = InverseRotate(model.viewMatrix, w);
  motion.turn = EulerMatrix(angles.x, angles.y, angles.z);
  return motion;
}

// The share of the move a vertex gets in a falloff move: 1 at the drag's start, falling to 0
// at the reach of the last selection rectangle. The reach is kept in normalised units, so it
// is measured here in view units (times E) like the distance it is compared with.
float FalloffOf(const Model& model, const EditorState& editor, const Vector3& position) {
  const float e = editor.camera.HalfExtent();
  const float reach = editor.falloffRadius * std::fabs(e);
  const Vector3 q = TransformPoint(model.viewMatrix, position);
  const float ddx = q.x - editor.dragRect.x0 * e, ddy = q.y + editor.dragRect.y0 * e;
  const float f = (reach - std::sqrt(ddx * ddx + ddy * ddy)) / reach;
  return f > 0.0f ? f : 0.0f;
}

float Clamp01(float value) { return std::clamp(value, 0.0f, 1.0f); }

// The texture coordinates a texture drag gives a vertex.
void DraggedUv(const Vertex& v, const EditorState& editor, float& u, float& w) {
  u = Clamp01(v.u + 0.5f * (editor.mouse.nx - editor.dragRect.x0));
  w = Clamp01(v.v + 0.5f * (editor.mouse.ny - editor.dragRect.y0));
}

// The bone's local matrix that puts its joint at the model point p.
Matrix4 BoneMatrixAt(const Model& model, std::int32_t bone, const Vector3& p) {
  const std::int32_t parent = model.bones[bone].parent;
  return JointMatrixAt(model.HasBone(parent) ? model.bones[parent].bindMatrix : Matrix4::Identity(),
                       p);
}

Vector3 DragPoint(const Model& model, const EditorState& editor) {
  const float a = editor.mouse.nx, b = -editor.mouse.ny;
  return editor.dragRect.kind == DragKind::TranslateXZ
             ? view::ScreenToModelXZ(editor.camera, model.viewMatrix, a, b)
             : view::ScreenToModel(editor.camera, model.viewMatrix, a, b);
}

// The bone or key bone the drag moves, when it still exists.
Bone* DraggedBone(Model& model, const EditorState& editor) {
  if (editor.dragTarget != DragTarget::Bone || !model.HasBone(editor.dragBone)) return nullptr;
  return &model.bones[editor.dragBone];
}

KeyBone* DraggedKeyBone(Model& model, const EditorState& editor) {
  if (editor.dragTarget != DragTarget::KeyBone) return nullptr;
  return anim::FindKeyBone(model, editor.dragAnimation, editor.dragKey, editor.dragKeyBone);
}

// The key bone drag commits through the journal, which writes to the current key bone: only
// while that is still the one dragged.
bool DraggedKeyBoneIsCurrent(const Model& model, const EditorState& editor) {
  return model.currentAnimation == editor.dragAnimation && model.currentKey == editor.dragKey &&
         model.currentKeyBone == editor.dragKeyBone;
}

// In the skeleton view, the press picks what the drag moves: the current key bone when the key
// bone list was picked last, else the current bone when the bone list was; its matrix is kept.
void ChooseDragTarget(Model& model, EditorState& editor) {
  editor.dragTarget = DragTarget::None;
  if (editor.activeList == view::PanelList::KeyBone) {
    if (KeyBone* k = anim::FindKeyBone(model, model.currentAnimation, model.currentKey,
                                       model.currentKeyBone)) {
      editor.dragTarget = DragTarget::KeyBone;
      editor.dragAnimation = model.currentAnimation;
      editor.dragKey = model.currentKey;
      editor.dragKeyBone = model.currentKeyBone;
      editor.dragStartMatrix = k->matrix;
    }
  } else if (editor.activeList == view::PanelList::Bone && model.HasBone(model.currentBone)) {
    editor.dragTarget = DragTarget::Bone;
    editor.dragBone = model.currentBone;
    editor.dragStartMatrix = model.bones[model.currentBone].localMatrix;
  }
}

// The click of the Add mode in the skeleton view: a bone named by the user whose joint is at p,
// a child of the current bone (or the root when there is none).
void AddBoneAt(Model& model, const Vector3& p) {
  const std::optional<std::string> name = model.host().Prompt("Enter bone name:");
  if (!name || name->empty()) return;
  const bool hasCurrent = model.HasBone(model.currentBone);
  const Matrix4 m = JointMatrixAt(
      hasCurrent ? model.bones[model.currentBone].bindMatrix : Matrix4::Identity(), p);
  edit::JournalAddBone(model, *name, hasCurrent ? model.currentBone : -1, m, 1.0f);
}

// ---- the preview of a Move drag: drawn copies and matrices only, nothing journaled

void PreviewMesh(Model& model, const EditorState& editor, const DragMotion& motion) {
  switch (editor.dragRect.kind) {
    case DragKind::Translate:
      for (Vertex* v : model.vertices.Selected()) v->savedPosition = v->position + motion.move;
      break;
    case DragKind::Rotate:
      for (Vertex* v : model.vertices.Selected()) {
        v->savedPosition = TransformPoint(motion.turn, v->position);
        v->savedNormal = TransformDirection(motion.turn, v->normal);
      }
      break;
    case DragKind::FalloffMove:
      if (editor.falloffRadius == 0.0f) return;
      for (Vertex* v : model.vertices.Selected()) {
        v->savedPosition = v->position + motion.move * FalloffOf(model, editor, v->position);
      }
      break;
    default:
      return;
  }
  model.MarkVertexDataChanged();
}

void PreviewNormals(Model& model, const EditorState& editor, const DragMotion& motion) {
  switch (editor.dragRect.kind) {
    case DragKind::Translate:
      for (Vertex* v : model.vertices.Selected()) {
        v->savedNormal = Normalised(v->normal + motion.move);
      }
      break;
    case DragKind::Rotate:
      for (Vertex* v : model.vertices.Selected()) {
        v->savedNormal = TransformDirection(motion.turn, v->normal);
      }
      break;
    default:
      return;
  }
  model.MarkVertexDataChanged();
}

void PreviewMaterial(Model& model, EditorState& editor) {
  if (editor.dragRect.kind == DragKind::Translate) {
    for (Vertex* v : model.vertices.Selected()) DraggedUv(*v, editor, v->savedU, v->savedV);
    model.MarkVertexDataChanged();
  } else if (editor.dragRect.kind == DragKind::Rotate) {
    editor.lightPosition = {editor.mouse.nx * 200.0f, -editor.mouse.ny * 200.0f, 250.0f, 1.0f};
  }
}

void PreviewSkeleton(Model& model, const EditorState& editor, const DragMotion& motion) {
  const DragKind kind = editor.dragRect.kind;
  const bool translate = kind == DragKind::Translate || kind == DragKind::TranslateXZ;
  const bool rotate = kind == DragKind::Rotate || kind == DragKind::RotateYZ;
  if (!translate && !rotate) return;
  if (KeyBone* k = DraggedKeyBone(model, editor)) {
    k->matrix = translate ? TranslationMatrix(DragPoint(model, editor))
                          : anim::Compose(editor.dragStartMatrix, motion.turn);
  } else if (Bone* b = DraggedBone(model, editor)) {
    b->localMatrix = translate ? BoneMatrixAt(model, editor.dragBone, DragPoint(model, editor))
                               : anim::Compose(editor.dragStartMatrix, motion.turn);
    anim::UpdateBindMatrices(model, editor.dragBone);
  }
}

// The status lines a Move drag writes itself; false for the kinds that leave them to the
// cursor readouts.
bool DragStatusLines(EditorState& editor, const DragMotion& motion) {
  const view::DragRect& r = editor.dragRect;
  const float e = editor.camera.HalfExtent();
  switch (r.kind) {
    case DragKind::Translate:
      editor.positionLine = Readout3(motion.dx, motion.dy, 0.0f);
      editor.cameraLine.clear();
      return true;
    case DragKind::Rotate:
      editor.cameraLine =
          TurnReadout(2.0f * (editor.mouse.nx - r.x0), 2.0f * (editor.mouse.ny - r.y0));
      return true;
    case DragKind::FalloffMove:
      editor.positionLine = Readout3(r.x0 * e, 0.0f - r.y0 * e, motion.dx);
      editor.cameraLine.clear();
      return true;
    default:
      return false;
  }
}

void Preview(Model& model, EditorState& editor) {
  const DragMotion motion = MotionOf(model, editor);
  // Kinds without lines of their own leave the cursor readouts written before this.
  DragStatusLines(editor, motion);
  switch (editor.view) {
    case ViewMode::Mesh:
      PreviewMesh(model, editor, motion);
      break;
    case ViewMode::Normals:
      PreviewNormals(model, editor, motion);
      break;
    case ViewMode::Material:
      PreviewMaterial(model, editor);
      break;
    case ViewMode::Skeleton:
      PreviewSkeleton(model, editor, motion);
      break;
  }
}

// ---- the commit at release: the previewed values through the journal, one group each

Refresh CommitMesh(Model& model, const EditorState& editor, const DragMotion& motion, bool right) {
  const DragKind kind = editor.dragRect.kind;
  if (model.vertices.selCount() == 0) return Refresh::None;
  if (!right && kind == DragKind::Translate) {
    edit::JournalGroup group(model);
    for (Vertex* v : model.vertices.Selected()) {
      edit::JournalSetVertex(model, v, v->position + motion.move, v->normal, v->u, v->v);
    }
  } else if (!right && kind == DragKind::FalloffMove && editor.falloffRadius != 0.0f) {
    edit::JournalGroup group(model);
    for (Vertex* v : model.vertices.Selected()) {
      const Vector3 moved = v->position + motion.move * FalloffOf(model, editor, v->position);
      edit::JournalSetVertex(model, v, moved, v->normal, v->u, v->v);
    }
  } else if (right && kind == DragKind::Rotate) {
    edit::TransformSelection(model, motion.turn, true);
  } else {
    return Refresh::None;
  }
  return Refresh::Mesh;
}

Refresh CommitNormals(Model& model, const EditorState& editor, const DragMotion& motion,
                      bool right) {
  const DragKind kind = editor.dragRect.kind;
  if (model.vertices.selCount() == 0) return Refresh::None;
  if ((!right && kind == DragKind::Translate) || (right && kind == DragKind::Rotate)) {
    edit::JournalGroup group(model);
    for (Vertex* v : model.vertices.Selected()) {
      const Vector3 normal =
          right ? TransformDirection(motion.turn, v->normal) : Normalised(v->normal + motion.move);
      edit::JournalSetVertex(model, v, v->position, normal, v->u, v->v);
    }
    return Refresh::Normals;
  }
  return Refresh::None;
}

Refresh CommitMaterial(Model& model, const EditorState& editor, bool right) {
  if (right || editor.dragRect.kind != DragKind::Translate || model.vertices.selCount() == 0) {
    return Refresh::None;
  }
  edit::JournalGroup group(model);
  for (Vertex* v : model.vertices.Selected()) {
    float u = 0.0f, w = 0.0f;
    DraggedUv(*v, editor, u, w);
    edit::JournalSetVertex(model, v, v->position, v->normal, u, w);
  }
  return Refresh::Material;
}

Refresh CommitSkeleton(Model& model, const EditorState& editor, const DragMotion& motion,
                       bool right) {
  const DragKind kind = editor.dragRect.kind;
  const bool translate = !right && (kind == DragKind::Translate || kind == DragKind::TranslateXZ);
  const bool rotate = right && (kind == DragKind::Rotate || kind == DragKind::RotateYZ);
  if (!translate && !rotate) return Refresh::None;
  if (KeyBone* k = DraggedKeyBone(model, editor)) {
    const Matrix4 target = translate ? TranslationMatrix(DragPoint(model, editor))
                                     : anim::Compose(editor.dragStartMatrix, motion.turn);
    // Back to where it was, so that the journal holds the matrix from before the drag.
    k->matrix = editor.dragStartMatrix;
    if (DraggedKeyBoneIsCurrent(model, editor)) edit::JournalSetKeyBoneMatrix(model, target);
  } else if (Bone* b = DraggedBone(model, editor)) {
    const Matrix4 target = translate
                               ? BoneMatrixAt(model, editor.dragBone, DragPoint(model, editor))
                               : anim::Compose(editor.dragStartMatrix, motion.turn);
    b->localMatrix = editor.dragStartMatrix;
    anim::UpdateBindMatrices(model, editor.dragBone);
    edit::JournalSetBone(model, static_cast<std::uint32_t>(editor.dragBone), b->parent, target,
                         b->grams);
  } else {
    return Refresh::None;
  }
  return Refresh::Skeleton;
}

Refresh Commit(Model& model, EditorState& editor, bool right) {
  // A click that did not move changes nothing, and leaves no empty step to undo; only a bone's
  // joint, which jumps to the cursor, moves without a drag.
  const view::DragRect& r = editor.dragRect;
  const bool placesJoint = editor.view == ViewMode::Skeleton && !right;
  if (r.x1 == r.x0 && r.y1 == r.y0 && !placesJoint) return Refresh::None;
  const DragMotion motion = MotionOf(model, editor);
  switch (editor.view) {
    case ViewMode::Mesh:
      return CommitMesh(model, editor, motion, right);
    case ViewMode::Normals:
      return CommitNormals(model, editor, motion, right);
    case ViewMode::Material:
      return CommitMaterial(model, editor, right);
    case ViewMode::Skeleton:
      return CommitSkeleton(model, editor, motion, right);
  }
  return Refresh::None;
}

// ---- presses by mode

Refresh SelectPress(CommandContext& context, MouseButton button) {
  Model& model = context.model;
  EditorState& editor = *context.editor;
  const view::MouseState& mouse = editor.mouse;
  if (button == MouseButton::Left) {
    editor.dragRect = {mouse.shift  ? DragKind::AddRect
                       : mouse.ctrl ? DragKind::RemoveRect
                                    : DragKind::ReplaceRect,
                       mouse.nx, mouse.ny, mouse.nx, mouse.ny};
    return Refresh::None;
  }
  switch (editor.view) {
    case ViewMode::Mesh:
    case ViewMode::Normals:
      if (mouse.shift) {
        view::PickFace(model, editor.camera, model.viewMatrix, mouse.nx, mouse.ny);
      } else if (mouse.ctrl) {
        model.DeselectAll();
      } else {
        view::PickVerticesAt(model, editor.camera, model.viewMatrix, mouse.nx, mouse.ny);
      }
      return PanelOfView(editor.view);
    case ViewMode::Skeleton:
      if (mouse.shift) {
        model.currentAnimation = -1;
      } else {
        // The joints where the view draws them: posed at the clock's time.
        if (context.clock != nullptr) {
          anim::PoseMesh(model, *context.clock);
        } else {
          anim::EvaluateHierarchy(model);
        }
        view::PickBone(model, editor.camera, model.viewMatrix, mouse.nx, mouse.ny);
      }
      return Refresh::Skeleton;
    case ViewMode::Material:
      break;
  }
  return Refresh::None;
}

Refresh AddPress(CommandContext& context, MouseButton button) {
  Model& model = context.model;
  EditorState& editor = *context.editor;
  const float nx = editor.mouse.nx, ny = editor.mouse.ny;
  if (button == MouseButton::Left) {
    const Vector3 p = view::ScreenToModel(editor.camera, model.viewMatrix, nx, -ny);
    if (editor.view == ViewMode::Mesh) {
      edit::JournalAddVertex(model, p, {0.0f, 0.0f, 1.0f}, 0.0f, 0.0f);
      return Refresh::Mesh;
    }
    if (editor.view == ViewMode::Skeleton) {
      AddBoneAt(model, p);
      return Refresh::Skeleton;
    }
    return Refresh::None;
  }
  if (editor.view == ViewMode::Mesh) {
    PressKey(context, 'F', nx, ny);
    return Refresh::Mesh;
  }
  if (editor.view == ViewMode::Normals) {
    model.DeselectAll();
    view::PickVerticesAt(model, editor.camera, model.viewMatrix, nx, ny);
    if (model.vertices.selCount() == 1) {
      edit::JournalGroup group(model);
      edit::DuplicateVertex(model, model.vertices.selHead());
    }
    return Refresh::Normals;
  }
  return Refresh::None;
}

Refresh CameraPress(CommandContext& context, MouseButton button) {
  EditorState& editor = *context.editor;
  if (!editor.mouse.ctrl) return Refresh::None;
  if (button == MouseButton::Left) {
    view::CameraReturn(editor.camera, editor.savedCamera);
  } else {
    view::CameraZero(editor.camera);
  }
  editor.projection = view::ProjectionMatrix(editor.camera);
  return Refresh::None;
}

Refresh MovePress(CommandContext& context, MouseButton button) {
  Model& model = context.model;
  EditorState& editor = *context.editor;
  const view::MouseState& mouse = editor.mouse;
  DragKind kind;
  if (button == MouseButton::Left) {
    kind = mouse.shift  ? DragKind::TranslateXZ
           : mouse.ctrl ? DragKind::FalloffMove
                        : DragKind::Translate;
  } else {
    kind = mouse.shift ? DragKind::RotateYZ : mouse.ctrl ? DragKind::None : DragKind::Rotate;
  }
  editor.dragRect = {kind, mouse.nx, mouse.ny, mouse.nx, mouse.ny};
  editor.dragWithRight = button == MouseButton::Right;
  editor.dragTarget = DragTarget::None;
  if (editor.view != ViewMode::Skeleton) return Refresh::None;
  ChooseDragTarget(model, editor);
  if (button == MouseButton::Right && mouse.ctrl && !mouse.shift) {
    // Ctrl + right: the current key bone back to its bone's rest pose.
    const KeyBone* k =
        anim::FindKeyBone(model, model.currentAnimation, model.currentKey, model.currentKeyBone);
    if (k == nullptr || !model.HasBone(k->boneIndex)) return Refresh::None;
    edit::JournalSetKeyBoneMatrix(model, anim::Invert(model.bones[k->boneIndex].localMatrix));
    editor.dragStartMatrix = k->matrix;
    return Refresh::Skeleton;
  }
  return Refresh::None;
}

}  // namespace

Refresh MousePress(CommandContext& context, MouseButton button, float nx, float ny, bool shift,
                   bool ctrl) {
  if (context.editor == nullptr) return Refresh::None;
  EditorState& editor = *context.editor;
  if (button == MouseButton::Middle) {
    editor.mouse.middleDown = true;
    editor.mouse.prevNx = editor.mouse.nx = nx;
    editor.mouse.prevNy = editor.mouse.ny = ny;
    return Refresh::None;
  }
  // A Move drag of the other button (or one whose release never came) is given up first.
  if (view::IsMoveDrag(editor.dragRect.kind)) CancelDrag(context);
  view::MouseState& mouse = editor.mouse;
  mouse.nx = mouse.prevNx = nx;
  mouse.ny = mouse.prevNy = ny;
  (button == MouseButton::Left ? mouse.leftDown : mouse.rightDown) = true;
  mouse.shift = shift;
  mouse.ctrl = ctrl;
  switch (editor.mode) {
    case InteractionMode::Select:
      return SelectPress(context, button);
    case InteractionMode::Add:
      return AddPress(context, button);
    case InteractionMode::RepositionCamera:
      return CameraPress(context, button);
    case InteractionMode::Move:
      return MovePress(context, button);
  }
  return Refresh::None;
}

Refresh MouseMove(CommandContext& context, float nx, float ny) {
  if (context.editor == nullptr) return Refresh::None;
  Model& model = context.model;
  EditorState& editor = *context.editor;
  view::MouseState& mouse = editor.mouse;
  mouse.nx = nx;
  mouse.ny = ny;
  if (mouse.middleDown) {
    view::DragCamera(editor.camera, nx - mouse.prevNx, ny - mouse.prevNy, true, false, false);
    model.viewMatrix = view::BuildViewMatrix(editor.camera);
  }
  // The cursor readouts; a Move drag may write its own below.
  editor.positionLine =
      view::PositionReadout(view::ScreenToModel(editor.camera, model.viewMatrix, nx, -ny));
  editor.cameraLine.clear();
  switch (editor.mode) {
    case InteractionMode::Select:
      if (editor.dragRect.kind != DragKind::None) {
        editor.dragRect.x1 = nx;
        editor.dragRect.y1 = ny;
      }
      break;
    case InteractionMode::RepositionCamera:
      view::DragCamera(editor.camera, nx - mouse.prevNx, ny - mouse.prevNy, mouse.leftDown,
                       mouse.rightDown, mouse.shift);
      editor.projection = view::ProjectionMatrix(editor.camera);
      model.viewMatrix = view::BuildViewMatrix(editor.camera);
      break;
    case InteractionMode::Move:
      if (editor.dragRect.kind != DragKind::None) {
        editor.dragRect.x1 = nx;
        editor.dragRect.y1 = ny;
        Preview(model, editor);
      }
      break;
    case InteractionMode::Add:
      break;
  }
  mouse.prevNx = nx;
  mouse.prevNy = ny;
  return Refresh::None;
}

Refresh MouseRelease(CommandContext& context, MouseButton button, float nx, float ny) {
  if (context.editor == nullptr) return Refresh::None;
  Model& model = context.model;
  EditorState& editor = *context.editor;
  view::MouseState& mouse = editor.mouse;
  if (nx != mouse.nx || ny != mouse.ny) MouseMove(context, nx, ny);
  if (button == MouseButton::Middle) {
    mouse.middleDown = false;
    return Refresh::None;
  }
  (button == MouseButton::Left ? mouse.leftDown : mouse.rightDown) = false;
  const bool right = button == MouseButton::Right;
  Refresh refresh = Refresh::None;
  const DragKind kind = editor.dragRect.kind;
  if (editor.mode == InteractionMode::Select) {
    if (right || !view::IsSelectionRect(kind)) {
      mouse.shift = mouse.ctrl = false;
      return Refresh::None;
    }
    const view::DragRect& r = editor.dragRect;
    const float e = editor.camera.HalfExtent();
    const float left = std::min(r.x0, r.x1), rightEdge = std::max(r.x0, r.x1);
    const float top = std::min(r.y0, r.y1), bottom = std::max(r.y0, r.y1);
    const view::ViewRect rect{left * e, -bottom * e, rightEdge * e, -top * e};
    editor.falloffRadius =
        0.5f * std::sqrt((rightEdge - left) * (rightEdge - left) + (bottom - top) * (bottom - top));
    view::SelectInRect(model, model.viewMatrix, rect,
                       kind == DragKind::ReplaceRect ? view::RectMode::Replace
                       : kind == DragKind::AddRect   ? view::RectMode::Add
                                                     : view::RectMode::Remove);
    refresh = editor.view == ViewMode::Skeleton ? Refresh::None : PanelOfView(editor.view);
    editor.dragRect.kind = DragKind::None;
  } else if (editor.mode == InteractionMode::Move && kind != DragKind::None) {
    if (right == editor.dragWithRight) {
      refresh = Commit(model, editor, right);
      editor.dragRect.kind = DragKind::None;
      editor.dragTarget = DragTarget::None;
    } else {
      CancelDrag(context);
    }
  } else {
    editor.dragRect.kind = DragKind::None;
  }
  mouse.shift = mouse.ctrl = false;
  return refresh;
}

Refresh MouseWheel(CommandContext& context, float notches) {
  if (context.editor == nullptr || !std::isfinite(notches)) return Refresh::None;
  EditorState& editor = *context.editor;
  // The drag down that leaves kWheelZoom^notches of the extent; beyond a hundred notches at once
  // the zoom's own limits hold it anyway.
  const float dy = 1.0f - std::pow(kWheelZoom, std::clamp(notches, -100.0f, 100.0f));
  view::DragCamera(editor.camera, 0.0f, dy, true, false, true);
  editor.projection = view::ProjectionMatrix(editor.camera);
  context.model.viewMatrix = view::BuildViewMatrix(editor.camera);
  return Refresh::None;
}

void CancelDrag(CommandContext& context) {
  if (context.editor == nullptr) return;
  Model& model = context.model;
  EditorState& editor = *context.editor;
  if (view::IsMoveDrag(editor.dragRect.kind)) {
    if (KeyBone* k = DraggedKeyBone(model, editor)) {
      k->matrix = editor.dragStartMatrix;
    } else if (Bone* b = DraggedBone(model, editor)) {
      b->localMatrix = editor.dragStartMatrix;
      anim::UpdateBindMatrices(model, editor.dragBone);
    } else if (editor.view != ViewMode::Skeleton) {
      model.Commit();
    }
  }
  editor.dragRect.kind = DragKind::None;
  editor.dragTarget = DragTarget::None;
}

}  // namespace zmf::command

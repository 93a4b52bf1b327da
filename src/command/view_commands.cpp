// Handlers of the Action, View and Camera menus.
#include "command/view_commands.h"

#include "command/gestures.h"

namespace zmf::command {
namespace {

Refresh SetMode(CommandContext& context, view::InteractionMode mode) {
  // A drag begun in the old mode would end in the new one: it is given up.
  CancelDrag(context);
  if (context.editor != nullptr) context.editor->mode = mode;
  return Refresh::None;
}

// The refresh that fills a view's panel.
Refresh PanelOf(view::ViewMode view) {
  switch (view) {
    case view::ViewMode::Mesh:
      return Refresh::Mesh;
    case view::ViewMode::Normals:
      return Refresh::Normals;
    case view::ViewMode::Material:
      return Refresh::Material;
    case view::ViewMode::Skeleton:
      return Refresh::Skeleton;
  }
  return Refresh::None;
}

Refresh SetView(CommandContext& context, view::ViewMode view) {
  view::EditorState* editor = context.editor;
  if (editor == nullptr || editor->view == view) return Refresh::None;
  CancelDrag(context);
  editor->view = view;
  // Entering a view shows the model at rest; the Normals panel lists the duplicates as they are.
  context.model.Commit();
  if (view == view::ViewMode::Normals) context.model.RebuildDuplicates();
  return PanelOf(view);
}

// Runs a change of the camera; the picture is redrawn with the next frame.
template <class Change>
Refresh WithCamera(CommandContext& context, Change change) {
  if (context.editor == nullptr) return Refresh::None;
  change(*context.editor);
  context.editor->projection = view::ApplyProjection(context.editor->camera);
  return Refresh::None;
}

Refresh Preset(CommandContext& context, view::CameraPreset preset) {
  return WithCamera(context, [preset](view::EditorState& e) { ApplyPreset(e.camera, preset); });
}

Refresh Zoom(CommandContext& context, view::ZoomPreset zoom) {
  return WithCamera(context, [zoom](view::EditorState& e) { ApplyZoom(e.camera, zoom); });
}

}  // namespace

Refresh SelectModeCommand(CommandContext& context) {
  return SetMode(context, view::InteractionMode::Select);
}
Refresh AddModeCommand(CommandContext& context) {
  return SetMode(context, view::InteractionMode::Add);
}
Refresh CameraModeCommand(CommandContext& context) {
  return SetMode(context, view::InteractionMode::RepositionCamera);
}
Refresh MoveModeCommand(CommandContext& context) {
  return SetMode(context, view::InteractionMode::Move);
}

Refresh ViewMeshCommand(CommandContext& context) { return SetView(context, view::ViewMode::Mesh); }
Refresh ViewNormalsCommand(CommandContext& context) {
  return SetView(context, view::ViewMode::Normals);
}
Refresh ViewMaterialCommand(CommandContext& context) {
  return SetView(context, view::ViewMode::Material);
}
Refresh ViewBonesCommand(CommandContext& context) {
  return SetView(context, view::ViewMode::Skeleton);
}

Refresh CameraZeroCommand(CommandContext& context) {
  return WithCamera(context, [](view::EditorState& e) { view::CameraZero(e.camera); });
}
Refresh CameraLeftCommand(CommandContext& context) {
  return Preset(context, view::CameraPreset::Left);
}
Refresh CameraRightCommand(CommandContext& context) {
  return Preset(context, view::CameraPreset::Right);
}
Refresh CameraTopCommand(CommandContext& context) {
  return Preset(context, view::CameraPreset::Top);
}
Refresh CameraBottomCommand(CommandContext& context) {
  return Preset(context, view::CameraPreset::Bottom);
}
Refresh CameraFrontCommand(CommandContext& context) {
  return Preset(context, view::CameraPreset::Front);
}
Refresh CameraBackCommand(CommandContext& context) {
  return Preset(context, view::CameraPreset::Back);
}
Refresh Zoom800Command(CommandContext& context) {
  return Zoom(context, view::ZoomPreset::Percent800);
}
Refresh Zoom400Command(CommandContext& context) {
  return Zoom(context, view::ZoomPreset::Percent400);
}
Refresh Zoom200Command(CommandContext& context) {
  return Zoom(context, view::ZoomPreset::Percent200);
}
Refresh Zoom100Command(CommandContext& context) {
  return Zoom(context, view::ZoomPreset::Percent100);
}
Refresh Zoom50Command(CommandContext& context) {
  return Zoom(context, view::ZoomPreset::Percent50);
}
Refresh Zoom25Command(CommandContext& context) {
  return Zoom(context, view::ZoomPreset::Percent25);
}

Refresh CameraSaveCommand(CommandContext& context) {
  if (context.editor == nullptr) return Refresh::None;
  context.editor->savedCamera = view::SaveCamera(context.editor->camera);
  context.model.host().Beep();
  return Refresh::None;
}

Refresh CameraReturnCommand(CommandContext& context) {
  return WithCamera(context,
                    [](view::EditorState& e) { view::CameraReturn(e.camera, e.savedCamera); });
}

}  // namespace zmf::command

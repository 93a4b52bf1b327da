// The command table: one line per command. A new command is a handler in its subsystem's
// command file and a line here; the menus and batch mode then both know it.
#include "command/command_table.h"

#include "command/clipboard_commands.h"
#include "command/edit_commands.h"
#include "command/face_commands.h"
#include "command/file_commands.h"
#include "command/material_commands.h"
#include "command/panel_commands.h"
#include "command/reflect_commands.h"
#include "command/skeleton_commands.h"
#include "command/transform_commands.h"
#include "command/view_commands.h"
#include "command/weld_commands.h"
#include "model/validate_model.h"

namespace zmf::command {
namespace {

constexpr CommandEntry kCommands[] = {
    // File
    {kCommandNew, "new", CommandInput::None, nullptr, NewCommand,
     "Empty the model and put the camera back"},
    {kCommandOpen, "open", CommandInput::OpenFile, &kOpenDialog, OpenCommand,
     "Open a ZMF model, an import format or a .bmp background image"},
    {kCommandSave, "save", CommandInput::SaveFile, &kSaveDialog, SaveCommand,
     "Save as ZMF; a .glc, .obj, .gltf or .glb name exports, a .bmp one takes a screenshot"},
    {kCommandSaveAs, "save-as", CommandInput::SaveFile, &kSaveDialog, SaveCommand,
     "Save under a name asked for each time, as save does"},
    {kCommandExport, "export", CommandInput::SaveFile, &kExportDialog, ExportCommand,
     "Write a copy as .glb, .gltf, .obj or .glc; the document keeps its name and state"},
    {kCommandRecover, "recover", CommandInput::Words, nullptr, RecoverCommand,
     "Open a recovery file as an untitled model with unsaved changes", "FILE"},
    // Action
    {kCommandSelectMode, "select-mode", CommandInput::None, nullptr, SelectModeCommand,
     "Mouse presses select"},
    {kCommandAddMode, "add-mode", CommandInput::None, nullptr, AddModeCommand,
     "Mouse presses add vertices, faces and bones"},
    {kCommandCameraMode, "camera-mode", CommandInput::None, nullptr, CameraModeCommand,
     "Mouse drags turn, pan and zoom the camera"},
    {kCommandMoveMode, "move-mode", CommandInput::None, nullptr, MoveModeCommand,
     "Mouse drags move what is selected"},
    // View
    {kCommandViewMesh, "view-mesh", CommandInput::None, nullptr, ViewMeshCommand,
     "Show the Vertices and Triangle Faces view"},
    {kCommandViewNormals, "view-normals", CommandInput::None, nullptr, ViewNormalsCommand,
     "Show the Normals and Duplicates view"},
    {kCommandViewMaterial, "view-material", CommandInput::None, nullptr, ViewMaterialCommand,
     "Show the Material and Texture view"},
    {kCommandViewBones, "view-bones", CommandInput::None, nullptr, ViewBonesCommand,
     "Show the Bones and Animation view"},
    // Camera
    {kCommandCameraZero, "camera-zero", CommandInput::None, nullptr, CameraZeroCommand,
     "Camera to the front, unpanned and unzoomed"},
    {kCommandCameraLeft, "camera-left", CommandInput::None, nullptr, CameraLeftCommand,
     "Look from the left"},
    {kCommandCameraRight, "camera-right", CommandInput::None, nullptr, CameraRightCommand,
     "Look from the right"},
    {kCommandCameraTop, "camera-top", CommandInput::None, nullptr, CameraTopCommand,
     "Look from above"},
    {kCommandCameraBottom, "camera-bottom", CommandInput::None, nullptr, CameraBottomCommand,
     "Look from below"},
    {kCommandCameraFront, "camera-front", CommandInput::None, nullptr, CameraFrontCommand,
     "Look from the front"},
    {kCommandCameraBack, "camera-back", CommandInput::None, nullptr, CameraBackCommand,
     "Look from the back"},
    {kCommandZoom800, "zoom-800", CommandInput::None, nullptr, Zoom800Command,
     "Show an eighth of the model's radius"},
    {kCommandZoom400, "zoom-400", CommandInput::None, nullptr, Zoom400Command,
     "Show a quarter of the model's radius"},
    {kCommandZoom200, "zoom-200", CommandInput::None, nullptr, Zoom200Command,
     "Show half the model's radius"},
    {kCommandZoom100, "zoom-100", CommandInput::None, nullptr, Zoom100Command,
     "Show the model's radius"},
    {kCommandZoom50, "zoom-50", CommandInput::None, nullptr, Zoom50Command,
     "Show three times the model's radius"},
    {kCommandZoom25, "zoom-25", CommandInput::None, nullptr, Zoom25Command,
     "Show five times the model's radius"},
    {kCommandCameraSave, "camera-save", CommandInput::None, nullptr, CameraSaveCommand,
     "Remember the camera (beeps)"},
    {kCommandCameraReturn, "camera-return", CommandInput::None, nullptr, CameraReturnCommand,
     "Go back to the remembered camera"},
    // Edit
    {kCommandCopy, "copy", CommandInput::None, nullptr, CopyCommand,
     "Put the active list's selection or current item on the clipboard"},
    {kCommandCut, "cut", CommandInput::None, nullptr, CutCommand,
     "Copy, then delete what was copied (the key list only copies)"},
    {kCommandPaste, "paste", CommandInput::None, nullptr, PasteCommand,
     "Add the clipboard's vertices and faces, or copy its item over the current one"},
    {kCommandUndo, "undo", CommandInput::None, nullptr, UndoCommand, "Undo the last edit"},
    {kCommandRedo, "redo", CommandInput::None, nullptr, RedoCommand, "Redo the last undone edit"},
    {kCommandDeleteSelectedVertices, "delete-selected-vertices", CommandInput::None, nullptr,
     DeleteSelectedVerticesCommand, "Delete the selected vertices and the faces that use them"},
    {kCommandDeleteSelectedFaces, "delete-selected-faces", CommandInput::None, nullptr,
     DeleteSelectedFacesCommand, "Delete the selected faces"},
    {kCommandDeselectAll, "deselect-all", CommandInput::None, nullptr, DeselectAllCommand,
     "Clear the selections and the current bone, animation and key"},
    {kCommandSelectAll, "select-all", CommandInput::None, nullptr, SelectAllCommand,
     "Select every vertex and face"},
    // Model > Vertices and Faces > Add Geometric
    {kCommandAddSphere, "add-sphere", CommandInput::None, nullptr, AddSphereCommand,
     "Add a sphere"},
    {kCommandAddBox, "add-box", CommandInput::None, nullptr, AddBoxCommand,
     "Add a box and fit the view to the model"},
    {kCommandAddTriad, "add-triad", CommandInput::None, nullptr, AddTriadCommand,
     "Add a tetrahedron"},
    {kCommandAddPyramid, "add-pyramid", CommandInput::None, nullptr, AddPyramidCommand,
     "Add a square pyramid"},
    {kCommandAddCylinder, "add-cylinder", CommandInput::None, nullptr, AddCylinderCommand,
     "Add an open cylinder along y"},
    {kCommandAddCone, "add-cone", CommandInput::None, nullptr, AddConeCommand,
     "Add a cone along y without a base"},
    {kCommandAddPlane, "add-plane", CommandInput::None, nullptr, AddPlaneCommand,
     "Add a 17 x 17 grid in the xy plane"},
    {kCommandReflection, "reflection", CommandInput::None, nullptr, ReflectionCommand,
     "Mirror the selection across x = 0; asks whether to join the edges"},
    {kCommandSurfaceOfRevolution, "surface-of-revolution", CommandInput::None, nullptr,
     SurfaceOfRevolutionCommand, "Sweep the selected vertices round the y axis into a surface"},
    {kCommandFanFaces, "fan-faces", CommandInput::None, nullptr, FanFacesCommand,
     "Fan the selected vertices around the last one selected"},
    {kCommandClearBackgroundImage, "clear-background-image", CommandInput::None, nullptr,
     ClearBackgroundImageCommand, "Remove the picture behind the model"},
    // Model > Vertices and Faces
    {kCommandWeldVertices, "weld-vertices", CommandInput::None, nullptr, WeldVerticesCommand,
     "Merge the selected vertices into the first one selected"},
    {kCommandReduceVertices, "reduce-vertices", CommandInput::None, nullptr, ReduceVerticesCommand,
     "Collapse a percentage of the selected vertices; asks how many"},
    {kCommandReverseFace, "reverse-face", CommandInput::None, nullptr, ReverseFaceCommand,
     "Reverse the winding of the selected faces"},
    {kCommandSplitFace, "split-face", CommandInput::None, nullptr, SplitFaceCommand,
     "Split each selected face in four; asks whether normals deform it"},
    {kCommandSelectUnconnected, "select-unconnected", CommandInput::None, nullptr,
     SelectUnconnectedCommand, "Select the vertices that no face uses"},
    // Model > Vertices and Faces > Matrix
    {kCommandTranslate, "translate", CommandInput::None, nullptr, TranslateCommand,
     "Move the selected vertices, or the whole model, by a typed offset"},
    {kCommandRotate, "rotate", CommandInput::None, nullptr, RotateCommand,
     "Turn the selected vertices, or the whole model, by typed pitch, yaw and roll"},
    {kCommandScale, "scale", CommandInput::None, nullptr, ScaleCommand,
     "Scale the selected vertices, or the whole model, by typed factors"},
    // Model > Normals and Edges
    {kCommandNormalsFromSelection, "normals-from-selection", CommandInput::None, nullptr,
     NormalsFromSelectionCommand, "Normals of the selected vertices from the selected faces"},
    {kCommandNormalsFromConnected, "normals-from-connected", CommandInput::None, nullptr,
     NormalsFromConnectedCommand, "Normals of the selected vertices from all their faces"},
    {kCommandNormalsAcrossDuplicates, "normals-across-duplicates", CommandInput::None, nullptr,
     NormalsAcrossDuplicatesCommand, "Normals of the selected vertices across duplicate vertices"},
    {kCommandInvertSelectedNormals, "invert-selected-normals", CommandInput::None, nullptr,
     InvertSelectedNormalsCommand, "Invert the normals of the selected vertices"},
    {kCommandDuplicateVertices, "duplicate-vertices", CommandInput::None, nullptr,
     DuplicateVerticesCommand, "Copy the selected vertices; asks whether the faces move along"},
    {kCommandDuplicateBackFaces, "duplicate-back-faces", CommandInput::None, nullptr,
     DuplicateBackFacesCommand, "Add a back face on copied vertices for each selected face"},
    {kCommandWeldSelectedDuplicates, "weld-selected-duplicates", CommandInput::None, nullptr,
     WeldSelectedDuplicatesCommand, "Merge each selected duplicate pair"},
    // Model > Material and Texture
    {kCommandAddMaterial, "add-material", CommandInput::None, nullptr, AddMaterialCommand,
     "Add a material; asks for its name"},
    {kCommandSetMaterialOnSelection, "set-material-on-selection", CommandInput::None, nullptr,
     SetMaterialOnSelectionCommand, "Give the selected faces the current material"},
    {kCommandRenameMaterial, "rename-material", CommandInput::None, nullptr, RenameMaterialCommand,
     "Rename the current material; asks for the name"},
    {kCommandCoordsFromView, "coords-from-view", CommandInput::None, nullptr, CoordsFromViewCommand,
     "Texture coordinates of the selected vertices as the view sees them"},
    {kCommandCoordsFromPinned, "coords-from-pinned", CommandInput::None, nullptr,
     CoordsFromPinnedCommand,
     "Texture coordinates of the selected vertices from the three nearest with coordinates"},
    // Model > Bones and Animation
    {kCommandImportAnimations, "import-animations", CommandInput::OpenFile,
     &kImportAnimationsDialog, ImportAnimationsCommand,
     "Replace the bones and animations with those of a ZMF file"},
    {kCommandRenameBone, "rename-bone", CommandInput::None, nullptr, RenameBoneCommand,
     "Rename the current bone; asks for the name"},
    {kCommandSetBoneOnSelection, "set-bone-on-selection", CommandInput::None, nullptr,
     SetBoneOnSelectionCommand, "Make the selected vertices the ones the current bone moves"},
    {kCommandAddAnimation, "add-animation", CommandInput::None, nullptr, AddAnimationCommand,
     "Add an animation; asks for its name, key count and total time"},
    {kCommandRenameAnimation, "rename-animation", CommandInput::None, nullptr,
     RenameAnimationCommand, "Rename the current animation; asks for the name"},
    {kCommandAddKeyBone, "add-key-bone", CommandInput::None, nullptr, AddKeyBoneCommand,
     "Pose the current bone (or, with none, every bone) in every key of the animation"},
    {kCommandResetKeyBoneMatrix, "reset-key-bone-matrix", CommandInput::None, nullptr,
     ResetKeyBoneMatrixCommand, "Put the current key bone back to its bone's rest pose"},
    {kCommandRunAnimation, "run-animation", CommandInput::None, nullptr, RunAnimationCommand,
     "Start or stop playing the current animation"},
    {kCommandDeleteAll, "delete-all", CommandInput::None, nullptr, DeleteAllCommand,
     "Delete every bone and animation; asks first, cannot be undone"},
    // Model > Delete Selected
    {kCommandDeleteMaterial, "delete-material", CommandInput::None, nullptr, DeleteMaterialCommand,
     "Delete the current material; its faces go to its neighbour"},
    {kCommandDeleteTexture, "delete-texture", CommandInput::None, nullptr, DeleteTextureCommand,
     "Switch the current material's texture off"},
    {kCommandDeleteBone, "delete-bone", CommandInput::None, nullptr, DeleteBoneCommand,
     "Delete the current bone; its vertices and children go to its parent"},
    {kCommandDeleteAnimation, "delete-animation", CommandInput::None, nullptr,
     DeleteAnimationCommand, "Delete the current animation"},
    {kCommandDeleteKeyBone, "delete-key-bone", CommandInput::None, nullptr, DeleteKeyBoneCommand,
     "Delete the current key bone from the current key"},
    // Vertices and Faces panel
    {kListVertices, "", CommandInput::ListPick, nullptr, PickVertexRowCommand,
     "Pick a selected vertex: its position fills the boxes"},
    {kApplyRemoveVertex, "", CommandInput::Texts, nullptr, RemoveVertexCommand,
     "rmv: take the picked vertex out of the selection"},
    {kApplyPosition, "", CommandInput::Texts, nullptr, ApplyPositionCommand,
     "Move the picked vertex to X Y Z"},
    {kListFaces, "", CommandInput::ListPick, nullptr, PickFaceRowCommand,
     "Pick a selected face: its corner ids fill the boxes"},
    {kApplyCorners, "", CommandInput::Texts, nullptr, ApplyCornersCommand,
     "Rewire the picked face to the vertices with ids A B C"},
    {kCommandSelectConnectedFaces, "select-connected-faces", CommandInput::None, nullptr,
     SelectConnectedFacesCommand, "Grow the face selection over its connected faces"},
    // Normals and Duplicates panel
    {kListNormals, "", CommandInput::ListPick, nullptr, PickNormalRowCommand,
     "Pick a selected vertex: its normal fills the boxes"},
    {kApplyNormal, "", CommandInput::Texts, nullptr, ApplyNormalCommand,
     "Give the picked vertex the normal X Y Z"},
    {kListDuplicates, "", CommandInput::ListPick, nullptr, PickDuplicateRowCommand,
     "Pick a selected duplicate pair: its details are shown"},
    // Material and Texture panel
    {kListMaterials, "", CommandInput::ListPick, nullptr, PickMaterialCommand,
     "Make the material current"},
    {kListAlphaModes, "", CommandInput::ListPick, nullptr, PickAlphaModeCommand,
     "Pick the alpha mode the texture's ok gives (0 NONE ... 7 Static Value)"},
    {kListTexCoords, "", CommandInput::ListPick, nullptr, PickTexCoordCommand,
     "Pick the selected vertex the texture coordinates' ok changes"},
    {kApplyColours, "", CommandInput::Texts, nullptr, ApplyColoursCommand,
     "Set the current material's 16 colour values and shininess"},
    {kApplyTextureToggle, "", CommandInput::Texts, nullptr, ApplyTextureToggleCommand,
     "Switch the current material's texture off or on (reloading it)"},
    {kApplyTexture, "", CommandInput::Texts, nullptr, ApplyTextureCommand,
     "Load the texture file with the picked alpha mode and the alpha value"},
    {kCommandLoadImage, "load-image", CommandInput::OpenFile, &kLoadImageDialog, LoadImageCommand,
     "Put a picture on the current material as its texture"},
    {kApplyTexCoords, "", CommandInput::Texts, nullptr, ApplyTexCoordsCommand,
     "Give the picked vertex, or every selected one, texture coordinates u v"},
    // Bones and Animation panel
    {kListAnimations, "", CommandInput::ListPick, nullptr, PickAnimationCommand,
     "Make the animation current; restarts playback, clears the current key"},
    {kListBones, "", CommandInput::ListPick, nullptr, PickBoneCommand,
     "Make the bone current and select the vertices it moves"},
    {kListWeights, "", CommandInput::ListPick, nullptr, PickWeightRowCommand,
     "Pick a weight of the current bone (shown only)"},
    {kListParents, "", CommandInput::ListPick, nullptr, PickParentCommand,
     "Pick the parent the bone's ok gives the current bone (the last row is NONE)"},
    {kListKeys, "", CommandInput::ListPick, nullptr, PickKeyCommand,
     "Make the key of the current animation current"},
    {kListKeyBones, "", CommandInput::ListPick, nullptr, PickKeyBoneCommand,
     "Make the key bone of the current key current"},
    {kApplyBone, "", CommandInput::Texts, nullptr, ApplyBoneCommand,
     "Give the current bone the picked parent and the 16 offset-matrix texts"},
    {kApplyTotalTime, "", CommandInput::Texts, nullptr, ApplyTotalTimeCommand,
     "Set the current animation's total time and re-space its keys"},
    {kApplyKeyBoneMatrix, "", CommandInput::Texts, nullptr, ApplyKeyBoneMatrixCommand,
     "Store the 16 matrix texts in the current key bone (no undo)"},
    // Scripts only: building and showing skeletons
    {0, "add-bone", CommandInput::Words, nullptr, AddBoneCommand,
     "Add a bone under the current bone (the root when none) with its origin at X Y Z",
     "NAME X Y Z"},
    {0, "save-posed", CommandInput::SaveFile, &kSavePosedDialog, SavePosedCommand,
     "Save the model with every vertex where the bones view shows it at the clock's time"},
    // Scripts only: the clipboard's text from and to files
    {0, "clipboard-load", CommandInput::OpenFile, &kClipboardLoadDialog, ClipboardLoadCommand,
     "Fill the clipboard with the text of a file"},
    {0, "clipboard-save", CommandInput::SaveFile, &kClipboardSaveDialog, ClipboardSaveCommand,
     "Write the clipboard's text to a file"},
    // Scripts only: selecting by id as a click would
    {0, "select-vertices", CommandInput::Ids, nullptr, SelectVerticesCommand,
     "Select the vertices with these ids, in this order"},
    {0, "select-faces", CommandInput::Ids, nullptr, SelectFacesCommand,
     "Select the faces with these ids, in this order"},
    // Scripts only: the duplicate pairs of the vertex selection, as the Normals panel selects them
    {0, "select-duplicates", CommandInput::None, nullptr, SelectDuplicatesCommand,
     "Select the duplicate pairs of the vertex selection"},
};

}  // namespace

std::span<const CommandEntry> Commands() { return kCommands; }

namespace {

// The panel a refresh brings up to date; the shown one for the refreshes that re-enter the view.
view::ViewMode PanelOf(Refresh refresh, view::ViewMode shown) {
  switch (refresh) {
    case Refresh::Mesh:
      return view::ViewMode::Mesh;
    case Refresh::Normals:
      return view::ViewMode::Normals;
    case Refresh::Material:
      return view::ViewMode::Material;
    case Refresh::Skeleton:
      return view::ViewMode::Skeleton;
    default:
      return shown;
  }
}

// What refilling a panel does to the rows picked in its lists: the material panel shows the
// current material's alpha mode and no texture coordinate; the bones panel the current bone's
// parent (the row of the bone so named, or the last row "NONE" for the root).
void RefillPanelRows(const Model& model, view::EditorState& editor, view::ViewMode panel) {
  if (panel == view::ViewMode::Material) {
    editor.texCoordListRow = -1;
    if (model.currentMaterial < model.materialCount) {
      const std::uint32_t mode = model.materials[model.currentMaterial].alphaMode;
      editor.alphaListRow = mode < kAlphaModeListRows ? static_cast<std::int32_t>(mode) : -1;
    }
  } else if (panel == view::ViewMode::Skeleton) {
    editor.parentListRow = -1;
    if (!model.HasBone(model.currentBone)) {
      return;
    }
    const Bone& bone = model.bones[static_cast<std::uint32_t>(model.currentBone)];
    std::int32_t row = model.FindBoneByName(bone.parentName.view());
    if (row < 0 && bone.parentName == kRootParentName)
      row = static_cast<std::int32_t>(model.boneCount);
    editor.parentListRow = row;
  }
}

}  // namespace

Refresh FinishCommand(CommandContext& context, Refresh refresh) {
  Model& model = context.model;
  view::EditorState* editor = context.editor;
  // Undoing an added material can leave the current one past the table's end.
  if (model.currentMaterial >= model.materialCount) model.currentMaterial = model.materialCount - 1;
  if (editor != nullptr && refresh == Refresh::FitView) {
    editor->projection = view::FitView(editor->camera, model);
  }
  if (editor != nullptr && refresh == Refresh::FitModel) {
    editor->projection = view::FitModel(editor->camera, model);
  }
  if (editor != nullptr && refresh == Refresh::ResetCamera) {
    editor->camera.fitRadius = 1.0f;
    view::CameraZero(editor->camera);
    editor->projection = view::ApplyProjection(editor->camera);
  }
  if (refresh == Refresh::View || refresh == Refresh::FitView || refresh == Refresh::FitModel ||
      refresh == Refresh::ResetCamera) {
    // Re-entering the view shows the model at rest.
    model.Commit();
    if (editor != nullptr && editor->view == view::ViewMode::Normals) model.RebuildDuplicates();
  }
  if (editor != nullptr) {
    switch (refresh) {
      case Refresh::Mesh:
        RefreshMeshPanel(model, *editor);
        break;
      case Refresh::Normals:
        RefreshNormalsPanel(model, *editor);
        break;
      case Refresh::Material:
        RefillPanelRows(model, *editor, view::ViewMode::Material);
        RefreshMaterialPanel(model, *editor);
        break;
      case Refresh::Skeleton:
        RefillPanelRows(model, *editor, view::ViewMode::Skeleton);
        RefreshSkeletonPanel(model, *editor);
        break;
      case Refresh::View:
      case Refresh::FitView:
      case Refresh::FitModel:
      case Refresh::ResetCamera:
        RefillPanelRows(model, *editor, editor->view);
        RefreshPanel(model, *editor, editor->view);
        break;
      default:
        break;
    }
    // A command that refreshed another panel than the one on show (S and D refresh the mesh
    // panel in every view) may have changed what the shown one lists: it is refilled too, so no
    // stale row or box drives the next "ok".
    if (refresh != Refresh::None && PanelOf(refresh, editor->view) != editor->view) {
      RefillPanelRows(model, *editor, editor->view);
      RefreshPanel(model, *editor, editor->view);
    }
    editor->countsLine = "vertices:" + std::to_string(model.vertices.count()) +
                         " faces:" + std::to_string(model.faces.count());
  }
  // What the next frame draws through, so that commands working from the view (texture
  // coordinates from the view, say) see the camera as it now stands.
  if (editor != nullptr) model.viewMatrix = view::BuildViewMatrix(editor->camera);
  ValidateModelInDebugBuilds(model, "a command");
  return refresh;
}

std::size_t WordCount(const CommandEntry& entry) {
  std::size_t count = 0;
  bool inWord = false;
  for (char c : entry.words) {
    const bool blank = c == ' ';
    if (!blank && !inWord) ++count;
    inWord = !blank;
  }
  return count;
}

const CommandEntry* FindCommand(std::uint32_t id) {
  if (id == 0) return nullptr;  // script-only commands have no identifier
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

const CommandEntry* FindCommand(std::string_view scriptName) {
  if (scriptName.empty()) return nullptr;
  for (const CommandEntry& entry : kCommands) {
    if (entry.scriptName == scriptName) return &entry;
  }
  return nullptr;
}

}  // namespace zmf::command

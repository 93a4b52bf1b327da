// The command table: one line per command. A new command is a handler in its subsystem's
// command file and a line here; the menus and batch mode then both know it.
#include "command/command_table.h"

#include "command/edit_commands.h"
#include "command/face_commands.h"
#include "command/file_commands.h"
#include "command/reflect_commands.h"
#include "command/skeleton_commands.h"
#include "command/transform_commands.h"
#include "command/weld_commands.h"

namespace zmf::command {
namespace {

constexpr CommandEntry kCommands[] = {
    // File
    {kCommandNew, "new", CommandInput::None, nullptr, NewCommand,
     "Empty the model and put the camera back"},
    {kCommandOpen, "open", CommandInput::OpenFile, &kOpenDialog, OpenCommand,
     "Open a ZMF model, an import format or a .bmp background image"},
    {kCommandSave, "save", CommandInput::SaveFile, &kSaveDialog, SaveCommand,
     "Save as ZMF, as a .glc Glintcast scene or a .bmp screenshot"},
    // Edit
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
    {kCommandDeleteBone, "delete-bone", CommandInput::None, nullptr, DeleteBoneCommand,
     "Delete the current bone; its vertices and children go to its parent"},
    {kCommandDeleteAnimation, "delete-animation", CommandInput::None, nullptr,
     DeleteAnimationCommand, "Delete the current animation"},
    {kCommandDeleteKeyBone, "delete-key-bone", CommandInput::None, nullptr, DeleteKeyBoneCommand,
     "Delete the current key bone from the current key"},
    // Vertices and Faces panel
    {kCommandSelectConnectedFaces, "select-connected-faces", CommandInput::None, nullptr,
     SelectConnectedFacesCommand, "Grow the face selection over its connected faces"},
    // Bones and Animation panel
    {kListAnimations, "", CommandInput::ListPick, nullptr, PickAnimationCommand,
     "Make the animation current; restarts playback, clears the current key"},
    {kListBones, "", CommandInput::ListPick, nullptr, PickBoneCommand,
     "Make the bone current and select the vertices it moves"},
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

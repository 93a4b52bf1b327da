// The command table: one line per command. A new command is a handler in its subsystem's
// command file and a line here; the menus and batch mode then both know it.
#include "command/command_table.h"

#include "command/edit_commands.h"
#include "command/face_commands.h"
#include "command/file_commands.h"
#include "command/reflect_commands.h"
#include "command/weld_commands.h"

namespace zmf {
namespace {

constexpr CommandEntry kCommands[] = {
    // File
    {kCommandNew, "new", CommandInput::None, nullptr, NewCommand},
    {kCommandOpen, "open", CommandInput::OpenFile, &kOpenDialog, OpenCommand},
    {kCommandSave, "save", CommandInput::SaveFile, &kSaveDialog, SaveCommand},
    // Edit
    {kCommandUndo, "undo", CommandInput::None, nullptr, UndoCommand},
    {kCommandRedo, "redo", CommandInput::None, nullptr, RedoCommand},
    {kCommandDeleteSelectedVertices, "delete-selected-vertices", CommandInput::None, nullptr,
     DeleteSelectedVerticesCommand},
    {kCommandDeleteSelectedFaces, "delete-selected-faces", CommandInput::None, nullptr,
     DeleteSelectedFacesCommand},
    {kCommandDeselectAll, "deselect-all", CommandInput::None, nullptr, DeselectAllCommand},
    {kCommandSelectAll, "select-all", CommandInput::None, nullptr, SelectAllCommand},
    // Model > Vertices and Faces > Add Geometric
    {kCommandAddSphere, "add-sphere", CommandInput::None, nullptr, AddSphereCommand},
    {kCommandAddBox, "add-box", CommandInput::None, nullptr, AddBoxCommand},
    {kCommandAddTriad, "add-triad", CommandInput::None, nullptr, AddTriadCommand},
    {kCommandAddPyramid, "add-pyramid", CommandInput::None, nullptr, AddPyramidCommand},
    {kCommandAddCylinder, "add-cylinder", CommandInput::None, nullptr, AddCylinderCommand},
    {kCommandAddCone, "add-cone", CommandInput::None, nullptr, AddConeCommand},
    {kCommandAddPlane, "add-plane", CommandInput::None, nullptr, AddPlaneCommand},
    {kCommandReflection, "reflection", CommandInput::None, nullptr, ReflectionCommand},
    {kCommandSurfaceOfRevolution, "surface-of-revolution", CommandInput::None, nullptr,
     SurfaceOfRevolutionCommand},
    {kCommandFanFaces, "fan-faces", CommandInput::None, nullptr, FanFacesCommand},
    // Model > Vertices and Faces
    {kCommandWeldVertices, "weld-vertices", CommandInput::None, nullptr, WeldVerticesCommand},
    {kCommandReduceVertices, "reduce-vertices", CommandInput::None, nullptr, ReduceVerticesCommand},
    {kCommandReverseFace, "reverse-face", CommandInput::None, nullptr, ReverseFaceCommand},
    {kCommandSplitFace, "split-face", CommandInput::None, nullptr, SplitFaceCommand},
    {kCommandSelectUnconnected, "select-unconnected", CommandInput::None, nullptr,
     SelectUnconnectedCommand},
    // Model > Normals and Edges
    {kCommandNormalsFromSelection, "normals-from-selection", CommandInput::None, nullptr,
     NormalsFromSelectionCommand},
    {kCommandNormalsFromConnected, "normals-from-connected", CommandInput::None, nullptr,
     NormalsFromConnectedCommand},
    {kCommandNormalsAcrossDuplicates, "normals-across-duplicates", CommandInput::None, nullptr,
     NormalsAcrossDuplicatesCommand},
    {kCommandInvertSelectedNormals, "invert-selected-normals", CommandInput::None, nullptr,
     InvertSelectedNormalsCommand},
    {kCommandDuplicateVertices, "duplicate-vertices", CommandInput::None, nullptr,
     DuplicateVerticesCommand},
    {kCommandDuplicateBackFaces, "duplicate-back-faces", CommandInput::None, nullptr,
     DuplicateBackFacesCommand},
    {kCommandWeldSelectedDuplicates, "weld-selected-duplicates", CommandInput::None, nullptr,
     WeldSelectedDuplicatesCommand},
    // Model > Bones and Animation
    {kCommandImportAnimations, "import-animations", CommandInput::OpenFile,
     &kImportAnimationsDialog, ImportAnimationsCommand},
    // Vertices and Faces panel
    {kCommandSelectConnectedFaces, "select-connected-faces", CommandInput::None, nullptr,
     SelectConnectedFacesCommand},
    // Scripts only: selecting by id as a click would
    {0, "select-vertices", CommandInput::Ids, nullptr, SelectVerticesCommand},
    {0, "select-faces", CommandInput::Ids, nullptr, SelectFacesCommand},
    // Scripts only: the duplicate pairs of the vertex selection, as the Normals panel selects them
    {0, "select-duplicates", CommandInput::None, nullptr, SelectDuplicatesCommand},
};

}  // namespace

std::span<const CommandEntry> Commands() { return kCommands; }

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

}  // namespace zmf

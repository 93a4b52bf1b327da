// The editor's menu bar, in menu order.
#include "command/menu_layout.h"

#include "command/clipboard_commands.h"
#include "command/edit_commands.h"
#include "command/face_commands.h"
#include "command/file_commands.h"
#include "command/material_commands.h"
#include "command/reflect_commands.h"
#include "command/skeleton_commands.h"
#include "command/transform_commands.h"
#include "command/view_commands.h"
#include "command/weld_commands.h"

namespace zmf::command {
namespace {

constexpr MenuItem kMenu[] = {
    {"&File > &New", kCommandNew},
    {"&File > &Open ...", kCommandOpen},
    {"&File > &Save ...", kCommandSave},
    {"&File > Save &As ...", kCommandSaveAs},
    {"&File > &Export ...", kCommandExport},
    {"&File > &Recover ...", kCommandRecover},
    {"&File > ", 0},
    {"&File > E&xit", kMenuExit},

    {"&Edit > &Copy", kCommandCopy},
    {"&Edit > Cu&t", kCommandCut},
    {"&Edit > &Paste", kCommandPaste},
    {"&Edit > ", 0},
    {"&Edit > &Undo", kCommandUndo},
    {"&Edit > &Redo", kCommandRedo},
    {"&Edit > ", 0},
    {"&Edit > &Delete Selected > &Vertices", kCommandDeleteSelectedVertices},
    {"&Edit > &Delete Selected > &Faces", kCommandDeleteSelectedFaces},
    {"&Edit > &Delete Selected > &Material", kCommandDeleteMaterial},
    {"&Edit > &Delete Selected > &Texture", kCommandDeleteTexture},
    {"&Edit > &Delete Selected > &Bone", kCommandDeleteBone},
    {"&Edit > &Delete Selected > &Animation", kCommandDeleteAnimation},
    {"&Edit > &Delete Selected > Anim &Key Bone", kCommandDeleteKeyBone},
    {"&Edit > De&select All", kCommandDeselectAll},
    {"&Edit > &Select All", kCommandSelectAll},

    {"&Action > &Select", kCommandSelectMode, true},
    {"&Action > &Add", kCommandAddMode, true},
    {"&Action > Reposition &Camera", kCommandCameraMode, true},
    {"&Action > &Move", kCommandMoveMode, true},

    {"&View > &Vertices and Triangle Faces", kCommandViewMesh, true},
    {"&View > &Normals and Duplicates", kCommandViewNormals, true},
    {"&View > &Material and Texture", kCommandViewMaterial, true},
    {"&View > &Bones and Animation", kCommandViewBones, true},

    {"&Camera > &Zero", kCommandCameraZero},
    {"&Camera > &Left", kCommandCameraLeft},
    {"&Camera > &Right", kCommandCameraRight},
    {"&Camera > &Top", kCommandCameraTop},
    {"&Camera > &Bottom", kCommandCameraBottom},
    {"&Camera > &Front", kCommandCameraFront},
    {"&Camera > Bac&k", kCommandCameraBack},
    {"&Camera > Zoo&m > 800%", kCommandZoom800},
    {"&Camera > Zoo&m > 400%", kCommandZoom400},
    {"&Camera > Zoo&m > 200%", kCommandZoom200},
    {"&Camera > Zoo&m > 100%", kCommandZoom100},
    {"&Camera > Zoo&m > 50%", kCommandZoom50},
    {"&Camera > Zoo&m > 25%", kCommandZoom25},
    {"&Camera > ", 0},
    {"&Camera > &Save", kCommandCameraSave},
    {"&Camera > Re&turn", kCommandCameraReturn},

    {"&Model > &Vertices and Faces > Ma&trix > &Translate", kCommandTranslate},
    {"&Model > &Vertices and Faces > Ma&trix > &Rotate", kCommandRotate},
    {"&Model > &Vertices and Faces > Ma&trix > &Scale", kCommandScale},
    {"&Model > &Vertices and Faces > Add &Geometric > &Sphere", kCommandAddSphere},
    {"&Model > &Vertices and Faces > Add &Geometric > &Box", kCommandAddBox},
    {"&Model > &Vertices and Faces > Add &Geometric > &Triad", kCommandAddTriad},
    {"&Model > &Vertices and Faces > Add &Geometric > P&yramid", kCommandAddPyramid},
    {"&Model > &Vertices and Faces > Add &Geometric > &Cylinder", kCommandAddCylinder},
    {"&Model > &Vertices and Faces > Add &Geometric > C&one", kCommandAddCone},
    {"&Model > &Vertices and Faces > Add &Geometric > &Plane", kCommandAddPlane},
    {"&Model > &Vertices and Faces > Add &Geometric > ", 0},
    {"&Model > &Vertices and Faces > Add &Geometric > &Reflection", kCommandReflection},
    {"&Model > &Vertices and Faces > Add &Geometric > Surface o&f Revolution",
     kCommandSurfaceOfRevolution},
    {"&Model > &Vertices and Faces > Add &Geometric > &Fan Faces", kCommandFanFaces},
    {"&Model > &Vertices and Faces > &Weld Vertices", kCommandWeldVertices},
    {"&Model > &Vertices and Faces > &Reduce Vertices", kCommandReduceVertices},
    {"&Model > &Vertices and Faces > Reverse &Face", kCommandReverseFace},
    {"&Model > &Vertices and Faces > &Split Face", kCommandSplitFace},
    {"&Model > &Vertices and Faces > &Clear Background Image", kCommandClearBackgroundImage},
    {"&Model > &Vertices and Faces > Select &Unconnected Verts", kCommandSelectUnconnected},

    {"&Model > &Normals and Edges > Calculate &Normals > From &Selection",
     kCommandNormalsFromSelection},
    {"&Model > &Normals and Edges > Calculate &Normals > From &Connected Vertices",
     kCommandNormalsFromConnected},
    {"&Model > &Normals and Edges > Calculate &Normals > &Across Duplicates",
     kCommandNormalsAcrossDuplicates},
    {"&Model > &Normals and Edges > &Duplicate Vertices", kCommandDuplicateVertices},
    {"&Model > &Normals and Edges > Duplicate &Back Faces", kCommandDuplicateBackFaces},
    {"&Model > &Normals and Edges > &Weld Selected Duplicates", kCommandWeldSelectedDuplicates},
    {"&Model > &Normals and Edges > &Invert Selected Normals", kCommandInvertSelectedNormals},

    {"&Model > &Material and Texture > &Add Material", kCommandAddMaterial},
    {"&Model > &Material and Texture > &Set Material on Selection", kCommandSetMaterialOnSelection},
    {"&Model > &Material and Texture > &Rename Material", kCommandRenameMaterial},
    {"&Model > &Material and Texture > &Coords from View", kCommandCoordsFromView},
    {"&Model > &Material and Texture > Coords from &Pinned", kCommandCoordsFromPinned},

    {"&Model > &Bones and Animation > Rename &Bone", kCommandRenameBone},
    {"&Model > &Bones and Animation > Set Bone on Selection", kCommandSetBoneOnSelection},
    {"&Model > &Bones and Animation > Add &Animation", kCommandAddAnimation},
    {"&Model > &Bones and Animation > Rename A&nimation", kCommandRenameAnimation},
    {"&Model > &Bones and Animation > Add &Key Bone", kCommandAddKeyBone},
    {"&Model > &Bones and Animation > Reset KeyBone &Matrix", kCommandResetKeyBoneMatrix},
    {"&Model > &Bones and Animation > &Run Animation", kCommandRunAnimation},
    {"&Model > &Bones and Animation > &Import Animations", kCommandImportAnimations},
    {"&Model > &Bones and Animation > &Delete All", kCommandDeleteAll},

    {"&Help > &HTML Help ...", kMenuHelp},
    {"&Help > &About ...", kMenuAbout},
};

}  // namespace

std::span<const MenuItem> MenuItems() { return kMenu; }

const MenuItem* FindMenuItem(std::uint32_t id) {
  if (id == 0) return nullptr;
  for (const MenuItem& item : kMenu) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

std::string MenuPathText(std::string_view path) {
  std::string text;
  const std::size_t last = path.rfind(" > ");
  const std::string_view menus = last == std::string_view::npos ? "" : path.substr(0, last + 3);
  for (char c : menus) {
    if (c != '&') text += c;
  }
  text += path.substr(menus.size());
  return text;
}

}  // namespace zmf::command

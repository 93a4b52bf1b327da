// New, Open, Save and Import Animations.
#include "command/file_commands.h"

#include "command/open_save.h"
#include "format/recovery_files.h"
#include "format/zmf_reader.h"

namespace zmf::command {
namespace {

constexpr FileFilter kOpenFilters[] = {
    {" ZMF Files", "*.zmf"},        {" 3DS Files", "*.3ds"},
    {" MD5 Files", "*.md5mesh"},    {" XFiles", "*.x"},
    {" Formsmith Files", "*.ZQD"},  {" Text Files", "*.txt"},
    {" Heightmap Targa", "*.tga"},  {" OBJ Files", "*.obj"},
    {" glTF Files", "*.gltf"},      {" glTF Binary", "*.glb"},
    {" Background Image", "*.bmp"},
};
constexpr FileFilter kSaveFilters[] = {
    {" ZMF Files", "*.zmf"},   {" Glintcast Files", "*.glc"}, {" OBJ Files", "*.obj"},
    {" glTF Files", "*.gltf"}, {" glTF Binary", "*.glb"},     {" Bitmap Image", "*.bmp"},
};
constexpr FileFilter kExportFilters[] = {
    {" glTF Binary", "*.glb"},
    {" glTF Files", "*.gltf"},
    {" OBJ Files", "*.obj"},
    {" Glintcast Files", "*.glc"},
};
constexpr FileFilter kZmfFilter[] = {{" ZMF Files", "*.zmf"}};

}  // namespace

const FileDialogOptions kOpenDialog{"Load ZMF File", kOpenFilters, "zmf"};
const FileDialogOptions kSaveDialog{"Save ZMF File", kSaveFilters, "zmf"};
const FileDialogOptions kExportDialog{"Export Model", kExportFilters, "glb"};
const FileDialogOptions kImportAnimationsDialog{"Load ZMF File", kZmfFilter, "zmf"};

Refresh NewCommand(CommandContext& context) {
  context.model.Reset();
  context.model.document = Document{};
  context.model.MarkSaved();
  return Refresh::ResetCamera;
}

Refresh OpenCommand(CommandContext& context) {
  if (context.arguments.empty()) return Refresh::None;
  switch (OpenModel(context.model, context.arguments[0])) {
    case Opened::Model:
      // A model made elsewhere may sit anywhere: it is brought to the middle of the viewport.
      return context.model.document.kind == DocumentKind::Imported ? Refresh::FitModel
                                                                   : Refresh::FitView;
    case Opened::BackgroundImage:
      return Refresh::None;  // the model is untouched: no reset, no redraw
    case Opened::Failed:
      break;
  }
  return Refresh::None;
}

Refresh RecoverCommand(CommandContext& context) {
  if (context.arguments.empty()) return Refresh::None;
  const std::string& path = context.arguments[0];
  if (OpenModel(context.model, path) != Opened::Model) return Refresh::None;
  // The copy is never the document: saving asks for a name, so the file stays as it was.
  context.model.document = {format::DocumentNameOfRecoveryFile(path), DocumentKind::Untitled};
  context.model.MarkChanged();
  return Refresh::FitView;
}

Refresh SaveCommand(CommandContext& context) {
  if (context.arguments.empty()) return Refresh::None;
  const std::string& path = context.arguments[0];
  if (SaveModel(context.model, path, context.screenshot) == Saved::NothingToSave) {
    context.problem = "nothing was saved to " + path + ": the model has no vertices";
  }
  return Refresh::None;
}

Refresh ExportCommand(CommandContext& context) {
  if (context.arguments.empty()) return Refresh::None;
  const std::string& path = context.arguments[0];
  if (ExportModel(context.model, path, context.screenshot) == Saved::NothingToSave) {
    context.problem = "nothing was exported to " + path + ": the model has no vertices";
  }
  return Refresh::None;
}

Refresh ImportAnimationsCommand(CommandContext& context) {
  if (context.arguments.empty()) return Refresh::None;
  format::ImportAnimations(context.model, context.arguments[0]);
  context.model.MarkChanged();
  return Refresh::View;
}

}  // namespace zmf::command

// Choosing a loader or a writer by the file's extension.
#include "command/open_save.h"

#include <cctype>

#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "importers/glintcast_export.h"
#include "material/background_image.h"

namespace zmf::command {
namespace {

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The import formats of the Open command whose importers this build does not have: their files
// are reported rather than read as ZMF models. An importer, once built, gets its own branch in
// OpenModel and leaves this list.
constexpr std::string_view kUnbuiltImportFormats[] = {"3DS", "MD5MESH", "X", "ZQD", "TXT", "TGA"};

}  // namespace

std::string_view ExtensionOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

Opened OpenModel(Model& model, std::string_view path) {
  const std::string_view extension = ExtensionOf(path);
  if (SameText(extension, "BMP")) {
    material::LoadBackgroundImage(model, path);
    return Opened::BackgroundImage;
  }
  for (const std::string_view format : kUnbuiltImportFormats) {
    if (SameText(extension, format)) {
      model.host().ErrorBox("Unrecognized file format:", path, Severity::Error);
      return Opened::Nothing;
    }
  }
  format::ReadModelFile(model, path);
  model.ComputeBounds();
  model.Commit();
  return Opened::Model;
}

Saved SaveModel(Model& model, std::string_view path, ScreenshotWriter* screenshot) {
  const std::string_view extension = ExtensionOf(path);
  if (SameText(extension, "BMP")) {
    if (screenshot == nullptr) {
      model.host().ErrorBox("Could not write to file:", path, Severity::Error);
      return Saved::Failed;
    }
    screenshot->SaveScreenshot(path);
    return Saved::Written;
  }
  if (model.vertices.count() == 0) return Saved::NothingToSave;
  const bool written = SameText(extension, "GLC") ? importers::ExportGlintcast(model, path)
                                                  : format::WriteModelFile(model, path);
  return written ? Saved::Written : Saved::Failed;
}

}  // namespace zmf::command

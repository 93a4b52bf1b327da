// Choosing a loader or a writer by the file's extension.
#include "command/open_save.h"

#include <cctype>

#include "export/glintcast_export.h"
#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "importers/import_3ds.h"
#include "importers/md5_mesh.h"
#include "importers/text_vertices.h"
#include "importers/tga_heightmap.h"
#include "importers/x_file.h"
#include "importers/zqd.h"
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

// The import formats of the Open command: the extension, the material count the model starts
// with (the 3DS importer makes its own materials; the X importer's faces use the one default;
// the others keep the default that Reset leaves), and the importer.
struct ImportFormat {
  std::string_view extension;
  int materialCount;  // -1: as Reset leaves it
  bool (*import)(Model&, std::string_view);
};

constexpr ImportFormat kImportFormats[] = {
    {"3DS", 0, importers::Import3ds},   {"MD5MESH", -1, importers::ImportMd5Mesh},
    {"X", 1, importers::ImportXFile},   {"ZQD", -1, importers::ImportZqd},
    {"TXT", -1, importers::ImportText}, {"TGA", -1, importers::ImportHeightmap},
};

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
  bool imported = false;
  for (const ImportFormat& format : kImportFormats) {
    if (SameText(extension, format.extension)) {
      model.Reset();
      if (format.materialCount >= 0) {
        model.materialCount = static_cast<std::uint32_t>(format.materialCount);
      }
      format.import(model, path);
      // Every face must name a material of the table, and the table must hold one at least.
      if (model.materialCount == 0) model.materialCount = 1;
      imported = true;
      break;
    }
  }
  if (!imported) format::ReadModelFile(model, path);
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
    return screenshot->WriteScreenshot(path) ? Saved::Written : Saved::Failed;
  }
  if (model.vertices.count() == 0) return Saved::NothingToSave;
  const bool written = SameText(extension, "GLC") ? exporters::ExportGlintcast(model, path)
                                                  : format::WriteModelFile(model, path);
  return written ? Saved::Written : Saved::Failed;
}

}  // namespace zmf::command

// Choosing a loader or a writer by the file's extension.
#include "command/open_save.h"

#include <cctype>
#include <memory>
#include <string>

#include "export/glintcast_export.h"
#include "export/gltf_export.h"
#include "export/obj_export.h"
#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "importers/gltf_import.h"
#include "importers/import_3ds.h"
#include "importers/md5_mesh.h"
#include "importers/obj_import.h"
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
// with (the 3DS, OBJ and glTF importers make their own materials; the X importer's faces use the
// one default; the others keep the default that Reset leaves), and the importer.
struct ImportFormat {
  std::string_view extension;
  int materialCount;  // -1: as Reset leaves it
  bool (*import)(Model&, std::string_view);
};

constexpr ImportFormat kImportFormats[] = {
    {"3DS", 0, importers::Import3ds},   {"MD5MESH", -1, importers::ImportMd5Mesh},
    {"X", 1, importers::ImportXFile},   {"ZQD", -1, importers::ImportZqd},
    {"TXT", -1, importers::ImportText}, {"TGA", -1, importers::ImportHeightmap},
    {"OBJ", 0, importers::ImportObj},   {"GLTF", 0, importers::ImportGltf},
    {"GLB", 0, importers::ImportGltf},
};

}  // namespace

std::string_view ExtensionOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string ImportedDocumentPath(std::string_view path) {
  const std::string_view extension = ExtensionOf(path);
  std::string name(path.substr(0, path.size() - extension.size()));
  if (extension.empty()) name += '.';
  return name + "zmf";
}

Opened OpenModel(Model& model, std::string_view path) {
  const std::string_view extension = ExtensionOf(path);
  if (SameText(extension, "BMP")) {
    material::LoadBackgroundImage(model, path);
    return Opened::BackgroundImage;
  }
  // The file is read into a model of its own, which replaces the current one only when the read
  // succeeded: a file that cannot be read leaves the model, its name, history and selection as
  // they were.
  auto incoming = std::make_unique<Model>(model.host(), model.textures());
  const ImportFormat* import = nullptr;
  for (const ImportFormat& format : kImportFormats) {
    if (SameText(extension, format.extension)) import = &format;
  }
  bool read = false;
  if (import != nullptr) {
    if (import->materialCount >= 0) {
      incoming->materialCount = static_cast<std::uint32_t>(import->materialCount);
    }
    read = import->import(*incoming, path);
    if (read && incoming->vertices.count() == 0) {
      model.host().ErrorBox("No model could be imported from file:", path, Severity::Error);
      read = false;
    }
    // Every face must name a material of the table, and the table must hold one at least.
    if (incoming->materialCount == 0) incoming->materialCount = 1;
    incoming->document = {ImportedDocumentPath(path), DocumentKind::Imported};
  } else {
    read = format::ReadModelFile(*incoming, path);
    // Saving back to a ".glc" name would write a Glintcast scene over the model.
    incoming->document = SameText(extension, "GLC")
                             ? Document{ImportedDocumentPath(path), DocumentKind::Imported}
                             : Document{std::string(path), DocumentKind::ZmfFile};
  }
  if (read) {
    incoming->ComputeBounds();
    incoming->Commit();
    model.Swap(*incoming);
    model.MarkSaved();
  }
  incoming->Reset();  // gives back the textures of whichever model is left over
  return read ? Opened::Model : Opened::Failed;
}

namespace {

bool IsZmfName(std::string_view extension) {
  for (std::string_view other : {"BMP", "GLC", "OBJ", "GLTF", "GLB"}) {
    if (SameText(extension, other)) return false;
  }
  return true;
}

}  // namespace

Saved ExportModel(Model& model, std::string_view path, ScreenshotWriter* screenshot) {
  const std::string_view extension = ExtensionOf(path);
  if (SameText(extension, "BMP")) {
    if (screenshot == nullptr) {
      model.host().ErrorBox("Could not write to file:", path, Severity::Error);
      return Saved::Failed;
    }
    return screenshot->WriteScreenshot(path) ? Saved::Written : Saved::Failed;
  }
  if (model.vertices.count() == 0) return Saved::NothingToSave;
  bool written = false;
  if (SameText(extension, "GLC")) {
    written = exporters::ExportGlintcast(model, path);
  } else if (SameText(extension, "OBJ")) {
    written = exporters::ExportObj(model, path);
  } else if (SameText(extension, "GLTF") || SameText(extension, "GLB")) {
    written = exporters::ExportGltf(model, path);
  } else {
    written = format::WriteModelFile(model, path);
  }
  return written ? Saved::Written : Saved::Failed;
}

Saved SaveModel(Model& model, std::string_view path, ScreenshotWriter* screenshot) {
  const Saved saved = ExportModel(model, path, screenshot);
  // Only a model saved as ZMF takes the file as its name.
  if (saved == Saved::Written && IsZmfName(ExtensionOf(path))) {
    model.document = {std::string(path), DocumentKind::ZmfFile};
    model.MarkSaved();
  }
  return saved;
}

}  // namespace zmf::command

// The OBJ and MTL writers: vertices as one index for position, coordinates and normal, faces in
// material groups, the material table as a library beside the OBJ.
#include "export/obj_export.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "edit/journal.h"
#include "model/paths.h"

namespace zmf::exporters {
namespace {

// "%.9g": the shortest form that gives every float back exactly.
void PutNumber(format::TextSink& out, float value) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  out.Put(std::string_view(text, static_cast<std::size_t>(length)));
}

// "KEY a b c" and the end of the line.
void PutLine(format::TextSink& out, std::string_view key, float a, float b, float c) {
  out.Put(key);
  for (float value : {a, b, c}) {
    out.Put(' ');
    PutNumber(out, value);
  }
  out.Put('\n');
}

void PutLine(format::TextSink& out, std::string_view key, const Colour& colour) {
  PutLine(out, key, colour[0], colour[1], colour[2]);
}

// The material names as the library gives them: blanks and control characters become '_', an
// empty name "material", and a name met before gets "_2", "_3", ... until it is new.
std::vector<std::string> LibraryNames(const Model& model) {
  std::vector<std::string> names;
  for (std::uint32_t m = 0; m < model.materialCount; ++m) {
    std::string name = model.materials[m].name.str();
    for (char& c : name) {
      if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) c = '_';
    }
    if (name.empty()) name = "material";
    const auto taken = [&names](const std::string& n) {
      for (const std::string& other : names) {
        if (other == n) return true;
      }
      return false;
    };
    std::string unique = name;
    for (int n = 2; taken(unique); ++n) unique = name + "_" + std::to_string(n);
    names.push_back(unique);
  }
  return names;
}

// The texture as the library names it: relative to the OBJ's folder when it lies inside it,
// else its absolute path.
std::string TextureName(const std::string& file, std::string_view objPath) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path texture = fs::absolute(file, error).lexically_normal();
  if (error) return file;
  const fs::path folder = fs::absolute(fs::path(objPath), error).lexically_normal().parent_path();
  if (error) return texture.string();
  const fs::path relative = texture.lexically_relative(folder);
  if (relative.empty() || *relative.begin() == "..") return texture.string();
  return relative.generic_string();
}

std::string FileNameOf(const std::string& path) {
  std::string folder, name;
  return SplitDirectory(path, folder, name) ? name : path;
}

void WriteMaterials(const Model& model, std::string_view objPath,
                    const std::vector<std::string>& names, format::TextSink& out) {
  for (std::uint32_t m = 0; m < model.materialCount; ++m) {
    const Material& material = model.materials[m];
    if (m > 0) out.Put('\n');
    out.Put("newmtl ");
    out.Put(names[m]);
    out.Put('\n');
    PutLine(out, "Ka", material.ambient);
    PutLine(out, "Kd", material.diffuse);
    PutLine(out, "Ks", material.specular);
    // Shininess runs 0 to 128 here and 0 to 1000 in OBJ: the factor 1000 / 128 is exact.
    out.Put("Ns ");
    PutNumber(out, static_cast<float>(material.shininess) * (1000.0f / 128.0f));
    out.Put("\nd ");
    PutNumber(out, material.diffuse[3]);
    out.Put('\n');
    if (material.hasTexture != 0 && !material.textureFile.empty()) {
      out.Put("map_Kd ");
      out.Put(TextureName(material.textureFile, objPath));
      out.Put('\n');
    }
  }
}

// "f a/a/a b/b/b c/c/c" with the corners' 1-based places in the vertex list (their ids after
// the renumbering).
void PutFace(format::TextSink& out, const Face& face) {
  out.Put('f');
  for (const Vertex* corner : {face.a, face.b, face.c}) {
    const std::uint32_t index = corner->id + 1;
    for (char separator : {' ', '/', '/'}) {
      out.Put(separator);
      out.PutUnsigned(index);
    }
  }
  out.Put('\n');
}

void WriteObj(const Model& model, std::string_view objPath, const std::vector<std::string>& names,
              format::TextSink& out) {
  out.Put("mtllib ");
  out.Put(FileNameOf(MaterialLibraryPath(objPath)));
  out.Put('\n');
  for (const Vertex* v : model.vertices)
    PutLine(out, "v", v->position.x, v->position.y, v->position.z);
  for (const Vertex* v : model.vertices) {
    out.Put("vt ");
    PutNumber(out, v->u);
    out.Put(' ');
    PutNumber(out, 1.0f - v->v);
    out.Put('\n');
  }
  for (const Vertex* v : model.vertices) PutLine(out, "vn", v->normal.x, v->normal.y, v->normal.z);
  // Faces on a slot beyond the table are saved with material 0, as the model writer saves them.
  for (std::uint32_t m = 0; m < model.materialCount; ++m) {
    bool started = false;
    const std::uint32_t lastSlot = m == 0 ? kMaxMaterials - 1 : m;
    for (std::uint32_t slot = m; slot <= lastSlot;
         slot = slot == 0 ? model.materialCount : slot + 1) {
      for (const Face* face : model.faces.Chain(slot)) {
        if (!face->HasAllCorners()) continue;
        if (!started) {
          out.Put("usemtl ");
          out.Put(names[m]);
          out.Put('\n');
          started = true;
        }
        PutFace(out, *face);
      }
    }
  }
}

}  // namespace

std::string MaterialLibraryPath(std::string_view objPath) {
  std::string path(objPath);
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
  return path + ".mtl";
}

ObjTexts ObjText(Model& model, std::string_view path) {
  if (model.vertices.count() == 0) return {};
  edit::RenumberIds(model);
  const std::vector<std::string> names = LibraryNames(model);
  format::StringSink obj, mtl;
  WriteObj(model, path, names, obj);
  WriteMaterials(model, path, names, mtl);
  return {obj.TakeText(), mtl.TakeText()};
}

bool ExportObj(Model& model, std::string_view path) {
  if (model.vertices.count() == 0) return false;
  edit::RenumberIds(model);
  const std::vector<std::string> names = LibraryNames(model);
  const std::string mtlPath = MaterialLibraryPath(path);
  format::FileSink mtl(mtlPath);
  format::FileSink obj(path);
  std::string_view failed;
  if (!mtl.Open()) {
    failed = mtlPath;
  } else if (!obj.Open()) {
    failed = path;
  } else {
    WriteMaterials(model, path, names, mtl);
    WriteObj(model, path, names, obj);
    if (!mtl.Commit()) {
      failed = mtlPath;
    } else if (!obj.Commit()) {
      failed = path;
    }
  }
  if (!failed.empty()) model.host().ErrorBox("Could not write to file:", failed, Severity::Error);
  return failed.empty();
}

}  // namespace zmf::exporters

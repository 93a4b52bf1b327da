// The ZQD importer: points, triangles on 1-based point numbers, a colour (material number) per
// triangle, a palette that is passed over, texture image names and texture coordinates.
//
// Sections begin at their keyword lines. Blank lines (fewer than two characters, or white space
// only) are passed over wherever a point, a triangle, a keyword or an image name is looked for.
// Malformed input is survived: a triangle with a corner number of 0 or beyond the points, or a
// line that is not three numbers, is dropped without shifting the colours of the triangles after
// it; colours of 32 or more are ignored; the first colour or coordinate that is not a number
// ends its list. Materials that colours or images name beyond the table are added with the
// defaults, so every face keeps a material of the table.
#include "importers/zqd.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "format/file_text.h"
#include "format/word_scanner.h"
#include "material/material_table.h"
#include "model/progress.h"

namespace zmf::importers {
namespace {

constexpr int kPaletteLines = 16;
constexpr float kCoordinateScale = 400.0f;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsBlankLine(std::string_view line) {
  return line.size() < 2 || std::all_of(line.begin(), line.end(), IsBlank);
}

// The image beside the model file: the model's folder joined with the name, its separators made
// the model path's own. A name that is a whole path of another machine ("C:\art\wood.bmp",
// "/art/wood.bmp") is looked for by its file name alone.
std::string ImageBesideModel(std::string_view modelPath, std::string_view name) {
  name = name.substr(0, kMaxTextureFileLength);
  const bool whole =
      (!name.empty() && (name[0] == '/' || name[0] == '\\')) || (name.size() > 1 && name[1] == ':');
  if (whole) name.remove_prefix(name.find_last_of("/\\:") + 1);
  const std::size_t slash = modelPath.find_last_of("/\\");
  if (slash == std::string_view::npos) return std::string(name);
  const char separator = modelPath[slash];
  std::string path(modelPath.substr(0, slash + 1));
  for (char c : name) path += c == '/' || c == '\\' ? separator : c;
  return path;
}

class ZqdReader {
 public:
  // Tells the model's host how much of the text has been read.
  ZqdReader(Model& model, std::string_view text, std::string_view path)
      : model_(model),
        text_(text),
        path_(path),
        progress_(model.host(), ProgressText("Importing", path), text.size()) {}

  void Run() {
    format::WordScanner header(text_);
    if (header.Word() != "ZQD") return Fail("Not a .ZQD file:");
    if (header.Word() != "POINTS") return Fail("No POINTS field found after ZQD header:");
    at_ = text_.size() - header.Remaining();
    SkipRestOfLine();
    ReadPoints();
    ReadTriangles();
    ReadColours();
    if (!NextKeyword("PALETTE")) return Fail("No PALETTE field found after COLORS header:");
    std::string_view line;
    for (int i = 0; i < kPaletteLines; ++i) NextLine(line);
    if (!NextKeyword("TEXTURE_IMAGE")) {
      return Fail("No TEXTURE_IMAGE field found after PALETTE header:");
    }
    ReadTextureImages();
    ReadTextureCoordinates();
    progress_.Finish();
  }

 private:
  void Fail(const char* message) { model_.host().ErrorBox(message, path_, Severity::Error); }

  // ---- lines

  // The next line without its line end; false at the end of the text.
  bool NextLine(std::string_view& line) {
    if (at_ >= text_.size()) return false;
    const std::size_t end = std::min(text_.find('\n', at_), text_.size());
    line = text_.substr(at_, end - at_);
    at_ = std::min(end + 1, text_.size());  // a last line without a line end ends at the end
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

  bool NextFilledLine(std::string_view& line) {
    while (NextLine(line)) {
      if (!IsBlankLine(line)) return true;
    }
    return false;
  }

  bool NextKeyword(std::string_view keyword) {
    std::string_view line;
    return NextFilledLine(line) && line == keyword;
  }

  void SkipRestOfLine() {
    const std::size_t end = text_.find('\n', at_);
    at_ = end == std::string_view::npos ? text_.size() : end + 1;
  }

  // The lines before the keyword line (or the end), without moving on.
  std::size_t CountLinesBefore(std::string_view keyword) {
    const std::size_t start = at_;
    std::size_t count = 0;
    std::string_view line;
    while (NextFilledLine(line) && line != keyword) ++count;
    at_ = start;
    return count;
  }

  // ---- sections

  void ReadPoints() {
    const std::size_t count = CountLinesBefore("FACES");
    points_.reserve(count);
    model_.vertices.ReserveIds(count);
    std::string_view line;
    while (NextFilledLine(line) && line != "FACES") {
      progress_.Step(at_);
      format::WordScanner in(line);
      Vector3 p;
      if (in.Float(p.x) && in.Float(p.y)) in.Float(p.z);
      Vertex* vertex = model_.AppendVertex();
      if (vertex == nullptr) break;
      model_.SetVertex(vertex, p, {}, 0.0f, 0.0f);
      points_.push_back(vertex);
    }
    model_.ComputeBoundsOf(points_);
  }

  // One entry per triangle line, null for a triangle that was dropped, so that the colours stay
  // with their triangles.
  void ReadTriangles() {
    const std::size_t count = CountLinesBefore("COLORS");
    triangles_.reserve(count);
    model_.faces.ReserveIds(count);
    Face* before = model_.faces.tail();
    std::string_view line;
    while (NextFilledLine(line) && line != "COLORS") {
      progress_.Step(at_);
      triangles_.push_back(MakeTriangle(line));
    }
    model_.LinkCornersFrom(before != nullptr ? before->next : model_.faces.head());
  }

  Face* MakeTriangle(std::string_view line) {
    format::WordScanner in(line);
    std::uint32_t n[3] = {};
    if (!in.Unsigned(n[0]) || !in.Unsigned(n[1]) || !in.Unsigned(n[2])) return nullptr;
    for (std::uint32_t k : n) {
      if (k == 0 || k > points_.size()) return nullptr;
    }
    Face* face = model_.faces.Allocate();
    if (face == nullptr) return nullptr;
    face->a = points_[n[0] - 1];
    face->b = points_[n[1] - 1];
    face->c = points_[n[2] - 1];
    if (!model_.AddFaceUnlinked(face, 0)) {
      model_.faces.Free(face);
      return nullptr;
    }
    return face;
  }

  // One number per triangle, in the triangles' order; the rest of the line of the last one
  // read is passed over.
  void ReadColours() {
    const std::string_view rest = text_.substr(at_);
    format::WordScanner in(rest);
    std::size_t read = 0;
    for (Face* face : triangles_) {
      progress_.Step(at_ + in.Position());
      std::uint32_t colour = 0;
      if (!in.Unsigned(colour)) break;
      read = rest.size() - in.Remaining();
      if (face == nullptr || colour == 0 || colour >= kMaxMaterials) continue;
      KeepMaterials(colour + 1);
      model_.SetFaceMaterial(face, colour);
    }
    if (read == 0) return;
    at_ += read;
    SkipRestOfLine();
  }

  // Image k is the texture of material k.
  void ReadTextureImages() {
    std::uint32_t k = 0;
    std::string_view line;
    while (NextFilledLine(line) && line != "TEXTURE_COORDINATES") {
      if (k < kMaxMaterials) {
        while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        KeepMaterials(k + 1);
        const Material& m = model_.materials[k];
        material::SetMaterialTexture(model_, k, true, ImageBesideModel(path_, line), m.alphaMode,
                                     m.alphaValue);
      }
      ++k;
    }
  }

  void ReadTextureCoordinates() {
    format::WordScanner in(text_.substr(at_));
    for (Vertex* vertex : points_) {
      progress_.Step(at_ + in.Position());
      float s = 0.0f;
      float t = 0.0f;
      if (!in.Float(s) || !in.Float(t)) break;
      vertex->u = vertex->savedU = s / kCoordinateScale;
      vertex->v = vertex->savedV = t / kCoordinateScale;
    }
  }

  // At least `count` materials, the new ones with the defaults.
  void KeepMaterials(std::uint32_t count) {
    for (std::uint32_t m = model_.materialCount; m < count; ++m) model_.SetMaterialDefaults(m);
    model_.materialCount = std::max(model_.materialCount, count);
  }

  Model& model_;
  std::string_view text_;
  std::string_view path_;
  std::size_t at_ = 0;
  std::vector<Vertex*> points_;
  std::vector<Face*> triangles_;
  ProgressMeter progress_;
};

}  // namespace

void ImportZqdFrom(Model& model, std::string_view text, std::string_view path) {
  ZqdReader(model, text, path).Run();
}

bool ImportZqd(Model& model, std::string_view path) {
  format::FileText text;
  if (!text.Read(path)) {
    model.host().ErrorBox("Could not open file:", path, Severity::Error);
    return false;
  }
  ImportZqdFrom(model, text.view(), path);
  return true;
}

}  // namespace zmf::importers

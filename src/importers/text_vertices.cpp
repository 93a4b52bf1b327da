// The text vertex reader: each line is matched as "%f,%f,...,%f" or "%f %f ... %f" would match
// it with sscanf (the three-number forms of the same patterns can never match where these do
// not, so they need no pass of their own), then classified as a triangle or a vertex.
#include "importers/text_vertices.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "format/file_text.h"
#include "format/number_text.h"
#include "model/progress.h"

namespace zmf::importers {
namespace {

constexpr int kMaxFields = 8;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The numbers that sscanf converts from the line with the first of "%f,%f,...,%f" and
// "%f %f ... %f" that converts more than two. Both read the first number alike; a ',' right
// after it is what the comma form needs and stops the blank form at one number, anything else
// stops the comma form there. So one pass, whose form the first separator chooses, gives the
// count of the form that wins, or a count of at most two when neither does. In the blank form
// ' ' stands for any run of blanks, also none.
int ScanNumbers(std::string_view line, float (&numbers)[kMaxFields]) {
  std::size_t at = 0;
  int count = 0;
  bool commas = false;
  while (count < kMaxFields) {
    while (at < line.size() && IsSpace(line[at])) ++at;
    const std::size_t used = format::ParseFloatPrefix(line.substr(at), numbers[count]);
    if (used == 0) break;
    at += used;
    ++count;
    if (count == 1) commas = at < line.size() && line[at] == ',';
    if (commas) {
      if (at == line.size() || line[at] != ',') break;
      ++at;
    }
  }
  return count;
}

float Clamp01(float value) {
  if (value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;  // NaN stays as it is
}

class TextReader {
 public:
  explicit TextReader(Model& model) : model_(model) {
    // Faces get the current material while it names one of the table.
    material_ = model.currentMaterial < model.materialCount && model.currentMaterial < kMaxMaterials
                    ? model.currentMaterial
                    : 0;
  }

  // Tells the model's host, as `what`, how much of the text has been read.
  void Run(std::string_view text, std::string what) {
    ProgressMeter progress(model_.host(), std::move(what), text.size());
    // A line holds one vertex at most, and a vertex line six characters at least ("1.,2,3").
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    const std::size_t most = std::min(lines + 1, text.size() / 6 + 1);
    read_.reserve(most);
    model_.vertices.ReserveIds(most);

    std::size_t start = 0;
    while (start < text.size()) {
      progress.Step(start);
      const char* from = text.data() + start;
      const void* newline = std::memchr(from, '\n', text.size() - start);
      const std::size_t end =
          newline != nullptr
              ? static_cast<std::size_t>(static_cast<const char*>(newline) - text.data())
              : text.size();
      if (!ReadLine(text.substr(start, end - start))) break;
      start = end + 1;
    }
    model_.LinkCornersFrom(firstFace_);
    model_.ComputeBoundsOf(read_);
  }

 private:
  // False when memory ran out: the import keeps what it has.
  bool ReadLine(std::string_view line) {
    // The C string functions the patterns stand for stop at a NUL byte.
    if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos) {
      line = line.substr(0, nul);
    }
    float f[kMaxFields] = {};
    const int n = ScanNumbers(line, f);
    if (n <= 2) return true;
    if (n < 5 && line.find('.') == std::string_view::npos) return AddTriangle(f[0], f[1], f[2]);
    return AddVertex(f, n);
  }

  bool AddVertex(const float (&f)[kMaxFields], int n) {
    Vector3 normal{};
    if (n >= 6) {
      normal = {f[3], f[4], f[5]};
      // In double, so that components beyond 1e19 (whose squares overflow a float) still
      // give a unit normal.
      const double x = normal.x, y = normal.y, z = normal.z;
      const double lengthSquared = x * x + y * y + z * z;
      if (lengthSquared > 1.25) {
        const double length = std::sqrt(lengthSquared);
        normal = {static_cast<float>(x / length), static_cast<float>(y / length),
                  static_cast<float>(z / length)};
      }
    }
    const float u = n == kMaxFields ? Clamp01(f[6]) : 0.0f;
    const float v = n == kMaxFields ? Clamp01(f[7]) : 0.0f;
    Vertex* vertex = model_.AppendVertex();
    if (vertex == nullptr) return false;
    model_.SetVertex(vertex, {f[0], f[1], f[2]}, normal, u, v);
    read_.push_back(vertex);
    return true;
  }

  // Corners are numbers of vertices already read; a line naming any other is skipped.
  bool AddTriangle(float a, float b, float c) {
    const double read = static_cast<double>(read_.size());
    for (float corner : {a, b, c}) {
      if (!(corner >= 0.0f && static_cast<double>(corner) < read)) return true;
    }
    Face* face = model_.faces.Allocate();
    if (face == nullptr) return false;
    face->a = read_[static_cast<std::size_t>(a)];
    face->b = read_[static_cast<std::size_t>(b)];
    face->c = read_[static_cast<std::size_t>(c)];
    model_.AddFaceUnlinked(face, material_);
    // The corners are linked once all faces are in: the vertices are this text's own, so no
    // earlier face uses them.
    if (firstFace_ == nullptr) firstFace_ = face;
    return true;
  }

  Model& model_;
  std::uint32_t material_ = 0;
  std::vector<Vertex*> read_;  // the vertices of this text, by their number
  Face* firstFace_ = nullptr;
};

}  // namespace

bool ImportText(Model& model, std::string_view path) {
  format::FileText text;
  if (!text.Read(path)) {
    model.host().ErrorBox("Could not open file:", path, Severity::Error);
    return false;
  }
  TextReader(model).Run(text.view(), ProgressText("Importing", path));
  return true;
}

void ImportTextFrom(Model& model, std::string_view text) {
  TextReader(model).Run(text, "Importing text file...");
}

}  // namespace zmf::importers

// The DirectX X reader: a line-by-line reader of text .x files that takes each mesh's vertices
// and faces and the vertex normals and texture coordinates that follow them.
//
// Section index
//   line forms ............. numbers as formatted input reads them, the forms of a line
//   text ................... the whole text in memory, or a file block by block
//   reader ................. mesh headers, vertices, faces, normals, texture coordinates
//   entry points ........... ImportXFile, ImportXFileFrom
//
// Vertices and faces are added through the journaled primitives (each addition one Undo step).
// Every form may be indented, as exporters indent blocks inside frames, and a block's "{" may
// stand on the line after its header ("Mesh name", then "{"). A mesh's face, normal
// and coordinate lists count from its own first vertex, so several meshes in one file each keep
// their own faces; an index outside the mesh is ignored. A face of four or more corners becomes
// a fan of triangles around its first corner. Counts never reserve more than the text can hold,
// and every list stops at the end of the text.
#include "importers/x_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edit/journal.h"
#include "edit/journal_records.h"
#include "format/file_text.h"
#include "format/number_text.h"
#include "model/progress.h"

namespace zmf::importers {
namespace {

// ---- line forms

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A cursor over one line, reading as formatted input does: numbers skip the blanks before them,
// other characters of a form must follow at once.
class LineScan {
 public:
  explicit LineScan(std::string_view line) : rest_(line) {}

  void SkipBlanks() {
    std::size_t i = 0;
    while (i < rest_.size() && IsBlank(rest_[i])) ++i;
    rest_.remove_prefix(i);
  }

  // "%d": a decimal integer; magnitudes beyond 32 bits wrap as the unsigned form reads them.
  bool Int(std::int32_t& value) {
    SkipBlanks();
    std::uint32_t bits = 0;
    const std::size_t used = format::ParseUnsignedPrefix(rest_, bits);
    if (used == 0) return false;
    rest_.remove_prefix(used);
    value = static_cast<std::int32_t>(bits);
    return true;
  }

  bool Float(float& value) {
    SkipBlanks();
    const std::size_t used = format::ParseFloatPrefix(rest_, value);
    rest_.remove_prefix(used);
    return used != 0;
  }

  bool Char(char c) {
    if (rest_.empty() || rest_.front() != c) return false;
    rest_.remove_prefix(1);
    return true;
  }

  // The word `word` after the line's indentation.
  bool Word(std::string_view word) {
    SkipBlanks();
    if (rest_.substr(0, word.size()) != word) return false;
    rest_.remove_prefix(word.size());
    return true;
  }

  std::string_view rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// "%d": a count line (what follows the number is not read).
bool CountOf(std::string_view line, std::int32_t& count) { return LineScan(line).Int(count); }

// "%f;%f;%f": a vertex position or a normal.
bool TripleOf(std::string_view line, Vector3& v) {
  LineScan s(line);
  return s.Float(v.x) && s.Char(';') && s.Float(v.y) && s.Char(';') && s.Float(v.z);
}

// "%f;%f": a texture coordinate pair.
bool PairOf(std::string_view line, float& u, float& v) {
  LineScan s(line);
  return s.Float(u) && s.Char(';') && s.Float(v);
}

// "n;i0,i1,i2,...": a face with its corner count and at least three corners; a count above
// three takes that many corners where the line lists them, a smaller count three.
bool FaceOf(std::string_view line, std::vector<std::int32_t>& corners) {
  LineScan s(line);
  std::int32_t stated = 0, a = 0, b = 0, c = 0;
  if (!(s.Int(stated) && s.Char(';') && s.Int(a) && s.Char(',') && s.Int(b) && s.Char(',') &&
        s.Int(c))) {
    return false;
  }
  corners.assign({a, b, c});
  std::int32_t next = 0;
  while (static_cast<std::int64_t>(corners.size()) < stated && s.Char(',') && s.Int(next)) {
    corners.push_back(next);
  }
  return true;
}

// "Mesh" as a word (not the start of MeshNormals and the like), then what follows it on the line
// ("name {", "{", or, with the brace on the next line, "name" or nothing); nullopt for any other
// line.
std::optional<std::string_view> MeshHeaderRest(std::string_view line) {
  LineScan s(line);
  if (!s.Word("Mesh")) return std::nullopt;
  const std::string_view rest = s.rest();
  if (!rest.empty() && ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'))) {
    return std::nullopt;
  }
  s.SkipBlanks();
  return s.rest();
}

bool StartsWithWord(std::string_view line, std::string_view word) {
  return LineScan(line).Word(word);
}

// The format word of an "xof 0302bin 0032" header: binary and compressed files are not text.
bool IsBinaryOrCompressed(std::string_view text) {
  if (text.size() < 12 || text.substr(0, 4) != "xof ") return false;
  const std::string_view format = text.substr(8, 4);
  return format == "bin " || format == "tzip" || format == "bzip";
}

// ---- text

// The text the reader walks, by positions in the whole text: either all of it in memory, or a
// file read block by block, of which only the text from the line being read onwards is kept.
class XText {
 public:
  XText() = default;
  explicit XText(std::string_view text)
      : data_(text.data()), filled_(text.size()), size_(text.size()) {}
  XText(const XText&) = delete;
  XText& operator=(const XText&) = delete;
  ~XText() {
    if (fd_ >= 0) ::close(fd_);
  }

  enum class Opened { InBlocks, NotRegular, Unreadable };
  // Opens a file and, when it is a regular file that is not empty, reads its first block.
  Opened Open(std::string_view path) {
    const std::string name(path);
    fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return Opened::Unreadable;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
      return Opened::NotRegular;
    }
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    size_ = static_cast<std::size_t>(info.st_size);
    return Refill(0) ? Opened::InBlocks : Opened::Unreadable;
  }

  // Bytes in the whole text.
  std::size_t size() const { return size_; }
  // The start of the text, as far as the first block holds it.
  std::string_view start() const { return {data_, base_ == 0 ? filled_ : 0}; }

  // The line at `at` (a position below the size, and no earlier than that of the line before)
  // up to its line end or the text's end; false when the file could not be read.
  bool LineAt(std::size_t at, std::string_view& line) {
    for (;;) {
      const char* start = data_ + (at - base_);
      const std::size_t held = base_ + filled_ - at;
      if (const void* newline = std::memchr(start, '\n', held)) {
        line = std::string_view(start, static_cast<const char*>(newline) - start);
        return true;
      }
      if (base_ + filled_ >= size_) {
        line = std::string_view(start, held);
        return true;
      }
      if (!Refill(at)) return false;
    }
  }

 private:
  static constexpr std::size_t kBlock = kXFileBlock;
  static constexpr std::size_t kLongestLine = std::size_t{256} << 20;

  // Keeps the text from `at` on at the front of the buffer (growing it when that text fills it
  // whole: a line longer than a block) and reads after it until the buffer or the file is full.
  bool Refill(std::size_t at) {
    const std::size_t keep = base_ + filled_ - at;
    if (keep == capacity_) {
      // A line of 256 MiB is no mesh text (a huge file of zeros, say): reading it on would
      // take minutes and all the memory there is, so it fails as a read error.
      if (capacity_ >= kLongestLine) return false;
      const std::size_t larger = capacity_ == 0 ? kBlock : capacity_ * 2;
      std::unique_ptr<char[]> grown(new (std::nothrow) char[larger]);
      if (grown == nullptr) return false;
      if (keep != 0) std::memcpy(grown.get(), data_ + (at - base_), keep);
      buffer_ = std::move(grown);
      capacity_ = larger;
    } else if (keep != 0) {
      std::memmove(buffer_.get(), data_ + (at - base_), keep);
    }
    data_ = buffer_.get();
    base_ = at;
    filled_ = keep;
    while (filled_ < capacity_ && base_ + filled_ < size_) {
      const std::size_t wanted = std::min(capacity_ - filled_, size_ - base_ - filled_);
      const ssize_t got = ::read(fd_, buffer_.get() + filled_, wanted);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return false;
      if (got == 0) {
        size_ = base_ + filled_;  // the file ended early: it was cut while being read
        break;
      }
      filled_ += static_cast<std::size_t>(got);
    }
    return true;
  }

  const char* data_ = nullptr;  // the text from position base_ on
  std::size_t base_ = 0;
  std::size_t filled_ = 0;  // bytes held from base_ on
  std::size_t size_ = 0;
  std::unique_ptr<char[]> buffer_;  // a file's blocks
  std::size_t capacity_ = 0;
  int fd_ = -1;
};

// ---- reader

class XReader {
 public:
  // Tells the model's host, as `what`, how much of the text has been read.
  XReader(Model& model, XText& text, std::string what)
      : model_(model), text_(text), progress_(model.host(), std::move(what), text.size()) {}

  // The file could not be read to its end.
  bool failed() const { return failed_; }

  void Run() {
    std::string_view line;
    while (NextLine(line)) {
      if (const std::optional<std::string_view> rest = MeshHeaderRest(line)) {
        // A bare "Mesh" is a header only with its brace on the next line.
        if (PassOpeningBrace(line) || !rest->empty()) ReadMesh();
      } else if (StartsWithWord(line, "MeshNormals")) {
        PassOpeningBrace(line);
        ReadNormals();
      } else if (StartsWithWord(line, "MeshTextureCoords")) {
        PassOpeningBrace(line);
        ReadTextureCoordinates();
      }
    }
    progress_.Finish();
  }

 private:
  bool NextLine(std::string_view& line) {
    if (failed_ || pos_ >= text_.size()) return false;
    progress_.Step(pos_);
    if (!text_.LineAt(pos_, line)) {
      failed_ = true;
      return false;
    }
    pos_ += line.size() + 1;
    return true;
  }

  // Whether a block header has its "{": on its own line or, as several exporters write it, on
  // the next line, which is then passed over. Any other next line is left to be read.
  bool PassOpeningBrace(std::string_view header) {
    if (header.find('{') != std::string_view::npos) return true;
    const std::size_t start = pos_;
    std::string_view line;
    if (NextLine(line) && LineScan(line).Word("{")) return true;
    pos_ = start;
    return false;
  }

  // How many entries of at least `shortest` characters (line end included) the rest can hold.
  std::size_t Fits(std::int32_t count, std::size_t shortest) const {
    if (count <= 0) return 0;
    const std::size_t left = pos_ < text_.size() ? text_.size() - pos_ : 0;
    return std::min<std::size_t>(static_cast<std::size_t>(count), left / shortest + 1);
  }

  // A count that stands on the first line after a block's opening line, or on the line after
  // that (exporters may leave a line between). The first line is taken when it is a count and
  // not already an entry of the list (`isEntry`).
  template <class IsEntry>
  bool CountAfterOpening(std::int32_t& count, IsEntry isEntry) {
    std::string_view line;
    if (!NextLine(line)) return false;
    if (CountOf(line, count) && !isEntry(line)) return true;
    return NextLine(line) && CountOf(line, count);
  }

  void ReadMesh() {
    std::string_view line;
    std::int32_t count = 0;
    if (!NextLine(line) || !CountOf(line, count)) return;
    meshVertexCount_ = count;
    meshFirstId_ = model_.vertices.nextId();
    meshVertices_ = 0;
    // The shortest vertex line, "0;0;0" and its line end, takes six characters.
    model_.vertices.IndexIdsAhead(Fits(count, 6));  // faces find their corners by id
    Vector3 position;
    for (std::int32_t i = 0; i < count && NextLine(line); ++i) {
      if (!TripleOf(line, position)) continue;  // a line that is not a vertex is skipped
      if (edit::JournalAddVertex(model_, position, {0.0f, 0.0f, 1.0f}, 0.0f, 0.0f) == nullptr) {
        return;  // out of memory: keep what was read
      }
      ++meshVertices_;
    }

    std::int32_t faces = 0;
    if (!CountAfterOpening(faces, [](std::string_view l) {
          Vector3 unused;
          return TripleOf(l, unused);
        })) {
      return;
    }
    // The shortest face line, "3;0,0,0", takes eight characters.
    model_.faces.ReserveIds(Fits(faces, 8));
    for (std::int32_t i = 0; i < faces && NextLine(line); ++i) {
      if (FaceOf(line, corners_)) AddFan();
    }
  }

  // Triangles (c0, c1, c2), (c0, c2, c3), ... in the corners' order; one that names a vertex
  // outside the mesh is not made.
  void AddFan() {
    Vertex* first = MeshVertex(corners_[0]);
    for (std::size_t k = 1; k + 1 < corners_.size(); ++k) {
      edit::JournalAddFace(model_, first, MeshVertex(corners_[k]), MeshVertex(corners_[k + 1]));
    }
  }

  // The mesh's vertex `index`: appended one after another, its vertices hold consecutive ids.
  Vertex* MeshVertex(std::int32_t index) const {
    if (index < 0 || static_cast<std::uint32_t>(index) >= meshVertices_) return nullptr;
    return model_.vertices.FindById(meshFirstId_ + static_cast<std::uint32_t>(index));
  }

  // One normal per vertex of the latest mesh, only when the block's count says so.
  void ReadNormals() {
    std::string_view line;
    std::int32_t count = 0;
    if (!NextLine(line) || !CountOf(line, count)) return;
    if (count != meshVertexCount_ || count < 1) return;
    Vector3 normal;
    for (std::int32_t i = 0; i < count && NextLine(line); ++i) {
      Vertex* vertex = MeshVertex(i);
      if (vertex != nullptr && TripleOf(line, normal)) {
        model_.SetVertex(vertex, vertex->position, normal, vertex->u, vertex->v);
      }
    }
  }

  // One pair per vertex of the latest mesh, stored as written, only when the count says so.
  void ReadTextureCoordinates() {
    std::int32_t count = 0;
    if (!CountAfterOpening(count, [](std::string_view l) {
          float u = 0.0f, v = 0.0f;
          return PairOf(l, u, v);
        })) {
      return;
    }
    if (count != meshVertexCount_ || count < 1) return;
    std::string_view line;
    float u = 0.0f, v = 0.0f;
    for (std::int32_t i = 0; i < count && NextLine(line); ++i) {
      Vertex* vertex = MeshVertex(i);
      if (vertex != nullptr && PairOf(line, u, v)) {
        model_.SetVertex(vertex, vertex->position, vertex->normal, u, v);
      }
    }
  }

  Model& model_;
  XText& text_;
  std::size_t pos_ = 0;
  bool failed_ = false;
  std::int32_t meshVertexCount_ = 0;  // the vertex count of the latest mesh header
  std::uint32_t meshFirstId_ = 0;     // the id of the latest mesh's first vertex
  std::uint32_t meshVertices_ = 0;    // and how many it made
  std::vector<std::int32_t> corners_;
  ProgressMeter progress_;
};

// Reads the text unless it is a binary or compressed file; false when it is one or when the file
// could not be read to its end.
bool ImportXText(Model& model, XText& text, std::string_view path) {
  if (IsBinaryOrCompressed(text.start())) {
    model.host().ErrorBox("Binary and compressed X files cannot be read, only text ones:", path,
                          Severity::Error);
    return false;
  }
  XReader reader(model, text, ProgressText("Importing", path));
  reader.Run();
  if (!reader.failed()) return true;
  model.host().ErrorBox("Error: couldn't open", path, Severity::Error);
  return false;
}

}  // namespace

bool ImportXFileFrom(Model& model, std::string_view text, std::string_view path) {
  XText whole(text);
  return ImportXText(model, whole, path);
}

bool ImportXFile(Model& model, std::string_view path) {
  XText blocks;
  switch (blocks.Open(path)) {
    case XText::Opened::InBlocks:
      return ImportXText(model, blocks, path);
    case XText::Opened::Unreadable:
      model.host().ErrorBox("Error: couldn't open", path, Severity::Error);
      return false;
    case XText::Opened::NotRegular:
      break;
  }
  // A pipe, a device or an empty file is read whole.
  format::FileText file;
  if (!file.Read(path)) {
    model.host().ErrorBox("Error: couldn't open", path, Severity::Error);
    return false;
  }
  return ImportXFileFrom(model, file.view(), path);
}

}  // namespace zmf::importers

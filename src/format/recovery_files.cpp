// Naming, writing, listing and pruning the recovery files.
#include "format/recovery_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <system_error>

#include "format/atomic_file.h"
#include "format/file_text.h"
#include "format/number_text.h"

namespace zmf::format {
namespace {

namespace fs = std::filesystem;

std::string StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/zmfedit";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/state/zmfedit";
}

// NAME-YYYYMMDD-HHMMSS.zmf with an optional -N before the extension.
const std::regex& RecoveryName() {
  static const std::regex name(R"((.+)-(\d{8})-(\d{6})(-\d+)?\.zmf)");
  return name;
}

// The count after a section's opening ("VERTICES { POSITION_NORMAL 8", "FACES { 12"); 0 when
// the text has no such section.
std::uint32_t SectionCount(std::string_view text, std::string_view opening, bool layoutWord) {
  const std::size_t at = text.find(opening);
  if (at == std::string_view::npos) return 0;
  std::string_view rest = text.substr(at + opening.size());
  auto skipBlanks = [&rest] {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  };
  skipBlanks();
  if (layoutWord) {
    while (!rest.empty() && rest.front() != ' ' && rest.front() != '\t') rest.remove_prefix(1);
    skipBlanks();
  }
  std::int32_t count = 0;
  if (ParseIntPrefix(rest, count) == 0 || count < 0) return 0;
  return static_cast<std::uint32_t>(count);
}

std::string Stamp(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

std::string BaseName(std::string_view documentName) {
  const std::size_t slash = documentName.find_last_of("/\\");
  std::string name(slash == std::string_view::npos ? documentName : documentName.substr(slash + 1));
  if (name.size() > 4) {
    std::string extension = name.substr(name.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".zmf") name.resize(name.size() - 4);
  }
  return name.empty() ? std::string("untitled") : name;
}

}  // namespace

std::string RecoveryFolder() { return StateFolder() + "/recovery"; }

std::string CleanExitMarkPath() { return StateFolder() + "/clean-exit"; }

std::string DocumentNameOfRecoveryFile(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
  std::smatch match;
  if (!std::regex_match(name, match, RecoveryName())) return name;
  return match[1].str() + ".zmf";
}

std::vector<RecoveryFile> ListRecoveryFiles(const std::string& folder) {
  std::vector<RecoveryFile> files;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string path = entry.path().string();
    if (!std::regex_match(entry.path().filename().string(), RecoveryName())) continue;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
    RecoveryFile file;
    file.path = path;
    file.name = DocumentNameOfRecoveryFile(path);
    file.time = static_cast<std::int64_t>(status.st_mtim.tv_sec);
    file.nanoseconds = static_cast<std::int64_t>(status.st_mtim.tv_nsec);
    std::string text;
    if (ReadWholeFile(path, text)) {
      file.vertices = SectionCount(text, "VERTICES {", true);
      file.faces = SectionCount(text, "\nFACES {", false);
    }
    files.push_back(std::move(file));
  }
  // Newest first, by the time each was written.
  std::sort(files.begin(), files.end(), [](const RecoveryFile& a, const RecoveryFile& b) {
    if (a.time != b.time) return a.time > b.time;
    return a.nanoseconds != b.nanoseconds ? a.nanoseconds > b.nanoseconds : a.path > b.path;
  });
  return files;
}

std::string WriteRecoveryFile(const std::string& folder, std::string_view documentName,
                              const std::vector<std::string>& text, std::time_t now) {
  std::error_code error;
  fs::create_directories(folder, error);
  const std::string stem = folder + "/" + BaseName(documentName) + "-" + Stamp(now);
  std::string path = stem + ".zmf";
  for (int n = 2; fs::exists(path, error); ++n) path = stem + "-" + std::to_string(n) + ".zmf";
  AtomicFile file(path);
  bool written = file.Open();
  for (const std::string& block : text) written = written && file.Write(block);
  if (!written || !file.Commit()) return {};
  std::vector<RecoveryFile> files = ListRecoveryFiles(folder);
  for (std::size_t i = kRecoveryFilesKept; i < files.size(); ++i) {
    if (files[i].path != path) fs::remove(files[i].path, error);
  }
  return path;
}

}  // namespace zmf::format

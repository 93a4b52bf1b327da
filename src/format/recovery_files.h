// Recovery files: copies of models with unsaved work, written when the work is about to be
// discarded and every few minutes while it is being edited, so that neither a question answered
// wrongly nor a crash loses it. Each copy gets a file of its own, NAME-YYYYMMDD-HHMMSS.zmf, and
// none is ever written over; only the oldest beyond the newest ten are removed.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace zmf::format {

inline constexpr std::size_t kRecoveryFilesKept = 10;

// $XDG_STATE_HOME/zmfedit/recovery, or ~/.local/state/zmfedit/recovery when it is not set.
std::string RecoveryFolder();

// The state folder's file whose time marks the editor's last clean exit.
std::string CleanExitMarkPath();

struct RecoveryFile {
  std::string path;
  std::string name;              // the document's name, e.g. "worm.zmf"
  std::int64_t time = 0;         // seconds since 1970, when it was written
  std::int64_t nanoseconds = 0;  // and the nanoseconds of that second
  std::uint32_t vertices = 0;
  std::uint32_t faces = 0;
};

// The recovery files of the folder, newest first; counts as the files state them.
std::vector<RecoveryFile> ListRecoveryFiles(const std::string& folder);

// Writes `text` (a ZMF model) atomically to a new file of the folder named after the document
// and the local time `now` ("-2", "-3" ... added when that name is taken), made with its folder
// when missing, then removes the oldest files beyond the newest ten. Returns the new file's
// path; empty when it could not be written.
std::string WriteRecoveryFile(const std::string& folder, std::string_view documentName,
                              const std::vector<std::string>& text, std::time_t now);

// "worm.zmf" for a recovery file named "worm-20261208-130501.zmf" (or "...-130501-2.zmf");
// the file's own name when it is not named so.
std::string DocumentNameOfRecoveryFile(std::string_view path);

}  // namespace zmf::format

// File > Recover...: the list of recovery files to choose one from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "format/recovery_files.h"

class QWidget;

namespace zmf::app {

// One row per file, newest first: the document's name, when it was written, and its counts.
std::vector<std::string> RecoveryRows(const std::vector<format::RecoveryFile>& files);

// Shows the files (or says there are none) and returns the chosen one's path; nothing when
// cancelled.
std::optional<std::string> ChooseRecoveryFile(QWidget* owner,
                                              const std::vector<format::RecoveryFile>& files);

}  // namespace zmf::app

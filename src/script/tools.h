// The editor's work without a window: zmfedit --info, --convert and --batch.
#pragma once

#include <cstdio>
#include <string_view>

namespace zmf::script {

// Loads the file as Open does, questions answered Yes as ConvertModel answers them, and prints its
// counts and bounding box to `out`. Error boxes go to `errors`. Returns 0, or 1 when an error was
// reported.
int PrintModelInfo(std::string_view path, std::FILE* out, std::FILE* errors);

// Loads `input` as Open does and saves it to `output` as Save does; questions are answered Yes.
// Returns 0, or 1 when an error was reported or no file was written (an empty model).
int ConvertModel(std::string_view input, std::string_view output, std::FILE* errors);

// Opens `modelPath` (when not empty) as Open does, then runs the batch script at `scriptPath`.
// Returns RunBatchScript's exit code; 2 when the script cannot be read.
int RunBatchFile(std::string_view scriptPath, std::string_view modelPath, std::FILE* errors);

}  // namespace zmf::script

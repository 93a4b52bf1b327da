// Batch scripts run against a model of their own, saving into a temporary folder.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "file_fixture.h"
#include "model/model.h"
#include "script/batch.h"
#include "zmf_models.h"

namespace zmf::testing {

using ::testing::HasSubstr;
using ::testing::Not;

// The text from the first `marker` on ("BONES"), or a note that it is missing and the text.
inline std::string From(const std::string& text, const std::string& marker) {
  const std::size_t at = text.find(marker);
  return at == std::string::npos ? "(no " + marker + ")\n" + text : text.substr(at);
}

class BatchScriptTest : public ::testing::Test {
 protected:
  ~BatchScriptTest() override { std::fclose(boxes_); }

  // Runs the script (named "script.txt" in messages), with each "@/" standing for the folder,
  // and returns its exit code; what it printed is added to `printed`.
  int Run(std::string script) {
    for (std::size_t at = script.find("@/"); at != std::string::npos; at = script.find("@/", at)) {
      script.replace(at, 1, folder.path());
    }
    std::FILE* errors = std::tmpfile();
    const int code =
        script::RunBatchScript(model, host, script, "script.txt", errors, {}, &session);
    std::rewind(errors);
    char buffer[1024];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, errors)) > 0) printed.append(buffer, got);
    std::fclose(errors);
    return code;
  }

  // A script line saving to the named file in the folder, and that file's text.
  std::string SaveLine(const std::string& name) const { return "save " + folder.File(name) + "\n"; }
  std::string Saved(const std::string& name) const { return ReadFile(folder.File(name)); }

  TempFolder folder;

 private:
  std::FILE* boxes_ = std::tmpfile();  // where the host prints boxes

 protected:
  script::BatchHost host{boxes_};
  RecordingTextureStore textures;
  Model model{host, textures};
  script::BatchSession session;  // the editor state and clock, kept from one Run to the next
  std::string printed;
};

}  // namespace zmf::testing

// Batch mode: the command table run line by line from a script, without a window.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "model/clipboard.h"
#include "model/model.h"
#include "model/scripted_host.h"
#include "view/editor_state.h"

namespace zmf::script {

// The host of batch mode and the command-line tools: every box is printed to the error stream
// ("TITLE: text", after the script line that caused it) and answers come from `answer` lines.
class BatchHost : public ScriptedHost {
 public:
  explicit BatchHost(std::FILE* errors) : errors_(errors) {}

  // Printed before each box: where in the script it came from ("script.txt:3"); empty for none.
  void SetLocation(std::string location) { location_ = std::move(location); }

 protected:
  void OnBox(const MessageBoxRequest& box) override;

 private:
  std::FILE* errors_;
  std::string location_;
};

// Texture names without textures: there is no GPU to hold them without a window.
class HeadlessTextureStore final : public TextureStore {
 public:
  std::uint32_t Create(int width, int height, const std::uint8_t* rgba) override;
  void Delete(std::uint32_t) override {}

 private:
  std::uint32_t nextName_ = 1;
};

// What a script works with beside the model: the editor state (modes, view, camera, picked
// rows), the clock that playback reads, which stands still unless a "clock" line sets it, and
// the clipboard text that copy, cut and paste exchange (empty at the start; "clipboard-load"
// and "clipboard-save" fill it from and write it to files).
struct BatchSession {
  view::EditorState editor;
  ManualClock clock;
  MemoryClipboard clipboard;
};

// Where a script runs, beside the model and its host: batch mode lends its session; the window
// lends its own editor state, a clock for playback and itself as the screenshot writer.
struct BatchTarget {
  view::EditorState& editor;
  ManualClock& clock;
  // Takes the "screenshot FILE" lines and saves of ".bmp" files; null without a window.
  ScreenshotWriter* screenshot = nullptr;
  // What copy, cut and paste use; null gives the script a clipboard text of its own, empty at
  // the start and gone when it ends.
  Clipboard* clipboard = nullptr;
};

// Runs a script against the model, whose host must be `host`. One line each:
//   NAME [ARGUMENTS]        a command by its script name ("open in.zmf", "new")
//   ID [ARGUMENTS]          a command by its identifier ("32772 in.zmf")
//   pick LIST POSITION      picks a row of a panel's list
//   apply BUTTON [TEXTS]    presses a panel's "ok" button with those edit-box texts
//   answer TEXT             queues the answer to the next prompt, or "yes"/"no" to a question
//   cancel                  queues a cancelled prompt
//   clock SECONDS           sets the clock that animation playback reads (0 at the start)
//   screenshot FILE         saves the window as it now stands (only when run in the window)
//   panel FILE              writes the current view's panel as text
//   press left|right X Y [shift] [ctrl]     a mouse button goes down over the viewport
//   move X Y                                the mouse moves
//   release left|right X Y                  the button comes up
//   drag left|right X0 Y0 X1 Y1 [shift] [ctrl]   press, one move and release
//   click left|right X Y [shift] [ctrl]     press and release in one place
//   key K                   a single-key shortcut (1 Q A Z X C V B F S D; S picks at the mouse)
// X and Y are viewport pixels, 0 to 511 from the left and top edges (others lie outside it).
// Arguments are separated by blanks; "double quotes" keep blanks in one ("" is an empty one).
// Blank lines and lines starting with '#' are skipped. `scriptName` names the script in
// messages. Returns the exit code: 2 when a line is not a valid command (nothing is run then),
// 1 when anything reported an error, else 0.
// `startModel`, when given, is opened (and the view fitted to it) before the first line, once the
// script has been found valid. Without a session the script gets a fresh one of its own.
int RunBatchScript(Model& model, BatchHost& host, std::string_view script,
                   std::string_view scriptName, std::FILE* errors, std::string_view startModel = {},
                   BatchSession* session = nullptr);
int RunBatchScript(Model& model, BatchHost& host, std::string_view script,
                   std::string_view scriptName, std::FILE* errors, std::string_view startModel,
                   const BatchTarget& target);

}  // namespace zmf::script

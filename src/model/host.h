// The small interfaces through which the core reaches the user, the GPU, the clock and the
// viewport.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zmf {

// How bad a failure is; each severity has its own error box.
enum class Severity {
  Error = 0,     // "ERROR": reported over the main window, and the program goes on
  Serious = 1,   // "SERIOUS ERROR": the user chooses whether to go on
  Shutdown = 2,  // "SHUTDOWN ERROR": the program cannot go on
  Warning = 3,   // "Warning": the work was done, with something the user should know about
};

// What a modal message box shows. The core fills it in (texts and titles are the
// program's own); the host only displays it.
struct MessageBoxRequest {
  enum class Buttons { Ok, YesNo };
  enum class Icon { Information, Question, Stop, Warning };

  std::string text;
  std::string title;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::Information;
  bool ownedByMainWindow = false;  // Error boxes sit over the main window; the others have no owner
};

// The answers to a question asked once for each of several things (the objects of a file).
enum class EachAnswer { Yes, No, YesToAll, NoToAll };

// The user at the other end of the core: message boxes, Yes/No questions and typed prompts.
// The Qt shell shows real dialogs; tests and batch mode answer from a script.
class Host {
 public:
  virtual ~Host() = default;

  // Shows a modal box and returns when it is closed; true when the answer was Yes (or OK).
  virtual bool ShowMessageBox(const MessageBoxRequest& box) = 0;

  // A Yes/No question over the main window; true for Yes.
  virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;

  // A question whose Yes and No both go on, choosing how: Cancel (and Escape) runs nothing.
  // True for Yes, false for No, nullopt for Cancel.
  virtual std::optional<bool> AskYesNoCancel(std::string_view text, std::string_view caption) = 0;

  // A question asked once for each of several things, which also offers Yes to All and No to All.
  virtual EachAnswer AskForEach(std::string_view text, std::string_view caption) = 0;

  // The one typed-value prompt, configured by "prompt:default"; nullopt when cancelled.
  virtual std::optional<std::string> Prompt(std::string_view promptAndDefault) = 0;

  // A short beep that confirms an action without a box (Camera > Save).
  virtual void Beep() = 0;

  // How far long work has come: `done` runs from 0 at its start to exactly 1 at its end, never
  // going back, and `what` says what the work is ("Reading model.zmf..."). Called a few hundred
  // times at most per piece of work (see ProgressMeter), always from the thread doing it; the
  // model may be half made between the calls, so nothing here may touch it. Nothing by default.
  virtual void Progress(std::string_view /*what*/, float /*done*/) {}

  // Reports a failure with the program's texts and titles for its severity. Returns the user's
  // answer to a Serious box (Yes = true); false for the others.
  bool ErrorBox(std::string_view message, std::string_view detail, Severity severity);
};

// Asks a question for each of several things until the user answers for all of them.
class EachQuestion {
 public:
  explicit EachQuestion(Host& host) : host_(host) {}
  bool Ask(std::string_view text, std::string_view caption) {
    if (answeredAll_) return all_;
    const EachAnswer answer = host_.AskForEach(text, caption);
    answeredAll_ = answer == EachAnswer::YesToAll || answer == EachAnswer::NoToAll;
    all_ = answer == EachAnswer::YesToAll;
    return answer == EachAnswer::Yes || answer == EachAnswer::YesToAll;
  }

 private:
  Host& host_;
  bool answeredAll_ = false;
  bool all_ = false;
};

// Builds the box that ErrorBox shows.
MessageBoxRequest MakeErrorBox(std::string_view message, std::string_view detail,
                               Severity severity);

// Texture objects made from RGBA texels (top row first). GL textures in the app, a recording
// fake in tests and in batch mode.
class TextureStore {
 public:
  virtual ~TextureStore() = default;

  // Returns the new texture's name, never 0 on success; 0 when it could not be made.
  virtual std::uint32_t Create(int width, int height, const std::uint8_t* rgba) = 0;

  // Deletes a texture made by Create; 0 is ignored.
  virtual void Delete(std::uint32_t name) = 0;
};

// The viewport's default size in pixels each way (the window at its default size, and runs
// without a window): its frame, the BMP screenshot, and the pixels that scripts and the mouse
// give, which map to normalised view coordinates -1 ... 1 on both axes. A resized viewport keeps
// -1 ... 1 along its shorter side and reaches further along the longer one.
inline constexpr int kViewportSize = 512;

// Writes screenshots of the editor's window; provided by the window (batch mode without one has
// none).
class ScreenshotWriter {
 public:
  virtual ~ScreenshotWriter() = default;
  // Draws the current frame and writes it: a ".png" name gets the window's client area, any other
  // the viewport's frame as a BMP. False (after reporting why) when nothing was written.
  virtual bool WriteScreenshot(std::string_view path) = 0;
};

// Seconds since program start as a 32-bit float, the resolution the frame pacer and
// animation playback work in.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual float Seconds() const = 0;
};

}  // namespace zmf

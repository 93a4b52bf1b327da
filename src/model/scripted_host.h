// A host without a user: records every box and question and answers from a queue.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/host.h"

namespace zmf {

// Used by tests and by batch mode. Each question or prompt takes the next queued answer; with
// none queued, questions answer No (or Yes, when told so) and prompts are cancelled, so nothing
// ever waits for input.
class ScriptedHost : public Host {
 public:
  struct Event {
    enum class Kind { Box, Question, Prompt, Beep };
    Kind kind;
    std::string text;   // box text, question text, or the "prompt:default" configuration
    std::string title;  // box title or question caption; empty for prompts
  };

  void QueueYes(bool yes) { answers_.push_back(yes ? "yes" : "no"); }
  void QueueText(std::string text) { answers_.push_back(std::move(text)); }
  // A cancelled prompt (or a No).
  void QueueCancel() { answers_.push_back(std::nullopt); }
  // The answer to questions (and Yes/No boxes) when no answer is queued; No unless changed.
  void SetUnscriptedAnswer(bool yes) { unscriptedYes_ = yes; }

  bool ShowMessageBox(const MessageBoxRequest& box) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
  // Queued "yes" or "no" answer; a queued cancel cancels.
  std::optional<bool> AskYesNoCancel(std::string_view text, std::string_view caption) override;
  // Queued "yes", "no", "yes-to-all" or "no-to-all" answer (anything else is No).
  EachAnswer AskForEach(std::string_view text, std::string_view caption) override;
  std::optional<std::string> Prompt(std::string_view promptAndDefault) override;
  void Beep() override { events_.push_back({Event::Kind::Beep, {}, {}}); }

  const std::vector<Event>& events() const { return events_; }
  // Texts of the boxes shown, in order.
  std::vector<std::string> BoxTexts() const;
  std::size_t errorCount() const { return errorCount_; }
  void ClearEvents() {
    events_.clear();
    errorCount_ = 0;
  }

 protected:
  // Called for every box after it was recorded; batch mode prints it.
  virtual void OnBox(const MessageBoxRequest&) {}

 private:
  std::optional<std::optional<std::string>> NextAnswer();

  std::deque<std::optional<std::string>> answers_;
  std::vector<Event> events_;
  std::size_t errorCount_ = 0;
  bool unscriptedYes_ = false;
};

// Hands out texture names 1, 2, 3, ... and remembers what each was made from, so tests can
// check the texels that would have gone to the GPU and that every texture was deleted.
class RecordingTextureStore : public TextureStore {
 public:
  struct Texture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
  };

  std::uint32_t Create(int width, int height, const std::uint8_t* rgba) override;
  void Delete(std::uint32_t name) override;

  const std::map<std::uint32_t, Texture>& live() const { return live_; }
  const std::vector<std::uint32_t>& deleted() const { return deleted_; }

 private:
  std::uint32_t nextName_ = 1;
  std::map<std::uint32_t, Texture> live_;
  std::vector<std::uint32_t> deleted_;
};

// A clock that only moves when told to.
class ManualClock : public Clock {
 public:
  float Seconds() const override { return seconds_; }
  void Set(float seconds) { seconds_ = seconds; }
  void Advance(float seconds) { seconds_ += seconds; }

 private:
  float seconds_ = 0.0f;
};

}  // namespace zmf

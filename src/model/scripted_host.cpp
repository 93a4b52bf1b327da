// The scripted host and the recording texture store.
#include "model/scripted_host.h"

#include <cstddef>

namespace zmf {
namespace {

// A queued answer to a question: "yes" in any case is Yes; anything else is No.
bool IsYes(const std::optional<std::string>& answer) {
  if (!answer || answer->size() != 3) return false;
  const std::string& a = *answer;
  return (a[0] | 0x20) == 'y' && (a[1] | 0x20) == 'e' && (a[2] | 0x20) == 's';
}

}  // namespace

std::optional<std::optional<std::string>> ScriptedHost::NextAnswer() {
  if (answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

bool ScriptedHost::ShowMessageBox(const MessageBoxRequest& box) {
  events_.push_back({Event::Kind::Box, box.text, box.title});
  ++errorCount_;
  OnBox(box);
  if (box.buttons != MessageBoxRequest::Buttons::YesNo) return true;
  auto answer = NextAnswer();
  if (!answer) return unscriptedYes_;
  return IsYes(*answer);
}

bool ScriptedHost::AskYesNo(std::string_view text, std::string_view caption) {
  events_.push_back({Event::Kind::Question, std::string(text), std::string(caption)});
  auto answer = NextAnswer();
  if (!answer) return unscriptedYes_;
  return IsYes(*answer);
}

std::optional<bool> ScriptedHost::AskYesNoCancel(std::string_view text, std::string_view caption) {
  events_.push_back({Event::Kind::Question, std::string(text), std::string(caption)});
  auto answer = NextAnswer();
  if (!answer) return unscriptedYes_;
  if (!*answer) return std::nullopt;
  return IsYes(*answer);
}

EachAnswer ScriptedHost::AskForEach(std::string_view text, std::string_view caption) {
  events_.push_back({Event::Kind::Question, std::string(text), std::string(caption)});
  auto answer = NextAnswer();
  if (!answer) return unscriptedYes_ ? EachAnswer::Yes : EachAnswer::No;
  if (IsYes(*answer)) return EachAnswer::Yes;
  if (*answer == "yes-to-all") return EachAnswer::YesToAll;
  if (*answer == "no-to-all") return EachAnswer::NoToAll;
  return EachAnswer::No;
}

std::optional<std::string> ScriptedHost::Prompt(std::string_view promptAndDefault) {
  events_.push_back({Event::Kind::Prompt, std::string(promptAndDefault), {}});
  auto answer = NextAnswer();
  if (!answer) return std::nullopt;
  return *answer;
}

std::vector<std::string> ScriptedHost::BoxTexts() const {
  std::vector<std::string> texts;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::Box) texts.push_back(e.text);
  }
  return texts;
}

std::uint32_t RecordingTextureStore::Create(int width, int height, const std::uint8_t* rgba) {
  if (width <= 0 || height <= 0 || rgba == nullptr) return 0;
  Texture t;
  t.width = width;
  t.height = height;
  t.rgba.assign(rgba,
                rgba + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  const std::uint32_t name = nextName_++;
  live_.emplace(name, std::move(t));
  return name;
}

void RecordingTextureStore::Delete(std::uint32_t name) {
  if (name == 0) return;
  live_.erase(name);
  deleted_.push_back(name);
}

}  // namespace zmf

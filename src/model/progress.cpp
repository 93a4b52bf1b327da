// Counting long work in hundredths for the host.
#include "model/progress.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zmf {

ProgressMeter::ProgressMeter(Host& host, std::string what, std::uint64_t total, float upTo)
    : host_(&host), what_(std::move(what)) {
  NextStage(total, upTo);
}

void ProgressMeter::NextStage(std::uint64_t total, float upTo) {
  from_ = upTo_;
  upTo_ = std::clamp(upTo, from_, 1.0f);
  // The stage's share of the bar's hundred steps, one at least.
  steps_ = std::max<std::uint64_t>(1, std::lround((upTo_ - from_) * 100.0f));
  total_ = total;
  done_ = 0;
  if (host_ == nullptr) return;
  Send(from_);
  next_ = 0;
  Step(0);
}

void ProgressMeter::Report(std::uint64_t done) {
  if (done >= total_) {
    next_ = UINT64_MAX;  // nothing more until the next stage
    Send(upTo_);
    return;
  }
  // Counts stay far below 2^57, so neither product overflows.
  const std::uint64_t step = done * steps_ / total_;
  next_ = ((step + 1) * total_ + steps_ - 1) / steps_;
  Send(from_ + (upTo_ - from_) * static_cast<float>(step) / static_cast<float>(steps_));
}

void ProgressMeter::Send(float fraction) {
  // The end, exactly 1, is Finish's alone.
  if (finished_ || !(fraction > sent_) || fraction >= 1.0f) return;
  sent_ = fraction;
  host_->Progress(what_, fraction);
}

void ProgressMeter::Finish() {
  if (host_ == nullptr || finished_) return;
  finished_ = true;
  next_ = UINT64_MAX;
  host_->Progress(what_, 1.0f);
}

std::string ProgressText(std::string_view doing, std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string text(doing);
  text += ' ';
  text += slash == std::string_view::npos ? path : path.substr(slash + 1);
  text += "...";
  return text;
}

}  // namespace zmf

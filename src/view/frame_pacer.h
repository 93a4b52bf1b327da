// When the viewport draws: at most one frame every 0.03 s, timed by the editor's clock.
#pragma once

#include "model/host.h"

namespace zmf::view {

class FramePacer {
 public:
  // Frames are at least this far apart, in seconds (about 33 a second).
  static constexpr float kFrameInterval = 0.03f;

  // The last frame counts as drawn now, so the first one waits kFrameInterval.
  explicit FramePacer(const Clock& clock) : clock_(&clock), lastFrameTime_(clock.Seconds()) {}

  // A paint request: true when more than kFrameInterval has passed since the last frame, which
  // is then taken to be drawn at the clock's time read again. A clock that went backwards (a
  // new clock, a script setting an earlier time) starts the count again instead of waiting for
  // the old time to come back.
  bool FrameDue();

  // Seconds between the last frame and the latest request.
  float FrameElapsed() const { return frameElapsed_; }

 private:
  const Clock* clock_;
  float lastFrameTime_;
  float frameElapsed_ = 0.0f;
};

}  // namespace zmf::view

// When the viewport draws: at most one frame every 0.03 s.
#include "view/frame_pacer.h"

namespace zmf::view {

bool FramePacer::FrameDue() {
  const float now = clock_->Seconds();
  frameElapsed_ = now - lastFrameTime_;
  if (frameElapsed_ < 0.0f) {
    lastFrameTime_ = now;
    return false;
  }
  if (!(frameElapsed_ > kFrameInterval)) return false;
  lastFrameTime_ = clock_->Seconds();
  return true;
}

}  // namespace zmf::view

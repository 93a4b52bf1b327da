// The editor's clock: seconds since program start, for frame pacing and animation playback.
#pragma once

#include <QElapsedTimer>

#include "model/host.h"

namespace zmf::app {

// A monotonic millisecond count from construction (made at start-up), given as 32-bit float
// seconds: the resolution playback has always worked in.
class QtClock final : public Clock {
 public:
  QtClock() { timer_.start(); }
  float Seconds() const override;

 private:
  QElapsedTimer timer_;
};

}  // namespace zmf::app

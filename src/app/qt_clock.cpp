// The editor's clock: seconds since program start, for frame pacing and animation playback.
#include "app/qt_clock.h"

#include <cstdint>

namespace zmf::app {

float QtClock::Seconds() const {
  // Kept as a 32-bit millisecond count, like the system counter the frame clock is modelled on.
  const auto milliseconds = static_cast<std::uint32_t>(timer_.elapsed());
  return static_cast<float>(milliseconds) / 1000.0f;
}

}  // namespace zmf::app

// Telling the host how far long work has come, cheaply enough to count every element.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/host.h"

namespace zmf {

// Counts the work done and passes it on to Host::Progress in hundredths of the whole: once when
// made (0), whenever the count passes the next hundredth, and once with exactly 1 when finished
// (by Finish or the destructor, whichever comes first). So a piece of work makes at most about a
// hundred calls, however many elements it counts, and Step costs one comparison between them.
//
// Work in stages shares the bar between them: the first stage fills it up to `upTo`, NextStage
// starts the next one from there, each with its share of the hundredths. The fractions passed
// on only ever increase.
class ProgressMeter {
 public:
  // Reports to no one: for callers that have no host.
  ProgressMeter() = default;
  // `total` units of work (any unit: bytes, elements); a total of 0 is done at once.
  ProgressMeter(Host& host, std::string what, std::uint64_t total, float upTo = 1.0f);
  ~ProgressMeter() { Finish(); }
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  // `done` units of the current stage are done. A count below an earlier one is ignored.
  void Step(std::uint64_t done) {
    if (done >= next_) [[unlikely]] {
      Report(done);
    }
  }
  // One more unit (or `units` more) done, counted by the meter.
  void Advance(std::uint64_t units = 1) {
    done_ += units;
    Step(done_);
  }

  // Starts the next stage: `total` units, counted from 0 again, that fill the bar from where the
  // last stage ended up to `upTo`.
  void NextStage(std::uint64_t total, float upTo = 1.0f);

  // Reports the end (done = 1); later calls do nothing.
  void Finish();

 private:
  void Report(std::uint64_t done);
  void Send(float fraction);

  Host* host_ = nullptr;
  std::string what_;
  std::uint64_t total_ = 0;
  std::uint64_t steps_ = 100;        // the current stage's share of the bar's hundredths
  std::uint64_t next_ = UINT64_MAX;  // the count at which the next hundredth is reached
  std::uint64_t done_ = 0;           // Advance's count
  float from_ = 0.0f;                // where the current stage starts on the bar
  float upTo_ = 0.0f;                // and where it ends
  float sent_ = -1.0f;               // the last fraction passed on
  bool finished_ = false;
};

// The text for work on a file: "Reading" and "/models/ship.zmf" give "Reading ship.zmf...".
std::string ProgressText(std::string_view doing, std::string_view path);

}  // namespace zmf

// The platform's monotonic clock as the tests see it: time passes instead of being waited for.
#pragma once

#include <chrono>

#include "platform/text.h"
#include "platform/ui.h"

// The clock of every test program, from the start of main: the system's, except that a wait
// of the platform's (a locked database tried again) returns at once and moves the clock on by
// as much, so that no test waits in real time for a lock wait to pass. It reads no earlier
// than `from`, and never goes back.
void UseTheClockWithoutWaits(std::chrono::steady_clock::time_point from = {});

// The clock moved on by hand, for as long as it lives; waits move it on too. Then the clock
// without waits comes back, from where this one stopped.
class ManualTicks {
 public:
  // Each clock starts an hour past the time before it: no throttle remembers a moment of a
  // test before.
  ManualTicks() : now_(platform::MonotonicNow() + std::chrono::hours(1)) {
    platform::SetMonotonicClockForTesting([this] { return now_; }, [this](auto length) { Advance(length); });
  }
  ~ManualTicks() { UseTheClockWithoutWaits(now_); }
  ManualTicks(const ManualTicks&) = delete;
  ManualTicks& operator=(const ManualTicks&) = delete;

  void Advance(std::chrono::steady_clock::duration by) { now_ += by; }

  // Lets RuntimeBackgroundTask run the event loop once, as a run does between rows: the
  // yield's interval passes, and it is called past its gate.
  void LetTheEventLoopRun() {
    Advance(platform::detail::kEventLoopInterval);
    for (unsigned i = 0; i < platform::detail::kClockGate; ++i) platform::RuntimeBackgroundTask();
  }

 private:
  std::chrono::steady_clock::time_point now_;
};

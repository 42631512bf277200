// The platform's monotonic clock, moved on by hand: tests make time pass instead of waiting
// for it.
#pragma once

#include <chrono>

#include "platform/text.h"
#include "platform/ui.h"

class ManualTicks {
 public:
  // Each clock starts an hour past where the last one stopped: no throttle remembers a
  // moment of a test before.
  ManualTicks() : now_(Latest() += std::chrono::hours(1)) {
    platform::SetMonotonicClockForTesting([this] { return now_; });
  }
  ~ManualTicks() { platform::SetMonotonicClockForTesting(nullptr); }
  ManualTicks(const ManualTicks&) = delete;
  ManualTicks& operator=(const ManualTicks&) = delete;

  void Advance(std::chrono::steady_clock::duration by) { Latest() = now_ += by; }

  // Lets RuntimeBackgroundTask run the event loop once, as a run does between rows: the
  // yield's interval passes, and it is called past its gate.
  void LetTheEventLoopRun() {
    Advance(platform::detail::kEventLoopInterval);
    for (unsigned i = 0; i < platform::detail::kClockGate; ++i) platform::RuntimeBackgroundTask();
  }

 private:
  static std::chrono::steady_clock::time_point& Latest() {
    static std::chrono::steady_clock::time_point latest = std::chrono::steady_clock::now();
    return latest;
  }
  std::chrono::steady_clock::time_point now_;
};

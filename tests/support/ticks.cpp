#include "tests/support/ticks.h"

#include <atomic>

namespace {

// How far the clock without waits stands ahead of the system's, in the system clock's ticks:
// the waits it let pass at once, or more when a hand-moved clock went further. Connects may run
// on another thread.
std::atomic<std::chrono::steady_clock::rep> ahead{0};

}  // namespace

void UseTheClockWithoutWaits(std::chrono::steady_clock::time_point from) {
  const std::chrono::steady_clock::rep behind = (from - std::chrono::steady_clock::now()).count();
  if (behind > ahead) ahead = behind;
  platform::SetMonotonicClockForTesting(
      [] { return std::chrono::steady_clock::now() + std::chrono::steady_clock::duration(ahead); },
      [](std::chrono::steady_clock::duration length) { ahead += length.count(); });
}

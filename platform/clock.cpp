#include "platform/clock.h"

#include <chrono>

double SecondsSinceStart() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();  // initialised once, thread-safe
  auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start);
  return double(elapsed.count()) * 1e-9;
}

#include "platform/clock.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(Clock, StartsNearZeroAndNeverGoesBack) {
  double first = SecondsSinceStart();
  EXPECT_GE(first, 0.0);
  double previous = first;
  for (int i = 0; i < 10000; ++i) {
    double now = SecondsSinceStart();
    ASSERT_GE(now, previous);
    previous = now;
  }
}

TEST(ClockThreaded, EveryThreadSharesOneStart) {
  double before = SecondsSinceStart();
  std::vector<double> readings(8, -1.0);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&readings, i] { readings[i] = SecondsSinceStart(); });
  }
  for (std::thread& t : threads) t.join();
  double after = SecondsSinceStart();
  for (double r : readings) {
    EXPECT_GE(r, before);
    EXPECT_LE(r, after);
  }
}

}  // namespace

#include "platform/stop_signal.h"

#include <csignal>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

// Each case runs in a child process, so the request it sets never reaches the other tests.
TEST(StopSignal, SigintAndSigtermSetTheRequest) {
  for (int signal : {SIGINT, SIGTERM}) {
    EXPECT_EXIT(
        {
          InstallStopSignalHandlers();
          const bool before = StopSignalReceived();
          std::raise(signal);
          std::exit(!before && StopSignalReceived() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << signal;
  }
}

TEST(StopSignal, ASecondSignalEndsTheProcess) {
  EXPECT_EXIT(
      {
        InstallStopSignalHandlers();
        std::raise(SIGINT);
        std::raise(SIGINT);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "");
}

TEST(StopSignal, InstallingAgainRearmsTheHandler) {
  EXPECT_EXIT(
      {
        InstallStopSignalHandlers();
        std::raise(SIGTERM);
        InstallStopSignalHandlers();
        std::raise(SIGTERM);
        std::exit(StopSignalReceived() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace

#include "platform/stop_signal.h"

#include <atomic>
#include <csignal>

namespace {

// Written from a signal handler, so it must be a lock-free atomic.
std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop request is set from a signal handler");

void OnStopSignal(int) {
  g_stopRequested.store(true, std::memory_order_relaxed);
}

}  // namespace

void InstallStopSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool StopSignalReceived() {
  return g_stopRequested.load(std::memory_order_relaxed);
}

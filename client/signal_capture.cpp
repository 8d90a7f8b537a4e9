#include "client/signal_capture.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace {

// Written from the signal handler, so a lock-free atomic.
std::atomic<int> g_requested{0};
int g_taken = 0;
static_assert(std::atomic<int>::is_always_lock_free, "the capture request is set from a signal handler");

void OnCaptureSignal(int)
{
    g_requested.fetch_add(1);
}

}  // namespace

std::string InstallSignalCapture()
{
    const char* prefix = std::getenv("ZW_CAPTURE_ON_SIGNAL");
    if (prefix == nullptr || prefix[0] == '\0') return "";
    struct sigaction action {};
    action.sa_handler = OnCaptureSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &action, nullptr);
    return prefix;
}

bool TakeSignalCaptureRequest()
{
    if (g_requested.load() <= g_taken) return false;
    ++g_taken;
    return true;
}

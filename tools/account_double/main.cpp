// The account-service double as a program of its own, for trying the client against it by hand:
// it prints its port, its pin and the lines that point "config.txt" at it, then serves until
// Ctrl+C. Usage: zw_account_double [--port N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/stop_signal.h"
#include "support/account_double/account_double.h"

int main(int argc, char** argv) {
    uint16_t port = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            const long value = std::strtol(argv[++i], nullptr, 10);
            if (value < 1 || value > 65535) {
                std::fprintf(stderr, "[double] --port takes 1..65535\n");
                return 1;
            }
            port = static_cast<uint16_t>(value);
        }
    }

    testsupport::AccountDouble double_;
    if (!double_.Start(port)) return 1;
    double_.PrintRequests(true);
    std::printf("[double] listening on https://127.0.0.1:%u\n", double_.Port());
    std::printf("[double] pin %s\n", double_.Pin().c_str());
    std::printf("# config.txt\naccount_host = 127.0.0.1\naccount_port = %u\naccount_key = %s\n", double_.Port(),
                double_.Pin().c_str());
    std::fflush(stdout);

    InstallStopSignalHandlers();
    while (!StopSignalReceived()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double_.Stop();
    std::printf("[double] stopped\n");
    return 0;
}

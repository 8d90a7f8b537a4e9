// The account-service double as a program of its own, for trying the client against it by hand:
// it serves the whole account service (registration codes are printed instead of mailed), prints
// its port, its pin, the lines that point "config.txt" at it and a demo account ready to play,
// then serves until Ctrl+C. Usage: zw_account_double [--port N] [--build N]
//   --build N   publishes build N (a generated archive); without it the running build, 84.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/stop_signal.h"
#include "support/account_double/account_double.h"
#include "support/account_double/account_service.h"
#include "support/account_double/service_routes.h"

namespace {

bool ReadNumber(const char* text, long low, long high, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && out >= low && out <= high;
}

}  // namespace

int main(int argc, char** argv) {
    long port = 0;
    long build = 84;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            if (!ReadNumber(argv[++i], 1, 65535, port)) {
                std::fprintf(stderr, "[double] --port takes 1..65535\n");
                return 1;
            }
        } else if (std::strcmp(argv[i], "--build") == 0 && i + 1 < argc) {
            if (!ReadNumber(argv[++i], 0, 1000000, build)) {
                std::fprintf(stderr, "[double] --build takes 0..1000000\n");
                return 1;
            }
        }
    }

    testsupport::AccountService service;
    service.PrintMail(true);
    service.PublishBuild(static_cast<uint32_t>(build), "Zell-War.zip", 4u << 20);
    testsupport::SeededAccount demo;
    demo.username = "demo";
    demo.password = "demo-password";
    demo.email = "demo@example.com";
    demo.screenName = "Demo";
    demo.ironCoins = 2000;
    demo.stardust = 1000;
    demo.itemDefs = {"top_hat", "utility_belt"};
    demo.vaultDefs = {"jetpack", "halo", "banner"};
    service.Seed(demo);

    testsupport::AccountDouble double_;
    testsupport::AddServiceRoutes(double_, service);
    if (!double_.Start(static_cast<uint16_t>(port))) return 1;
    double_.PrintRequests(true);
    std::printf("[double] listening on https://127.0.0.1:%u\n", double_.Port());
    std::printf("[double] pin %s\n", double_.Pin().c_str());
    std::printf("[double] demo account: username %s, password %s\n", demo.username.c_str(), demo.password.c_str());
    std::printf("# config.txt\naccount_host = 127.0.0.1\naccount_port = %u\naccount_key = %s\n", double_.Port(),
                double_.Pin().c_str());
    std::fflush(stdout);

    InstallStopSignalHandlers();
    while (!StopSignalReceived()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double_.Stop();
    std::printf("[double] stopped\n");
    return 0;
}

// The dedicated server with a slot count of its own, for load runs of the bots harness beyond the
// default 128 players: zw_load_server [--max-clients 256] [--seconds 0] [--workers 0]
// It prints the dedicated server's own lines, the tick statistics among them.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/tuning.h"
#include "net/server.h"

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    tune::Tuning tuning;
    tuning.network.maxClients = 256;
    double seconds = 0.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--max-clients") == 0) {
            tuning.network.maxClients = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--seconds") == 0) {
            seconds = std::atof(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--workers") == 0) {
            tuning.loop.workerThreads = std::atoi(argv[i + 1]);
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    return net::RunDedicatedServer(tuning, seconds);
}

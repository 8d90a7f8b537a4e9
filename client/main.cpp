#include <cstdio>

#include "client/bots_harness.h"
#include "client/config.h"
#include "client/debug_console.h"
#include "client/options.h"
#include "client/startup_overrides.h"
#include "game/asset_paths.h"
#include "game/tuning.h"
#include "net/server.h"

int main(int argc, char** argv)
{
    const Options options = ParseCommandLine(argc, argv);
    // Also leaves standard output and standard error unbuffered, which the headless modes need:
    // their lines must arrive live through a pipe.
    OpenDebugConsole(options.console || options.server || options.bots > 0);
    PrintPaths();
    const Config config = LoadConfig("config.txt");
    ApplyStartupOverrides(CollectStartupOverrides(options, config), tune::g_tuning);

    if (options.server) {
        return net::RunDedicatedServer(tune::g_tuning, options.seconds);
    }
    if (options.bots > 0) {
        return RunBots(tune::g_tuning, options);
    }
    std::printf("[client] the game window is not part of this build\n");
    return 0;
}

#include <cstdio>
#include <memory>

#include "client/bots_harness.h"
#include "client/client_startup.h"
#include "client/config.h"
#include "client/debug_console.h"
#include "client/frame_loop.h"
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
    // Large (a record per player slot), so it lives on the heap.
    const auto app = std::make_unique<ClientApp>();
    if (!StartWindowedClient(*app, options, config)) {
        return 1;
    }
    RunFrameLoop(*app, options);
    ShutDownWindowedClient(*app);
    return 0;
}

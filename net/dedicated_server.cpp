#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "net/server.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"

namespace net {

int RunDedicatedServer(const tune::Tuning& tuning, double seconds)
{
    InstallStopSignalHandlers();
    auto server = std::make_unique<Server>();
    if (!server->Start(tune::Tuning::CopyForServer(tuning))) {
        return 1;
    }
    if (seconds > 0.0) {
        // The time-limited run keeps its own schedule on the process clock and ignores the
        // running flag; only the limit or a stop signal ends it.
        const double step = 1.0 / static_cast<double>(std::max(server->tuning.loop.tickRate, 1));
        double time = SecondsSinceStart();
        const double end = time + seconds;
        double next = time;
        while (time < end && !StopSignalReceived()) {
            if (time >= next) {
                server->Update(time);
                next += step;
                time = SecondsSinceStart();
                if (time > next + 0.25) {
                    next = time;
                }
            } else {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            time = SecondsSinceStart();
        }
    } else {
        server->Run();
    }
    server->Stop();
    return 0;
}

}  // namespace net

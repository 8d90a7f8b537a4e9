#pragma once
// What the self-updater reports to the main thread: a copy of its state taken under its lock, so
// that the screens can show progress without touching the updater's threads.
#include <cstdint>
#include <string>

namespace net {

struct Updater {
    enum class State : int32_t {
        Idle = 0,
        Checking = 1,
        UpToDate = 2,  // or nothing published
        Available = 3,
        Downloading = 4,
        Verifying = 5,
        Ready = 6,  // downloaded and checked, waiting to install
        Failed = 7,
    };

    struct Status {
        State state = State::Idle;
        uint32_t latestBuild = 0;  // 0 when the service named none
        uint64_t bytesDone = 0;
        uint64_t bytesTotal = 0;  // 0 while the size is not known
        std::string message;      // one sentence for the player
    };
};

}  // namespace net

#pragma once
// The self-updater: asks the update service whether a build newer than this one is published,
// downloads its archive into a private folder under the temporary directory, checks the archive's
// SHA-256 against what the service promised, and installs it with a shell script that waits for
// the game to exit, unpacks the archive over the installation and starts the new game.
//
// Threads: the main thread calls the public operations; every check and download runs on `thread`,
// one at a time. `mutex` guards the status fields (state, latestBuild, bytesDone, bytesTotal,
// message) and the reply's sha256 and archiveName; it is never held during a transfer or while
// hashing. The main thread only ever reads a copy of the status (GetStatus).
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace net {

// Where the updater works. The defaults come from the running process; tests point them elsewhere.
struct UpdatePlaces {
    std::string tempFolder;     // $TMPDIR, else /tmp
    std::string installFolder;  // the running executable's folder; empty when it cannot be read
    int64_t awaitedPid = 0;     // the process the script waits for (this one); 0 waits for none
    std::string shell = "/bin/sh";
};

UpdatePlaces DefaultUpdatePlaces();

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

    Updater();
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // Starts a check against the service unless a check or download runs.
    void CheckForUpdate(const std::string& serviceHost, uint32_t servicePort, const std::string& servicePin);
    // Starts the download when an update is available; otherwise does nothing.
    void Download();
    // When the download is ready, writes and starts the install script; true when it started. The
    // caller then closes the game: the script waits for the awaited process to end.
    bool Install();
    // Stops a download (or a check) in flight.
    void Cancel();
    Status GetStatus() const;

    mutable std::mutex mutex;
    State state = State::Idle;
    uint32_t latestBuild = 0;
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
    std::string message;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> busy{false};
    std::string host;
    uint32_t port = 443;
    std::string pin;
    std::string sha256;       // promised by the service, lower-cased; empty: nothing promised
    std::string archivePath;  // where the archive is downloaded to
    std::string archiveName;  // from the service, cut to safe characters
    UpdatePlaces places;      // set before the first operation, then only read

private:
    void RunCheck();
    void RunDownload();
};

}  // namespace net

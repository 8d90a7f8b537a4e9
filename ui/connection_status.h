#pragma once
// The screen shown while the client is not (or no longer) connected to the game server: what is
// happening or why the server said no, and the updater's controls when the server runs a newer
// build.
#include <cstdint>

#include "online/updater.h"

namespace ui {
struct Context;
}

namespace menu {

enum ConnectionAction : int32_t {
    kConnectionNothing = 0,
    kConnectionMainMenu = 1,
    kConnectionUpdaterPrimary = 2,  // install the update, restart and install, or try again
    kConnectionStopDownload = 3,
};

// refusal: 0 none, 1 server full, 2 version mismatch (as the session keeps it); updateAvailable:
// the server's build is newer than this one. Returns a ConnectionAction.
int32_t DrawConnectionStatus(ui::Context& ctx, const char* serverText, float connectSeconds, int32_t refusal,
                             uint32_t serverProtocol, uint32_t serverBuild, bool updateAvailable,
                             const net::Updater::Status& updaterStatus);

}  // namespace menu

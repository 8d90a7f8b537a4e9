#pragma once
// The start-up update screen over the self-updater's status.
#include <cstdint>

#include "online/updater.h"

namespace ui {
struct Context;
}

namespace menu {

enum UpdateAction : int32_t {
    kUpdateNothing = 0,
    kUpdatePrimary = 1,  // download, restart and install, or try again, by the updater's state
    kUpdateStop = 2,     // stop the download
    kUpdatePlayAnyway = 3,
    kUpdateQuit = 4,
};

// required: this build must update before it can play (no PLAY ANYWAY after a failure).
// Returns an UpdateAction.
int32_t DrawUpdateScreen(ui::Context& ctx, const net::Updater::Status& status, bool required);

}  // namespace menu

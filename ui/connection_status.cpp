#include "ui/connection_status.h"

#include <cstdio>

#include "net/protocol.h"
#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

using State = net::Updater::State;

constexpr float kPanelWidth = 460.0f;
constexpr int32_t kRefusalServerFull = 1;
constexpr int32_t kRefusalVersion = 2;
// Beyond this a server that has not answered is taken to be down.
constexpr float kNoResponseSeconds = 5.0f;
constexpr double kMegabyte = 1048576.0;

struct UpdaterButton {
    const char* label = nullptr;  // null: no button in this state
    bool enabled = false;
    int32_t action = kConnectionNothing;
};

UpdaterButton UpdaterButtonFor(State state)
{
    switch (state) {
    case State::Checking:
    case State::Verifying: return {"CHECKING...", false, kConnectionNothing};
    case State::Available: return {"INSTALL UPDATE", true, kConnectionUpdaterPrimary};
    case State::Downloading: return {"STOP", true, kConnectionStopDownload};
    case State::Ready: return {"RESTART AND INSTALL", true, kConnectionUpdaterPrimary};
    case State::Failed: return {"TRY AGAIN", true, kConnectionUpdaterPrimary};
    default: return {};
    }
}

}  // namespace

int32_t DrawConnectionStatus(ui::Context& ctx, const char* serverText, float connectSeconds, int32_t refusal,
                             uint32_t serverProtocol, uint32_t serverBuild, bool updateAvailable,
                             const net::Updater::Status& updaterStatus)
{
    const float panelHeight = updateAvailable ? 252.0f : 190.0f;
    const float px = (static_cast<float>(ctx.batch.width) - kPanelWidth) / 2.0f;
    const float py = (static_cast<float>(ctx.batch.height) - panelHeight) / 2.0f;
    const float cx = px + kPanelWidth / 2.0f;

    ctx.Panel(px, py, kPanelWidth, panelHeight);

    const bool noResponse = refusal == 0 && connectSeconds > kNoResponseSeconds;
    const char* title = "CONNECTING";
    uint32_t titleColour = refusal == 0 ? kWhite : kRed;
    if (noResponse) {
        title = "NO RESPONSE";
        titleColour = kRed;
    } else if (refusal == kRefusalVersion) {
        title = updateAvailable ? "UPDATE REQUIRED" : "VERSION MISMATCH";
        titleColour = kRed;
    } else if (refusal == kRefusalServerFull) {
        title = "SERVER FULL";
        titleColour = kRed;
    }
    ctx.LabelCentered(cx, py + 30.0f, title, 3.0f, titleColour);
    ctx.LabelCentered(cx, py + 74.0f, serverText, 1.5f, kGrey);

    char detail[96];
    detail[0] = '\0';
    if (noResponse) {
        std::snprintf(detail, sizeof detail, "is the server running, and the port open?");
    } else if (refusal == kRefusalVersion && !updateAvailable) {
        std::snprintf(detail, sizeof detail, "the server needs redeploying (it speaks %u, this build %u)",
                      serverProtocol, net::kProtocolVersion);
    } else if (refusal == kRefusalVersion) {
        std::snprintf(detail, sizeof detail, "you have build %u, the server is on %u", net::kBuildNumber, serverBuild);
        char progress[96];
        const char* updaterLine =
            updaterStatus.message.empty() ? "the game can fetch it for you" : updaterStatus.message.c_str();
        if (updaterStatus.state == State::Downloading) {
            std::snprintf(progress, sizeof progress, "downloading %.0f of %.0f MB",
                          static_cast<double>(updaterStatus.bytesDone) / kMegabyte,
                          static_cast<double>(updaterStatus.bytesTotal) / kMegabyte);
            updaterLine = progress;
        }
        ctx.LabelCentered(cx, py + 118.0f, updaterLine, 1.25f, kGrey);
    } else if (refusal == kRefusalServerFull) {
        std::snprintf(detail, sizeof detail, "no free slots; try again shortly");
    }
    ctx.LabelCentered(cx, py + 98.0f, detail, 1.25f, kGrey);

    if (updateAvailable) {
        const UpdaterButton button = UpdaterButtonFor(updaterStatus.state);
        if (button.label != nullptr &&
            ctx.Button(6, px + 130.0f, py + 146.0f, 200.0f, 40.0f, button.label, button.enabled,
                       button.enabled ? kGreen : kDisabledFill, 2.0f)) {
            return button.action;
        }
    }

    if (ctx.Button(5, px + 130.0f, py + panelHeight - 56.0f, 200.0f, 40.0f, "MAIN MENU", true, kStandardFill, 2.0f)) {
        return kConnectionMainMenu;
    }
    return kConnectionNothing;
}

}  // namespace menu

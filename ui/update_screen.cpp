#include "ui/update_screen.h"

#include <algorithm>
#include <cstdio>

#include "net/protocol.h"
#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

using State = net::Updater::State;

constexpr float kPanelWidth = 520.0f;
constexpr double kMegabyte = 1048576.0;

const char* UpdateTitle(State state, bool required, bool progress)
{
    if (state == State::Failed) {
        return required ? "UPDATE FAILED" : "CANNOT CHECK";
    }
    if (state == State::Ready) {
        return "READY TO INSTALL";
    }
    if (progress) {
        return "UPDATING";
    }
    return required ? "UPDATE REQUIRED" : "CHECKING FOR UPDATES";
}

struct UpdaterButton {
    const char* label = nullptr;  // null: no button in this state
    bool enabled = false;
    int32_t action = kUpdateNothing;
};

UpdaterButton PrimaryButton(State state)
{
    switch (state) {
    case State::Idle:
    case State::Checking: return {"CHECKING...", false, kUpdateNothing};
    case State::Available: return {"DOWNLOAD UPDATE", true, kUpdatePrimary};
    case State::Downloading: return {"STOP", true, kUpdateStop};
    case State::Verifying: return {"CHECKING THE FILE...", false, kUpdateNothing};
    case State::Ready: return {"RESTART AND INSTALL", true, kUpdatePrimary};
    case State::Failed: return {"TRY AGAIN", true, kUpdatePrimary};
    default: return {};
    }
}

}  // namespace

int32_t DrawUpdateScreen(ui::Context& ctx, const net::Updater::Status& status, bool required)
{
    const State state = status.state;
    const bool soft = !required && state == State::Failed;
    const bool progress = state == State::Downloading || state == State::Verifying;
    const float panelHeight =
        (status.latestBuild != 0 ? 162.0f : 132.0f) + (progress ? 78.0f : 54.0f) + (soft ? 122.0f : 72.0f);
    const float px = (static_cast<float>(ctx.batch.width) - kPanelWidth) / 2.0f;
    const float py = (static_cast<float>(ctx.batch.height) - panelHeight) / 2.0f;
    const float cx = px + kPanelWidth / 2.0f;

    ctx.DimScreen();
    ctx.Panel(px, py, kPanelWidth, panelHeight);
    ctx.LabelCentered(cx, py + 30.0f, UpdateTitle(state, required, progress), 3.0f,
                      state == State::Failed ? kRed : kWhite);

    float y = py + 78.0f;
    if (status.latestBuild != 0) {
        char line[64];
        std::snprintf(line, sizeof line, "build %u is out, you have %u", status.latestBuild, net::kBuildNumber);
        ctx.LabelCentered(cx, y, line, 1.5f, kGrey);
        y = py + 108.0f;
    }

    char sizes[64];
    const char* statusLine = status.message.empty() ? "asking the server what it has..." : status.message.c_str();
    if (state == State::Downloading && status.bytesTotal != 0) {
        std::snprintf(sizes, sizeof sizes, "%.0f of %.0f MB", static_cast<double>(status.bytesDone) / kMegabyte,
                      static_cast<double>(status.bytesTotal) / kMegabyte);
        statusLine = sizes;
    }
    ctx.LabelCentered(cx, y, statusLine, 1.25f, kGrey);

    if (progress) {
        double fraction = 1.0;
        if (state == State::Downloading) {
            fraction = status.bytesTotal == 0
                           ? 0.0
                           : static_cast<double>(status.bytesDone) / static_cast<double>(status.bytesTotal);
        }
        fraction = std::clamp(fraction, 0.0, 1.0);
        ctx.batch.FillRect(px + 60.0f, y + 28.0f, 400.0f, 6.0f, kBarTrack);
        ctx.batch.FillRect(px + 60.0f, y + 28.0f, static_cast<float>(400.0 * fraction), 6.0f, kGreen);
        y += 52.0f;
    } else {
        y += 28.0f;
    }

    int32_t result = kUpdateNothing;
    const UpdaterButton primary = PrimaryButton(state);
    if (primary.label != nullptr &&
        ctx.Button(30, px + 140.0f, y, 240.0f, 44.0f, primary.label, primary.enabled,
                   primary.enabled ? kGreen : kDisabledFill, 2.0f)) {
        result = primary.action;
    }
    // The slot stays when a state has no button, so QUIT keeps its place at the panel's foot.
    y += 54.0f;

    if (soft) {
        if (ctx.Button(31, px + 140.0f, y, 240.0f, 40.0f, "PLAY ANYWAY", true, kStandardFill, 2.0f)) {
            result = kUpdatePlayAnyway;
        }
        y += 50.0f;
    }

    y += 8.0f;
    if (ctx.Button(32, px + 140.0f, y, 240.0f, 40.0f, "QUIT", true, kStandardFill, 2.0f)) {
        result = kUpdateQuit;
    }
    return result;
}

}  // namespace menu

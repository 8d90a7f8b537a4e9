// The connection status: what the player reads for each way a connection can stand or end, and
// the updater's button when the server runs a newer build.
#include <gtest/gtest.h>

#include "screen_driver.h"
#include "ui/connection_status.h"
#include "ui/menu_palette.h"

namespace connectionstatustest {

using State = net::Updater::State;
using uitest::ScreenDriver;

struct Connection {
    float seconds = 0.0f;
    int32_t refusal = 0;
    uint32_t protocol = 0;
    uint32_t build = 0;
    bool updateAvailable = false;
    net::Updater::Status updater{};
};

auto DrawStatus(ScreenDriver& d, const Connection& c)
{
    return [&d, &c] {
        return menu::DrawConnectionStatus(d.ctx, "10.0.0.7:27015", c.seconds, c.refusal, c.protocol, c.build,
                                          c.updateAvailable, c.updater);
    };
}

net::Updater::Status Updater(State state, const char* message = "", uint64_t done = 0, uint64_t total = 0)
{
    net::Updater::Status status;
    status.state = state;
    status.message = message;
    status.bytesDone = done;
    status.bytesTotal = total;
    return status;
}

TEST(ConnectionStatus, TitleAndDetailByTimeAndRefusal)
{
    const struct {
        Connection connection;
        const char* title;
        uint32_t colour;
        const char* detail;  // null: none
        const char* updaterLine;
        float panelHeight;
    } cases[] = {
        {{0.5f}, "CONNECTING", menu::kWhite, nullptr, nullptr, 190.0f},
        {{5.0f}, "CONNECTING", menu::kWhite, nullptr, nullptr, 190.0f},
        {{5.01f}, "NO RESPONSE", menu::kRed, "is the server running, and the port open?", nullptr, 190.0f},
        {{9.0f, 1}, "SERVER FULL", menu::kRed, "no free slots; try again shortly", nullptr, 190.0f},
        {{9.0f, 2, 40, 80}, "VERSION MISMATCH", menu::kRed,
         "the server needs redeploying (it speaks 40, this build 41)", nullptr, 190.0f},
        {{0.1f, 2, 42, 90, true, Updater(State::Available)}, "UPDATE REQUIRED", menu::kRed,
         "you have build 84, the server is on 90", "the game can fetch it for you", 252.0f},
        {{0.1f, 2, 42, 90, true, Updater(State::Failed, "The update server did not answer.")}, "UPDATE REQUIRED",
         menu::kRed, "you have build 84, the server is on 90", "The update server did not answer.", 252.0f},
        {{0.1f, 2, 42, 90, true, Updater(State::Downloading, "Downloading...", 3 * 1048576, 10 * 1048576)},
         "UPDATE REQUIRED", menu::kRed, "you have build 84, the server is on 90", "downloading 3 of 10 MB", 252.0f},
        {{0.1f, 3}, "CONNECTING", menu::kRed, nullptr, nullptr, 190.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        ScreenDriver d;
        d.Idle(DrawStatus(d, c.connection));
        const auto title = d.Find(c.title);
        ASSERT_TRUE(title);
        EXPECT_EQ(title->colour, c.colour);
        EXPECT_TRUE(d.Has("10.0.0.7:27015"));
        if (c.detail != nullptr) {
            EXPECT_TRUE(d.Has(c.detail));
        }
        if (c.updaterLine != nullptr) {
            EXPECT_TRUE(d.Has(c.updaterLine));
        }
        EXPECT_EQ(d.Panel().h, c.panelHeight);
        // Without a newer build there is nothing to do but go back.
        if (!c.connection.updateAvailable) {
            EXPECT_EQ(d.Count("MAIN MENU"), 1u);
            for (const char* label : {"CHECKING...", "INSTALL UPDATE", "STOP", "RESTART AND INSTALL", "TRY AGAIN"}) {
                EXPECT_FALSE(d.Has(label)) << label;
            }
        }
    }
}

TEST(ConnectionStatus, UpdaterButtonByStateAndWhatEachButtonReturns)
{
    const struct {
        State state;
        const char* label;  // null: no updater button
        bool enabled;
        int32_t action;
    } cases[] = {
        {State::Idle, nullptr, false, 0},
        {State::Checking, "CHECKING...", false, menu::kConnectionNothing},
        {State::UpToDate, nullptr, false, 0},
        {State::Available, "INSTALL UPDATE", true, menu::kConnectionUpdaterPrimary},
        {State::Downloading, "STOP", true, menu::kConnectionStopDownload},
        {State::Verifying, "CHECKING...", false, menu::kConnectionNothing},
        {State::Ready, "RESTART AND INSTALL", true, menu::kConnectionUpdaterPrimary},
        {State::Failed, "TRY AGAIN", true, menu::kConnectionUpdaterPrimary},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        ScreenDriver d;
        const Connection connection{0.1f, 2, 42, 90, true, Updater(c.state)};
        const auto draw = DrawStatus(d, connection);
        EXPECT_EQ(d.Idle(draw), menu::kConnectionNothing);
        if (c.label != nullptr) {
            EXPECT_TRUE(d.AllLabels(c.label, c.enabled));
            EXPECT_EQ(d.ClickText(c.label, draw), c.action);
        } else {
            // Only MAIN MENU is a 200-wide button.
            size_t buttons = 0;
            for (const uitest::SolidRect& rect : d.Rects()) {
                buttons += rect.w == 200.0f && rect.h == 40.0f ? 1 : 0;
            }
            EXPECT_EQ(buttons, 1u);
        }
        d.Idle(draw);
        EXPECT_EQ(d.ClickText("MAIN MENU", draw), menu::kConnectionMainMenu);
    }
}

}  // namespace connectionstatustest

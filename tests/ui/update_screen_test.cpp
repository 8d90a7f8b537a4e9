// The start-up update screen: title, button and progress by updater state, and what each button
// returns.
#include <string>

#include <gtest/gtest.h>

#include "screen_driver.h"
#include "ui/menu_palette.h"
#include "ui/update_screen.h"

namespace updatescreentest {

using State = net::Updater::State;
using uitest::ScreenDriver;

constexpr uint64_t kMegabyte = 1048576;

net::Updater::Status Status(State state, const char* message = "", uint64_t done = 0, uint64_t total = 0)
{
    net::Updater::Status status;
    status.state = state;
    status.latestBuild = 85;
    status.bytesDone = done;
    status.bytesTotal = total;
    status.message = message;
    return status;
}

TEST(UpdateScreen, TitleAndButtonFollowTheState)
{
    const struct {
        State state;
        bool required;
        const char* title;
        const char* button;  // null: none
        bool buttonEnabled;
        bool playAnyway;
    } cases[] = {
        {State::Idle, false, "CHECKING FOR UPDATES", "CHECKING...", false, false},
        {State::Checking, true, "UPDATE REQUIRED", "CHECKING...", false, false},
        {State::UpToDate, false, "CHECKING FOR UPDATES", nullptr, false, false},
        {State::Available, true, "UPDATE REQUIRED", "DOWNLOAD UPDATE", true, false},
        {State::Downloading, true, "UPDATING", "STOP", true, false},
        {State::Verifying, true, "UPDATING", "CHECKING THE FILE...", false, false},
        {State::Ready, true, "READY TO INSTALL", "RESTART AND INSTALL", true, false},
        {State::Failed, true, "UPDATE FAILED", "TRY AGAIN", true, false},
        {State::Failed, false, "CANNOT CHECK", "TRY AGAIN", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        ScreenDriver d;
        const net::Updater::Status status = Status(c.state);
        d.Idle([&] { return menu::DrawUpdateScreen(d.ctx, status, c.required); });
        const auto title = d.Find(c.title);
        ASSERT_TRUE(title);
        EXPECT_EQ(title->colour, c.state == State::Failed ? menu::kRed : menu::kWhite);
        if (c.button != nullptr) {
            EXPECT_TRUE(d.AllLabels(c.button, c.buttonEnabled));
        }
        EXPECT_EQ(d.Has("PLAY ANYWAY"), c.playAnyway);
        EXPECT_TRUE(d.AllLabels("QUIT", true));
        EXPECT_TRUE(d.Has("build 85 is out, you have 84"));
    }
}

TEST(UpdateScreen, UpToDateShowsOnlyQuit)
{
    ScreenDriver d;
    const net::Updater::Status status = Status(State::UpToDate, "You have the latest build.");
    d.Idle([&] { return menu::DrawUpdateScreen(d.ctx, status, false); });
    // Every button of this screen is 240 wide.
    size_t buttons = 0;
    for (const uitest::SolidRect& rect : d.Rects()) {
        buttons += rect.w == 240.0f && rect.h >= 40.0f ? 1 : 0;
    }
    EXPECT_EQ(buttons, 1u);
    EXPECT_TRUE(d.Has("QUIT"));
}

// The green bar's width over its 400-pixel track.
float BarFill(const ScreenDriver& d)
{
    const auto rects = d.Rects();
    for (size_t i = 0; i + 1 < rects.size(); ++i) {
        if (rects[i].colour == menu::kBarTrack && rects[i].w == 400.0f && rects[i + 1].colour == menu::kGreen) {
            return rects[i + 1].w;
        }
    }
    ADD_FAILURE() << "no progress bar";
    return -1.0f;
}

TEST(UpdateScreen, ProgressShowsSizesAndABarOnceTheTotalIsKnown)
{
    const struct {
        State state;
        uint64_t done, total;
        const char* line;
        float fill;
    } cases[] = {
        {State::Downloading, 3 * kMegabyte, 0, "Downloading...", 0.0f},
        {State::Downloading, 5 * kMegabyte, 10 * kMegabyte, "5 of 10 MB", 200.0f},
        {State::Downloading, 12 * kMegabyte, 10 * kMegabyte, "12 of 10 MB", 400.0f},
        {State::Verifying, 0, 0, "Checking the download...", 400.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ScreenDriver d;
        const char* message = c.state == State::Verifying ? "Checking the download..." : "Downloading...";
        const net::Updater::Status status = Status(c.state, message, c.done, c.total);
        d.Idle([&] { return menu::DrawUpdateScreen(d.ctx, status, true); });
        EXPECT_TRUE(d.Has(c.line));
        EXPECT_FLOAT_EQ(BarFill(d), c.fill);
    }

    ScreenDriver empty;
    const net::Updater::Status asking = Status(State::Checking);
    empty.Idle([&] { return menu::DrawUpdateScreen(empty.ctx, asking, true); });
    EXPECT_TRUE(empty.Has("asking the server what it has..."));
}

TEST(UpdateScreen, ButtonsReturnTheirActions)
{
    const struct {
        State state;
        bool required;
        const char* label;
        int32_t action;
    } cases[] = {
        {State::Available, true, "DOWNLOAD UPDATE", menu::kUpdatePrimary},
        {State::Downloading, true, "STOP", menu::kUpdateStop},
        {State::Ready, true, "RESTART AND INSTALL", menu::kUpdatePrimary},
        {State::Failed, true, "TRY AGAIN", menu::kUpdatePrimary},
        {State::Failed, false, "PLAY ANYWAY", menu::kUpdatePlayAnyway},
        {State::Failed, false, "QUIT", menu::kUpdateQuit},
        {State::Checking, true, "CHECKING...", menu::kUpdateNothing},
    };
    for (const auto& c : cases) {
        ScreenDriver d;
        const net::Updater::Status status = Status(c.state);
        const auto draw = [&] { return menu::DrawUpdateScreen(d.ctx, status, c.required); };
        EXPECT_EQ(d.Idle(draw), menu::kUpdateNothing);
        EXPECT_EQ(d.ClickText(c.label, draw), c.action) << c.label;
    }
}

}  // namespace updatescreentest

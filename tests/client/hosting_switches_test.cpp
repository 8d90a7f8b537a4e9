// The switches of the frame keys write the program's one global tuning record while a match runs
// on the in-process server's thread: the server plays on its own copy and never reads the global.
// Under ThreadSanitizer a read of the global from the server's thread would be reported as a race.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "client/autohost_script.h"
#include "client/frame_key_actions.h"
#include "client/game_session.h"
#include "client/input_commands.h"
#include "client/joining.h"
#include "client/options.h"
#include "platform/clock.h"
#include "render/sky_settings.h"

namespace {

TEST(HostingThreaded, SwitchesFlipTheGlobalSettingsWhileTheServerPlays)
{
    tune::Tuning& global = tune::g_tuning;
    const tune::Tuning saved = global;
    global.network.port = 0;  // any free port: other tests may hold the game port

    JoinState join;
    GameSession session;
    testing::internal::CaptureStdout();
    HostAndJoinLocal(join, session, global);
    ASSERT_TRUE(join.localServerRunning);
    ASSERT_EQ(join.screen, Screen::Joined);

    Options options;
    options.autohost = true;
    options.addBots = 2;
    options.autohostDelay = 0.2;
    AutoHostScript script;
    uint32_t tick = 0;
    int flips = 0;
    bool played = false;
    const double end = SecondsSinceStart() + 6.0;
    while (SecondsSinceStart() < end) {
        const double now = SecondsSinceStart();
        session.PollNetwork(now, nullptr);
        RunAutoHostScript(script, session, options, now);
        if (session.hasLobbyView && session.lobby.place == net::LobbyPlace::Match) {
            played = true;
            session.PredictLocalMove(DemoInputCommand(++tick, 1.0f / 64.0f, 0.0f), nullptr);
            session.SendInput(now);
        }
        ToggleLightingMode(global);
        ToggleTracerMode(global);
        if (++flips % 50 == 0) LoadSkyFile();
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    LeaveGame(join, session);
    testing::internal::GetCapturedStdout();
    global = saved;

    EXPECT_TRUE(played);
    EXPECT_FALSE(join.localServerRunning);
    EXPECT_EQ(join.screen, Screen::Title);
}

}  // namespace

// The built program itself, started as a separate process the way a host would start it, with
// its output read through pipes. Every wait is bounded; a program still running when a wait runs
// out, or when a test ends early, is killed.
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "game/asset_paths.h"
#include "game/tuning.h"
#include "support/child_program.h"
#include "support/net/scripted_client.h"
#include "support/temp_folder.h"

namespace serverprocesstest {

using testing::HasSubstr;
using testing::Not;
using testsupport::ChildProgram;
using testsupport::MonotonicSeconds;

std::string ProgramPath()
{
    return JoinPath(ExeDir(), "zellwar");
}

// Whether a socket could take the game port right now, the way the server binds it.
bool GamePortIsFree(uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (fd < 0) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    close(fd);
    return bound;
}

constexpr double kStartSeconds = 120.0;  // generous: sanitizer builds start slowly

// Everything that listens on the game port runs in this one test, one program after another:
// there is no port option, and tests run side by side must not fight over the port.
TEST(ServerProcess, RunsForItsTimeRefusesASecondServerAndStopsOnSignal)
{
    const uint16_t port = tune::Tuning{}.network.port;
    if (!GamePortIsFree(port)) {
        GTEST_SKIP() << "UDP port " << port << " is in use by another program";
    }
    const std::string program = ProgramPath();
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    const std::string listening = "[server] listening on port " + std::to_string(port) + ", ";

    {
        ChildProgram timed;
        ASSERT_TRUE(timed.Launch(program, {"--server", "--seconds", "3"}));
        EXPECT_EQ(timed.WaitForExit(kStartSeconds + 3.0), 0) << timed.Out() << timed.Err();
        EXPECT_THAT(timed.Out(), HasSubstr("[paths] assets  " + AssetsDir() + "\n"));
        EXPECT_THAT(timed.Out(), HasSubstr("[paths] shaders "));
        EXPECT_THAT(timed.Out(), HasSubstr(" worker thread(s) for the tick\n"));
        EXPECT_THAT(timed.Out(), HasSubstr(listening));
        EXPECT_THAT(timed.Out(), HasSubstr("tick 64 Hz, snapshots 30 Hz\n"));
        // The statistics line comes every 2 s of server time.
        EXPECT_THAT(timed.Out(), HasSubstr("[server] tick "));
        EXPECT_THAT(timed.Out(), HasSubstr(" | 0 players | "));
        EXPECT_EQ(timed.Err(), "");
    }

    ChildProgram first;
    ASSERT_TRUE(first.Launch(program, {"--server"}));
    // The line arrives while the server runs: output through a pipe is not held back.
    ASSERT_TRUE(first.WaitForOutput(listening, kStartSeconds)) << first.Out() << first.Err();

    ChildProgram second;
    ASSERT_TRUE(second.Launch(program, {"--server", "--seconds", "2"}));
    EXPECT_EQ(second.WaitForExit(kStartSeconds), 1) << second.Out() << second.Err();
    EXPECT_THAT(second.Err(), HasSubstr("[net] bind(" + std::to_string(port) + ") failed: "));
    EXPECT_THAT(second.Out(), Not(HasSubstr(listening)));

    // One scripted host adds eight bots and starts the match: the bots fight on their own.
    testnet::ScriptedClient host;
    ASSERT_TRUE(host.Open(port));
    host.profile.name = "Host";
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); };
    ASSERT_TRUE(host.SendConnect());
    ASSERT_TRUE(testnet::PollUntil({&host}, [&] { return host.accepted; }, pause));
    ASSERT_TRUE(host.SendLobby(net::LobbyAction::CreateRoom));
    ASSERT_TRUE(testnet::PollUntil({&host}, [&] { return host.lobby.place == net::LobbyPlace::RoomLobby; }, pause));
    for (uint8_t i = 0; i < 8; ++i) {
        ASSERT_TRUE(host.SendLobby(net::LobbyAction::AddBot, 0, i % 2));
        ASSERT_TRUE(testnet::PollUntil({&host}, [&] { return host.lobby.members.size() == i + 2u; }, pause))
            << first.Out();
    }
    ASSERT_TRUE(host.SendLobby(net::LobbyAction::StartMatch));
    const double deadline = MonotonicSeconds() + 90.0;
    bool killed = false;
    while (!killed && MonotonicSeconds() < deadline) {
        host.NextCommand();
        host.SendInput();
        host.Poll();
        killed = first.WaitForOutput(" killed player ", 0.05);
    }
    EXPECT_TRUE(killed) << first.Out();
    EXPECT_EQ(host.lobby.place, net::LobbyPlace::Match);
    EXPECT_THAT(first.Out(), HasSubstr("' added to room "));
    EXPECT_THAT(first.Out(), HasSubstr(" | 1 players | "));
    EXPECT_THAT(first.Out(), HasSubstr(" ms per tick\n"));

    // The bots harness beside it: its bots make two rooms of their own, play, and leave at the end.
    {
        ChildProgram bots;
        ASSERT_TRUE(bots.Launch(program, {"--bots", "16", "--bot-rooms", "2", "--seconds", "7"}));
        EXPECT_EQ(bots.WaitForExit(kStartSeconds + 7.0), 0) << bots.Out() << bots.Err();
        EXPECT_THAT(bots.Out(), HasSubstr("[bots] 16 clients in 2 room(s) -> 127.0.0.1:" + std::to_string(port)));
        EXPECT_THAT(bots.Out(), HasSubstr("[bots] 16/16 connected, 16 in match | down "));
        EXPECT_THAT(bots.Out(), HasSubstr(" ms of CPU per session per second over "));
        EXPECT_TRUE(first.WaitForOutput(" disconnected (client left)", 10.0)) << first.Out();
    }
    // More bots than free slots (the host and its eight bots hold nine of 128): the rest are refused.
    {
        ChildProgram crowd;
        ASSERT_TRUE(crowd.Launch(program, {"--bots", "124", "--seconds", "4"}));
        EXPECT_EQ(crowd.WaitForExit(kStartSeconds + 4.0), 0) << crowd.Out() << crowd.Err();
        size_t refusals = 0;
        for (size_t at = crowd.Err().find("[client] server full\n"); at != std::string::npos;
             at = crowd.Err().find("[client] server full\n", at + 1)) {
            ++refusals;
        }
        EXPECT_EQ(refusals, 5u) << crowd.Err();
    }

    ASSERT_TRUE(first.Signal(SIGTERM));
    EXPECT_EQ(first.WaitForExit(30.0), 0) << first.Out() << first.Err();
}

TEST(ServerProcess, DataFolderWithoutTheCombatRigStopsStartUp)
{
    const std::string program = ProgramPath();
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    // A copy of the program beside a data folder that has everything but the characters.
    testsupport::TempFolder folder;
    const std::filesystem::path root = folder.Path();
    const std::string copy = (root / "zellwar").string();
    std::error_code error;
    ASSERT_TRUE(std::filesystem::copy_file(program, copy, error)) << error.message();
    const std::string characterFolder =
        ParentDirectory(tune::Tuning{}.Armor(0).model);  // where the rig lives, inside "assets"
    ASSERT_FALSE(characterFolder.empty());
    std::filesystem::copy(AssetsDir(), root / "assets", std::filesystem::copy_options::recursive, error);
    ASSERT_FALSE(error) << error.message();
    std::filesystem::remove_all(root / "assets" / characterFolder, error);
    ASSERT_FALSE(error) << error.message();
    ASSERT_FALSE(std::filesystem::exists(root / "assets" / tune::Tuning{}.Armor(0).model));

    ChildProgram server;
    ASSERT_TRUE(server.Launch(copy, {"--server", "--seconds", "2"}));
    EXPECT_EQ(server.WaitForExit(kStartSeconds), 1) << server.Out() << server.Err();
    EXPECT_THAT(server.Out(), HasSubstr("[paths] assets  " + (root / "assets").string() + "\n"));
    EXPECT_THAT(server.Err(), HasSubstr("[combat] missing authoritative animation rig or damage volumes: " +
                                        (root / "assets").string() + "/"));
    EXPECT_THAT(server.Err(), HasSubstr("[server] cannot load authoritative combat rig\n"));
    EXPECT_THAT(server.Out(), Not(HasSubstr("[server] listening")));
}

TEST(ProgramEntry, ModesThatDoNotListen)
{
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* out;  // a line of standard output, or ""
        const char* err;  // a line of standard error, or ""
    };
    const Case cases[] = {
        // A count of 0 or less is the windowed client, which cannot start without a display.
        {{}, 1, "", "Failed to initialise GLFW\n"},
        {{"--bots", "0"}, 1, "", "Failed to initialise GLFW\n"},
        {{"--bots", "-2"}, 1, "", "Failed to initialise GLFW\n"},
        {{"--bots"}, 1, "", "Failed to initialise GLFW\n"},
        // The harness with nobody to talk to: it counts its bots, reports none connected and ends.
        {{"--bots", "3", "--connect", "127.0.0.1:1", "--seconds", "2.5"},
         0,
         "[bots] 3 clients in 1 room(s) -> 127.0.0.1:1\n[bots] 0/3 connected, 0 in match | down 0.0 KB/s total "
         "(0.00 KB/s each) | avg 0.0 visible | 0 corrections\n",
         ""},
        {{"--bots", "300", "--connect", "127.0.0.1:1", "--seconds", "0.5"}, 0, "[bots] 256 clients in 1 room(s)", ""},
        {{"--bots", "5", "--bot-rooms", "10", "--connect", "127.0.0.1:1", "--seconds", "0.5"},
         0,
         "[bots] 5 clients in 5 room(s)",
         ""},
        {{"--bots", "40", "--bot-rooms", "40", "--connect", "127.0.0.1:1", "--seconds", "0.5"},
         0,
         "[bots] at most 32 rooms; using 32\n",
         ""},
    };
    for (const Case& c : cases) {
        std::string what;
        for (const std::string& word : c.arguments) {
            what += word + " ";
        }
        ChildProgram child;
        ASSERT_TRUE(child.Launch(ProgramPath(), c.arguments, {"DISPLAY", "WAYLAND_DISPLAY"})) << what;
        EXPECT_EQ(child.WaitForExit(kStartSeconds), c.exitCode) << what << child.Out() << child.Err();
        EXPECT_THAT(child.Out(), HasSubstr("[paths] assets  ")) << what;
        EXPECT_THAT(child.Out(), HasSubstr(c.out)) << what;
        EXPECT_THAT(child.Err(), HasSubstr(c.err)) << what;
        EXPECT_THAT(child.Out(), Not(HasSubstr("[server]"))) << what;
    }
}

}  // namespace serverprocesstest

// Sessions against the real match server: two players join one room and play, the server driven
// tick by tick on the test's clock, so that prediction can be held to the server's bits; and
// hosting, joining and leaving with the in-process server on its own thread.
#include <memory>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/game_session.h"
#include "client/input_commands.h"
#include "client/joining.h"
#include "client/autohost_script.h"
#include "client/frame_steps.h"
#include "net/server.h"
#include "platform/clock.h"

namespace sessionservertest {

using testing::HasSubstr;

constexpr double kStep = 1.0 / 64.0;

struct DrivenServer {
    std::unique_ptr<net::Server> server = std::make_unique<net::Server>();
    tune::Tuning tuning;
    double now = 100.0;

    DrivenServer()
    {
        tuning.network.port = 0;
        tuning.loop.workerThreads = 1;
        testing::internal::CaptureStdout();
        const bool started = server->Start(tune::Tuning::CopyForServer(tuning));
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(started);
    }

    net::Address Address() const { return net::LoopbackAddress(server->socket.Port()); }

    // One tick: the sessions read and send, then the server reads, simulates and answers.
    void Step(std::initializer_list<GameSession*> sessions, const CollisionWorld* world)
    {
        now += kStep;
        for (GameSession* session : sessions) {
            session->PollNetwork(now, world);
        }
        server->Update(now);
    }
};

bool InPlace(const GameSession& session, net::LobbyPlace place)
{
    return session.IsConnected() && session.hasLobbyView && session.lobby.place == place;
}

// Running and weaving, no weapon out: nobody gets hurt, so the server's state is the prediction's.
InputCommand Walk(uint32_t tick, float phase)
{
    MoveIntent intent;
    intent.forward = 1.0f;
    intent.right = (tick / 50 + static_cast<uint32_t>(phase)) % 2 == 0 ? 0.6f : -0.6f;
    intent.buttons = (tick % 90 == 0) ? kButtonJump : 0;
    intent.yaw = static_cast<float>(tick % 720) * 0.5f + phase * 90.0f;
    return QuantizeMoveCommand(tick, intent);
}

TEST(SessionAgainstServer, TwoPlayersPlayAndThePredictionHoldsToTheServersBits)
{
    DrivenServer driven;
    GameSession host;
    GameSession guest;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(host.Connect(driven.tuning, driven.Address()));
    ASSERT_TRUE(guest.Connect(driven.tuning, driven.Address()));
    host.SetPlayerName("HOST");
    guest.SetPlayerName("GUEST");
    host.SetLoadout(1, 0, 0, 0);
    guest.SetLoadout(3, 0, 0, 0);

    // Into one room and into the match, through the lobby actions alone.
    const CollisionWorld* world = &driven.server->MapOfRoom(0).world;
    for (int step = 0; step < 64 * 10 && !(InPlace(host, net::LobbyPlace::Match) && InPlace(guest, net::LobbyPlace::Match));
         ++step) {
        driven.Step({&host, &guest}, world);
        if (InPlace(host, net::LobbyPlace::NoRoom) && host.pendingAction == net::LobbyAction::KeepAlive) {
            host.QueueLobbyAction(net::LobbyAction::CreateRoom, 0);
        }
        if (InPlace(guest, net::LobbyPlace::NoRoom) && InPlace(host, net::LobbyPlace::RoomLobby) &&
            guest.pendingAction == net::LobbyAction::KeepAlive) {
            guest.QueueLobbyAction(net::LobbyAction::JoinRoom, host.lobby.roomId);
        }
        if (InPlace(host, net::LobbyPlace::RoomLobby) && host.lobby.members.size() == 2 &&
            host.pendingAction == net::LobbyAction::KeepAlive) {
            host.QueueLobbyAction(net::LobbyAction::StartMatch, host.lobby.roomId);
        }
    }
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(InPlace(host, net::LobbyPlace::Match));
    ASSERT_TRUE(InPlace(guest, net::LobbyPlace::Match));
    world = &driven.server->MapOfRoom(driven.server->slots[static_cast<size_t>(host.ownSlot)].room).world;

    uint32_t tick = 0;
    uint32_t settledCorrections[2] = {0, 0};
    for (int step = 0; step < 64 * 8; ++step) {
        ++tick;
        int index = 0;
        for (GameSession* session : {&host, &guest}) {
            session->InterpolateSnapshots(driven.now);
            session->PredictLocalMove(Walk(tick, static_cast<float>(index)), world);
            session->SendInput(driven.now);
            session->DecayCorrection(static_cast<float>(kStep));
            ++index;
        }
        driven.Step({&host, &guest}, world);
        if (step == 64 * 2) {
            settledCorrections[0] = host.corrections;
            settledCorrections[1] = guest.corrections;
        }
    }
    // Entering the match may cost a correction (the spawn); after that the prediction is the
    // server's, to the bit, and the snapshots came coded against baselines.
    EXPECT_LE(settledCorrections[0], 2u);
    EXPECT_EQ(host.corrections, settledCorrections[0]);
    EXPECT_EQ(guest.corrections, settledCorrections[1]);
    EXPECT_EQ(host.lastComparedDistance, 0.0f);
    EXPECT_EQ(host.correctionOffset, glm::vec3(0.0f));
    const PlayerState& serverGuest = driven.server->slots[static_cast<size_t>(guest.ownSlot)].state;
    EXPECT_EQ(guest.own.armor, 3);
    EXPECT_EQ(serverGuest.armor, 3);

    // Each sees the other, about a tenth of a second behind.
    ASSERT_EQ(host.remotePlayers.size(), 1u);
    EXPECT_EQ(host.remotePlayers[0].id, guest.ownSlot);
    EXPECT_LT(glm::distance(host.remotePlayers[0].position, serverGuest.position), 2.0f);
    EXPECT_EQ(host.remotePlayers[0].armour, 3);
    ASSERT_EQ(guest.remotePlayers.size(), 1u);
    EXPECT_EQ(guest.remotePlayers[0].id, host.ownSlot);
    EXPECT_GT(host.displayedTick, driven.server->tick - 12);
    EXPECT_GT(host.downloadKBps, 0.0);

    // Leaving: the server frees the slot.
    const int guestSlot = guest.ownSlot;
    guest.Disconnect();
    testing::internal::CaptureStdout();
    driven.Step({&host}, world);
    EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("disconnected (client left)"));
    EXPECT_FALSE(driven.server->slots[static_cast<size_t>(guestSlot)].inUse);
}

// One player plays the scripted demo input for eight seconds in frames of `frameSeconds`, the way
// the window's loop runs: the server ticks through the frame's time, then the frame reads the
// network, takes its fixed steps (at most five; a longer backlog is dropped), predicts each and
// sends. The corrections counted after the first two seconds of the match.
uint32_t CorrectionsAtFrameTime(double frameSeconds)
{
    DrivenServer driven;
    GameSession player;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(player.Connect(driven.tuning, driven.Address()));
    const CollisionWorld* world = &driven.server->MapOfRoom(0).world;
    for (int step = 0; step < 64 * 10 && !InPlace(player, net::LobbyPlace::Match); ++step) {
        driven.Step({&player}, world);
        if (player.pendingAction != net::LobbyAction::KeepAlive) continue;
        if (InPlace(player, net::LobbyPlace::NoRoom)) player.QueueLobbyAction(net::LobbyAction::CreateRoom, 0);
        if (InPlace(player, net::LobbyPlace::RoomLobby)) {
            player.QueueLobbyAction(net::LobbyAction::StartMatch, player.lobby.roomId);
        }
    }
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(InPlace(player, net::LobbyPlace::Match));
    world = &driven.server->MapOfRoom(driven.server->slots[static_cast<size_t>(player.ownSlot)].room).world;

    const double start = driven.now;
    double clock = driven.now;
    double accumulator = 0.0;
    uint32_t tick = 0;
    uint32_t settled = 0;
    bool settledTaken = false;
    while (clock < start + 8.0) {
        clock += frameSeconds;
        while (driven.now + kStep <= clock) {
            driven.now += kStep;
            driven.server->Update(driven.now);
        }
        player.PollNetwork(clock, world);
        const int steps = TakeFixedSteps(accumulator, static_cast<float>(frameSeconds), kStep, 5);
        for (int i = 0; i < steps; ++i) {
            InputCommand command = DemoInputCommand(++tick, static_cast<float>(kStep), 0.0f);
            command.weapon = 1;
            player.PredictLocalMove(command, world);
        }
        player.SendInput(clock);
        if (!settledTaken && clock > start + 2.0) {
            settled = player.corrections;
            settledTaken = true;
        }
    }
    return player.corrections - settled;
}

TEST(SessionAgainstServer, FramesUnderFiveStepsCostNoCorrectionsAndLongerOnesDo)
{
    // Every step's command is sent, and arrives before the server needs it.
    EXPECT_EQ(CorrectionsAtFrameTime(1.0 / 60.0), 0u);
    EXPECT_EQ(CorrectionsAtFrameTime(1.0 / 30.0), 0u);
    EXPECT_EQ(CorrectionsAtFrameTime(1.0 / 20.0), 0u);
    // Frames of four and five steps: what is left under a step at the cap carries.
    EXPECT_EQ(CorrectionsAtFrameTime(1.0 / 14.0), 0u);
    EXPECT_EQ(CorrectionsAtFrameTime(1.0 / 13.0), 0u);
    // Below 64 / 5 frames a second the backlog beyond five steps is dropped, and the server's
    // clocks run ahead of the prediction's.
    EXPECT_GT(CorrectionsAtFrameTime(1.0 / 8.0), 0u);
}

TEST(SessionAgainstServer, TheAutohostScriptSetsUpItsRoomAndStartsIt)
{
    DrivenServer driven;
    GameSession host;
    Options options;
    options.autohost = true;
    options.map = 1;
    options.botSkill = 2;
    options.addBots = 3;
    options.autohostDelay = 0.5;
    AutoHostScript script;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(host.Connect(driven.tuning, driven.Address()));
    const CollisionWorld* world = &driven.server->MapOfRoom(0).world;
    int step = 0;
    for (; step < 64 * 10 && !InPlace(host, net::LobbyPlace::Match); ++step) {
        driven.Step({&host}, world);
        RunAutoHostScript(script, host, options, driven.now);
    }
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(InPlace(host, net::LobbyPlace::Match)) << log;
    EXPECT_TRUE(script.started);
    EXPECT_EQ(script.botsAdded, 3);
    EXPECT_EQ(host.lobby.settings.mapIndex, 1);
    EXPECT_EQ(host.lobby.settings.botSkill, 2);
    EXPECT_EQ(host.lobby.members.size(), 4u);
    int bots[2] = {0, 0};
    for (const net::LobbyMember& member : host.lobby.members) {
        if (member.isBot && member.side <= 1) {
            bots[member.side] += 1;
        }
    }
    EXPECT_GE(bots[0], 1);
    EXPECT_GE(bots[1], 1);
    EXPECT_GT(driven.now - 100.0, 0.5);  // not before the delay
}

TEST(Joining, HostingStartsALocalServerAndLeavingStopsIt)
{
    tune::Tuning tuning;
    tuning.network.port = 0;  // any free port for the in-process server
    tuning.loop.workerThreads = 1;
    JoinState join;
    GameSession session;
    testing::internal::CaptureStdout();
    HostAndJoinLocal(join, session, tuning);
    const bool connected = [&] {
        const double deadline = SecondsSinceStart() + 60.0;
        while (SecondsSinceStart() < deadline && !session.IsConnected()) {
            session.PollNetwork(SecondsSinceStart(), nullptr);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return session.IsConnected();
    }();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(join.localServerRunning);
    EXPECT_EQ(join.screen, Screen::Joined);
    EXPECT_EQ(join.shownAddress, "127.0.0.1");
    EXPECT_TRUE(connected);

    LeaveGame(join, session);
    EXPECT_FALSE(join.localServerRunning);
    EXPECT_EQ(join.screen, Screen::Title);
    EXPECT_EQ(session.state, GameSession::State::Idle);
    EXPECT_FALSE(join.localServer.thread.joinable());

    // Leaving from the title menu only sets the title again.
    LeaveGame(join, session);
    EXPECT_EQ(join.screen, Screen::Title);
}

TEST(Joining, ATakenPortIsJoinedAndAnEmptyAddressIsNothing)
{
    net::UdpSocket holder;  // another server's port
    ASSERT_TRUE(holder.Open(0));
    tune::Tuning tuning;
    tuning.network.port = holder.Port();
    tuning.loop.workerThreads = 1;
    JoinState join;
    GameSession session;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    HostAndJoinLocal(join, session, tuning);
    const std::string out = testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(join.localServerRunning);
    EXPECT_THAT(out, HasSubstr("[client] port " + std::to_string(holder.Port()) +
                               " already in use, joining the local server\n"));
    EXPECT_EQ(join.screen, Screen::Joined);
    EXPECT_EQ(session.server, net::LoopbackAddress(holder.Port()));
    LeaveGame(join, session);

    testing::internal::CaptureStdout();
    JoinServer(join, session, tuning);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(join.screen, Screen::Title);

    join.typedAddress = "localhost:" + std::to_string(holder.Port());
    testing::internal::CaptureStdout();
    JoinServer(join, session, tuning);
    EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("[client] joining " + join.typedAddress + "\n"));
    EXPECT_EQ(join.screen, Screen::Joined);
    EXPECT_EQ(join.shownAddress, join.typedAddress);
    EXPECT_EQ(session.server, net::LoopbackAddress(holder.Port()));
}

}  // namespace sessionservertest

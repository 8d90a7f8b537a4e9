// What the session sends, read back by a stand-in server over loop-back: the input message's bits
// and how many commands it carries, chat and command texts, the lobby action pump and the profile.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/game_session.h"
#include "net/chat_messages.h"
#include "net/input_message.h"
#include "net/lobby_messages.h"
#include "session_test_server.h"

namespace sessionsenderstest {

using sessiontest::StandInServer;

InputCommand Command(uint32_t tick)
{
    InputCommand command;
    command.tick = tick;
    command.claimedViewTick = 40 + tick;
    command.forward = 127;
    command.side = -128;  // goes out as -127
    command.buttons = kButtonFire | kButtonJump;
    command.weapon = 6;
    command.power = 2;
    command.yaw = 63715;
    command.pitch = -1092;
    return command;
}

TEST(SessionInput, TheMessageCarriesTheCommandsInTheirExactBits)
{
    StandInServer server;
    GameSession session;
    sessiontest::ConnectAs(server, session, 0, 1.0);
    session.newestSnapshotTick = 0x01020304;
    session.PredictLocalMove(Command(1), nullptr);
    session.SendInput(2.0);
    const auto sent = server.DrainOfType(net::MessageType::Input);
    ASSERT_EQ(sent.size(), 1u);

    // magic 16, type 8, acknowledged tick 32, count 4, then per command: tick 32, view tick 32,
    // forward + 127 in 8, right + 127 in 8, buttons 7, weapon 4, power 3, yaw 16, pitch 16.
    std::vector<uint32_t> expected(8, 0);
    net::BitWriter writer(expected.data(), 8);
    writer.Write(0x5447, 16);
    writer.Write(5, 8);
    writer.Write(0x01020304, 32);
    writer.Write(1, 4);
    writer.Write(1, 32);
    writer.Write(41, 32);
    writer.Write(254, 8);
    writer.Write(0, 8);
    writer.Write(9, 7);
    writer.Write(6, 4);
    writer.Write(2, 3);
    writer.Write(63715, 16);
    writer.Write(static_cast<uint16_t>(-1092), 16);
    writer.Flush();
    expected.resize(static_cast<size_t>(writer.ByteLength() / 4));
    EXPECT_EQ(sent[0].words, expected);
}

TEST(SessionInput, CountsFollowTheSettingAndEveryUnappliedCommandGoesAgain)
{
    const struct {
        int commandsPerInput;
        uint32_t predicted;      // newest predicted tick
        uint32_t applied;        // the newest command the server has applied
        int expected;
    } cases[] = {
        {3, 0, 0, 0},    // nothing predicted yet: an empty message
        {3, 1, 0, 1},    // a fresh ring holds one command
        {3, 40, 39, 3},  // the server keeps up: the three newest
        {0, 40, 39, 1},
        {20, 40, 39, 8},
        {3, 40, 34, 6},  // six not applied yet, after a lost message or a slow frame
        {3, 40, 10, 8},  // never more than the message holds
        {3, 40, 50, 3},  // an acknowledgement from before the ring was emptied
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandsPerInput * 10000 + static_cast<int>(c.predicted * 100 + c.applied));
        tune::Tuning tuning;
        tuning.network.commandsPerInput = c.commandsPerInput;
        StandInServer server;
        GameSession session;
        sessiontest::ConnectAs(server, session, 0, 1.0, tuning);
        for (uint32_t tick = 1; tick <= c.predicted; ++tick) {
            session.PredictLocalMove(Command(tick), nullptr);
        }
        session.acknowledgedInputTick = c.applied;
        session.SendInput(2.0);
        const auto sent = server.DrainOfType(net::MessageType::Input);
        ASSERT_EQ(sent.size(), 1u);
        net::BitReader reader = sent[0].Reader();
        net::InputMessage message;
        ASSERT_TRUE(net::ReadMessage(reader, message));
        ASSERT_EQ(message.count, c.expected);
        if (c.expected > 0) {
            EXPECT_EQ(message.commands[static_cast<size_t>(c.expected - 1)].tick, c.predicted);  // newest last
        }
    }
}

TEST(SessionInput, AtMostOneMessagePerTick)
{
    StandInServer server;
    GameSession session;
    sessiontest::ConnectAs(server, session, 0, 1.0);
    session.PredictLocalMove(Command(1), nullptr);
    for (double now = 5.0; now < 5.0 + 0.5 / 64.0; now += 0.001) {
        session.SendInput(now);
    }
    EXPECT_EQ(server.DrainOfType(net::MessageType::Input).size(), 1u);
}

TEST(SessionTexts, ChatIsTrimmedAndCommandsAreCut)
{
    StandInServer server;
    GameSession session;
    sessiontest::ConnectAs(server, session, 0, 1.0);

    session.SendChat((std::string(120, ' ') + "hello").c_str());  // only spaces survive the cut
    session.SendChat("   ");
    session.SendChat(nullptr);
    session.SendChat("  good game  ");
    session.SendCommand("");
    session.SendCommand(("/mute " + std::string(194, 'x')).c_str());
    session.SendBuyLevel(5, false);
    session.SendBuyLevel(2, true);

    std::vector<std::string> chat;
    std::vector<std::string> commands;
    int purchases = 0;
    for (const auto& received : server.Drain()) {
        net::BitReader reader = received.Reader();
        if (received.type == net::MessageType::Chat) {
            net::ChatMessage message;
            ASSERT_TRUE(net::ReadMessage(reader, message));
            chat.push_back(message.text);
        } else if (received.type == net::MessageType::Command) {
            net::CommandMessage message;
            ASSERT_TRUE(net::ReadMessage(reader, message));
            commands.push_back(message.line);
        } else if (received.type == net::MessageType::BuyLevel) {
            purchases += 1;
        }
    }
    EXPECT_EQ(chat, std::vector<std::string>{"good game"});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].size(), 128u);
    EXPECT_EQ(purchases, 1);
}

std::vector<net::LobbyRequestMessage> LobbyRequests(StandInServer& server)
{
    std::vector<net::LobbyRequestMessage> requests;
    for (const auto& received : server.DrainOfType(net::MessageType::LobbyRequest)) {
        net::BitReader reader = received.Reader();
        net::LobbyRequestMessage message;
        EXPECT_TRUE(net::ReadMessage(reader, message));
        requests.push_back(message);
    }
    return requests;
}

TEST(SessionLobby, AnActionRepeatsUntilTheLobbyShowsItOrThreeSecondsPass)
{
    StandInServer server;
    GameSession session;
    sessiontest::ConnectAs(server, session, 0, 1.0);
    session.QueueLobbyAction(net::LobbyAction::JoinRoom, 12);
    for (double now = 1.0; now < 1.21; now += 0.05) {
        session.PumpLobbyAction(now);
    }
    net::LobbyStateMessage lobby;
    lobby.place = net::LobbyPlace::RoomLobby;
    lobby.roomId = 12;
    server.SendTo(session, lobby);
    session.PollNetwork(1.25, nullptr);
    session.PumpLobbyAction(1.4);
    auto requests = LobbyRequests(server);
    int joins = 0;
    for (const auto& request : requests) {
        joins += request.action == net::LobbyAction::JoinRoom ? 1 : 0;
        if (request.action == net::LobbyAction::JoinRoom) {
            EXPECT_EQ(request.roomId, 12);
        }
    }
    EXPECT_EQ(joins, 3);
    EXPECT_EQ(session.pendingAction, net::LobbyAction::KeepAlive);

    // Never confirmed: sent about every 0.1 s (pumped each 25 ms) for 3 s, then dropped.
    session.QueueLobbyAction(net::LobbyAction::StartMatch, 12);
    int starts = 0;
    for (int step = 0; step <= 160; ++step) {
        session.PumpLobbyAction(2.0 + step * 0.025);
        if (step == 121) {
            starts = static_cast<int>(LobbyRequests(server).size());  // up to 5.025 s
        }
    }
    EXPECT_GE(starts, 24);
    EXPECT_LE(starts, 31);
    EXPECT_TRUE(LobbyRequests(server).empty());
    EXPECT_EQ(session.pendingAction, net::LobbyAction::KeepAlive);
}

TEST(SessionLobby, TheProfileGoesOutOnlyWhenItChanges)
{
    StandInServer server;
    GameSession session;
    sessiontest::ConnectAs(server, session, 0, 1.0);
    session.SetPlayerName("A NAME LONGER THAN FOURTEEN");
    for (int frame = 0; frame < 10; ++frame) {
        session.SetLoadout(0, 1, 8, 0);  // the defaults
    }
    EXPECT_TRUE(LobbyRequests(server).empty());
    session.SetLoadout(0, 6, 8, 0);
    session.SetLoadout(0, 6, 8, 0);
    const auto requests = LobbyRequests(server);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].action, net::LobbyAction::UpdateProfile);
    EXPECT_EQ(requests[0].primaryWeapon, 6);
    EXPECT_EQ(requests[0].name, "A NAME LONGER ");

    session.RequestRemoveMember(-1);
    session.RequestAddBot(1);
    session.RequestRemoveBot(-1);
    const auto rooms = LobbyRequests(server);
    ASSERT_EQ(rooms.size(), 2u);
    EXPECT_EQ(rooms[0].action, net::LobbyAction::AddBot);
    EXPECT_EQ(rooms[0].argument, 1);
    EXPECT_EQ(rooms[1].action, net::LobbyAction::RemoveBot);
    EXPECT_EQ(rooms[1].argument, 255);
    EXPECT_EQ(session.lobbyArgument, -1);
}

}  // namespace sessionsenderstest

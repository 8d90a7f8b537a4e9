// The session's connection over real loop-back UDP: the connect requests, acceptance, refusals,
// the kick, the silence time-out, and what is ignored on the way.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/game_session.h"
#include "net/chat_messages.h"
#include "net/connection_messages.h"
#include "net/lobby_messages.h"
#include "session_test_server.h"

namespace gamesessiontest {

using sessiontest::StandInServer;
using testing::HasSubstr;

TEST(GameSessionConnection, AsksEveryQuarterSecondUntilAcceptedOnce)
{
    StandInServer server;
    GameSession session;
    server.Attach(session);
    EXPECT_EQ(session.state, GameSession::State::Connecting);

    const struct {
        double now;
        size_t requests;
    } polls[] = {{100.0, 1}, {100.1, 0}, {100.3, 1}, {100.5, 0}, {100.6, 1}};
    for (const auto& poll : polls) {
        session.PollNetwork(poll.now, nullptr);
        const auto sent = server.DrainOfType(net::MessageType::Connect);
        EXPECT_EQ(sent.size(), poll.requests) << poll.now;
        if (!sent.empty()) {
            net::BitReader reader = sent[0].Reader();
            EXPECT_EQ(reader.Read(8), net::kProtocolVersion);
        }
    }
    EXPECT_NEAR(session.connectingSeconds, 0.6, 1e-9);

    testing::internal::CaptureStdout();
    net::AcceptMessage accept;
    accept.slot = 7;
    accept.build = 99;
    server.SendTo(session, accept);
    session.PollNetwork(100.7, nullptr);
    accept.slot = 9;
    accept.build = 5;
    server.SendTo(session, accept);
    session.PollNetwork(100.8, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[client] connected as player 7\n");
    EXPECT_TRUE(session.IsConnected());
    EXPECT_EQ(session.ownSlot, 7);
    EXPECT_EQ(session.serverBuild, 99u);
    EXPECT_TRUE(server.DrainOfType(net::MessageType::Connect).empty());
}

TEST(GameSessionConnection, RefusalsEndTheAttemptAndSayWhy)
{
    const struct {
        uint8_t reason;
        GameSession::Refusal refusal;
        uint32_t protocol;
        uint32_t build;
        const char* line;
    } cases[] = {
        {1, GameSession::Refusal::VersionMismatch, 40, 83,
         "[client] version mismatch: this build speaks 41, the server speaks 40\n"},
        {0, GameSession::Refusal::ServerFull, 0, 0, "[client] server full\n"},
        {7, GameSession::Refusal::ServerFull, 0, 0, "[client] server full\n"},
    };
    for (const auto& c : cases) {
        StandInServer server;
        GameSession session;
        server.Attach(session);
        session.PollNetwork(1.0, nullptr);
        net::RefuseMessage refuse;
        refuse.reason = c.reason;
        refuse.protocolVersion = 40;
        refuse.build = 83;
        server.SendTo(session, refuse);
        testing::internal::CaptureStderr();
        session.PollNetwork(1.1, nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
        EXPECT_EQ(session.state, GameSession::State::Idle);
        EXPECT_EQ(session.refusal, c.refusal);
        EXPECT_EQ(session.serverProtocol, c.protocol);
        EXPECT_EQ(session.serverBuild, c.build);
        EXPECT_FALSE(session.socket.IsOpen());
    }
}

TEST(GameSessionConnection, OnlyWholeServerDatagramsKeepTheConnectionAlive)
{
    StandInServer server;
    StandInServer stranger;
    GameSession session;
    sessiontest::ConnectAs(server, session, 3, 50.0);

    net::LobbyStateMessage lobby;
    lobby.ownSlot = 3;
    stranger.SendTo(session, lobby);  // another port of the same host
    const unsigned char shortDatagram[3] = {0x47, 0x54, 0x08};
    server.SendBytes(session, shortDatagram, 3);
    const uint32_t wrongMagic[2] = {0x1234, 0};
    session.PollNetwork(55.0, nullptr);
    server.SendBytes(session, wrongMagic, 8);
    session.PollNetwork(59.0, nullptr);
    EXPECT_FALSE(session.hasLobbyView);
    EXPECT_TRUE(session.IsConnected());

    testing::internal::CaptureStderr();
    session.PollNetwork(60.01, nullptr);
    session.PollNetwork(61.0, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[client] lost connection to the server\n");
    EXPECT_TRUE(session.lost);
    EXPECT_EQ(session.state, GameSession::State::Idle);
    EXPECT_TRUE(server.DrainOfType(net::MessageType::Leave).empty());  // silence gets no goodbye

    // A new attempt starts clean.
    server.Attach(session);
    EXPECT_FALSE(session.lost);
    EXPECT_EQ(session.refusal, GameSession::Refusal::None);
}

TEST(GameSessionConnection, AKickEndsThePassAndKeepsThePrintableReason)
{
    StandInServer server;
    GameSession session;
    sessiontest::ConnectAs(server, session, 2, 10.0);
    server.SendTo(session, net::KickedMessage{"spam\x07ming in chat"});
    net::ChatLineMessage line;
    line.text = "after the kick";
    server.SendTo(session, line);
    session.PollNetwork(10.1, nullptr);
    EXPECT_TRUE(session.kicked);
    EXPECT_EQ(session.kickReason, "spamming in chat");
    EXPECT_EQ(session.state, GameSession::State::Idle);
    EXPECT_TRUE(session.chatLines.empty());
    EXPECT_EQ(server.DrainOfType(net::MessageType::Leave).size(), 1u);
}

TEST(GameSessionConnection, DisconnectSaysGoodbyeOnlyWhenThereIsSomebodyToTell)
{
    StandInServer server;
    GameSession session;
    session.Disconnect();
    EXPECT_EQ(session.state, GameSession::State::Idle);

    sessiontest::ConnectAs(server, session, 1, 3.0);
    session.Disconnect();
    session.Disconnect();
    const auto sent = server.Drain();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, net::MessageType::Leave);
    EXPECT_EQ(sent[0].length, 4);
    EXPECT_EQ(session.ownSlot, -1);
}

}  // namespace gamesessiontest

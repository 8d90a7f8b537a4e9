// A real server on 127.0.0.1 driven through Update(now) with scripted clients that speak the
// project's own codec: the lobby, a running match, snapshots checked against a local replay of the
// shared movement step, and hostile traffic while a player plays.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "game/player_movement.h"
#include "game/tuning.h"
#include "net/bit_stream.h"
#include "net/player_state_codec.h"
#include "net/server.h"
#include "support/net/scripted_client.h"
#include "wire_test_util.h"

namespace {

using testnet::ScriptedClient;

class ServerMatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tuning = tune::Tuning::CopyForServer(tune::g_tuning);
        tuning.network.port = 0;
        tuning.network.serverStatistics = 0;
        tuning.loop.workerThreads = 2;
        server = std::make_unique<net::Server>();
        ASSERT_TRUE(server->Start(tuning));
        port = server->socket.Port();
        ASSERT_NE(port, 0);
    }
    void TearDown() override
    {
        if (server) server->Stop();
    }

    // One server frame 1/64 s after the previous one.
    void Tick()
    {
        now += 1.0 / tuning.loop.tickRate;
        server->Update(now);
    }
    void Ticks(int count, const std::vector<ScriptedClient*>& clients = {})
    {
        for (int i = 0; i < count; ++i) {
            Tick();
            for (ScriptedClient* client : clients) client->Poll();
        }
    }

    std::unique_ptr<ScriptedClient> Connect(const char* name, uint8_t weapon = 1)
    {
        auto client = std::make_unique<ScriptedClient>();
        EXPECT_TRUE(client->Open(port));
        client->profile.name = name;
        client->profile.primaryWeapon = weapon;
        client->profile.secondaryWeapon = 8;
        client->SendConnect();
        Ticks(2, {client.get()});
        EXPECT_TRUE(client->accepted) << name;
        return client;
    }

    // Lobby request, then frames until the next lobby state has arrived.
    void Lobby(ScriptedClient& client, net::LobbyAction action, uint16_t roomId = 0, uint8_t argument = 0,
               const std::vector<ScriptedClient*>& others = {})
    {
        client.SendLobby(action, roomId, argument);
        std::vector<ScriptedClient*> everyone = others;
        everyone.push_back(&client);
        const int before = client.lobbyStates;
        for (int i = 0; i < 40 && client.lobbyStates < before + 2; ++i) Ticks(1, everyone);
    }

    // Creates a room with the first client, lets the others join, and starts the match.
    void PlayMatch(const std::vector<ScriptedClient*>& clients)
    {
        Lobby(*clients[0], net::LobbyAction::CreateRoom, 0, 0, clients);
        const uint16_t room = clients[0]->lobby.roomId;
        ASSERT_NE(room, 0);
        for (size_t i = 1; i < clients.size(); ++i) Lobby(*clients[i], net::LobbyAction::JoinRoom, room, 0, clients);
        Lobby(*clients[0], net::LobbyAction::StartMatch, 0, 0, clients);
        for (ScriptedClient* client : clients) ASSERT_EQ(client->lobby.place, net::LobbyPlace::Match);
    }

    // Each client makes its next command (from `script`) and sends it, then the server ticks.
    template <class Script>
    void Play(const std::vector<ScriptedClient*>& clients, int ticks, Script script)
    {
        for (int t = 0; t < ticks; ++t) {
            for (size_t i = 0; i < clients.size(); ++i) {
                InputCommand& command = clients[i]->NextCommand();
                script(static_cast<int>(i), t, command);
                command.claimedViewTick = clients[i]->newestSnapshotTick;
                clients[i]->SendInput();
            }
            Ticks(1, clients);
        }
    }

    tune::Tuning tuning{};
    std::unique_ptr<net::Server> server;
    uint16_t port = 0;
    double now = 1.0;
};

std::vector<uint32_t> StateBits(const PlayerState& state)
{
    std::vector<uint32_t> words(64, 0);
    net::BitWriter writer(words.data(), static_cast<int>(words.size()));
    WritePlayerState(writer, state, false);
    writer.Flush();
    return words;
}

const net::LobbyMember* FindMember(const net::LobbyStateMessage& lobby, uint8_t slot)
{
    for (const net::LobbyMember& member : lobby.members) {
        if (member.slot == slot) return &member;
    }
    return nullptr;
}

TEST_F(ServerMatchTest, LobbyFromConnectToHostHandOver)
{
    auto first = Connect("first");
    auto second = Connect("second");
    auto third = Connect("third");
    const std::vector<ScriptedClient*> all = {first.get(), second.get(), third.get()};
    EXPECT_EQ(first->accept.build, net::kBuildNumber);
    EXPECT_NE(first->accept.slot, second->accept.slot);

    // Lobby states come five times a second of server time.
    const int before = first->lobbyStates;
    Ticks(64, all);
    EXPECT_GE(first->lobbyStates - before, 4);
    EXPECT_LE(first->lobbyStates - before, 6);
    EXPECT_EQ(first->lobby.place, net::LobbyPlace::NoRoom);

    Lobby(*first, net::LobbyAction::CreateRoom, 0, 0, all);
    ASSERT_EQ(first->lobby.place, net::LobbyPlace::RoomLobby);
    const uint16_t room = first->lobby.roomId;
    EXPECT_TRUE(first->lobby.isHost);
    Ticks(14, all);
    ASSERT_FALSE(second->lobby.rooms.empty());
    EXPECT_EQ(second->lobby.rooms[0].id, room);

    Lobby(*second, net::LobbyAction::JoinRoom, room, 0, all);
    Lobby(*third, net::LobbyAction::JoinRoom, room, 0, all);
    ASSERT_EQ(third->lobby.place, net::LobbyPlace::RoomLobby);
    EXPECT_EQ(third->lobby.members.size(), 3u);

    // The host changes the settings; only the host may.
    first->profile.settings.lives = 5;
    first->profile.settings.speedPercent = 150;
    Lobby(*first, net::LobbyAction::ChangeRoomSettings, 0, 0, all);
    second->profile.settings.lives = 9;
    Lobby(*second, net::LobbyAction::ChangeRoomSettings, 0, 0, all);
    EXPECT_EQ(third->lobby.settings.lives, 5);
    EXPECT_EQ(third->lobby.settings.speedPercent, 150);

    // Sides: the first on 0, the second on 1 (the smaller side), the third on 0; the third may move
    // to the smaller side, after which the first may not join the larger one.
    const net::LobbyMember* thirdMember = FindMember(third->lobby, third->accept.slot);
    ASSERT_NE(thirdMember, nullptr);
    EXPECT_EQ(thirdMember->side, 0);
    third->profile.wantedSide = 1;
    Lobby(*third, net::LobbyAction::SwitchSide, 0, 0, all);
    EXPECT_EQ(FindMember(third->lobby, third->accept.slot)->side, 1);
    first->profile.wantedSide = 1;
    Lobby(*first, net::LobbyAction::SwitchSide, 0, 0, all);
    EXPECT_EQ(FindMember(first->lobby, first->accept.slot)->side, 0);

    Lobby(*first, net::LobbyAction::StartMatch, 0, 0, all);
    EXPECT_EQ(second->lobby.place, net::LobbyPlace::Match);

    // The host leaves: the human with the lowest slot takes the room over.
    first->Send(net::LeaveMessage{});
    Ticks(20, all);
    EXPECT_EQ(server->CountClients(), 2);
    const uint8_t newHost = std::min(second->accept.slot, third->accept.slot);
    ScriptedClient* hostClient = newHost == second->accept.slot ? second.get() : third.get();
    EXPECT_TRUE(hostClient->lobby.isHost);
    EXPECT_EQ(hostClient->lobby.members.size(), 2u);
}

TEST_F(ServerMatchTest, ThreadedPlayFollowsTheLocalReplayBitForBit)
{
    auto runner = Connect("runner");
    auto stander = Connect("stander");
    const std::vector<ScriptedClient*> both = {runner.get(), stander.get()};
    PlayMatch(both);
    std::vector<size_t> before;
    for (ScriptedClient* client : both) before.push_back(client->snapshots.size());

    const int ticks = 192;
    Play(both, ticks, [](int client, int t, InputCommand& command) {
        if (client == 0) {
            command.forward = 127;
            command.side = static_cast<int8_t>(t % 96 < 48 ? 40 : -40);
            command.yaw = static_cast<uint16_t>(t * 300);
            command.buttons = t % 40 == 10 ? kButtonJump : 0;
        }
    });

    // A snapshot every second tick, each decodable against the baseline it names.
    for (size_t i = 0; i < both.size(); ++i) {
        EXPECT_EQ(both[i]->undecodable, 0);
        EXPECT_NEAR(static_cast<int>(both[i]->snapshots.size() - before[i]), ticks / 2, 1);
    }

    // Wherever the server ran one real command a tick between two snapshots, replaying those
    // commands from the first snapshot's own state gives the second's, bit for bit.
    const net::ServerMap& map = server->MapOfRoom(server->slots[runner->accept.slot].room);
    const float dt = 1.0f / static_cast<float>(tuning.loop.tickRate);
    int compared = 0;
    const auto& received = runner->snapshots;
    for (size_t i = 1; i < received.size(); ++i) {
        const net::SnapshotHeader& a = received[i - 1].header;
        const net::SnapshotHeader& b = received[i].header;
        const uint32_t commands = b.lastInputTick - a.lastInputTick;
        if (a.lastInputTick == 0 || commands == 0 || commands != b.serverTick - a.serverTick) continue;
        PlayerState state = received[i - 1].body.own;
        for (uint32_t tick = a.lastInputTick + 1; tick <= b.lastInputTick; ++tick) {
            MovePlayer(state, runner->commands[tick - 1], dt, server->tuning, map.world);
        }
        const PlayerState& authoritative = received[i].body.own;
        state.health = authoritative.health;
        state.team = authoritative.team;
        state.lives = authoritative.lives;
        state.respawnTicks = authoritative.respawnTicks;
        state.spawnProtectionTicks = authoritative.spawnProtectionTicks;
        state.overhealHoldTicks = authoritative.overhealHoldTicks;
        ASSERT_EQ(StateBits(state), StateBits(authoritative)) << "snapshot at tick " << b.serverTick;
        ++compared;
    }
    EXPECT_GT(compared, 60);
    EXPECT_GT(received.back().body.own.position.x * received.back().body.own.position.x +
                  received.back().body.own.position.z * received.back().body.own.position.z,
              0.0f);

    // The stander is seen by the runner; once acknowledged a player who stands still costs nothing,
    // so the runner's snapshots coded against a baseline are smaller than its first full one.
    ASSERT_EQ(received.front().header.baselineTick, net::kNoTick);
    int withBaseline = 0;
    for (size_t i = received.size() / 2; i < received.size(); ++i) {
        if (received[i].header.baselineTick != net::kNoTick) {
            ++withBaseline;
            EXPECT_LT(received[i].bytes, received.front().bytes);
        }
    }
    EXPECT_GT(withBaseline, 40);
    EXPECT_TRUE(received.back().body.view.present.test(stander->accept.slot));
    const auto& seen = stander->snapshots;
    ASSERT_FALSE(seen.empty());
    const uint8_t runnerSlot = runner->accept.slot;
    EXPECT_TRUE(seen.back().body.view.present.test(runnerSlot));
}

TEST_F(ServerMatchTest, StaleAcknowledgementsGiveSnapshotsWithoutBaseline)
{
    auto player = Connect("player");
    PlayMatch({player.get()});
    Play({player.get()}, 64, [](int, int, InputCommand&) {});
    ASSERT_FALSE(player->snapshots.empty());
    EXPECT_NE(player->snapshots.back().header.baselineTick, net::kNoTick);

    // Acknowledge one old snapshot only: once it is 32 ticks old the server codes against nothing.
    player->acknowledgeOverride = true;
    player->acknowledgedTickOverride = player->newestSnapshotTick;
    Play({player.get()}, 48, [](int, int, InputCommand&) {});
    player->snapshots.clear();
    Play({player.get()}, 8, [](int, int, InputCommand&) {});
    ASSERT_FALSE(player->snapshots.empty());
    for (const auto& snapshot : player->snapshots) EXPECT_EQ(snapshot.header.baselineTick, net::kNoTick);
}

TEST_F(ServerMatchTest, SilentClientTimesOutAfterTenSeconds)
{
    auto quiet = Connect("quiet");
    const int slot = quiet->accept.slot;
    testing::internal::CaptureStdout();
    Ticks(64 * 9);
    const bool stillThereAfterNine = server->slots[slot].inUse != 0;
    Ticks(64 * 2);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(stillThereAfterNine);
    EXPECT_EQ(server->slots[slot].inUse, 0);
    EXPECT_NE(out.find("[server] client " + std::to_string(slot) + " disconnected (timeout)"), std::string::npos);
}

TEST_F(ServerMatchTest, HostileTrafficDoesNotDisturbAPlayingClient)
{
    auto player = Connect("player");
    PlayMatch({player.get()});
    ScriptedClient intruder;
    ASSERT_TRUE(intruder.Open(port));
    std::mt19937 random(1234);

    // Datagrams that must change nothing: random bytes, cut-short copies of real messages,
    // messages from an address that holds no slot, and inputs that break the rules.
    net::InputMessage valid;
    valid.acknowledgedTick = net::kNoTick;
    valid.count = 1;
    valid.commands[0].tick = 5;
    const std::vector<uint8_t> validInput = wiretest::Encode(valid);

    const int slot = player->accept.slot;
    player->snapshots.clear();
    for (int t = 0; t < 256; ++t) {
        InputCommand& command = player->NextCommand();
        command.forward = 127;
        command.yaw = static_cast<uint16_t>(t * 100);
        player->SendInput();

        std::vector<uint8_t> noise(1 + random() % 1300);
        for (auto& byte : noise) byte = static_cast<uint8_t>(random());
        if (t % 3 == 0 && noise.size() >= 4) {
            noise[0] = 0x47;  // the magic, so the noise reaches the dispatch
            noise[1] = 0x54;
            noise[2] = static_cast<uint8_t>(random() % 28);
        }
        intruder.SendBytes(noise.data(), static_cast<int>(noise.size()));
        intruder.SendBytes(validInput.data(), static_cast<int>(validInput.size() - 4 * (t % 2)));
        intruder.Send(net::LeaveMessage{});

        // The player's own malformed extra: a tick far ahead, a weapon outside the loadout, an
        // out-of-range count or a name too long for its field.
        switch (t % 4) {
        case 0: {
            net::InputMessage ahead;
            ahead.count = 1;
            ahead.commands[0] = command;
            ahead.commands[0].tick += 100000;
            player->Send(ahead);
            break;
        }
        case 1: {
            net::InputMessage stolen;
            stolen.count = 2;
            stolen.commands[0] = command;
            stolen.commands[1] = command;  // ticks that do not increase: refused whole
            stolen.commands[1].weapon = 6;
            player->Send(stolen);
            break;
        }
        case 2:
            player->SendBytes(wiretest::Raw(net::MessageType::Input).Bits(net::kNoTick, 32).Bits(15, 4).Bytes().data(), 8);
            break;
        default: {
            const auto request = wiretest::Raw(net::MessageType::LobbyRequest).Bits(0, 4).Bits(0, 16).Bytes();
            player->SendBytes(request.data(), static_cast<int>(request.size()));
            break;
        }
        }
        Tick();
        player->Poll();
        intruder.Poll();
    }
    EXPECT_EQ(server->slots[slot].inUse, 1);
    EXPECT_EQ(server->CountClients(), 1);
    EXPECT_NEAR(static_cast<int>(player->snapshots.size()), 128, 2);
    EXPECT_EQ(player->undecodable, 0);
    EXPECT_FALSE(intruder.accepted);
    EXPECT_EQ(intruder.snapshots.size(), 0u);
    // The player moved on its real commands and holds a weapon of its loadout.
    const PlayerState& own = player->snapshots.back().body.own;
    EXPECT_TRUE(own.weapon == 1 || own.weapon == 8 || own.weapon == 0);
    EXPECT_GT(server->slots[slot].lastCommandTick, 200u);
}

}  // namespace

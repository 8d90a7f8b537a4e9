// The server's datagram intake over real loopback sockets: the handshake, the per-pass and
// per-tick budgets, input validation and queueing, acknowledgements, time-outs and leaving, and
// datagrams that must change nothing. Time moves only through the `now` handed to the server.
#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/tuning.h"
#include "net/chat_messages.h"
#include "net/connection_messages.h"
#include "net/input_message.h"
#include "net/server.h"
#include "support/net/scripted_client.h"

namespace {

// ---- helpers, named for this file ----

tune::Tuning IntakeTuning(int slots)
{
    tune::Tuning tuning = tune::Tuning::CopyForServer(tune::g_tuning);
    tuning.network.port = 0;
    tuning.network.maxClients = slots;
    tuning.network.serverStatistics = 0;
    tuning.loop.workerThreads = -1;
    tuning.movement.standingHeight = 1.75f;  // shows that a new slot takes the tuning's height
    return tuning;
}

// One command field by field, in the Input layout, so a test can send what no writer would.
struct IntakeRawCommand {
    uint32_t tick = 0;
    uint32_t viewTick = kNoViewTick;
    uint32_t forward = 127;  // wire value: axis + 127
    uint32_t side = 127;
    uint32_t buttons = 0;
    uint32_t weapon = 0;
    uint32_t power = 0;
    uint32_t yaw = 0;
    uint32_t pitch = 0;  // 16-bit pattern
};

std::vector<uint8_t> IntakeRawInput(uint32_t acknowledged, const std::vector<IntakeRawCommand>& commands,
                                    uint32_t count)
{
    std::array<uint32_t, net::kDatagramWords> words{};
    net::BitWriter writer(words.data(), static_cast<int>(words.size()));
    net::WriteHeader(writer, net::MessageType::Input);
    writer.Write(acknowledged, 32);
    writer.Write(count, 4);
    for (const IntakeRawCommand& c : commands) {
        writer.Write(c.tick, 32);
        writer.Write(c.viewTick, 32);
        writer.Write(c.forward, 8);
        writer.Write(c.side, 8);
        writer.Write(c.buttons, 7);
        writer.Write(c.weapon, 4);
        writer.Write(c.power, 3);
        writer.Write(c.yaw, 16);
        writer.Write(c.pitch, 16);
    }
    writer.Flush();
    const auto* bytes = reinterpret_cast<const uint8_t*>(words.data());
    return std::vector<uint8_t>(bytes, bytes + writer.ByteLength());
}

std::vector<uint8_t> IntakeRawInput(uint32_t acknowledged, const std::vector<IntakeRawCommand>& commands)
{
    return IntakeRawInput(acknowledged, commands, static_cast<uint32_t>(commands.size()));
}

std::vector<IntakeRawCommand> IntakeTicks(uint32_t first, uint32_t last)
{
    std::vector<IntakeRawCommand> out;
    for (uint32_t t = first; t <= last; ++t) {
        IntakeRawCommand c;
        c.tick = t;
        out.push_back(c);
    }
    return out;
}

template <class Message>
std::vector<uint8_t> IntakeEncode(const Message& message)
{
    net::MessageBuffer<Message> words{};
    const int length = net::EncodeMessage(message, words);
    const auto* bytes = reinterpret_cast<const uint8_t*>(words.data());
    return std::vector<uint8_t>(bytes, bytes + length);
}

// The ticks in a slot's input queue, oldest first.
std::vector<uint32_t> QueuedTicks(const net::ClientSlot& slot)
{
    std::vector<uint32_t> ticks;
    for (int i = 0; i < slot.queueCount; ++i) {
        ticks.push_back(slot.inputQueue[static_cast<size_t>((slot.queueHead + i) % net::kInputQueueCapacity)].tick);
    }
    return ticks;
}

std::vector<uint32_t> TickRange(uint32_t first, uint32_t last)
{
    std::vector<uint32_t> out;
    for (uint32_t t = first; t <= last; ++t) {
        out.push_back(t);
    }
    return out;
}

class ServerIntake : public ::testing::Test {
protected:
    void StartServer(int slots)
    {
        server = std::make_unique<net::Server>();
        ASSERT_TRUE(server->Start(IntakeTuning(slots)));
        ASSERT_NE(server->socket.Port(), 0);
    }
    void SetUp() override { StartServer(4); }
    void TearDown() override
    {
        if (server) {
            server->Stop();
        }
    }

    // A client on its own socket, connected and accepted.
    testnet::ScriptedClient& Connect()
    {
        clients.push_back(std::make_unique<testnet::ScriptedClient>());
        testnet::ScriptedClient& client = *clients.back();
        EXPECT_TRUE(client.Open(server->socket.Port()));
        client.SendConnect();
        Pass();
        client.Poll();
        EXPECT_TRUE(client.accepted);
        return client;
    }

    int SlotOf(const testnet::ScriptedClient& client) const
    {
        return server->FindClientByAddress(net::LoopbackAddress(client.LocalPort()));
    }

    // Puts the slot in a running match in room 0, as the lobby would.
    void PutInRunningRoom(int slot)
    {
        server->rooms[0].inUse = 1;
        server->rooms[0].id = 1;
        server->rooms[0].started = 1;
        server->slots[static_cast<size_t>(slot)].room = 0;
    }

    // One intake pass at the current time. The tick itself is left out so that nothing consumes
    // the queues under test.
    void Pass() { server->ReceivePackets(now); }
    void NextTick()
    {
        server->tick += 1;
        now += 1.0 / 64.0;
    }

    static void Send(testnet::ScriptedClient& client, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(client.SendBytes(bytes.data(), static_cast<int>(bytes.size())));
    }

    std::unique_ptr<net::Server> server;
    std::vector<std::unique_ptr<testnet::ScriptedClient>> clients;
    double now = 100.0;
};

// ---- the handshake ----

TEST_F(ServerIntake, ConnectIsAcceptedWithSlotTickAndBuild)
{
    server->tick = 77;
    testing::internal::CaptureStdout();
    testnet::ScriptedClient& first = Connect();
    testnet::ScriptedClient& second = Connect();
    const std::string log = testing::internal::GetCapturedStdout();

    EXPECT_EQ(first.accept.slot, 0);
    EXPECT_EQ(second.accept.slot, 1);
    EXPECT_EQ(first.accept.serverTick, 77u);
    EXPECT_EQ(first.accept.build, 84u);
    const net::ClientSlot& slot = server->slots[0];
    EXPECT_TRUE(slot.inUse);
    EXPECT_EQ(slot.address, net::LoopbackAddress(first.LocalPort()));
    EXPECT_EQ(slot.lastHeard, now);
    EXPECT_EQ(slot.room, -1);
    EXPECT_EQ(slot.acknowledgedTick, net::kNoTick);
    EXPECT_EQ(slot.state.height, 1.75f);
    EXPECT_EQ(slot.state.viewDistance, 3.0f);
    EXPECT_EQ(server->CountClients(), 2);
    EXPECT_NE(log.find("[server] client 0 connected from 127.0.0.1:" + std::to_string(first.LocalPort()) +
                       " (1 online)\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("[server] client 1 connected from 127.0.0.1:" + std::to_string(second.LocalPort()) +
                       " (2 online)\n"),
              std::string::npos)
        << log;
}

TEST_F(ServerIntake, RepeatedConnectGetsTheSameSlotWhateverItsProtocol)
{
    Connect();
    testnet::ScriptedClient& client = Connect();
    const double heard = server->slots[1].lastHeard;
    server->tick = 9;
    now += 3.0;
    client.accepted = false;
    client.SendConnect(7);  // a protocol this server does not speak
    Pass();
    client.Poll();
    EXPECT_TRUE(client.accepted);
    EXPECT_FALSE(client.refused);
    EXPECT_EQ(client.accept.slot, 1);
    EXPECT_EQ(client.accept.serverTick, 9u);
    EXPECT_EQ(server->CountClients(), 2);
    EXPECT_EQ(server->slots[1].lastHeard, heard);  // nothing else changes
}

TEST_F(ServerIntake, WrongProtocolIsRefusedWithVersionAndBuild)
{
    net::UdpSocket raw;
    ASSERT_TRUE(raw.Open(0));
    net::ConnectMessage connect;
    connect.protocolVersion = 40;
    const std::vector<uint8_t> bytes = IntakeEncode(connect);
    ASSERT_TRUE(raw.SendTo(net::LoopbackAddress(server->socket.Port()), bytes.data(), static_cast<int>(bytes.size())));

    testing::internal::CaptureStdout();
    Pass();
    const std::string log = testing::internal::GetCapturedStdout();

    std::array<uint32_t, net::kDatagramWords> words{};
    net::Address from;
    const int length = raw.ReceiveFrom(from, words.data(), net::kDatagramBytes);
    ASSERT_EQ(length, 8);  // header, reason, version and build: two words
    net::OpenedDatagram opened;
    ASSERT_TRUE(net::OpenClientDatagram(words.data(), length, opened));
    ASSERT_EQ(opened.type, net::MessageType::Refuse);
    net::RefuseMessage refuse;
    ASSERT_TRUE(net::ReadMessage(opened.reader, refuse));
    EXPECT_EQ(refuse.reason, 1);
    EXPECT_EQ(refuse.protocolVersion, 41);
    EXPECT_EQ(refuse.build, 84u);
    EXPECT_EQ(server->CountClients(), 0);
    EXPECT_EQ(log, "[server] refused a client speaking protocol 40; this server speaks 41\n");
}

TEST_F(ServerIntake, FullServerRefusesWithReasonZeroOnly)
{
    StartServer(0);  // clamped to one slot
    ASSERT_EQ(server->slots.size(), 1u);
    Connect();

    net::UdpSocket raw;
    ASSERT_TRUE(raw.Open(0));
    const std::vector<uint8_t> bytes = IntakeEncode(net::ConnectMessage{});
    ASSERT_TRUE(raw.SendTo(net::LoopbackAddress(server->socket.Port()), bytes.data(), static_cast<int>(bytes.size())));
    Pass();
    std::array<uint32_t, net::kDatagramWords> words{};
    net::Address from;
    const int length = raw.ReceiveFrom(from, words.data(), net::kDatagramBytes);
    ASSERT_EQ(length, 4);  // header and reason: no version, no build
    net::OpenedDatagram opened;
    ASSERT_TRUE(net::OpenClientDatagram(words.data(), length, opened));
    net::RefuseMessage refuse;
    ASSERT_TRUE(net::ReadMessage(opened.reader, refuse));
    EXPECT_EQ(refuse.reason, 0);
    EXPECT_EQ(server->CountClients(), 1);
}

TEST_F(ServerIntake, AtMostFourConnectsAreHandledInOnePass)
{
    StartServer(8);
    std::vector<testnet::ScriptedClient> waiting(6);
    for (testnet::ScriptedClient& client : waiting) {
        ASSERT_TRUE(client.Open(server->socket.Port()));
        client.SendConnect();
    }
    Pass();
    EXPECT_EQ(server->CountClients(), 4);
    // The other two were read and dropped; clients repeat Connect until they hear back.
    Pass();
    EXPECT_EQ(server->CountClients(), 4);
    waiting[4].SendConnect();
    waiting[5].SendConnect();
    Pass();
    EXPECT_EQ(server->CountClients(), 6);
}

TEST_F(ServerIntake, DatagramBudgetOfAPassIsFourPerSlotAndAtLeast64)
{
    // Four slots: the budget is 64. A Connect behind 70 junk datagrams waits for the next pass.
    testnet::ScriptedClient client;
    ASSERT_TRUE(client.Open(server->socket.Port()));
    const std::array<uint8_t, 8> junk{1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 70; ++i) {
        ASSERT_TRUE(client.SendBytes(junk.data(), static_cast<int>(junk.size())));
    }
    client.SendConnect();
    Pass();
    EXPECT_EQ(server->CountClients(), 0);
    Pass();
    EXPECT_EQ(server->CountClients(), 1);
}

TEST_F(ServerIntake, DatagramsTheSocketThrowsAwayNeitherEndNorEscapeThePass)
{
    testnet::ScriptedClient client;
    ASSERT_TRUE(client.Open(server->socket.Port()));
    const std::vector<uint8_t> overLong(net::kDatagramBytes + 4, 0);
    ASSERT_TRUE(client.SendBytes(overLong.data(), 0));  // empty
    ASSERT_TRUE(client.SendBytes(overLong.data(), static_cast<int>(overLong.size())));
    client.SendConnect();
    Pass();
    EXPECT_EQ(server->CountClients(), 1);

    // They still count against the budget: 64 empty datagrams use up a pass.
    testnet::ScriptedClient late;
    ASSERT_TRUE(late.Open(server->socket.Port()));
    for (int i = 0; i < 64; ++i) {
        ASSERT_TRUE(late.SendBytes(overLong.data(), 0));
    }
    late.SendConnect();
    Pass();
    EXPECT_EQ(server->CountClients(), 1);
    Pass();
    EXPECT_EQ(server->CountClients(), 2);
}

// ---- messages of a connected client ----

TEST_F(ServerIntake, FifthMessageOfOneTickIsIgnoredEvenALeave)
{
    testnet::ScriptedClient& client = Connect();
    const std::vector<uint8_t> idle = IntakeRawInput(net::kNoTick, {});
    for (int i = 0; i < 4; ++i) {
        Send(client, idle);
    }
    Send(client, IntakeEncode(net::LeaveMessage{}));
    Pass();
    EXPECT_EQ(server->CountClients(), 1);
    EXPECT_EQ(server->slots[0].messagesThisTick, 4);

    NextTick();
    Send(client, IntakeEncode(net::LeaveMessage{}));
    testing::internal::CaptureStdout();
    Pass();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[server] client 0 disconnected (client left)\n");
    EXPECT_EQ(server->CountClients(), 0);
}

TEST_F(ServerIntake, LeaveFreesTheSlotForTheNextClient)
{
    testnet::ScriptedClient& first = Connect();
    server->slots[0].kills = 5;
    server->slots[0].primaryWeapon = 3;
    Send(first, IntakeEncode(net::LeaveMessage{}));
    Pass();
    EXPECT_FALSE(server->slots[0].inUse);
    EXPECT_EQ(server->slots[0].kills, 0);
    EXPECT_EQ(server->slots[0].primaryWeapon, 0);
    EXPECT_EQ(server->slots[0].address, net::Address{});

    testnet::ScriptedClient& second = Connect();
    EXPECT_EQ(second.accept.slot, 0);
}

TEST_F(ServerIntake, InvalidInputIsRejectedWhole)
{
    testnet::ScriptedClient& client = Connect();
    PutInRunningRoom(0);
    const double heard = server->slots[0].lastHeard;
    now += 1.0;

    auto with = [](auto change) {
        std::vector<IntakeRawCommand> commands = IntakeTicks(1, 3);
        change(commands[1]);
        return IntakeRawInput(net::kNoTick, commands);
    };
    const int32_t limit = net::PitchLimitUnits(89.0f);
    std::vector<IntakeRawCommand> repeated = IntakeTicks(5, 12);
    repeated[2].tick = 6;  // 5, 6, 6, ...
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"ticks 5, 6, 6", IntakeRawInput(net::kNoTick, repeated)},
        {"ticks going back", with([](IntakeRawCommand& c) { c.tick = 1; })},
        {"forward 255", with([](IntakeRawCommand& c) { c.forward = 255; })},
        {"side 255", with([](IntakeRawCommand& c) { c.side = 255; })},
        {"weapon 10", with([](IntakeRawCommand& c) { c.weapon = 10; })},
        {"power 5", with([](IntakeRawCommand& c) { c.power = 5; })},
        {"pitch above the limit", with([&](IntakeRawCommand& c) { c.pitch = static_cast<uint32_t>(limit + 1); })},
        {"pitch below the limit",
         with([&](IntakeRawCommand& c) { c.pitch = static_cast<uint16_t>(static_cast<int16_t>(-limit - 1)); })},
        {"count 9", IntakeRawInput(net::kNoTick, IntakeTicks(1, 9), 9)},
        {"count above the commands sent", IntakeRawInput(net::kNoTick, IntakeTicks(1, 2), 3)},
    };
    for (const auto& [name, bytes] : cases) {
        Send(client, bytes);
        Pass();
        NextTick();
        EXPECT_EQ(server->slots[0].queueCount, 0) << name;
        EXPECT_EQ(server->slots[0].lastHeard, heard) << name;
        EXPECT_FALSE(server->slots[0].hasFirstInput) << name;
    }

    // The limits themselves are accepted.
    std::vector<IntakeRawCommand> edge = IntakeTicks(1, 3);
    edge[0].pitch = static_cast<uint32_t>(limit);
    edge[1].pitch = static_cast<uint16_t>(static_cast<int16_t>(-limit));
    edge[2].forward = 254;
    edge[2].weapon = 9;
    edge[2].power = 4;
    Send(client, IntakeRawInput(net::kNoTick, edge));
    Pass();
    EXPECT_EQ(QueuedTicks(server->slots[0]), TickRange(1, 3));
    EXPECT_EQ(server->slots[0].inputQueue[2].forward, 127);
    EXPECT_EQ(server->slots[0].lastHeard, now);
}

TEST_F(ServerIntake, InputOutsideARunningMatchOnlyKeepsTheClientAlive)
{
    testnet::ScriptedClient& client = Connect();
    now += 2.0;
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(1, 3)));
    Pass();
    EXPECT_EQ(server->slots[0].lastHeard, now);
    EXPECT_EQ(server->slots[0].queueCount, 0);

    server->rooms[0].inUse = 1;  // a room whose match has not started
    server->slots[0].room = 0;
    NextTick();
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(1, 3)));
    Pass();
    EXPECT_EQ(server->slots[0].queueCount, 0);
}

TEST_F(ServerIntake, AlreadyQueuedTicksAreSkippedOneByOne)
{
    testnet::ScriptedClient& client = Connect();
    PutInRunningRoom(0);
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(1, 3)));
    Pass();
    NextTick();
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(2, 5)));
    Pass();
    EXPECT_EQ(QueuedTicks(server->slots[0]), TickRange(1, 5));
    EXPECT_EQ(server->slots[0].lastQueuedTick, 5u);
    EXPECT_EQ(server->slots[0].latestInputTick, 5u);
}

TEST_F(ServerIntake, TwentyNewCommandsInOneTickKeepTheNewestTwelve)
{
    testnet::ScriptedClient& client = Connect();
    PutInRunningRoom(0);
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(1, 1)));
    Pass();
    // A second later the pacing allowance is far above 20 ticks; only the queue limit binds.
    now += 1.0;
    server->tick += 1;
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(2, 9)));
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(10, 17)));
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(18, 21)));
    Pass();
    EXPECT_EQ(QueuedTicks(server->slots[0]), TickRange(10, 21));
}

TEST_F(ServerIntake, CommandsRunningAheadOfRealTimeWaitForIt)
{
    testnet::ScriptedClient& client = Connect();
    PutInRunningRoom(0);
    // First command at tick 100; at the same instant the allowance is the 12-tick buffer.
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(100, 107)));
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(108, 114)));
    Pass();
    EXPECT_EQ(QueuedTicks(server->slots[0]), TickRange(101, 112));  // 113 and 114 ran ahead
    EXPECT_EQ(server->slots[0].lastQueuedTick, 112u);

    // One tick of real time later, one more tick is allowed.
    NextTick();
    Send(client, IntakeRawInput(net::kNoTick, IntakeTicks(113, 114)));
    Pass();
    EXPECT_EQ(server->slots[0].lastQueuedTick, 113u);
    EXPECT_EQ(QueuedTicks(server->slots[0]).back(), 113u);
}

TEST_F(ServerIntake, WeaponIsCheckedAgainstTheLoadoutAndPowerReplaced)
{
    testnet::ScriptedClient& client = Connect();
    PutInRunningRoom(0);
    net::ClientSlot& slot = server->slots[0];
    slot.primaryWeapon = kWeaponM4;
    slot.secondaryWeapon = kWeaponPistol;
    slot.power = kPowerShield;
    const struct {
        uint8_t asked;
        uint8_t holding;
        uint8_t expected;
    } cases[] = {
        {kWeaponNone, kWeaponSniper, kWeaponNone},        // empty hands are always allowed
        {kWeaponM4, kWeaponNone, kWeaponM4},
        {kWeaponPistol, kWeaponM4, kWeaponPistol},
        {kWeaponRpg, kWeaponPistol, kWeaponPistol},      // not in the loadout: keep what is held
        {kWeaponRpg, kWeaponNone, kWeaponNone},
        {kWeaponRpg, kWeaponSniper, kWeaponM4},          // holding something foreign: the first row
    };
    uint32_t commandTick = 1;
    for (const auto& c : cases) {
        slot.state.weapon = c.holding;
        IntakeRawCommand command;
        command.tick = commandTick++;
        command.weapon = c.asked;
        command.power = kPowerGrenade;
        Send(client, IntakeRawInput(net::kNoTick, {command}));
        Pass();
        NextTick();
        const InputCommand& queued =
            slot.inputQueue[static_cast<size_t>((slot.queueHead + slot.queueCount - 1) % net::kInputQueueCapacity)];
        EXPECT_EQ(queued.tick, command.tick);
        EXPECT_EQ(queued.weapon, c.expected) << int(c.asked) << " holding " << int(c.holding);
        EXPECT_EQ(queued.power, kPowerShield);
    }
}

// ---- acknowledgements ----

TEST_F(ServerIntake, AcknowledgementSetsTheBaselineAndTheSmallestRoundTrip)
{
    testnet::ScriptedClient& client = Connect();
    net::ClientSlot& slot = server->slots[0];
    server->tick = 200;
    // Snapshots of ticks 169..200 were recorded and sent, tick t at time t / 100.
    for (uint32_t t = 169; t <= 200; ++t) {
        net::HistoryEntry& entry = server->history[t % net::kHistoryLength];
        entry.tick = t;
        entry.time = t / 100.0;
        slot.sentTicks[t % net::kHistoryLength] = t;
    }
    auto acknowledge = [&](uint32_t tick, double at) {
        now = at;
        slot.messageTick = net::kNoTick;  // a fresh message allowance, at the same server tick
        Send(client, IntakeRawInput(tick, {}));
        Pass();
    };

    acknowledge(190, 2.15);
    EXPECT_EQ(slot.acknowledgedTick, 190u);
    EXPECT_NEAR(slot.smallestRoundTrip, 0.25, 1e-9);

    acknowledge(195, 2.50);  // later baseline, larger sample: the round trip stays
    EXPECT_EQ(slot.acknowledgedTick, 195u);
    EXPECT_NEAR(slot.smallestRoundTrip, 0.25, 1e-9);

    acknowledge(196, 2.06);  // smaller sample
    EXPECT_NEAR(slot.smallestRoundTrip, 0.10, 1e-9);

    // Each of these changes neither the baseline nor the round trip.
    slot.sentTicks[198 % net::kHistoryLength] = net::kNoTick;     // 198 was never sent to this client
    server->history[199 % net::kHistoryLength].tick = 167;         // 199's entry was overwritten
    const uint32_t ignored[] = {
        196,            // not later than the baseline
        193,            // older than the baseline
        198,            // not sent to this client
        199,            // no longer in the history
        201,            // not recorded yet
        net::kNoTick,   // none
    };
    for (uint32_t tick : ignored) {
        acknowledge(tick, 2.0);
        EXPECT_EQ(slot.acknowledgedTick, 196u) << tick;
        EXPECT_NEAR(slot.smallestRoundTrip, 0.10, 1e-9) << tick;
    }
}

TEST_F(ServerIntake, AcknowledgementOlderThan32TicksIsIgnored)
{
    testnet::ScriptedClient& client = Connect();
    net::ClientSlot& slot = server->slots[0];
    // The entry and the sent tick still name tick 168, but the server is at 200: 32 ticks old.
    server->tick = 200;
    server->history[168 % net::kHistoryLength].tick = 168;
    server->history[168 % net::kHistoryLength].time = 1.0;
    slot.sentTicks[168 % net::kHistoryLength] = 168;
    now = 1.5;
    Send(client, IntakeRawInput(168, {}));
    Pass();
    EXPECT_EQ(slot.acknowledgedTick, net::kNoTick);
    EXPECT_LT(slot.smallestRoundTrip, 0.0);

    server->tick = 199;  // 31 ticks old: taken
    slot.messageTick = net::kNoTick;
    Send(client, IntakeRawInput(168, {}));
    Pass();
    EXPECT_EQ(slot.acknowledgedTick, 168u);
    EXPECT_NEAR(slot.smallestRoundTrip, 0.5, 1e-9);
}

// ---- silence, and what keeps a client alive ----

TEST_F(ServerIntake, SilentClientTimesOutAfterTenSeconds)
{
    Connect();
    testnet::ScriptedClient& talker = Connect();
    const double connected = now;

    // The talker chats at 5 s: a message without input still counts as heard.
    now = connected + 5.0;
    net::ChatMessage chat;
    chat.text = "hello";
    Send(talker, IntakeEncode(chat));
    server->Update(now);
    EXPECT_EQ(server->slots[1].lastHeard, now);

    server->Update(connected + 10.0);
    EXPECT_EQ(server->CountClients(), 2);  // exactly the time-out is not more than it

    testing::internal::CaptureStdout();
    server->Update(connected + 10.01);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("[server] client 0 disconnected (timeout)\n"), std::string::npos) << log;
    EXPECT_FALSE(server->slots[0].inUse);
    EXPECT_TRUE(server->slots[1].inUse);

    // Bots never time out.
    server->slots[2].inUse = 1;
    server->slots[2].bot = 1;
    server->Update(connected + 100.0);
    EXPECT_TRUE(server->slots[2].inUse);
    EXPECT_FALSE(server->slots[1].inUse);
}

TEST_F(ServerIntake, MessagesThatKeepAClientAliveMustBeReadWhole)
{
    testnet::ScriptedClient& client = Connect();
    const double heard = server->slots[0].lastHeard;
    now += 4.0;

    // A chat line whose text runs past the end of the datagram overflows the reader.
    std::array<uint32_t, 2> words{};
    net::BitWriter writer(words.data(), 2);
    net::WriteHeader(writer, net::MessageType::Chat);
    writer.Write(90, 7);
    writer.Flush();
    ASSERT_TRUE(client.SendBytes(words.data(), writer.ByteLength()));
    Pass();
    EXPECT_EQ(server->slots[0].lastHeard, heard);

    NextTick();
    net::CommandMessage command;
    command.line = "/who";
    Send(client, IntakeEncode(command));
    Pass();
    EXPECT_EQ(server->slots[0].lastHeard, now);
}

// ---- hostile datagrams ----

// What a hostile datagram must not change.
struct IntakeFingerprint {
    int clients = 0;
    std::vector<net::Address> addresses;
    std::vector<double> heard;
    std::vector<std::vector<uint32_t>> queues;
    std::vector<uint32_t> acknowledged;

    explicit IntakeFingerprint(const net::Server& server)
    {
        clients = server.CountClients();
        for (const net::ClientSlot& slot : server.slots) {
            addresses.push_back(slot.address);
            heard.push_back(slot.lastHeard);
            queues.push_back(QueuedTicks(slot));
            acknowledged.push_back(slot.acknowledgedTick);
        }
    }
    bool operator==(const IntakeFingerprint&) const = default;
};

TEST_F(ServerIntake, HostileDatagramsChangeNothing)
{
    testnet::ScriptedClient& player = Connect();
    PutInRunningRoom(0);
    Send(player, IntakeRawInput(net::kNoTick, IntakeTicks(1, 3)));
    Pass();
    NextTick();
    now += 1.0;
    const IntakeFingerprint before(*server);

    testnet::ScriptedClient stranger;
    ASSERT_TRUE(stranger.Open(server->socket.Port()));
    std::mt19937 random(1234);
    std::vector<std::vector<uint8_t>> fromStranger;
    for (int i = 0; i < 40; ++i) {
        std::vector<uint8_t> bytes(4 * (1 + random() % 300));
        for (uint8_t& b : bytes) {
            b = static_cast<uint8_t>(random());
        }
        fromStranger.push_back(bytes);
    }
    std::vector<uint8_t> connect = IntakeEncode(net::ConnectMessage{});
    std::vector<uint8_t> leave = IntakeEncode(net::LeaveMessage{});
    fromStranger.push_back(leave);                                  // a stranger cannot make the player leave
    fromStranger.push_back(IntakeRawInput(net::kNoTick, IntakeTicks(4, 6)));  // nor play for it
    std::vector<uint8_t> ragged = connect;
    ragged.push_back(0);
    fromStranger.push_back(ragged);                                 // not a multiple of 4
    std::vector<uint8_t> overLong(net::kDatagramBytes + 4, 0);
    std::copy(connect.begin(), connect.end(), overLong.begin());
    fromStranger.push_back(overLong);                               // above 1200 bytes
    std::vector<uint8_t> wrongMagic = connect;
    wrongMagic[0] ^= 0x01;
    fromStranger.push_back(wrongMagic);
    fromStranger.push_back({});                                     // empty

    for (const std::vector<uint8_t>& bytes : fromStranger) {
        stranger.SendBytes(bytes.data(), static_cast<int>(bytes.size()));
        Pass();
    }
    EXPECT_TRUE(before == IntakeFingerprint(*server));

    // From the player itself: truncated, wrong magic and short datagrams change nothing either.
    const std::vector<uint8_t> input = IntakeRawInput(net::kNoTick, IntakeTicks(4, 8));
    std::vector<uint8_t> truncated(input.begin(), input.begin() + 16);
    std::vector<uint8_t> playerWrongMagic = input;
    playerWrongMagic[1] ^= 0x80;
    std::vector<uint8_t> playerLeaveRagged = leave;
    playerLeaveRagged.resize(6);
    for (const std::vector<uint8_t>* bytes : {&truncated, &playerWrongMagic, &playerLeaveRagged}) {
        NextTick();
        Send(player, *bytes);
        Pass();
    }
    // A spoofed sender handed straight to the dispatch: the player's address with another port.
    int connects = net::kMaxConnectsPerPass;
    net::Address spoofed = net::LoopbackAddress(static_cast<uint16_t>(player.LocalPort() + 1));
    server->HandleDatagram(spoofed, leave.data(), static_cast<int>(leave.size()), now, connects);
    server->HandleDatagram(net::Address{}, leave.data(), static_cast<int>(leave.size()), now, connects);
    EXPECT_TRUE(before == IntakeFingerprint(*server));
    // Bots carry the zero address; a datagram claiming it does not speak for them.
    server->slots[3].inUse = 1;
    server->slots[3].bot = 1;
    server->HandleDatagram(net::Address{}, leave.data(), static_cast<int>(leave.size()), now, connects);
    EXPECT_TRUE(server->slots[3].inUse);
    server->slots[3] = net::ClientSlot{};

    // A datagram of exactly 1200 bytes is still taken.
    NextTick();
    std::vector<uint8_t> full = IntakeRawInput(net::kNoTick, IntakeTicks(4, 5));
    full.resize(net::kDatagramBytes, 0);
    Send(player, full);
    Pass();
    EXPECT_EQ(QueuedTicks(server->slots[0]), TickRange(1, 5));
}

}  // namespace

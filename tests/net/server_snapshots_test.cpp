// The server's history, area-of-interest grid and snapshots, received on a real UDP socket and
// read back with the codec's own reader against the baselines the receiver holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "net/bit_stream.h"
#include "net/player_state_codec.h"
#include "net/protocol.h"
#include "net/server.h"
#include "net/snapshot_codec.h"
#include "net/udp_socket.h"
#include "server_bare_setup.h"

namespace snaptest {

// 24 header bits, the snapshot header (16 + 3 x 32), the own state, and the two end bits.
constexpr int kEmptySnapshotBits = 24 + 16 + 96 + kPlayerStateBits + 2;

int WholeWordBytes(int bits)
{
    return (bits + 31) / 32 * 4;
}

struct Received {
    int length = 0;
    net::SnapshotHeader header;
    net::SnapshotBody body;
};

class ServerSnapshotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(net::StartupSockets());
        server = baresrv::MakeBareServer(256);
        baresrv::UseGreybox(*server, {{{0.0f, 0.0f, 0.0f}, 0.0f, kTeamRed}});
        ASSERT_TRUE(server->socket.Open(0));
        ASSERT_TRUE(receiver.Open(0));
        baresrv::OpenRoom(*server, 0, true);
        baresrv::OpenRoom(*server, 1, true);
        net::ClientSlot& viewer = Put(0, 0, 0.0f, 0.0f);
        viewer.bot = 0;
        viewer.address = net::LoopbackAddress(receiver.Port());
    }

    // A player at (x, 0, z), alive, in a running room; a bot, so it gets no snapshots itself.
    net::ClientSlot& Put(int slot, int room, float x, float z)
    {
        net::ClientSlot& client = server->slots[static_cast<size_t>(slot)];
        client.inUse = 1;
        client.bot = 1;
        client.room = room;
        client.state.position = glm::vec3(x, 0.0f, z);
        client.state.health = 100;
        client.state.respawnTicks = 0;
        client.state.weapon = 1;
        return client;
    }

    // Two ticks of history, then the snapshot pass of the second (a snapshot tick at 64/30 Hz).
    void Advance()
    {
        for (int i = 0; i < 2; ++i) {
            server->tick += 1;
            server->now += 1.0 / 64.0;
            server->RecordHistory();
        }
        server->BuildSnapshot(server->now);
    }

    // The viewer's next datagram, read against the views it holds.
    bool Receive(Received& out)
    {
        std::array<uint32_t, 512> words{};
        net::Address from;
        int length = net::UdpSocket::kNothingWaiting;
        for (int i = 0; i < 1000 && length == net::UdpSocket::kNothingWaiting; ++i) {
            length = receiver.ReceiveFrom(from, words.data(), static_cast<int>(sizeof words));
        }
        if (length <= 0) {
            return false;
        }
        out.length = length;
        net::OpenedDatagram opened;
        if (!net::OpenClientDatagram(words.data(), length, opened) || opened.type != net::MessageType::Snapshot ||
            !net::ReadSnapshotHeader(opened.reader, out.header)) {
            return false;
        }
        const net::SnapshotView* baseline = nullptr;
        if (out.header.baselineTick != net::kNoTick) {
            const auto found = views.find(out.header.baselineTick);
            if (found == views.end()) {
                return false;
            }
            baseline = &found->second;
        }
        if (!net::ReadSnapshotBody(opened.reader, baseline, out.body)) {
            return false;
        }
        views[out.header.serverTick] = out.body.view;
        return true;
    }

    bool NothingWaiting()
    {
        std::array<uint32_t, 512> words{};
        net::Address from;
        return receiver.ReceiveFrom(from, words.data(), static_cast<int>(sizeof words)) == net::UdpSocket::kNothingWaiting;
    }

    // What the viewer should see: every player it was told about, exactly as recorded.
    void ExpectViewMatchesHistory(const Received& snapshot)
    {
        const net::HistoryEntry& entry = server->history[snapshot.header.serverTick % net::kHistoryLength];
        ASSERT_EQ(entry.tick, snapshot.header.serverTick);
        for (int p = 0; p < net::kMaxPlayers; ++p) {
            if (snapshot.body.view.present.test(static_cast<size_t>(p))) {
                ASSERT_EQ(snapshot.body.view.records[static_cast<size_t>(p)], entry.records[static_cast<size_t>(p)])
                    << "player " << p;
            }
        }
    }

    net::ClientSlot& Viewer() { return server->slots[0]; }

    std::unique_ptr<net::Server> server;
    net::UdpSocket receiver;
    std::map<uint32_t, net::SnapshotView> views;
};

TEST_F(ServerSnapshotTest, FirstSnapshotDescribesNearbyPlayersInFullWithoutRemovals)
{
    Put(1, 0, 10.0f, 0.0f);
    Put(2, 0, -30.0f, 100.0f);
    Put(3, 0, 0.0f, -139.0f);
    Put(4, 0, 141.0f, 0.0f);             // beyond the relevance radius
    Put(5, 1, 5.0f, 0.0f);               // another room
    Put(6, 0, 3.0f, 0.0f).state.health = 0;  // dead
    Put(7, 0, 4.0f, 4.0f).inUse = 0;    // free slot
    Viewer().lastCommandTick = 4321;
    Viewer().burningUntil = 1000.0;
    Viewer().state.ammo = 17;

    Advance();
    Received snapshot;
    ASSERT_TRUE(Receive(snapshot));
    EXPECT_EQ(snapshot.header.serverTick, 2u);
    EXPECT_EQ(snapshot.header.baselineTick, net::kNoTick);
    EXPECT_EQ(snapshot.header.sequence, 0);
    EXPECT_EQ(snapshot.header.lastInputTick, 4321u);
    EXPECT_EQ(snapshot.body.own.ammo, 17);
    EXPECT_TRUE(snapshot.body.ownBurning);
    net::PlayerMask expected;
    expected.set(1).set(2).set(3);
    EXPECT_EQ(snapshot.body.view.present, expected);
    ExpectViewMatchesHistory(snapshot);

    const net::ClientSlot& viewer = Viewer();
    EXPECT_EQ(viewer.snapshotSequence, 1);
    EXPECT_EQ(viewer.snapshotsSent, 1u);
    EXPECT_EQ(viewer.snapshotBytes, static_cast<uint64_t>(snapshot.length) + 28u);
    EXPECT_EQ(viewer.sentTicks[2], 2u);
    EXPECT_EQ(viewer.sentMasks[2], expected);
    EXPECT_EQ(server->statsBytesSent, static_cast<uint64_t>(snapshot.length) + 28u);
    EXPECT_TRUE(NothingWaiting());  // bots get nothing
}

TEST_F(ServerSnapshotTest, OnlySnapshotTicksOfRunningRoomsSendAnything)
{
    Put(1, 0, 10.0f, 0.0f);
    server->tick = 3;
    server->RecordHistory();
    server->BuildSnapshot(server->now);
    EXPECT_TRUE(NothingWaiting());
    server->rooms[0].started = 0;
    server->tick = 4;
    server->RecordHistory();
    server->BuildSnapshot(server->now);
    EXPECT_TRUE(NothingWaiting());
    EXPECT_EQ(Viewer().snapshotsSent, 0u);
}

TEST_F(ServerSnapshotTest, UnchangedPlayersCostNothingAgainstTheAcknowledgedSnapshot)
{
    Put(1, 0, 10.0f, 0.0f);
    Put(2, 0, 20.0f, 0.0f);
    Advance();
    Received first;
    ASSERT_TRUE(Receive(first));
    Viewer().acknowledgedTick = first.header.serverTick;

    Advance();
    Received second;
    ASSERT_TRUE(Receive(second));
    EXPECT_EQ(second.header.baselineTick, first.header.serverTick);
    EXPECT_EQ(second.length, WholeWordBytes(kEmptySnapshotBits));
    EXPECT_EQ(second.body.view.present, first.body.view.present);
    ExpectViewMatchesHistory(second);
    // Marked as described, so the snapshot after it can still code against it.
    EXPECT_TRUE(Viewer().sentMasks[second.header.serverTick % net::kHistoryLength].test(1));
    EXPECT_TRUE(Viewer().sentMasks[second.header.serverTick % net::kHistoryLength].test(2));
    Viewer().acknowledgedTick = second.header.serverTick;
    server->slots[2].state.position.y = 0.5f;
    Advance();
    Received third;
    ASSERT_TRUE(Receive(third));
    EXPECT_EQ(third.header.baselineTick, second.header.serverTick);
    EXPECT_EQ(third.body.view.present, first.body.view.present);
    ExpectViewMatchesHistory(third);
}

TEST_F(ServerSnapshotTest, PositionChangesUseTheShortFormUpTo4095AndTheLongFormBeyond)
{
    const struct {
        float dx;
        bool longForm;
    } cases[] = {
        {7.0f, false},   // 1792 / 256 m: zigzag 3584
        {-8.0f, false},  // -2048: zigzag 4095
        {8.0f, true},    // 2048: zigzag 4096
        {10.0f, true},   // 2560: zigzag 5120, sent as the absolute value
    };
    Put(1, 0, 10.0f, 0.0f);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dx);
        server->slots[1].state.position.x = 10.0f;
        Advance();
        Received base;
        ASSERT_TRUE(Receive(base));
        Viewer().acknowledgedTick = base.header.serverTick;
        server->slots[1].state.position.x = 10.0f + c.dx;
        Advance();
        Received moved;
        ASSERT_TRUE(Receive(moved));
        ASSERT_EQ(moved.header.baselineTick, base.header.serverTick);
        // Entry: present, slot, against the baseline, change mask; x in its form.
        const int entryBits = 1 + 8 + 1 + 9 + 1 + (c.longForm ? 22 : 12);
        EXPECT_EQ(moved.length, WholeWordBytes(kEmptySnapshotBits + entryBits));
        EXPECT_EQ(moved.body.view.records[1].x, static_cast<int32_t>(std::lround((10.0f + c.dx) * 256.0f)));
        ExpectViewMatchesHistory(moved);
        Viewer().acknowledgedTick = moved.header.serverTick;
    }
}

TEST_F(ServerSnapshotTest, BudgetCutLeavesFarPlayersOutAndRemovesThemFromTheView)
{
    // 250 players on a spiral, each a little farther out than the last: far more than one
    // snapshot's budget. Rank r stands 0.5 r metres from the viewer.
    const auto place = [&](int slot, int rank) {
        const float angle = static_cast<float>(rank) * 2.399963f;
        const float radius = 0.5f * static_cast<float>(rank);
        server->slots[static_cast<size_t>(slot)].state.position =
            glm::vec3(std::cos(angle) * radius, 0.0f, std::sin(angle) * radius);
    };
    for (int i = 1; i <= 250; ++i) {
        Put(i, 0, 0.0f, 0.0f).state.yaw = static_cast<float>(i);
        place(i, i);
    }
    Advance();
    Received first;
    ASSERT_TRUE(Receive(first));
    const size_t described = first.body.view.present.count();
    ASSERT_GT(described, 10u);
    ASSERT_LT(described, 120u);
    for (size_t i = 1; i <= described; ++i) {
        EXPECT_TRUE(first.body.view.present.test(i)) << "nearest first: " << i;
    }
    EXPECT_LE(first.length, net::kDatagramBytes);
    ExpectViewMatchesHistory(first);
    Viewer().acknowledgedTick = first.header.serverTick;

    // The order turns round: the described ones are now the farthest and are never reached.
    for (int i = 1; i <= 250; ++i) {
        place(i, 251 - i);
    }
    Advance();
    Received second;
    ASSERT_TRUE(Receive(second));
    EXPECT_EQ(second.header.baselineTick, first.header.serverTick);
    EXPECT_LE(second.length, net::kDatagramBytes);
    for (size_t i = 1; i <= described; ++i) {
        EXPECT_FALSE(second.body.view.present.test(i)) << "removed: " << i;
    }
    EXPECT_TRUE(second.body.view.present.test(250));
    EXPECT_GT(second.body.view.present.count(), 10u);
    EXPECT_EQ(second.body.view.present, Viewer().sentMasks[second.header.serverTick % net::kHistoryLength]);
    ExpectViewMatchesHistory(second);

    // Not acknowledged again: the next snapshot still codes against the first and is read right.
    Advance();
    Received third;
    ASSERT_TRUE(Receive(third));
    EXPECT_EQ(third.header.baselineTick, first.header.serverTick);
    EXPECT_EQ(third.body.view.present, second.body.view.present);
    ExpectViewMatchesHistory(third);
}

TEST_F(ServerSnapshotTest, AcknowledgementOlderThan32TicksGivesNoBaseline)
{
    Put(1, 0, 10.0f, 0.0f);
    Advance();
    Received acknowledged;
    ASSERT_TRUE(Receive(acknowledged));
    Viewer().acknowledgedTick = acknowledged.header.serverTick;
    for (int i = 0; i < 15; ++i) {  // 30 ticks later: still a baseline
        Advance();
        Received snapshot;
        ASSERT_TRUE(Receive(snapshot));
        EXPECT_EQ(snapshot.header.baselineTick, acknowledged.header.serverTick);
    }
    Advance();  // 32 ticks later
    Received stale;
    ASSERT_TRUE(Receive(stale));
    EXPECT_EQ(stale.header.serverTick - acknowledged.header.serverTick, 32u);
    EXPECT_EQ(stale.header.baselineTick, net::kNoTick);
    EXPECT_TRUE(stale.body.view.present.test(1));
    ExpectViewMatchesHistory(stale);

    // An acknowledgement whose history entry was overwritten counts as none as well.
    Viewer().acknowledgedTick = stale.header.serverTick - 2;
    server->history[(stale.header.serverTick - 2) % net::kHistoryLength].tick = 12345;
    Advance();
    Received overwritten;
    ASSERT_TRUE(Receive(overwritten));
    EXPECT_EQ(overwritten.header.baselineTick, net::kNoTick);
}

TEST_F(ServerSnapshotTest, CrowdedChangingRoomNeverOverflowsADatagram)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> place(-90.0f, 90.0f);
    std::uniform_real_distribution<float> angle(-180.0f, 180.0f);
    for (int i = 1; i < 256; ++i) {
        Put(i, 0, place(random), place(random));
    }
    int largest = 0;
    for (int round = 0; round < 40; ++round) {
        for (int i = 1; i < 256; ++i) {
            net::ClientSlot& client = server->slots[static_cast<size_t>(i)];
            if (random() % 3 != 0) {
                client.state.position.x += place(random) * (round % 4 == 0 ? 1.0f : 0.01f);
                client.state.yaw = angle(random);
                client.state.velocity.x = place(random) * 0.1f;
            }
            client.state.crouching = static_cast<uint8_t>(random() % 2);
        }
        Advance();
        Received snapshot;
        ASSERT_TRUE(Receive(snapshot)) << "round " << round;
        largest = std::max(largest, snapshot.length);
        ExpectViewMatchesHistory(snapshot);
        // Acknowledge most snapshots, now and then one a few ticks old.
        if (round % 5 != 4) {
            Viewer().acknowledgedTick = snapshot.header.serverTick - (round % 3 == 0 ? 2u : 0u);
        }
    }
    EXPECT_LE(largest, net::kDatagramBytes);
    EXPECT_GT(largest, 1000);  // the budget was reached
}

TEST_F(ServerSnapshotTest, GridFindsEveryoneWithinTheRadiusAndNobodyElse)
{
    // Set up on first use from the tuning.
    EXPECT_TRUE(server->gridCells.empty());
    server->BuildPlayerGrid();
    EXPECT_EQ(server->gridCellsPerSide, 15);
    EXPECT_EQ(server->gridCellSize, 140.0f);
    EXPECT_EQ(server->gridCells.size(), 225u);

    Viewer().state.position = glm::vec3(70.0f, 0.0f, 70.0f);  // the corner of a cell
    Put(1, 0, 209.9f, 70.0f);                      // 139.9 m, two cells over along x
    Put(2, 0, 210.1f, 70.0f);                      // 140.1 m
    Put(3, 0, 70.0f + 99.0f, 70.0f + 99.0f);       // 140.007 m diagonally
    Put(4, 0, 70.0f - 98.0f, 70.0f - 98.0f);       // 138.6 m diagonally
    Put(5, 1, 71.0f, 70.0f);                       // another room
    Put(6, 0, 72.0f, 70.0f).state.respawnTicks = 5;  // waiting to respawn
    Put(7, 0, 70.0f, 70.0f + 140.0f);              // exactly on the radius
    server->BuildPlayerGrid();
    std::vector<int> found;
    server->GatherNearbyPlayers(0, found);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<int>{1, 4, 7}));

    // Beyond the grid's edge everybody shares the edge cells, and distances still decide.
    Viewer().state.position = glm::vec3(1020.0f, 0.0f, 0.0f);
    Put(8, 0, 1100.0f, 0.0f);
    Put(9, 0, 3000.0f, 0.0f);
    Put(10, 0, std::nanf(""), 0.0f);
    server->BuildPlayerGrid();
    server->GatherNearbyPlayers(0, found);
    EXPECT_EQ(found, (std::vector<int>{8}));

    // A small radius still gets cells of at least 8 m.
    server->gridCells.clear();
    server->tuning.network.interestRadius = 5.0f;
    server->BuildPlayerGrid();
    EXPECT_EQ(server->gridCellSize, 8.0f);
    EXPECT_EQ(server->gridCellsPerSide, 257);
}

TEST_F(ServerSnapshotTest, HistoryRecordsRunningPlayersWithTheServersOwnFlags)
{
    net::ClientSlot& burning = Put(1, 0, 1.0f, 2.0f);
    burning.state.cookTicks = 3;
    net::ClientSlot& throwing = Put(2, 0, 3.0f, 4.0f);
    throwing.state.throwTicks = 2;
    throwing.state.powerActive = 9;
    throwing.state.health = 0;
    Put(3, 1, 0.0f, 0.0f);
    server->rooms[1].started = 0;
    server->history[5].records[3].x = 777;  // what a former tick left for the lobby player

    server->tick = 5;
    server->now = 42.0;
    burning.burningUntil = 42.5;
    server->RecordHistory();
    const net::HistoryEntry& entry = server->history[5];
    EXPECT_EQ(entry.tick, 5u);
    EXPECT_EQ(entry.time, 42.0);
    EXPECT_TRUE(entry.alive.test(0));
    EXPECT_TRUE(entry.alive.test(1));
    EXPECT_FALSE(entry.alive.test(2));
    EXPECT_FALSE(entry.alive.test(3));
    EXPECT_EQ(entry.records[1].x, 256);
    EXPECT_EQ(entry.records[1].flags & (net::kQuantizedBurning | net::kQuantizedCooking),
              net::kQuantizedBurning | net::kQuantizedCooking);
    EXPECT_EQ(entry.records[1].flags & (net::kQuantizedThrowing | net::kQuantizedPowerActive), 0u);
    EXPECT_EQ(entry.records[2].flags & (net::kQuantizedThrowing | net::kQuantizedPowerActive),
              net::kQuantizedThrowing | net::kQuantizedPowerActive);
    EXPECT_EQ(entry.records[2].flags & net::kQuantizedBurning, 0u);
    EXPECT_EQ(entry.records[3].x, 777);

    server->tick = 37;  // the same entry, 32 ticks on: the burn has ended
    server->now = 43.0;
    server->RecordHistory();
    EXPECT_EQ(server->history[5].tick, 37u);
    EXPECT_EQ(server->history[5].records[1].flags & net::kQuantizedBurning, 0u);
}

}  // namespace snaptest

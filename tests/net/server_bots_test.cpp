// Server-side bots: adding and removing them in a room's lobby, and whole matches of bots on the
// generated maps driven through Update(now).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/server.h"
#include "net/udp_socket.h"
#include "server_bare_setup.h"

namespace botmatch {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kMatchSeconds = 40.0;  // the instrumented builds play a shorter match
#else
constexpr double kMatchSeconds = 120.0;
#endif
constexpr int kBotCount = 16;
constexpr int kHost = 0;

// A lobby room hosted by slot 0 on `mapIndex`, the map loaded the way a room loads it.
std::unique_ptr<net::Server> HostedLobby(int slotCount, int threadRequest, int mapIndex, uint8_t mode = 0)
{
    auto server = baresrv::MakeBareServer(slotCount, threadRequest);
    testing::internal::CaptureStdout();
    server->LoadRoomMap(mapIndex);
    const bool rig = net::Server::LoadCombatRig(server->combatRig, server->tuning);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(rig);
    net::Room& room = baresrv::OpenRoom(*server, 0, false, mode, 100, static_cast<uint8_t>(mapIndex));
    room.host = kHost;
    baresrv::Occupy(*server, kHost, 0, 0);
    return server;
}

std::string Captured(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

TEST(ServerBotsTest, TheHostAddsBotsWithHashedLoadoutsAndRemovesThem)
{
    auto server = HostedLobby(5, -1, 0);
    const std::string added = Captured([&] {
        server->AddBot(kHost, false);
        server->AddBot(kHost, true);
    });
    EXPECT_NE(added.find("' added to room 1 on red\n"), std::string::npos) << added;
    EXPECT_NE(added.find("' added to room 1 on blue\n"), std::string::npos) << added;
    EXPECT_TRUE(server->hasBots);
    for (int slot : {1, 2}) {
        const net::ClientSlot& bot = server->slots[static_cast<size_t>(slot)];
        EXPECT_TRUE(bot.inUse && bot.bot);
        EXPECT_EQ(bot.room, 0);
        EXPECT_EQ(bot.chosenTeam, slot == 1 ? 0 : 1);
        EXPECT_FALSE(bot.name.empty());
        EXPECT_LE(bot.name.size(), 14u);
        EXPECT_EQ(bot.brain.seed, bot.botSeed);
    }
    EXPECT_NE(server->slots[1].botSeed, server->slots[2].botSeed);

    // Only the host adds; a stranger's request does nothing.
    baresrv::Occupy(*server, 3, -1, 0);
    server->AddBot(3, false);
    EXPECT_FALSE(server->slots[4].inUse);

    server->AddBot(kHost, false);  // the last free slot
    server->AddBot(kHost, false);
    EXPECT_EQ(server->slots[kHost].notice, "the server is full");

    // The named bot when it is one of the room's, else the room's last one; the last removal
    // clears the server's bots flag.
    server->RemoveBot(kHost, 2);
    EXPECT_FALSE(server->slots[2].inUse);
    server->RemoveBot(kHost, 3);  // a human: the last bot goes instead
    EXPECT_FALSE(server->slots[4].inUse);
    EXPECT_TRUE(server->slots[3].inUse);
    EXPECT_TRUE(server->hasBots);
    server->RemoveBot(kHost, 200);
    EXPECT_FALSE(server->slots[1].inUse);
    EXPECT_FALSE(server->hasBots);

    // No bots join a running match; a free-for-all room's bots have no side.
    server->rooms[0].started = 1;
    server->AddBot(kHost, false);
    EXPECT_EQ(server->slots[kHost].notice, "cannot add bots once the match has started");
    EXPECT_FALSE(server->slots[1].inUse);
    server->rooms[0].started = 0;
    server->rooms[0].settings.gameMode = 1;
    EXPECT_NE(Captured([&] { server->AddBot(kHost, true); }).find("on no side"), std::string::npos);
    EXPECT_EQ(server->slots[1].chosenTeam, net::kSideNone);
}

TEST(ServerBotsTest, LoadoutsAreTwoDifferentWeaponsAndValidRows)
{
    auto server = HostedLobby(2, -1, 0);
    for (uint32_t tick = 0; tick < 200; ++tick) {
        server->tick = tick * 977u;
        testing::internal::CaptureStdout();
        server->AddBot(kHost, tick % 2 == 1);
        testing::internal::GetCapturedStdout();
        const net::ClientSlot& bot = server->slots[1];
        ASSERT_TRUE(bot.bot);
        EXPECT_GE(bot.primaryWeapon, 1);
        EXPECT_LE(bot.primaryWeapon, 9);
        EXPECT_GE(bot.secondaryWeapon, 1);
        EXPECT_LE(bot.secondaryWeapon, 9);
        EXPECT_NE(bot.primaryWeapon, bot.secondaryWeapon);
        EXPECT_LT(bot.armour, 5);
        EXPECT_LT(bot.power, 5);
        server->RemoveBot(kHost, 1);
    }
}

TEST(ServerBotsTest, RoamTargetsAreFarUnreservedNodesAndRoutesAreServed)
{
    auto server = HostedLobby(3, -1, 0);
    const net::NavGraph& graph = server->maps[0].nav;
    ASSERT_GT(graph.nodeCount, 100);
    server->now = 50.0;
    const int from = 0;
    const int target = server->PickRoamTarget(0, from, 1234);
    ASSERT_GE(target, 0);
    const float dx = graph.nodes[static_cast<size_t>(target)].x - graph.nodes[from].x;
    const float dz = graph.nodes[static_cast<size_t>(target)].z - graph.nodes[from].z;
    EXPECT_GE(dx * dx + dz * dz, 144.0f);
    // Once reserved, the same seed picks another destination.
    server->ReserveRoamArea(0, target);
    EXPECT_NE(server->PickRoamTarget(0, from, 1234), target);
    // With every node reserved a reserved one is taken rather than none.
    for (double& until : server->roomRoaming[0].reservedUntil) {
        until = 1000.0;
    }
    EXPECT_GE(server->PickRoamTarget(0, from, 1234), 0);

    testing::internal::CaptureStdout();
    server->AddBot(kHost, true);
    server->StartMatch(kHost);
    testing::internal::GetCapturedStdout();
    net::ClientSlot& bot = server->slots[1];
    server->activeSlots = {kHost, 1};

    // A fixed goal is searched as asked; a roaming one is reserved around its destination.
    bot.brain.pathRequestPending = 1;
    bot.brain.requestStartNode = from;
    bot.brain.requestGoalNode = target;
    server->ServeBotRoutes();
    EXPECT_EQ(bot.brain.pathRequestPending, 0);
    EXPECT_GT(bot.brain.pathLength, 0);
    EXPECT_EQ(bot.brain.pathIndex, 0);
    EXPECT_EQ(bot.brain.pathGoal, target);
    bot.brain.pathRequestPending = 1;
    bot.brain.requestGoalNode = -1;
    server->ServeBotRoutes();
    ASSERT_GE(bot.brain.pathGoal, 0);
    EXPECT_GT(server->roomRoaming[0].reservedUntil[static_cast<size_t>(bot.brain.pathGoal)], server->now);

    // On a floor too small for any destination 12 m away the bot gets none and asks again in a second.
    std::vector<Triangle> floor;
    floor.push_back({{glm::vec3(0, 0, 0), glm::vec3(6, 0, 0), glm::vec3(6, 0, 6)}});
    floor.push_back({{glm::vec3(0, 0, 0), glm::vec3(6, 0, 6), glm::vec3(0, 0, 6)}});
    CollisionWorld small;
    ASSERT_TRUE(small.SetTriangles(std::move(floor)));
    server->maps[0].nav.Build(small, server->tuning, {});
    bot.brain.pathRequestPending = 1;
    bot.brain.requestStartNode = 0;
    server->ServeBotRoutes();
    EXPECT_EQ(bot.brain.pathLength, 0);
    EXPECT_EQ(bot.brain.pathGoal, -1);
    EXPECT_DOUBLE_EQ(bot.brain.nextPathRequestTime, server->now + 1.0);
}

struct BotMatch {
    uint64_t killLog = 1469598103934665603ull;
    std::array<uint32_t, 2> killsBySide{};
    std::vector<float> travelled;        // metres, per bot
    std::vector<double> longestStill;    // seconds alive within 1 m of one point, not fighting, per bot
    uint32_t powerUses = 0;
    uint32_t levelsBought = 0;
};

void PlayBotMatch(int threadRequest, int mapIndex, double seconds, BotMatch& match)
{
    auto server = HostedLobby(kBotCount + 1, threadRequest, mapIndex);
    ASSERT_TRUE(server->socket.Open(0));
    net::UdpSocket sink;
    ASSERT_TRUE(sink.Open(0));
    server->slots[kHost].address = net::LoopbackAddress(sink.Port());
    testing::internal::CaptureStdout();
    for (int i = 0; i < kBotCount; ++i) {
        server->AddBot(kHost, i % 2 == 1);
    }
    server->StartMatch(kHost);
    testing::internal::GetCapturedStdout();
    // The host sits the match out, kept waiting to respawn, so that only bots play.
    server->slots[kHost].state.respawnTicks = 0xFFFF;

    const int ticks = static_cast<int>(seconds * 64.0);
    std::vector<glm::vec3> last(kBotCount + 1);
    std::vector<glm::vec3> anchor(kBotCount + 1);
    std::vector<double> anchorTime(kBotCount + 1, server->now);
    std::vector<uint16_t> deaths(kBotCount + 1, 0);
    match.travelled.assign(kBotCount + 1, 0.0f);
    match.longestStill.assign(kBotCount + 1, 0.0);
    for (int slot = 1; slot <= kBotCount; ++slot) {
        last[static_cast<size_t>(slot)] = anchor[static_cast<size_t>(slot)] = server->slots[static_cast<size_t>(slot)].state.position;
    }
    double now = server->now;
    testing::internal::CaptureStdout();
    for (int t = 0; t < ticks; ++t) {
        now += 1.0 / 64.0;
        server->slots[kHost].lastHeard = now;
        server->slots[kHost].state.respawnTicks = 0xFFFF;
        server->Update(now);
        for (int slot = 1; slot <= kBotCount; ++slot) {
            const net::ClientSlot& bot = server->slots[static_cast<size_t>(slot)];
            const auto s = static_cast<size_t>(slot);
            if (bot.deaths != deaths[s]) {
                // A death: note it in the log and start the bot's stillness afresh after its respawn.
                const uint32_t entry[3] = {server->tick, static_cast<uint32_t>(slot), bot.deaths};
                for (uint32_t word : entry) {
                    match.killLog = (match.killLog ^ word) * 1099511628211ull;
                }
                deaths[s] = bot.deaths;
            }
            const bool alive = bot.state.health > 0 && bot.state.respawnTicks == 0;
            const glm::vec3 at = bot.state.position;
            const glm::vec3 step = at - last[s];
            const float moved = std::sqrt(step.x * step.x + step.z * step.z);
            if (alive && moved < 2.0f) {  // a respawn is no walk
                match.travelled[s] += moved;
            }
            last[s] = at;
            // Holding a spot while fighting a target in sight is not being stuck.
            const bool fighting = bot.brain.reacted && bot.brain.targetLastSeenTime == server->now;
            const glm::vec3 fromAnchor = at - anchor[s];
            if (!alive || fighting || std::sqrt(fromAnchor.x * fromAnchor.x + fromAnchor.z * fromAnchor.z) > 1.0f) {
                anchor[s] = at;
                anchorTime[s] = now;
            }
            match.longestStill[s] = std::max(match.longestStill[s], now - anchorTime[s]);
        }
    }
    testing::internal::GetCapturedStdout();
    for (int slot = 1; slot <= kBotCount; ++slot) {
        const net::ClientSlot& bot = server->slots[static_cast<size_t>(slot)];
        match.killsBySide[bot.chosenTeam == 1 ? 1 : 0] += bot.kills;
        match.powerUses += bot.state.powerUses;
        for (uint8_t level : bot.state.upgradeLevels) {
            match.levelsBought += level;
        }
    }
}

TEST(ServerBotsTest, SixteenBotsPlayAWholeMatchOnEachGeneratedMap)
{
    for (int mapIndex = 0; mapIndex < 2; ++mapIndex) {
        SCOPED_TRACE(mapIndex);
        BotMatch match;
        ASSERT_NO_FATAL_FAILURE(PlayBotMatch(-1, mapIndex, kMatchSeconds, match));
        EXPECT_GT(match.killsBySide[0], 0u);
        EXPECT_GT(match.killsBySide[1], 0u);
        EXPECT_GT(match.powerUses, 0u);
        EXPECT_GT(match.levelsBought, 0u);
        for (int slot = 1; slot <= kBotCount; ++slot) {
            EXPECT_GT(match.travelled[static_cast<size_t>(slot)], 20.0f) << "bot " << slot;
            EXPECT_LE(match.longestStill[static_cast<size_t>(slot)], 5.0) << "bot " << slot;
        }
    }
}

TEST(ServerBotsThreaded, SameSeedsGiveTheSameKillsWithAndWithoutWorkers)
{
    BotMatch alone;
    BotMatch pooled;
    ASSERT_NO_FATAL_FAILURE(PlayBotMatch(-1, 0, kMatchSeconds / 2.0, alone));
    ASSERT_NO_FATAL_FAILURE(PlayBotMatch(3, 0, kMatchSeconds / 2.0, pooled));
    EXPECT_GT(alone.killsBySide[0] + alone.killsBySide[1], 0u);
    EXPECT_EQ(alone.killLog, pooled.killLog);
    EXPECT_EQ(alone.killsBySide, pooled.killsBySide);
    EXPECT_EQ(alone.travelled, pooled.travelled);
    EXPECT_EQ(alone.levelsBought, pooled.levelsBought);
}

}  // namespace botmatch

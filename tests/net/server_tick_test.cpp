// The server tick on a server put together by hand: the order of its steps as the players see
// it, spawning, the spawn choice, the match rules it needs, and movement that matches a local
// replay of the shared step bit for bit, serially and on worker threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "game/input_command.h"
#include "game/match_options.h"
#include "game/player_movement.h"
#include "game/progression.h"
#include "net/server.h"
#include "server_bare_setup.h"
#include "support/player_sim.h"

namespace ticktest {

constexpr float kTickDt = 1.0f / 64.0f;

InputCommand Move(uint32_t tick, float yawDegrees, int8_t forward, uint8_t buttons, uint8_t weapon, uint8_t power)
{
    InputCommand command = testsim::Command(yawDegrees, forward, buttons, weapon, power);
    command.tick = tick;
    return command;
}

// A player who runs, turns, strafes, jumps and fires, so that every path of the step is taken.
InputCommand BusyCommand(uint32_t tick, uint32_t player, uint8_t weapon)
{
    uint32_t x = tick * 0x9E3779B1u + player * 40503u + 1u;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    InputCommand command;
    command.tick = tick;
    command.yaw = static_cast<uint16_t>((tick + player * 977u) * 91u);
    command.pitch = static_cast<int16_t>(static_cast<int32_t>((tick * 37u + player) % 4096u) - 2048);
    command.forward = ((tick / 64u + player) % 5u == 4u) ? -90 : 127;
    command.side = static_cast<int8_t>(static_cast<int32_t>(x % 255u) - 127);
    command.buttons = static_cast<uint8_t>((x >> 8) & (kButtonJump | kButtonSprint | kButtonFire | kButtonSecondary));
    if ((tick + player) % 97u < 10u) {
        command.buttons |= kButtonCrouch;
    }
    command.weapon = weapon;
    return command;
}

// The state a client predicts, compared as a client compares it: the six fields the server
// owns (health, team, lives and three timers) are taken from the server's state first.
uint64_t PredictedHash(PlayerState predicted, const PlayerState& server)
{
    predicted.health = server.health;
    predicted.team = server.team;
    predicted.lives = server.lives;
    predicted.respawnTicks = server.respawnTicks;
    predicted.spawnProtectionTicks = server.spawnProtectionTicks;
    predicted.overhealHoldTicks = server.overhealHoldTicks;
    return testsim::HashPlayerState(predicted);
}

bool SamePosedSet(const net::PosedSet& a, const net::PosedSet& b)
{
    if (a.count != b.count || a.posed != b.posed || std::memcmp(&a.centre, &b.centre, sizeof a.centre) != 0 ||
        std::memcmp(&a.radius, &b.radius, sizeof a.radius) != 0 ||
        std::memcmp(&a.position, &b.position, sizeof a.position) != 0) {
        return false;
    }
    for (int i = 0; i < a.count; ++i) {
        const net::PosedVolume& va = a.volumes[static_cast<size_t>(i)];
        const net::PosedVolume& vb = b.volumes[static_cast<size_t>(i)];
        if (std::memcmp(&va.inverseWorld, &vb.inverseWorld, sizeof va.inverseWorld) != 0 ||
            std::memcmp(&va.halfExtents, &vb.halfExtents, sizeof va.halfExtents) != 0 || va.joint != vb.joint ||
            va.region != vb.region) {
            return false;
        }
    }
    return true;
}

class ServerTickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = baresrv::MakeBareServer(16);
        baresrv::UseGreybox(*server, {
                                         {{20.0f, 0.0f, 20.0f}, 90.0f, kTeamRed},
                                         {{30.0f, 0.0f, 20.0f}, 45.0f, kTeamRed},
                                         {{20.0f, 0.0f, 40.0f}, 180.0f, kTeamBlue},
                                     });
        ASSERT_TRUE(net::Server::LoadCombatRig(server->combatRig, server->tuning));
    }

    void Tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            server->now += 1.0 / 64.0;
            server->SimulateTick();
        }
    }

    std::unique_ptr<net::Server> server;
};

TEST_F(ServerTickTest, SilentClientKeepsViewWeaponAndPowerButNeitherMovesNorPresses)
{
    baresrv::OpenRoom(*server, 0, true);
    net::ClientSlot& client = baresrv::Occupy(*server, 0, 0, kTeamRed, kWeaponM4, kPowerShield);
    const CollisionWorld& world = server->maps[0].world;
    PlayerState local = client.state;

    // Right after the spawn a silent client faces the spawn yaw.
    Tick(3);
    for (int i = 0; i < 3; ++i) {
        InputCommand neutral;
        neutral.weapon = kWeaponM4;
        neutral.power = kPowerShield;
        neutral.yaw = 16384;  // 90 degrees
        MovePlayer(local, neutral, kTickDt, server->tuning, world);
    }
    EXPECT_EQ(client.state.yaw, 90.0f);
    EXPECT_EQ(testsim::HashPlayerState(client.state), PredictedHash(local, client.state));

    // Running and firing, then silence: the last command is repeated without stick or buttons.
    std::vector<InputCommand> script;
    for (uint32_t t = 1; t <= 10; ++t) {
        script.push_back(Move(t, 45.0f, 127, kButtonFire | kButtonSprint | kButtonPower, kWeaponM4, kPowerShield));
    }
    for (const InputCommand& command : script) {
        baresrv::Queue(client, command);
    }
    Tick(10);
    for (const InputCommand& command : script) {
        MovePlayer(local, command, kTickDt, server->tuning, world);
    }
    ASSERT_GT(client.state.shotsFired, 0u);
    ASSERT_GT(client.state.powerUses, 0u);
    const uint32_t shots = client.state.shotsFired;
    const uint32_t uses = client.state.powerUses;

    Tick(40);
    InputCommand idle = script.back();
    idle.forward = 0;
    idle.side = 0;
    idle.buttons = 0;
    for (int i = 0; i < 40; ++i) {
        MovePlayer(local, idle, kTickDt, server->tuning, world);
    }
    EXPECT_EQ(testsim::HashPlayerState(client.state), PredictedHash(local, client.state));
    EXPECT_EQ(client.state.shotsFired, shots);  // an automatic weapon stops with the trigger
    EXPECT_EQ(client.state.powerUses, uses);
    EXPECT_EQ(client.state.weapon, kWeaponM4);
    EXPECT_EQ(client.state.power, kPowerShield);
    EXPECT_FLOAT_EQ(client.state.yaw, 45.0f);
    EXPECT_EQ(client.state.velocity.x, 0.0f);
    EXPECT_EQ(client.state.velocity.z, 0.0f);
    EXPECT_EQ(client.lastCommand.buttons, script.back().buttons);  // what it sent stays recorded
    EXPECT_EQ(client.lastCommandTick, 10u);
}

TEST_F(ServerTickTest, ShotsOfTracedWeaponsAreListedInActiveOrderAndProjectileWeaponsNever)
{
    baresrv::OpenRoom(*server, 0, true);
    baresrv::OpenRoom(*server, 1, false);  // a lobby: nobody there is simulated
    const struct {
        int slot;
        int room;
        uint8_t weapon;
    } players[] = {
        {6, 0, kWeaponShotgun}, {1, 0, kWeaponM4}, {3, 0, kWeaponRpg},
        {4, 0, kWeaponFlamer},  {2, 0, kWeaponM4}, {5, 1, kWeaponM4},
    };
    for (const auto& p : players) {
        baresrv::Occupy(*server, p.slot, p.room, kTeamRed, p.weapon);
    }
    // Everyone pulls the trigger this tick except slot 2.
    for (const auto& p : players) {
        if (p.slot != 2) {
            baresrv::Queue(server->slots[static_cast<size_t>(p.slot)], Move(1, 0.0f, 0, kButtonFire, p.weapon, 0));
        }
    }
    Tick();

    EXPECT_EQ(server->activeSlots, (std::vector<int>{1, 2, 3, 4, 6}));
    EXPECT_EQ(server->shooters, (std::vector<int>{1, 6}));
    EXPECT_EQ(server->slots[3].state.shotsFired, 1u);  // the rocket and the flame did go off
    EXPECT_EQ(server->slots[4].state.shotsFired, 1u);
    EXPECT_EQ(server->slots[5].queueCount, 1);  // the lobby player's command waits
    EXPECT_EQ(server->slots[5].state.shotsFired, 0u);
}

TEST_F(ServerTickTest, PlayerWithoutLivesWaitsUnlessTheRoomDoesNotCountLives)
{
    const struct {
        uint8_t livesSetting;
        uint8_t mode;
        uint8_t livesLeft;
        bool respawns;
        uint8_t livesAfter;
    } cases[] = {
        {3, 0, 0, false, 0},
        {3, 0, 2, true, 2},
        {100, 0, 0, true, 0},
        {3, 1, 0, true, 0},  // free for all never runs out
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "lives " << int(c.livesSetting) << " mode " << int(c.mode) << " left "
                                        << int(c.livesLeft));
        baresrv::OpenRoom(*server, 0, true, c.mode, c.livesSetting);
        net::ClientSlot& client = baresrv::Occupy(*server, 0, 0, kTeamRed);
        client.state.health = 0;
        client.state.respawnTicks = 2;
        client.state.lives = c.livesLeft;
        Tick(2);
        if (c.respawns) {
            EXPECT_EQ(client.state.respawnTicks, 0);
            EXPECT_EQ(client.state.health, 100);
            EXPECT_EQ(client.state.lives, c.livesAfter);
        } else {
            EXPECT_EQ(client.state.respawnTicks, 1);
            EXPECT_EQ(client.state.health, 0);
            Tick(200);
            EXPECT_EQ(client.state.respawnTicks, 1);
        }
    }
}

TEST_F(ServerTickTest, SpawnSpreadsATeamOverItsPointsAndThenAlongASpiral)
{
    net::Room& room = baresrv::OpenRoom(*server, 0, true);
    room.settings.speedPercent = 150;
    for (int slot = 0; slot < 6; ++slot) {
        baresrv::Occupy(*server, slot, 0, slot == 3 ? kTeamBlue : kTeamRed);
    }
    const glm::vec3 red0(20.0f, 0.0f, 20.0f);
    const glm::vec3 red1(30.0f, 0.0f, 20.0f);
    const struct {
        int slot;
        glm::vec3 point;
        float facing;
        int k;  // the spiral ring: order / number of the team's points
    } expected[] = {
        {0, red0, 90.0f, 0}, {1, red1, 45.0f, 0}, {2, red0, 90.0f, 1},
        {4, red1, 45.0f, 1}, {5, red0, 90.0f, 2}, {3, glm::vec3(20.0f, 0.0f, 40.0f), 180.0f, 0},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.slot);
        const PlayerState& state = server->slots[static_cast<size_t>(e.slot)].state;
        glm::vec3 point = e.point;
        if (e.k > 0) {
            const float r = std::sqrt(static_cast<float>(e.k)) * 1.6f;
            point.x += std::cos(static_cast<float>(e.k) * 2.399963f) * r;
            point.z += std::sin(static_cast<float>(e.k) * 2.399963f) * r;
        }
        EXPECT_FLOAT_EQ(state.position.x, point.x);
        EXPECT_FLOAT_EQ(state.position.y, point.y);
        EXPECT_FLOAT_EQ(state.position.z, point.z);
        EXPECT_NEAR(std::hypot(state.position.x - e.point.x, state.position.z - e.point.z),
                    std::sqrt(static_cast<float>(e.k)) * 1.6f, 1e-4f);
        EXPECT_EQ(state.yaw, e.facing);
        EXPECT_EQ(state.bodyYaw, e.facing);
        EXPECT_EQ(state.speedPercent, 150);
    }

    // A team without spawn points of its own stands at the fallback point.
    server->maps[0].geometry.spawns.pop_back();
    server->SpawnPlayer(3);
    EXPECT_EQ(server->slots[3].state.position, glm::vec3(0.0f, 0.0f, 6.0f));
    EXPECT_EQ(server->slots[3].state.yaw, 0.0f);
}

TEST_F(ServerTickTest, SpawnGivesAFreshLifeAndStartsTheConnectionOver)
{
    net::Room& room = baresrv::OpenRoom(*server, 0, true, 0, 7);
    room.settings.healthPercent = 150;
    net::ClientSlot& client = server->slots[2];
    client.inUse = 1;
    client.room = 0;
    client.chosenTeam = kTeamRed;
    client.armour = 1;  // 160 hit points
    client.primaryWeapon = kWeaponShotgun;
    client.power = kPowerSentry;
    // What a former life leaves behind.
    client.state.upgradeLevels[kTrackHealth] = 2;
    client.state.upgradeLevels[kTrackSpeed] = 5;
    client.state.shotsFired = 77;
    client.state.position = glm::vec3(1.0f, 2.0f, 3.0f);
    client.queueHead = 5;
    client.queueCount = 3;
    client.lastCommand.buttons = kButtonFire;
    client.lastCommand.tick = 900;
    client.lastCommandTick = 900;
    client.latestInputTick = 903;
    client.hasFirstInput = 1;
    client.messageTick = 12;
    client.messagesThisTick = 3;
    client.rampVictim = 4;
    client.rampSeconds = 1.5f;
    client.burningUntil = 50.0;
    client.burner = 6;
    client.overhealAccumulator = 0.5f;
    client.sentTicks[3] = 35;
    client.acknowledgedTick = 35;
    client.sentMasks[3].set(9);
    client.posedRing[7].tick = 7;
    client.posedRing[7].volumes.count = 13;

    server->SpawnPlayer(2);

    const PlayerState& state = client.state;
    const uint16_t maxHealth = static_cast<uint16_t>(StatMultiplier(2) * 160.0f * 150.0f * 0.01f + 0.5f);
    EXPECT_EQ(state.maxHealth, maxHealth);
    EXPECT_EQ(state.health, maxHealth);
    EXPECT_EQ(state.lives, 7);  // new to the match: the room's count
    EXPECT_EQ(state.team, kTeamRed);
    EXPECT_EQ(state.armor, 1);
    EXPECT_EQ(state.weapon, kWeaponShotgun);
    EXPECT_EQ(state.ammo, server->tuning.Weapon(kWeaponShotgun).magazineSize);
    EXPECT_EQ(state.power, kPowerSentry);
    EXPECT_EQ(state.upgradeLevels[kTrackHealth], 2);
    EXPECT_EQ(state.upgradeLevels[kTrackSpeed], 5);
    EXPECT_EQ(state.shotsFired, 0u);
    EXPECT_EQ(state.spawnProtectionTicks, 128);
    EXPECT_EQ(state.height, server->tuning.movement.standingHeight);
    EXPECT_EQ(state.position, glm::vec3(20.0f, 0.0f, 20.0f));

    EXPECT_EQ(client.queueCount, 0);
    EXPECT_EQ(client.lastCommand.tick, 0u);
    EXPECT_EQ(client.lastCommand.claimedViewTick, kNoViewTick);
    EXPECT_EQ(client.lastCommand.buttons, 0);
    EXPECT_EQ(client.lastCommand.forward, 0);
    EXPECT_EQ(client.lastCommand.weapon, kWeaponShotgun);
    EXPECT_EQ(client.lastCommand.power, kPowerSentry);
    EXPECT_EQ(client.lastCommand.yaw, 16384);  // the spawn's 90 degrees
    EXPECT_EQ(client.lastCommand.pitch, 0);
    EXPECT_EQ(client.lastCommandTick, 0u);
    EXPECT_EQ(client.latestInputTick, 0u);
    EXPECT_EQ(client.hasFirstInput, 0);
    EXPECT_EQ(client.messageTick, net::kNoTick);
    EXPECT_EQ(client.messagesThisTick, 0);
    EXPECT_EQ(client.rampVictim, -1);
    EXPECT_EQ(client.rampSeconds, 0.0f);
    EXPECT_EQ(client.burningUntil, 0.0);
    EXPECT_EQ(client.burner, -1);
    EXPECT_EQ(client.overhealAccumulator, 0.0f);
    EXPECT_EQ(client.sentTicks, net::ClientSlot::FilledTicks());
    EXPECT_EQ(client.acknowledgedTick, net::kNoTick);
    for (const net::PlayerMask& mask : client.sentMasks) {
        EXPECT_TRUE(mask.none());
    }
    for (const net::PosedRingEntry& entry : client.posedRing) {
        EXPECT_EQ(entry.tick, net::kNoTick);
        EXPECT_EQ(entry.volumes.count, 0);
    }
    // Posed once at rest on the server's rig.
    EXPECT_EQ(client.combat.rig, &server->combatRig);
    EXPECT_EQ(client.combat.set.posed, 1);
    EXPECT_EQ(client.combat.set.count, net::kCombatVolumeCount);

    // Coming back in the same match keeps the lives left.
    client.state.lives = 2;
    client.state.health = 0;
    server->SpawnPlayer(2);
    EXPECT_EQ(client.state.lives, 2);

    // A room that does not count lives gives none; outside a room the tuning's count applies.
    room.settings.lives = 100;
    server->SpawnPlayer(2);
    EXPECT_EQ(client.state.lives, 0);
    client.room = -1;
    client.state.team = kTeamNone;
    server->SpawnPlayer(2);
    EXPECT_EQ(client.state.lives, 3);
    EXPECT_EQ(client.state.speedPercent, 100);
}

TEST_F(ServerTickTest, SpawnWithoutASideTakesTheRoomsChoice)
{
    baresrv::OpenRoom(*server, 0, true);
    baresrv::Occupy(*server, 0, 0, net::kSideNone);
    EXPECT_NE(server->slots[0].chosenTeam, net::kSideNone);
    EXPECT_EQ(server->slots[0].state.team, server->slots[0].chosenTeam);
}

TEST_F(ServerTickTest, FreeForAllSpawnIsFarthestFromTheLivingWithSeededTies)
{
    baresrv::OpenRoom(*server, 0, true, 1);
    baresrv::OpenRoom(*server, 1, true, 1);
    std::vector<SpawnPoint>& spawns = server->maps[0].geometry.spawns;
    spawns = {
        {{20.0f, 0.0f, 0.0f}, 0.0f, kTeamNone},
        {{40.0f, 0.0f, 0.0f}, 0.0f, kTeamRed},
        {{60.0f, 0.0f, 0.0f}, 0.0f, kTeamBlue},
    };
    baresrv::Occupy(*server, 1, 0, kTeamRed);
    server->slots[1].state.position = glm::vec3(22.0f, 0.0f, 0.0f);
    // Nobody else counts: a dead player, one in another room, and the spawning player himself.
    baresrv::Occupy(*server, 2, 0, kTeamRed).state.health = 0;
    server->slots[2].state.position = glm::vec3(60.0f, 0.0f, 0.0f);
    baresrv::Occupy(*server, 3, 1, kTeamRed).state.position = glm::vec3(60.0f, 0.0f, 0.0f);
    server->slots[0].inUse = 1;
    server->slots[0].room = 0;
    server->slots[0].state.position = glm::vec3(60.0f, 0.0f, 0.0f);
    server->slots[0].state.health = 100;

    const std::optional<SpawnPoint> farthest = server->PickSpawnPoint(0, 0);
    ASSERT_TRUE(farthest.has_value());
    EXPECT_EQ(farthest->position, spawns[2].position);

    // Two points equally far from the only other player: the seeded draw decides, and each wins
    // for some slot and tick.
    spawns = {
        {{22.0f, 0.0f, -20.0f}, 10.0f, kTeamNone},
        {{22.0f, 0.0f, 20.5f}, 20.0f, kTeamNone},
        {{22.0f, 0.0f, 5.0f}, 30.0f, kTeamNone},  // far worse than both
    };
    int firstWins = 0;
    for (uint32_t tick = 0; tick < 8; ++tick) {
        server->tick = tick;
        for (int slot = 4; slot < 16; ++slot) {
            uint32_t random = static_cast<uint32_t>(slot) * 40503u - tick * 1640531535u + 1u;
            random ^= random << 13;
            random ^= random >> 17;
            random ^= random << 5;
            const float expected = random % 2u == 0 ? 20.0f : 10.0f;
            const std::optional<SpawnPoint> point = server->PickSpawnPoint(0, slot);
            ASSERT_TRUE(point.has_value());
            EXPECT_EQ(point->facing, expected) << "slot " << slot << " tick " << tick;
            EXPECT_EQ(server->PickSpawnPoint(0, slot)->facing, point->facing);
            firstWins += point->facing == 10.0f ? 1 : 0;
        }
    }
    EXPECT_GT(firstWins, 0);
    EXPECT_LT(firstWins, 96);

    // Through SpawnPlayer: a free-for-all spawn takes the picked point whatever the side.
    server->tick = 3;
    const float picked = server->PickSpawnPoint(0, 5)->facing;
    baresrv::Occupy(*server, 5, 0, kTeamBlue);
    EXPECT_EQ(server->slots[5].state.yaw, picked);

    spawns.clear();
    EXPECT_FALSE(server->PickSpawnPoint(0, 5).has_value());
}

TEST_F(ServerTickTest, MaximumHealthFollowsArmourUpgradesAndTheRoom)
{
    const struct {
        int hitPoints;
        uint8_t healthLevel;
        bool inRoom;
        uint16_t percent;
        uint16_t expected;
    } cases[] = {
        {100, 0, false, 300, 100},     // outside a room the room's percentage does not apply
        {100, 0, true, 150, 150},
        {160, 1, true, 100, 173},      // 1.08 x 160 = 172.8
        {100, 0, true, 0, 1},          // never below 1
        {0, 0, true, 100, 1},          // an armour row without hit points counts as 1
        {60000, 20, true, 10000, 65535},
    };
    baresrv::OpenRoom(*server, 0, false);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        server->tuning.armors[3].hitPoints = c.hitPoints;
        server->rooms[0].settings.healthPercent = c.percent;
        net::ClientSlot& client = server->slots[1];
        client.inUse = 1;
        client.room = c.inRoom ? 0 : -1;
        client.state.armor = 3;
        client.state.upgradeLevels[kTrackHealth] = c.healthLevel;
        EXPECT_EQ(server->MaxHealth(1), c.expected);
    }
    // Armour 5 or above reads row 0.
    server->slots[1].room = -1;
    server->slots[1].state.armor = 9;
    server->slots[1].state.upgradeLevels[kTrackHealth] = 0;
    EXPECT_EQ(server->MaxHealth(1), server->tuning.armors[0].hitPoints);
}

TEST_F(ServerTickTest, AlliesShareATeamOnlyWhereTeamsExist)
{
    baresrv::OpenRoom(*server, 0, false, 0);
    baresrv::OpenRoom(*server, 1, false, 1);
    const auto put = [&](int slot, int room, uint8_t team) {
        server->slots[static_cast<size_t>(slot)].inUse = 1;
        server->slots[static_cast<size_t>(slot)].room = room;
        server->slots[static_cast<size_t>(slot)].state.team = team;
    };
    put(0, 0, kTeamRed);
    put(1, 0, kTeamRed);
    put(2, 0, kTeamBlue);
    put(3, 1, kTeamRed);
    put(4, 1, kTeamRed);
    const struct {
        int a;
        int b;
        bool same;
    } cases[] = {
        {0, 1, true}, {1, 0, true}, {0, 2, false}, {3, 4, false}, {3, 3, true},
        {0, 0, true}, {-1, 0, false}, {0, 16, false}, {16, 16, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(server->SameTeam(c.a, c.b), c.same) << c.a << " and " << c.b;
    }
}

TEST_F(ServerTickTest, TimersCountDownAndOverhealDecaysAfterItsHold)
{
    baresrv::OpenRoom(*server, 0, true);
    net::ClientSlot& decaying = baresrv::Occupy(*server, 0, 0, kTeamRed);
    net::ClientSlot& held = baresrv::Occupy(*server, 1, 0, kTeamRed);
    net::ClientSlot& barely = baresrv::Occupy(*server, 2, 0, kTeamRed);
    decaying.state.health = 150;
    held.state.health = 150;
    held.state.overhealHoldTicks = 65;
    barely.state.health = 101;
    ASSERT_EQ(decaying.state.spawnProtectionTicks, 128);

    Tick(64);  // one second at 12 health per second
    EXPECT_EQ(decaying.state.health, 138);
    EXPECT_EQ(held.state.health, 150);
    EXPECT_EQ(held.state.overhealHoldTicks, 1);
    EXPECT_EQ(barely.state.health, 100);  // never below the maximum
    EXPECT_EQ(barely.overhealAccumulator, 0.0f);
    EXPECT_EQ(decaying.state.spawnProtectionTicks, 64);

    Tick(64);
    EXPECT_EQ(decaying.state.health, 126);
    EXPECT_EQ(decaying.state.spawnProtectionTicks, 0);
    EXPECT_EQ(held.state.health, 138);  // the decay starts in the tick the hold runs out
    Tick(64);
    EXPECT_EQ(decaying.state.spawnProtectionTicks, 0);
}

TEST_F(ServerTickTest, FinishedMatchReturnsToItsLobbyAfterTheDelay)
{
    net::Room& room = baresrv::OpenRoom(*server, 0, true);
    baresrv::Occupy(*server, 0, 0, kTeamRed);
    room.winningSide = kTeamBlue;
    room.wonAt = server->now;
    Tick(511);  // 7.98 s
    EXPECT_EQ(room.started, 1);
    EXPECT_GT(server->slots[0].state.health, 0);
    Tick();
    EXPECT_EQ(room.started, 0);
    EXPECT_EQ(room.winningSide, net::kSideNone);
    EXPECT_EQ(server->slots[0].state.health, 0);
    EXPECT_EQ(server->slots[0].state.viewDistance, 3.0f);
    EXPECT_EQ(server->slots[0].state.team, kTeamNone);
}

TEST_F(ServerTickTest, LivePlayersArePosedIntoTheirRingByTick)
{
    baresrv::OpenRoom(*server, 0, true);
    net::ClientSlot& alive = baresrv::Occupy(*server, 0, 0, kTeamRed);
    net::ClientSlot& dead = baresrv::Occupy(*server, 1, 0, kTeamRed);
    dead.state.health = 0;
    alive.state.spawnProtectionTicks = 2;

    Tick();
    const net::PosedRingEntry& first = alive.posedRing[server->tick % net::kPosedRingLength];
    EXPECT_EQ(first.tick, server->tick);
    EXPECT_EQ(first.volumes.count, net::kCombatVolumeCount);
    EXPECT_GT(first.volumes.radius, 0.0f);
    EXPECT_EQ(first.isProtected, 1);
    EXPECT_TRUE(SamePosedSet(first.volumes, alive.combat.set));
    for (const net::PosedRingEntry& entry : dead.posedRing) {
        EXPECT_EQ(entry.tick, net::kNoTick);
    }

    Tick();  // protection has run out
    EXPECT_EQ(alive.posedRing[server->tick % net::kPosedRingLength].isProtected, 0);
    Tick(64);
    EXPECT_EQ(alive.posedRing[server->tick % net::kPosedRingLength].tick, server->tick);
}

TEST_F(ServerTickTest, MovementOnTheGeneratedMapEqualsALocalReplay)
{
    ASSERT_TRUE(baresrv::UseGeneratedMap(*server, 0));
    ASSERT_FALSE(server->maps[0].geometry.spawns.empty());
    net::Room& room = baresrv::OpenRoom(*server, 0, true, 1);
    room.settings.speedPercent = 125;
    net::ClientSlot& client = baresrv::Occupy(*server, 0, 0, kTeamRed, kWeaponSmg);
    PlayerState local = client.state;
    const CollisionWorld& world = server->maps[0].world;
    for (uint32_t t = 1; t <= 400; ++t) {
        const InputCommand command = BusyCommand(t, 0, t < 200 ? kWeaponSmg : kWeaponShotgun);
        if (t % 50 >= 45) {
            // A few silent ticks now and then: the server repeats without movement.
            InputCommand idle = client.lastCommand;
            idle.forward = 0;
            idle.side = 0;
            idle.buttons = 0;
            Tick();
            MovePlayer(local, idle, kTickDt, server->tuning, world);
        } else {
            baresrv::Queue(client, command);
            Tick();
            MovePlayer(local, command, kTickDt, server->tuning, world);
        }
        ASSERT_EQ(testsim::HashPlayerState(client.state), PredictedHash(local, client.state)) << "tick " << t;
    }
    EXPECT_GT(client.state.shotsFired, 0u);
}

// The same many-player match on a pool with threads and on one without: every state, ring entry
// and shooter list must agree bit for bit, tick after tick.
TEST(ServerTickThreaded, WorkerThreadsGiveTheSameTickAsTheServerThreadAlone)
{
    std::unique_ptr<net::Server> servers[2] = {baresrv::MakeBareServer(96, 4), baresrv::MakeBareServer(96, -1)};
    ASSERT_EQ(servers[0]->workers->ThreadCount(), 4);
    ASSERT_EQ(servers[1]->workers->ThreadCount(), 0);
    for (std::unique_ptr<net::Server>& server : servers) {
        ASSERT_TRUE(baresrv::UseGeneratedMap(*server, 0));
        ASSERT_TRUE(baresrv::UseGeneratedMap(*server, 1));
        ASSERT_TRUE(net::Server::LoadCombatRig(server->combatRig, server->tuning));
        for (int room = 0; room < 4; ++room) {
            baresrv::OpenRoom(*server, room, true, static_cast<uint8_t>(room % 2), 100, static_cast<uint8_t>(room % 2));
        }
        for (int slot = 0; slot < 96; ++slot) {
            baresrv::Occupy(*server, slot, slot % 4, static_cast<uint8_t>(slot % 2),
                            static_cast<uint8_t>(1 + slot % 9));
        }
    }
    for (uint32_t t = 1; t <= 96; ++t) {
        for (std::unique_ptr<net::Server>& server : servers) {
            for (int slot = 0; slot < 96; ++slot) {
                if ((slot + t) % 11 != 0) {  // some players are silent each tick
                    baresrv::Queue(server->slots[static_cast<size_t>(slot)],
                                   BusyCommand(t, static_cast<uint32_t>(slot), static_cast<uint8_t>(1 + slot % 9)));
                }
            }
            server->now += 1.0 / 64.0;
            server->SimulateTick();
        }
        ASSERT_EQ(servers[0]->shooters, servers[1]->shooters) << "tick " << t;
        for (size_t slot = 0; slot < 96; ++slot) {
            const net::ClientSlot& a = servers[0]->slots[slot];
            const net::ClientSlot& b = servers[1]->slots[slot];
            ASSERT_EQ(testsim::HashPlayerState(a.state), testsim::HashPlayerState(b.state))
                << "slot " << slot << " tick " << t;
            const net::PosedRingEntry& ra = a.posedRing[t % net::kPosedRingLength];
            const net::PosedRingEntry& rb = b.posedRing[t % net::kPosedRingLength];
            ASSERT_EQ(ra.tick, rb.tick);
            ASSERT_TRUE(SamePosedSet(ra.volumes, rb.volumes)) << "slot " << slot << " tick " << t;
        }
    }
    size_t posed = 0;
    for (const net::ClientSlot& client : servers[0]->slots) {
        posed += client.posedRing[96 % net::kPosedRingLength].volumes.count == net::kCombatVolumeCount ? 1 : 0;
    }
    EXPECT_GT(posed, 48u);
}

}  // namespace ticktest

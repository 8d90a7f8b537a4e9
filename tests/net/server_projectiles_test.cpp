// Rockets, grenades and flames on the server: explosion damage by distance, a grenade cooked off in
// the hand, ids that are never 0, flame particles that burn once per interval and set players alight.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <glm/geometric.hpp>

#include "net/flame_particles.h"
#include "net/server.h"
#include "net/world_messages.h"
#include "server_rules_rig.h"

namespace projectiletest {

using rulesrig::Rig;

constexpr float kProjTestDt = 1.0f / 60.0f;

// Puts the slot's player at (x, 0, z) on the open greybox floor, facing -z, unprotected.
void PlaceProjTestPlayer(Rig& rig, int slot, float x, float z, uint16_t health = 1000)
{
    net::ClientSlot& client = rig.Slot(slot);
    client.state.position = glm::vec3(x, 0.0f, z);
    client.state.velocity = glm::vec3(0.0f);
    client.state.yaw = 0.0f;
    client.state.pitch = 0.0f;
    client.state.spawnProtectionTicks = 0;
    client.state.health = health;
}

int ExpectedBlast(const net::Server& server, int owner, float falloff)
{
    return static_cast<int>(std::trunc(server.DamageScale(owner) * 90.0f * falloff + 0.5f));
}

TEST(ServerProjectiles, BlastDamageFallsOffWithTheSquareOfTheDistance)
{
    // Owner 0 (red), victims 1 and 2 (blue), ally 3 (red) beside the blast.
    Rig rig(0, 3, {0, 1, 1, 0});
    PlaceProjTestPlayer(rig, 0, 120.0f, 100.0f);
    PlaceProjTestPlayer(rig, 1, 100.0f, 100.0f);
    PlaceProjTestPlayer(rig, 2, 104.0f, 100.0f);
    PlaceProjTestPlayer(rig, 3, 101.0f, 100.0f);
    rig.ClearAll();
    Projectile rocket;
    rocket.id = 7;
    rocket.owner = 0;
    rocket.position = glm::vec3(100.0f, 0.9f, 100.0f);  // slot 1's centre; slot 2's is 4 m away
    rig.server->DetonateProjectile(0, rocket, 1);

    EXPECT_EQ(1000 - rig.Slot(1).state.health, ExpectedBlast(*rig.server, 0, 1.0f));
    EXPECT_EQ(1000 - rig.Slot(2).state.health, ExpectedBlast(*rig.server, 0, 0.25f));
    EXPECT_EQ(rig.Slot(3).state.health, 1000);  // friendly fire is off
    EXPECT_EQ(rig.Slot(0).state.health, 1000);
    const auto detonated = rig.inboxes[1]->All<net::ProjectileDetonatedMessage>();
    ASSERT_EQ(detonated.size(), 1u);
    EXPECT_EQ(detonated[0].id, 7u);
    const auto hits = rig.inboxes[0]->All<net::HitEventMessage>();
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].victim, 1);
    EXPECT_EQ(hits[0].kind, 1);
    EXPECT_EQ(hits[1].victim, 2);
    EXPECT_EQ(rig.Slot(2).damageCredits[0].attacker, 0);
}

TEST(ServerProjectiles, ALaunchedRocketStrikesThePlayerInItsPath)
{
    Rig rig(0, 3, {0, 1});
    PlaceProjTestPlayer(rig, 0, 100.0f, 100.0f);
    PlaceProjTestPlayer(rig, 1, 100.0f, 90.0f);
    rig.ClearAll();
    rig.server->LaunchRocket(0);
    const auto spawned = rig.inboxes[1]->All<net::ProjectileSpawnedMessage>();
    ASSERT_EQ(spawned.size(), 1u);
    EXPECT_EQ(spawned[0].kind, 0);
    EXPECT_EQ(spawned[0].owner, 0);
    EXPECT_NEAR(glm::length(spawned[0].velocity), 42.0f, 0.01f);
    for (int step = 0; step < 60 && !rig.server->roomProjectiles[0].items.empty(); ++step) {
        rig.server->StepProjectiles(kProjTestDt);
    }
    EXPECT_TRUE(rig.server->roomProjectiles[0].items.empty());
    EXPECT_EQ(1000 - rig.Slot(1).state.health, ExpectedBlast(*rig.server, 0, 1.0f));
    EXPECT_EQ(rig.Slot(0).state.health, 1000);
}

TEST(ServerProjectiles, AGrenadeCookedOffGoesOffInTheHandAndSparesTheThrower)
{
    Rig rig(0, 3, {0, 1, 0});
    PlaceProjTestPlayer(rig, 0, 100.0f, 100.0f);
    PlaceProjTestPlayer(rig, 1, 101.0f, 100.0f);
    PlaceProjTestPlayer(rig, 2, 99.0f, 100.0f);
    rig.Slot(0).state.cookedOff = 1;
    rig.ClearAll();
    rig.server->ThrowGrenade(0);

    EXPECT_TRUE(rig.server->roomProjectiles[0].items.empty());
    EXPECT_EQ(rig.Slot(0).state.health, 1000);
    EXPECT_EQ(rig.Slot(2).state.health, 1000);
    EXPECT_GT(1000 - rig.Slot(1).state.health, 0);
    EXPECT_TRUE(rig.inboxes[1]->All<net::ProjectileSpawnedMessage>().empty());
    const auto detonated = rig.inboxes[1]->All<net::ProjectileDetonatedMessage>();
    ASSERT_EQ(detonated.size(), 1u);
    EXPECT_NE(detonated[0].id, 0u);
}

TEST(ServerProjectiles, AThrownGrenadeFliesAtItsCookedSpeed)
{
    Rig rig(0, 3, {0, 1});
    PlaceProjTestPlayer(rig, 0, 100.0f, 100.0f);
    rig.Slot(0).state.cookFraction = 255;
    rig.ClearAll();
    rig.server->ThrowGrenade(0);
    ASSERT_EQ(rig.server->roomProjectiles[0].items.size(), 1u);
    const Projectile& grenade = rig.server->roomProjectiles[0].items[0];
    EXPECT_EQ(grenade.kind, 1);
    EXPECT_NEAR(glm::length(grenade.velocity), 24.0f, 0.01f);
    EXPECT_GT(grenade.restitution, 0.0f);
    const auto spawned = rig.inboxes[1]->All<net::ProjectileSpawnedMessage>();
    ASSERT_EQ(spawned.size(), 1u);
    EXPECT_EQ(spawned[0].id, grenade.id);
}

TEST(ServerProjectiles, TheGrenadePowerThrowsAGrenade)
{
    Rig rig(0, 3, {0, 1});
    PlaceProjTestPlayer(rig, 0, 100.0f, 100.0f);
    rig.Slot(0).state.power = kPowerGrenade;
    rig.server->UsePower(0);
    ASSERT_EQ(rig.server->roomProjectiles[0].items.size(), 1u);
    EXPECT_EQ(rig.server->roomProjectiles[0].items[0].kind, 1);
    EXPECT_EQ(rig.server->roomProjectiles[0].items[0].owner, 0u);
}

TEST(ServerProjectiles, IdsSkipZeroWhenTheyComeRound)
{
    Rig rig(0, 3, {0, 1});
    PlaceProjTestPlayer(rig, 0, 100.0f, 100.0f);
    rig.server->roomProjectiles[0].nextId = 0xFFFFFFu;
    rig.ClearAll();
    rig.server->LaunchRocket(0);
    rig.server->LaunchRocket(0);
    const auto spawned = rig.inboxes[1]->All<net::ProjectileSpawnedMessage>();
    ASSERT_EQ(spawned.size(), 2u);
    EXPECT_EQ(spawned[0].id, 0xFFFFFFu);
    EXPECT_EQ(spawned[1].id, 1u);
}

TEST(ServerProjectiles, ProjectilesOfAStoppedRoomAreDropped)
{
    Rig rig(0, 3, {0, 1});
    PlaceProjTestPlayer(rig, 0, 100.0f, 100.0f);
    rig.server->LaunchRocket(0);
    rig.server->EmitFlame(0);
    rig.RoomZero().started = 0;
    rig.server->StepProjectiles(kProjTestDt);
    rig.server->StepFlames(kProjTestDt, 2.0);
    EXPECT_TRUE(rig.server->roomProjectiles[0].items.empty());
    EXPECT_TRUE(rig.server->roomFlames[0].empty());
}

TEST(ServerFlames, FlamesHurtOncePerIntervalAndSetThePlayerAlight)
{
    Rig rig(0, 3, {0, 1});
    PlaceProjTestPlayer(rig, 0, 100.0f, 100.0f);
    PlaceProjTestPlayer(rig, 1, 100.0f, 98.0f);
    rig.ClearAll();
    net::Server& server = *rig.server;
    const int perHit = static_cast<int>(std::trunc(server.DamageScale(0) * 8.0f + 0.5f));
    // Several particles in flight at once, stepped at short intervals: one hit per 0.055 s at most.
    double time = 5.0;
    for (int i = 0; i < 3; ++i) {
        rig.Slot(0).state.shotsFired += 1;
        server.EmitFlame(0);
    }
    int steps = 0;
    while (!server.roomFlames[0].empty() && steps < 100) {
        time += 0.01;
        server.StepFlames(0.01f, time);
        ++steps;
    }
    EXPECT_LE(steps, 39);  // every particle is gone by its 0.38 s lifetime
    const int lost = 1000 - rig.Slot(1).state.health;
    EXPECT_GE(lost, perHit);
    EXPECT_EQ(lost % perHit, 0);
    EXPECT_LE(lost / perHit, static_cast<int>(steps * 0.01 / 0.055) + 1);
    EXPECT_EQ(rig.Slot(1).burner, 0);
    EXPECT_GT(rig.Slot(1).burningUntil, time);
    const auto hits = rig.inboxes[0]->All<net::HitEventMessage>();
    ASSERT_EQ(static_cast<int>(hits.size()), lost / perHit);
    EXPECT_EQ(hits[0].kind, 1);

    // The burn it set ticks on its own.
    const uint16_t before = rig.Slot(1).state.health;
    server.StepBurning(rig.Slot(1).nextBurn);
    EXPECT_LT(rig.Slot(1).state.health, before);
}

TEST(ServerFlames, SettingAlightAgainExtendsTheBurnWithoutResettingItsTicks)
{
    Rig rig(0, 3, {0, 1, 1});
    net::Server& server = *rig.server;
    server.SetAlight(0, 1, 10.0);
    EXPECT_DOUBLE_EQ(rig.Slot(0).nextBurn, 10.5);
    EXPECT_DOUBLE_EQ(rig.Slot(0).burningUntil, 15.0);
    server.SetAlight(0, 2, 12.2);
    EXPECT_DOUBLE_EQ(rig.Slot(0).nextBurn, 10.5);
    EXPECT_DOUBLE_EQ(rig.Slot(0).burningUntil, 17.2);
    EXPECT_EQ(rig.Slot(0).burner, 2);
}

TEST(ServerFlames, SpreadStaysInsideTheConeAndRadiusGrowsWithAge)
{
    tune::FlameTuning flame;
    std::vector<net::FlameParticle> particles;
    const glm::vec3 forward(0.0f, 0.0f, -1.0f);
    // u1 sets how far out: 0 straight ahead, 1 on the cone's edge.
    for (const float u1 : {0.0f, 0.25f, 1.0f}) {
        particles.clear();
        net::ShotSpread(particles, 3, glm::vec3(1.0f), forward, flame, u1, 0.3f);
        ASSERT_EQ(particles.size(), 1u);
        const glm::vec3 direction = glm::normalize(particles[0].velocity);
        const float degrees = std::acos(std::clamp(glm::dot(direction, forward), -1.0f, 1.0f)) * 57.29578f;
        EXPECT_NEAR(degrees, std::sqrt(u1) * flame.coneHalfAngle, 0.05f);
        EXPECT_NEAR(glm::length(particles[0].velocity), flame.particleSpeed, 1e-3f);
    }
    EXPECT_FLOAT_EQ(net::FlameRadius(0.0f, flame), 0.22f);
    EXPECT_FLOAT_EQ(net::FlameRadius(0.19f, flame), 0.76f);
    EXPECT_FLOAT_EQ(net::FlameRadius(9.0f, flame), 1.3f);
    flame.particleLifetime = 0.0f;
    EXPECT_FLOAT_EQ(net::FlameRadius(0.0f, flame), 1.3f);
}

TEST(ServerProjectiles, AimTraceKeepsItsMinimumDistance)
{
    CollisionWorld world;
    world.BuildGreybox();
    const glm::vec3 down(0.0f, -1.0f, 0.0f);
    // start height, expected target height: far floor, near floor, nothing at all (upward)
    EXPECT_NEAR(net::TraceAimTarget(world, glm::vec3(200.0f, 10.0f, 200.0f), down, 50.0f, 3.0f).y, 0.0f, 1e-3f);
    EXPECT_NEAR(net::TraceAimTarget(world, glm::vec3(200.0f, 2.0f, 200.0f), down, 50.0f, 3.0f).y, -1.0f, 1e-3f);
    EXPECT_NEAR(net::TraceAimTarget(world, glm::vec3(200.0f, 2.0f, 200.0f), -down, 50.0f, 3.0f).y, 52.0f, 1e-3f);
    const glm::vec3 fallback(1.0f, 0.0f, 0.0f);
    EXPECT_EQ(net::DirectionToward(glm::vec3(1.0f), glm::vec3(1.0f), fallback), fallback);
    EXPECT_EQ(net::DirectionToward(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(0.0f, 0.0f, 1.0f)),
              glm::vec3(0.0f, 0.0f, 1.0f));
}


// Firing through the tick: the movement's shot counter hands a rocket or a flame to the room, which
// hurts the player standing in front. Neither weapon is ever traced as a hitscan shot.
TEST(ServerProjectiles, RocketsAndFlamesFiredThroughTheTickReachTheRoom)
{
    for (const uint8_t weapon : {static_cast<uint8_t>(kWeaponRpg), static_cast<uint8_t>(kWeaponFlamer)}) {
        SCOPED_TRACE(static_cast<int>(weapon));
        Rig rig(0, 3, {0, 1});
        net::Server& server = *rig.server;
        baresrv::Occupy(server, 0, 0, 0, weapon);
        rig.Slot(0).address = net::LoopbackAddress(rig.inboxes[0]->socket.Port());
        PlaceProjTestPlayer(rig, 0, 100.0f, 100.0f);
        PlaceProjTestPlayer(rig, 1, 100.0f, weapon == kWeaponRpg ? 90.0f : 98.5f);
        for (int slot = 0; slot < 2; ++slot) {
            rig.Slot(slot).state.maxHealth = 1000;  // no overheal to decay over the second played
        }
        rig.ClearAll();

        bool projectileSeen = false;
        bool flameSeen = false;
        for (uint32_t t = 1; t <= 64; ++t) {
            InputCommand command;
            command.tick = t;
            command.buttons = t <= 8 ? kButtonFire : 0;
            command.weapon = weapon;
            baresrv::Queue(rig.Slot(0), command);
            rig.Slot(1).lastHeard = server.now;
            rig.Slot(0).lastHeard = server.now;
            server.now += 1.0 / 64.0;
            server.SimulateTick();
            EXPECT_TRUE(server.shotRecords.empty()) << "tick " << t;
            projectileSeen = projectileSeen || !server.roomProjectiles[0].items.empty();
            flameSeen = flameSeen || !server.roomFlames[0].empty();
        }
        EXPECT_GT(rig.Slot(0).state.shotsFired, 0u);
        EXPECT_LT(rig.Slot(1).state.health, 1000);
        EXPECT_EQ(rig.Slot(0).state.health, 1000);
        if (weapon == kWeaponRpg) {
            EXPECT_TRUE(projectileSeen);
            EXPECT_FALSE(rig.inboxes[1]->All<net::ProjectileSpawnedMessage>().empty());
            EXPECT_FALSE(rig.inboxes[1]->All<net::ProjectileDetonatedMessage>().empty());
        } else {
            EXPECT_TRUE(flameSeen);
            EXPECT_EQ(rig.Slot(1).burner, 0);
        }
        EXPECT_FALSE(rig.inboxes[0]->All<net::HitEventMessage>().empty());
    }
}

}  // namespace projectiletest

// Deployables on the server: the room's shield and field limits, shield damage, sentry targeting
// and fire, healing pulses with their overheal, and the ids each kind hands out.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <glm/geometric.hpp>

#include "game/shot_geometry.h"
#include "net/server.h"
#include "net/world_messages.h"
#include "server_rules_rig.h"

namespace deployablestest {

using rulesrig::Rig;

constexpr uint8_t kTeamsMode = 0;
constexpr uint8_t kFreeForAllMode = 1;

// A player standing unprotected at a point of the greybox floor, with full health of 100.
void StandAt(Rig& rig, int slot, const glm::vec3& position, float yaw = 0.0f)
{
    PlayerState& state = rig.Slot(slot).state;
    state.position = position;
    state.velocity = glm::vec3(0.0f);
    state.yaw = yaw;
    state.spawnProtectionTicks = 0;
    state.maxHealth = 100;
    state.health = 100;
}

Sentry& PlaceSentryOf(Rig& rig, int owner, const glm::vec3& position)
{
    return SpawnSentry(rig.server->roomSentries[0], static_cast<uint32_t>(owner), rig.Slot(owner).state.team,
                       position, 0.0f, rig.server->tuning.sentry);
}

void StepSentriesFor(Rig& rig, float seconds)
{
    const float dt = 1.0f / 64.0f;
    for (float t = 0.0f; t < seconds; t += dt) {
        rig.server->now += dt;
        rig.server->StepSentries(dt);
    }
}

TEST(ServerDeployables, TheTwentyFifthShieldIsRefusedAndUsePowerPlacesEachKind)
{
    Rig rig(kTeamsMode, 3, {0, 1});
    StandAt(rig, 0, glm::vec3(0.0f, 0.0f, -5.0f));
    rig.Slot(0).state.power = 3;
    for (int i = 0; i < 25; ++i) {
        rig.server->UsePower(0);
    }
    EXPECT_EQ(rig.server->roomShields[0].items.size(), 24u);
    const Shield& shield = rig.server->roomShields[0].items[0];
    EXPECT_NEAR(shield.position.z, -7.0f, 0.01f);
    EXPECT_NEAR(shield.position.y, 0.0f, 0.01f);
    EXPECT_EQ(shield.team, 0);
    ASSERT_FALSE(rig.inboxes[1]->All<net::ShieldStatesMessage>().empty());

    rig.Slot(0).state.power = 1;
    rig.server->UsePower(0);
    ASSERT_EQ(rig.server->roomSentries[0].items.size(), 1u);
    EXPECT_NEAR(rig.server->roomSentries[0].items[0].position.z, -6.6f, 0.01f);
    EXPECT_NEAR(rig.server->roomSentries[0].items[0].position.y, 0.0f, 0.01f);

    rig.Slot(0).state.power = 4;
    for (int i = 0; i < 9; ++i) {
        rig.server->UsePower(0);
    }
    EXPECT_EQ(rig.server->roomHealingFields[0].size(), 8u);
    EXPECT_EQ(rig.inboxes[1]->All<net::HealingFieldMessage>().size(), 8u);

    // Over no floor at all the sentry is not planted.
    rig.server->maps[0].world.hasFloor = false;
    rig.Slot(0).state.power = 1;
    rig.server->UsePower(0);
    EXPECT_EQ(rig.server->roomSentries[0].items.size(), 1u);

    // Outside a room nothing is placed.
    rig.Slot(1).room = -1;
    rig.Slot(1).state.power = 1;
    rig.server->UsePower(1);
    EXPECT_EQ(rig.server->roomSentries[0].items.size(), 1u);
}

TEST(ServerDeployables, ShieldsTakeDamageOnlyFromTheOtherSideAndBreakOnce)
{
    struct Case {
        uint8_t mode;
        int attacker;
        bool hurt;
    };
    // Slot 0 owns the shield; slot 1 is on its side, slot 2 on the other.
    const std::vector<Case> cases = {{kTeamsMode, 0, false}, {kTeamsMode, 1, false}, {kTeamsMode, 2, true},
                                     {kFreeForAllMode, 0, false}, {kFreeForAllMode, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attacker);
        Rig rig(c.mode, 3, {0, 0, 1});
        StandAt(rig, 0, glm::vec3(0.0f, 0.0f, -5.0f));
        rig.server->PutUpShield(0);
        ASSERT_EQ(rig.server->roomShields[0].items.size(), 1u);
        const uint32_t id = rig.server->roomShields[0].items[0].id;
        EXPECT_FALSE(rig.server->BreakShield(0, id, 100, c.attacker));
        EXPECT_EQ(rig.server->roomShields[0].items[0].hitPoints, c.hurt ? 50 : 150);
        EXPECT_EQ(rig.server->BreakShield(0, id, 100, c.attacker), c.hurt);
        EXPECT_FALSE(rig.server->BreakShield(0, id, 100, c.attacker));
        EXPECT_FALSE(rig.server->BreakShield(40, id, 100, c.attacker));
    }
}

TEST(ServerDeployables, RadiusDamageFallsWithDistanceAndSparesTheExemptSide)
{
    Rig rig(kTeamsMode, 3, {0, 1});
    StandAt(rig, 0, glm::vec3(0.0f, 0.0f, -5.0f));
    rig.server->PutUpShield(0);
    const Shield& shield = rig.server->roomShields[0].items[0];
    const glm::vec3 nearest = ClosestPointOnShield(shield, rig.server->tuning.shield, glm::vec3(0.0f, 1.0f, -1.0f));
    const float d = glm::length(nearest - glm::vec3(0.0f, 1.0f, -1.0f));
    rig.ClearAll();
    rig.server->now += 1.0;
    rig.server->DamageShieldsInRadius(0, 0, glm::vec3(0.0f, 1.0f, -1.0f), 8.0f, 90.0f, 1);
    EXPECT_EQ(shield.hitPoints, 150);
    rig.server->DamageShieldsInRadius(0, 1, glm::vec3(0.0f, 1.0f, -1.0f), 8.0f, 90.0f, 1);
    const int damage = static_cast<int>(std::trunc(90.0 - d * 90.0 / 8.0 + 0.5));
    EXPECT_EQ(shield.hitPoints, 150 - damage);
    const auto hits = rig.inboxes[0]->All<net::HitEventMessage>();
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].attacker, 1);
    EXPECT_EQ(hits[0].victim, 1);
    EXPECT_EQ(hits[0].kind, 1);
    EXPECT_EQ(hits[0].amount, damage);
    EXPECT_EQ(rig.inboxes[0]->All<net::ShieldStatesMessage>().size(), 1u);
}

TEST(ServerDeployables, ASentryFiresOnlyWithLineOfSight)
{
    Rig rig(kTeamsMode, 3, {0, 1});
    StandAt(rig, 0, glm::vec3(-3.0f, 0.0f, -8.0f));
    PlaceSentryOf(rig, 0, glm::vec3(0.0f, 0.0f, 0.0f));
    // Behind the wall that stands at x = 4.
    StandAt(rig, 1, glm::vec3(8.0f, 0.0f, 0.0f));
    StepSentriesFor(rig, 2.0f);
    const Sentry& sentry = rig.server->roomSentries[0].items[0];
    EXPECT_EQ(sentry.target, -1);
    EXPECT_EQ(sentry.shotCount, 0u);
    EXPECT_FLOAT_EQ(sentry.yaw, 0.0f);
    EXPECT_EQ(rig.Slot(1).state.health, 100);

    // In the open to the sentry's side: it turns, then fires every 60 / 260 s for 6 each.
    StandAt(rig, 1, glm::vec3(6.0f, 0.0f, -6.0f));
    StepSentriesFor(rig, 1.0f);
    EXPECT_EQ(sentry.target, 1);
    EXPECT_GE(sentry.shotCount, 2u);
    EXPECT_EQ(rig.Slot(1).state.health, 100 - 6 * static_cast<int>(sentry.shotCount));
    const auto hits = rig.inboxes[1]->All<net::HitEventMessage>();
    ASSERT_EQ(hits.size(), sentry.shotCount);
    EXPECT_EQ(hits[0].attacker, 0);
    EXPECT_EQ(hits[0].victim, 1);
    EXPECT_EQ(hits[0].kind, 0);
    EXPECT_EQ(hits[0].amount, 6);
    EXPECT_EQ(rig.Slot(1).damageCredits[0].attacker, 0);
}

TEST(ServerDeployables, ASentryTakesTheNearestEnemyAndSparesAlliesUnlessFriendlyFireIsOn)
{
    struct Case {
        uint8_t mode;
        uint8_t friendlyFire;
        int target;
    };
    // Slot 1 (the owner's side) stands nearer than slot 2 (the other side); the owner nearer still.
    const std::vector<Case> cases = {{kTeamsMode, 0, 2}, {kTeamsMode, 1, 1}, {kFreeForAllMode, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode) * 10 + c.friendlyFire);
        Rig rig(c.mode, 3, {0, 0, 1});
        rig.server->tuning.match.friendlyFire = c.friendlyFire;
        StandAt(rig, 0, glm::vec3(0.0f, 0.0f, -2.0f));
        StandAt(rig, 1, glm::vec3(0.0f, 0.0f, -4.0f));
        StandAt(rig, 2, glm::vec3(0.0f, 0.0f, -8.0f));
        PlaceSentryOf(rig, 0, glm::vec3(0.0f, 0.0f, 0.0f));
        StepSentriesFor(rig, 1.0f);
        const Sentry& sentry = rig.server->roomSentries[0].items[0];
        EXPECT_EQ(sentry.target, c.target);
        EXPECT_GE(sentry.shotCount, 1u);
        EXPECT_EQ(rig.Slot(0).state.health, 100);
        EXPECT_EQ(rig.Slot(c.target).state.health, 100 - 6 * static_cast<int>(sentry.shotCount));
        EXPECT_EQ(rig.Slot(3 - c.target).state.health, 100);
    }
}

TEST(ServerDeployables, ASentryShotIntoAnEnemyShieldDamagesTheShield)
{
    Rig rig(kTeamsMode, 3, {0, 1});
    StandAt(rig, 0, glm::vec3(-3.0f, 0.0f, -8.0f));
    PlaceSentryOf(rig, 0, glm::vec3(0.0f, 0.0f, 0.0f));
    // The enemy stands behind its own shield, which faces the sentry.
    StandAt(rig, 1, glm::vec3(0.0f, 0.0f, -2.5f), 180.0f);
    rig.server->PutUpShield(1);
    StandAt(rig, 1, glm::vec3(0.0f, 0.0f, -7.0f));
    ASSERT_EQ(rig.server->roomShields[0].items.size(), 1u);
    StepSentriesFor(rig, 1.0f);
    const Sentry& sentry = rig.server->roomSentries[0].items[0];
    ASSERT_GE(sentry.shotCount, 1u);
    EXPECT_EQ(rig.Slot(1).state.health, 100);
    EXPECT_EQ(rig.server->roomShields[0].items[0].hitPoints, 150 - 6 * static_cast<int>(sentry.shotCount));
    const auto hits = rig.inboxes[1]->All<net::HitEventMessage>();
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(hits[0].victim, 0);
    EXPECT_EQ(hits[0].kind, 1);
}

TEST(ServerDeployables, SentriesLoseHealthToEnemiesOnlyAndExpire)
{
    Rig rig(kTeamsMode, 3, {0, 0, 1});
    const uint32_t id = PlaceSentryOf(rig, 0, glm::vec3(0.0f, 0.0f, 0.0f)).id;
    EXPECT_FALSE(rig.server->DestroySentry(0, id, 100, 0));
    EXPECT_FALSE(rig.server->DestroySentry(0, id, 100, 1));
    EXPECT_FALSE(rig.server->DestroySentry(0, id, 50, 2));
    EXPECT_TRUE(rig.server->DestroySentry(0, id, 50, 2));
    rig.server->StepSentries(0.01f);
    EXPECT_TRUE(rig.server->roomSentries[0].items.empty());

    PlaceSentryOf(rig, 0, glm::vec3(0.0f, 0.0f, 0.0f));
    rig.server->StepSentries(44.9f);
    EXPECT_EQ(rig.server->roomSentries[0].items.size(), 1u);
    rig.server->StepSentries(0.2f);
    EXPECT_TRUE(rig.server->roomSentries[0].items.empty());
}

TEST(ServerDeployables, AHealingFieldOverhealsItsSideThenTheSurplusDecays)
{
    Rig rig(kTeamsMode, 3, {0, 0, 1});
    StandAt(rig, 0, glm::vec3(0.0f, 0.0f, -5.0f));
    StandAt(rig, 1, glm::vec3(1.0f, 0.0f, -5.0f));
    StandAt(rig, 2, glm::vec3(-1.0f, 0.0f, -5.0f));
    rig.Slot(0).state.power = 4;
    rig.server->UsePower(0);
    ASSERT_EQ(rig.server->roomHealingFields[0].size(), 1u);
    const int tickRate = rig.server->tuning.loop.tickRate;
    // The field's whole life: 30% of the maximum on top, and the hold keeps it.
    for (int i = 0; i < 7 * tickRate; ++i) {
        rig.server->SimulateTick();
    }
    EXPECT_TRUE(rig.server->roomHealingFields[0].empty());
    EXPECT_EQ(rig.Slot(0).state.health, 130);
    EXPECT_EQ(rig.Slot(1).state.health, 130);
    EXPECT_EQ(rig.Slot(2).state.health, 100);
    for (int i = 0; i < 13 * tickRate; ++i) {
        rig.server->SimulateTick();
    }
    EXPECT_EQ(rig.Slot(0).state.health, 130);
    // Past the hold the surplus goes at 12 a second, never below the maximum.
    for (int i = 0; i < 3 * tickRate; ++i) {
        rig.server->SimulateTick();
    }
    EXPECT_LT(rig.Slot(0).state.health, 130);
    EXPECT_GE(rig.Slot(0).state.health, 100);
    for (int i = 0; i < 4 * tickRate; ++i) {
        rig.server->SimulateTick();
    }
    EXPECT_EQ(rig.Slot(0).state.health, 100);

    const auto hits = rig.inboxes[2]->All<net::HitEventMessage>();
    ASSERT_FALSE(hits.empty());
    EXPECT_TRUE(hits[0].healing);
    EXPECT_EQ(hits[0].attacker, 0);
    EXPECT_EQ(hits[0].kind, 1);
}

TEST(ServerDeployables, InAFreeForAllRoomAFieldHealsOnlyItsOwner)
{
    Rig rig(kFreeForAllMode, 3, {0, 0});
    StandAt(rig, 0, glm::vec3(0.0f, 0.0f, -5.0f));
    StandAt(rig, 1, glm::vec3(1.0f, 0.0f, -5.0f));
    rig.Slot(0).state.health = 50;
    rig.Slot(1).state.health = 50;
    rig.Slot(0).state.power = 4;
    rig.server->UsePower(0);
    for (int i = 0; i < 64; ++i) {
        rig.server->SimulateTick();
    }
    EXPECT_GT(rig.Slot(0).state.health, 50);
    EXPECT_EQ(rig.Slot(1).state.health, 50);
}

TEST(ServerDeployables, HealingFieldIdsWrapInSixteenBitsSkippingZeroAndLiveIds)
{
    Rig rig(kTeamsMode, 3, {0});
    rig.server->nextHealingFieldId[0] = 0xFFFFu;
    std::vector<uint32_t> ids;
    ids.push_back(rig.server->SpawnHealingField(0, 0, 0, glm::vec3(0.0f))->id);
    ids.push_back(rig.server->SpawnHealingField(0, 0, 0, glm::vec3(0.0f))->id);
    // A field still holding 3 when the counter comes round to it again.
    rig.server->roomHealingFields[0][1].id = 3;
    rig.server->nextHealingFieldId[0] = 3;
    ids.push_back(rig.server->SpawnHealingField(0, 0, 0, glm::vec3(0.0f))->id);
    EXPECT_EQ(ids, (std::vector<uint32_t>{0xFFFFu, 1u, 4u}));
    for (int i = 3; i < 8; ++i) {
        const net::HealingField* field = rig.server->SpawnHealingField(0, 0, 0, glm::vec3(0.0f));
        ASSERT_NE(field, nullptr);
        EXPECT_NE(field->id, 0u);
    }
    EXPECT_EQ(rig.server->SpawnHealingField(0, 0, 0, glm::vec3(0.0f)), nullptr);
    EXPECT_EQ(rig.server->SpawnHealingField(32, 0, 0, glm::vec3(0.0f)), nullptr);
}

TEST(ServerDeployables, ListsOfARoomThatStoppedRunningAreEmptied)
{
    Rig rig(kTeamsMode, 3, {0});
    StandAt(rig, 0, glm::vec3(0.0f, 0.0f, -5.0f));
    rig.server->PutUpShield(0);
    PlaceSentryOf(rig, 0, glm::vec3(0.0f));
    rig.server->SpawnHealingField(0, 0, 0, glm::vec3(0.0f));
    rig.RoomZero().started = 0;
    rig.server->StepShields(0.01f);
    rig.server->StepSentries(0.01f);
    rig.server->StepHealingFields();
    EXPECT_TRUE(rig.server->roomShields[0].items.empty());
    EXPECT_TRUE(rig.server->roomSentries[0].items.empty());
    EXPECT_TRUE(rig.server->roomHealingFields[0].empty());
}

// A red M4 shooter at the origin aims at a blue target 10 m ahead; a shield stands halfway,
// put up by the target's side (it stops the shot) or by the shooter's (it lets the shot through).
TEST(ServerDeployables, AShieldStopsAnEnemysShotAndLetsItsOwnSidesThrough)
{
    for (const uint8_t shieldSide : {kTeamBlue, kTeamRed}) {
        SCOPED_TRACE(static_cast<int>(shieldSide));
        Rig rig(kTeamsMode, 3, {kTeamRed, kTeamBlue, shieldSide});
        net::Server& server = *rig.server;
        server.maps[0].world.Clear();
        ASSERT_TRUE(net::Server::LoadCombatRig(server.combatRig, server.tuning));
        for (int slot = 0; slot < 3; ++slot) {
            rig.Slot(slot).primaryWeapon = kWeaponM4;
            server.SpawnPlayer(slot);
        }
        StandAt(rig, 2, glm::vec3(0.0f, 0.0f, -3.0f));
        server.PutUpShield(2);
        ASSERT_EQ(server.roomShields[0].items.size(), 1u);
        StandAt(rig, 2, glm::vec3(20.0f, 0.0f, 20.0f));
        StandAt(rig, 0, glm::vec3(0.0f));
        StandAt(rig, 1, glm::vec3(0.0f, 0.0f, -10.0f));
        for (int i = 0; i < 8; ++i) {
            server.now += 1.0 / 64.0;
            server.SimulateTick();
        }
        PlayerState& shooter = rig.Slot(0).state;
        const glm::vec3 chest = rig.Slot(1).state.position + glm::vec3(0.0f, 1.2f, 0.0f);
        for (int round = 0; round < 12; ++round) {
            const glm::vec3 d = glm::normalize(chest - ViewOrigin(shooter, server.tuning, server.maps[0].world));
            shooter.yaw = std::atan2(-d.x, -d.z) / 0.017453292f;
            shooter.pitch = std::asin(d.y) / 0.017453292f;
        }
        rig.ClearAll();
        const uint16_t before = rig.Slot(1).state.health;
        net::ShotTrace record;
        server.TraceShot(0, record);
        server.ResolveShot(record);
        ASSERT_TRUE(record.valid);
        const Shield& shield = server.roomShields[0].items[0];
        const auto hits = rig.inboxes[1]->All<net::HitEventMessage>();
        ASSERT_EQ(hits.size(), 1u);
        if (shieldSide == kTeamBlue) {
            EXPECT_EQ(record.pellets[0].shieldId, shield.id);
            EXPECT_EQ(rig.Slot(1).state.health, before);
            EXPECT_EQ(shield.hitPoints, 150 - hits[0].amount);
            EXPECT_EQ(hits[0].victim, 0);
            EXPECT_EQ(hits[0].kind, net::kHitKindShield);
        } else {
            EXPECT_EQ(record.pellets[0].slot, 1);
            EXPECT_EQ(record.pellets[0].shieldId, 0u);
            EXPECT_EQ(shield.hitPoints, 150);
            EXPECT_EQ(rig.Slot(1).state.health, before - hits[0].amount);
            EXPECT_EQ(hits[0].victim, 1);
        }
        EXPECT_GT(hits[0].amount, 0);
    }
}

// The same shot past a sentry lifted into its line: an enemy's sentry takes it, with friendly fire
// off the shooter's own side's does not.
TEST(ServerDeployables, AnEnemySentryInTheLineOfFireTakesTheShot)
{
    for (const uint8_t sentrySide : {kTeamBlue, kTeamRed}) {
        SCOPED_TRACE(static_cast<int>(sentrySide));
        Rig rig(kTeamsMode, 3, {kTeamRed, kTeamBlue, sentrySide});
        net::Server& server = *rig.server;
        server.maps[0].world.Clear();
        ASSERT_TRUE(net::Server::LoadCombatRig(server.combatRig, server.tuning));
        for (int slot = 0; slot < 3; ++slot) {
            rig.Slot(slot).primaryWeapon = kWeaponM4;
            server.SpawnPlayer(slot);
        }
        StandAt(rig, 2, glm::vec3(20.0f, 0.0f, 20.0f));
        StandAt(rig, 0, glm::vec3(0.0f));
        StandAt(rig, 1, glm::vec3(0.0f, 0.0f, -10.0f));
        for (int i = 0; i < 8; ++i) {
            server.now += 1.0 / 64.0;
            server.SimulateTick();
        }
        PlayerState& shooter = rig.Slot(0).state;
        const glm::vec3 chest = rig.Slot(1).state.position + glm::vec3(0.0f, 1.2f, 0.0f);
        for (int round = 0; round < 12; ++round) {
            const glm::vec3 d = glm::normalize(chest - ViewOrigin(shooter, server.tuning, server.maps[0].world));
            shooter.yaw = std::atan2(-d.x, -d.z) / 0.017453292f;
            shooter.pitch = std::asin(d.y) / 0.017453292f;
        }
        // Lifted so that its box spans the line from the view to the chest where it stands.
        const glm::vec3 view = ViewOrigin(shooter, server.tuning, server.maps[0].world);
        const glm::vec3 across = view + (chest - view) * 0.5f;
        const Sentry& sentry = PlaceSentryOf(rig, 2, glm::vec3(across.x, across.y - 0.44f, across.z));
        const uint32_t id = sentry.id;
        rig.ClearAll();
        const uint16_t before = rig.Slot(1).state.health;
        net::ShotTrace record;
        server.TraceShot(0, record);
        server.ResolveShot(record);
        ASSERT_TRUE(record.valid);
        const auto hits = rig.inboxes[1]->All<net::HitEventMessage>();
        ASSERT_EQ(hits.size(), 1u);
        const Sentry* after = FindSentry(server.roomSentries[0], id);
        ASSERT_NE(after, nullptr);
        if (sentrySide == kTeamBlue) {
            EXPECT_EQ(record.pellets[0].sentryId, id);
            EXPECT_EQ(rig.Slot(1).state.health, before);
            EXPECT_EQ(after->hitPoints, 75 - hits[0].amount);
            EXPECT_EQ(hits[0].victim, 0);
            EXPECT_EQ(hits[0].kind, net::kHitKindSentry);
        } else {
            EXPECT_EQ(record.pellets[0].slot, 1);
            EXPECT_EQ(after->hitPoints, 75);
            EXPECT_EQ(rig.Slot(1).state.health, before - hits[0].amount);
        }
        EXPECT_GT(hits[0].amount, 0);
    }
}

}  // namespace deployablestest

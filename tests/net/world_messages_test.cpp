#include "net/world_messages.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "game/id_list.h"
#include "game/projectile.h"
#include "game/sentry.h"
#include "game/shield.h"
#include "game/tuning.h"
#include "wire_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(HitEvent, FollowsTheFieldTableAndRoundTrips)
{
    net::HitEventMessage m;
    m.attacker = 255;
    m.victim = 200;
    m.kind = 7;
    m.amount = -5000;
    m.lethal = true;
    m.healing = false;
    m.position = {1.5f, -2.25f, 1e9f};
    const Bytes bytes = wiretest::Encode(m);
    // Flags in the order lethal, always-set, healing.
    const Bytes expected = wiretest::Raw(net::MessageType::HitEvent)
                               .Bits(255, 8).Bits(200, 8).Bits(7, 3).Bits(4095, 12)
                               .Bits(1, 1).Bits(1, 1).Bits(0, 1)
                               .Float(1.5f).Float(-2.25f).Float(1e9f).Bytes();
    EXPECT_EQ(bytes, expected);
    net::HitEventMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.attacker, 255);
    EXPECT_EQ(back.victim, 200);
    EXPECT_EQ(back.kind, 7);
    EXPECT_EQ(back.amount, 4095);
    EXPECT_TRUE(back.lethal);
    EXPECT_FALSE(back.healing);
    EXPECT_EQ(back.position, m.position);

    m.amount = 4095;
    m.healing = true;
    m.lethal = false;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    EXPECT_EQ(back.amount, 4095);
    EXPECT_TRUE(back.healing);
    EXPECT_FALSE(back.lethal);
}

net::DropSpawnEntry WireDrop(uint32_t id)
{
    net::DropSpawnEntry drop;
    drop.id = id;
    drop.kind = static_cast<uint8_t>(id % 2);
    drop.position = {static_cast<float>(id), 2.0f, -3.0f};
    drop.velocity = {0.5f, 9.0f, -0.25f};
    drop.spin = 720.0f;
    return drop;
}

TEST(DropSpawned, EightDropsRoundTripAndANinthWaitsForTheNextMessage)
{
    net::DropSpawnedMessage m;
    for (uint32_t id = 0; id < 11; ++id) {
        m.drops.push_back(WireDrop(0xFFFFFFF0u + id));
    }
    const Bytes bytes = wiretest::Encode(m);
    ASSERT_FALSE(bytes.empty());
    EXPECT_LE(bytes.size(), static_cast<size_t>(net::MessageCapacityWords(net::MessageType::DropSpawned) * 4));
    net::DropSpawnedMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    ASSERT_EQ(back.drops.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(back.drops[i].id, m.drops[i].id);
        EXPECT_EQ(back.drops[i].kind, m.drops[i].kind);
        EXPECT_EQ(back.drops[i].position, m.drops[i].position);
        EXPECT_EQ(back.drops[i].velocity, m.drops[i].velocity);
        EXPECT_EQ(back.drops[i].spin, m.drops[i].spin);
    }
    net::DropSpawnedMessage rest;
    rest.drops.assign(m.drops.begin() + 8, m.drops.end());
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(rest), back));
    EXPECT_EQ(back.drops.size(), 3u);
    EXPECT_TRUE(wiretest::Encode(net::DropSpawnedMessage{}).empty());
}

TEST(DropSpawned, ReaderRefusesCountsZeroAndNineAndKeepsWholeDropsBeforeAnOverrun)
{
    net::DropSpawnedMessage back;
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::DropSpawned).Bits(0, 4).Bytes(), back));
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::DropSpawned).Bits(9, 4).Bytes(), back));

    net::DropSpawnedMessage three;
    three.drops = {WireDrop(1), WireDrop(2), WireDrop(3)};
    Bytes bytes = wiretest::Encode(three);
    bytes.resize(bytes.size() - 12);
    EXPECT_FALSE(wiretest::Decode(bytes, back));
    ASSERT_EQ(back.drops.size(), 2u);
    EXPECT_EQ(back.drops[1].id, 2u);
}

TEST(SmallEvents, RoundTripAtTheirFieldLimits)
{
    net::DropTakenMessage taken;
    taken.dropId = 0xFFFFFFFF;
    taken.slot = 255;
    net::DropTakenMessage takenBack;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(taken), takenBack));
    EXPECT_EQ(takenBack.dropId, 0xFFFFFFFFu);
    EXPECT_EQ(takenBack.slot, 255);

    net::ProjectileSpawnedMessage spawned;
    spawned.id = 0x1FFFFFF;  // 25 bits: the 24 low ones travel
    spawned.kind = 1;
    spawned.owner = 0;
    spawned.position = {1, 2, 3};
    spawned.velocity = {-4, 5, -6};
    net::ProjectileSpawnedMessage spawnedBack;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(spawned), spawnedBack));
    EXPECT_EQ(spawnedBack.id, 0xFFFFFFu);
    EXPECT_EQ(spawnedBack.kind, 1);
    EXPECT_EQ(spawnedBack.owner, 0);
    EXPECT_EQ(spawnedBack.position, spawned.position);
    EXPECT_EQ(spawnedBack.velocity, spawned.velocity);

    net::ProjectileDetonatedMessage detonated;
    detonated.id = 0xFFFFFF;
    detonated.position = {-0.0f, 1e-30f, 7};
    net::ProjectileDetonatedMessage detonatedBack;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(detonated), detonatedBack));
    EXPECT_EQ(detonatedBack.id, 0xFFFFFFu);
    EXPECT_TRUE(std::signbit(detonatedBack.position.x));
    EXPECT_EQ(detonatedBack.position.y, 1e-30f);

    net::KillEventMessage kill;
    kill.victim = 255;
    kill.armour = 4;
    kill.position = {10, 20, 30};
    kill.yaw = -179.5f;
    kill.bodyYaw = 180.0f;
    net::KillEventMessage killBack;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(kill), killBack));
    EXPECT_EQ(killBack.victim, 255);
    EXPECT_EQ(killBack.armour, 4);
    EXPECT_EQ(killBack.position, kill.position);
    EXPECT_EQ(killBack.yaw, kill.yaw);
    EXPECT_EQ(killBack.bodyYaw, kill.bodyYaw);

    net::HealingFieldMessage field;
    field.id = 65535;
    field.owner = 255;
    field.team = 9;
    field.position = {4, 5, 6};
    net::HealingFieldMessage fieldBack;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(field), fieldBack));
    EXPECT_EQ(fieldBack.id, 65535);
    EXPECT_EQ(fieldBack.owner, 255);
    EXPECT_EQ(fieldBack.team, kTeamNone);
    EXPECT_EQ(fieldBack.position, field.position);
}

net::SentryStateEntry WireSentry(int i)
{
    net::SentryStateEntry sentry;
    sentry.id = 0x1001u + static_cast<uint32_t>(i);  // only the low 12 bits travel
    sentry.owner = i;
    sentry.team = static_cast<uint8_t>(i % 3 == 2 ? 255 : i % 3);
    sentry.position = {static_cast<float>(i), 1, 2};
    sentry.baseYaw = 90;
    sentry.yaw = 91.5f;
    sentry.pitch = -10;
    sentry.hitPoints = i == 0 ? 5000 : i;
    sentry.shotsFired = 9 + static_cast<uint32_t>(i);
    sentry.target = i % 2 == 0 ? -1 : 250;
    return sentry;
}

TEST(SentryStates, ThirtySentriesSendTheFirstTwentyFour)
{
    net::SentryStatesMessage m;
    for (int i = 0; i < 30; ++i) {
        m.sentries.push_back(WireSentry(i));
    }
    const Bytes bytes = wiretest::Encode(m);
    EXPECT_LE(bytes.size(), 1200u);
    net::SentryStatesMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    ASSERT_EQ(back.sentries.size(), 24u);
    for (int i = 0; i < 24; ++i) {
        const net::SentryStateEntry& s = back.sentries[static_cast<size_t>(i)];
        EXPECT_EQ(s.id, 1u + static_cast<uint32_t>(i));
        EXPECT_EQ(s.owner, i);
        EXPECT_EQ(s.team, m.sentries[static_cast<size_t>(i)].team);
        EXPECT_EQ(s.position, m.sentries[static_cast<size_t>(i)].position);
        EXPECT_EQ(s.yaw, 91.5f);
        EXPECT_EQ(s.hitPoints, i == 0 ? 1023 : i);
        EXPECT_EQ(s.shotsFired, (9u + static_cast<uint32_t>(i)) % 8u);
        EXPECT_EQ(s.target, i % 2 == 0 ? -1 : 250);
    }
    net::SentryStatesMessage none;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(none), back));
    EXPECT_TRUE(back.sentries.empty());
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::SentryStates).Bits(25, 5).Bytes(), back));
}

TEST(ShieldStates, TwentyFiveShieldsSendTheFirstTwentyFour)
{
    net::ShieldStatesMessage m;
    for (int i = 0; i < 25; ++i) {
        net::ShieldStateEntry shield;
        shield.id = static_cast<uint32_t>(4095 - i);
        shield.owner = i;
        shield.team = static_cast<uint8_t>(i % 2);
        shield.position = {1, static_cast<float>(i), 3};
        shield.yaw = -45;
        shield.hitPoints = i == 3 ? -7 : 1023;
        shield.age = 0.125f * static_cast<float>(i);
        m.shields.push_back(shield);
    }
    net::ShieldStatesMessage back;
    ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
    ASSERT_EQ(back.shields.size(), 24u);
    for (size_t i = 0; i < 24; ++i) {
        EXPECT_EQ(back.shields[i].id, m.shields[i].id);
        EXPECT_EQ(back.shields[i].owner, m.shields[i].owner);
        EXPECT_EQ(back.shields[i].team, m.shields[i].team);
        EXPECT_EQ(back.shields[i].position, m.shields[i].position);
        EXPECT_EQ(back.shields[i].yaw, -45.0f);
        EXPECT_EQ(back.shields[i].hitPoints, i == 3 ? 0 : 1023);
        EXPECT_EQ(back.shields[i].age, m.shields[i].age);
    }
    EXPECT_FALSE(wiretest::Decode(wiretest::Raw(net::MessageType::ShieldStates).Bits(31, 5).Bytes(), back));
}

// Every 8-bit value is a real slot, so an attacker or owner that is no slot (negative, or past the
// last slot) cannot travel: the message is not sent at all rather than blame slot 0 or a wrapped one.
TEST(WorldMessages, AnAttackerOrOwnerThatIsNoSlotIsNotSent)
{
    for (const int slot : {-1, -4, 256, 1000}) {
        net::HitEventMessage hit;
        hit.attacker = slot;
        EXPECT_TRUE(wiretest::Encode(hit).empty()) << slot;
        net::ProjectileSpawnedMessage projectile;
        projectile.id = 1;
        projectile.owner = slot;
        EXPECT_TRUE(wiretest::Encode(projectile).empty()) << slot;
        net::HealingFieldMessage field;
        field.owner = slot;
        EXPECT_TRUE(wiretest::Encode(field).empty()) << slot;
        net::SentryStatesMessage sentries;
        sentries.sentries = {WireSentry(1), WireSentry(2)};
        sentries.sentries[1].owner = slot;
        EXPECT_TRUE(wiretest::Encode(sentries).empty()) << slot;
        net::ShieldStatesMessage shields;
        shields.shields.resize(2);
        shields.shields[0].owner = slot;
        EXPECT_TRUE(wiretest::Encode(shields).empty()) << slot;
    }
    for (const int slot : {0, 255}) {
        net::HitEventMessage hit;
        hit.attacker = slot;
        net::HitEventMessage hitBack;
        ASSERT_TRUE(wiretest::Decode(wiretest::Encode(hit), hitBack)) << slot;
        EXPECT_EQ(hitBack.attacker, slot);
        net::ShieldStatesMessage shields;
        shields.shields.resize(1);
        shields.shields[0].owner = slot;
        net::ShieldStatesMessage shieldsBack;
        ASSERT_TRUE(wiretest::Decode(wiretest::Encode(shields), shieldsBack)) << slot;
        EXPECT_EQ(shieldsBack.shields[0].owner, slot);
    }
}

// A room that runs for long hands out more ids than the field holds; every id it hands out still
// reads back as itself and never as the "no id" 0.
TEST(WorldMessages, IdsOfALongRunningRoomReadBackAsThemselves)
{
    const tune::Tuning tuning;
    IdList<Sentry> sentries;
    IdList<Shield> shields;
    const Sentry& keptSentry = SpawnSentry(sentries, 1, 0, glm::vec3(0), 0.0f, tuning.sentry);
    const uint32_t keptId = keptSentry.id;
    for (int i = 0; i < 9000; ++i) {
        const Sentry& sentry = SpawnSentry(sentries, 2, 0, glm::vec3(0), 0.0f, tuning.sentry);
        ASSERT_NE(sentry.id, keptId);  // still alive, so not handed out again
        net::SentryStatesMessage m;
        m.sentries.resize(1);
        m.sentries[0].id = sentry.id;
        net::SentryStatesMessage back;
        ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
        ASSERT_EQ(back.sentries[0].id, sentry.id) << i;
        ASSERT_NE(back.sentries[0].id, 0u) << i;
        RemoveById(sentries, sentry.id);

        const Shield& shield = SpawnShield(shields, 2, 0, glm::vec3(0), 0.0f, tuning.shield);
        net::ShieldStatesMessage shieldMessage;
        shieldMessage.shields.resize(1);
        shieldMessage.shields[0].id = shield.id;
        net::ShieldStatesMessage shieldBack;
        ASSERT_TRUE(wiretest::Decode(wiretest::Encode(shieldMessage), shieldBack));
        ASSERT_EQ(shieldBack.shields[0].id, shield.id) << i;
        ASSERT_NE(shieldBack.shields[0].id, 0u) << i;
        RemoveById(shields, shield.id);
    }

    IdList<Projectile> projectiles;
    projectiles.nextId = 0xFFFFFEu;
    for (uint32_t expected : {0xFFFFFEu, 0xFFFFFFu, 1u, 2u}) {
        const Projectile& projectile = SpawnProjectile(projectiles, 0, glm::vec3(0), glm::vec3(0), 0, 0, 0.1f, 1);
        EXPECT_EQ(projectile.id, expected);
        net::ProjectileDetonatedMessage m;
        m.id = projectile.id;
        net::ProjectileDetonatedMessage back;
        ASSERT_TRUE(wiretest::Decode(wiretest::Encode(m), back));
        EXPECT_EQ(back.id, expected);
    }
}

net::ShotEventMessage WireShot(int pellets)
{
    net::ShotEventMessage m;
    m.shooter = 17;
    m.shot.weapon = 9;
    m.shot.origin = {1, 2, 3};
    for (int i = 0; i < pellets; ++i) {
        m.shot.pelletEnds.push_back({static_cast<float>(i), -1, 100});
    }
    return m;
}

TEST(ShotEvent, ThirtyTwoPelletsRoundTripWithinTheDatagram)
{
    const net::ShotEventMessage m = WireShot(32);
    const Bytes bytes = wiretest::Encode(m);
    ASSERT_FALSE(bytes.empty());
    EXPECT_LE(bytes.size(), 1200u);
    net::ShotEventMessage back;
    ASSERT_TRUE(wiretest::Decode(bytes, back));
    EXPECT_EQ(back.shooter, 17);
    EXPECT_EQ(back.shot.weapon, 9);
    EXPECT_EQ(back.shot.origin, m.shot.origin);
    EXPECT_EQ(back.shot.pelletEnds, m.shot.pelletEnds);
}

TEST(ShotEvent, InvalidShotsAreNeitherSentNorAccepted)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<net::ShotEventMessage> bad;
    bad.push_back(WireShot(33));
    bad.push_back(WireShot(0));
    bad.push_back(WireShot(1));
    bad.back().shot.weapon = 0;
    bad.push_back(WireShot(1));
    bad.back().shot.weapon = 10;
    bad.push_back(WireShot(2));
    bad.back().shot.origin.y = nan;
    bad.push_back(WireShot(2));
    bad.back().shot.pelletEnds[1].z = -inf;
    for (const net::ShotEventMessage& m : bad) {
        EXPECT_TRUE(wiretest::Encode(m).empty());
    }

    net::ShotEventMessage back;
    wiretest::Raw thirtyThree(net::MessageType::ShotEvent);
    thirtyThree.Bits(1, 8).Bits(2, 4).Bits(33, 6);
    for (int i = 0; i < 3 + 33 * 3; ++i) {
        thirtyThree.Float(1.0f);
    }
    EXPECT_FALSE(wiretest::Decode(thirtyThree.Bytes(), back));
    const Bytes weaponZero = wiretest::Raw(net::MessageType::ShotEvent)
                                 .Bits(1, 8).Bits(0, 4).Bits(1, 6)
                                 .Float(0).Float(0).Float(0).Float(0).Float(0).Float(0).Bytes();
    EXPECT_FALSE(wiretest::Decode(weaponZero, back));
    const Bytes infinite = wiretest::Raw(net::MessageType::ShotEvent)
                               .Bits(1, 8).Bits(3, 4).Bits(1, 6)
                               .Float(0).Float(0).Float(0).Float(0).Float(inf).Float(0).Bytes();
    EXPECT_FALSE(wiretest::Decode(infinite, back));
    const Bytes fine = wiretest::Raw(net::MessageType::ShotEvent)
                           .Bits(1, 8).Bits(3, 4).Bits(1, 6)
                           .Float(0).Float(0).Float(0).Float(0).Float(5).Float(0).Bytes();
    EXPECT_TRUE(wiretest::Decode(fine, back));
}

}  // namespace

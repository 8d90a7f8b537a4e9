// Shots on a server put together by hand: the damage of head and body hits, a shotgun volley as
// one hit event, lag compensation with a claimed view tick inside and outside the tolerance, a
// wall in front of the muzzle, spawn protection, and the same records with and without workers.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/mat4x4.hpp>
#include <glm/matrix.hpp>

#include "game/damage.h"
#include "game/input_command.h"
#include "game/shot_geometry.h"
#include "net/protocol.h"
#include "net/server.h"
#include "net/udp_socket.h"
#include "net/world_messages.h"
#include "server_bare_setup.h"

namespace shotstest {

// What one listening client took off its socket.
struct ShotInbox {
    std::vector<net::HitEventMessage> hits;
    std::vector<net::ShotEventMessage> shots;
    int other = 0;
};

struct ShotListener {
    net::UdpSocket socket;
    ShotInbox inbox;

    void Drain()
    {
        uint32_t buffer[512];
        for (;;) {
            net::Address from;
            const int length = socket.ReceiveFrom(from, buffer, static_cast<int>(sizeof buffer));
            if (length == net::UdpSocket::kDropped) {
                continue;
            }
            if (length <= 0) {
                return;
            }
            net::OpenedDatagram opened;
            if (!net::OpenClientDatagram(buffer, length, opened)) {
                ++inbox.other;
                continue;
            }
            if (opened.type == net::MessageType::HitEvent) {
                net::HitEventMessage hit;
                ASSERT_TRUE(net::ReadMessage(opened.reader, hit));
                inbox.hits.push_back(hit);
            } else if (opened.type == net::MessageType::ShotEvent) {
                net::ShotEventMessage shot;
                ASSERT_TRUE(net::ReadMessage(opened.reader, shot));
                inbox.shots.push_back(shot);
            } else {
                ++inbox.other;
            }
        }
    }
};

// The world centre of the largest posed volume of a body region.
glm::vec3 RegionCentre(const net::PosedSet& set, uint8_t region)
{
    float best = -1.0f;
    glm::vec3 centre(0.0f);
    for (int i = 0; i < set.count; ++i) {
        const net::PosedVolume& volume = set.volumes[static_cast<size_t>(i)];
        const float size = volume.halfExtents.x * volume.halfExtents.y * volume.halfExtents.z;
        if ((volume.region & 0xFFu) == region && size > best) {
            best = size;
            centre = glm::vec3(glm::inverse(volume.inverseWorld) * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
        }
    }
    EXPECT_GE(best, 0.0f) << "no volume of region " << int(region);
    return centre;
}

// Turns the view so that the ray from the view point passes through `point`. The view point moves
// with the angles, so a few rounds settle it.
void AimAt(const net::Server& server, PlayerState& state, const glm::vec3& point, const CollisionWorld& world)
{
    for (int round = 0; round < 12; ++round) {
        const glm::vec3 d = glm::normalize(point - ViewOrigin(state, server.tuning, world));
        state.yaw = std::atan2(-d.x, -d.z) / 0.017453292f;
        state.pitch = std::asin(d.y) / 0.017453292f;
    }
}

class ServerShotsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = baresrv::MakeBareServer(16);
        baresrv::UseGreybox(*server, {{{0.0f, 0.0f, 40.0f}, 0.0f, kTeamRed}, {{0.0f, 0.0f, 20.0f}, 0.0f, kTeamBlue}});
        // Open ground: no block of the test level stands in the line of fire.
        server->maps[0].world.Clear();
        ASSERT_TRUE(net::Server::LoadCombatRig(server->combatRig, server->tuning));
        ASSERT_TRUE(server->socket.Open(0));
        baresrv::OpenRoom(*server, 0, true);
    }

    // A player standing at `position`, unprotected, with a listening socket as its address.
    net::ClientSlot& Join(int slot, uint8_t team, uint8_t weapon, const glm::vec3& position)
    {
        net::ClientSlot& client = baresrv::Occupy(*server, slot, 0, team, weapon);
        client.state.position = position;
        client.state.spawnProtectionTicks = 0;
        auto listener = std::make_unique<ShotListener>();
        EXPECT_TRUE(listener->socket.Open(0));
        client.address = net::LoopbackAddress(listener->socket.Port());
        listeners.resize(std::max(listeners.size(), static_cast<size_t>(slot + 1)));
        listeners[static_cast<size_t>(slot)] = std::move(listener);
        return client;
    }

    void Tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            server->now += 1.0 / 64.0;
            server->SimulateTick();
        }
    }

    // The rewind tick the server picks for a shooter without a claim and without a measured
    // round trip: the interpolation delay of 100 ms is 6.4 ticks, rounded to 6.
    uint32_t EstimateTick() const { return server->tick - 6u; }

    const net::PosedSet& PosedAt(int slot, uint32_t atTick) const
    {
        const net::PosedRingEntry& entry = server->slots[static_cast<size_t>(slot)].posedRing[atTick % net::kPosedRingLength];
        EXPECT_EQ(entry.tick, atTick);
        return entry.volumes;
    }

    net::ShotTrace Fire(int shooter)
    {
        net::ShotTrace record;
        server->TraceShot(shooter, record);
        server->ResolveShot(record);
        DrainAll();
        return record;
    }

    void DrainAll()
    {
        for (auto& listener : listeners) {
            if (listener) {
                listener->Drain();
            }
        }
    }

    ShotInbox& Inbox(int slot) { return listeners[static_cast<size_t>(slot)]->inbox; }
    const CollisionWorld& World() const { return server->maps[0].world; }

    std::unique_ptr<net::Server> server;
    std::vector<std::unique_ptr<ShotListener>> listeners;
};

TEST_F(ServerShotsTest, HeadAndBodyHitsAtKnownDistancesGiveTheFormulasDamage)
{
    // The M4 does 10 a ray, twice that to the head; its falloff is moved in here to 5..15 m with
    // half damage beyond, so a far hit shows the falloff too. Armour BLUE deals x1, the room 100 %.
    tune::WeaponTuning& m4 = server->tuning.weapons[kWeaponM4];
    m4.falloffStart = 5.0f;
    m4.falloffEnd = 15.0f;
    m4.falloffFactor = 0.5f;
    struct Case {
        float distance;
        uint8_t region;
        uint16_t damagePercent;
        int damage;
    };
    const Case cases[] = {
        {4.0f, kRegionHead, 100, 20},   // trunc(10 x 2 + 0.5)
        {4.0f, kRegionTorso, 100, 10},  // trunc(10 x 1 + 0.5)
        {30.0f, kRegionHead, 100, 10},  // beyond the falloff end: trunc(10 x 2 x 0.5 + 0.5)
        {30.0f, kRegionTorso, 100, 5},  // trunc(10 x 1 x 0.5 + 0.5)
        {4.0f, kRegionTorso, 135, 14},  // the room's damage percentage: trunc(10 x 1.35 + 0.5)
    };
    net::ClientSlot& shooter = Join(0, kTeamRed, kWeaponM4, {0.0f, 0.0f, 0.0f});
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.distance << " m, region " << int(c.region));
        server->rooms[0].settings.damagePercent = c.damagePercent;
        net::ClientSlot& target = Join(1, kTeamBlue, kWeaponM4, {0.0f, 0.0f, -c.distance});
        Join(2, kTeamBlue, kWeaponM4, {30.0f, 0.0f, 30.0f});  // a bystander of the room
        shooter.state.position = glm::vec3(0.0f);
        Tick(8);
        AimAt(*server, shooter.state, RegionCentre(PosedAt(1, EstimateTick()), c.region), World());
        const uint16_t before = target.state.health;
        const net::ShotTrace record = Fire(0);

        ASSERT_TRUE(record.valid);
        EXPECT_EQ(record.rewindTick, EstimateTick());
        ASSERT_EQ(record.pelletCount, 1);
        EXPECT_EQ(record.pellets[0].slot, 1);
        EXPECT_EQ(record.pellets[0].zone, c.region);
        EXPECT_EQ(target.state.health, before - c.damage);
        for (int listenerSlot : {0, 1, 2}) {
            ShotInbox& inbox = Inbox(listenerSlot);
            ASSERT_EQ(inbox.hits.size(), 1u) << "listener " << listenerSlot;
            EXPECT_EQ(inbox.hits[0].attacker, 0);
            EXPECT_EQ(inbox.hits[0].victim, 1);
            EXPECT_EQ(inbox.hits[0].kind, c.region);
            EXPECT_EQ(inbox.hits[0].amount, c.damage);
            EXPECT_FALSE(inbox.hits[0].lethal);
            inbox.hits.clear();
        }
        // Everyone but the shooter draws the tracer.
        EXPECT_TRUE(Inbox(0).shots.empty());
        for (int listenerSlot : {1, 2}) {
            ShotInbox& inbox = Inbox(listenerSlot);
            ASSERT_EQ(inbox.shots.size(), 1u);
            EXPECT_EQ(inbox.shots[0].shooter, 0);
            EXPECT_EQ(inbox.shots[0].shot.weapon, kWeaponM4);
            EXPECT_EQ(inbox.shots[0].shot.origin, record.muzzle);
            ASSERT_EQ(inbox.shots[0].shot.pelletEnds.size(), 1u);
            EXPECT_EQ(inbox.shots[0].shot.pelletEnds[0], record.pellets[0].end);
            inbox.shots.clear();
        }
    }
}

TEST_F(ServerShotsTest, DamageEqualToHealthKillsAndALaterShooterSkipsTheDead)
{
    Join(0, kTeamRed, kWeaponM4, {0.0f, 0.0f, 0.0f});
    Join(2, kTeamRed, kWeaponM4, {1.0f, 0.0f, 0.0f});
    net::ClientSlot& target = Join(1, kTeamBlue, kWeaponM4, {0.0f, 0.0f, -6.0f});
    Tick(8);
    const glm::vec3 torso = RegionCentre(PosedAt(1, EstimateTick()), kRegionTorso);
    AimAt(*server, server->slots[0].state, torso, World());
    AimAt(*server, server->slots[2].state, torso, World());
    target.state.health = 10;
    net::ShotTrace first;
    net::ShotTrace second;
    server->TraceShot(0, first);
    server->TraceShot(2, second);
    ASSERT_EQ(first.pellets[0].slot, 1);
    ASSERT_EQ(second.pellets[0].slot, 1);
    server->ResolveShot(first);
    server->ResolveShot(second);
    DrainAll();
    EXPECT_NE(target.state.respawnTicks, 0);
    ASSERT_EQ(Inbox(1).hits.size(), 1u);
    EXPECT_EQ(Inbox(1).hits[0].amount, 10);
    EXPECT_TRUE(Inbox(1).hits[0].lethal);
    // Both shots are still drawn.
    EXPECT_EQ(Inbox(1).shots.size(), 2u);
}

TEST_F(ServerShotsTest, ShotgunPelletsOnOneTargetMergeIntoOneHitEvent)
{
    net::ClientSlot& shooter = Join(0, kTeamRed, kWeaponShotgun, {0.0f, 0.0f, 0.0f});
    net::ClientSlot& target = Join(1, kTeamBlue, kWeaponShotgun, {0.0f, 0.0f, -4.0f});
    Tick(8);
    target.state.health = 1000;  // survives the volley
    // Aimed at the neck, so that pellets land on the head as well as on the body.
    const net::PosedSet& posed = PosedAt(1, EstimateTick());
    const glm::vec3 neck = 0.5f * (RegionCentre(posed, kRegionHead) + RegionCentre(posed, kRegionTorso));
    AimAt(*server, shooter.state, neck, World());
    const net::ShotTrace record = Fire(0);

    ASSERT_EQ(record.pelletCount, 9);
    const tune::WeaponTuning& row = server->tuning.weapons[kWeaponShotgun];
    int pelletsOnTarget = 0;
    int expected = 0;
    bool head = false;
    for (int k = 0; k < 9; ++k) {
        const net::PelletHit& pellet = record.pellets[static_cast<size_t>(k)];
        if (pellet.slot != 1) {
            continue;
        }
        ++pelletsOnTarget;
        head = head || pellet.zone == kRegionHead;
        // Inside the falloff start (7 m): 11 a pellet times the zone's multiplier, rounded.
        expected += static_cast<int>(11.0f * net::ZoneMultiplier(row, pellet.zone) + 0.5f);
    }
    ASSERT_GE(pelletsOnTarget, 3);
    ASSERT_TRUE(head) << "the volley should reach the head";
    ASSERT_EQ(Inbox(1).hits.size(), 1u);
    EXPECT_EQ(Inbox(1).hits[0].amount, expected);
    EXPECT_EQ(Inbox(1).hits[0].kind, kRegionHead);
    EXPECT_EQ(target.state.health, 1000 - expected);
    ASSERT_EQ(Inbox(1).shots.size(), 1u);
    EXPECT_EQ(Inbox(1).shots[0].shot.pelletEnds.size(), 9u);
}

TEST(ServerShotsHitList, MergesPerVictimAndAHeadHitWinsTheZone)
{
    net::HitList list;
    net::InitHitList(list, 2);
    net::AddHit(list, 3, kRegionTorso, 4090, false, {1.0f, 0.0f, 0.0f});
    net::AddHit(list, 3, kRegionLeftArm, 50, false, {2.0f, 0.0f, 0.0f});
    net::AddHit(list, 3, kRegionHead, 10, true, {3.0f, 0.0f, 0.0f});
    net::AddHit(list, 3, kRegionRightLeg, 1, false, {4.0f, 0.0f, 0.0f});
    net::AddHit(list, 5, net::kHitKindShield, 7, false, {5.0f, 0.0f, 0.0f});
    net::AddHit(list, 5, net::kHitKindSentry, 7, false, {6.0f, 0.0f, 0.0f});  // the list is full
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.entries[0].victim, 3);
    EXPECT_EQ(list.entries[0].kind, kRegionHead);
    EXPECT_EQ(list.entries[0].damage, net::kMaxHitAmount);
    EXPECT_EQ(list.entries[0].killed, 1);
    EXPECT_EQ(list.entries[0].position, glm::vec3(4.0f, 0.0f, 0.0f));
    EXPECT_EQ(list.entries[1].kind, net::kHitKindShield);
}

TEST(ServerShotsRecord, AnUnsendableRecordWritesNothing)
{
    net::ShotTrace record;
    record.weapon = kWeaponM4;
    record.pelletCount = 1;
    uint32_t words[400];
    net::BitWriter good(words, 400);
    EXPECT_TRUE(net::WriteShotRecord(good, record));
    record.pellets[0].end.y = INFINITY;
    net::BitWriter infinite(words, 400);
    EXPECT_FALSE(net::WriteShotRecord(infinite, record));
    record.pellets[0].end.y = 0.0f;
    record.weapon = 10;
    net::BitWriter badRow(words, 400);
    EXPECT_FALSE(net::WriteShotRecord(badRow, record));
}

TEST_F(ServerShotsTest, LagCompensationTakesAClaimInsideTheToleranceAndTheEstimateOutsideIt)
{
    net::ClientSlot& shooter = Join(0, kTeamRed, kWeaponM4, {0.0f, 0.0f, 0.0f});
    net::ClientSlot& target = Join(1, kTeamBlue, kWeaponM4, {-6.0f, 0.0f, -10.0f});
    target.state.health = 1000;
    // Half a second of rewind (32 ticks) leaves room for claims far from the estimate.
    server->tuning.network.maxRewind = 0.5f;
    // The target strafes to its right (+x) at full speed.
    for (uint32_t t = 1; t <= 50; ++t) {
        InputCommand strafe;
        strafe.tick = t;
        strafe.side = 127;
        strafe.weapon = kWeaponM4;
        baresrv::Queue(target, strafe);
        Tick();
    }
    const uint32_t now = server->tick;
    struct Case {
        uint32_t claimAge;   // ticks before now that the shooter claims to have seen
        uint32_t aimedAge;   // ticks before now of the pose he aims at
        uint32_t rewind;     // ticks before now the server traces at
        bool hits;
    };
    const Case cases[] = {
        {4, 4, 4, true},     // 2 ticks from the estimate of 6: believed
        {9, 9, 9, true},     // 3 ticks off: still believed
        {30, 30, 6, false},  // 24 ticks off: the estimate is used, where the target was not
        {30, 6, 6, true},    // ... and a shot at the estimate's pose lands
        {40, 40, 6, false},  // older than the longest rewind: the estimate again
    };
    const float moved = std::fabs(PosedAt(1, now - 6).position.x - PosedAt(1, now - 30).position.x);
    ASSERT_GT(moved, 0.8f) << "the target must have moved well over a body width";
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "claim age " << c.claimAge);
        shooter.lastCommand.claimedViewTick = now - c.claimAge;
        AimAt(*server, shooter.state, RegionCentre(PosedAt(1, now - c.aimedAge), kRegionTorso), World());
        const uint16_t before = target.state.health;
        net::ShotTrace record = Fire(0);
        EXPECT_EQ(record.rewindTick, now - c.rewind);
        EXPECT_EQ(record.pellets[0].slot, c.hits ? 1 : -1);
        EXPECT_EQ(target.state.health < before, c.hits);
    }
}

TEST_F(ServerShotsTest, AWallBetweenMuzzleAndTargetStopsTheShot)
{
    net::ClientSlot& shooter = Join(0, kTeamRed, kWeaponM4, {0.0f, 0.0f, 0.0f});
    net::ClientSlot& target = Join(1, kTeamBlue, kWeaponM4, {0.0f, 0.0f, -10.0f});
    Tick(8);
    AimAt(*server, shooter.state, RegionCentre(PosedAt(1, EstimateTick()), kRegionTorso), World());
    // The view sits a metre to the right of the body and two behind it, so its ray passes right of
    // this post while the line from the muzzle runs into it.
    const glm::vec3 view = ViewOrigin(shooter.state, server->tuning, World());
    ASSERT_GT(view.x, 0.9f);
    server->maps[0].world.AddBox({-0.1f, 1.5f, -5.0f}, {0.4f, 1.5f, 0.2f});
    const glm::vec3 aim = AimDirection(shooter.state);
    ASSERT_FALSE(World().SweepSphere(view, view + aim * 20.0f, 0.0f).hit) << "the view must see the target";

    const uint16_t before = target.state.health;
    const net::ShotTrace record = Fire(0);
    ASSERT_TRUE(record.valid);
    EXPECT_EQ(record.pellets[0].slot, -1);
    EXPECT_NEAR(record.pellets[0].end.z, -4.8f, 0.01f);  // on the post's near face
    EXPECT_EQ(target.state.health, before);
    EXPECT_TRUE(Inbox(1).hits.empty());
    ASSERT_EQ(Inbox(1).shots.size(), 1u);
    EXPECT_EQ(Inbox(1).shots[0].shot.pelletEnds[0], record.pellets[0].end);
}

TEST_F(ServerShotsTest, SpawnProtectionIsNeitherTracedNorDamaged)
{
    net::ClientSlot& shooter = Join(0, kTeamRed, kWeaponM4, {0.0f, 0.0f, 0.0f});
    net::ClientSlot& target = Join(1, kTeamBlue, kWeaponM4, {0.0f, 0.0f, -6.0f});
    target.state.spawnProtectionTicks = 100;  // its ring entries are posed as protected
    Tick(8);
    AimAt(*server, shooter.state, RegionCentre(PosedAt(1, EstimateTick()), kRegionTorso), World());
    net::ShotTrace record;
    server->TraceShot(0, record);
    EXPECT_EQ(record.pellets[0].slot, -1);

    // A record naming the protected player (as one traced before the protection would) does no harm.
    record.pellets[0].slot = 1;
    record.pellets[0].zone = kRegionHead;
    const uint16_t before = target.state.health;
    server->ResolveShot(record);
    DrainAll();
    EXPECT_EQ(target.state.health, before);
    EXPECT_TRUE(Inbox(1).hits.empty());
}

// Every player of a room fires at the others for a while; the records and the outcome must not
// depend on how many threads trace them.
struct ThreadedShotsOutcome {
    std::vector<net::ShotTrace> records;
    std::vector<uint16_t> health;
};

ThreadedShotsOutcome RunThreadedShots(int threadRequest)
{
    ThreadedShotsOutcome outcome;
    auto server = baresrv::MakeBareServer(16, threadRequest);
    baresrv::UseGreybox(*server, {});
    server->maps[0].world.Clear();
    EXPECT_TRUE(net::Server::LoadCombatRig(server->combatRig, server->tuning));
    baresrv::OpenRoom(*server, 0, true, 1, 100);  // free-for-all: everyone is a target
    constexpr int kShooters = 12;
    for (int i = 0; i < kShooters; ++i) {
        net::ClientSlot& client = baresrv::Occupy(*server, i, 0, kTeamRed, i % 2 == 0 ? kWeaponM4 : kWeaponShotgun);
        const float angle = static_cast<float>(i) * (6.2831853f / kShooters);
        client.state.position = glm::vec3(std::sin(angle) * 5.0f, 0.0f, std::cos(angle) * 5.0f);
        client.state.spawnProtectionTicks = 0;
    }
    for (uint32_t t = 1; t <= 60; ++t) {
        for (int i = 0; i < kShooters; ++i) {
            net::ClientSlot& client = server->slots[static_cast<size_t>(i)];
            InputCommand command;
            command.tick = t;
            command.claimedViewTick = server->tick >= 3 ? server->tick - 3 : kNoViewTick;
            // Facing the circle's centre, sweeping a little, firing.
            command.yaw = static_cast<uint16_t>(static_cast<uint32_t>(i) * (65536u / kShooters) + t * 97u);
            command.pitch = -700;  // about 4 degrees down, onto the bodies across the circle
            command.buttons = t % 2 == 0 ? kButtonFire : 0;  // pressed anew, for the shotgun too
            command.weapon = client.primaryWeapon;
            baresrv::Queue(client, command);
        }
        server->now += 1.0 / 64.0;
        server->SimulateTick();
        outcome.records.insert(outcome.records.end(), server->shotRecords.begin(), server->shotRecords.end());
    }
    for (int i = 0; i < kShooters; ++i) {
        outcome.health.push_back(server->slots[static_cast<size_t>(i)].state.health);
    }
    return outcome;
}

TEST(ServerShotsThreaded, TheSameShotsGiveTheSameRecordsWithAndWithoutWorkers)
{
    const ThreadedShotsOutcome serial = RunThreadedShots(-1);
    const ThreadedShotsOutcome pooled = RunThreadedShots(4);
    ASSERT_EQ(serial.records.size(), pooled.records.size());
    ASSERT_GE(serial.records.size(), 60u);
    int hits = 0;
    for (size_t i = 0; i < serial.records.size(); ++i) {
        const net::ShotTrace& a = serial.records[i];
        const net::ShotTrace& b = pooled.records[i];
        ASSERT_EQ(a.valid, b.valid) << i;
        ASSERT_EQ(a.shooter, b.shooter) << i;
        ASSERT_EQ(a.rewindTick, b.rewindTick) << i;
        ASSERT_EQ(a.muzzle, b.muzzle) << i;
        ASSERT_EQ(a.pelletCount, b.pelletCount) << i;
        for (int k = 0; k < a.pelletCount; ++k) {
            const net::PelletHit& pa = a.pellets[static_cast<size_t>(k)];
            const net::PelletHit& pb = b.pellets[static_cast<size_t>(k)];
            ASSERT_EQ(pa.slot, pb.slot) << i << "/" << k;
            ASSERT_EQ(pa.zone, pb.zone) << i << "/" << k;
            ASSERT_EQ(pa.end, pb.end) << i << "/" << k;
            hits += pa.slot >= 0 ? 1 : 0;
        }
    }
    EXPECT_GT(hits, 0);
    EXPECT_EQ(serial.health, pooled.health);
}

}  // namespace shotstest

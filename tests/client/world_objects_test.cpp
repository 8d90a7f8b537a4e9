// The match's world objects taken from the session: drops and their pick-up sounds, the sentries'
// beeps and placement, explosions, the gain and upgrade sounds, and the stepping of the lists.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "audio_test_support.h"
#include "client/game_session.h"
#include "client/match_frame.h"
#include "client/rand01.h"
#include "client/startup_sounds.h"
#include "client/world_objects.h"
#include "game/collision_world.h"
#include "render/effects.h"
#include "support/temp_folder.h"

namespace worldobjectstest {

// A session, a device-less audio system with one tone per sound, and a frame that points at them.
class WorldObjectIntake : public audiotest::AudioTest {
protected:
    void SetUp() override
    {
        audiotest::AudioTest::SetUp();
        ASSERT_TRUE(audio.Init(false));
        // A folder of this test's own: the suite's tests run side by side.
        const std::string tone = (std::filesystem::path(toneFolder.Path()) / "tone.wav").string();
        ASSERT_TRUE(audiotest::WriteTone(tone, 1, 1.0, 440.0, 0.5));
        testing::internal::CaptureStdout();
        for (int32_t* handle : {&sounds.beep, &sounds.placeSentry, &sounds.placeShield, &sounds.coinPickup,
                                &sounds.stardustPickup, &sounds.explosion, &sounds.metalGain, &sounds.upgrade,
                                &sounds.weaponFire[kWeaponM4]}) {
            *handle = audio.Load(tone.c_str(), 8);
        }
        testing::internal::GetCapturedStdout();
        audio.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
        frame.tuning = &tuning;
        frame.game = &game;
        frame.world = &world;
        frame.effects = &effects;
        frame.audio = &audio;
        frame.sounds = &sounds;
        frame.ownId = 3;
        frame.joined = true;
        frame.playing = true;
        frame.screen = 4;
        frame.dt = 1.0f / 60.0f;
    }

    int Playing(int32_t sound) const
    {
        int count = 0;
        for (int32_t voice = 0; voice < audio.VoiceCount(sound); ++voice) {
            count += audio.Voice(sound, voice).playing ? 1 : 0;
        }
        return count;
    }

    net::SentryStateEntry Sentry(uint32_t id, int target, int hitPoints = 75) const
    {
        net::SentryStateEntry entry;
        entry.id = id;
        entry.position = glm::vec3(1.0f, 0.0f, -2.0f);
        entry.hitPoints = hitPoints;
        entry.target = target;
        return entry;
    }

    testsupport::TempFolder toneFolder;
    tune::Tuning tuning;
    GameSession game;
    CollisionWorld world;
    Effects effects;
    audio::AudioSystem audio;
    audio::StartupSounds sounds;
    MatchFrame frame;
    WorldObjects objects;
};

TEST_F(WorldObjectIntake, ADropTakenBeforeItIsKnownPlaysNothingAndStaysTaken)
{
    net::DropTakenMessage taken;
    taken.dropId = 77;
    taken.slot = 3;  // the own player
    game.dropsTaken.push_back(taken);
    TakeWorldEvents(objects, frame);
    EXPECT_EQ(Playing(sounds.coinPickup), 0);
    EXPECT_EQ(Playing(sounds.stardustPickup), 0);
    EXPECT_EQ(TakeCoinGrant(objects), 0);

    // Its announcement, arriving late, shows nothing; another drop still appears.
    net::DropSpawnEntry late;
    late.id = 77;
    late.position = glm::vec3(0.0f, 1.0f, 0.0f);
    net::DropSpawnEntry other = late;
    other.id = 78;
    game.dropsSpawned = {late, other};
    TakeWorldEvents(objects, frame);
    EXPECT_EQ(FindById(objects.drops, 77), nullptr);
    ASSERT_NE(FindById(objects.drops, 78), nullptr);
    EXPECT_TRUE(objects.takenUnseenDrops.empty());
}

TEST_F(WorldObjectIntake, PickUpsSoundByKindAndOwnCoinsAreGranted)
{
    const struct {
        uint8_t kind;
        uint8_t taker;
        int coinSounds, stardustSounds, granted;
    } cases[] = {
        {0, 3, 1, 0, 1},  // own coin
        {0, 9, 1, 0, 0},  // another player's coin
        {1, 3, 0, 1, 0},  // own stardust grants no coin
    };
    uint32_t id = 1;
    for (const auto& c : cases) {
        audio.StopAll();
        WorldObjects fresh;
        net::DropSpawnEntry drop;
        drop.id = id++;
        drop.kind = c.kind;
        drop.position = glm::vec3(0.0f, 0.5f, -1.0f);
        game.dropsSpawned = {drop};
        net::DropTakenMessage taken;
        taken.dropId = drop.id;
        taken.slot = c.taker;
        game.dropsTaken = {taken, taken};  // a repeated report changes nothing
        TakeWorldEvents(fresh, frame);
        EXPECT_EQ(Playing(sounds.coinPickup), c.coinSounds) << int(c.kind) << " " << int(c.taker);
        EXPECT_EQ(Playing(sounds.stardustPickup), c.stardustSounds) << int(c.kind);
        EXPECT_EQ(TakeCoinGrant(fresh), c.granted);
        EXPECT_EQ(TakeCoinGrant(fresh), 0);
        ASSERT_NE(FindById(fresh.drops, drop.id), nullptr);
        EXPECT_EQ(FindById(fresh.drops, drop.id)->taken, 1);
    }
}

TEST_F(WorldObjectIntake, SentriesBeepOnANewTargetButNotOnLosingIt)
{
    const struct {
        const char* what;
        int target;
        int hitPoints;
        int beeps;  // in total so far
    } frames[] = {
        {"placed without a target", -1, 75, 0},
        {"a target", 4, 75, 1},
        {"the same target", 4, 75, 1},
        {"another target", 6, 75, 2},
        {"lost", -1, 75, 2},
        {"the same target regained", 6, 75, 3},
        {"a target while broken", 7, 0, 3},
    };
    for (const auto& f : frames) {
        game.sentries = {Sentry(5, f.target, f.hitPoints)};
        TakeWorldEvents(objects, frame);
        EXPECT_EQ(Playing(sounds.beep), f.beeps) << f.what;
        EXPECT_EQ(Playing(sounds.placeSentry), 1) << f.what;  // only when first seen
    }
}

TEST_F(WorldObjectIntake, ASentryFirstSeenWithATargetBeepsAndItsShotsShowTracers)
{
    game.sentries = {Sentry(9, 2)};
    game.sentries[0].shotsFired = 3;
    TakeWorldEvents(objects, frame);
    EXPECT_EQ(Playing(sounds.beep), 1);
    EXPECT_TRUE(effects.tracers.empty());  // the first sight only records the counter

    game.sentries[0].shotsFired = 4;
    TakeWorldEvents(objects, frame);
    ASSERT_EQ(effects.tracers.size(), 1u);
    EXPECT_EQ(effects.particles.size(), 1u);  // the muzzle flash
    EXPECT_EQ(Playing(sounds.weaponFire[kWeaponM4]), 1);
    // The floor plane stops the ray when the barrel points down; level, it runs the sentry's range.
    const Effects::Tracer& tracer = effects.tracers[0];
    EXPECT_NEAR(glm::length(tracer.to - tracer.from), tuning.sentry.targetRange, 1e-3f);
}

TEST_F(WorldObjectIntake, ANewShieldSoundsOnce)
{
    net::ShieldStateEntry shield;
    shield.id = 12;
    shield.hitPoints = 150;
    game.shields = {shield};
    TakeWorldEvents(objects, frame);
    TakeWorldEvents(objects, frame);
    EXPECT_EQ(Playing(sounds.placeShield), 1);
}

TEST_F(WorldObjectIntake, ADetonationRemovesItsProjectileAndShowsTheExplosion)
{
    net::ProjectileSpawnedMessage spawned;
    spawned.id = 40;
    spawned.kind = 1;
    spawned.position = glm::vec3(0.0f, 2.0f, -3.0f);
    game.projectilesSpawned = {spawned, spawned};
    TakeWorldEvents(objects, frame);
    ASSERT_EQ(objects.projectiles.items.size(), 1u);
    EXPECT_EQ(objects.projectiles.items[0].bounces, 1);  // a grenade bounces like the server's
    EXPECT_EQ(objects.projectiles.items[0].gravity, tuning.grenade.gravity);

    net::ProjectileDetonatedMessage detonated;
    detonated.id = 40;
    detonated.position = glm::vec3(0.0f, 0.2f, -3.0f);
    game.projectileDetonations = {detonated};
    ResetRand01();
    TakeWorldEvents(objects, frame);
    EXPECT_TRUE(objects.projectiles.items.empty());
    // One large flash and 14 fragments, all standing, within the fragment reach of the point.
    ASSERT_EQ(effects.particles.size(), 15u);
    EXPECT_NEAR(effects.particles[0].intensity, 2.6f * 2.5f, 1e-5f);
    EXPECT_NEAR(effects.particles[0].size, 1.1f * 2.2f, 1e-5f);
    EXPECT_NEAR(effects.particles[0].lifetime, 0.45f, 1e-6f);
    for (size_t i = 1; i < effects.particles.size(); ++i) {
        const Effects::Particle& p = effects.particles[i];
        EXPECT_LE(glm::length(p.position - detonated.position), 8.0f * 0.55f + 1e-4f) << i;
        EXPECT_EQ(p.velocity, glm::vec3(0.0f));
        EXPECT_GE(p.lifetime, 0.5f * 0.45f - 1e-6f);
        EXPECT_LT(p.lifetime, 1.3f * 0.45f);
    }
    EXPECT_EQ(Playing(sounds.explosion), 1);
}

TEST_F(WorldObjectIntake, SteppingRunsAtMostFiveProjectileStepsAndEmptiesTheListsOutsideAMatch)
{
    Projectile rocket;
    rocket.id = 3;
    rocket.position = glm::vec3(0.0f, 10.0f, 0.0f);
    rocket.velocity = glm::vec3(0.0f, 0.0f, -10.0f);
    rocket.fuse = 100.0f;
    AddProjectileIfMissing(objects.projectiles, rocket);
    const struct {
        float dt;
        double accumulatorBefore;
        int steps;
        double accumulatorAfter;  // in steps
    } cases[] = {
        {1.0f / 64.0f, 0.0, 1, 0.0},
        {0.05f, 0.0, 3, 0.2},
        {0.25f, 0.0, 5, 0.0},  // 11 steps left over: dropped
        {0.1f, 0.0, 5, 1.4},   // 1.4 steps left over: kept
    };
    for (const auto& c : cases) {
        objects.projectiles.items[0].position.z = 0.0f;
        double accumulator = c.accumulatorBefore;
        frame.dt = c.dt;
        StepWorldObjects(objects, frame, accumulator);
        EXPECT_NEAR(objects.projectiles.items[0].position.z, -10.0f * c.steps / 64.0f, 1e-4f) << c.dt;
        EXPECT_NEAR(accumulator * 64.0, c.accumulatorAfter, 1e-3) << c.dt;
    }
    objects.drops.items.push_back(DeathDrop{.id = 1});
    objects.healingFields.push_back({1, glm::vec3(0.0f), 0.0f});
    frame.playing = false;
    double accumulator = 0.01;
    StepWorldObjects(objects, frame, accumulator);
    EXPECT_TRUE(objects.drops.items.empty());
    EXPECT_TRUE(objects.projectiles.items.empty());
    EXPECT_TRUE(objects.healingFields.empty());
}

TEST_F(WorldObjectIntake, HealingFieldsAgeAndEndWithTheirLifetime)
{
    net::HealingFieldMessage field;
    field.id = 2;
    field.position = glm::vec3(4.0f, 0.0f, 4.0f);
    game.healingFields = {field};
    TakeWorldEvents(objects, frame);
    ASSERT_EQ(objects.healingFields.size(), 1u);
    double accumulator = 0.0;
    frame.dt = 0.25f;
    for (int i = 0; i < 23; ++i) {
        StepWorldObjects(objects, frame, accumulator);
    }
    ASSERT_EQ(objects.healingFields.size(), 1u);
    EXPECT_NEAR(objects.healingFields[0].age, 5.75f, 1e-4f);
    StepWorldObjects(objects, frame, accumulator);
    EXPECT_TRUE(objects.healingFields.empty());
}

TEST_F(WorldObjectIntake, GainsAndUpgradesSoundWhenTheirCountersRise)
{
    const struct {
        int64_t earnedSum, spent;
        int gainSounds, upgradeSounds;  // in total so far
    } frames[] = {
        {0, 0, 0, 0},
        {12, 0, 1, 0},
        {12, 0, 1, 0},
        {15, 40, 2, 1},
        {15, 40, 2, 1},
        {0, 0, 2, 1},    // a new connection starts again from 0
        {5, 40, 3, 2},
    };
    for (const auto& f : frames) {
        game.economy.metalEarnedSum = f.earnedSum;
        game.economy.metalSpent = f.spent;
        PresentGains(objects, frame);
        EXPECT_EQ(Playing(sounds.metalGain), f.gainSounds) << f.earnedSum << " " << f.spent;
        EXPECT_EQ(Playing(sounds.upgrade), f.upgradeSounds) << f.earnedSum << " " << f.spent;
    }
}

}  // namespace worldobjectstest

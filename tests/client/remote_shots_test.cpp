// The other players' shots as seen and heard: the tracers of reported shots, the muzzles of flame
// and projectile shots, and the sounds their shown records give away.
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/shot_presentation.h"
#include "platform/clock.h"
#include "shot_scene.h"

namespace remoteshotstest {

using RemoteShots = shotscene::ShotScene;

TEST_F(RemoteShots, ReportedShotsLeaveTheShownShootersMuzzleElseTheirOwnOrigin)
{
    RemoteCharacterView& shown = AddRemote(6, glm::vec3(0.0f, 0.0f, -10.0f));
    shown.weaponPlaced = true;
    shown.muzzle = glm::vec3(0.3f, 1.3f, -9.5f);
    shown.aim = glm::vec3(0.0f, 0.0f, 1.0f);

    ShotEventRecord fromShown;
    fromShown.shooter = 6;
    fromShown.weapon = kWeaponShotgun;
    fromShown.origin = glm::vec3(0.0f, 1.0f, -10.0f);
    fromShown.pelletCount = 3;
    fromShown.pelletEnds = {glm::vec3(1.0f, 1.0f, 5.0f), glm::vec3(0.0f, 1.0f, 5.0f), glm::vec3(-1.0f, 1.0f, 5.0f)};
    ShotEventRecord fromElsewhere = fromShown;
    fromElsewhere.shooter = 40;  // not shown
    fromElsewhere.weapon = kWeaponM4;
    fromElsewhere.origin = glm::vec3(5.0f, 1.0f, 0.0f);
    fromElsewhere.pelletCount = 1;
    fromElsewhere.pelletEnds[0] = glm::vec3(5.0f, 1.0f, -10.0f);
    ShotEventRecord laser = fromShown;
    laser.weapon = kWeaponLaser;

    PresentShotEvents(frame, *characters, {fromShown, fromElsewhere, laser});
    ASSERT_EQ(effects.tracers.size(), 4u) << "three pellets and one, the laser's none";
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(effects.tracers[k].from, shown.muzzle);
        EXPECT_EQ(effects.tracers[k].to, fromShown.pelletEnds[static_cast<size_t>(k)]);
    }
    EXPECT_EQ(effects.tracers[3].from, fromElsewhere.origin);
    ASSERT_EQ(effects.particles.size(), 2u) << "one muzzle flash per shot";
    EXPECT_NEAR(glm::length(effects.particles[0].position - (shown.muzzle + glm::vec3(0.0f, 0.0f, 0.06f))), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::length(effects.particles[1].position - (fromElsewhere.origin + glm::vec3(0.0f, 0.0f, -0.06f))), 0.0f,
                1e-5f);
}

TEST_F(RemoteShots, FlameAndProjectileShotsShowAtTheMuzzleAfterTheFirstSight)
{
    const struct {
        const char* what;
        uint8_t row;
        size_t particles;
        float ahead;
    } cases[] = {
        {"a flame burst", kWeaponFlamer, 4, 0.08f},
        {"a rocket's flash", kWeaponRpg, 1, 0.06f},
        {"a rifle shot shows through its event", kWeaponM4, 0, 0.0f},
    };
    for (const auto& c : cases) {
        characters->remotes.clear();
        game->remotePlayers.clear();
        RemoteCharacterView& view = AddRemote(12, glm::vec3(0.0f, 0.0f, -10.0f));
        view.weaponPlaced = true;
        view.muzzle = glm::vec3(0.3f, 1.3f, -9.5f);
        view.aim = glm::vec3(0.0f, 0.0f, 1.0f);
        const glm::vec3 muzzle = view.muzzle;
        game->remotePlayers.back().weapon = c.row;
        game->remotePlayers.back().shotCount = 200;
        ShotPresentation shots;
        effects.Clear();

        PresentRemotePlayers(shots, frame, *characters);
        EXPECT_TRUE(effects.particles.empty()) << c.what << ": the first sight only records";
        game->remotePlayers.back().shotCount = 201;
        PresentRemotePlayers(shots, frame, *characters);
        ASSERT_EQ(effects.particles.size(), c.particles) << c.what;
        for (const Effects::Particle& particle : effects.particles) {
            EXPECT_NEAR(glm::length(particle.position - (muzzle + glm::vec3(0.0f, 0.0f, c.ahead))), 0.0f, 1e-5f) << c.what;
        }
        PresentRemotePlayers(shots, frame, *characters);
        EXPECT_EQ(effects.particles.size(), c.particles) << c.what << ": nothing new without a new shot";
    }
}

using RemoteSounds = shotscene::HeardShotScene;

TEST_F(RemoteSounds, ContinuousFireLoopsUnderTheSlotPlusOneWhileSnapshotsAreFresh)
{
    const struct {
        const char* what;
        uint32_t slot;
        bool firing;
        double snapshotAge;
        bool looping;
    } cases[] = {
        {"firing", 7, true, 0.1, true},
        {"slot 255 has a key of its own", 255, true, 0.1, true},
        {"not firing", 7, false, 0.1, false},
        {"snapshots stopped", 7, true, 0.7, false},
    };
    for (const auto& c : cases) {
        audio.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
        audio.PruneEmitters();
        characters->remotes.clear();
        game->remotePlayers.clear();
        AddRemote(c.slot, glm::vec3(0.0f, 0.0f, -10.0f));
        game->remotePlayers.back().weapon = kWeaponLaser;
        game->remotePlayers.back().firing = c.firing;
        game->newestSnapshotArrival = SecondsSinceStart() - c.snapshotAge;
        ShotPresentation shots;
        PresentRemotePlayers(shots, frame, *characters);
        EXPECT_EQ(audio.EmitterCount(), c.looping ? 1 : 0) << c.what;
        if (c.looping) {
            EXPECT_EQ(audio.EmitterSound(uint64_t{c.slot} + 1), sounds.weaponFire[kWeaponLaser]) << c.what;
            EXPECT_EQ(audio.EmitterSound(0), -1) << c.what << ": key 0 is the own hum's";
        }
    }
}

TEST_F(RemoteSounds, ShotsFootstepsAndEdgesPlayOnceAndForgottenSlotsStartAfresh)
{
    AddRemote(9, glm::vec3(0.0f, 0.0f, -10.0f));
    RemotePlayerView& player = game->remotePlayers.back();
    player.shotCount = 5;
    ShotPresentation shots;
    PresentRemotePlayers(shots, frame, *characters);
    EXPECT_EQ(Playing(sounds.weaponFire[kWeaponM4]), 0) << "the first sight only records";

    player.shotCount = 7;
    player.position.x += 2.0f;  // one stride walked
    player.reloading = true;
    player.throwing = true;
    player.powerActive = true;
    PresentRemotePlayers(shots, frame, *characters);
    EXPECT_EQ(Playing(sounds.weaponFire[kWeaponM4]), 2);
    int footsteps = 0;
    for (int32_t footstep : sounds.footsteps) {
        footsteps += Playing(footstep);
    }
    EXPECT_EQ(footsteps, 1);
    EXPECT_EQ(Playing(sounds.weaponSecond[kWeaponM4]), 1);
    EXPECT_EQ(Playing(sounds.woosh), 1);
    EXPECT_EQ(Playing(sounds.invisibility), 1);

    // Gone for a frame, then back with a different counter: seen anew, so silent.
    const std::vector<RemotePlayerView> kept = game->remotePlayers;
    game->remotePlayers.clear();
    PresentRemotePlayers(shots, frame, *characters);
    EXPECT_FALSE(shots.trackers[9].seen);
    game->remotePlayers = kept;
    game->remotePlayers.back().shotCount = 3;
    audio.StopAll();
    PresentRemotePlayers(shots, frame, *characters);
    EXPECT_EQ(Playing(sounds.weaponFire[kWeaponM4]), 0);
}

}  // namespace remoteshotstest

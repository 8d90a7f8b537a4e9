// The own shots shown the frame they are predicted: at most four a frame, none again later, a
// counter that goes back resynchronises, and each pellet stops where the server's trace would.
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/shot_presentation.h"
#include "shot_scene.h"

namespace ownshotstest {

using OwnShots = shotscene::ShotScene;

TEST_F(OwnShots, AtMostFourShotsAFrameAreShownAndTheRestNever)
{
    const struct {
        const char* what;
        uint8_t row;
        uint32_t counters[3];     // the predicted counter in three frames
        size_t tracers[3];        // new tracers each frame
        size_t particles[3];      // new muzzle flashes or flame particles each frame
    } cases[] = {
        {"six rifle shots, then none, then one", kWeaponM4, {6, 6, 7}, {4, 0, 1}, {4, 0, 1}},
        {"six shotgun shots of nine pellets", kWeaponShotgun, {6, 6, 7}, {36, 0, 9}, {4, 0, 1}},
        {"laser shots trace but flash nothing", kWeaponLaser, {2, 9, 9}, {2, 4, 0}, {0, 0, 0}},
        {"rockets flash but are not traced", kWeaponRpg, {1, 6, 6}, {0, 0, 0}, {1, 4, 0}},
        {"flames burst four particles a shot", kWeaponFlamer, {6, 7, 7}, {0, 0, 0}, {16, 4, 0}},
    };
    for (const auto& c : cases) {
        ShotPresentation shots;
        effects.Clear();
        frame.display.weapon = c.row;
        for (int f = 0; f < 3; ++f) {
            const size_t tracersBefore = effects.tracers.size();
            const size_t particlesBefore = effects.particles.size();
            frame.display.shotsFired = c.counters[f];
            PresentOwnShots(shots, frame, *characters);
            EXPECT_EQ(effects.tracers.size() - tracersBefore, c.tracers[f]) << c.what << ", frame " << f;
            EXPECT_EQ(effects.particles.size() - particlesBefore, c.particles[f]) << c.what << ", frame " << f;
            EXPECT_EQ(shots.lastOwnShot, c.counters[f]) << c.what;
        }
    }
}

TEST_F(OwnShots, ACounterThatGoesBackShowsNothingAndResynchronises)
{
    ShotPresentation shots;
    frame.display.shotsFired = 10;
    PresentOwnShots(shots, frame, *characters);
    effects.Clear();

    frame.display.shotsFired = 8;  // a reconciliation replayed fewer shots
    PresentOwnShots(shots, frame, *characters);
    EXPECT_TRUE(effects.tracers.empty());
    EXPECT_TRUE(effects.particles.empty());
    EXPECT_EQ(shots.lastOwnShot, 8u);

    frame.display.shotsFired = 9;
    PresentOwnShots(shots, frame, *characters);
    EXPECT_EQ(effects.tracers.size(), 1u);
}

TEST_F(OwnShots, NothingIsShownOutsideAMatch)
{
    ShotPresentation shots;
    frame.playing = false;
    frame.display.shotsFired = 3;
    PresentOwnShots(shots, frame, *characters);
    EXPECT_TRUE(effects.tracers.empty());
    EXPECT_EQ(shots.lastOwnShot, 0u);
}

TEST_F(OwnShots, EachTracerEndsAtTheNearestWallBodySentryOrShieldThatStopsIt)
{
    // Everything stands on the line of sight down -z; the tracer runs from the muzzle to where the
    // pellet from the eye stops.
    const struct {
        const char* what;
        uint8_t ownTeam;
        float wall;          // 0: none
        float body;          // 0: none
        bool bodyTeamBlue;
        float sentry;        // 0: none
        float shield;        // 0: none
        int shieldOwner;
        uint8_t shieldTeam;
        float reach;         // expected, from the eye
        float tolerance;
    } cases[] = {
        {"nothing: the row's range", kTeamNone, 0, 0, false, 0, 0, 0, 0, 400.0f, 0.01f},
        {"a wall", kTeamNone, 30, 0, false, 0, 0, 0, 0, 30.0f, 0.01f},
        {"a body before the wall", kTeamNone, 30, 12, false, 0, 0, 0, 0, 11.8f, 0.4f},
        {"a teammate's body is passed", 1, 30, 12, true, 0, 0, 0, 0, 30.0f, 0.01f},
        {"an enemy's body stops it", 1, 30, 12, false, 0, 0, 0, 0, 11.8f, 0.4f},
        {"a sentry's box", kTeamNone, 30, 0, false, 8, 0, 0, 0, 7.54f, 0.01f},
        {"a free-for-all enemy's shield", kTeamNone, 30, 0, false, 0, 5, 3, kTeamNone, 4.18f, 0.01f},
        {"the own shield is passed", kTeamNone, 30, 0, false, 0, 5, 0, kTeamNone, 30.0f, 0.01f},
        {"a teammate's shield is passed", 0, 30, 0, false, 0, 5, 3, 0, 30.0f, 0.01f},
    };
    for (const auto& c : cases) {
        world.Clear();
        game->remotePlayers.clear();
        game->sentries.clear();
        game->shields.clear();
        characters->remotes.clear();
        effects.Clear();
        if (c.wall > 0.0f) {
            AddWall(c.wall);
        }
        if (c.body > 0.0f) {
            AddRemote(4, glm::vec3(0.0f, 0.0f, -c.body));
            game->remotePlayers.back().teamBlue = c.bodyTeamBlue;
        }
        if (c.sentry > 0.0f) {
            net::SentryStateEntry sentry;
            sentry.id = 7;
            sentry.owner = 3;
            sentry.position = glm::vec3(0.0f, 0.5f, -c.sentry);  // planted on a ledge, its box at eye height
            sentry.hitPoints = 75;
            game->sentries.push_back(sentry);
        }
        if (c.shield > 0.0f) {
            net::ShieldStateEntry shield;
            shield.id = 9;
            shield.owner = c.shieldOwner;
            shield.team = c.shieldTeam;
            shield.position = glm::vec3(0.0f, 0.0f, -c.shield);
            shield.hitPoints = 150;
            game->shields.push_back(shield);
        }
        frame.display.team = c.ownTeam;
        ShotPresentation shots;
        frame.display.shotsFired = 1;
        PresentOwnShots(shots, frame, *characters);
        ASSERT_EQ(effects.tracers.size(), 1u) << c.what;
        const float reach = glm::length(effects.tracers[0].to - frame.camera.eye);
        EXPECT_NEAR(reach, c.reach, c.tolerance) << c.what;
    }
}

using OwnShotSounds = shotscene::HeardShotScene;

TEST_F(OwnShotSounds, OneFireSoundAFrameOfShotsAndAReloadSoundWhenAReloadStarts)
{
    ShotPresentation shots;
    frame.display.position = glm::vec3(0.0f, 0.0f, -5.0f);
    frame.display.shotsFired = 3;
    PresentOwnShots(shots, frame, *characters);
    EXPECT_EQ(Playing(sounds.weaponFire[kWeaponM4]), 1) << "one sound for the frame's three shots";
    EXPECT_EQ(Playing(sounds.weaponSecond[kWeaponM4]), 0);

    frame.display.reloadTicks = 100;
    PresentOwnShots(shots, frame, *characters);
    frame.display.reloadTicks = 99;
    PresentOwnShots(shots, frame, *characters);
    EXPECT_EQ(Playing(sounds.weaponSecond[kWeaponM4]), 1) << "once, as the reload starts";

    // A continuous row loops its own hum elsewhere: its shots play nothing here.
    frame.display.reloadTicks = 0;
    frame.display.weapon = kWeaponLaser;
    frame.display.shotsFired = 5;
    PresentOwnShots(shots, frame, *characters);
    EXPECT_EQ(Playing(sounds.weaponFire[kWeaponLaser]), 0);
}

}  // namespace ownshotstest

// The continuous beam: how far it reaches, what it is built of each frame, the sparks carried from
// frame to frame, and who shoots one.
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/beam_effect.h"
#include "client/shot_presentation.h"
#include "shot_scene.h"

namespace beameffecttest {

using Beams = shotscene::ShotScene;

TEST_F(Beams, ABeamStopsAtTheFirstWallOrTheNearestVisibleBodyElseRunsItsRange)
{
    const struct {
        const char* what;
        float wall;          // 0: none
        float bodies[2];     // distances of remote characters on the line, 0: none
        bool invisible[2];
        float length;
        float tolerance;
    } cases[] = {
        {"nothing hit: the row's range", 0, {0, 0}, {false, false}, 200.0f, 0.01f},
        {"a wall", 30, {0, 0}, {false, false}, 30.0f, 0.01f},
        {"a wall before a body", 8, {12, 0}, {false, false}, 8.0f, 0.01f},
        {"a body before the wall", 30, {12, 0}, {false, false}, 11.8f, 0.4f},
        {"the nearer of two bodies", 30, {20, 12}, {false, false}, 11.8f, 0.4f},
        {"an invisible body is passed", 30, {12, 0}, {true, false}, 30.0f, 0.01f},
        {"past an invisible body to a visible one", 30, {12, 20}, {true, false}, 19.8f, 0.4f},
    };
    for (const auto& c : cases) {
        world.Clear();
        characters->remotes.clear();
        game->remotePlayers.clear();
        effects.Clear();
        if (c.wall > 0.0f) {
            AddWall(c.wall);
        }
        for (int i = 0; i < 2; ++i) {
            if (c.bodies[i] > 0.0f) {
                AddRemote(static_cast<uint32_t>(10 + i), glm::vec3(0.0f, 0.0f, -c.bodies[i])).invisible = c.invisible[i];
            }
        }
        const glm::vec3 origin = frame.camera.eye;
        const glm::vec3 start = origin + glm::vec3(0.4f, -0.2f, -0.5f);
        const glm::vec3 end = BeamEffect(frame, *characters, kWeaponLaser, start, origin, frame.camera.forward, nullptr, -1);
        EXPECT_NEAR(glm::length(end - origin), c.length, c.tolerance) << c.what;
        // The glow and the core run from the muzzle to that end.
        ASSERT_EQ(effects.tracers.size(), 2u) << c.what;
        for (const Effects::Tracer& tracer : effects.tracers) {
            EXPECT_EQ(tracer.from, start) << c.what;
            EXPECT_EQ(tracer.to, end) << c.what;
        }
    }
}

TEST_F(Beams, OnlyABeamRowDrawsABeam)
{
    const glm::vec3 origin = frame.camera.eye;
    for (int row = -1; row <= 10; ++row) {
        effects.Clear();
        BeamEffect(frame, *characters, row, origin, origin, frame.camera.forward, nullptr, -1);
        EXPECT_EQ(effects.tracers.empty(), row != kWeaponLaser) << row;
    }
}

TEST_F(Beams, ItsSparksCarryTheirFractionFromFrameToFrame)
{
    // 26 sparks a second in frames of 0.01 s: a spark about every fourth frame.
    frame.dt = 0.01f;
    const glm::vec3 origin = frame.camera.eye;
    float remainder = 0.0f;
    int sparks = 0;
    int lastSparkFrame = -1;
    for (int f = 0; f < 100; ++f) {
        effects.Clear();
        BeamEffect(frame, *characters, kWeaponLaser, origin, origin, frame.camera.forward, &remainder, -1);
        // A glow flash at the end and two at the muzzle come every frame; the rest are sparks.
        const int spawned = static_cast<int>(effects.particles.size()) - 3;
        ASSERT_GE(spawned, 0);
        ASSERT_LE(spawned, 1) << "frame " << f;
        if (spawned == 1) {
            if (lastSparkFrame >= 0) {
                const int gap = f - lastSparkFrame;
                EXPECT_TRUE(gap == 3 || gap == 4) << "frame " << f << ", gap " << gap;
            }
            lastSparkFrame = f;
            const Effects::Particle& spark = effects.particles.back();
            EXPECT_NEAR(spark.velocity.z, -1.4f, 0.55f + 1e-4f) << "along the beam, spread";
            EXPECT_GE(spark.lifetime, 0.6f * 0.42f - 1e-6f);
            EXPECT_LE(spark.lifetime, 1.4f * 0.42f + 1e-6f);
        }
        sparks += spawned;
        EXPECT_GE(remainder, 0.0f);
        EXPECT_LT(remainder, 1.0f);
    }
    EXPECT_NEAR(sparks, 26, 1) << "a second's worth";
}

TEST_F(Beams, TheOwnBeamShowsOnlyWhileItCanFire)
{
    frame.display.weapon = kWeaponLaser;
    frame.display.fireHeld = 1;
    frame.display.ammo = 50;
    characters->own.alive = true;
    characters->own.weaponPlaced = true;
    characters->own.muzzle = glm::vec3(0.5f, 1.1f, -0.6f);
    const struct {
        const char* what;
        void (*change)(MatchFrame&, CharacterFrame&);
        bool beam;
    } cases[] = {
        {"firing a loaded laser", [](MatchFrame&, CharacterFrame&) {}, true},
        {"not firing", [](MatchFrame& f, CharacterFrame&) { f.display.fireHeld = 0; }, false},
        {"empty", [](MatchFrame& f, CharacterFrame&) { f.display.ammo = 0; }, false},
        {"reloading", [](MatchFrame& f, CharacterFrame&) { f.display.reloadTicks = 20; }, false},
        {"another row", [](MatchFrame& f, CharacterFrame&) { f.display.weapon = kWeaponM4; }, false},
        {"a grenade in the hand", [](MatchFrame&, CharacterFrame& c) { c.own.weaponPlaced = false; }, false},
        {"dead", [](MatchFrame&, CharacterFrame& c) { c.own.alive = false; }, false},
    };
    for (const auto& c : cases) {
        MatchFrame changed = frame;
        CharacterFrame& chars = *characters;
        const OwnCharacterView kept = chars.own;
        c.change(changed, chars);
        effects.Clear();
        ShotPresentation shots;
        PresentBeams(shots, changed, chars);
        chars.own = kept;
        EXPECT_EQ(!effects.tracers.empty(), c.beam) << c.what;
        if (c.beam) {
            EXPECT_EQ(effects.tracers[0].from, characters->own.muzzle) << c.what;
        }
    }
}

TEST_F(Beams, ARemoteBeamIsAimedFromItsShouldersViewOriginAndDrawnFromItsMuzzle)
{
    RemoteCharacterView& shooter = AddRemote(20, glm::vec3(0.0f, 0.0f, -10.0f));
    shooter.weaponRow = kWeaponLaser;
    shooter.firing = true;
    shooter.aim = glm::vec3(0.0f, 0.0f, 1.0f);
    shooter.weaponPlaced = true;
    shooter.muzzle = glm::vec3(-0.3f, 1.2f, -9.4f);
    AddWall(-40.0f);  // a wall behind the own origin: its near face at z = 39
    ShotPresentation shots;
    PresentBeams(shots, frame, *characters);
    ASSERT_EQ(effects.tracers.size(), 2u);
    // The origin is 2.05 m above the feet and 1 m to the right of +z, which is -x.
    const glm::vec3 origin(-1.0f, 2.05f, -10.0f);
    EXPECT_NEAR(glm::length(effects.tracers[1].to - (origin + glm::vec3(0.0f, 0.0f, 49.0f))), 0.0f, 1e-3f);
    EXPECT_EQ(effects.tracers[1].from, shooter.muzzle);

    characters->remotes[0].invisible = true;
    effects.Clear();
    PresentBeams(shots, frame, *characters);
    EXPECT_TRUE(effects.tracers.empty()) << "an invisible shooter shows no beam";
}

}  // namespace beameffecttest

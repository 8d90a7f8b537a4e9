#pragma once
// A match frame put together by hand for the shot tests: a real collision world, headless effects,
// a session with remote players, and remote characters posed on the generated base rig with their
// hit volumes, standing where a test puts them.
#include <cmath>
#include <memory>
#include <string>

#include <glm/ext/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "audio_test_support.h"
#include "client/character_view.h"
#include "client/game_session.h"
#include "client/match_frame.h"
#include "client/rand01.h"
#include "game/collision_world.h"
#include "game/hit_volumes.h"
#include "game/rig_loader.h"
#include "game/tuning.h"
#include "client/startup_sounds.h"
#include "render/effects.h"
#include "support/temp_folder.h"

namespace shotscene {

struct ShotScene : testing::Test {
    tune::Tuning tuning{};
    CollisionWorld world;
    Effects effects;
    std::unique_ptr<GameSession> game = std::make_unique<GameSession>();
    std::unique_ptr<CharacterFrame> characters = std::make_unique<CharacterFrame>();
    anim::Rig rig;
    HitboxSet hitboxes;
    MatchFrame frame;

    void SetUp() override
    {
        ResetRand01();
        testing::internal::CaptureStdout();
        const bool loaded = anim::LoadRig(rig, "assets/models/characters/character_blue.glb");
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(loaded);
        ASSERT_TRUE(BuildHitboxes(hitboxes, rig.skeleton));
        world.Clear();  // the floor plane at y = 0

        frame.tuning = &tuning;
        frame.game = game.get();
        frame.world = &world;
        frame.effects = &effects;
        frame.hitboxes = &hitboxes;
        frame.joined = true;
        frame.playing = true;
        frame.screen = 4;
        frame.ownId = 0;
        frame.dt = 1.0f / 60.0f;
        frame.display.health = 100;
        frame.display.weapon = kWeaponM4;
        frame.display.team = kTeamNone;
        // Eye at chest height looking down -z, as a player standing at the origin would see.
        frame.camera.eye = glm::vec3(0.0f, 1.3f, 0.0f);
        frame.camera.forward = glm::vec3(0.0f, 0.0f, -1.0f);
    }

    // A wall across the line of sight whose near face is at z = -distance.
    void AddWall(float distance)
    {
        world.AddBox(glm::vec3(0.0f, 3.0f, -distance - 0.5f), glm::vec3(20.0f, 3.0f, 0.5f));
    }

    // Remote player `slot` standing idle with its feet at `feet`, facing the origin, shown by the
    // interpolation and placed by the instance pass.
    RemoteCharacterView& AddRemote(uint32_t slot, const glm::vec3& feet)
    {
        anim::Animator& animator = characters->slotAnimators[slot];
        animator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
        for (int i = 0; i < 8; ++i) {
            animator.Advance(1.0f / 64.0f, 0.0f, true);
        }
        std::vector<glm::mat4> skin;
        animator.ComputeJointMatrices(0.0f, 0.0f, skin);

        // Yaw 0 looks along -z; turned half round it looks back at the origin.
        const float yaw = feet.z < 0.0f ? 180.0f : 0.0f;
        const tune::ModelPoseTuning& pose = tuning.movement.pose;
        glm::mat4 model = glm::translate(glm::mat4(1.0f),
                                         feet + glm::vec3(0.0f, pose.modelHeightOffset + pose.modelScale * animator.rootBob, 0.0f));
        model = glm::rotate(model, glm::radians(yaw + pose.modelYawOffset), glm::vec3(0.0f, 1.0f, 0.0f));
        model = glm::scale(model, glm::vec3(pose.modelScale));

        RemotePlayerView player;
        player.id = static_cast<int>(slot);
        player.position = feet;
        player.yaw = yaw;
        player.onGround = true;
        player.weapon = kWeaponM4;
        game->remotePlayers.push_back(player);

        RemoteCharacterView view;
        view.id = slot;
        view.inView = true;
        view.model = model;
        view.position = feet;
        view.weaponRow = kWeaponM4;
        view.aim = glm::vec3(0.0f, 0.0f, feet.z < 0.0f ? 1.0f : -1.0f);
        characters->remotes.push_back(view);
        return characters->remotes.back();
    }
};

// The same scene heard through a device-less audio system, every sound the passes play loaded from
// one short tone (each its own sound with voices of its own), the listener at the origin.
struct HeardShotScene : ShotScene {
    testsupport::TempFolder folder;
    std::string tone = folder.Path() + "/tone.wav";
    audio::AudioSystem audio;
    audio::StartupSounds sounds;

    void SetUp() override
    {
        ShotScene::SetUp();
        setenv("ALSOFT_DRIVERS", "null", 1);
        testing::internal::CaptureStdout();
        const bool written = audiotest::WriteTone(tone, 1, 0.2, 440.0, 0.5);
        const bool started = audio.Init(false);
        for (int row = 0; row < tune::Tuning::kWeaponCount; ++row) {
            sounds.weaponFire[row] = audio.Load(tone.c_str(), 4);
            sounds.weaponSecond[row] = audio.Load(tone.c_str(), 2);
        }
        for (int32_t& footstep : sounds.footsteps) {
            footstep = audio.Load(tone.c_str(), 2);
        }
        sounds.woosh = audio.Load(tone.c_str(), 2);
        sounds.invisibility = audio.Load(tone.c_str(), 2);
        sounds.hit = audio.Load(tone.c_str(), 4);
        sounds.kill = audio.Load(tone.c_str(), 2);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(written);
        ASSERT_TRUE(started);
        ASSERT_GE(sounds.kill, 0);
        audio.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
        frame.audio = &audio;
        frame.sounds = &sounds;
    }

    // How many voices of the sound are playing.
    int Playing(int32_t sound) const
    {
        int playing = 0;
        for (int32_t v = 0; v < audio.VoiceCount(sound); ++v) {
            playing += audio.Voice(sound, v).playing ? 1 : 0;
        }
        return playing;
    }
};

}  // namespace shotscene

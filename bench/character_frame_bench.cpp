// One client frame's CPU work for 64 remote characters and the own one: each animator advanced
// and posed, the bones gathered into the instance list (half of the characters wear a skin model
// with a three-joint tail on spring chains), the weapons placed, and each remote player's sound
// tracker compared with the last frame. Nothing is drawn. Reports the allocations of the first
// frame and per later frame (every list keeps its memory, so there should be none).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>

#include "bench/allocation_count.h"
#include "client/character_instances.h"
#include "client/game_session.h"
#include "client/remote_audio_tracker.h"
#include "game/asset_paths.h"
#include "game/rig_loader.h"
#include "render/renderer.h"
#include "render/skinned_model.h"

namespace {

constexpr int kRemotes = 64;

struct CharacterFrameScene {
    tune::Tuning tuning;
    ArmourModels armours;
    SkinModels skins;
    WorldModels models;
    HitboxSet hitboxes;
    CharacterAssets assets;
    GameSession game;
    MatchFrame frame;
    CharacterFrame characters;
    CharacterPresentation presentation;
    anim::Animator ownAnimator;
    std::vector<glm::mat4> ownSkin;
    render::Renderer renderer;
    std::vector<RemoteAudioTracker> trackers = std::vector<RemoteAudioTracker>(net::kMaxPlayers);
    render::Frustum frustum{};
    int sounds = 0;

    bool Build() {
        anim::Rig rig;
        if (!anim::LoadRig(rig, AssetPath(tuning.armors[0].model))) return false;
        render::SkinnedModel& base = armours.models[0];
        base.skeleton = rig.skeleton;
        base.clips = rig.clips;
        armours.usable[0] = true;
        BuildHitboxes(hitboxes, base.skeleton);

        // A skin: the rig with a tail of three joints under its first joint.
        skins.catalogue.names = {"tailed"};
        skins.variants.resize(1);
        SkinVariantModel& variant = skins.variants[0][0];
        variant.model.skeleton = rig.skeleton;
        anim::Skeleton& skeleton = variant.model.skeleton;
        const int32_t first = int32_t(rig.skeleton.jointNames.size());
        for (int32_t j = 0; j < first; ++j) variant.jointMap.push_back(j);
        for (int32_t k = 0; k < 3; ++k) {
            skeleton.jointNames.push_back("tail_" + std::to_string(k));
            skeleton.parents.push_back(k == 0 ? 0 : first + k - 1);
            skeleton.inverseBindMatrices.push_back(glm::mat4(1.0f));
            skeleton.legFlags.push_back(0);
            skeleton.evaluationOrder.push_back(first + k);
            anim::JointPose rest;
            rest.translation = glm::vec3(0.0f, -0.1f, 0.12f);
            skeleton.restPose.push_back(rest);
            variant.jointMap.push_back(-1);
        }
        variant.usable = true;

        for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) {
            WeaponModelRecord& record = models.weapons[size_t(row)];
            record.loaded = true;
            record.grip = WeaponGripMatrix(tuning.Weapon(row));
            record.handJoint = FindJointByName(base.skeleton, "hand.r");
        }
        assets.tuning = &tuning;
        assets.armours = &armours;
        assets.skins = &skins;
        assets.models = &models;
        assets.hitboxes = &hitboxes;
        assets.handJoint = FindJointByName(base.skeleton, "hand.r");
        ownAnimator.Reset(&base.skeleton, &base.clips, tuning.rig, tuning.movement.pose);
        for (anim::Animator& animator : characters.slotAnimators) {
            animator.Reset(&base.skeleton, &base.clips, tuning.rig, tuning.movement.pose);
        }
        characters.throwTimes.fill(-1.0f);

        game.ownSlot = 0;
        game.hasLobbyView = true;
        for (int i = 0; i < kRemotes; ++i) {
            net::LobbyMember member;
            member.slot = uint8_t(i + 1);
            member.skin = i % 2 == 0 ? 1 : 0;
            game.lobby.members.push_back(member);
            RemotePlayerView view;
            view.id = i + 1;
            view.onGround = true;
            view.weapon = uint8_t(1 + i % 9);
            game.remotePlayers.push_back(view);
        }
        frame.tuning = &tuning;
        frame.game = &game;
        frame.models = &models;
        frame.hitboxes = &hitboxes;
        frame.joined = true;
        frame.playing = true;
        frame.screen = 4;
        frame.dt = 1.0f / 60.0f;
        frame.ownId = 0;
        frame.display.health = 100;
        frame.display.weapon = kWeaponM4;
        frame.camera.eyeToPivot = 3.0f;
        // Everyone in view: the camera stands back from the crowd.
        frame.viewProj = glm::perspective(1.4f, 16.0f / 9.0f, 0.05f, 500.0f) *
                         glm::lookAt(glm::vec3(0.0f, 30.0f, 60.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        frustum = render::ExtractFrustum(frame.viewProj);
        return true;
    }

    // The crowd runs in circles, some stand; positions change as the interpolation would show them.
    void Frame() {
        frame.now += frame.dt;
        const float t = float(frame.now);
        for (int i = 0; i < kRemotes; ++i) {
            RemotePlayerView& view = game.remotePlayers[size_t(i)];
            const float angle = t * 0.6f + float(i) * 0.4f;
            const float radius = 4.0f + float(i % 8) * 2.5f;
            const bool running = i % 4 != 3;
            view.position = glm::vec3(std::cos(angle) * radius, 0.0f, std::sin(angle) * radius);
            view.speed = running ? radius * 0.6f : 0.0f;
            view.yaw = view.bodyYaw = -angle * 57.29578f;
            view.firing = running && int(t * 8.0f + float(i)) % 2 == 0;
            if (view.firing) ++view.shotCount;
        }
        ownAnimator.Advance(frame.dt, 4.0f, true);
        ownAnimator.ComputeJointMatrices(0.0f, 0.0f, ownSkin);
        PoseCharacters(presentation, characters, frame, assets, ownAnimator, renderer, frustum);
        for (const RemotePlayerView& view : game.remotePlayers) {
            const RemoteSoundEvents events = trackers[size_t(view.id)].Update(view, tuning.sound.footstepStride);
            sounds += events.shots + events.footsteps;
        }
    }
};

void BM_CharacterFrameSixtyFour(benchmark::State& state) {
    auto scene = std::make_unique<CharacterFrameScene>();
    if (!scene->Build()) {
        state.SkipWithError("character file missing");
        return;
    }
    const uint64_t beforeFirst = AllocationCount();
    scene->Frame();
    const uint64_t firstFrame = AllocationCount() - beforeFirst;
    for (int i = 0; i < 10; ++i) scene->Frame();  // warm-up
    // Counted around the frame alone: the benchmark's own bookkeeping allocates now and then.
    uint64_t later = 0;
    for (auto _ : state) {
        const uint64_t before = AllocationCount();
        scene->Frame();
        later += AllocationCount() - before;
        benchmark::DoNotOptimize(scene->renderer.instanceTransforms.data());
    }
    state.counters["allocs_first_frame"] = double(firstFrame);
    state.counters["allocs_per_frame"] = double(later) / double(state.iterations());
    state.counters["bones"] = double(scene->renderer.instanceTransforms.size());
    state.counters["remote_characters"] = double(scene->characters.remotes.size());
}
BENCHMARK(BM_CharacterFrameSixtyFour)->Unit(benchmark::kMicrosecond);

}  // namespace

#pragma once
// A match's characters without a GL context: the generated base rig read into armour 0's record
// (skeleton and clips only), weapon and grenade records marked loaded without geometry, a game
// session with remote players, and a frame that looks down the -z axis from above the origin.
#include <string>
#include <vector>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "client/character_instances.h"
#include "client/game_session.h"
#include "client/world_models.h"
#include "game/asset_paths.h"
#include "game/rig_loader.h"
#include "render/renderer.h"
#include "render/skinned_model.h"

namespace clienttest {

struct CharacterScene {
    tune::Tuning tuning;
    ArmourModels armours;
    SkinModels skins;
    WorldModels models;
    AccessoryModels accessories;
    HitboxSet hitboxes;
    CharacterAssets assets;
    GameSession game;
    MatchFrame frame;
    CharacterFrame characters;
    CharacterPresentation presentation;
    anim::Animator ownAnimator;
    render::Renderer renderer;  // only its instance list is used; nothing is drawn

    // False when the generated character file is missing.
    bool Build()
    {
        anim::Rig rig;
        testing::internal::CaptureStdout();
        const bool loaded = anim::LoadRig(rig, AssetPath(tuning.armors[0].model));
        testing::internal::GetCapturedStdout();
        if (!loaded) {
            return false;
        }
        render::SkinnedModel& base = armours.models[0];
        base.skeleton = rig.skeleton;
        base.clips = rig.clips;
        armours.usable[0] = true;
        BuildHitboxes(hitboxes, base.skeleton);
        for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) {
            WeaponModelRecord& record = models.weapons[static_cast<size_t>(row)];
            record.loaded = true;
            record.grip = WeaponGripMatrix(tuning.Weapon(row));
            record.handJoint = FindJointByName(base.skeleton, "hand.r");
        }
        models.grenadeLoaded = true;
        assets.tuning = &tuning;
        assets.armours = &armours;
        assets.skins = &skins;
        assets.models = &models;
        assets.accessories = &accessories;
        assets.hitboxes = &hitboxes;
        assets.handJoint = FindJointByName(base.skeleton, "hand.r");
        ownAnimator.Reset(&base.skeleton, &base.clips, tuning.rig, tuning.movement.pose);
        for (anim::Animator& animator : characters.slotAnimators) {
            animator.Reset(&base.skeleton, &base.clips, tuning.rig, tuning.movement.pose);
        }
        characters.throwTimes.fill(-1.0f);

        frame.tuning = &tuning;
        frame.game = &game;
        frame.models = &models;
        frame.hitboxes = &hitboxes;
        frame.joined = true;
        frame.playing = true;
        frame.screen = 4;
        frame.dt = 1.0f / 60.0f;
        frame.now = 10.0;
        frame.ownId = 0;
        frame.display.health = 100;
        frame.display.weapon = kWeaponM4;
        frame.display.ammo = 30;
        frame.camera.eyeToPivot = 3.0f;
        game.ownSlot = 0;
        return true;
    }

    // Looking from (0, 2, 4) toward -z.
    static glm::mat4 ViewProjection()
    {
        const glm::mat4 projection = glm::perspective(1.2f, 16.0f / 9.0f, 0.05f, 200.0f);
        return projection * glm::lookAt(glm::vec3(0.0f, 2.0f, 4.0f), glm::vec3(0.0f, 1.0f, -10.0f),
                                        glm::vec3(0.0f, 1.0f, 0.0f));
    }

    RemotePlayerView& AddRemote(int id, const glm::vec3& position)
    {
        RemotePlayerView view;
        view.id = id;
        view.position = position;
        view.onGround = true;
        view.weapon = kWeaponM4;
        game.remotePlayers.push_back(view);
        return game.remotePlayers.back();
    }

    void Pose()
    {
        ownAnimator.Advance(frame.dt, 0.0f, true);
        std::vector<glm::mat4> skin;
        ownAnimator.ComputeJointMatrices(0.0f, 0.0f, skin);
        frame.viewProj = ViewProjection();
        PoseCharacters(presentation, characters, frame, assets, ownAnimator, renderer,
                       render::ExtractFrustum(frame.viewProj));
    }
};

}  // namespace clienttest

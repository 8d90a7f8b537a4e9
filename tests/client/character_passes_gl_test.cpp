// The character passes on a real GL context (Xvfb in CI): the accessory models with their lines,
// one match frame's characters, held weapons, worn accessories, sentry and shield drawn from the
// generated data tree, and a shot's frame read back pixel by pixel.
#include <glad/gl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/accessory_models.h"
#include "client/character_drawing.h"
#include "client/character_instances.h"
#include "client/game_session.h"
#include "client/shot_presentation.h"
#include "client/weapons_pass.h"
#include "game/collision_world.h"
#include "game/asset_paths.h"
#include "gl_window_fixture.h"
#include "render/effects.h"
#include "render/light_list.h"
#include "render/renderer.h"

namespace characterpassesgltest {

using testing::HasSubstr;

class CharacterPassesGl : public clienttest::GlWindowTest {
protected:
    void SetUp() override
    {
        clienttest::GlWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        armoursLoaded = LoadArmourModels(armours, tuning);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        ASSERT_TRUE(armoursLoaded);
    }
    void TearDown() override
    {
        if (armoursLoaded) {
            DestroyArmourModels(armours);
        }
        clienttest::GlWindowTest::TearDown();
    }
    tune::Tuning tuning;
    ArmourModels armours;
    bool armoursLoaded = false;
};

// Everything a match frame draws its characters with, loaded from the generated data tree.
class MatchFrameGl : public CharacterPassesGl {
protected:
    void SetUp() override
    {
        CharacterPassesGl::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(renderer.Init(tuning));
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        LoadSkinModels(skins, armours, tuning);
        LoadWeaponModels(models, tuning, armours.models[0].skeleton);
        LoadPowerModels(models, tuning);
        LoadAccessoryModels(accessories, armours.models[0].skeleton, tuning, AssetsDir());
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        BuildHitboxes(hitboxes, armours.models[0].skeleton);
        assets.tuning = &tuning;
        assets.armours = &armours;
        assets.skins = &skins;
        assets.models = &models;
        assets.accessories = &accessories;
        assets.hitboxes = &hitboxes;
        assets.handJoint = FindJointByName(armours.models[0].skeleton, "hand.r");
        ASSERT_TRUE(lights.CreateBuffer());
        loaded = true;
    }
    void TearDown() override
    {
        if (loaded) {
            lights.Destroy();
            DestroyAccessoryModels(accessories);
            DestroyWorldModels(models);
            DestroySkinModels(skins);
            renderer.Destroy();
        }
        CharacterPassesGl::TearDown();
    }

    // The own character standing at the origin, looking down -z, one animation step in.
    void PoseOwn()
    {
        const render::SkinnedModel& rig = armours.models[0];
        own.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
        std::vector<glm::mat4> skin;
        own.Advance(0.1f, 0.0f, true);
        own.ComputeJointMatrices(0.0f, 0.0f, skin);
    }

    // A frame of a match being played, drawn with the loaded models, in full health.
    MatchFrame PlayingFrame(GameSession& game) const
    {
        MatchFrame frame;
        frame.tuning = &tuning;
        frame.game = &game;
        frame.models = &models;
        frame.hitboxes = &hitboxes;
        frame.joined = true;
        frame.playing = true;
        frame.screen = 4;
        frame.now = 1.0;
        frame.display.health = 100;
        frame.camera.eyeToPivot = 3.0f;
        frame.lighting = tuning.lighting;
        return frame;
    }

    // The frame's pixels as drawn so far, rows from the bottom.
    std::vector<uint8_t> ReadFrame() const
    {
        std::vector<uint8_t> pixels(size_t(windowWidth) * size_t(windowHeight) * 3);
        glFinish();
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    render::Renderer renderer;
    SkinModels skins;
    WorldModels models;
    AccessoryModels accessories;
    HitboxSet hitboxes;
    CharacterAssets assets;
    render::LightList lights;
    anim::Animator own;
    bool loaded = false;
};

TEST_F(CharacterPassesGl, AccessoriesLoadOnTheirBonesAndABoneTheRigLacksIsSaid)
{
    AccessoryModels accessories;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int count = LoadAccessoryModels(accessories, armours.models[0].skeleton, tuning, AssetsDir());
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_GT(count, 0);
    EXPECT_THAT(out, HasSubstr("[accessories] " + std::to_string(count) + " loaded\n"));
    EXPECT_EQ(err, "");
    ASSERT_EQ(accessories.records.size(), static_cast<size_t>(count));
    for (size_t i = 0; i < accessories.records.size(); ++i) {
        EXPECT_TRUE(accessories.records[i].loaded) << accessories.catalogue[i].id;
        EXPECT_GE(accessories.records[i].joint, 0) << accessories.catalogue[i].id;
        EXPECT_EQ(accessories.records[i].attachment, AccessoryAttachmentMatrix(accessories.catalogue[i]));
    }

    const anim::Skeleton bare;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LoadAccessoryModels(accessories, bare, tuning, AssetsDir());
    testing::internal::GetCapturedStdout();
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                HasSubstr("[accessories] " + accessories.catalogue[0].id + ": no '" + accessories.catalogue[0].bone +
                          "' bone on the rig; it will not be drawn\n"));
    EXPECT_EQ(accessories.records[0].joint, -1);
    DestroyAccessoryModels(accessories);
}

TEST_F(MatchFrameGl, AMatchFrameDrawsItsCharactersAndWhatTheyHoldWithoutAnError)
{
    auto game = std::make_unique<GameSession>();
    game->ownSlot = 0;
    game->hasLobbyView = true;
    net::LobbyMember member;
    member.slot = 1;
    member.skin = 1;
    member.accessories = {1, 0, 0, 0};
    game->lobby.members.push_back(member);
    RemotePlayerView remote;
    remote.id = 1;
    remote.position = glm::vec3(0.8f, 0.0f, -2.0f);
    remote.onGround = true;
    remote.weapon = kWeaponM4;
    game->remotePlayers.push_back(remote);
    game->economy.bountyBySlot[1] = 800;
    net::SentryStateEntry sentry;
    sentry.position = glm::vec3(-1.0f, 0.0f, -2.5f);
    sentry.hitPoints = 50;
    game->sentries.push_back(sentry);
    net::ShieldStateEntry shield;
    shield.position = glm::vec3(0.0f, 0.0f, -5.0f);
    shield.hitPoints = 100;
    game->shields.push_back(shield);

    auto characters = std::make_unique<CharacterFrame>();
    auto presentation = std::make_unique<CharacterPresentation>();
    characters->throwTimes.fill(-1.0f);
    characters->hitFlashes[1].Trigger(kRegionTorso, 0.22f);
    PoseOwn();

    MatchFrame frame = PlayingFrame(*game);
    frame.dt = 0.1f;
    frame.display.weapon = kWeaponLaser;
    frame.display.position = glm::vec3(-0.8f, 0.0f, -2.0f);
    const glm::vec3 eye(0.0f, 1.6f, 2.0f);
    frame.viewProj = glm::perspectiveRH_ZO(1.2f, 1.0f, 2000.0f, 0.05f) *
                     glm::lookAt(eye, glm::vec3(0.0f, 1.0f, -2.0f), glm::vec3(0.0f, 1.0f, 0.0f));

    renderer.BeginFrame(64, 64, tuning);
    renderer.SetupLights(lights, frame.lighting, eye);
    const std::vector<uint8_t> clear = ReadFrame();

    PoseCharacters(*presentation, *characters, frame, assets, own, renderer, render::ExtractFrustum(frame.viewProj));
    UploadCharacterInstances(*characters, assets, renderer);
    DrawCharacters(*characters, frame, assets, renderer);
    DrawWeaponsPass(*presentation, *characters, frame, assets, renderer);
    glFinish();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    ASSERT_EQ(characters->remotes.size(), 1u);
    EXPECT_GE(characters->remotes[0].firstBone, 0);
    EXPECT_TRUE(characters->own.weaponPlaced);
    // Own weapon, the remote's weapon and hat, the shield and the sentry's three parts.
    EXPECT_EQ(presentation->draws.size(), 7u);
    // The bounty's outline is taken off again after its character.
    EXPECT_EQ(renderer.outlineWidth, tuning.renderer.outline.width);
    EXPECT_EQ(renderer.outlineColour[0], tuning.renderer.outline.colour[0]);

    const std::vector<uint8_t> drawn = ReadFrame();
    int changed = 0;
    for (size_t i = 0; i < drawn.size(); i += 3) {
        changed += drawn[i] != clear[i] || drawn[i + 1] != clear[i + 1] || drawn[i + 2] != clear[i + 2] ? 1 : 0;
    }
    EXPECT_GT(changed, 64 * 64 / 10);
}

// One frame of an own shot that hit, seen from the side on a 256 x 256 window: the rifle in the
// own hand, the shot's tracer leaving its muzzle, and the spark of the hit the server reported,
// each read as the pixels its own pass changed.
class ShotFrameGl : public MatchFrameGl {
protected:
    ShotFrameGl()
    {
        windowWidth = 256;
        windowHeight = 256;
    }
};

TEST_F(ShotFrameGl, TheRifleIsInTheHandTheTracerLeavesItsMuzzleAndTheHitSparks)
{
    Effects effects;
    testing::internal::CaptureStdout();
    const bool effectsReady = effects.Init();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(effectsReady);
    CollisionWorld world;
    world.Clear();
    auto game = std::make_unique<GameSession>();
    game->ownSlot = 0;
    auto characters = std::make_unique<CharacterFrame>();
    auto presentation = std::make_unique<CharacterPresentation>();
    characters->throwTimes.fill(-1.0f);
    PoseOwn();

    MatchFrame frame = PlayingFrame(*game);
    frame.world = &world;
    frame.effects = &effects;
    frame.ownId = 0;
    frame.dt = 1.0f / 60.0f;
    frame.display.weapon = kWeaponM4;
    frame.camera.eye = glm::vec3(0.4f, 1.6f, 3.0f);  // behind the right shoulder, as in play
    frame.camera.forward = glm::vec3(0.0f, 0.0f, -1.0f);
    // The picture is taken from the player's right, level with the weapon: the shot goes right.
    const glm::vec3 eye(4.0f, 1.2f, -2.5f);
    const glm::mat4 view = glm::lookAt(eye, glm::vec3(0.0f, 1.2f, -2.5f), glm::vec3(0.0f, 1.0f, 0.0f));
    frame.viewProj = glm::perspectiveRH_ZO(1.4f, 1.0f, 2000.0f, 0.05f) * view;
    const auto pixel = [&](const glm::vec3& point) {
        const glm::vec4 clip = frame.viewProj * glm::vec4(point, 1.0f);
        return glm::ivec2(int((clip.x / clip.w + 1.0f) * 0.5f * float(windowWidth)),
                          int((clip.y / clip.w + 1.0f) * 0.5f * float(windowHeight)));
    };
    // How many pixels within `radius` of `centre` pass `changed(before, after)`.
    const auto count = [&](const std::vector<uint8_t>& before, const std::vector<uint8_t>& after, glm::ivec2 centre,
                           int radius, auto changed) {
        int n = 0;
        for (int y = std::max(centre.y - radius, 0); y <= std::min(centre.y + radius, windowHeight - 1); ++y) {
            for (int x = std::max(centre.x - radius, 0); x <= std::min(centre.x + radius, windowWidth - 1); ++x) {
                const size_t i = (size_t(y) * size_t(windowWidth) + size_t(x)) * 3;
                n += changed(glm::ivec3(before[i], before[i + 1], before[i + 2]),
                             glm::ivec3(after[i], after[i + 1], after[i + 2]))
                         ? 1
                         : 0;
            }
        }
        return n;
    };
    const auto differs = [](glm::ivec3 before, glm::ivec3 after) { return before != after; };

    renderer.BeginFrame(windowWidth, windowHeight, tuning);
    renderer.SetupLights(lights, frame.lighting, eye);
    PoseCharacters(*presentation, *characters, frame, assets, own, renderer, render::ExtractFrustum(frame.viewProj));
    UploadCharacterInstances(*characters, assets, renderer);
    DrawCharacters(*characters, frame, assets, renderer);
    const std::vector<uint8_t> body = ReadFrame();
    DrawWeaponsPass(*presentation, *characters, frame, assets, renderer);
    const std::vector<uint8_t> armed = ReadFrame();

    // The rifle is held in the right hand and reaches from it to its muzzle, ahead of the body.
    ASSERT_TRUE(characters->own.weaponPlaced);
    const int handJoint = FindJointByName(armours.models[0].skeleton, "hand.r");
    ASSERT_GE(handJoint, 0);
    const glm::vec3 hand(characters->own.model * own.JointMatrix(handJoint)[3]);
    EXPECT_LT(glm::distance(glm::vec3(characters->own.weapon[3]), hand), 0.15f);  // the grip, in the palm
    const glm::vec3 muzzle = characters->own.muzzle;
    EXPECT_GT(glm::distance(hand, muzzle), 0.4f);
    EXPECT_LT(muzzle.z, hand.z);
    for (const float along : {0.3f, 0.6f, 0.9f}) {
        EXPECT_GE(count(body, armed, pixel(glm::mix(hand, muzzle, along)), 3, differs), 3) << "at " << along;
    }
    EXPECT_EQ(count(body, armed, pixel(muzzle + glm::vec3(0.0f, 0.0f, -0.6f)), 6, differs), 0);

    // The shot the prediction just fired and the server's word of its hit, half a metre above
    // the line of fire, drawn after one frame's ageing as the frame loop does.
    frame.display.shotsFired = 1;
    ShotPresentation shots;
    PresentOwnShots(shots, frame, *characters);
    ASSERT_EQ(effects.tracers.size(), 1u);
    EXPECT_EQ(effects.tracers[0].from, muzzle);
    net::HitEventMessage hit;
    hit.attacker = 0;
    hit.victim = 1;
    hit.kind = kRegionTorso;
    hit.amount = 20;
    hit.position = muzzle + glm::vec3(0.0f, 0.5f, -2.0f);
    PresentHits(frame, *characters, {hit});
    effects.Update(frame.dt);
    effects.Draw(frame.viewProj, eye, glm::vec3(view[0][0], view[1][0], view[2][0]),
                 glm::vec3(view[0][1], view[1][1], view[2][1]));
    const std::vector<uint8_t> shot = ReadFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // The tracer's warm yellow along the first metres of its flight.
    const auto tracerLight = [](glm::ivec3 before, glm::ivec3 after) {
        const glm::ivec3 added = after - before;
        return added.r > 40 && added.g > 30 && added.r > added.b + 15;
    };
    const glm::vec3 flight = glm::normalize(effects.tracers[0].to - muzzle);
    for (const float metres : {1.0f, 2.0f, 3.0f}) {
        EXPECT_GE(count(armed, shot, pixel(muzzle + flight * metres), 2, tracerLight), 2) << metres << " m out";
    }
    // Nothing of it past where it has flown in one frame.
    EXPECT_EQ(count(armed, shot, pixel(muzzle + flight * 4.5f), 3, differs), 0);
    // The spark: the hit-flash red added at the point, away from the line of fire.
    const auto sparkLight = [](glm::ivec3 before, glm::ivec3 after) {
        const glm::ivec3 added = after - before;
        return added.r > 60 && added.r > added.g + 30 && added.r > added.b + 30;
    };
    EXPECT_GE(count(armed, shot, pixel(hit.position), 3, sparkLight), 4);
    effects.Destroy();
}

}  // namespace characterpassesgltest

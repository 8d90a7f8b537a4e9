// The character passes on a real GL context (Xvfb in CI): the accessory models with their lines,
// and one match frame's characters, held weapons, worn accessories, sentry and shield drawn from
// the generated data tree.
#include <glad/gl.h>

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
#include "client/weapons_pass.h"
#include "game/asset_paths.h"
#include "gl_window_fixture.h"
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

TEST_F(CharacterPassesGl, AMatchFrameDrawsItsCharactersAndWhatTheyHoldWithoutAnError)
{
    render::Renderer renderer;
    ASSERT_TRUE(renderer.Init(tuning));
    SkinModels skins;
    WorldModels models;
    AccessoryModels accessories;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LoadSkinModels(skins, armours, tuning);
    LoadWeaponModels(models, tuning, armours.models[0].skeleton);
    LoadPowerModels(models, tuning);
    LoadAccessoryModels(accessories, armours.models[0].skeleton, tuning, AssetsDir());
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    HitboxSet hitboxes;
    BuildHitboxes(hitboxes, armours.models[0].skeleton);

    CharacterAssets assets;
    assets.tuning = &tuning;
    assets.armours = &armours;
    assets.skins = &skins;
    assets.models = &models;
    assets.accessories = &accessories;
    assets.hitboxes = &hitboxes;
    assets.handJoint = FindJointByName(armours.models[0].skeleton, "hand.r");

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
    anim::Animator own;
    const render::SkinnedModel& rig = armours.models[0];
    own.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
    std::vector<glm::mat4> skin;
    own.Advance(0.1f, 0.0f, true);
    own.ComputeJointMatrices(0.0f, 0.0f, skin);

    MatchFrame frame;
    frame.tuning = &tuning;
    frame.game = game.get();
    frame.models = &models;
    frame.hitboxes = &hitboxes;
    frame.joined = true;
    frame.playing = true;
    frame.screen = 4;
    frame.dt = 0.1f;
    frame.now = 1.0;
    frame.display.health = 100;
    frame.display.weapon = kWeaponLaser;
    frame.display.position = glm::vec3(-0.8f, 0.0f, -2.0f);
    frame.camera.eyeToPivot = 3.0f;
    frame.lighting = tuning.lighting;
    const glm::vec3 eye(0.0f, 1.6f, 2.0f);
    frame.viewProj = glm::perspectiveRH_ZO(1.2f, 1.0f, 2000.0f, 0.05f) *
                     glm::lookAt(eye, glm::vec3(0.0f, 1.0f, -2.0f), glm::vec3(0.0f, 1.0f, 0.0f));

    renderer.BeginFrame(64, 64, tuning);
    render::LightList lights;
    ASSERT_TRUE(lights.CreateBuffer());
    renderer.SetupLights(lights, frame.lighting, eye);
    std::vector<uint8_t> clear(64 * 64 * 3);
    glReadPixels(0, 0, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, clear.data());

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

    std::vector<uint8_t> drawn(64 * 64 * 3);
    glReadPixels(0, 0, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, drawn.data());
    int changed = 0;
    for (size_t i = 0; i < drawn.size(); i += 3) {
        changed += drawn[i] != clear[i] || drawn[i + 1] != clear[i + 1] || drawn[i + 2] != clear[i + 2] ? 1 : 0;
    }
    EXPECT_GT(changed, 64 * 64 / 10);

    lights.Destroy();
    DestroyAccessoryModels(accessories);
    DestroyWorldModels(models);
    DestroySkinModels(skins);
    renderer.Destroy();
}

}  // namespace characterpassesgltest

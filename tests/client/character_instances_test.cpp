// The character instance pass: the throw clock of remote slots, characters out of view getting no
// bones, and which bones a skinned character gets: the rig's, or a skin model's with its chains.
#include <memory>

#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>

#include <gtest/gtest.h>

#include "character_scene.h"
#include "client/character_instances.h"

namespace characterinstancestest {

using clienttest::CharacterScene;

std::unique_ptr<CharacterScene> MakeScene()
{
    auto scene = std::make_unique<CharacterScene>();
    if (!scene->Build()) {
        return nullptr;
    }
    return scene;
}

TEST(CharacterInstances, TheThrowClockRunsFromTheThrowAndRestsAtMinusOne)
{
    const struct {
        const char* what;
        float previous;
        bool held;
        bool thrown;
        float next;
    } cases[] = {
        {"held", 0.3f, true, false, 0.0f},
        {"held wins over thrown", -1.0f, true, true, 0.0f},
        {"thrown after holding counts on", 0.0f, false, true, 0.1f},
        {"still thrown", 0.25f, false, true, 0.35f},
        {"thrown without a hold starts at 0", -1.0f, false, true, 0.0f},
        {"neither", 0.25f, false, false, -1.0f},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(NextThrowTime(c.previous, c.held, c.thrown, 0.1f), c.next) << c.what;
    }
}

TEST(CharacterInstances, CharactersOutOfViewGetNoBonesButStillHoldTheirWeapon)
{
    auto scene = MakeScene();
    ASSERT_NE(scene, nullptr);
    scene->AddRemote(3, glm::vec3(0.0f, 0.0f, -6.0f));  // ahead of the camera
    scene->AddRemote(7, glm::vec3(0.0f, 0.0f, 30.0f));  // far behind it
    scene->game.remotePlayers[1].cooking = true;
    scene->Pose();

    const CharacterFrame& characters = scene->characters;
    ASSERT_EQ(characters.remotes.size(), 2u);
    const RemoteCharacterView& ahead = characters.remotes[0];
    const RemoteCharacterView& behind = characters.remotes[1];
    EXPECT_EQ(ahead.id, 3u);
    EXPECT_TRUE(ahead.inView);
    EXPECT_GE(ahead.firstBone, 0);
    EXPECT_FALSE(behind.inView);
    EXPECT_EQ(behind.firstBone, -1);
    EXPECT_EQ(behind.skinned, nullptr);
    // Only the own character and the one ahead are in the instance list.
    const size_t joints = scene->armours.models[0].skeleton.jointNames.size();
    EXPECT_EQ(scene->renderer.instanceTransforms.size(), 2 * joints);
    // The weapon is placed whether seen or not: shots and beams leave from it.
    EXPECT_TRUE(behind.weaponPlaced);
    EXPECT_GT(glm::length(behind.muzzle - behind.position), 0.3f);
    EXPECT_FLOAT_EQ(characters.throwTimes[7], 0.0f);
    EXPECT_FLOAT_EQ(characters.throwTimes[3], -1.0f);
    EXPECT_FLOAT_EQ(scene->characters.slotAnimators[7].throwClock, 0.0f);
}

TEST(CharacterInstances, ASkinWithoutAModelForTheArmourUsesTheRigsBones)
{
    auto scene = MakeScene();
    ASSERT_NE(scene, nullptr);
    scene->skins.catalogue.names = {"gold"};
    scene->skins.variants.resize(1);  // no variant usable
    scene->AddRemote(3, glm::vec3(0.0f, 0.0f, -6.0f));
    scene->game.hasLobbyView = true;
    net::LobbyMember member;
    member.slot = 3;
    member.skin = 1;
    scene->game.lobby.members.push_back(member);
    scene->Pose();

    const RemoteCharacterView& view = scene->characters.remotes[0];
    EXPECT_EQ(view.skin, 1);
    EXPECT_EQ(view.skinned, &scene->armours.models[0]);
    EXPECT_EQ(view.skinJointMap, nullptr);
    const anim::Animator& animator = scene->characters.slotAnimators[3];
    const anim::Skeleton& rig = scene->armours.models[0].skeleton;
    for (size_t j = 0; j < rig.jointNames.size(); ++j) {
        const glm::mat4 expected = animator.jointMatrices[j] * rig.inverseBindMatrices[j];
        const glm::mat4& bone = scene->renderer.instanceTransforms[static_cast<size_t>(view.firstBone) + j];
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(glm::length(bone[c] - expected[c]), 0.0f, 1e-5f) << j;
        }
    }
}

TEST(CharacterInstances, ASkinModelsExtraJointIsMovedByItsChainAndItsRigJointsFollowTheAnimator)
{
    auto scene = MakeScene();
    ASSERT_NE(scene, nullptr);
    // The rig with one joint more: a tail hanging from the first joint, as a skin model carries it.
    const anim::Skeleton& rig = scene->armours.models[0].skeleton;
    scene->skins.catalogue.names = {"tailed"};
    scene->skins.variants.resize(1);
    SkinVariantModel& variant = scene->skins.variants[0][0];
    variant.model.skeleton = rig;
    anim::Skeleton& skeleton = variant.model.skeleton;
    const int32_t tail = static_cast<int32_t>(rig.jointNames.size());
    skeleton.jointNames.push_back("tail");
    skeleton.parents.push_back(0);
    skeleton.inverseBindMatrices.push_back(glm::mat4(1.0f));
    skeleton.legFlags.push_back(0);
    skeleton.evaluationOrder.push_back(tail);
    anim::JointPose rest;
    rest.translation = glm::vec3(0.0f, 0.0f, 0.2f);
    skeleton.restPose.push_back(rest);
    for (int32_t j = 0; j < tail; ++j) {
        variant.jointMap.push_back(j);
    }
    variant.jointMap.push_back(-1);
    variant.usable = true;
    scene->frame.loadoutSkin = 1;
    scene->frame.joined = false;  // the own character wears the loadout's skin

    scene->Pose();
    const OwnCharacterView& own = scene->characters.own;
    EXPECT_EQ(own.skinned, &variant.model);
    EXPECT_EQ(own.skinJointMap, &variant.jointMap);
    ASSERT_EQ(scene->presentation.ownPhysics.chains.size(), 1u);
    EXPECT_EQ(scene->presentation.ownPhysics.chains[0].joints, std::vector<int32_t>{tail});
    EXPECT_EQ(scene->renderer.instanceTransforms.size(), skeleton.jointNames.size());

    // After a second of running sideways the tail no longer points where it would if it were
    // rigidly attached to its parent; the rig's joints stay as the animator posed them.
    for (int i = 0; i < 60; ++i) {
        scene->frame.now += scene->frame.dt;
        scene->frame.display.position.x += 5.0f * scene->frame.dt;
        scene->Pose();
    }
    const glm::mat4 attached = scene->ownAnimator.jointMatrices[0] * glm::translate(glm::mat4(1.0f), rest.translation);
    const glm::vec3 attachedAxis = glm::normalize(glm::vec3(attached[1]));
    const glm::vec3 tailAxis =
        glm::normalize(glm::vec3(scene->renderer.instanceTransforms[static_cast<size_t>(tail)][1]));
    EXPECT_LT(glm::dot(attachedAxis, tailAxis), 0.999f);
    EXPECT_NEAR(glm::length(glm::vec3(scene->renderer.instanceTransforms[static_cast<size_t>(tail)][3]) -
                            glm::vec3(attached[3])),
                0.0f, 1e-4f);  // the top of a chain stays on its parent
    const glm::mat4 rootBone = scene->ownAnimator.jointMatrices[0] * rig.inverseBindMatrices[0];
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(glm::length(scene->renderer.instanceTransforms[0][c] - rootBone[c]), 0.0f, 1e-5f);
    }
}

}  // namespace characterinstancestest

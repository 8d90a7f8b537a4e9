// Spring chains for a skin's extra joints: which joints form chains, re-seeding on a teleport,
// the clamped frame time, stillness at rest and sway while running, on small skeletons and on the
// generated gold skin's cape.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/character_models.h"
#include "client/joint_physics.h"
#include "game/asset_paths.h"
#include "game/character_animator.h"
#include "game/gltf_document.h"
#include "game/rig_loader.h"
#include "game/tuning.h"
#include "render/skinned_mesh_reader.h"

namespace jointphysicstest {

// Joints: 0 root and 1 spine (the rig's), 2 and 3 a tail down from the spine, 4 a second child of
// 2, 5 a child of the root that the rig also has.
anim::Skeleton TailSkeleton()
{
    anim::Skeleton skeleton;
    skeleton.parents = {-1, 0, 1, 2, 2, 0};
    skeleton.restPose.resize(6);
    skeleton.restPose[1].translation = glm::vec3(0.0f, 1.0f, 0.0f);
    skeleton.restPose[2].translation = glm::vec3(0.0f, 0.0f, 0.2f);
    skeleton.restPose[3].translation = glm::vec3(0.0f, 0.3f, 0.0f);
    skeleton.restPose[4].translation = glm::vec3(0.1f, 0.1f, 0.0f);
    skeleton.restPose[5].translation = glm::vec3(0.0f, 0.5f, 0.0f);
    skeleton.inverseBindMatrices.assign(6, glm::mat4(1.0f));
    return skeleton;
}

const std::vector<int32_t> kTailMap = {0, 1, -1, -1, -1, 5};

// The animator's matrices for the rig's joints: the spine above the root.
std::vector<glm::mat4> AnimatedPose()
{
    std::vector<glm::mat4> matrices(6, glm::mat4(1.0f));
    matrices[1] = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    return matrices;
}

TEST(JointPhysics, ChainsStartUnderAnimatedParentsAndFollowTheFirstExtraChild)
{
    const anim::Skeleton skeleton = TailSkeleton();
    anim::JointPhysics physics;
    physics.Build(skeleton, {}, kTailMap);
    ASSERT_EQ(physics.chains.size(), 1u);
    EXPECT_EQ(physics.chains[0].joints, (std::vector<int32_t>{2, 3}));  // 4 is not simulated
    EXPECT_FLOAT_EQ(physics.chains[0].tipLength, 0.3f);                  // the last joint's rest offset
    EXPECT_FLOAT_EQ(physics.chains[0].phase, 0.0f);

    std::vector<anim::ChainJointBox> boxes(6);
    boxes[3] = {glm::vec3(-0.1f), glm::vec3(0.1f, 0.45f, 0.1f), true};
    physics.Build(skeleton, boxes, kTailMap);
    EXPECT_FLOAT_EQ(physics.chains[0].tipLength, 0.45f);

    // Every joint the rig's: no chain, and the matrices stay as the animator made them.
    physics.Build(skeleton, {}, {0, 1, 2, 3, 4, 5});
    EXPECT_TRUE(physics.chains.empty());
    std::vector<glm::mat4> matrices = AnimatedPose();
    physics.Step(matrices, glm::mat4(1.0f), 1.0f / 60.0f, 1.0f, {});
    EXPECT_EQ(matrices, AnimatedPose());
}

TEST(JointPhysics, ATeleportReseedsAndALongFrameCountsAsATenth)
{
    const anim::Skeleton skeleton = TailSkeleton();
    anim::JointPhysics physics;
    physics.Build(skeleton, {}, kTailMap);
    std::vector<glm::mat4> matrices = AnimatedPose();
    float time = 0.0f;
    for (int frame = 0; frame < 30; ++frame) {
        time += 1.0f / 60.0f;
        matrices = AnimatedPose();
        physics.Step(matrices, glm::translate(glm::mat4(1.0f), glm::vec3(frame * 0.05f, 0.0f, 0.0f)), 1.0f / 60.0f,
                     time, {});
    }
    // Three metres away in one frame: seeded from the attached pose, not whipped across.
    matrices = AnimatedPose();
    const glm::mat4 far = glm::translate(glm::mat4(1.0f), glm::vec3(5.0f, 0.0f, 0.0f));
    physics.Step(matrices, far, 1.0f / 60.0f, time + 1.0f / 60.0f, {});
    const anim::JointChain& chain = physics.chains[0];
    EXPECT_NEAR(chain.worldPositions[0].x, 5.0f, 1e-4f);
    EXPECT_NEAR(glm::length(chain.worldPositions[1] - glm::vec3(5.0f, 1.3f, 0.2f)), 0.0f, 0.05f);
    for (const glm::vec3& velocity : chain.velocities) {
        EXPECT_LT(glm::length(velocity), 5.0f);
    }

    // A half-second frame is the same as a tenth of a second.
    anim::JointPhysics a = physics;
    anim::JointPhysics b = physics;
    std::vector<glm::mat4> ma = AnimatedPose();
    std::vector<glm::mat4> mb = AnimatedPose();
    a.Step(ma, far, 0.5f, time + 0.6f, {});
    b.Step(mb, far, 0.1f, time + 0.6f, {});
    EXPECT_EQ(a.chains[0].positions, b.chains[0].positions);
    EXPECT_EQ(ma, mb);
}

TEST(JointPhysics, StandingStillHangsWithoutSwayAndRunningSways)
{
    const anim::Skeleton skeleton = TailSkeleton();
    const auto sideways = [&](float speed) {
        anim::JointPhysics physics;
        physics.Build(skeleton, {}, kTailMap);
        float lowest = 1e9f;
        float highest = -1e9f;
        float time = 0.0f;
        for (int frame = 0; frame < 240; ++frame) {
            time += 1.0f / 60.0f;
            std::vector<glm::mat4> matrices = AnimatedPose();
            const glm::mat4 model = glm::translate(glm::mat4(1.0f), glm::vec3(speed * time, 0.0f, 0.0f));
            physics.Step(matrices, model, 1.0f / 60.0f, time, {});
            if (frame >= 120) {
                // The tail's sideways offset from the running line.
                const float z = physics.chains[0].worldPositions.back().z;
                lowest = std::min(lowest, z);
                highest = std::max(highest, z);
            }
        }
        // The segments keep their lengths.
        const anim::JointChain& chain = physics.chains[0];
        EXPECT_NEAR(glm::length(chain.worldPositions[2] - chain.worldPositions[1]), 0.3f, 1e-4f);
        return highest - lowest;
    };
    EXPECT_LT(sideways(0.0f), 1e-4f);
    EXPECT_GT(sideways(4.0f), 0.002f);  // a few millimetres at 7 Hz against the stiff spring
}

// The gold skin as the game reads it: its model's skeleton, clips and joint boxes, mapped by name
// onto armour 0's rig.
struct GoldSkin {
    render::SkinnedMeshData data;
    std::vector<int32_t> jointMap;
    std::vector<anim::ChainJointBox> boxes;
};

void LoadGoldSkin(GoldSkin& skin)
{
    const tune::Tuning tuning;
    anim::Rig rig;
    ASSERT_TRUE(anim::LoadRig(rig, AssetPath(tuning.Armor(0).model)));
    GltfDocument doc;
    ASSERT_TRUE(LoadGltfDocument(doc, AssetPath("models/characters/skins/gold/character_blue.glb"), "[test]"));
    ASSERT_TRUE(render::ReadSkinnedMesh(doc, skin.data));
    const anim::Skeleton& own = skin.data.skeleton;
    for (const std::string& name : own.jointNames) {
        skin.jointMap.push_back(FindJointByName(rig.skeleton, name.c_str()));
    }
    for (const render::JointBox& box : skin.data.jointBoxes) {
        skin.boxes.push_back({box.min, box.max, box.valid != 0});
    }
}

TEST(JointPhysics, TheGoldCapeIsOneChainThatSwingsWhileRunningAndHangsStillAtRest)
{
    GoldSkin skin;
    testing::internal::CaptureStdout();  // the loaders' lines about the clips
    LoadGoldSkin(skin);
    testing::internal::GetCapturedStdout();
    ASSERT_FALSE(HasFatalFailure());
    const anim::Skeleton& skeleton = skin.data.skeleton;
    anim::JointPhysics physics;
    physics.Build(skeleton, skin.boxes, skin.jointMap);
    ASSERT_EQ(physics.chains.size(), 1u);
    const anim::JointChain& chain = physics.chains[0];
    ASSERT_EQ(chain.joints.size(), 3u);
    EXPECT_EQ(skeleton.jointNames[static_cast<size_t>(chain.joints[0])], "cape_upper");
    EXPECT_EQ(skeleton.jointNames[static_cast<size_t>(chain.joints[1])], "cape_middle");
    EXPECT_EQ(skeleton.jointNames[static_cast<size_t>(chain.joints[2])], "cape_lower");
    EXPECT_EQ(skeleton.jointNames[static_cast<size_t>(skeleton.parents[static_cast<size_t>(chain.joints[0])])],
              "torso_top");
    // The tip reaches the hem: the lower joint's cloth, measured from its own box.
    EXPECT_NEAR(chain.tipLength, 0.13f, 0.002f);

    // The trooper stands, or runs along +z, for four seconds with its own clips playing; once the
    // cape has settled, its tip is compared with where a rigidly attached cape would hold it.
    const tune::Tuning tuning;
    const float scale = tuning.movement.pose.modelScale;
    const int lower = chain.joints[2];
    const auto swing = [&](float speed) {
        anim::JointPhysics cape;
        cape.Build(skeleton, skin.boxes, skin.jointMap);
        anim::Animator animator;
        animator.Reset(&skeleton, &skin.data.clips, tuning.rig, tuning.movement.pose);
        std::vector<glm::mat4> skinning;
        const float dt = 1.0f / 60.0f;
        float time = 0.0f;
        float farthest = 0.0f;
        glm::vec3 settled(0.0f);
        for (int frame = 0; frame < 240; ++frame) {
            time += dt;
            animator.Advance(dt, speed, true);
            animator.ComputeJointMatrices(0.0f, 0.0f, skinning);
            std::vector<glm::mat4> matrices = animator.jointMatrices;
            const glm::mat4 model = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, speed * time)),
                                               glm::vec3(scale));
            const glm::vec3 rigid(model * matrices[static_cast<size_t>(lower)] *
                                  glm::vec4(0.0f, cape.chains[0].tipLength, 0.0f, 1.0f));
            cape.Step(matrices, model, dt, time, {});
            const glm::vec3 offset = cape.chains[0].worldPositions.back() - rigid;
            if (frame == 119) {
                settled = offset;
            }
            farthest = frame >= 120 ? std::max(farthest, glm::length(offset - settled)) : 0.0f;
            // The rig's joints, listed before the cape's, keep the animator's matrices.
            const auto rigEnd = static_cast<std::ptrdiff_t>(chain.joints[0]);
            EXPECT_TRUE(std::equal(matrices.begin(), matrices.begin() + rigEnd, animator.jointMatrices.begin()));
        }
        const std::vector<glm::vec3>& points = cape.chains[0].worldPositions;
        for (size_t i = 1; i < points.size(); ++i) {
            EXPECT_NEAR(glm::length(points[i] - points[i - 1]), 0.13f * scale, 0.002f) << i;
        }
        return farthest;
    };
    // Standing, only the idle clip's breathing stirs it; running, it swings.
    EXPECT_LT(swing(0.0f), 0.01f);
    EXPECT_GT(swing(tuning.rig.runClockReferenceSpeed), 0.05f);
}

TEST(JointPhysics, ShortestArcTurnsOneDirectionOntoAnother)
{
    const glm::vec3 cases[][2] = {
        {{0, 1, 0}, {1, 0, 0}},
        {{0, 1, 0}, {0, 1, 0}},
        {{0, 1, 0}, {0, -1, 0}},
        {{1, 0, 0}, {-1, 0, 0}},
        {{0.6f, 0.8f, 0}, {0, 0, 1}},
    };
    for (const auto& c : cases) {
        const glm::vec3 turned = anim::ShortestArc(c[0], c[1]) * c[0];
        EXPECT_NEAR(glm::length(turned - c[1]), 0.0f, 1e-4f);
    }
}

}  // namespace jointphysicstest

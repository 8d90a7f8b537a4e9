// Spring chains for a skin's extra joints: which joints form chains, re-seeding on a teleport,
// the clamped frame time, stillness at rest and sway while running.
#include <cmath>
#include <vector>

#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/joint_physics.h"

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

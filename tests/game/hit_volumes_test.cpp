#include "game/hit_volumes.h"

#include <gtest/gtest.h>

#include <cstring>

#include <glm/gtc/matrix_transform.hpp>

#include "game/anim_test_clips.h"

namespace {

TEST(BuildHitboxes, PutsThirteenBoxesOnTheNamedJoints) {
    const anim::Skeleton skeleton = anim_test::MakeHumanoid();
    HitboxSet set;
    ASSERT_TRUE(BuildHitboxes(set, skeleton));
    ASSERT_EQ(set.boxes.size(), 13u);
    ASSERT_EQ(set.jointRegion.size(), skeleton.jointNames.size());
    for (size_t i = 0; i < set.boxes.size(); ++i) {
        const HitboxRow& row = HitboxTable()[i];
        const Hitbox& box = set.boxes[i];
        EXPECT_EQ(skeleton.jointNames[box.joint], row.joint);
        EXPECT_EQ(box.region, row.region);
        EXPECT_EQ(box.localMatrix[3], glm::vec4(row.offset[0], row.offset[1], row.offset[2], 1.0f));
        EXPECT_EQ(set.jointRegion[box.joint], row.region);
    }
    // Joints without a box: the pelvis and the shoulders.
    EXPECT_EQ(set.jointRegion[0], kRegionNone);
    EXPECT_EQ(set.jointRegion[8], kRegionNone);
    EXPECT_EQ(set.jointRegion[12], kRegionNone);
}

TEST(BuildHitboxes, MissingJointsLoseTheirRowsOnly) {
    anim::Skeleton skeleton = anim_test::MakeHumanoid();
    skeleton.jointNames[7] = "Head";  // case matters
    HitboxSet set;
    ASSERT_TRUE(BuildHitboxes(set, skeleton));
    EXPECT_EQ(set.boxes.size(), 12u);
    EXPECT_EQ(set.jointRegion[7], kRegionNone);
    for (const Hitbox& box : set.boxes) EXPECT_NE(box.region, kRegionHead);

    const anim::Skeleton nothing = anim_test::MakeSkeleton({{"root", -1, {0, 0, 0}}});
    EXPECT_FALSE(BuildHitboxes(set, nothing));
    EXPECT_TRUE(set.boxes.empty());
    EXPECT_EQ(set.jointRegion, std::vector<uint8_t>{kRegionNone});
}

// A head box on joint 0 and a torso box on joint 1, one unit apart.
struct TwoBoxes {
    anim::Skeleton skeleton = anim_test::MakeSkeleton({{"head", -1, {0, 0, 0}}, {"torso_top", -1, {0, 0, 0}}});
    HitboxSet set;
    std::vector<glm::mat4> joints = {glm::translate(glm::mat4(1.0f), glm::vec3(0, 1, 0)), glm::mat4(1.0f)};
    TwoBoxes() { BuildHitboxes(set, skeleton); }
};

TEST(RaycastHitboxes, ReportsTheNearestFaceWithItsNormal) {
    const TwoBoxes rig;
    const HitboxHit hit = RaycastHitboxes(rig.set, rig.joints, glm::mat4(1.0f), glm::vec3(0.0f, 1.2126736f, -5.0f),
                                          glm::vec3(0, 0, 1), 100.0f);
    ASSERT_TRUE(hit.hit);
    EXPECT_EQ(hit.region, kRegionHead);
    EXPECT_TRUE(IsHeadshot(hit.region));
    EXPECT_EQ(hit.joint, 0);
    EXPECT_NEAR(hit.distance, 5.0f - 0.2427295f, 1e-5f);
    EXPECT_NEAR(hit.normal.z, -1.0f, 1e-6f);
    EXPECT_NEAR(hit.point.z, -0.2427295f, 1e-5f);
}

TEST(RaycastHitboxes, MissesAndShortRaysLeaveTheDefaultResult) {
    const TwoBoxes rig;
    struct Case {
        glm::vec3 origin, direction;
        float maxDistance;
    };
    const Case cases[] = {
        {{3.0f, 1.2f, -5.0f}, {0, 0, 1}, 100.0f},   // passes beside
        {{0.0f, 1.2f, -5.0f}, {0, 0, -1}, 100.0f},  // points away
        {{0.0f, 1.2f, -5.0f}, {0, 0, 1}, 4.0f},     // ends before the box
    };
    for (const Case& c : cases) {
        const HitboxHit hit = RaycastHitboxes(rig.set, rig.joints, glm::mat4(1.0f), c.origin, c.direction, c.maxDistance);
        EXPECT_FALSE(hit.hit);
        EXPECT_EQ(hit.distance, c.maxDistance);
        EXPECT_EQ(hit.region, kRegionTorso);
        EXPECT_EQ(hit.joint, -1);
    }
}

TEST(RaycastHitboxes, ARayFromInsideTheHeadReportsTheNextBox) {
    const TwoBoxes rig;
    const HitboxHit hit =
        RaycastHitboxes(rig.set, rig.joints, glm::mat4(1.0f), glm::vec3(0, 1.2126736f, 0), glm::vec3(0, -1, 0), 10.0f);
    ASSERT_TRUE(hit.hit);
    EXPECT_EQ(hit.region, kRegionTorso);
    EXPECT_EQ(hit.joint, 1);
    EXPECT_NEAR(hit.distance, 1.2126736f - (0.0369872f + 0.0924088f), 1e-5f);
    EXPECT_NEAR(hit.normal.y, 1.0f, 1e-6f);
}

TEST(RaycastHitboxes, ARayAlongAFacePlaneStillHits) {
    const TwoBoxes rig;
    // x exactly on the head box's +x face, travelling along z: parallel to that face's slab.
    const float half = 0.235621f;
    const HitboxHit hit = RaycastHitboxes(rig.set, rig.joints, glm::mat4(1.0f), glm::vec3(half, 1.2126736f, -5.0f),
                                          glm::vec3(0, 0, 1), 100.0f);
    EXPECT_TRUE(hit.hit);
    EXPECT_EQ(hit.region, kRegionHead);
}

TEST(RaycastHitboxes, FollowsTheModelMatrixAtEveryYaw) {
    const TwoBoxes rig;
    for (float yaw : {0.0f, 37.0f, 90.0f, 180.0f, 271.0f}) {
        const glm::mat4 model = glm::scale(
            glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(10, 0, -4)), glm::radians(yaw), glm::vec3(0, 1, 0)),
            glm::vec3(1.882f));
        const glm::vec3 headCentre = glm::vec3(model * glm::vec4(0.0f, 1.2126736f, 0.0f, 1.0f));
        const glm::vec3 torsoCentre = glm::vec3(model * glm::vec4(0.0f, 0.0369872f, 0.0146107f, 1.0f));
        for (const glm::vec3& from : {glm::vec3(0, 2, 30), glm::vec3(-25, 1, -4), glm::vec3(10, 3, -40)}) {
            const HitboxHit head =
                RaycastHitboxes(rig.set, rig.joints, model, from, glm::normalize(headCentre - from), 100.0f);
            ASSERT_TRUE(head.hit) << "yaw " << yaw;
            EXPECT_EQ(head.region, kRegionHead) << "yaw " << yaw;
            const HitboxHit torso =
                RaycastHitboxes(rig.set, rig.joints, model, from, glm::normalize(torsoCentre - from), 100.0f);
            ASSERT_TRUE(torso.hit) << "yaw " << yaw;
            EXPECT_EQ(torso.region, kRegionTorso) << "yaw " << yaw;
            EXPECT_LT(torso.distance, glm::length(torsoCentre - from));
        }
    }
}

TEST(RaycastHitboxes, JointsOutsideTheMatrixListAreSkipped) {
    const TwoBoxes rig;
    const std::vector<glm::mat4> onlyHead = {rig.joints[0]};
    const HitboxHit hit =
        RaycastHitboxes(rig.set, onlyHead, glm::mat4(1.0f), glm::vec3(0, 0.05f, -5.0f), glm::vec3(0, 0, 1), 100.0f);
    EXPECT_FALSE(hit.hit);
}

TEST(HitFlash, TimersTriggerDecayAndWeighJoints) {
    HitFlash flash;
    EXPECT_FALSE(flash.Any());
    flash.Trigger(kRegionNone, 1.0f);
    EXPECT_FALSE(flash.Any());
    flash.Trigger(kRegionLeftArm, 0.2f);
    flash.Trigger(kRegionLeftArm, 0.1f);  // a shorter trigger does not cut a running flash
    EXPECT_FLOAT_EQ(flash.timers[kRegionLeftArm], 0.2f);
    flash.Decay(0.05f);
    EXPECT_FLOAT_EQ(flash.timers[kRegionLeftArm], 0.15f);

    HitboxSet set;
    BuildHitboxes(set, anim_test::MakeHumanoid());
    std::vector<float> weights = {9.0f};
    HitFlash::JointWeights(set, flash, 0.0f, weights);
    EXPECT_EQ(weights, std::vector<float>(set.jointRegion.size(), 0.0f));
    HitFlash::JointWeights(set, flash, 0.3f, weights);
    ASSERT_EQ(weights.size(), set.jointRegion.size());
    for (size_t j = 0; j < weights.size(); ++j) {
        const float expected = set.jointRegion[j] == kRegionLeftArm ? 0.15f / 0.3f : 0.0f;
        EXPECT_NEAR(weights[j], expected, 1e-6f) << "joint " << j;
    }

    flash.Decay(1.0f);
    EXPECT_EQ(flash.timers[kRegionLeftArm], 0.0f);
    EXPECT_FALSE(flash.Any());
    flash.Trigger(kRegionHead, 3.0f);
    flash.Clear();
    EXPECT_FALSE(flash.Any());
}

}  // namespace

// The generated armour characters, loaded the way the server loads its combat rig.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include <glm/gtc/matrix_transform.hpp>

#include "game/character_animator.h"
#include "game/hit_volumes.h"
#include "game/rig_loader.h"
#include "game/tuning.h"

namespace {

const char* const kArmours[] = {"blue", "green", "orange", "pink", "white"};

std::string CharacterPath(const std::string& armour) { return "assets/models/characters/character_" + armour + ".glb"; }

int CountOccurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

TEST(GeneratedCharacters, EachLoadsWithItsClipsAndThirteenVolumes) {
    const tune::Tuning tuning{};
    for (int row = 0; row < 5; ++row) {
        const char* armour = kArmours[row];
        // The armour table names the same files.
        EXPECT_EQ(CharacterPath(armour), std::string("assets/") + tuning.Armor(row).model);

        anim::Rig rig;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(anim::LoadRig(rig, CharacterPath(armour))) << armour;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(CountOccurrences(out, "[model] clip '"), static_cast<int>(rig.clips.size())) << out;
        EXPECT_EQ(CountOccurrences(out, "\n"), static_cast<int>(rig.clips.size())) << out;
        EXPECT_TRUE(anim::IsValidSkeleton(rig.skeleton));

        HitboxSet set;
        ASSERT_TRUE(BuildHitboxes(set, rig.skeleton));
        EXPECT_EQ(set.boxes.size(), 13u) << armour;

        // Every clip slot of the animator is filled; styles 2 to 4 have clips of their own.
        anim::Animator animator;
        animator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
        for (const char* name : tuning.rig.clipNames) {
            const anim::Clip* clip = animator.FindClip(name);
            ASSERT_NE(clip, nullptr) << armour << " " << name;
            EXPECT_GT(clip->duration, 0.0f) << name;
            EXPECT_FLOAT_EQ(anim::Clip::KeyRate(*clip), 30.0f) << name;
        }
        EXPECT_NE(animator.AimClip(2), animator.AimClip(1));
        EXPECT_NE(animator.HoldClip(4), animator.HoldClip(1));
        EXPECT_EQ(std::count(animator.upperBodyMask.begin(), animator.upperBodyMask.end(), 1), 11);
        EXPECT_FLOAT_EQ(animator.frameRate, 30.0f);
        EXPECT_EQ(rig.skeleton.jointNames[animator.bobJoint], "pelvis");
        EXPECT_FALSE(animator.IsSyncedAimClip(animator.AimClip(1)));  // aim poses play at full weight
    }
}

TEST(GeneratedCharacters, SkinFoldersHoldEveryArmourOrSome) {
    namespace fs = std::filesystem;
    int complete = 0, partial = 0;
    for (const fs::directory_entry& folder : fs::directory_iterator("assets/models/characters/skins")) {
        ASSERT_TRUE(folder.is_directory());
        int present = 0;
        for (const char* armour : kArmours) {
            const fs::path file = folder.path() / (std::string("character_") + armour + ".glb");
            if (!fs::exists(file)) continue;
            ++present;
            anim::Rig rig;
            testing::internal::CaptureStdout();
            EXPECT_TRUE(anim::LoadRig(rig, file.string())) << file;
            testing::internal::GetCapturedStdout();
        }
        EXPECT_GT(present, 0) << folder.path();
        (present == 5 ? complete : partial) += 1;
    }
    EXPECT_GE(complete, 1);
    EXPECT_GE(partial, 1);
}

struct PosedCharacter : ::testing::Test {
    tune::Tuning tuning{};
    anim::Rig rig;
    HitboxSet set;
    anim::Animator animator;
    std::vector<glm::mat4> skin;

    void SetUp() override {
        testing::internal::CaptureStdout();
        ASSERT_TRUE(anim::LoadRig(rig, CharacterPath("blue")));
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(BuildHitboxes(set, rig.skeleton));
        animator.Reset(&rig.skeleton, &rig.clips, tuning.rig, tuning.movement.pose);
    }
    void Run(int ticks, float speed, bool grounded) {
        for (int i = 0; i < ticks; ++i) animator.Advance(1.0f / 64.0f, speed, grounded);
        animator.ComputeJointMatrices(0.0f, 0.0f, skin);
    }
    int Joint(const char* name) const {
        for (size_t j = 0; j < rig.skeleton.jointNames.size(); ++j) {
            if (rig.skeleton.jointNames[j] == name) return static_cast<int>(j);
        }
        return -1;
    }
    glm::vec3 Position(const char* name) const { return glm::vec3(animator.JointMatrix(Joint(name))[3]); }
    // Placement as the server does it: feet at `feet`, facing `yaw`.
    glm::mat4 Model(const glm::vec3& feet, float yaw) const {
        const tune::ModelPoseTuning& pose = tuning.movement.pose;
        return glm::scale(glm::rotate(glm::translate(glm::mat4(1.0f), feet + glm::vec3(0.0f, pose.modelHeightOffset +
                                                                                                pose.modelScale * animator.rootBob,
                                                                                            0.0f)),
                                      glm::radians(yaw + pose.modelYawOffset), glm::vec3(0, 1, 0)),
                          glm::vec3(pose.modelScale));
    }
    glm::vec3 BoxCentre(const glm::mat4& model, const char* joint) const {
        for (const Hitbox& box : set.boxes) {
            if (rig.skeleton.jointNames[box.joint] == joint) {
                return glm::vec3(model * animator.JointMatrix(box.joint) * box.localMatrix[3]);
            }
        }
        return glm::vec3(0.0f);
    }
};

TEST_F(PosedCharacter, StandsOnItsFeetAtTheModelPlacement) {
    Run(64, 0.0f, true);
    const glm::mat4 model = Model(glm::vec3(0.0f), 0.0f);
    const glm::vec3 ankle = glm::vec3(model * animator.JointMatrix(Joint("foot.l"))[3]);
    const glm::vec3 head = BoxCentre(model, "head");
    EXPECT_NEAR(ankle.y, 0.11f, 0.03f);  // ankles just above the floor
    EXPECT_GT(head.y, 1.3f);
    EXPECT_LT(head.y, 1.9f);
    // Yaw 0 faces -z: the visor side of the head box is towards -z, the left leg on -x... seen from
    // behind the character's left is on the viewer's left (-x).
    EXPECT_LT(BoxCentre(model, "lower_leg.l").x, 0.0f);
    EXPECT_GT(BoxCentre(model, "lower_leg.r").x, 0.0f);
}

TEST_F(PosedCharacter, RunningSwingsTheLegsAndArms) {
    Run(64, 0.0f, true);
    const float standingFootGap = Position("foot.l").z - Position("foot.r").z;
    EXPECT_NEAR(standingFootGap, 0.0f, 0.02f);
    float widestLegGap = 0.0f, widestArmGap = 0.0f;
    for (int i = 0; i < 64; ++i) {
        Run(1, 5.2f, true);
        widestLegGap = std::max(widestLegGap, std::fabs(Position("foot.l").z - Position("foot.r").z));
        widestArmGap = std::max(widestArmGap, std::fabs(Position("hand.l").z - Position("hand.r").z));
        // Opposite arm and leg swing together: the left foot forward goes with the left hand back.
        if (std::fabs(Position("foot.l").z - Position("foot.r").z) > 0.3f) {
            EXPECT_LT((Position("foot.l").z - Position("foot.r").z) * (Position("hand.l").z - Position("hand.r").z), 0.0f);
        }
    }
    EXPECT_GT(widestLegGap, 0.2f);
    EXPECT_GT(widestArmGap, 0.1f);
}

TEST_F(PosedCharacter, JumpingTucksTheKnees) {
    Run(32, 0.0f, true);
    const float kneeHeight = Position("lower_leg.l").y;
    Run(16, 0.0f, false);
    EXPECT_GT(Position("lower_leg.l").y, kneeHeight + 0.05f);
    Run(64, 0.0f, true);
    EXPECT_NEAR(Position("lower_leg.l").y, kneeHeight, 0.01f);
}

TEST_F(PosedCharacter, AimingRaisesTheWeaponHandAndThrowingSwingsTheArm) {
    Run(32, 0.0f, true);
    const glm::vec3 relaxed = Position("hand.r");
    animator.SetHoldStyle(1);
    Run(32, 0.0f, true);
    const glm::vec3 aiming = Position("hand.r");
    EXPECT_GT(aiming.z, relaxed.z + 0.05f);
    EXPECT_GT(aiming.y, relaxed.y + 0.1f);
    // Each style holds the weapon its own way.
    animator.SetHoldStyle(4);
    Run(32, 0.0f, true);
    EXPECT_GT(Position("hand.r").y, aiming.y + 0.01f);  // the launcher sits higher, on the shoulder
    animator.SetHoldStyle(2);
    Run(32, 0.0f, true);
    EXPECT_LT(Position("hand.r").y, aiming.y - 0.05f);  // the flamethrower at the hip

    animator.SetHoldStyle(0);
    animator.throwClock = 0.0f;
    Run(32, 0.0f, true);
    const glm::vec3 windUp = Position("hand.r");
    for (int i = 0; i < 12; ++i) {
        animator.throwClock = static_cast<float>(i) / 64.0f;
        Run(1, 0.0f, true);
    }
    EXPECT_GT(Position("hand.r").z, windUp.z + 0.1f);  // the arm came over forward
    animator.throwClock = -1.0f;
    Run(64, 0.0f, true);
    EXPECT_NEAR(glm::length(Position("hand.r") - relaxed), 0.0f, 0.03f);
}

TEST_F(PosedCharacter, DeadFallsAndStaysDown) {
    Run(32, 3.0f, true);
    const float headUp = Position("head").y;
    animator.dead = 1;
    Run(24, 3.0f, true);
    const float falling = Position("head").y;
    EXPECT_LT(falling, headUp);
    Run(200, 3.0f, true);
    const glm::mat4 down = animator.JointMatrix(Joint("head"));
    EXPECT_LT(down[3].y, -0.25f);  // the head lies near the floor (soles at -0.485)
    Run(200, 3.0f, true);
    EXPECT_EQ(animator.JointMatrix(Joint("head")), down);
    EXPECT_EQ(animator.rootBob, 0.0f);
}

TEST_F(PosedCharacter, RaysFindTheRightRegionAtEveryYaw) {
    Run(40, 0.0f, true);
    struct Shot {
        const char* joint;
        glm::vec3 from;  // in the character's own frame: +x its left, +z its front, relative to the box centre
        uint8_t region;
    };
    const Shot shots[] = {
        {"head", {0.0f, 0.3f, 4.0f}, kRegionHead},       {"head", {-3.0f, 0.5f, -3.0f}, kRegionHead},
        {"torso_top", {0.0f, 0.0f, -4.0f}, kRegionTorso},  {"upper_arm.l", {4.0f, 0.0f, 0.0f}, kRegionLeftArm},
        {"upper_arm.r", {-4.0f, 0.0f, 0.0f}, kRegionRightArm}, {"lower_leg.l", {4.0f, -0.1f, 0.5f}, kRegionLeftLeg},
        {"lower_leg.r", {-4.0f, -0.1f, 0.5f}, kRegionRightLeg}, {"upper_leg.r", {-4.0f, 0.0f, 0.0f}, kRegionRightLeg},
    };
    for (float yaw : {0.0f, 45.0f, 90.0f, 180.0f, 271.0f, -33.0f}) {
        const glm::vec3 feet(3.0f, 1.0f, -7.0f);
        const glm::mat4 model = Model(feet, yaw);
        // The character's own axes in the world: its front is its model +z turned by the placement.
        const glm::mat3 frame = glm::mat3(model) / tuning.movement.pose.modelScale;
        for (const Shot& shot : shots) {
            const glm::vec3 target = BoxCentre(model, shot.joint);
            const glm::vec3 origin = target + frame * shot.from;
            const glm::vec3 direction = glm::normalize(target - origin);
            const HitboxHit hit = RaycastHitboxes(set, animator.jointMatrices, model, origin, direction, 100.0f);
            ASSERT_TRUE(hit.hit) << shot.joint << " yaw " << yaw;
            EXPECT_EQ(hit.region, shot.region) << shot.joint << " yaw " << yaw;
            EXPECT_EQ(IsHeadshot(hit.region), shot.region == kRegionHead);
            EXPECT_LT(hit.distance, glm::length(target - origin));
        }
        // A ray over the helmet misses.
        const glm::vec3 above = BoxCentre(model, "head") + glm::vec3(0.0f, 1.5f, 0.0f);
        EXPECT_FALSE(
            RaycastHitboxes(set, animator.jointMatrices, model, above - frame * glm::vec3(0, 0, 4), frame * glm::vec3(0, 0, 1), 10.0f)
                .hit);
    }
}

}  // namespace

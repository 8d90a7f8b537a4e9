#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <glm/gtc/matrix_transform.hpp>

#include "game/hit_volumes.h"
#include "game/tuning.h"
#include "support/temp_folder.h"
#include "tools/assetgen/cape_strip.h"
#include "tools/assetgen/character_clips.h"
#include "tools/assetgen/character_mesh.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/humanoid_rig.h"

namespace {

int JointNamed(const char* name) {
    for (int j = 0; j < kRigJointCount; ++j) {
        if (std::strcmp(RigJoints()[j].name, name) == 0) return j;
    }
    return -1;
}

TEST(HumanoidRig, NamesEveryJointTheGameLooksFor) {
    for (int row = 0; row < kHitboxTableRows; ++row) EXPECT_GE(JointNamed(HitboxTable()[row].joint), 0) << HitboxTable()[row].joint;
    const tune::Tuning tuning{};
    for (const char* bone : tuning.rig.upperBodyBones) EXPECT_GE(JointNamed(bone), 0) << bone;
    EXPECT_GE(JointNamed(tuning.Weapon(1).attachBone), 0);
    // Parents come before their children; limbs continue where their parent bone ends.
    for (int j = 0; j < kRigJointCount; ++j) {
        const RigJoint& joint = RigJoints()[j];
        EXPECT_LT(joint.parent, j);
        if (joint.parent < 0 || RigJoints()[joint.parent].side == 0) continue;
        const RigJoint& parent = RigJoints()[joint.parent];
        const glm::vec3 end = parent.head + parent.rotation * glm::vec3(0, parent.length, 0);
        EXPECT_LT(glm::length(joint.head - end), 1e-5f) << joint.name;
    }
}

TEST(HumanoidRig, BindPoseRoundTripsThroughLocalTransforms) {
    const std::array<glm::mat4, kRigJointCount> world = RigPoseWorld(RigBindPose());
    for (int j = 0; j < kRigJointCount; ++j) {
        const glm::mat4 expected = RigBindWorld(j);
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 4; ++r) EXPECT_NEAR(world[j][c][r], expected[c][r], 1e-5f) << RigJoints()[j].name;
        }
    }
}

TEST(HumanoidRig, ReachArmPutsTheWristOnTargetsWithinReach) {
    RigPose pose = RigBindPose();
    const glm::vec3 targets[] = {{-0.1f, 0.15f, 0.12f}, {-0.2f, 0.05f, 0.05f}, {-0.05f, 0.3f, 0.1f}};
    for (const glm::vec3& target : targets) {
        RigReachArm(pose, -1, target, {-0.4f, 0.0f, -0.2f});
        EXPECT_LT(glm::length(RigWorldHead(pose, kRigHandR) - target), 1e-3f);
    }
}

TEST(CharacterMesh, IsSkinnedWithUnitWeightsAndStandsOnTheSoles) {
    const GlbPrimitive mesh = BuildCharacterMesh();
    const size_t n = mesh.positions.size();
    ASSERT_GT(n, 1000u);
    ASSERT_EQ(mesh.normals.size(), n);
    ASSERT_EQ(mesh.uvs.size(), n);
    ASSERT_EQ(mesh.joints.size(), n);
    ASSERT_EQ(mesh.weights.size(), n);
    float lowest = 1.0f, highest = -1.0f;
    for (size_t i = 0; i < n; ++i) {
        const glm::vec4 w = mesh.weights[i];
        EXPECT_NEAR(w.x + w.y + w.z + w.w, 1.0f, 1e-5f);
        for (int k = 0; k < 4; ++k) EXPECT_LT(mesh.joints[i][k], kRigJointCount);
        EXPECT_NEAR(glm::length(mesh.normals[i]), 1.0f, 1e-4f);
        lowest = std::min(lowest, mesh.positions[i].y);
        highest = std::max(highest, mesh.positions[i].y);
    }
    for (uint32_t index : mesh.indices) ASSERT_LT(index, n);
    EXPECT_NEAR(lowest, kRigSoleHeight, 0.005f);
    // About two metres tall once scaled by 1.882.
    EXPECT_NEAR((highest - lowest) * 1.882f, 2.05f, 0.15f);
}

TEST(CharacterMesh, DamageVolumesSitOnTheBodyPartsTheyName) {
    const GlbPrimitive mesh = BuildCharacterMesh();
    for (int row = 0; row < kHitboxTableRows; ++row) {
        const HitboxRow& box = HitboxTable()[row];
        const int joint = JointNamed(box.joint);
        glm::vec3 low(1e9f), high(-1e9f);
        for (size_t i = 0; i < mesh.positions.size(); ++i) {
            if (mesh.joints[i].x != joint || mesh.weights[i].x < 0.5f) continue;
            low = glm::min(low, mesh.positions[i]);
            high = glm::max(high, mesh.positions[i]);
        }
        const glm::vec3 centre =
            glm::vec3(RigBindWorld(joint) * glm::vec4(box.offset[0], box.offset[1], box.offset[2], 1.0f));
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GE(centre[axis], low[axis] - 0.03f) << box.joint << " axis " << axis;
            EXPECT_LE(centre[axis], high[axis] + 0.03f) << box.joint << " axis " << axis;
        }
    }
}

TEST(CharacterClips, KeyEveryJointAtThirtyKeysASecond) {
    const GlbPrimitive mesh = BuildCharacterMesh();
    const std::vector<GlbAnimation> clips = BuildCharacterClips(mesh, 1);
    const tune::Tuning tuning{};
    ASSERT_EQ(clips.size(), 13u);
    for (const char* name : tuning.rig.clipNames) {
        const auto clip = std::find_if(clips.begin(), clips.end(), [&](const GlbAnimation& c) { return c.name == name; });
        ASSERT_NE(clip, clips.end()) << name;
        EXPECT_EQ(clip->channels.size(), static_cast<size_t>(kRigJointCount + 2));
        for (const GlbChannel& channel : clip->channels) {
            EXPECT_GE(channel.node, 1);
            EXPECT_LE(channel.node, kRigJointCount);
            ASSERT_GE(channel.times.size(), 2u);
            for (size_t k = 0; k < channel.times.size(); ++k) {
                EXPECT_NEAR(channel.times[k], static_cast<float>(k) / 30.0f, 1e-6f) << name;
            }
            const size_t components = channel.path == GlbPath::Rotation ? 4 : 3;
            EXPECT_EQ(channel.values.size(), channel.times.size() * components);
        }
    }
    // One-shot clips end on a repeated key; loops end where they began.
    for (const GlbAnimation& clip : clips) {
        const std::vector<float>& v = clip.channels[0].values;
        const size_t keys = clip.channels[0].times.size();
        const bool oneShot = clip.name == "jumping" || clip.name == "dying" || clip.name == "throw";
        const size_t a = oneShot ? keys - 2 : 0;
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(v[4 * (keys - 1) + c], v[4 * a + c], 1e-5f) << clip.name;
    }
}

TEST(CapeStrip, HangsBehindTheBackOnThreeChainedJointsWithBlendedWeights) {
    // Each joint's local transform, applied to its parent's bind pose, gives its own.
    glm::mat4 parent = RigBindWorld(kRigTorsoTop);
    for (int c = 0; c < kCapeJointCount; ++c) {
        const glm::mat4 local =
            glm::translate(glm::mat4(1.0f), CapeLocalTranslation(c)) * glm::mat4_cast(CapeLocalRotation(c));
        const glm::mat4 world = parent * local;
        const glm::mat4 expected = CapeBindWorld(c);
        for (int k = 0; k < 4; ++k) {
            for (int r = 0; r < 4; ++r) EXPECT_NEAR(world[k][r], expected[k][r], 1e-5f) << CapeJoints()[c].name;
        }
        parent = expected;
    }

    const int first = kRigJointCount;
    const GlbPrimitive cape = BuildCapeStrip(first);
    const size_t n = cape.positions.size();
    ASSERT_GT(n, 100u);
    ASSERT_EQ(cape.normals.size(), n);
    ASSERT_EQ(cape.uvs.size(), n);
    ASSERT_EQ(cape.joints.size(), n);
    ASSERT_EQ(cape.weights.size(), n);
    int carried[kCapeJointCount] = {};
    int blended = 0;
    for (size_t i = 0; i < n; ++i) {
        const glm::vec4 w = cape.weights[i];
        EXPECT_NEAR(w.x + w.y + w.z + w.w, 1.0f, 1e-6f);
        for (int k = 0; k < 4; ++k) {
            if (w[k] > 0.0f) {
                EXPECT_GE(cape.joints[i][k], first);
                EXPECT_LT(cape.joints[i][k], first + kCapeJointCount);
            }
        }
        blended += w.y > 0.0f ? 1 : 0;
        ++carried[cape.joints[i][w.y > w.x ? 1 : 0] - first];
        EXPECT_NEAR(glm::length(cape.normals[i]), 1.0f, 1e-5f);
        // Behind the backpack, from the collar (just around the neck) to above the knees.
        EXPECT_LT(cape.positions[i].z, -0.16f);
        EXPECT_GT(cape.positions[i].y, RigJoints()[kRigLowerLegL].head.y);
        EXPECT_LT(cape.positions[i].y, RigJoints()[kRigHead].head.y + 0.02f);
    }
    for (const int count : carried) EXPECT_GT(count, 20);
    EXPECT_GT(blended, 50);
    // Every triangle is wound counter-clockwise seen from the side its normals face.
    ASSERT_EQ(cape.indices.size() % 3, 0u);
    for (size_t t = 0; t < cape.indices.size(); t += 3) {
        ASSERT_LT(cape.indices[t + 2], n);
        const glm::vec3& a = cape.positions[cape.indices[t]];
        const glm::vec3 face =
            glm::cross(cape.positions[cape.indices[t + 1]] - a, cape.positions[cape.indices[t + 2]] - a);
        EXPECT_GT(glm::dot(face, cape.normals[cape.indices[t]]), 0.0f) << t / 3;
    }
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(GenerateCharacters, WritesTheSameBytesEveryRun) {
    namespace fs = std::filesystem;
    const testsupport::TempFolder folder;
    const fs::path base = folder.Path();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(GenerateCharacters((base / "a").string()));
    ASSERT_TRUE(GenerateCharacters((base / "b").string()));
    testing::internal::GetCapturedStdout();
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(base / "a")) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const fs::path twin = base / "b" / fs::relative(entry.path(), base / "a");
        EXPECT_EQ(ReadBytes(entry.path()), ReadBytes(twin)) << entry.path();
    }
    EXPECT_EQ(files, 5 + 5 + 2);
}

}  // namespace

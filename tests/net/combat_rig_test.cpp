// The server's combat rig on the generated character, and ray tests against posed volumes.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/matrix.hpp>

#include "game/asset_paths.h"
#include "game/rig_loader.h"
#include "game/tuning.h"
#include "net/server.h"
#include "support/temp_folder.h"

namespace {

// The rig is loaded once for the whole file; loading prints a line per clip, which is kept out of
// the test output.
const net::CombatRig& SharedCombatRig() {
    static const std::unique_ptr<net::CombatRig> rig = [] {
        auto loaded = std::make_unique<net::CombatRig>();
        testing::internal::CaptureStdout();
        const bool ok = net::Server::LoadCombatRig(*loaded, tune::Tuning{});
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(ok);
        return loaded;
    }();
    return *rig;
}

const tune::Tuning& CombatTestTuning() {
    static const tune::Tuning tuning{};
    return tuning;
}

PlayerState StandingPlayer(const glm::vec3& position) {
    PlayerState state;
    state.position = position;
    state.health = 100;
    state.onGround = 1;
    return state;
}

// Spawns the pose with dt 0, then advances it `ticks` ticks with the same state.
void PoseFor(net::CombatPose& pose, const PlayerState& state, int ticks, const tune::Tuning& tuning) {
    net::Server::BindAnimator(pose, &SharedCombatRig(), &tuning);
    net::Server::AdvanceAnimation(pose, state, 0.0f);
    for (int i = 0; i < ticks; ++i) net::Server::AdvanceAnimation(pose, state, 1.0f / 64.0f);
}

glm::mat4 WorldOf(const net::PosedVolume& volume) { return glm::inverse(volume.inverseWorld); }

glm::vec3 Corner(const net::PosedVolume& volume, int k) {
    const glm::vec3 h = volume.halfExtents;
    const glm::vec4 local((k & 1) ? h.x : -h.x, (k & 2) ? h.y : -h.y, (k & 4) ? h.z : -h.z, 1.0f);
    return glm::vec3(WorldOf(volume) * local);
}

int FindVolume(const net::PosedSet& set, const char* jointName) {
    const std::vector<std::string>& names = SharedCombatRig().rig.skeleton.jointNames;
    for (int i = 0; i < set.count; ++i) {
        if (names[static_cast<size_t>(set.volumes[i].joint)] == jointName) return i;
    }
    return -1;
}

// The direction a posed volume's joint faces: the model's +z, which the yaw offset turns to face
// the view.
glm::vec3 HorizontalFacing(const net::PosedVolume& volume, const glm::vec3& localForward) {
    const glm::vec3 axis = glm::vec3(WorldOf(volume) * glm::vec4(localForward, 0.0f));
    return glm::normalize(glm::vec3(axis.x, 0.0f, axis.z));
}

TEST(CombatRig, LoadsTheGeneratedCharacterWithThirteenVolumes) {
    const net::CombatRig& rig = SharedCombatRig();
    EXPECT_EQ(rig.volumes.boxes.size(), 13u);
    EXPECT_FALSE(rig.rig.clips.empty());
    EXPECT_TRUE(anim::IsValidSkeleton(rig.rig.skeleton));
}

TEST(CombatRig, RefusesAFileWithoutThirteenVolumesWithItsLine) {
    testsupport::TempFolder folder;
    // The generated character with one bone of the volume table renamed: twelve volumes.
    std::string bytes = testsupport::ReadTextFile(AssetPath("models/characters/character_blue.glb"));
    const size_t at = bytes.find("\"hand.r\"");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 8, "\"hand.x\"");
    testsupport::WriteTextFile(folder.Path() + "/twelve.glb", bytes);
    testsupport::WriteTextFile(folder.Path() + "/garbage.glb", "glTF but not really");
    {
        // The variant is a sound rig: only the volume count refuses it.
        anim::Rig variant;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(anim::LoadRig(variant, folder.Path() + "/twelve.glb"));
        testing::internal::GetCapturedStdout();
        HitboxSet volumes;
        ASSERT_TRUE(BuildHitboxes(volumes, variant.skeleton));
        EXPECT_EQ(volumes.boxes.size(), 12u);
    }

    for (const char* name : {"twelve.glb", "garbage.glb", "missing.glb"}) {
        // The armour row names its model relative to the data folder.
        const std::string relative =
            std::filesystem::relative(folder.Path() + "/" + name, AssetsDir()).string();
        tune::Tuning tuning{};
        tuning.armors[0].model = relative.c_str();
        net::CombatRig rig;
        rig.volumes.boxes.resize(3);  // left over from an earlier load
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(net::Server::LoadCombatRig(rig, tuning)) << name;
        testing::internal::GetCapturedStdout();
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find("[combat] missing authoritative animation rig or damage volumes: " +
                              AssetPath(relative) + "\n"),
                  std::string::npos)
            << errors;
        EXPECT_TRUE(rig.volumes.boxes.empty()) << name;
    }
}

TEST(CombatPose, AStandingPlayersVolumesStandOnItsFeet) {
    const tune::Tuning& tuning = CombatTestTuning();
    for (const float yaw : {0.0f, 90.0f, -135.0f}) {
        const glm::vec3 feet(3.0f, 1.25f, -2.0f);
        PlayerState state = StandingPlayer(feet);
        state.yaw = yaw;
        state.bodyYaw = yaw;
        auto pose = std::make_unique<net::CombatPose>();
        PoseFor(*pose, state, 40, tuning);
        const net::PosedSet& set = pose->set;
        ASSERT_EQ(set.count, 13);
        EXPECT_EQ(set.posed, 1);
        EXPECT_EQ(set.position, feet);
        float highest = 0.0f;
        int highestVolume = -1;
        for (int i = 0; i < set.count; ++i) {
            const Hitbox& box = SharedCombatRig().volumes.boxes[static_cast<size_t>(i)];
            EXPECT_EQ(set.volumes[i].region, box.region);
            EXPECT_EQ(set.volumes[i].joint, box.joint);
            for (int k = 0; k < 8; ++k) {
                const glm::vec3 p = Corner(set.volumes[i], k) - feet;
                // Above the floor, below the top of the helmet, within the hanging arms' reach.
                EXPECT_GT(p.y, 0.05f) << "volume " << i;
                EXPECT_LT(p.y, 2.3f) << "volume " << i;
                EXPECT_LT(std::sqrt(p.x * p.x + p.z * p.z), 0.75f) << "volume " << i;
                if (p.y > highest) {
                    highest = p.y;
                    highestVolume = i;
                }
                // The bounding sphere holds every corner.
                EXPECT_LE(glm::length(p + feet - set.centre), set.radius + 1e-4f) << "volume " << i;
            }
        }
        EXPECT_EQ(set.volumes[highestVolume].region, kRegionHead);
    }
}

TEST(CombatPose, ARayThroughTheHeadFromTheFrontHitsTheHead) {
    const tune::Tuning& tuning = CombatTestTuning();
    const glm::vec3 feet(-4.0f, 0.5f, 7.0f);
    auto pose = std::make_unique<net::CombatPose>();
    PoseFor(*pose, StandingPlayer(feet), 20, tuning);
    // Yaw 0 faces -z, so the front is on the -z side.
    const glm::vec3 origin = feet + glm::vec3(0.0f, 1.75f, -10.0f);
    const net::PosedVolumeHit hit =
        net::Server::RaycastPosedVolumes(pose->set, origin, glm::vec3(0.0f, 0.0f, 1.0f), 50.0f);
    ASSERT_EQ(hit.hit, 1);
    EXPECT_EQ(hit.region, kRegionHead);
    EXPECT_EQ(SharedCombatRig().rig.skeleton.jointNames[static_cast<size_t>(hit.joint)], "head");
    EXPECT_GT(hit.distance, 9.0f);
    EXPECT_LT(hit.distance, 10.0f);
    EXPECT_NEAR(glm::length(hit.point - (origin + glm::vec3(0.0f, 0.0f, hit.distance))), 0.0f, 1e-4f);
    EXPECT_LT(hit.normal.z, -0.9f);  // the face it entered looks back at the shooter
    EXPECT_NEAR(glm::length(hit.normal), 1.0f, 1e-5f);

    // Low through the legs from behind: a leg, never the head.
    const net::PosedVolumeHit legs = net::Server::RaycastPosedVolumes(
        pose->set, feet + glm::vec3(-0.12f, 0.3f, 10.0f), glm::vec3(0.0f, 0.0f, -1.0f), 50.0f);
    ASSERT_EQ(legs.hit, 1);
    EXPECT_TRUE(legs.region == kRegionLeftLeg || legs.region == kRegionRightLeg) << int(legs.region);
}

TEST(CombatPose, DeadOrWaitingPlayersHaveNoVolumesAndANewLifeStartsAfresh) {
    const tune::Tuning& tuning = CombatTestTuning();
    const glm::vec3 feet(0.0f, 0.0f, 0.0f);
    PlayerState dead = StandingPlayer(feet);
    dead.health = 0;
    PlayerState waiting = StandingPlayer(feet);
    waiting.respawnTicks = 30;
    for (const PlayerState& down : {dead, waiting}) {
        auto pose = std::make_unique<net::CombatPose>();
        PoseFor(*pose, StandingPlayer(feet), 30, tuning);
        ASSERT_EQ(pose->set.count, 13);
        const float clockBefore = pose->animator.idleClock;
        EXPECT_GT(clockBefore, 0.0f);

        net::Server::AdvanceAnimation(*pose, down, 1.0f / 64.0f);
        EXPECT_EQ(pose->set.count, 0);
        EXPECT_EQ(pose->set.posed, 0);
        const net::PosedVolumeHit miss = net::Server::RaycastPosedVolumes(
            pose->set, feet + glm::vec3(0.0f, 1.0f, -5.0f), glm::vec3(0.0f, 0.0f, 1.0f), 50.0f);
        EXPECT_EQ(miss.hit, 0);
        EXPECT_EQ(miss.distance, 50.0f);

        // Alive again: a fresh animator, whose clocks begin at this tick.
        net::Server::AdvanceAnimation(*pose, StandingPlayer(feet), 1.0f / 64.0f);
        EXPECT_EQ(pose->set.count, 13);
        EXPECT_EQ(pose->set.posed, 1);
        EXPECT_FLOAT_EQ(pose->animator.idleClock, 1.0f / 64.0f);
    }
}

TEST(CombatPose, WithoutARigNothingIsPosed) {
    auto pose = std::make_unique<net::CombatPose>();
    net::Server::BindAnimator(*pose, nullptr, &CombatTestTuning());
    const PlayerState alive = StandingPlayer(glm::vec3(1.0f, 2.0f, 3.0f));
    net::Server::AdvanceAnimation(*pose, alive, 1.0f / 64.0f);
    EXPECT_EQ(pose->set.count, 0);
    EXPECT_EQ(pose->set.position, alive.position);

    net::CombatRig twelve;  // a rig that holds other than 13 volumes is never used
    twelve.rig = SharedCombatRig().rig;
    twelve.volumes = SharedCombatRig().volumes;
    twelve.volumes.boxes.pop_back();
    net::Server::BindAnimator(*pose, &twelve, &CombatTestTuning());
    net::Server::AdvanceAnimation(*pose, alive, 1.0f / 64.0f);
    EXPECT_EQ(pose->set.count, 0);
    EXPECT_EQ(pose->animator.skeleton, nullptr);
}

// Which way the head and the legs face for each yaw mode: the spine turns toward the view in mode
// 0, the pelvis back toward the movement in mode 1, the whole body faces the view otherwise.
TEST(CombatPose, YawModesTurnTheUpperAndLowerBody) {
    struct Case {
        uint8_t mode;
        float view, body;
        float headYaw, legYaw;
    };
    const Case cases[] = {
        {0, 0.0f, 0.0f, 0.0f, 0.0f},     {0, 90.0f, 0.0f, 90.0f, 0.0f}, {0, -45.0f, 30.0f, -45.0f, 30.0f},
        {1, 90.0f, 0.0f, 90.0f, 0.0f},   {1, 170.0f, -150.0f, 170.0f, -150.0f},
        {2, 90.0f, 0.0f, 90.0f, 90.0f},
    };
    const glm::vec3 feet(2.0f, 0.0f, 5.0f);
    for (const Case& c : cases) {
        tune::Tuning tuning{};
        tuning.movement.pose.yawMode = c.mode;
        PlayerState state = StandingPlayer(feet);
        state.yaw = c.view;
        state.bodyYaw = c.body;
        auto pose = std::make_unique<net::CombatPose>();
        PoseFor(*pose, state, 30, tuning);
        ASSERT_EQ(pose->set.count, 13);
        const auto facing = [](float yaw) {
            return glm::vec3(-std::sin(glm::radians(yaw)), 0.0f, -std::cos(glm::radians(yaw)));
        };
        // The model's +z is the character's front; the legs' bones point down, which turns their +z back.
        const glm::vec3 head = HorizontalFacing(pose->set.volumes[FindVolume(pose->set, "head")], {0, 0, 1});
        const glm::vec3 torso = HorizontalFacing(pose->set.volumes[FindVolume(pose->set, "torso_top")], {0, 0, 1});
        const glm::vec3 leg = HorizontalFacing(pose->set.volumes[FindVolume(pose->set, "upper_leg.l")], {0, 0, -1});
        const std::string label = "mode " + std::to_string(c.mode) + " view " + std::to_string(c.view) + " body " +
                                  std::to_string(c.body);
        EXPECT_GT(glm::dot(head, facing(c.headYaw)), 0.97f) << label;
        EXPECT_GT(glm::dot(torso, facing(c.headYaw)), 0.97f) << label;
        EXPECT_GT(glm::dot(leg, facing(c.legYaw)), 0.97f) << label;
    }
}

// Mode 0, view 90, body 0: the legs are posed exactly as when the view follows the body; only the
// joints above them turn.
TEST(CombatPose, TheSpineTurnLeavesTheLegsAlone) {
    const tune::Tuning& tuning = CombatTestTuning();
    const glm::vec3 feet(0.0f, 0.0f, 0.0f);
    PlayerState straight = StandingPlayer(feet);
    PlayerState turned = straight;
    turned.yaw = 90.0f;
    auto a = std::make_unique<net::CombatPose>();
    auto b = std::make_unique<net::CombatPose>();
    PoseFor(*a, straight, 10, tuning);
    PoseFor(*b, turned, 10, tuning);
    ASSERT_EQ(a->set.count, 13);
    ASSERT_EQ(b->set.count, 13);
    for (int i = 0; i < 13; ++i) {
        const uint32_t region = a->set.volumes[i].region;
        const bool leg = region == kRegionLeftLeg || region == kRegionRightLeg;
        const glm::mat4 difference = a->set.volumes[i].inverseWorld - b->set.volumes[i].inverseWorld;
        float largest = 0.0f;
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row) largest = std::max(largest, std::fabs(difference[col][row]));
        if (leg) {
            EXPECT_EQ(largest, 0.0f) << "volume " << i;
        } else {
            EXPECT_GT(largest, 0.1f) << "volume " << i;
        }
    }
}

// ---- Ray tests on hand-made posed sets ----

net::PosedVolume MakePosedBox(const glm::mat4& world, const glm::vec3& half, uint8_t region, int32_t joint) {
    net::PosedVolume volume;
    volume.inverseWorld = glm::inverse(world);
    volume.halfExtents = half;
    volume.region = region;
    volume.joint = joint;
    return volume;
}

glm::mat4 At(float x, float y, float z) { return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z)); }

// Two half-metre cubes on the x axis at -2 and +2 (regions 0 and 1), enclosed by a sphere of 3.
net::PosedSet TwoCubesApart() {
    net::PosedSet set;
    set.volumes[0] = MakePosedBox(At(-2, 0, 0), glm::vec3(0.5f), kRegionHead, 4);
    set.volumes[1] = MakePosedBox(At(2, 0, 0), glm::vec3(0.5f), kRegionTorso, 9);
    set.count = 2;
    set.radius = 3.0f;
    set.posed = 1;
    return set;
}

TEST(RaycastPosedVolumes, TableOfRays) {
    const net::PosedSet apart = TwoCubesApart();
    net::PosedSet misplacedSphere = apart;  // the sphere misses the +x cube, which proves the early out
    misplacedSphere.centre = glm::vec3(-2.0f, 0.0f, 0.0f);
    misplacedSphere.radius = 1.0f;
    net::PosedSet noSphere = misplacedSphere;
    noSphere.radius = 0.0f;
    net::PosedSet empty = apart;
    empty.count = 0;
    net::PosedSet tooMany = apart;
    tooMany.count = 14;
    net::PosedSet overlapping;  // two cubes overlapping along z: region 4 nearer -z, region 5 nearer +z
    overlapping.volumes[0] = MakePosedBox(At(0, 0, 0.3f), glm::vec3(0.5f), kRegionLeftLeg, 10);
    overlapping.volumes[1] = MakePosedBox(At(0, 0, -0.3f), glm::vec3(0.5f), kRegionRightLeg, 12);
    overlapping.count = 2;
    overlapping.radius = 1.5f;
    // A cube turned a quarter about y and stretched: normals must come out in world space.
    net::PosedSet turned;
    turned.volumes[0] = MakePosedBox(
        glm::scale(glm::rotate(At(0, 1, 0), glm::radians(90.0f), glm::vec3(0, 1, 0)), glm::vec3(2.0f, 1.0f, 1.0f)),
        glm::vec3(0.5f), kRegionLeftArm, 3);
    turned.count = 1;
    turned.centre = glm::vec3(0, 1, 0);
    turned.radius = 2.0f;

    struct Case {
        const char* name;
        const net::PosedSet* set;
        glm::vec3 origin, direction;
        float maxDistance;
        bool hit;
        float distance;  // when hit
        int region, joint;
        glm::vec3 normal;
    };
    const glm::vec3 px(1, 0, 0), nx(-1, 0, 0), pz(0, 0, 1), nz(0, 0, -1);
    const Case cases[] = {
        {"from outside, along x", &apart, {-10, 0, 0}, px, 50.0f, true, 7.5f, kRegionHead, 4, nx},
        {"from the far side", &apart, {10, 0, 0}, nx, 50.0f, true, 7.5f, kRegionTorso, 9, px},
        // Inside the sphere, pointing away from its centre: no sphere rejection, the +x cube is hit.
        {"inside the sphere", &apart, {0.5f, 0, 0}, px, 50.0f, true, 1.0f, kRegionTorso, 9, nx},
        {"inside the sphere, other way", &apart, {0.5f, 0, 0}, nx, 50.0f, true, 2.0f, kRegionHead, 4, px},
        {"points away", &apart, {10, 0, 0}, px, 50.0f, false, 0, 0, 0, {}},
        {"passes beside", &apart, {-10, 3.5f, 0}, px, 50.0f, false, 0, 0, 0, {}},
        {"sphere beyond reach", &apart, {-10, 0, 0}, px, 6.0f, false, 0, 0, 0, {}},
        {"cube beyond reach", &apart, {-10, 0, 0}, px, 7.4f, false, 0, 0, 0, {}},
        {"away from a misplaced sphere", &misplacedSphere, {0.5f, 0, 0}, px, 50.0f, false, 0, 0, 0, {}},
        {"no sphere, same ray", &noSphere, {0.5f, 0, 0}, px, 50.0f, true, 1.0f, kRegionTorso, 9, nx},
        {"count 0", &empty, {-10, 0, 0}, px, 50.0f, false, 0, 0, 0, {}},
        {"count above 13", &tooMany, {-10, 0, 0}, px, 50.0f, false, 0, 0, 0, {}},
        {"no length", &apart, {-10, 0, 0}, px, 0.0f, false, 0, 0, 0, {}},
        // Parallel to the y and z slabs, inside them: the x faces decide.
        {"parallel inside the slab", &apart, {-10, 0.49f, -0.49f}, px, 50.0f, true, 7.5f, kRegionHead, 4, nx},
        {"parallel on the face plane", &apart, {-10, 0.5f, 0}, px, 50.0f, true, 7.5f, kRegionHead, 4, nx},
        {"parallel outside the slab", &apart, {-10, 0.51f, 0}, px, 50.0f, false, 0, 0, 0, {}},
        {"starts inside a cube", &apart, {-2, 0, 0}, px, 50.0f, true, 3.5f, kRegionTorso, 9, nx},
        {"starts inside the last cube", &apart, {2, 0, 0}, px, 50.0f, false, 0, 0, 0, {}},
        {"overlap from -z", &overlapping, {0, 0, -5}, pz, 50.0f, true, 4.2f, kRegionRightLeg, 12, nz},
        {"overlap from +z", &overlapping, {0, 0, 5}, nz, 50.0f, true, 4.2f, kRegionLeftLeg, 10, pz},
        // The turned cube is 2 m long along z, 1 m along x: its +z face is 1 m out, its x faces 0.5 m.
        {"turned, along z", &turned, {0, 1, 5}, nz, 50.0f, true, 4.0f, kRegionLeftArm, 3, pz},
        {"turned, along x", &turned, {-5, 1, 0}, px, 50.0f, true, 4.5f, kRegionLeftArm, 3, nx},
    };
    for (const Case& c : cases) {
        const net::PosedVolumeHit hit = net::Server::RaycastPosedVolumes(*c.set, c.origin, c.direction, c.maxDistance);
        EXPECT_EQ(hit.hit, c.hit ? 1 : 0) << c.name;
        if (!c.hit) {
            EXPECT_EQ(hit.distance, c.maxDistance) << c.name;
            EXPECT_EQ(hit.region, kRegionTorso) << c.name;
            EXPECT_EQ(hit.joint, -1) << c.name;
            EXPECT_EQ(hit.normal, glm::vec3(0.0f)) << c.name;
            continue;
        }
        EXPECT_NEAR(hit.distance, c.distance, 1e-5f) << c.name;
        EXPECT_EQ(hit.region, c.region) << c.name;
        EXPECT_EQ(hit.joint, c.joint) << c.name;
        EXPECT_NEAR(glm::length(hit.normal - c.normal), 0.0f, 1e-5f) << c.name;
        EXPECT_NEAR(glm::length(hit.point - (c.origin + c.direction * c.distance)), 0.0f, 1e-5f) << c.name;
    }
}

// ---- Concurrency ----

// A deterministic life for character `c` at tick `t`: moving, jumping, turning, switching weapons
// (rows past the table too), throwing, dying and waiting to respawn.
PlayerState CombatScriptState(int c, int t) {
    PlayerState s;
    const int phase = (t + 53 * c) % 700;
    s.health = phase >= 600 && phase < 640 ? 0 : 100;
    s.respawnTicks = phase >= 640 && phase < 660 ? static_cast<uint16_t>(660 - phase) : 0;
    const float speed = 1.6f * static_cast<float>((t / 90 + c) % 4);
    s.velocity = glm::vec3(speed * 0.6f, (t % 97) < 15 ? 2.0f : 0.0f, -speed * 0.8f);
    s.position = glm::vec3(static_cast<float>(c) * 4.0f + 0.01f * static_cast<float>(t), 0.5f,
                           -0.013f * static_cast<float>(t));
    s.onGround = (t % 97) >= 15 ? 1 : 0;
    s.yaw = static_cast<float>((t * 3 + c * 40) % 360) - 180.0f;
    s.bodyYaw = static_cast<float>((t * 2 + c * 17) % 360) - 180.0f;
    s.weapon = static_cast<uint8_t>((t / 150 + c) % 12);
    const int throwPhase = (t + 31 * c) % 400;
    s.throwTicks = throwPhase < 20 ? static_cast<uint16_t>(throwPhase + 1) : 0;
    s.cookTicks = throwPhase >= 20 && throwPhase < 60 ? static_cast<uint16_t>(throwPhase - 19) : 0;
    return s;
}

uint64_t HashPosedSet(const net::PosedSet& set) {
    uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    };
    for (int i = 0; i < set.count; ++i) {
        const net::PosedVolume& v = set.volumes[i];
        mix(&v.inverseWorld, sizeof v.inverseWorld);
        mix(&v.halfExtents, sizeof v.halfExtents);
        mix(&v.joint, sizeof v.joint);
        mix(&v.region, sizeof v.region);
    }
    mix(&set.position, sizeof set.position);
    mix(&set.count, sizeof set.count);
    mix(&set.centre, sizeof set.centre);
    mix(&set.radius, sizeof set.radius);
    mix(&set.posed, sizeof set.posed);
    return hash;
}

constexpr int kCombatCharacters = 8;
constexpr int kCombatTicks = 700;

std::vector<uint64_t> RunCombatCharacter(int c, const tune::Tuning& tuning) {
    auto pose = std::make_unique<net::CombatPose>();
    net::Server::BindAnimator(*pose, &SharedCombatRig(), &tuning);
    net::Server::AdvanceAnimation(*pose, CombatScriptState(c, 0), 0.0f);
    std::vector<uint64_t> hashes;
    hashes.reserve(kCombatTicks);
    for (int t = 1; t <= kCombatTicks; ++t) {
        net::Server::AdvanceAnimation(*pose, CombatScriptState(c, t), 1.0f / 64.0f);
        hashes.push_back(HashPosedSet(pose->set));
    }
    return hashes;
}

TEST(CombatPoseThreaded, ConcurrentPosesOverOneRigMatchASerialRun) {
    SharedCombatRig();  // loaded before the threads start
    std::array<tune::Tuning, kCombatCharacters> tunings{};
    for (int c = 0; c < kCombatCharacters; ++c) tunings[c].movement.pose.yawMode = static_cast<uint8_t>(c % 3);

    std::vector<std::vector<uint64_t>> serial(kCombatCharacters);
    for (int c = 0; c < kCombatCharacters; ++c) serial[c] = RunCombatCharacter(c, tunings[c]);

    std::vector<std::vector<uint64_t>> concurrent(kCombatCharacters);
    std::vector<std::thread> threads;
    for (int c = 0; c < kCombatCharacters; ++c) {
        threads.emplace_back([c, &concurrent, &tunings] { concurrent[c] = RunCombatCharacter(c, tunings[c]); });
    }
    for (std::thread& thread : threads) thread.join();

    for (int c = 0; c < kCombatCharacters; ++c) {
        ASSERT_EQ(concurrent[c].size(), serial[c].size());
        for (size_t t = 0; t < serial[c].size(); ++t) {
            ASSERT_EQ(concurrent[c][t], serial[c][t]) << "character " << c << " tick " << t + 1;
        }
    }
    // The script really poses, dies and lives again.
    EXPECT_NE(serial[0].front(), serial[0].back());
}

}  // namespace

// The third-person camera: zoom and scope by weapon, the wall pull-in, the reversed-depth
// projection, and the match camera on the simulation's own view origin and aim.
#include <cmath>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/mat4x4.hpp>
#include <gtest/gtest.h>

#include "client/camera.h"
#include "game/collision_world.h"
#include "game/shot_geometry.h"

namespace cameratest {

PlayerState StandingAt(const glm::vec3& position)
{
    PlayerState state;
    state.position = position;
    state.health = 100;
    return state;
}

// A wall across the x axis at z = `z`, facing the origin, with an open world around it.
CollisionWorld WallAt(float z)
{
    CollisionWorld world;
    std::vector<Triangle> wall(2);
    wall[0].v[0] = glm::vec3(-20.0f, -5.0f, z);
    wall[0].v[1] = glm::vec3(20.0f, -5.0f, z);
    wall[0].v[2] = glm::vec3(20.0f, 20.0f, z);
    wall[1].v[0] = glm::vec3(-20.0f, -5.0f, z);
    wall[1].v[1] = glm::vec3(20.0f, 20.0f, z);
    wall[1].v[2] = glm::vec3(-20.0f, 20.0f, z);
    EXPECT_TRUE(world.SetTriangles(wall));
    return world;
}

TEST(Camera, AimingZoomsByTheWeaponsOwnRules)
{
    const tune::Tuning tuning;
    const CollisionWorld open;
    const struct {
        int row;
        bool aiming;
        float fieldOfView;
        float scopeBlend;
        float boom;
    } cases[] = {
        {1, false, 90.0f, 0.0f, 2.0f},   // M4 from the hip
        {1, true, 65.0f, 0.0f, 1.4f},    // M4 shouldered
        {6, true, 20.0f, 1.0f, 0.05f},   // SNIPER scoped
        {9, true, 90.0f, 0.0f, 2.0f},    // PISTOL bursts instead of zooming
        {2, true, 90.0f, 0.0f, 2.0f},    // SHOTGUN has no aim
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(tuning.Weapon(c.row).displayName);
        Camera camera;
        for (int frame = 0; frame < 300; ++frame) {
            Camera::Update(camera, 1.0f / 60.0f, StandingAt(glm::vec3(0.0f)), 0.0f, 0.0f, c.aiming, c.row, tuning, open);
        }
        EXPECT_NEAR(camera.fieldOfView, c.fieldOfView, 0.05f);
        EXPECT_NEAR(camera.scopeBlend, c.scopeBlend, 0.001f);
        EXPECT_NEAR(camera.boom, c.boom, 0.005f);
        EXPECT_TRUE(camera.settled);
    }
}

TEST(Camera, AWallBehindPullsTheEyeInShortOfIt)
{
    const tune::Tuning tuning;
    const struct {
        float wallZ;
        float eyeToPivot;
    } cases[] = {
        {1.0f, 0.4f * std::sqrt(5.0f) - 0.1f},  // the sphere meets the wall at 0.8 of the 2 m boom's depth
        {0.25f, 0.0f},                          // closer than the margin: the eye sits on the pivot
        {5.0f, std::sqrt(5.0f)},                // out of reach: the full boom and shoulder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wallZ);
        const CollisionWorld world = WallAt(c.wallZ);
        Camera camera;
        Camera::Update(camera, 10.0f, StandingAt(glm::vec3(0.0f, 0.0f, 0.0f)), 0.0f, 0.0f, false, 1, tuning, world);
        EXPECT_NEAR(camera.eyeToPivot, c.eyeToPivot, 0.01f);
        EXPECT_LT(camera.eye.z, c.wallZ);
    }
}

TEST(Camera, TheMatchCameraLooksFromTheSimulationsViewOrigin)
{
    const tune::Tuning tuning;
    const CollisionWorld open;
    PlayerState state = StandingAt(glm::vec3(3.0f, 1.0f, -2.0f));
    state.yaw = 30.0f;
    state.pitch = -10.0f;
    Camera camera;
    Camera::Update(camera, 1.0f / 60.0f, state, state.yaw, state.pitch, false, 1, tuning, open);
    Camera::Aim(camera, state, tuning, open);
    EXPECT_EQ(camera.eye, ViewOrigin(state, tuning, open));
    EXPECT_EQ(camera.forward, AimDirection(state));
    EXPECT_NEAR(glm::dot(camera.right, camera.forward), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::dot(camera.up, camera.forward), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::length(camera.up), 1.0f, 1e-5f);
    EXPECT_GT(camera.up.y, 0.0f);
    EXPECT_NEAR(camera.pivot.y, 1.0f + 1.55f + 0.5f, 1e-5f);
    EXPECT_NEAR(camera.eyeToPivot, glm::length(camera.eye - camera.pivot), 1e-6f);
}

TEST(Camera, ReversedDepthPutsTheNearPlaneAtOne)
{
    Camera camera;
    tune::CameraTuning settings;
    const auto depthAt = [&](float distance) {
        const glm::vec4 clip = Camera::Projection(camera, 1600, 900, settings) * glm::vec4(0.0f, 0.0f, -distance, 1.0f);
        return clip.z / clip.w;
    };
    EXPECT_NEAR(depthAt(0.05f), 1.0f, 1e-4f);
    EXPECT_NEAR(depthAt(2000.0f), 0.0f, 1e-4f);
    settings.reversedDepth = 0;
    EXPECT_NEAR(depthAt(0.05f), 0.0f, 1e-4f);
    EXPECT_NEAR(depthAt(2000.0f), 1.0f, 1e-4f);
    // A framebuffer without height counts as square.
    const glm::mat4 square = Camera::Projection(camera, 100, 0, settings);
    EXPECT_FLOAT_EQ(square[0][0], square[1][1]);

    EXPECT_EQ(ExpSmoothVec3(glm::vec3(1.0f), glm::vec3(5.0f), 0.0f, 0.1f), glm::vec3(5.0f));
    EXPECT_EQ(ExpSmoothVec3(glm::vec3(1.0f), glm::vec3(5.0f), 12.0f, 0.0f), glm::vec3(1.0f));
}

}  // namespace cameratest

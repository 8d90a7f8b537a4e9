// A flame burst: its count of puffs, thrown inside the cone at speeds within the spread, in
// colours between the hot and the cool one.
#include <cmath>

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "client/flame_burst.h"
#include "client/rand01.h"
#include "render/effects.h"

namespace flameburstest {

TEST(FlameBurst, PuffsFlyInsideTheConeWithinTheSpreadOfSpeedsAndColours)
{
    const tune::FlameTuning flame{};
    const glm::vec3 point(1.0f, 2.0f, 3.0f);
    const glm::vec3 directions[] = {{0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, 0.0f}, glm::normalize(glm::vec3(1.0f, -0.3f, 2.0f))};
    ResetRand01();
    for (const glm::vec3& direction : directions) {
        Effects effects;
        for (int burst = 0; burst < 50; ++burst) {
            FlameBurst(effects, point, direction, flame);
        }
        ASSERT_EQ(effects.particles.size(), 50u * 4u);
        float widest = 0.0f;
        for (const Effects::Particle& puff : effects.particles) {
            EXPECT_EQ(puff.position, point);
            const float speed = glm::length(puff.velocity);
            EXPECT_GE(speed, 24.0f * 0.65f - 1e-3f);
            EXPECT_LE(speed, 24.0f * 1.35f + 1e-3f);
            const float angle = std::acos(std::fmin(1.0f, glm::dot(puff.velocity / speed, direction))) * 57.29578f;
            EXPECT_LE(angle, 11.0f + 1e-2f);
            widest = std::fmax(widest, angle);
            EXPECT_FLOAT_EQ(puff.colour.r, 1.0f);
            EXPECT_GE(puff.colour.g, 0.28f - 1e-6f);
            EXPECT_LE(puff.colour.g, 0.9f + 1e-6f);
            EXPECT_GE(puff.colour.b, 0.05f - 1e-6f);
            EXPECT_LE(puff.colour.b, 0.42f + 1e-6f);
        }
        EXPECT_GT(widest, 8.0f) << "the puffs fill the cone";
    }
    Effects none;
    FlameBurst(none, point, glm::vec3(0.0f), flame);
    EXPECT_TRUE(none.particles.empty()) << "no direction, no burst";
}

}  // namespace flameburstest

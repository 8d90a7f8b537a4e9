// The level's point lights from the map's area lights, and the frame's base lighting by mode.
#include <string>
#include <vector>

#include <cmath>

#include <gtest/gtest.h>

#include "client/map_lights.h"

namespace maplightstest {

TEST(MapLights, AreaLightsBecomePointLightsWithTheirLine)
{
    const tune::Tuning tuning;
    const struct {
        size_t count;
        const char* line;
    } cases[] = {
        {40, "[light] 40 from the map (nearest 32 used per frame)\n"},
        {32, "[light] 32 from the map\n"},
        {0, ""},
    };
    for (const auto& c : cases) {
        std::vector<AreaLight> areas(c.count);
        for (size_t i = 0; i < c.count; ++i) {
            areas[i].position = glm::vec3(static_cast<float>(i), 2.0f, 0.0f);
            areas[i].energy = i == 0 ? -5.0f : 400.0f;
        }
        testing::internal::CaptureStdout();
        const std::vector<render::PointLight> lights = MapPointLights(areas, tuning);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
        if (c.count == 0) {
            ASSERT_EQ(lights.size(), 3u);  // the built-in three
            EXPECT_EQ(lights[0].position, glm::vec3(-4.0f, 2.6f, 3.0f));
            EXPECT_FLOAT_EQ(lights[2].intensity, 0.9f);
            continue;
        }
        ASSERT_EQ(lights.size(), c.count);
        EXPECT_FLOAT_EQ(lights[0].radius, 0.0f);  // no power, no reach
        EXPECT_FLOAT_EQ(lights[1].radius, 20.0f * 1.7f);
        EXPECT_FLOAT_EQ(lights[1].intensity, 400.0f * 0.0075f);
        EXPECT_EQ(lights[1].position, areas[1].position);
    }
}

TEST(MapLights, TheFramesBaseTakesThePairOfItsMode)
{
    const tune::LightingTuning lighting;
    const tune::LightingTuning lit = FrameLightingBase(lighting, true);
    EXPECT_EQ(lit.lit, 1);
    EXPECT_FLOAT_EQ(lit.sunIntensity, 0.05f);
    EXPECT_FLOAT_EQ(lit.ambientIntensity, 0.08f);
    const tune::LightingTuning fast = FrameLightingBase(lighting, false);
    EXPECT_EQ(fast.lit, 0);
    EXPECT_FLOAT_EQ(fast.sunIntensity, 0.9f);
    EXPECT_FLOAT_EQ(fast.ambientIntensity, 0.3f);
}

}  // namespace maplightstest

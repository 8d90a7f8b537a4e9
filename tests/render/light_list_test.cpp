#include "render/light_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

namespace {

render::PointLight LightAt(float x, float radius = 1.0f) {
    render::PointLight light;
    light.position = glm::vec3(x, 0.0f, 0.0f);
    light.radius = radius;
    light.intensity = x;
    return light;
}

TEST(LightList, HeaderFollowsTheLightingRecord) {
    tune::LightingTuning lighting;
    lighting.sunDirection[0] = lighting.sunDirection[1] = lighting.sunDirection[2] = 0.0f;
    lighting.bandCount = -3;
    lighting.sunOn = 0x100;  // only the low byte counts
    std::vector<render::PointLight> lights;
    std::vector<render::LightCullEntry> entries(5);
    render::LightBlock block;
    render::PackLightBlock(lights, lighting, glm::vec3(1, 2, 3), block, entries);
    EXPECT_EQ(block[0], 0.0f);
    EXPECT_EQ(block[1], -1.0f);
    EXPECT_EQ(block[2], 0.0f);
    EXPECT_EQ(block[3], 0.0f);
    EXPECT_EQ(block[16], 0.0f);
    EXPECT_EQ(block[17], 0.0f);
    EXPECT_EQ(block[18], lighting.lightBlockScale);
    EXPECT_EQ(block[20], 1.0f);
    EXPECT_EQ(block[22], 3.0f);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(std::all_of(block.begin() + 24, block.end(), [](float v) { return v == 0.0f; }));
}

TEST(LightList, FortyLightsKeepTheNearestThirtyTwoInOrder) {
    std::vector<render::PointLight> lights;
    for (int i = 0; i < 40; ++i) lights.push_back(LightAt(float((i * 17) % 40) + 1.0f, i == 3 ? 0.0f : 1.0f));
    std::vector<render::LightCullEntry> entries;
    render::LightBlock block;
    render::PackLightBlock(lights, tune::LightingTuning{}, glm::vec3(0.0f), block, entries);
    EXPECT_EQ(block[16], 32.0f);
    ASSERT_EQ(entries.size(), 32u);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(block[24 + 8 * i], float(i + 1)) << "slot " << i;
        EXPECT_EQ(entries[size_t(i)].x, float(i + 1));
    }
    // Light 3 sits at x = 12 with radius 0: packed and culled with 0.001.
    EXPECT_EQ(block[24 + 8 * 11 + 3], 0.001f);
    EXPECT_EQ(entries[11].radius, 0.001f);
}

TEST(LightList, AddRefusesPastTheCapOncePerFill) {
    render::LightList list;
    testing::internal::CaptureStderr();
    for (int i = 0; i < render::kMaxListedLights + 5; ++i) list.Add(LightAt(float(i)));
    EXPECT_EQ(list.lights.size(), size_t(render::kMaxListedLights));
    list.Clear();
    EXPECT_TRUE(list.lights.empty());
    for (int i = 0; i < render::kMaxListedLights + 1; ++i) list.Add(LightAt(float(i)));
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string line = "[light] ignoring point light past the 256-light cap\n";
    EXPECT_EQ(errors, line + line);
}

TEST(LightList, AddIgnoresLightsWhoseNumbersAreNotFinite) {
    const float bad[] = {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN()};
    render::LightList list;
    testing::internal::CaptureStderr();
    for (const float value : bad) {
        for (int field = 0; field < 8; ++field) {
            render::PointLight light = LightAt(1.0f);
            float* numbers[8] = {&light.position.x, &light.position.y, &light.position.z, &light.colour.r,
                                 &light.colour.g,   &light.colour.b,   &light.radius,     &light.intensity};
            *numbers[field] = value;
            list.Add(light);
        }
    }
    list.Add(LightAt(2.0f));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(list.lights.size(), 1u);
    EXPECT_EQ(list.lights[0].position.x, 2.0f);
}

TEST(LightList, SubmeshLightListsHoldUpToSixteenTouchingLights) {
    const glm::vec3 lo(0.0f), hi(1.0f);
    auto entriesTouching = [](int touching, int missing) {
        std::vector<render::LightCullEntry> entries;
        for (int i = 0; i < missing; ++i) entries.push_back({5.0f, 0.5f, 0.5f, 1.0f});  // 4 m away, radius 1
        for (int i = 0; i < touching; ++i) entries.push_back({1.5f, 0.5f, 0.5f, 0.6f});
        return entries;
    };
    int32_t indices[render::kMaxSubmeshLights];
    EXPECT_EQ(render::TouchingLights(entriesTouching(0, 3), lo, hi, indices), 0);
    ASSERT_EQ(render::TouchingLights(entriesTouching(16, 2), lo, hi, indices), 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(indices[i], i + 2);
    EXPECT_EQ(render::TouchingLights(entriesTouching(17, 0), lo, hi, indices), -1);
    // Exactly the radius away does not touch; inside the box always does.
    const std::vector<render::LightCullEntry> edge = {{2.0f, 0.5f, 0.5f, 1.0f}, {0.5f, 0.5f, 0.5f, 0.001f}};
    ASSERT_EQ(render::TouchingLights(edge, lo, hi, indices), 1);
    EXPECT_EQ(indices[0], 1);
}

}  // namespace

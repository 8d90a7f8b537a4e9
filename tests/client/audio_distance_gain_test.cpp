#include "client/distance_gain.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace audiodistancegaintest {

TEST(AudioDistanceGain, Table)
{
    struct Case {
        const char* what;
        float distance;
        float minDistance;
        float maxDistance;
        float expected;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"inside the minimum", 2.0f, 3.0f, 60.0f, 1.0f},
        {"at the minimum", 3.0f, 3.0f, 60.0f, 1.0f},
        {"just past the minimum: the inverse law", 3.001f, 3.0f, 60.0f, 3.0f / 3.001f},
        {"just past the minimum, further", 3.05f, 3.0f, 60.0f, 3.0f / 3.05f},
        {"at the maximum", 60.0f, 3.0f, 60.0f, 0.0f},
        {"beyond the maximum", 250.0f, 3.0f, 60.0f, 0.0f},
        {"half way: 3/31.5 x (1 - smoothstep(0.5))", 31.5f, 3.0f, 60.0f, 0.5f * 3.0f / 31.5f},
        {"a minimum of 0 acts as 0.01: full at 0.01", 0.01f, 0.0f, 60.0f, 1.0f},
        {"a minimum of 0 acts as 0.01: 0.01/d beyond", 0.02f, 0.0f, 60.0f, 0.01f / 0.02f},
        {"a negative minimum acts as 0.01", 0.02f, -4.0f, 60.0f, 0.01f / 0.02f},
        {"a maximum equal to the minimum acts as minimum + 0.01", 5.02f, 5.0f, 5.0f, 0.0f},
        {"a maximum below the minimum acts as minimum + 0.01", 5.02f, 5.0f, 1.0f, 0.0f},
        {"inside the widened band", 5.005f, 5.0f, 5.0f, (1.0f - 0.5f) * 5.0f / 5.005f},
        {"a distance that is not a number is silent", nan, 3.0f, 60.0f, 0.0f},
        {"an infinite distance is silent", std::numeric_limits<float>::infinity(), 3.0f, 60.0f, 0.0f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(audio::DistanceGain(c.distance, c.minDistance, c.maxDistance), c.expected, 2e-4f) << c.what;
    }
}

TEST(AudioDistanceGain, FallsSmoothlyFromFullToSilence)
{
    float previous = audio::DistanceGain(3.0f, 3.0f, 60.0f);
    for (int step = 31; step < 600; ++step) {
        const float d = static_cast<float>(step) * 0.1f;
        const float gain = audio::DistanceGain(d, 3.0f, 60.0f);
        EXPECT_LT(gain, previous) << d;
        EXPECT_LT(previous - gain, 0.04f) << "a step at " << d;
        EXPECT_GT(gain, 0.0f) << d;
        previous = gain;
    }
    EXPECT_LT(previous, 1e-4f);
}

}  // namespace audiodistancegaintest

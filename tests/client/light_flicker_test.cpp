// The flicker pulse: a half sine of the pulse width once per period, offset per index.
#include <cmath>

#include <gtest/gtest.h>

#include "client/light_flicker.h"

namespace lightflickertest {

TEST(LightFlicker, PulsesOncePerPeriodAsAHalfSine)
{
    const tune::InvisibilityTuning settings;  // period 2 s, width 0.2 s, peak 0.05, range 0.3..0.8
    const struct {
        double time;
        int index;
        float pulse;
    } cases[] = {
        {0.0, 0, 0.0f},                    // the pulse starts at 0
        {0.05, 0, 0.70710678f},            // a quarter into it
        {0.1, 0, 1.0f},                    // its middle
        {0.15, 0, 0.70710678f},
        {0.2, 0, 0.0f},                    // past its width
        {1.0, 0, 0.0f},
        {2.1, 0, 1.0f},                    // the next period
        {0.1 - 0.37, 1, 1.0f},             // index 1 runs 0.37 s ahead
        {0.47, 1, 0.0f},
        {-1.9, 0, 1.0f},                   // before the clock's start, folded into the period
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(LightFlicker(c.time, c.index, settings), c.pulse, 1e-4f) << c.time << " index " << c.index;
        EXPECT_NEAR(LightFlickerScaled(c.time, c.index, settings), c.pulse * 0.05f, 1e-5f) << c.time;
        EXPECT_NEAR(LightFlickerRange(c.time, c.index, settings), 0.3f + c.pulse * 0.5f, 1e-4f) << c.time;
    }
}

TEST(LightFlicker, DegenerateSettingsKeepTheirFloors)
{
    tune::InvisibilityTuning settings;
    settings.pulsePeriod = 0.0f;  // counts as 0.05 s
    settings.pulseWidth = 0.0f;   // counts as 0.01 s
    EXPECT_NEAR(LightFlicker(0.005, 0, settings), 1.0f, 1e-4f);
    EXPECT_NEAR(LightFlicker(0.055, 0, settings), 1.0f, 1e-4f);
    EXPECT_EQ(LightFlicker(0.03, 0, settings), 0.0f);
    EXPECT_TRUE(std::isfinite(LightFlicker(1e9, 7, settings)));
}

}  // namespace lightflickertest

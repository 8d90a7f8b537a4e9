// A healing field's sphere: swelling in, pulsing, and shrinking away at the end of its lifetime.
#include <cmath>

#include <gtest/gtest.h>

#include "client/healing_fields.h"

namespace healingfieldstest {

TEST(HealingFields, TheRadiusSwellsInAndShrinksAway)
{
    const tune::HealingFieldTuning settings;  // 6 m for 6 s
    const struct {
        float age;
        float size;  // the share m of the full field
    } cases[] = {
        {0.0f, 0.0f}, {1.0f / 12.0f, 0.5f}, {1.0f / 6.0f, 1.0f}, {3.0f, 1.0f},
        {5.4f, 0.5f}, {5.9f, 1.0f / 12.0f}, {6.0f, 0.0f}, {9.0f, 0.0f},
    };
    for (const auto& c : cases) {
        // At time 0 the pulse is at its middle.
        const HealingFieldShape still = HealingFieldShapeOf(c.age, 0.0, settings);
        EXPECT_NEAR(still.radius, 6.0f * c.size, 1e-4f) << c.age;
        EXPECT_NEAR(still.faceAlpha, 0.025f * c.size, 1e-6f) << c.age;
        EXPECT_NEAR(still.rimAlpha, 0.45f * c.size, 1e-5f) << c.age;
        // A quarter of a pulse later it is at its crest.
        const HealingFieldShape crest = HealingFieldShapeOf(c.age, 1.0 / (4.0 * 1.6), settings);
        EXPECT_NEAR(crest.radius, 6.0f * c.size * 1.04f, 1e-4f) << c.age;
        EXPECT_NEAR(crest.faceAlpha, 0.025f * 1.28f * c.size, 1e-6f) << c.age;
        EXPECT_NEAR(crest.rimAlpha, 0.45f * 1.28f * c.size, 1e-5f) << c.age;
    }
}

}  // namespace healingfieldstest

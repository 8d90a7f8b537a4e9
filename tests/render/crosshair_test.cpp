#include "render/renderer.h"

#include <gtest/gtest.h>

namespace {

TEST(Crosshair, VertexCountsFollowOutlineAndDot) {
    struct Case {
        uint8_t outline, dot;
        size_t vertices;
    };
    for (const Case& c : {Case{1, 1, 60}, Case{1, 0, 48}, Case{0, 0, 24}, Case{0, 1, 30}}) {
        tune::CrosshairTuning style;
        style.outline = c.outline;
        style.centreDot = c.dot;
        std::vector<render::CrosshairVertex> vertices;
        render::BuildCrosshair(style, 0.0f, vertices);
        EXPECT_EQ(vertices.size(), c.vertices);
    }
    tune::CrosshairTuning off;
    off.enabled = 0;
    std::vector<render::CrosshairVertex> vertices(3);
    render::BuildCrosshair(off, 0.0f, vertices);
    EXPECT_TRUE(vertices.empty());
}

TEST(Crosshair, DefaultArmsSitEightAndAHalfPixelsOut) {
    std::vector<render::CrosshairVertex> vertices;
    render::BuildCrosshair(tune::CrosshairTuning{}, 0.0f, vertices);
    ASSERT_EQ(vertices.size(), 48u);
    // First the right arm's outline: centre 8.5, half sizes 5.5 x 2 in 85 % black.
    EXPECT_FLOAT_EQ(vertices[0].x, 3.0f);
    EXPECT_FLOAT_EQ(vertices[0].y, -2.0f);
    EXPECT_FLOAT_EQ(vertices[2].x, 14.0f);
    EXPECT_EQ(vertices[0].colour[3], 216);  // 0.85 x 255 = 216.75, truncated
    EXPECT_EQ(vertices[0].colour[0], 0);
    // Then the coloured right arm: 9 x 2 pixels from 4 to 13.
    EXPECT_FLOAT_EQ(vertices[24].x, 4.0f);
    EXPECT_FLOAT_EQ(vertices[26].x, 13.0f);
    EXPECT_FLOAT_EQ(vertices[26].y, 1.0f);
    EXPECT_EQ(vertices[24].colour[1], 255);
    EXPECT_EQ(vertices[24].colour[0], 51);
    // Spread widens the gap.
    render::BuildCrosshair(tune::CrosshairTuning{}, 10.0f, vertices);
    EXPECT_FLOAT_EQ(vertices[24].x, 14.0f);
}

}  // namespace

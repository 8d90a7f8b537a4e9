// The scope iris: nothing while barely raised, and a mask that leaves a clear circle shrinking
// toward 0.4 x the window's shorter side.
#include "ui/hud_iris.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "hud_driver.h"
#include "ui/hud_colour.h"

namespace hud_iris_test {

using hudtest::HudDriver;

TEST(HudIris, NothingWhileBarelyRaised) {
    for (float amount : {0.0f, 0.005f, 0.01f, -1.0f, std::nanf("")}) {
        HudDriver d(1600, 900);
        d.Draw([&] { hud::DrawIris(d.ctx, amount); });
        EXPECT_TRUE(d.Rects().empty()) << amount;
    }
}

TEST(HudIris, TheMaskLeavesAClearCircleOfTheRadiusForTheAmount) {
    struct Case {
        int32_t w, h;
        float amount;
        float radius;
        uint8_t alpha;
    };
    // Fully raised, the radius is 0.4 x the shorter side; half raised it lies halfway to the
    // half-diagonal, and the mask is not yet opaque.
    const float halfDiagonal = std::sqrt(1600.0f * 1600.0f + 900.0f * 900.0f) / 2.0f;
    for (const Case& c : {Case{1600, 900, 1.0f, 360, 255}, Case{900, 1600, 1.0f, 360, 255},
                          Case{1920, 1080, 7.0f, 432, 255},
                          Case{1600, 900, 0.5f, (360 + halfDiagonal) / 2, 204}}) {
        HudDriver d(c.w, c.h);
        d.Draw([&] { hud::DrawIris(d.ctx, c.amount); });
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " amount " << c.amount);
        const float s = std::max(3.0f, std::floor(float(c.h) * 0.003125f)), cx = float(c.w / 2), cy = float(c.h / 2);

        // The mask's rectangles by row: each row is either covered whole or open around the centre.
        std::map<float, std::vector<uitest::SolidRect>> rows;
        for (const uitest::SolidRect& rect : d.RectsOf(hud::Black(c.alpha))) {
            if (rect.h == 2 * s) rows[rect.y].push_back(rect);
        }
        ASSERT_EQ(rows.size(), size_t(std::ceil(float(c.h) / (2 * s))));
        float widest = 0.0f;
        for (const auto& [y, parts] : rows) {
            const float dy = y + s - cy;
            if (std::fabs(dy) >= c.radius) {
                ASSERT_EQ(parts.size(), 1u) << y;
                hudtest::ExpectRect(parts[0], 0, y, float(c.w), 2 * s, hud::Black(c.alpha));
                continue;
            }
            const float reach = std::sqrt(c.radius * c.radius - dy * dy);
            float left = 0.0f, right = float(c.w);
            for (const uitest::SolidRect& part : parts) {
                if (part.x == 0.0f) left = part.w;
                else right = part.x;
            }
            EXPECT_NEAR(cx - left, right - cx, 1e-3f) << y;
            EXPECT_LE(cx - left, reach + 0.01f) << y;
            EXPECT_GT(cx - left, std::min(reach, cx) - s - 0.01f) << y;
            widest = std::max(widest, right - left);
        }
        EXPECT_NEAR(widest, std::min(2 * c.radius, float(c.w)), 2 * s);
    }
}

TEST(HudIris, TheReticleCrossesTheClearCircle) {
    HudDriver d(1600, 900);
    d.Draw([&] { hud::DrawIris(d.ctx, 1.0f); });
    const auto reticle = d.RectsOf(hud::Black(190));
    ASSERT_EQ(reticle.size(), 4u);
    // Arms from the circle's edge to 18 pixels short of the centre.
    hudtest::ExpectRect(reticle[0], 440, 448.5f, 342, 3, hud::Black(190));
    hudtest::ExpectRect(reticle[1], 818, 448.5f, 342, 3, hud::Black(190));
    hudtest::ExpectRect(reticle[2], 798.5f, 90, 3, 342, hud::Black(190));
    hudtest::ExpectRect(reticle[3], 798.5f, 468, 3, 342, hud::Black(190));
}

}  // namespace hud_iris_test

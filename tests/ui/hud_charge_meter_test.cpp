// The charge meter: how many squares are lit, their warming ramp, and the blinking when full.
#include "ui/hud_charge_meter.h"

#include <gtest/gtest.h>

#include "hud_driver.h"
#include "ui/hud_colour.h"

namespace hud_charge_meter_test {

using hudtest::HudDriver;

constexpr uint32_t kUnlit = 0xaa1c1512;
constexpr uint32_t kBright = hud::Rgba(225, 255, 235, 255);
constexpr uint32_t kDim = hud::Rgba(120, 235, 150, 255);

TEST(HudChargeMeter, SquaresFillFromTheBottomAndBlinkOnceFull) {
    struct Case {
        float amount, time;
        uint8_t backing;
        uint32_t squares[8];  // bottom first
    };
    const uint32_t r0 = hud::Rgba(168, 112, 48, 255), r1 = hud::Rgba(180, 128, 56, 255),
                   r2 = hud::Rgba(192, 145, 65, 255), r3 = hud::Rgba(205, 162, 74, 255),
                   r4 = hud::Rgba(217, 179, 83, 255), r5 = hud::Rgba(230, 196, 92, 255),
                   r6 = hud::Rgba(242, 213, 101, 255);
    const uint32_t u = kUnlit;
    for (const Case& c : {
             Case{0.0f, 0.0f, 150, {u, u, u, u, u, u, u, u}},
             Case{-2.0f, 0.0f, 150, {u, u, u, u, u, u, u, u}},
             Case{0.5f, 0.0f, 150, {r0, r1, r2, r3, u, u, u, u}},
             Case{0.998f, 0.0f, 150, {r0, r1, r2, r3, r4, r5, r6, u}},
             // Counted full from 0.999, though the top square lights only at 1.
             Case{0.999f, 0.1f, 210, {kBright, kBright, kBright, kBright, kBright, kBright, kBright, u}},
             Case{1.0f, 0.4f, 210, {kDim, kDim, kDim, kDim, kDim, kDim, kDim, kDim}},
             Case{3.0f, 1.3f, 210, {kBright, kBright, kBright, kBright, kBright, kBright, kBright, kBright}},
         }) {
        HudDriver d(1920, 1080);  // pixel scale 3
        d.Draw([&] { hud::DrawChargeMeter(d.ctx, c.amount, c.time); });
        const auto rects = d.Rects();
        ASSERT_EQ(rects.size(), 16u);
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(testing::Message() << "amount " << c.amount << " square " << i);
            const float y = float(35 - 5 * i) * 3.0f + 483.0f;
            hudtest::ExpectRect(rects[size_t(2 * i)], 1011, y - 3, 15, 15, hud::Black(c.backing));
            hudtest::ExpectRect(rects[size_t(2 * i + 1)], 1014, y, 9, 9, c.squares[i]);
        }
    }
}

}  // namespace hud_charge_meter_test

#include "ui/hud_charge_meter.h"

#include <algorithm>
#include <cmath>

#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace hud {

namespace {

constexpr uint32_t kUnlit = 0xaa1c1512;

}  // namespace

void DrawChargeMeter(ui::Context& ctx, float amount, float time) {
    const float s = PixelScale(ctx);
    const float a = std::clamp(amount, 0.0f, 1.0f);
    const bool full = a >= 0.999f;
    const bool bright = full && std::fmod(time, 0.6f) < 0.3f;
    const int lit = std::min(int(a * 8.0f), 8);
    const float x = std::floor(float(ctx.batch.width) / 2.0f) + 18.0f * s;
    const float base = std::floor(std::floor(float(ctx.batch.height) / 2.0f) - 19.0f * s);

    for (int i = 0; i < 8; ++i) {
        const float y = float(35 - 5 * i) * s + base;
        ctx.batch.FillRect(x - s, y - s, 5.0f * s, 5.0f * s, Black(full ? 210 : 150));
        uint32_t colour = kUnlit;
        if (i < lit) {
            if (full) {
                colour = bright ? Rgba(225, 255, 235, 255) : Rgba(120, 235, 150, 255);
            } else {
                const float k = float(i);
                colour = Rgba(uint8_t(168.0f + 12.428572f * k), uint8_t(112.0f + 16.857143f * k),
                              uint8_t(48.0f + 8.857143f * k), 255);
            }
        }
        ctx.batch.FillRect(x, y, 3.0f * s, 3.0f * s, colour);
    }
}

}  // namespace hud

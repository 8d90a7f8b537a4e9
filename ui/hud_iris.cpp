#include "ui/hud_iris.h"

#include <algorithm>
#include <cmath>

#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace hud {

void DrawIris(ui::Context& ctx, float amount) {
    if (!(amount > 0.01f)) return;
    render::UiRenderer& batch = ctx.batch;
    const float a = std::min(amount, 1.0f);
    const float s = PixelScale(ctx);
    const float w = float(batch.width), h = float(batch.height);
    const float cx = std::floor(w / 2.0f), cy = std::floor(h / 2.0f);
    const float shortSide = std::min(w, h);
    const float d = std::sqrt(w * w + h * h) / 2.0f;

    const float m = std::min(1.6f * a, 1.0f);
    const float r = (0.4f * shortSide - d) * a + d;
    const uint32_t mask = Black(uint8_t(m * 255.0f));
    const float row = 2.0f * s;
    for (float y = 0.0f; y < h; y += row) {
        const float dy = y + s - cy;
        const float inside = r * r - dy * dy;
        if (inside > 0.0f) {
            const float half = std::floor(std::sqrt(inside) / s) * s;
            const float left = cx - half, right = cx + half;
            if (left > 0.0f) batch.FillRect(0.0f, y, left, row, mask);
            if (right < w) batch.FillRect(right, y, w - right, row, mask);
        } else {
            batch.FillRect(0.0f, y, w, row, mask);
        }
    }

    const uint32_t reticle = Black(uint8_t(m * 190.0f));
    const float e = std::min(shortSide / 2.0f, r), gap = 6.0f * s, length = e - gap;
    batch.FillRect(cx - e, cy - s / 2.0f, length, s, reticle);
    batch.FillRect(cx + gap, cy - s / 2.0f, length, s, reticle);
    batch.FillRect(cx - s / 2.0f, cy - e, s, length, reticle);
    batch.FillRect(cx - s / 2.0f, cy + gap, s, length, reticle);
}

}  // namespace hud

#include "ui/hud_drawing.h"

#include <algorithm>
#include <cmath>

#include "net/moderators.h"
#include "ui/ui_context.h"

namespace hud {

namespace {

uint32_t Pack(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16 | uint32_t(a) << 24;
}

// Roles travel as bytes; a number outside a byte is no role rather than the role it would wrap to.
const char* TagOf(int32_t role) { return role >= 0 && role <= 255 ? net::RoleTag(uint8_t(role)) : ""; }

}  // namespace

float PixelScale(const ui::Context& ctx) {
    return std::max(3.0f, std::floor(float(ctx.batch.height) * 0.003125f));
}

uint8_t AlphaByte(float a) {
    const float clamped = a >= 0.0f ? std::min(a, 1.0f) : 0.0f;  // NaN gives 0
    return uint8_t(clamped * 255.0f + 0.5f);
}

uint32_t TeamColour(int32_t team) {
    if (team == 0) return 0xff4e56e2;
    if (team == 1) return 0xffe8944e;
    return kMutedText;
}

float RoleTagColours(int32_t role, uint32_t& background, uint32_t& foreground, float alpha) {
    const uint8_t a = AlphaByte(alpha);
    if (role == net::kRoleModerator) {
        background = Pack(236, 178, 46, a);
        foreground = Pack(22, 18, 8, a);
        return 1.0f;
    }
    if (role == net::kRoleStaff) {
        background = Pack(72, 214, 226, a);
        foreground = Pack(6, 26, 30, a);
        return 1.0f;
    }
    return 0.0f;
}

float RoleTagWidth(const ui::Context&, int32_t role, float scale) {
    const char* tag = TagOf(role);
    if (tag[0] == '\0') return 0.0f;
    return render::UiRenderer::MeasureText(tag, scale) + 10.0f * scale;
}

float DrawRoleTag(ui::Context& ctx, int32_t role, float x, float y, float scale, float alpha) {
    const char* tag = TagOf(role);
    uint32_t background = 0, foreground = 0;
    if (tag[0] == '\0' || RoleTagColours(role, background, foreground, alpha) == 0.0f) return 0.0f;
    const float w = render::UiRenderer::MeasureText(tag, scale) + 10.0f * scale;
    ctx.batch.FillRect(x, y - 2.0f * scale, w, 13.0f * scale, background);
    ctx.batch.DrawText(x + 5.0f * scale, y, tag, scale, foreground);
    return w;
}

}  // namespace hud

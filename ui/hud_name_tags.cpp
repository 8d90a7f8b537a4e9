#include "ui/hud_name_tags.h"

#include <algorithm>

#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/hud_world_point.h"
#include "ui/ui_context.h"

namespace hud {

bool DrawNameTags(ui::Context& ctx, const glm::mat4& viewProj, const glm::vec3& anchor, const char* name,
                  int32_t team, int32_t role, float distance, const NameTagSettings& settings) {
    if (name == nullptr || name[0] == '\0') return false;
    glm::vec2 screen;
    if (!ProjectToWindow(ctx, viewProj, anchor, 1.2f, screen) || !(distance <= settings.fadeEnd)) return false;

    const float t = std::clamp((settings.fadeEnd - distance) / std::max(settings.fadeEnd - settings.fadeStart, 0.01f),
                               0.0f, 1.0f);
    const float alpha = t * settings.alpha;
    if (alpha <= 0.02f) return false;

    const float scale = ((1.0f - settings.farScaleFactor) * t + settings.farScaleFactor) * settings.scale;
    const float nameW = render::UiRenderer::MeasureText(name, scale);
    const float tagScale = 0.8f * scale;
    const float tagW = RoleTagWidth(ctx, role, tagScale);
    const float gap = tagW > 0.0f ? tagW + 5.0f : 0.0f;
    const float shadowGap = tagW > 0.0f ? tagW + 7.0f : 2.0f;

    const float x0 = screen.x - (gap + nameW) / 2.0f;
    DrawRoleTag(ctx, role, x0, screen.y, tagScale, alpha);
    ctx.batch.DrawTextCentered(x0 + shadowGap + nameW / 2.0f, screen.y + 2.0f, name, scale,
                               Black(AlphaByte(0.7f * alpha)));
    ctx.batch.DrawTextCentered(x0 + gap + nameW / 2.0f, screen.y, name, scale,
                               WithAlpha(TeamColour(team), AlphaByte(alpha)));
    return true;
}

}  // namespace hud

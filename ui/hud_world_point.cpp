#include "ui/hud_world_point.h"

#include <cmath>

#include "ui/ui_context.h"

namespace hud {

bool ProjectToWindow(const ui::Context& ctx, const glm::mat4& viewProj, const glm::vec3& point, float limit,
                     glm::vec2& window) {
    const glm::vec4 clip = viewProj * glm::vec4(point, 1.0f);
    if (!(clip.w > 0.0001f)) return false;
    const float nx = clip.x / clip.w, ny = clip.y / clip.w;
    if (!(std::fabs(nx) <= limit && std::fabs(ny) <= limit)) return false;
    window.x = (nx * 0.5f + 0.5f) * float(ctx.batch.width);
    window.y = (0.5f - ny * 0.5f) * float(ctx.batch.height);
    return true;
}

}  // namespace hud

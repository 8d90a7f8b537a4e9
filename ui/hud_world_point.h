#pragma once

#include <glm/glm.hpp>

namespace ui {
struct Context;
}

namespace hud {

// Projects a world point into window pixels. False when the point is behind the camera or its
// normalised coordinates leave -limit .. limit on either axis; labels anchored in the world accept
// a little beyond the screen's edge so that they slide off it instead of vanishing at the border.
bool ProjectToWindow(const ui::Context& ctx, const glm::mat4& viewProj, const glm::vec3& point, float limit,
                     glm::vec2& window);

}  // namespace hud

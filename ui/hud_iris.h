#pragma once

namespace ui {
struct Context;
}

namespace hud {

// The scope's black mask, closing from the window's corners to a clear circle of 0.4 x the shorter
// side as `amount` goes to 1, in rows of pixel-art steps, with a thin reticle across the circle.
// Nothing at all while `amount` is at most 0.01.
void DrawIris(ui::Context& ctx, float amount);

}  // namespace hud

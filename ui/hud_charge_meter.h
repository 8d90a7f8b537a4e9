#pragma once

namespace ui {
struct Context;
}

namespace hud {

// A column of eight pixel-art squares right of the crosshair that fill from the bottom as `amount`
// goes from 0 to 1, warming in colour; once full it turns green and blinks with `time`.
void DrawChargeMeter(ui::Context& ctx, float amount, float time);

}  // namespace hud

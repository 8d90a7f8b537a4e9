#include "ui/hud_power_slot.h"

#include "ui/hud_drawing.h"
#include "ui/sheet_icon.h"
#include "ui/ui_context.h"

namespace hud {

void DrawPowerSlot(ui::Context& ctx, const SheetIcon* icon, const char* label, float cooldown, bool available) {
    render::UiRenderer& batch = ctx.batch;
    const float w = float(batch.width), h = float(batch.height);
    const bool ready = available && cooldown <= 0.0f;
    const float left = (w - 64.0f) / 2.0f;

    batch.FillRect(left - 4.0f, h - 96.0f, 72.0f, 72.0f, kSlotFill);
    batch.StrokeRect(left - 4.0f, h - 96.0f, 72.0f, 72.0f, 2.0f, ready ? kGood : kIdleOutline);

    if (icon != nullptr && IsDrawable(*icon)) {
        batch.BeginSheet(icon->texture, icon->columns, icon->rows, icon->width, icon->height);
        batch.SetOutline(0.0f);
        batch.SetCooldown(available ? cooldown : 1.0f, 0.72f);
        batch.DrawSheetCell(left, h - 92.0f, 64.0f, 64.0f, icon->column, icon->row, 0xffffffff);
    }

    const char* text = label != nullptr ? label : "";
    ctx.Label((w - render::UiRenderer::MeasureText(text, 1.0f)) / 2.0f, h - 22.0f, text, 1.0f,
              ready ? kText : kMutedText);
}

}  // namespace hud

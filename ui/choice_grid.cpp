#include "ui/choice_grid.h"

#include <algorithm>
#include <cmath>

#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr float kGap = 10.0f;
constexpr float kNameHeight = 18.0f;  // under the picture
constexpr uint32_t kChosenFill = 0xff3a4a2e;
constexpr uint32_t kPictureTint = 0xffffffff;

}  // namespace

float ShinePosition(double time)
{
    const double f = std::fmod(std::max(time, 0.0), 6.0);
    // A clock that is not a number shows no shine.
    if (!(f < 0.75)) return -1.0f;
    return float(f) * 2.3333335f - 0.2f;
}

int32_t DrawChoiceGrid(ui::Context& ctx, uint32_t id, float x, float y, float w,
                       const std::vector<ChoiceEntry>& entries, int32_t selected, int32_t columns, float cellHeight,
                       double time)
{
    if (entries.empty() || columns < 1) return -1;
    const float cellWidth = (w - float(columns - 1) * kGap) / float(columns);
    const float shine = ShinePosition(time);
    int32_t clicked = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ChoiceEntry& entry = entries[i];
        const float cellX = x + float(int32_t(i) % columns) * (cellWidth + kGap);
        const float cellY = y + float(int32_t(i) / columns) * (cellHeight + kGap);
        const bool chosen = entry.index == selected;
        const bool hovered = ctx.MouseIn(cellX, cellY, cellWidth, cellHeight);
        if (hovered) {
            ctx.hotId = id;
            if (ctx.input.mousePressed) clicked = entry.index;
        }

        ctx.batch.FillRect(cellX, cellY, cellWidth, cellHeight,
                           chosen ? kChosenFill : (hovered ? ui::kButtonHover : kStandardFill));
        if (chosen) ctx.batch.StrokeRect(cellX, cellY, cellWidth, cellHeight, 2.0f, kGreen);

        if (IsDrawable(entry.icon)) {
            const float side = std::min(cellWidth, cellHeight - kNameHeight);
            const float iconX = cellX + (cellWidth - side) / 2.0f;
            const float iconY = cellY + (cellHeight - kNameHeight - side) / 2.0f;
            ui::DrawSheetIcon(ctx, &entry.icon, iconX, iconY, side, side, kPictureTint);
            if (chosen && shine >= 0.0f) {
                // The shine belongs to a sheet command: the picture goes again in a command of its own.
                ui::DrawSheetIcon(ctx, &entry.icon, iconX, iconY, side, side, kPictureTint);
                ctx.batch.SetShine(shine, 0.2f, 0.9f);
            }
        }

        float scale = 1.5f;
        while (render::UiRenderer::MeasureText(entry.name.c_str(), scale) > cellWidth - 8.0f && scale > 0.75f) {
            scale -= 0.125f;
        }
        ctx.LabelCentered(cellX + cellWidth / 2.0f, cellY + cellHeight - 16.0f, entry.name.c_str(), scale,
                          chosen ? kWhite : kGrey);
    }
    return clicked;
}

}  // namespace menu

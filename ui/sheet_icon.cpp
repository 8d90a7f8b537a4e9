#include "ui/sheet_icon.h"

#include "ui/ui_context.h"

bool IsDrawable(const SheetIcon& icon) {
    return icon.texture != 0 && icon.row >= 0 && icon.row < icon.rows && icon.column >= 0 &&
           icon.column < icon.columns;
}

namespace ui {

void DrawSheetIcon(Context& ctx, const SheetIcon* icon, float x, float y, float w, float h, uint32_t colour) {
    if (icon == nullptr || !IsDrawable(*icon)) return;
    ctx.batch.BeginSheet(icon->texture, icon->columns, icon->rows, icon->width, icon->height);
    ctx.batch.SetOutline(0.0f);
    ctx.batch.DrawSheetCell(x, y, w, h, icon->column, icon->row, colour);
}

}  // namespace ui

#include "ui/sheet_cell_cover.h"

#include "ui/sheet_icon.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

// The part of the cell (s0, t0)-(s1, t1), in 0..1 of the cell, that covers a w x h box.
struct CellCrop {
    float s0 = 0.0f, t0 = 0.0f, s1 = 1.0f, t1 = 1.0f;
};

CellCrop CoverCrop(const SheetIcon& sheet, float w, float h) {
    CellCrop crop;
    const float cellWidth = float(sheet.width) / float(sheet.columns);
    const float cellHeight = float(sheet.height) / float(sheet.rows);
    if (!(cellWidth > 0.0f) || !(cellHeight > 0.0f)) return crop;
    const float cellAspect = cellWidth / cellHeight;
    const float boxAspect = w / h;
    if (cellAspect > boxAspect) {
        const float r = boxAspect / cellAspect;
        crop.s0 = (1.0f - r) / 2.0f;
        crop.s1 = crop.s0 + r;
    } else if (cellAspect < boxAspect) {
        const float r = cellAspect / boxAspect;
        crop.t0 = (1.0f - r) / 2.0f;
        crop.t1 = crop.t0 + r;
    }
    return crop;
}

}  // namespace

void DrawSheetCellCover(ui::Context& ctx, const SheetIcon& sheet, float x, float y, float w, float h, uint32_t colour) {
    if (!IsDrawable(sheet) || !(w > 0.0f) || !(h > 0.0f)) return;
    const CellCrop crop = CoverCrop(sheet, w, h);
    ctx.batch.BeginSheet(sheet.texture, sheet.columns, sheet.rows, sheet.width, sheet.height);
    ctx.batch.SetOutline(0.0f);
    ctx.batch.DrawSheetCellPart(x, y, w, h, sheet.column, sheet.row, colour, crop.s0, crop.t0, crop.s1, crop.t1);
}

}  // namespace menu

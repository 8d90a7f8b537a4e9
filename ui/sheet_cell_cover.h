#pragma once

#include <cstdint>

struct SheetIcon;

namespace ui {
struct Context;
}

namespace menu {

// The part of the sheet's cell (column, row) that fills the rectangle at the cell's own aspect: the
// middle of the cell is kept and what sticks out on the longer side is cropped. Nothing when the
// cell is not drawable or the rectangle is empty.
void DrawSheetCellCover(ui::Context& ctx, const SheetIcon& sheet, float x, float y, float w, float h, uint32_t colour);

}  // namespace menu

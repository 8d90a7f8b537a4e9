#pragma once

#include <cstdint>

namespace ui {
struct Context;
}

// One cell of a sprite-sheet texture as the UI batch draws it: the texture and its grid and size,
// and the cell. Drawable when the texture is not 0 and the cell lies inside the grid; whoever draws
// a list of them skips one that is not and still draws the rest.
struct SheetIcon {
    uint32_t texture = 0;
    int32_t columns = 1, rows = 1;
    int32_t width = 1, height = 1;
    int32_t column = 0, row = -1;
};

bool IsDrawable(const SheetIcon& icon);

namespace ui {

// The cell stretched over the rectangle, tinted by `colour`; nothing when it is not drawable.
void DrawSheetIcon(Context& ctx, const SheetIcon* icon, float x, float y, float w, float h, uint32_t colour);

}  // namespace ui

#pragma once

namespace ui {
struct Context;
}

namespace menu {

// A screen's title, centred over [x, x + w) at y in large type, with an optional subtitle under it
// in muted text (nothing when `subtitle` is null).
void DrawTitleBlock(ui::Context& ctx, float x, float y, float w, const char* title, const char* subtitle);

}  // namespace menu

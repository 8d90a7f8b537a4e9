#include "ui/title_block.h"

#include "ui/ui_context.h"

namespace menu {

void DrawTitleBlock(ui::Context& ctx, float x, float y, float w, const char* title, const char* subtitle) {
    ctx.LabelCentered(x + w / 2.0f, y, title, 4.0f, ui::kLabelText);
    if (subtitle != nullptr) ctx.LabelCentered(x + w / 2.0f, y + 40.0f, subtitle, 1.5f, ui::kDisabledText);
}

}  // namespace menu

#include "ui/skins_screen.h"

#include <cmath>
#include <cstdio>

#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr uint32_t kFirstRowButton = 470;
constexpr uint32_t kSelectedFill = 0xff3a4a2e;
constexpr uint32_t kLockedTag = 0xe6323278;
constexpr uint32_t kPriceTag = 0xf0823446;
constexpr uint32_t kStardustCross = 0xffffc8aa;
constexpr uint32_t kSelectedOutline = 0x005cd334;  // (52, 211, 92); the alpha pulses
constexpr float kRowX = 36.0f;
constexpr float kRowWidth = 222.0f;
constexpr float kRowHeight = 46.0f;

float RowY(size_t i) { return 144.0f + 54.0f * float(i); }

}  // namespace

bool DrawSkinsScreen(ui::Context& ctx, const SuitSkins& suit, std::string& selectedSkin, double time,
                     std::string& purchaseRequest)
{
    const size_t n = suit.skins.size();
    ctx.Panel(24.0f, 60.0f, 250.0f, 92.0f + 54.0f * float(n));
    ctx.LabelCentered(149.0f, 76.0f, "SKINS", 2.5f, kWhite);
    char line[96];
    std::snprintf(line, sizeof line, "FOR THE %s SUIT", suit.suitName.c_str());
    ctx.LabelCentered(149.0f, 110.0f, line, 1.25f, kGrey);

    bool changed = false;
    for (size_t i = 0; i < n; ++i) {
        const SkinEntry& skin = suit.skins[i];
        const float ry = RowY(i);
        const uint32_t id = kFirstRowButton + uint32_t(i);
        if (skin.owned != 0) {
            const bool selected = skin.id == selectedSkin;
            if (ctx.Button(id, kRowX, ry, kRowWidth, kRowHeight, skin.displayName.c_str(), true,
                           selected ? kSelectedFill : kStandardFill, 1.75f) &&
                !selected) {
                selectedSkin = skin.id;
                changed = true;
            }
            continue;
        }
        const bool forSale = skin.price > 0;
        if (ctx.Button(id, kRowX, ry, kRowWidth, kRowHeight, "", forSale, kStandardFill, 2.0f)) {
            purchaseRequest = skin.id;
        }
        ctx.Label(50.0f, ry + 16.0f, skin.displayName.c_str(), 1.75f, kGrey);
        if (!forSale) {
            const float tw = render::UiRenderer::MeasureText("LOCKED", 1.25f);
            ctx.batch.FillRect(240.0f - tw, ry + 13.0f, tw + 12.0f, 20.0f, kLockedTag);
            ctx.Label(246.0f - tw, ry + 18.0f, "LOCKED", 1.25f, kWhite);
            continue;
        }
        std::snprintf(line, sizeof line, "%d", skin.price);
        const float pw = render::UiRenderer::MeasureText(line, 1.5f);
        const float px = 216.0f - pw;
        ctx.batch.FillRect(px, ry + 11.0f, pw + 34.0f, 24.0f, kPriceTag);
        ctx.batch.FillRect(px + 11.0f, ry + 17.0f, 6.0f, 12.0f, kStardustCross);
        ctx.batch.FillRect(px + 8.0f, ry + 20.0f, 12.0f, 6.0f, kStardustCross);
        ctx.Label(px + 26.0f, ry + 17.0f, line, 1.5f, kWhite);
    }

    // The frame that changes the selection shows no outline, so the pulse starts on the new row.
    if (!changed) {
        const auto alpha = uint32_t(int32_t(std::sin(3.0 * time) * 102.0 + 153.0));
        for (size_t i = 0; i < n; ++i) {
            if (suit.skins[i].id != selectedSkin) continue;
            ctx.batch.StrokeRect(kRowX, RowY(i), kRowWidth, kRowHeight, 2.0f, kSelectedOutline | alpha << 24);
        }
    }
    return changed;
}

}  // namespace menu

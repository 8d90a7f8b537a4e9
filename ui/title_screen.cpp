#include "ui/title_screen.h"

#include <cmath>

#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr float kPanelWidth = 460.0f;
constexpr uint32_t kKickBoxFill = 0xeb16143a;

bool IsEmpty(const char* text)
{
    return text == nullptr || text[0] == '\0';
}

// The title breathes between a pale blue-white and a soft green while it grows and shrinks by
// 0.14, staying centred on its line.
void DrawPulsingTitle(ui::Context& ctx, float cx, float centreY, double time)
{
    const double p = std::sin(1.5 * time);
    const auto r = static_cast<uint32_t>(178.15 - 47.85 * p);
    const auto g = static_cast<uint32_t>(226.225 - 5.775 * p);
    const auto b = static_cast<uint32_t>(199.3 - 40.7 * p);
    const uint32_t colour = 0xff000000u | (b << 16) | (g << 8) | r;
    const auto scale = static_cast<float>(5.14 + 0.14 * p);
    ctx.LabelCentered(cx, centreY - static_cast<float>(20.56 + 0.56 * p), "ZELL WAR", scale, colour);
}

}  // namespace

int32_t DrawTitleScreen(ui::Context& ctx, const char* joinTarget, const char* accountName, double time,
                        const char* kickReason)
{
    const bool signedIn = !IsEmpty(accountName);
    const bool join = !IsEmpty(joinTarget);
    const float panelHeight = 366.0f + (join ? 86.0f : 0.0f) + (signedIn ? 56.0f : 0.0f);
    const float px = (static_cast<float>(ctx.batch.width) - kPanelWidth) / 2.0f;
    const float py = (static_cast<float>(ctx.batch.height) - panelHeight) / 2.0f;
    const float cx = px + kPanelWidth / 2.0f;

    ctx.DimScreen();
    ctx.Panel(px, py, kPanelWidth, panelHeight);

    if (kickReason != nullptr) {
        ctx.batch.FillRect(px, py - 64.0f, kPanelWidth, 52.0f, kKickBoxFill);
        ctx.batch.StrokeRect(px, py - 64.0f, kPanelWidth, 52.0f, 1.0f, kRed);
        ctx.LabelCentered(cx, py - 52.0f, "YOU HAVE BEEN KICKED", 1.5f, kRed);
        if (kickReason[0] != '\0') {
            ctx.LabelCentered(cx, py - 32.0f, kickReason, 1.25f, kWhite);
        }
    }

    DrawPulsingTitle(ctx, cx, py + 60.0f, time);
    ctx.LabelCentered(cx, py + 92.0f, "third person shooter", 1.5f, kGrey);
    if (signedIn) {
        ctx.LabelCentered(cx, py + 112.0f, accountName, 1.5f, kGreen);
    }

    const float left = px + 80.0f;
    float y = py + 140.0f;
    bool joinClicked = false;
    if (join) {
        joinClicked = ctx.Button(13, left, y, 300.0f, 52.0f, "JOIN SERVER", true, kGreen, 2.0f);
        ctx.LabelCentered(cx, py + 198.0f, joinTarget, 1.25f, kGrey);
        y = py + 226.0f;
    }
    const bool multiplayerClicked = ctx.Button(11, left, y, 300.0f, 52.0f, "MULTIPLAYER", true, kStandardFill, 2.0f);
    ctx.LabelCentered(cx, y + 58.0f, "host it on this machine instead", 1.25f, kGrey);
    y += 86.0f;
    const bool loadoutClicked = ctx.Button(14, left, y, 145.0f, 44.0f, "LOADOUT", true, kStandardFill, 2.0f);
    const bool shopClicked = ctx.Button(16, px + 235.0f, y, 145.0f, 44.0f, "SHOP", signedIn, kStandardFill, 2.0f);
    const float quitY = py + panelHeight - 62.0f - (signedIn ? 56.0f : 0.0f);
    const bool quitClicked = ctx.Button(12, left, quitY, 300.0f, 44.0f, "QUIT", true, kRed, 2.0f);
    bool signOutClicked = false;
    if (signedIn) {
        signOutClicked =
            ctx.Button(15, left, py + panelHeight - 62.0f, 300.0f, 44.0f, "SIGN OUT", true, kStandardFill, 2.0f);
    }

    if (signOutClicked) {
        return kTitleSignOut;
    }
    if (quitClicked) {
        return kTitleQuit;
    }
    if (shopClicked) {
        return kTitleShop;
    }
    if (loadoutClicked) {
        return kTitleLoadout;
    }
    if (multiplayerClicked) {
        return kTitleMultiplayer;
    }
    if (joinClicked) {
        return kTitleJoinServer;
    }
    return kTitleNothing;
}

}  // namespace menu

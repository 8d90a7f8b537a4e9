#include "ui/vault_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "render/ui_renderer.h"
#include "ui/menu_palette.h"
#include "ui/title_block.h"
#include "ui/ui_context.h"
#include "ui/vault_settings.h"

namespace menu {

namespace {

constexpr uint32_t kGold = 0xff5ad6ff;
constexpr uint32_t kHeaderBand = 0xbe100c0a;
constexpr uint32_t kFooterBand = 0xaa100c0a;
constexpr uint32_t kOfferCard = 0xff2e221e;

constexpr uint32_t kFirstOfferId = 420;
constexpr uint32_t kMainMenuId = 430;
// Ids 420..429 belong to the cards; a tenth card would take MAIN MENU's.
constexpr size_t kMostOffers = kMainMenuId - kFirstOfferId;
constexpr uint32_t kDestroyAllId = 450;
constexpr uint32_t kDeleteId = 451;
constexpr uint32_t kMoveId = 452;
constexpr uint32_t kCancelId = 460;
constexpr uint32_t kConfirmId = 461;

const char* const kDefaultRarityNames[4] = {"COMMON", "RARE", "LEGENDARY", "OMEGA"};

float Measure(const std::string& text, float scale) { return render::UiRenderer::MeasureText(text.c_str(), scale); }

void LabelRight(ui::Context& ctx, float right, float y, const std::string& text, float scale, uint32_t colour)
{
    ctx.Label(right - Measure(text, scale), y, text.c_str(), scale, colour);
}

std::string Format(const char* format, int32_t value)
{
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

const char* RarityName(const VaultScreenView& view, int32_t rarity)
{
    const char* const* names = view.rarityNames != nullptr ? view.rarityNames : kDefaultRarityNames;
    const char* name = names[vault::ClampRarity(rarity)];
    return name != nullptr ? name : "";
}

// The largest of 2.25, 2.0, 1.75, 1.5 at which the label fits, else 1.25.
float OfferLabelScale(const std::string& label, float room)
{
    for (float scale = 2.25f; scale >= 1.5f; scale -= 0.25f) {
        if (Measure(label, scale) <= room) return scale;
    }
    return 1.25f;
}

}  // namespace

VaultLayout VaultPanelLayout(float width, float height)
{
    VaultLayout layout;
    layout.panelWidth = std::min(width * 0.34f, 460.0f);
    layout.panelHeight = std::min(height - 48.0f, 820.0f);
    layout.panelX = width - layout.panelWidth - 24.0f;
    layout.panelY = (height - layout.panelHeight) / 2.0f;
    layout.viewportX = 24.0f;
    layout.viewportY = layout.panelY;
    layout.viewportWidth = std::max(width - layout.panelWidth - 72.0f, 64.0f);
    layout.viewportHeight = layout.panelHeight;
    return layout;
}

uint32_t RarityColour(const vault::VaultSettings& settings, int32_t rarity)
{
    const glm::vec3& c = vault::RarityColourOf(settings, rarity);
    const auto channel = [](float value) { return uint32_t(std::clamp(value, 0.0f, 1.0f) * 255.0f); };
    return 0xff000000u | channel(c.b) << 16 | channel(c.g) << 8 | channel(c.r);
}

uint32_t DrawVaultScreen(ui::Context& ctx, const vault::VaultSettings& settings, const VaultScreenView& view,
                         std::string& chosenOffer)
{
    uint32_t action = kVaultNothing;
    const float W = float(ctx.batch.width);
    const float H = float(ctx.batch.height);
    const VaultLayout L = VaultPanelLayout(W, H);
    const float VX = L.viewportX, VY = L.viewportY, VW = L.viewportWidth, VH = L.viewportHeight;
    const float PX = L.panelX, PY = L.panelY, PW = L.panelWidth, PH = L.panelHeight;
    const bool open = view.confirmation != kConfirmNone;
    const bool vaultFull = view.vaultCount >= view.vaultCapacity;
    const bool calm = !open && !view.busy;  // buttons that change the vault may be used

    // The scene's frame.
    ctx.batch.StrokeRect(VX - 2.0f, VY - 2.0f, VW + 4.0f, VH + 4.0f, 2.0f, kGreen);
    ctx.batch.FillRect(VX, VY, VW, 44.0f, kHeaderBand);
    ctx.Label(VX + 16.0f, VY + 10.0f, "VAULT", 2.5f, kWhite);
    char count[48];
    std::snprintf(count, sizeof count, "%d / %d", view.vaultCount, view.vaultCapacity);
    const float countWidth = Measure(count, 2.0f);
    ctx.Label(VX + VW - 16.0f - countWidth, VY + 13.0f, count, 2.0f, vaultFull ? kRed : kGrey);
    if (ctx.Button(kDestroyAllId, VX + VW - 182.0f - countWidth, VY + 7.0f, 150.0f, 30.0f, "DESTROY ALL",
                   view.vaultCount > 0 && calm, kRed, 1.5f)) {
        action = kVaultDestroyAll;
    }

    ctx.batch.FillRect(VX, VY + VH - 36.0f, VW, 36.0f, kFooterBand);
    const int32_t picked = int32_t(view.picked.size());
    if (picked > 0) {
        const std::string del = Format("DELETE (%d)", picked);
        if (ctx.Button(kDeleteId, VX + VW - 148.0f, VY + VH - 32.0f, 140.0f, 28.0f, del.c_str(), calm, kRed, 1.25f)) {
            action = kVaultDelete;
        }
        if (ctx.Button(kMoveId, VX + VW - 266.0f, VY + VH - 32.0f, 110.0f, 28.0f, "MOVE", calm, kGreen, 1.25f)) {
            action = kVaultMove;
        }
        const char* hint = "ENTER MOVES THEM TO YOUR INVENTORY  -  SHIFT+CLICK ADDS MORE";
        if (VX + 16.0f + Measure(hint, 1.5f) < VX + VW - 274.0f) ctx.Label(VX + 16.0f, VY + VH - 26.0f, hint, 1.5f, kGrey);
    } else {
        const char* hint = "CLICK TO SELECT  -  SHIFT+CLICK FOR SEVERAL  -  HOLD AND DRAG TO THROW";
        const float width = Measure(hint, 1.5f);
        const float x = VX + (VW - width) / 2.0f;
        if (x + width < VX + VW - 8.0f) ctx.Label(x, VY + VH - 26.0f, hint, 1.5f, kGrey);
    }

    // The panel.
    ctx.Panel(PX, PY, PW, PH);
    DrawTitleBlock(ctx, PX, PY + 22.0f, PW, "SHOP", view.demo ? "demo -- nothing here is real" : "spend what you have earned");
    ctx.Label(PX + 24.0f, PY + 94.0f, "COINS", 1.5f, kGrey);
    LabelRight(ctx, PX + PW - 24.0f, PY + 88.0f, Format("%d", view.coins), 3.0f, kGold);
    const float column = PW - 48.0f;
    float y = PY + 132.0f;

    if (!view.signedIn && !view.demo) {
        ctx.Label(PX + 24.0f, y, "SIGN IN TO USE THE SHOP", 1.5f, kWhite);
        y = PY + 162.0f;
    } else if (!view.shopReady) {
        ctx.Label(PX + 24.0f, y, "OPENING THE SHOP...", 1.5f, kGrey);
        y = PY + 162.0f;
    }

    // Odds.
    ctx.Label(PX + 24.0f, y, "ODDS", 1.5f, kGrey);
    int64_t total = 0;
    for (int32_t n : view.rarityCounts) total += n;
    for (int32_t r = 0; r < 4; ++r) {
        const float cellX = PX + 24.0f + float(r % 2) * column / 2.0f;
        const float row = float(r / 2);
        const uint32_t colour = RarityColour(settings, r);
        ctx.batch.FillRect(cellX, y + 25.0f + 22.0f * row, 12.0f, 12.0f, colour);
        ctx.Label(cellX + 20.0f, y + 22.0f + 22.0f * row, RarityName(view, r), 1.5f, colour);
        const std::string odds =
            total < 1 ? std::string("--")
                      : Format("%d%%", int32_t(std::lround(double(view.rarityCounts[r]) * 100.0 / double(total))));
        LabelRight(ctx, cellX + column / 2.0f - 16.0f, y + 22.0f + 22.0f * row, odds, 1.5f, kGrey);
    }
    y += 80.0f;

    // Offers.
    const bool mayShop = (view.signedIn && view.shopReady) || view.demo;
    const uint32_t omega = RarityColour(settings, 3) & 0x00ffffffu;
    const float mainMenuTop = PY + PH - 60.0f;
    for (size_t i = 0; i < view.offers.size() && i < kMostOffers; ++i) {
        if (y + 84.0f > mainMenuTop) break;
        const VaultOffer& offer = view.offers[i];
        const double pulse = 140.0 + 50.0 * std::sin(double(i) + view.time * 2.2);
        const uint32_t alpha = uint32_t(std::clamp(pulse, 0.0, 255.0));
        ctx.batch.FillRect(PX + 24.0f, y, column, 84.0f, kOfferCard);
        ctx.batch.StrokeRect(PX + 24.0f, y, column, 84.0f, 2.0f, omega | alpha << 24);
        ctx.Label(PX + 38.0f, y + 16.0f, offer.label.c_str(), OfferLabelScale(offer.label, PW - 220.0f), kWhite);

        const bool afford = view.coins >= offer.price;
        const std::string buy = view.busy ? std::string("...") : Format("BUY %d", offer.price);
        if (ctx.Button(kFirstOfferId + uint32_t(i), PX + PW - 168.0f, y + 19.0f, 132.0f, 46.0f, buy.c_str(),
                       mayShop && !vaultFull && afford && calm, kGreen, 1.75f)) {
            action = kVaultBuy;
            chosenOffer = offer.id;
        }
        if (mayShop && vaultFull) {
            ctx.Label(PX + 38.0f, y + 50.0f, "YOUR VAULT IS FULL", 1.25f, kRed);
        } else if (mayShop && !afford) {
            ctx.Label(PX + 38.0f, y + 50.0f, "NOT ENOUGH COINS", 1.25f, kRed);
        } else if (!mayShop) {
            char line[160];
            std::snprintf(line, sizeof line, "A RANDOM %s ACCESSORY", offer.slotWord.c_str());
            ctx.Label(PX + 38.0f, y + 50.0f, line, 1.25f, kGrey);
        }
        y += 94.0f;
    }

    // Status line.
    if (!view.status.text.empty()) {
        const uint32_t colour = view.status.error         ? kRed
                                : view.status.rarity >= 0 ? RarityColour(settings, view.status.rarity)
                                                          : kWhite;
        ctx.Label(PX + 24.0f, y + 8.0f, view.status.text.c_str(), 1.5f, colour);
        y += 40.0f;
    } else {
        y += 8.0f;
    }

    // Picked items.
    if (picked > 0) {
        int32_t highest = 0;
        for (const VaultPick& pick : view.picked) highest = std::max(highest, vault::ClampRarity(pick.rarity));
        ctx.batch.FillRect(PX + 24.0f, y, column, 2.0f, RarityColour(settings, highest));
        if (picked == 1) {
            const VaultPick& pick = view.picked[0];
            const uint32_t colour = RarityColour(settings, pick.rarity);
            ctx.Label(PX + 24.0f, y + 12.0f, pick.name.c_str(), 2.5f, colour);
            ctx.Label(PX + 24.0f, y + 44.0f, RarityName(view, pick.rarity), 1.5f, colour);
            y += 70.0f;
        } else {
            ctx.Label(PX + 24.0f, y + 12.0f, Format("%d ITEMS PICKED", picked).c_str(), 2.0f, kWhite);
            y += 40.0f;
            for (int32_t i = 0; i < std::min(picked, 3); ++i) {
                const VaultPick& pick = view.picked[size_t(i)];
                ctx.Label(PX + 24.0f, y, pick.name.c_str(), 1.5f, RarityColour(settings, pick.rarity));
                y += 20.0f;
            }
            if (picked > 3) {
                ctx.Label(PX + 24.0f, y, Format("AND %d MORE", picked - 3).c_str(), 1.25f, kGrey);
                y += 20.0f;
            }
            y += 6.0f;
        }
        if (view.inventoryCount >= view.inventoryCapacity) {
            ctx.Label(PX + 24.0f, y, "YOUR INVENTORY IS FULL", 1.25f, kRed);
        } else {
            char line[64];
            std::snprintf(line, sizeof line, "INVENTORY  %d / %d", view.inventoryCount, view.inventoryCapacity);
            ctx.Label(PX + 24.0f, y, line, 1.25f, kGrey);
        }
    }

    if (ctx.Button(kMainMenuId, PX + (PW - 200.0f) / 2.0f, PY + PH - 60.0f, 200.0f, 40.0f, "MAIN MENU", !open,
                   kStandardFill, 2.0f)) {
        action = kVaultMainMenu;
    }

    if (open) {
        ctx.DimScreen();
        const float dx = (W - 680.0f) / 2.0f;
        const float dy = (H - 210.0f) / 2.0f;
        ctx.Panel(dx, dy, 680.0f, 210.0f);
        ctx.batch.StrokeRect(dx - 2.0f, dy - 2.0f, 684.0f, 214.0f, 2.0f, kRed);
        const bool all = view.confirmation == kConfirmDestroyAll;
        const int32_t n = all ? view.vaultCount : picked;
        const char* plural = n == 1 ? "" : "S";
        char title[64];
        char warning[96];
        if (all) {
            std::snprintf(title, sizeof title, "DESTROY EVERYTHING?");
            std::snprintf(warning, sizeof warning, "ALL %d ITEM%s IN YOUR VAULT WILL BE GONE FOR GOOD", n, plural);
        } else {
            std::snprintf(title, sizeof title, "DELETE %d ITEM%s?", n, plural);
            std::snprintf(warning, sizeof warning, "%s WILL BE GONE FOR GOOD", n == 1 ? "IT" : "THEY");
        }
        ctx.LabelCentered(dx + 340.0f, dy + 28.0f, title, 3.0f, kRed);
        ctx.LabelCentered(dx + 340.0f, dy + 80.0f, warning, 1.5f, kWhite);
        ctx.LabelCentered(dx + 340.0f, dy + 104.0f, "THIS CANNOT BE UNDONE", 1.25f, kGrey);
        if (ctx.Button(kCancelId, dx + 128.0f, dy + 146.0f, 200.0f, 44.0f, "CANCEL", true, kStandardFill, 2.0f)) {
            action = kVaultCancel;
        }
        if (ctx.Button(kConfirmId, dx + 352.0f, dy + 146.0f, 200.0f, 44.0f, all ? "DESTROY" : "DELETE", true, kRed,
                       2.0f)) {
            action = kVaultConfirm;
        }
    }
    return action;
}

}  // namespace menu

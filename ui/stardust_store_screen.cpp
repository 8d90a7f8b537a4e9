#include "ui/stardust_store_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/format_price.h"
#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr uint32_t kStoreOutline = 0xffff7896;
constexpr uint32_t kStardustFill = 0xff823446;
constexpr uint32_t kIconTint = 0xffffc79e;
constexpr uint32_t kCardFill = 0xff321e20;
constexpr uint32_t kCardHover = 0xff46282c;
constexpr uint32_t kBonusStrip = 0xff2896c8;
constexpr uint32_t kBonusText = 0xff081014;
constexpr uint32_t kBadgeText = 0xff14100c;
constexpr float kCardGap = 14.0f;
constexpr float kMinCardWidth = 100.0f;

enum WidgetId : uint32_t {
    kOpenPageAgainButton = 560,
    kStopWaitingButton = 561,
    kCancelBuyButton = 562,
    kBuySkinButton = 563,
    kGetStardustButton = 564,
    kCancelShortButton = 565,
    kAllBundlesButton = 566,
    kCloseButton = 567,
    kFirstBundleButton = 570,
};

bool IsBundle(const StoreView& view, int32_t index)
{
    return index >= 0 && size_t(index) < view.bundles.size();
}

uint32_t WithAlpha(uint32_t rgb, float alpha)
{
    const auto a = uint32_t(std::clamp(alpha, 0.0f, 255.0f));
    return (rgb & 0x00ffffffu) | a << 24;
}

// "+N STARDUST" pops in after a payment and fades out over the fourth second.
void DrawPaymentBanner(ui::Context& ctx, const StoreView& view, float px, float top, float width)
{
    if (view.granted <= 0 || !(view.sincePaid >= 0.0f && view.sincePaid < 4.0f)) return;
    const float a = std::min(1.0f, 4.0f - view.sincePaid);
    const float bandY = top - 52.0f;
    ctx.batch.FillRect(px, bandY, width, 44.0f, WithAlpha(0x823446, a * 230.0f));
    const float scale = 2.5f + 0.375f * std::max(0.0f, 1.0f - 3.0f * view.sincePaid);
    char text[48];
    std::snprintf(text, sizeof text, "+%d STARDUST", view.granted);
    ctx.LabelCentered(px + width / 2.0f, bandY + (44.0f - 8.0f * scale) / 2.0f, text, scale,
                      WithAlpha(0xf0e8e2, a * 255.0f));
}

StoreResult DrawWaitingFace(ui::Context& ctx, float centre, float top, float height, double time)
{
    ctx.LabelCentered(centre, top + 30.0f, "FINISH PAYING IN YOUR BROWSER", 2.5f, kWhite);
    static const char* const kDots[4] = {"", ".", "..", "..."};
    char line[48];
    std::snprintf(line, sizeof line, "WAITING FOR STRIPE%s", kDots[int64_t(std::max(0.0, 2.0 * time)) % 4]);
    ctx.LabelCentered(centre, top + 86.0f, line, 1.75f, kWhite);
    ctx.LabelCentered(centre, top + 124.0f, "STARDUST ARRIVES HERE ONCE THE PAYMENT GOES THROUGH", 1.25f, kWhite);
    ctx.LabelCentered(centre, top + 146.0f, "YOU CAN CLOSE THIS -- IT WILL STILL ARRIVE", 1.25f, kWhite);
    StoreResult result;
    const float y = top + height - 70.0f;
    if (ctx.Button(kOpenPageAgainButton, centre - 252.0f, y, 240.0f, 44.0f, "OPEN THE PAGE AGAIN", true,
                   kStandardFill, 1.5f)) {
        result.action = kStoreOpenPageAgain;
    }
    if (ctx.Button(kStopWaitingButton, centre + 12.0f, y, 240.0f, 44.0f, "STOP WAITING", true, kStandardFill, 1.5f)) {
        result.action = kStoreStopWaiting;
    }
    return result;
}

void DrawMessage(ui::Context& ctx, const StoreView& view, float centre, float y)
{
    if (!view.message.empty()) ctx.LabelCentered(centre, y, view.message.c_str(), 1.25f, view.failed ? kRed : kGreen);
}

StoreResult DrawSkinFace(ui::Context& ctx, const StoreView& view, float centre, float top, float height, double time)
{
    StoreResult result;
    char line[96];
    ctx.LabelCentered(centre, top + 26.0f, view.skinTitle.c_str(), 3.0f, kWhite);
    std::snprintf(line, sizeof line, "FOR THE %s SUIT", view.suitTitle.c_str());
    ctx.LabelCentered(centre, top + 66.0f, line, 1.5f, kGrey);
    DrawPriceTag(ctx, view.icon, centre, top + 108.0f, view.price, 3.0f, kStoreOutline, time);
    std::snprintf(line, sizeof line, "YOU HAVE %d STARDUST", view.stardust);
    ctx.LabelCentered(centre, top + 156.0f, line, 1.5f, kGrey);

    const float buttonY = top + height - 70.0f;
    if (view.stardust < view.price) {
        std::snprintf(line, sizeof line, "YOU NEED %d MORE", view.price - view.stardust);
        ctx.LabelCentered(centre, top + 184.0f, line, 1.75f, kRed);
        if (IsBundle(view, view.suggested)) {
            const net::StoreBundle& bundle = view.bundles[size_t(view.suggested)];
            std::snprintf(line, sizeof line, "GET %d STARDUST  -  %s", bundle.stardust,
                          FormatPrice(bundle.cents).c_str());
            if (ctx.Button(kGetStardustButton, centre - 230.0f, top + 218.0f, 460.0f, 48.0f, line,
                           view.storeEnabled && !view.busy, kStardustFill, 1.75f)) {
                result = {kStoreBuyBundle, bundle.id};
            }
        }
        if (!view.storeEnabled) ctx.LabelCentered(centre, top + 274.0f, "THE STORE IS NOT OPEN YET", 1.25f, kGrey);
        if (ctx.Button(kCancelShortButton, centre - 232.0f, buttonY, 220.0f, 44.0f, "CANCEL", true, kStandardFill,
                       2.0f)) {
            result = {kStoreClose, {}};
        }
        if (ctx.Button(kAllBundlesButton, centre + 12.0f, buttonY, 220.0f, 44.0f, "ALL BUNDLES", true, kStandardFill,
                       1.75f)) {
            result = {kStoreAllBundles, {}};
        }
    } else {
        if (ctx.Button(kCancelBuyButton, centre - 232.0f, buttonY, 220.0f, 44.0f, "CANCEL", true, kStandardFill,
                       2.0f)) {
            result = {kStoreClose, {}};
        }
        std::snprintf(line, sizeof line, "BUY FOR %d", view.price);
        if (ctx.Button(kBuySkinButton, centre + 12.0f, buttonY, 220.0f, 44.0f, line, !view.busy, kGreen, 2.0f)) {
            result = {kStoreBuySkin, {}};
        }
    }
    DrawMessage(ctx, view, centre, top + height - 100.0f);
    return result;
}

StoreResult DrawBundleFace(ui::Context& ctx, const StoreView& view, float centre, float top, float width,
                           float height, double time)
{
    StoreResult result;
    char line[64];
    ctx.LabelCentered(centre, top + 24.0f, "GET STARDUST", 3.0f, kWhite);
    std::snprintf(line, sizeof line, "YOU HAVE %d", view.stardust);
    ctx.LabelCentered(centre, top + 64.0f, line, 1.5f, kGrey);

    // Only as many cards as stay at least 100 pixels wide; the rest are not offered here.
    const auto fitting = int32_t(std::floor((width - 48.0f + kCardGap) / (kMinCardWidth + kCardGap)));
    const int32_t n = std::min(int32_t(view.bundles.size()), std::max(fitting, 0));
    if (n > 0) {
        const float c = std::min(170.0f, (width - 48.0f - float(n - 1) * kCardGap) / float(n));
        float x = centre - (float(n) * c + float(n - 1) * kCardGap) / 2.0f;
        for (int32_t i = 0; i < n; ++i, x += c + kCardGap) {
            const net::StoreBundle& bundle = view.bundles[size_t(i)];
            const float cardTop = top + 104.0f;
            const bool suggested = i == view.suggested;
            ctx.batch.FillRect(x, cardTop, c, 300.0f, ctx.MouseIn(x, cardTop, c, 300.0f) ? kCardHover : kCardFill);
            if (suggested) {
                ctx.batch.StrokeRect(x, cardTop, c, 300.0f, 3.0f, kStoreOutline);
                const float badge = render::UiRenderer::MeasureText("ENOUGH", 1.25f) + 16.0f;
                ctx.batch.FillRect(x + (c - badge) / 2.0f, top + 93.0f, badge, 22.0f, kStoreOutline);
                ctx.LabelCentered(x + c / 2.0f, top + 99.0f, "ENOUGH", 1.25f, kBadgeText);
            } else {
                ctx.batch.StrokeRect(x, cardTop, c, 300.0f, 1.0f, ui::kOutline);
            }

            // A bigger bundle shows a bigger heap: one more bobbing icon per card, up to five.
            const int32_t m = std::min(i, 4);
            for (int32_t k = 0; k <= m; ++k) {
                const float ix = x + c / 2.0f + (float(k) - float(m) / 2.0f) * 17.1f - 19.0f;
                float iy = top + 148.0f + 2.0f * float(std::sin(2.0 * time + double(k)));
                if (k % 2 == 1) iy -= 10.0f;
                DrawStardustIcon(ctx, view.icon, ix, iy, 38.0f, time + 0.13 * double(k));
            }

            std::snprintf(line, sizeof line, "%d", bundle.stardust);
            ctx.LabelCentered(x + c / 2.0f, top + 216.0f, line, 3.0f, kWhite);
            ctx.LabelCentered(x + c / 2.0f, top + 248.0f, "STARDUST", 1.25f, kGrey);
            if (bundle.bonusPercent > 0) {
                std::snprintf(line, sizeof line, "+%d%% BONUS", bundle.bonusPercent);
                const float strip = render::UiRenderer::MeasureText(line, 1.25f) + 14.0f;
                ctx.batch.FillRect(x + (c - strip) / 2.0f, top + 276.0f, strip, 22.0f, kBonusStrip);
                ctx.LabelCentered(x + c / 2.0f, top + 282.0f, line, 1.25f, kBonusText);
            }
            if (ctx.Button(kFirstBundleButton + uint32_t(i), x + 12.0f, top + 344.0f, c - 24.0f, 44.0f,
                           FormatPrice(bundle.cents).c_str(), view.storeEnabled && !view.busy, kStardustFill, 2.0f)) {
                result = {kStoreBuyBundle, bundle.id};
            }
        }
    }

    ctx.LabelCentered(centre, top + height - 92.0f,
                      view.storeEnabled ? "PAYMENTS ARE HANDLED BY STRIPE, IN YOUR BROWSER"
                                        : "THE STORE IS NOT OPEN YET",
                      1.25f, kGrey);
    DrawMessage(ctx, view, centre, top + height - 112.0f);
    if (ctx.Button(kCloseButton, centre - 100.0f, top + height - 62.0f, 200.0f, 44.0f, "CLOSE", true, kStandardFill,
                   2.0f)) {
        result = {kStoreClose, {}};
    }
    return result;
}

}  // namespace

int32_t SuggestBundle(const std::vector<net::StoreBundle>& bundles, int32_t price, int32_t stardust)
{
    const int64_t shortfall = int64_t(price) - int64_t(stardust);
    if (shortfall <= 0 || bundles.empty()) return -1;
    int32_t covering = -1;
    int32_t largest = 0;
    for (size_t i = 0; i < bundles.size(); ++i) {
        const int32_t amount = bundles[i].stardust;
        if (amount >= shortfall && (covering < 0 || amount < bundles[size_t(covering)].stardust)) {
            covering = int32_t(i);
        }
        if (amount > bundles[size_t(largest)].stardust) largest = int32_t(i);
    }
    return covering >= 0 ? covering : largest;
}

void DrawStardustIcon(ui::Context& ctx, const StardustIcon& icon, float x, float y, float size, double time)
{
    if (icon.texture == 0) return;
    const int64_t frames = std::max(1, icon.frames);
    int64_t frame = int64_t(std::floor(time * double(icon.fps))) % frames;
    if (frame < 0) frame += frames;
    ctx.batch.BeginSheet(icon.texture, icon.columns, icon.rows, icon.cellWidth * icon.columns,
                         icon.cellHeight * icon.rows);
    ctx.batch.SetOutline(icon.outline);
    ctx.batch.DrawSheetCell(x, y, size, size, int32_t(frame), icon.row, kIconTint);
}

void DrawPriceTag(ui::Context& ctx, const StardustIcon& icon, float cx, float y, int32_t amount, float scale,
                  uint32_t colour, double time)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", amount);
    const float iconSize = scale * 11.2f;
    const float groupWidth = iconSize + 8.0f + render::UiRenderer::MeasureText(text, scale);
    const float left = cx - groupWidth / 2.0f;
    DrawStardustIcon(ctx, icon, left, y - (scale * 5.6f - scale * 4.0f), iconSize, time);
    ctx.Label(left + iconSize + 8.0f, y, text, scale, colour);
}

StoreResult DrawStardustStore(ui::Context& ctx, const StoreView& view, double time)
{
    const float windowWidth = float(ctx.batch.width);
    const float windowHeight = float(ctx.batch.height);
    const bool skinFace = view.mode == kStoreSkinOffer;
    float width = 640.0f;
    float height = 300.0f;
    if (!view.waiting && skinFace) {
        height = 390.0f;
    } else if (!view.waiting) {
        width = std::min(960.0f, windowWidth - 32.0f);
        height = 520.0f;
    }
    const float top = (windowHeight - height) / 2.0f;
    const float centre = windowWidth / 2.0f;
    const float px = centre - width / 2.0f;

    ctx.DimScreen();
    ctx.Panel(px, top, width, height);
    ctx.batch.StrokeRect(px, top, width, height, 2.0f, kStoreOutline);
    DrawPaymentBanner(ctx, view, px, top, width);

    if (view.waiting) return DrawWaitingFace(ctx, centre, top, height, time);
    if (skinFace) return DrawSkinFace(ctx, view, centre, top, height, time);
    return DrawBundleFace(ctx, view, centre, top, width, height, time);
}

}  // namespace menu

#pragma once
// The stardust store: a modal panel over the current screen with three faces: the bundles of
// stardust sold for money (paid in the player's browser), one skin offered for stardust, and the
// wait for a browser payment. It keeps nothing between frames: the caller fills the view from the
// store's state, the account and the locker every frame and carries out the action it returns.
#include <cstdint>
#include <string>
#include <vector>

#include "online/account_records.h"

namespace ui {
struct Context;
}

namespace menu {

// The store state's modes: the panel's faces when no payment is waited for.
enum StoreMode : int32_t {
    kStoreBundles = 0,
    kStoreSkinOffer = 1,
};

// The animated stardust sprite: a run of cells along one row of a sheet.
struct StardustIcon {
    uint32_t texture = 0;
    int32_t columns = 1, rows = 1;
    int32_t cellWidth = 1, cellHeight = 1;
    int32_t row = 0;
    int32_t frames = 1;
    float fps = 0.0f;
    float outline = 0.0f;
};

struct StoreView {
    int32_t mode = 0;  // 1 the skin offer, anything else the bundles
    bool storeEnabled = false;
    bool busy = false;     // a store request is pending
    bool waiting = false;  // a browser payment is being waited for
    int32_t stardust = 0;
    std::vector<net::StoreBundle> bundles;  // in the service's order
    int32_t suggested = -1;  // the bundle to suggest when the skin is too dear; out of range: none
    std::string skinTitle;
    std::string suitTitle;
    int32_t price = 0;  // the skin's, in stardust
    int32_t granted = 0;  // stardust of the last paid order
    float sincePaid = -1.0f;  // seconds since the last payment; -1 none
    std::string message;
    bool failed = false;
    StardustIcon icon;
};

enum StoreAction : int32_t {
    kStoreNothing = 0,
    kStoreClose = 1,
    kStoreBuyBundle = 2,  // with the bundle's id
    kStoreBuySkin = 3,
    kStoreAllBundles = 4,
    kStoreOpenPageAgain = 5,
    kStoreStopWaiting = 6,
};

struct StoreResult {
    int32_t action = kStoreNothing;
    std::string bundleId;
};

// One frame of the panel; `time` is the UI clock in seconds (animations).
StoreResult DrawStardustStore(ui::Context& ctx, const StoreView& view, double time);

// The bundle to suggest for a skin of `price` when the balance falls short: the smallest that
// covers the shortfall (the first of equals), else the largest (the first of equals); -1 when
// nothing is short or there are no bundles.
int32_t SuggestBundle(const std::vector<net::StoreBundle>& bundles, int32_t price, int32_t stardust);

// The icon's frame for `time` at (x, y), size x size, tinted; nothing without a texture.
void DrawStardustIcon(ui::Context& ctx, const StardustIcon& icon, float x, float y, float size, double time);

// The icon, 8 pixels, then "%d" of `amount`, the group centred on `cx`; the text's top at `y`.
void DrawPriceTag(ui::Context& ctx, const StardustIcon& icon, float cx, float y, int32_t amount, float scale,
                  uint32_t colour, double time);

}  // namespace menu

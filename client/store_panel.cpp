#include "client/store_panel.h"

#include "client/client_app.h"
#include "online/open_in_browser.h"
#include "ui/stardust_store_screen.h"
#include "ui/store_view.h"

namespace {

// The stardust sprite of the drops' sheet: its row of frames.
menu::StardustIcon StardustIconOf(const ClientApp& app)
{
    const SpriteSheet& sheet = app.resourcesSheet;
    const tune::MatchTuning& match = tune::g_tuning.match;
    const tune::DropTuning& drops = match.drops;
    menu::StardustIcon icon;
    icon.texture = sheet.texture;
    icon.columns = sheet.columns;
    icon.rows = sheet.rows;
    icon.cellWidth = sheet.textureWidth / (sheet.columns > 0 ? sheet.columns : 1);
    icon.cellHeight = sheet.textureHeight / (sheet.rows > 0 ? sheet.rows : 1);
    icon.row = drops.stardustRow;
    icon.frames = drops.stardustFrames;
    icon.fps = match.pickups.framesPerSecond;
    icon.outline = sheet.outline;
    return icon;
}

}  // namespace

void SuspendUnderStorePanel(ClientApp& app)
{
    net::StoreState& store = app.store;
    if (!store.open) return;
    const bool underPanel = !app.loop.playing && (app.join.screen == Screen::Title || app.join.screen == Screen::Loadout);
    if (!underPanel) {
        store.open = false;
        return;
    }
    app.ui.SetTextEntry(true);
}

void RunStorePanel(ClientApp& app, double now)
{
    net::StoreState& store = app.store;
    if (!store.open) return;
    app.ui.SetTextEntry(false);
    app.ui.batch.Flush();
    const tune::ArmorTuning& armour = tune::g_tuning.Armor(app.loadout.armour);
    menu::StoreView view = menu::BuildStoreView(store, app.account, app.skins.catalogue, armour, app.ownEverything, now);
    view.icon = StardustIconOf(app);
    const menu::StoreResult result = menu::DrawStardustStore(app.ui, view, now);
    switch (result.action) {
    case menu::kStoreClose:
        store.open = false;
        break;
    case menu::kStoreBuyBundle:
        store.message.clear();
        app.account.StartCheckout(result.bundleId);
        break;
    case menu::kStoreBuySkin:
        store.message.clear();
        app.account.BuySkin(store.skin, armour.id);
        break;
    case menu::kStoreAllBundles:
        store.mode = menu::kStoreBundles;
        break;
    case menu::kStoreOpenPageAgain:
        if (!net::OpenInBrowser(store.url)) {
            store.message = "Your browser could not be opened.";
            store.failed = true;
        }
        break;
    case menu::kStoreStopWaiting:
        store.waiting = false;
        break;
    default:
        break;
    }
}

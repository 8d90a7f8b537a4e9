#include "ui/store_view.h"

#include "game/tuning.h"
#include "online/account_client.h"
#include "ui/skin_ownership.h"

namespace menu {

StoreView BuildStoreView(net::StoreState& state, const net::AccountClient& client, const SkinCatalogue& skins,
                         const tune::ArmorTuning& armour, bool ownEverything, double now)
{
    const bool signedIn = client.state == net::AccountClient::SignedIn;
    StoreView view;
    view.mode = state.mode;
    view.storeEnabled = client.locker.storeEnabled;
    view.busy = client.storeJobPending;
    view.waiting = state.waiting;
    view.stardust = client.account.stardust;
    view.bundles = client.locker.bundles;
    const int skin = FindSkin(skins, state.skin);
    view.skinTitle = skin >= 0 ? SkinDisplayName(skins, skin) : state.skin;
    view.suitTitle = armour.displayName != nullptr ? armour.displayName : "";
    view.price = StoreSkinPrice(state.skin, armour, client.locker.storeSkins);
    if (state.mode == kStoreSkinOffer &&
        (view.price <= 0 || OwnsSkin(state.skin, armour, signedIn, client.locker.skins, ownEverything))) {
        state.open = false;
    }
    view.suggested = SuggestBundle(view.bundles, view.price, view.stardust);
    view.granted = state.granted;
    view.sincePaid = state.paidAt >= 0.0 ? float(now - state.paidAt) : -1.0f;
    view.message = state.message;
    view.failed = state.failed;
    return view;
}

}  // namespace menu

#pragma once
// The stardust store panel's view for one frame, taken from the store's state and the account
// client's copy of the account and its locker.
#include "game/skin_catalogue.h"
#include "online/store_state.h"
#include "ui/stardust_store_screen.h"

namespace net {
struct AccountClient;
}

namespace tune {
struct ArmorTuning;
}

namespace menu {

// `armour` is the selected suit, `now` the clock of the store's times. A skin offer that the
// store does not sell for that suit, or that is already owned, closes the panel (`state.open`).
// The stardust icon is the caller's to set.
StoreView BuildStoreView(net::StoreState& state, const net::AccountClient& client, const SkinCatalogue& skins,
                         const tune::ArmorTuning& armour, bool ownEverything, double now);

}  // namespace menu

#pragma once
// Which skins the player owns and what the store asks for the others, per suit, and the skins
// screen's list built from them.
#include <cstdint>
#include <string>
#include <vector>

#include "game/skin_catalogue.h"
#include "online/account_records.h"
#include "ui/skins_screen.h"

namespace tune {
struct ArmorTuning;
}

namespace menu {

// The plain suit (an empty name) is always owned. Signed out, `ownEverything` (the options'
// own-all flag) answers; signed in, the account's owned skins must hold "<skin>:<armour id>".
bool OwnsSkin(const std::string& skin, const tune::ArmorTuning& armour, bool signedIn,
              const std::vector<std::string>& ownedSkins, bool ownEverything);

// The stardust price of the store entry named `skin` whose suits hold the armour's id; 0 when
// the store does not sell it for that suit.
int32_t StoreSkinPrice(const std::string& skin, const tune::ArmorTuning& armour,
                       const std::vector<net::StoreSkin>& storeSkins);

// The skins screen's list for one suit: the plain suit first ("STANDARD"), then every skin of
// the catalogue with its ownership and price from the locker.
SuitSkins BuildSuitSkins(const SkinCatalogue& catalogue, const tune::ArmorTuning& armour, bool signedIn,
                         const net::Locker& locker, bool ownEverything);

}  // namespace menu

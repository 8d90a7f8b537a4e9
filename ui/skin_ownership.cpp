#include "ui/skin_ownership.h"

#include <algorithm>

#include "game/tuning.h"

namespace menu {

bool OwnsSkin(const std::string& skin, const tune::ArmorTuning& armour, bool signedIn,
              const std::vector<std::string>& ownedSkins, bool ownEverything)
{
    if (skin.empty()) return true;
    if (!signedIn) return ownEverything;
    const std::string key = skin + ":" + (armour.id != nullptr ? armour.id : "");
    return std::find(ownedSkins.begin(), ownedSkins.end(), key) != ownedSkins.end();
}

int32_t StoreSkinPrice(const std::string& skin, const tune::ArmorTuning& armour,
                       const std::vector<net::StoreSkin>& storeSkins)
{
    const std::string suit = armour.id != nullptr ? armour.id : "";
    for (const net::StoreSkin& entry : storeSkins) {
        if (entry.id == skin && std::find(entry.suits.begin(), entry.suits.end(), suit) != entry.suits.end()) {
            return entry.price;
        }
    }
    return 0;
}

SuitSkins BuildSuitSkins(const SkinCatalogue& catalogue, const tune::ArmorTuning& armour, bool signedIn,
                         const net::Locker& locker, bool ownEverything)
{
    SuitSkins suit;
    suit.suitName = armour.displayName != nullptr ? armour.displayName : "";
    suit.skins.push_back({"", "STANDARD", 1, 0});
    for (size_t i = 0; i < catalogue.names.size(); ++i) {
        const std::string& name = catalogue.names[i];
        const bool owned = OwnsSkin(name, armour, signedIn, locker.skins, ownEverything);
        suit.skins.push_back({name, SkinDisplayName(catalogue, int(i)), uint8_t(owned ? 1 : 0),
                              StoreSkinPrice(name, armour, locker.storeSkins)});
    }
    return suit;
}

}  // namespace menu

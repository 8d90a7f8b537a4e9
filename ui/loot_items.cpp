#include "ui/loot_items.h"

#include "ui/vault_settings.h"

namespace vault {

int32_t RarityFromName(const std::string& name)
{
    if (name == "rare") return 1;
    if (name == "legendary") return 2;
    if (name == "omega") return 3;
    return 0;
}

const char* RarityKey(int32_t rarity)
{
    static const char* const kKeys[kRarityCount] = {"common", "rare", "legendary", "omega"};
    return kKeys[ClampRarity(rarity)];
}

}  // namespace vault

const MysteryOffer kMysteryOffers[kMysteryOfferCount] = {
    {"random_head", "MYSTERY HAT", 250, kSlotHead},
    {"random_back", "MYSTERY BACKPIECE", 400, kSlotBack},
    {"random_waist", "MYSTERY BELT", 550, kSlotWaist},
};

const MysteryOffer& FindMysteryOffer(const std::string& key)
{
    for (const MysteryOffer& offer : kMysteryOffers) {
        if (key == offer.key) return offer;
    }
    return kMysteryOffers[0];
}

vault::VaultEntry VaultItemFromInventory(const AccessoryCatalogue& catalogue, const net::LockerItem& item)
{
    return vault::VaultEntry{item.id, FindAccessory(catalogue, item.def), vault::RarityFromName(item.rarity)};
}

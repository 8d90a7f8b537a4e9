#pragma once
// The items of the vault and the inventory as the front end handles them, the rarity of a rarity
// name, the coin shop's table of mystery items, and the vault scene's entry for an item.
#include <cstdint>
#include <string>

#include "game/accessory_catalogue.h"
#include "online/account_records.h"
#include "ui/vault_item.h"

namespace vault {

// "rare" 1, "legendary" 2, "omega" 3; anything else (exact match only, "common" included) 0.
int32_t RarityFromName(const std::string& name);
// "common", "rare", "legendary" or "omega" for a rarity clamped to 0..3.
const char* RarityKey(int32_t rarity);

}  // namespace vault

// One mystery item the local (demo) vault sells for coins.
struct MysteryOffer {
    const char* key;
    const char* label;
    int32_t price;
    AccessorySlot slot;
};

inline constexpr int kMysteryOfferCount = 3;
extern const MysteryOffer kMysteryOffers[kMysteryOfferCount];
// The row of that key; the first row for a key that is in none.
const MysteryOffer& FindMysteryOffer(const std::string& key);

// The scene's entry for a vault item: its id, the catalogue index of its accessory (-1 when the
// catalogue lacks it) as the model, and its rarity.
vault::VaultEntry VaultItemFromInventory(const AccessoryCatalogue& catalogue, const net::LockerItem& item);

#pragma once
// What the account service tells the game about an account and its locker, as plain records. The
// readers fill them from replies; the account client keeps one copy the screens read.
#include <cstdint>
#include <string>
#include <vector>

namespace net {

struct AccountInfo {
    std::string id;
    std::string username;
    std::string screenName;
    std::string email;
    bool emailVerified = false;
    int32_t bux = 0;
    int32_t elo = 500;
    bool hasPassword = false;
    bool linkedGoogle = false;
    int32_t ironCoins = 0;
    int32_t stardust = 0;
};

struct LockerItem {
    std::string id;   // the service's item id, decimal digits
    std::string def;  // an accessory name of the catalogue
    std::string rarity = "common";
};

struct Loadout {
    bool present = false;
    int32_t armor = 0;
    int32_t primary = 1;
    int32_t secondary = 8;
    int32_t power = 0;
    // Locker item ids worn in the four accessory positions.
    std::string head;
    std::string head2;
    std::string back;
    std::string waist;
    std::string skin;
};

// A stardust bundle sold for money.
struct StoreBundle {
    std::string id;
    int32_t cents = 0;
    int32_t stardust = 0;
    int32_t bonusPercent = 0;
};

// A skin sold for stardust and the suits (armour names) it fits.
struct StoreSkin {
    std::string id;
    int32_t price = 0;
    std::vector<std::string> suits;
};

// An item sold for the game's coins.
struct ShopOffer {
    std::string id;
    std::string name;
    std::string itemClass;  // the reply's "class"
    int32_t price = 0;
};

struct RarityWeight {
    std::string id;
    int32_t weight = 0;
};

struct Locker {
    bool loaded = false;  // a reply has been read into the record
    int32_t capacity = 100;
    std::vector<LockerItem> items;
    int32_t activeSlot = 0;
    Loadout loadouts[2];
    int32_t vaultCapacity = 100;
    std::vector<LockerItem> vault;
    std::vector<std::string> skins;  // owned skins
    bool storeEnabled = false;
    std::vector<StoreBundle> bundles;
    std::vector<StoreSkin> storeSkins;
    std::vector<ShopOffer> offers;
    std::vector<RarityWeight> rarities;
};

// The name the game shows for the account: its screen name, else its user name.
std::string AccountDisplayName(const AccountInfo& account);

}  // namespace net

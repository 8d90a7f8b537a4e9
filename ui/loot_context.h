#pragma once
// What the loot, inventory and loadout glue works on: the state `main` keeps for the vault screen
// and the loadouts, and the references to the rest of the client it hands in each call. Signed in,
// the account is the source of truth and the glue only asks the account client to act; with the
// local (demo) vault the glue changes the local lists itself. Main thread only.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/accessory_catalogue.h"
#include "game/skin_catalogue.h"
#include "online/account_records.h"
#include "ui/vault_screen.h"

struct ClientLoadout;

namespace audio {
class AudioSystem;
}
namespace net {
struct AccountClient;
}
namespace tune {
struct Tuning;
}
namespace vault {
struct VaultScene;
}

// What the demonstration vault starts with: enough for a dozen mystery items.
inline constexpr int32_t kDemoVaultCoins = 5000;

// Kept by `main` for the life of the program.
struct LootState {
    std::vector<net::LockerItem> vault;      // the local (demo) vault, in arrival order
    std::vector<net::LockerItem> inventory;  // the local inventory
    int32_t inventoryLimit = 100;
    int32_t coins = kDemoVaultCoins;         // the demo vault's coins
    uint32_t nextItemId = 1;                 // the local vault's item counter
    uint32_t vaultRevision = 0;              // raised whenever the local vault changes
    menu::VaultStatus status;                // the vault screen's status line
    // The demo vault's reveal in waiting: the offer's key, a forced rarity (-1 none) and when.
    std::string pendingOffer;
    int32_t pendingRarity = -1;
    double revealAt = -1.0;  // clock seconds; below 0 when nothing waits
    net::Loadout slots[2];
    int32_t activeSlot = 0;
    uint32_t lockerRevisionSeen = 0;
    int32_t lastSound = -1;  // the front-end sound number played last, -1 none
};

// The front-end sounds the glue plays, by their number in the start-up table.
inline constexpr int kPurchaseSound = 6;  // "audio/upgrade.mp3"
inline constexpr int kErrorSound = 7;     // "audio/hit.wav"

// Handed in by `main` on each call. The selection is the client's loadout (armour, weapons and
// power; its skin and accessory bytes are written for drawing) with the worn item ids and the skin
// name beside it.
struct LootContext {
    LootContext(LootState& lootState, ClientLoadout& selection, std::array<std::string, kLoadoutPositions>& worn,
                std::string& skinName, const tune::Tuning& tuningRecord, const AccessoryCatalogue& accessories,
                const SkinCatalogue& skinCatalogue)
        : loot(lootState), loadout(selection), wornIds(worn), skin(skinName), tuning(tuningRecord),
          catalogue(accessories), skins(skinCatalogue) {}

    LootState& loot;
    ClientLoadout& loadout;
    std::array<std::string, kLoadoutPositions>& wornIds;
    std::string& skin;
    const tune::Tuning& tuning;
    const AccessoryCatalogue& catalogue;
    const SkinCatalogue& skins;
    net::AccountClient* account = nullptr;  // null: signed out
    vault::VaultScene* scene = nullptr;     // null: no scene to tell
    audio::AudioSystem* audio = nullptr;
    const int32_t* frontEndSounds = nullptr;  // the fifteen start-up handles; null: silent
    float volume = 0.8f;                      // the front end's volume
    bool ownEverything = false;               // --own-all
    bool demo = false;                        // the vault is the local one even when signed in
    double now = 0.0;                         // the clock, seconds
    // The loadout screen's chosen slot, the held weapon byte and the held slot ApplyLoadout resets.
    int32_t* chosenSlot = nullptr;
    uint8_t* heldWeapon = nullptr;
    uint8_t* heldSlot = nullptr;
    std::string previewSkin;        // a skin shown instead of the selection's while set
    bool accessoryPreview = false;  // the accessory bytes are left to the preview
};

// Signed in: the account client exists and its state is signed in.
bool AccountSignedIn(const LootContext& ctx);

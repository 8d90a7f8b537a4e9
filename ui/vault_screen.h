#pragma once
// The shop screen around the 3D vault: the frame of the scene with its count and buttons, and on
// the right the panel with the coin shop of mystery items, the odds, the status line, the picked
// items and the inventory count, plus the confirmation dialog for destroying items. It keeps no
// state: the caller fills the view each frame and carries out the returned action.
#include <cstdint>
#include <string>
#include <vector>

namespace ui {
struct Context;
}

namespace vault {
struct VaultSettings;
}

namespace menu {

enum VaultAction : uint32_t {
    kVaultNothing = 0,
    kVaultBuy = 1,  // the view's `chosenOffer` names the offer
    kVaultMainMenu = 2,
    kVaultMove = 3,
    kVaultDelete = 4,
    kVaultDestroyAll = 5,
    kVaultConfirm = 6,
    kVaultCancel = 7,
};

enum VaultConfirmation : int32_t {
    kConfirmNone = 0,
    kConfirmDestroyAll = 1,
    kConfirmDeletePicked = 2,  // any value other than 0 and 1 reads this way
};

struct VaultOffer {
    std::string id;
    std::string label;
    int32_t price = 0;
    std::string slotWord;  // "A RANDOM %s ACCESSORY"
};

struct VaultPick {
    std::string name;
    int32_t rarity = 0;
};

struct VaultStatus {
    std::string text;
    int32_t rarity = -1;  // -1: none
    bool error = false;
};

struct VaultScreenView {
    bool signedIn = false;
    bool shopReady = false;
    bool demo = false;
    bool busy = false;
    int32_t coins = 0;
    int32_t rarityCounts[4] = {0, 0, 0, 0};
    int32_t vaultCount = 0;
    int32_t vaultCapacity = 100;
    std::vector<VaultPick> picked;
    VaultStatus status;
    int32_t confirmation = kConfirmNone;
    std::vector<VaultOffer> offers;
    int32_t inventoryCount = 0;
    int32_t inventoryCapacity = 100;
    const char* const* rarityNames = nullptr;  // four, the tuning's; null: "COMMON".."OMEGA"
    double time = 0.0;                          // seconds, for the cards' pulse
};

struct VaultLayout {
    float viewportX = 0.0f, viewportY = 0.0f, viewportWidth = 0.0f, viewportHeight = 0.0f;
    float panelX = 0.0f, panelY = 0.0f, panelWidth = 0.0f, panelHeight = 0.0f;
};

// The panel on the right and the scene's viewport on the left, for a window of that size.
VaultLayout VaultPanelLayout(float width, float height);

// The settings' colour of the rarity (clamped to 0..3), opaque, each channel trunc(value x 255).
uint32_t RarityColour(const vault::VaultSettings& settings, int32_t rarity);

// One frame of the screen. `chosenOffer` receives the offer's id with kVaultBuy.
uint32_t DrawVaultScreen(ui::Context& ctx, const vault::VaultSettings& settings, const VaultScreenView& view,
                         std::string& chosenOffer);

}  // namespace menu

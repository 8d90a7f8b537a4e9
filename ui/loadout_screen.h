#pragma once
// The loadout screen: a right-hand panel where the player picks what to take into the next match
// (which of two saved loadouts to edit, the primary and secondary weapons, the suit, the power and
// the worn accessories) with the figures of the current choice. The choices are the caller's and
// are edited in place; saving them to the account is not this screen's business.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/locker_panel.h"
#include "ui/sheet_icon.h"

namespace tune {
struct Tuning;
}

namespace ui {
struct Context;
}

namespace menu {

enum LoadoutTab : int32_t {
    kLoadoutTabPrimary = 0,
    kLoadoutTabSecondary = 1,
    kLoadoutTabArmour = 2,
    kLoadoutTabPower = 3,
    kLoadoutTabAccessories = 4,
};

// Kept by the caller from frame to frame.
struct LoadoutScreenState {
    int32_t tab = kLoadoutTabPrimary;
    int32_t slot = 0;     // the loadout being edited, 0 or 1
    float scroll = 0.0f;  // the accessory list's, in pixels
    // Instance names of the accessories worn in the 4 positions of the edited loadout; "" is empty.
    std::array<std::string, 4> worn;
    // The accessory under the mouse this frame (catalogue index) for the character preview; -1 none.
    int32_t previewAccessory = -1;
};

// One frame of the screen. The selections (armour, weapon rows, power) and the state are clamped
// to their ranges first. The ACCESSORIES tab shows the locker panel of `locker`. The icon lists
// are indexed by armour, weapon row and power; an entry without an icon shows its name alone.
// Returns true when MAIN MENU was clicked.
bool DrawLoadoutScreen(ui::Context& ctx, const tune::Tuning& tuning, int32_t& armour, int32_t& primary,
                       int32_t& secondary, int32_t& power, LoadoutScreenState& state, const LockerView& locker,
                       double time, const std::vector<SheetIcon>& armourIcons,
                       const std::vector<SheetIcon>& weaponIcons, const std::vector<SheetIcon>& powerIcons);

}  // namespace menu

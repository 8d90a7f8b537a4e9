#pragma once
// The locker panel, the content of the loadout screen's ACCESSORIES tab: the accessories the
// account owns, grouped by where they are worn, as tiles the player clicks to wear, take off or
// swap them in the loadout being edited, with a caption for the tile under the mouse.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/accessory_catalogue.h"
#include "online/account_records.h"
#include "ui/sheet_icon.h"

namespace ui {
struct Context;
}

namespace menu {

struct LoadoutScreenState;

struct OwnedAccessory {
    std::string name;    // the instance's name, unique per owned item
    int32_t index = -1;  // catalogue index; -1 or past the catalogue when this build lacks it
};

// What the panel shows, rebuilt by the caller every frame; read only here.
struct LockerView {
    std::vector<OwnedAccessory> items;  // in locker order
    int32_t capacity = 0;               // inventory slots
    uint8_t signedIn = 0;
    uint8_t loaded = 0;  // the account's inventory has arrived
    const AccessoryCatalogue* catalogue = nullptr;  // null: an empty catalogue
    const std::vector<SheetIcon>* icons = nullptr;  // by catalogue index; may be null or short
};

// The view of locker items (the account's, or the local inventory while signed out): an item's
// id is its instance name, its definition is looked up in the catalogue.
LockerView BuildLockerView(const std::vector<net::LockerItem>& items, int32_t capacity, bool signedIn, bool loaded,
                           const AccessoryCatalogue& catalogue, const std::vector<SheetIcon>* icons);

// One frame of the panel in (x, y, w, h). Edits the worn positions and the scroll offset of
// `state` and sets its previewAccessory to the accessory under the mouse.
void DrawLockerPanel(ui::Context& ctx, float x, float y, float w, float h, const LockerView& locker,
                     LoadoutScreenState& state);

// Wears, takes off or swaps `name` in the positions of `slotClass`, which form a queue oldest
// first: a worn name comes off and the later ones move up; otherwise the first free position takes
// it; when none is free the oldest is dropped. Nothing for a class without positions or for a
// name equal to `empty`.
void ToggleWornItem(std::array<std::string, kLoadoutPositions>& positions, AccessorySlot slotClass,
                    const std::string& name, const std::string& empty);

// Two caption lines for `item` (null: not in this build's catalogue) at (x, y); advances y.
void DrawItemCaption(ui::Context& ctx, float x, float& y, const AccessoryDef* item, const char* hint);

// The name one word a line, centred in the box, shrunk until its widest word fits.
void DrawWrappedName(ui::Context& ctx, const std::string& name, float x, float y, float w, float h, uint32_t colour);

}  // namespace menu

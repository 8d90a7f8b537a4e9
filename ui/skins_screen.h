#pragma once
// The skins screen: a small left-hand panel listing the skins of the current suit, where the
// player picks an owned skin or asks to buy a priced one.
#include <cstdint>
#include <string>
#include <vector>

namespace ui {
struct Context;
}

namespace menu {

struct SkinEntry {
    std::string id;
    std::string displayName;
    uint8_t owned = 0;
    int32_t price = 0;  // stardust; 0 or less: not for sale
};

struct SuitSkins {
    std::string suitName;  // the suit's display name
    std::vector<SkinEntry> skins;
};

// One frame. A click on an owned skin that is not the selected one puts its id in `selectedSkin`
// and returns true; a click on a priced skin the player lacks puts its id in `purchaseRequest`
// (the caller offers it in the store). `time` pulses the selected row's outline.
bool DrawSkinsScreen(ui::Context& ctx, const SuitSkins& suit, std::string& selectedSkin, double time,
                     std::string& purchaseRequest);

}  // namespace menu

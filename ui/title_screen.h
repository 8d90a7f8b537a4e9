#pragma once
// The classic title menu, drawn when the painted one is off or could not load.
#include <cstdint>

namespace ui {
struct Context;
}

namespace menu {

enum TitleAction : int32_t {
    kTitleNothing = 0,
    kTitleJoinServer = 1,
    kTitleMultiplayer = 2,
    kTitleLoadout = 3,
    kTitleShop = 4,
    kTitleSignOut = 5,
    kTitleQuit = 6,
};

// joinTarget: the configured server's address (JOIN SERVER only when not null and not empty);
// accountName: the signed-in account (null or empty when signed out); time: the clock in seconds,
// which pulses the title; kickReason: null unless the player was kicked (it may be empty).
// Returns a TitleAction.
int32_t DrawTitleScreen(ui::Context& ctx, const char* joinTarget, const char* accountName, double time,
                        const char* kickReason);

}  // namespace menu

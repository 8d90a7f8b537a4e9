#pragma once
// The screen while joined to a game server: the connection status until the first lobby state,
// then the room browser or the room lobby, with a notice when the server runs a newer build.
#include <cstdint>
#include <span>

#include "online/updater.h"
#include "ui/sheet_icon.h"

struct GameSession;

namespace ui {
struct Context;
}

namespace menu {

// serverText: the server's address as shown to the player; hostingHere: this client also runs the
// server; portraits by armour index and map previews by map index, for the room lobby. Returns
// the room browser's result (1 for MAIN MENU) in the lobby, the connection status's result
// (a ConnectionAction) while not connected, and 0 in a room.
int32_t DrawMultiplayerScreen(ui::Context& ctx, GameSession& session, const char* serverText, bool hostingHere,
                              const net::Updater::Status& updaterStatus, std::span<const SheetIcon> portraits,
                              std::span<const SheetIcon> mapPreviews);

}  // namespace menu

#pragma once
// The screen of one room before its match starts: its name, who is in it (by side in a team
// match), bots, and its settings, which only the room's host can change. Every change goes to the
// server as a lobby request; what is shown is what the server last reported, so a change shows
// once the next lobby state arrives.
#include <cstdint>
#include <span>
#include <string>

#include "ui/lobby_setting_rows.h"
#include "ui/sheet_icon.h"

struct GameSession;

namespace net {
struct LobbyStateMessage;
}

namespace ui {
struct Context;
}

namespace menu {

enum RoomLobbyPage : int32_t { kLobbyPageRoom = 0, kLobbyPageAdvanced = 1 };

// What the screen keeps from one frame to the next; there is one, whichever room is shown.
struct RoomLobbyState {
    int32_t page = kLobbyPageRoom;
    int32_t scroll = 0;  // the first settings row shown on the ADVANCED page
    SettingEditState damage;
    SettingEditState speed;
    SettingEditState health;
    SettingEditState lives;
    SettingEditState metalRate;
    std::string password;  // the host's field, a copy of the session's password
    bool passwordWasFocused = false;
};

RoomLobbyState& RoomLobbyScreenState();

// Members that are bots on `side` (255: on any side).
int CountLobbyBots(const net::LobbyStateMessage& lobby, uint8_t side);
// The id of the last such bot in member order, -1 when there is none.
int LastLobbyBot(const net::LobbyStateMessage& lobby, uint8_t side);

// portraits by armour index, mapPreviews by map index; an entry that is missing or not drawable
// leaves its picture out.
void DrawRoomLobby(ui::Context& ctx, GameSession& session, std::span<const SheetIcon> portraits,
                   std::span<const SheetIcon> mapPreviews);

}  // namespace menu

#include "ui/room_browser.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "client/game_session.h"
#include "game/match_options.h"
#include "ui/menu_palette.h"
#include "ui/title_block.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr float kPanelWidth = 660.0f;
constexpr float kRowPitch = 52.0f;
constexpr size_t kRowsShown = 8;
constexpr uint32_t kRowFill = 0xff322722;
constexpr uint32_t kFirstJoinId = 100;

}  // namespace

bool DrawRoomBrowser(ui::Context& ctx, GameSession& session, bool hostingHere)
{
    const std::vector<net::LobbyRoomEntry>& rooms = session.lobby.rooms;
    const size_t shown = std::min(rooms.size(), kRowsShown);
    const float listHeight = kRowPitch * static_cast<float>(std::max<size_t>(shown, 1));
    const float panelHeight = listHeight + 336.0f;
    const float px = (static_cast<float>(ctx.batch.width) - kPanelWidth) / 2.0f;
    const float py = (static_cast<float>(ctx.batch.height) - panelHeight) / 2.0f;
    const float cx = px + kPanelWidth / 2.0f;
    const bool idle = session.pendingAction == net::LobbyAction::KeepAlive;

    ctx.Panel(px, py, kPanelWidth, panelHeight);
    DrawTitleBlock(ctx, px, py + 22.0f, kPanelWidth, "ROOMS",
                   hostingHere ? "hosting on this machine - others can join your IP"
                               : "pick a room to join, or start your own");
    if (!session.lobby.notice.empty()) {
        ctx.LabelCentered(cx, py + 62.0f, session.lobby.notice.c_str(), 1.25f, kAmber);
    }

    if (ctx.Button(1, px + 200.0f, py + 86.0f, 260.0f, 44.0f, "CREATE ROOM", idle, kGreen, 2.0f)) {
        // A new room starts open: the password typed for joining locked rooms is not carried into it.
        session.SetRoomPassword("");
        session.QueueLobbyAction(net::LobbyAction::CreateRoom, 0);
    }

    if (rooms.empty()) {
        ctx.LabelCentered(cx, py + 162.0f, "no rooms yet", 2.0f, kGrey);
    }
    for (size_t i = 0; i < shown; ++i) {
        const net::LobbyRoomEntry& room = rooms[i];
        const float y = py + 150.0f + kRowPitch * static_cast<float>(i);
        ctx.batch.FillRect(px + 24.0f, y, 612.0f, 44.0f, kRowFill);
        ctx.Label(px + 36.0f, y + 8.0f, room.name.c_str(), 2.0f, kWhite);
        char line[96];
        std::snprintf(line, sizeof line, "%d player%s  -  %s%s%s", room.memberCount, room.memberCount == 1 ? "" : "s",
                      GameModeName(room.gameMode), room.started ? "  -  in progress" : "",
                      room.hasPassword ? "  -  LOCKED" : "");
        ctx.Label(px + 36.0f, y + 27.0f, line, 1.25f, room.hasPassword ? kAmber : kGrey);
        if (ctx.Button(kFirstJoinId + static_cast<uint32_t>(i), px + 518.0f, y + 6.0f, 110.0f, 32.0f,
                       room.open ? "JOIN" : "IN GAME", room.open && idle, kStandardFill, 2.0f)) {
            session.QueueLobbyAction(net::LobbyAction::JoinRoom, room.id);
        }
    }
    if (rooms.size() > shown) {
        char more[32];
        std::snprintf(more, sizeof more, "+ %d more", static_cast<int>(rooms.size() - shown));
        ctx.LabelCentered(cx, py + 150.0f + kRowPitch * static_cast<float>(shown) + 4.0f, more, 1.25f, kGrey);
    }

    ctx.LabelCentered(cx, py + listHeight + 192.0f, "password, for a locked room", 1.15f, kGrey);
    std::string password = session.roomPassword;
    ctx.TextField(6, px + 180.0f, py + listHeight + 212.0f, 300.0f, 34.0f, password, "none", true,
                  static_cast<int32_t>(net::kMaxPasswordLength));
    if (password != session.roomPassword) {
        session.SetRoomPassword(password.c_str());
    }

    return ctx.Button(4, px + 230.0f, py + listHeight + 276.0f, 200.0f, 40.0f, "MAIN MENU", true, kStandardFill, 2.0f);
}

}  // namespace menu

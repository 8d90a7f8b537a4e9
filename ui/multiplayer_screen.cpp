#include "ui/multiplayer_screen.h"

#include <cstdio>

#include "client/game_session.h"
#include "net/protocol.h"
#include "ui/connection_status.h"
#include "ui/menu_palette.h"
#include "ui/room_browser.h"
#include "ui/room_lobby.h"
#include "ui/ui_context.h"

namespace menu {

int32_t DrawMultiplayerScreen(ui::Context& ctx, GameSession& session, const char* serverText, bool hostingHere,
                              const net::Updater::Status& updaterStatus, std::span<const SheetIcon> portraits,
                              std::span<const SheetIcon> mapPreviews)
{
    ctx.DimScreen();

    if (session.IsConnected() && session.hasLobbyView) {
        if (session.serverBuild > net::kBuildNumber) {
            char notice[112];
            std::snprintf(notice, sizeof notice, "a newer build is out (%u, you have %u) -- restart to update",
                          session.serverBuild, net::kBuildNumber);
            ctx.LabelCentered(static_cast<float>(ctx.batch.width) / 2.0f, 16.0f, notice, 1.25f, kAmber);
        }
        switch (session.lobby.place) {
        case net::LobbyPlace::NoRoom: return DrawRoomBrowser(ctx, session, hostingHere) ? 1 : 0;
        case net::LobbyPlace::RoomLobby: DrawRoomLobby(ctx, session, portraits, mapPreviews); return 0;
        default: return 0;
        }
    }

    return DrawConnectionStatus(ctx, serverText, static_cast<float>(session.connectingSeconds),
                                static_cast<int32_t>(session.refusal), session.serverProtocol, session.serverBuild,
                                session.serverBuild > net::kBuildNumber, updaterStatus);
}

}  // namespace menu

#include "client/autohost_script.h"

#include "game/match_options.h"

void RunAutoHostScript(AutoHostScript& script, GameSession& session, const Options& options, double now)
{
    if (!session.IsConnected() || !session.hasLobbyView || session.pendingAction != net::LobbyAction::KeepAlive) {
        return;
    }
    const net::LobbyStateMessage& lobby = session.lobby;
    if (lobby.place == net::LobbyPlace::NoRoom) {
        for (const net::LobbyRoomEntry& room : lobby.rooms) {
            if (room.open && room.id != 0) {
                session.QueueLobbyAction(net::LobbyAction::JoinRoom, room.id);
                script.lastAction = 0.0;
                return;
            }
        }
        session.QueueLobbyAction(net::LobbyAction::CreateRoom, 0);
        script.lastAction = 0.0;
        return;
    }
    if (lobby.place != net::LobbyPlace::RoomLobby || !lobby.isHost || script.started) {
        return;
    }
    if (script.firstSeen == 0.0) {
        script.firstSeen = now;
    }
    net::RoomSettings settings = lobby.settings;
    if (options.map >= 0 && options.map < GetMapCount() && lobby.settings.mapIndex != options.map) {
        settings.mapIndex = static_cast<uint8_t>(options.map);
        session.RequestRoomSettings(settings);
    } else if (options.botSkill >= 0 && options.botSkill <= 2 && lobby.settings.botSkill != options.botSkill) {
        settings.botSkill = static_cast<uint8_t>(options.botSkill);
        session.RequestRoomSettings(settings);
    } else if (script.botsAdded < options.addBots) {
        session.RequestAddBot(static_cast<uint8_t>(script.botsAdded & 1));
        script.botsAdded += 1;
    } else if (now - script.firstSeen > options.autohostDelay) {
        session.QueueLobbyAction(net::LobbyAction::StartMatch, lobby.roomId);
        script.started = true;
    } else {
        return;
    }
    script.lastAction = now;
}

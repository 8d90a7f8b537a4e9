#pragma once
// Sessions standing in the lobby or in a room as the server last described them, and the lobby
// requests a session sent, read back by a stand-in server.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/game_session.h"
#include "client/session_test_server.h"
#include "net/lobby_messages.h"

namespace lobbytest {

// Connected, with a lobby view; nothing is sent unless the session is attached to a stand-in.
inline void MarkConnected(GameSession& session)
{
    session.state = GameSession::State::Connected;
    session.hasLobbyView = true;
}

inline net::LobbyRoomEntry Room(uint16_t id, const char* name, int members, bool open = true)
{
    net::LobbyRoomEntry room;
    room.id = id;
    room.name = name;
    room.memberCount = members;
    room.open = open;
    return room;
}

inline void PutInLobby(GameSession& session, std::vector<net::LobbyRoomEntry> rooms)
{
    MarkConnected(session);
    session.lobby = net::LobbyStateMessage{};
    session.lobby.place = net::LobbyPlace::NoRoom;
    session.lobby.rooms = std::move(rooms);
}

inline net::LobbyMember Member(uint8_t slot, uint8_t side, bool bot = false, const char* name = "ann")
{
    net::LobbyMember member;
    member.slot = slot;
    member.side = side;
    member.isBot = bot;
    member.name = name;
    return member;
}

// In room 7 as `ownSlot`; the first member is the room's host.
inline void PutInRoom(GameSession& session, uint8_t ownSlot, std::vector<net::LobbyMember> members,
                      const net::RoomSettings& settings = {})
{
    MarkConnected(session);
    session.lobby = net::LobbyStateMessage{};
    session.lobby.place = net::LobbyPlace::RoomLobby;
    session.lobby.ownSlot = ownSlot;
    session.lobby.roomId = 7;
    session.lobby.roomName = "FRIDAY NIGHT";
    session.lobby.settings = settings;
    session.lobby.members = std::move(members);
    if (!session.lobby.members.empty()) {
        session.lobby.members.front().isHost = true;
        session.lobby.isHost = session.lobby.members.front().slot == ownSlot;
    }
}

// The lobby requests other than keep-alives that reached `server`.
inline std::vector<net::LobbyRequestMessage> SentRequests(sessiontest::StandInServer& server)
{
    std::vector<net::LobbyRequestMessage> requests;
    for (const sessiontest::Received& received : server.DrainOfType(net::MessageType::LobbyRequest)) {
        net::BitReader reader = received.Reader();
        net::LobbyRequestMessage request;
        EXPECT_TRUE(net::ReadMessage(reader, request));
        if (request.action != net::LobbyAction::KeepAlive) {
            requests.push_back(request);
        }
    }
    return requests;
}

}  // namespace lobbytest

// The lobby's two directions: every request a client makes (which always carries its whole
// profile), and the view of the lobby or of its room that each client gets five times a second.
#include <array>
#include <cstdint>
#include <utility>

#include "game/accessory_catalogue.h"
#include "game/skin_catalogue.h"
#include "net/lobby_messages.h"
#include "net/server.h"

namespace net {

void Server::HandleLobbyRequest(int slot, BitReader& reader)
{
    if (slot < 0 || slot >= static_cast<int>(slots.size()) || !slots[static_cast<size_t>(slot)].inUse) {
        return;
    }
    LobbyRequestMessage request;
    if (!ReadMessage(reader, request)) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];

    // The loadout is chosen in the lobby: a running match keeps the one it started with.
    const bool inRoom = client.room >= 0 && client.room < kMaxRooms && rooms[static_cast<size_t>(client.room)].inUse;
    const bool playing = inRoom && rooms[static_cast<size_t>(client.room)].started;
    if (!playing) {
        client.armour = request.armour;
        client.primaryWeapon = request.primaryWeapon;
        client.secondaryWeapon = request.secondaryWeapon;
        client.power = request.power;
        client.requestedAccessories = request.accessories;
        client.requestedSkin = request.skin;
    }

    client.name.clear();
    for (const char c : request.name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 126 || client.name.size() >= kMaxPlayerNameLength) {
            break;
        }
        client.name.push_back(c);
    }

    // A new ticket is redeemed once, and the service is asked at most once a second, so that a
    // client changing its ticket in every request cannot keep the tick waiting on the service.
    if (!request.ticket.empty() && request.ticket != client.gameTicket && now - client.lastTicketCheck >= 1.0) {
        client.lastTicketCheck = now;
        VerifyIdentity(slot, request.ticket);
    }

    SanitizeSlotAccessories(slot);
    const bool enforce = tuning.account.enabled != 0;
    client.skin = ValidateSkinChoice(client.requestedSkin, client.armour, skinCatalogue, enforce, client.ownedSkins);

    switch (request.action) {
    case LobbyAction::CreateRoom: CreateRoom(slot); break;
    case LobbyAction::JoinRoom: JoinRoom(slot, request.roomId, request.password); break;
    case LobbyAction::LeaveRoom: LeaveRoom(slot); break;
    case LobbyAction::StartMatch: StartMatch(slot); break;
    case LobbyAction::ChangeRoomSettings: ChangeRoomSettings(slot, request.settings, request.password); break;
    case LobbyAction::SwitchSide: SwitchSide(slot, request.wantedSide == 1 ? 1 : 0); break;
    case LobbyAction::RemoveMember: RemoveMember(slot, request.argument); break;
    case LobbyAction::AddBot: AddBot(slot, request.argument == 1); break;
    case LobbyAction::RemoveBot: RemoveBot(slot, request.argument); break;
    case LobbyAction::KeepAlive:
    case LobbyAction::UpdateProfile: break;
    }
}

void Server::BroadcastLobbyState(double time)
{
    if (time - lastLobbyBroadcast < kLobbyStateInterval) {
        return;
    }
    lastLobbyBroadcast = time;

    std::array<int, kMaxRooms> memberCounts{};
    for (const ClientSlot& slot : slots) {
        if (slot.inUse && slot.room >= 0 && slot.room < kMaxRooms) {
            ++memberCounts[static_cast<size_t>(slot.room)];
        }
    }

    LobbyStateMessage message;
    for (size_t index = 0; index < slots.size(); ++index) {
        const ClientSlot& client = slots[index];
        if (!client.inUse || client.bot) {
            continue;
        }
        message = LobbyStateMessage{};
        message.ownSlot = static_cast<uint8_t>(index);
        if (time < client.noticeUntil) {
            message.notice = client.notice;
        }

        const int roomIndex = client.room;
        const bool inRoom = roomIndex >= 0 && roomIndex < kMaxRooms && rooms[static_cast<size_t>(roomIndex)].inUse;
        if (inRoom) {
            const Room& room = rooms[static_cast<size_t>(roomIndex)];
            message.place = room.started ? LobbyPlace::Match : LobbyPlace::RoomLobby;
            message.winningSide = room.winningSide;
            message.roomId = room.id;
            message.roomName = room.name;
            message.isHost = room.host == static_cast<int32_t>(index);
            message.settings = room.settings;
            message.hasPassword = !room.password.empty();
            message.matchSeed = room.matchSeed;
            for (size_t i = 0; i < slots.size() && message.members.size() < kMaxLobbyMembers; ++i) {
                const ClientSlot& other = slots[i];
                if (!other.inUse || other.room != roomIndex) {
                    continue;
                }
                LobbyMember member;
                member.slot = static_cast<uint8_t>(i);
                member.isHost = room.host == static_cast<int32_t>(i);
                member.name = other.name;
                member.side = other.chosenTeam;
                member.armour = other.armour;
                member.kills = other.kills;
                member.deaths = other.deaths;
                member.role = other.role;
                member.isBot = other.bot != 0;
                member.accessories = other.accessories;
                member.skin = other.skin;
                message.members.push_back(std::move(member));
            }
        } else {
            message.place = LobbyPlace::NoRoom;
            message.winningSide = kSideNone;
            for (size_t r = 0; r < rooms.size(); ++r) {
                const Room& room = rooms[r];
                if (!room.inUse) {
                    continue;
                }
                LobbyRoomEntry entry;
                entry.id = room.id;
                entry.name = room.name;
                entry.memberCount = memberCounts[r];
                entry.started = room.started != 0;
                entry.hasPassword = !room.password.empty();
                entry.gameMode = room.settings.gameMode;
                entry.open = !room.started || room.settings.joiningAllowed != 0;
                message.rooms.push_back(std::move(entry));
            }
        }
        SendMessage(client.address, message);
    }
}

}  // namespace net

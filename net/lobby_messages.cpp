#include "net/lobby_messages.h"

#include "game/match_options.h"
#include "net/message_stream.h"

namespace net {
namespace {

// Lives and percentages go through the room clamps on both sides: a writer never sends what a
// 7- or 14-bit field would wrap, and a reader never keeps what the server could not have sent.
template <class S, class Settings>
void SerializeRoomSettings(S& stream, Settings& settings)
{
    SerializeBits(stream, settings.gameMode, 3);
    SerializeBits(stream, settings.mapIndex, 4);
    if constexpr (S::kReading) {
        settings.lives = ClampLives(static_cast<int>(stream.reader.Read(7)));
    } else {
        stream.writer.Write(ClampLives(settings.lives), 7);
    }
    SerializeBits(stream, settings.joiningAllowed, 1);
    auto percent = [&stream](auto& value) {
        if constexpr (S::kReading) {
            value = ClampPercent(static_cast<int>(stream.reader.Read(14)));
        } else {
            stream.writer.Write(ClampPercent(value), 14);
        }
    };
    percent(settings.damagePercent);
    percent(settings.speedPercent);
    percent(settings.healthPercent);
    SerializeBits(stream, settings.botSkill, 2);
    SerializeBits(stream, settings.metalOn, 1);
    percent(settings.metalRatePercent);
}

template <class S, class M>
bool SerializeLobbyRequest(S& stream, M& m)
{
    uint32_t action = static_cast<uint32_t>(m.action);
    SerializeBits(stream, action, 4);
    if constexpr (S::kReading) {
        m.action = static_cast<LobbyAction>(action);
    }
    SerializeBits(stream, m.roomId, 16);
    SerializeBits(stream, m.armour, 3);
    SerializeBits(stream, m.primaryWeapon, 4);
    SerializeBits(stream, m.secondaryWeapon, 4);
    SerializeBits(stream, m.power, 3);
    if (action >= kLobbyActionCount || m.armour >= 5 || m.primaryWeapon >= 10 || m.secondaryWeapon >= 10 ||
        m.power >= 5) {
        return false;
    }
    for (auto& accessory : m.accessories) {
        SerializeBits(stream, accessory, 8);
    }
    SerializeBits(stream, m.skin, 8);
    SerializeRoomSettings(stream, m.settings);
    if constexpr (S::kReading) {
        m.wantedSide = static_cast<uint8_t>(stream.reader.Read(1));
    } else {
        stream.writer.Write(m.wantedSide == 1 ? 1u : 0u, 1);
    }
    SerializeText(stream, m.password, 5, kMaxPasswordLength, 7, OverLength::KeepFirst);
    SerializeBits(stream, m.argument, 8);
    return SerializeShownText(stream, m.name, 4, kMaxPlayerNameLength, 7, OverLength::Refuse) &&
           SerializeText(stream, m.ticket, 7, kMaxTicketLength, 7, OverLength::Refuse);
}

template <class S, class Member>
bool SerializeLobbyMember(S& stream, Member& member)
{
    SerializeBits(stream, member.slot, 8);
    SerializeBool(stream, member.isHost);
    SerializeShownText(stream, member.name, 4, kMaxPlayerNameLength, 7, OverLength::KeepFirst);
    SerializeTeam(stream, member.side);
    SerializeBits(stream, member.armour, 3);
    SerializeClamped(stream, member.kills, 8, 255);
    SerializeClamped(stream, member.deaths, 8, 255);
    SerializeBits(stream, member.role, 2);
    SerializeBool(stream, member.isBot);
    for (auto& accessory : member.accessories) {
        SerializeBits(stream, accessory, 8);
    }
    SerializeBits(stream, member.skin, 8);
    return true;
}

template <class S, class Room>
bool SerializeLobbyRoom(S& stream, Room& room)
{
    SerializeBits(stream, room.id, 16);
    SerializeShownText(stream, room.name, 5, kMaxRoomNameLength, 7, OverLength::KeepFirst);
    SerializeClamped(stream, room.memberCount, 9, kMaxPlayers);
    SerializeBool(stream, room.started);
    SerializeBool(stream, room.hasPassword);
    SerializeBits(stream, room.gameMode, 3);
    SerializeBool(stream, room.open);
    return true;
}

template <class S, class M>
bool SerializeLobbyState(S& stream, M& m)
{
    uint32_t place = static_cast<uint32_t>(m.place);
    SerializeBits(stream, place, 2);
    if (place > static_cast<uint32_t>(LobbyPlace::Match)) {
        return false;
    }
    if constexpr (S::kReading) {
        m.place = static_cast<LobbyPlace>(place);
        m.members.clear();
        m.rooms.clear();
    }
    SerializeBits(stream, m.ownSlot, 8);
    SerializeTeam(stream, m.winningSide);
    SerializeShownText(stream, m.notice, 7, kMaxNoticeLength, 7, OverLength::KeepFirst);
    if (place != static_cast<uint32_t>(LobbyPlace::NoRoom)) {
        SerializeBits(stream, m.roomId, 16);
        SerializeShownText(stream, m.roomName, 5, kMaxRoomNameLength, 7, OverLength::KeepFirst);
        SerializeBool(stream, m.isHost);
        SerializeRoomSettings(stream, m.settings);
        SerializeBool(stream, m.hasPassword);
        SerializeBits(stream, m.matchSeed, 16);
        return SerializeList(stream, m.members, 6, kMaxLobbyMembers,
                             [](auto& s, auto& member) { return SerializeLobbyMember(s, member); });
    }
    return SerializeList(stream, m.rooms, 6, kMaxLobbyRooms,
                         [](auto& s, auto& room) { return SerializeLobbyRoom(s, room); });
}

}  // namespace

const LobbyMember* FindLobbyMember(const LobbyStateMessage& lobby, int slot)
{
    for (const LobbyMember& member : lobby.members) {
        if (member.slot == slot) {
            return &member;
        }
    }
    return nullptr;
}

NET_MESSAGE_CODEC(LobbyRequestMessage, SerializeLobbyRequest)
NET_MESSAGE_CODEC(LobbyStateMessage, SerializeLobbyState)

}  // namespace net

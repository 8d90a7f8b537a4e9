#pragma once
// The lobby's two messages: the client's request (an action plus its whole profile) and the
// server's periodic view of the lobby or the client's room.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/player_state.h"
#include "net/bit_stream.h"
#include "net/protocol.h"
#include "net/room_settings.h"

namespace net {

constexpr uint32_t kMaxPasswordLength = 24;
constexpr uint32_t kMaxPlayerNameLength = 14;
constexpr uint32_t kMaxTicketLength = 64;
constexpr uint32_t kMaxNoticeLength = 64;
constexpr uint32_t kMaxRoomNameLength = 23;
constexpr uint32_t kMaxLobbyMembers = 32;
constexpr uint32_t kMaxLobbyRooms = 32;

// Client to server with every lobby action and once a second as a keep-alive. Strings travel in
// 7 bits per character. A writer refuses (and a reader ignores) an action of 11 or more, an
// armour of 5 or more, a weapon of 10 or more or a power of 5 or more; the reader also ignores a
// name longer than 14 or a ticket longer than 64 characters, and keeps the first 24 characters of
// a longer password. The writer cuts texts to those lengths. The reader keeps only the printable
// characters (32..126) of the name; password and ticket are kept as they came.
struct LobbyRequestMessage {
    static constexpr MessageType kType = MessageType::LobbyRequest;
    LobbyAction action = LobbyAction::KeepAlive;
    uint16_t roomId = 0;
    uint8_t armour = 0;
    uint8_t primaryWeapon = 0;
    uint8_t secondaryWeapon = 0;
    uint8_t power = 0;
    std::array<uint8_t, 4> accessories{};  // 1-based catalogue indices, 0 empty
    uint8_t skin = 0;                      // 1-based, 0 none
    RoomSettings settings;                 // lives and percentages clamped both ways
    uint8_t wantedSide = 0;                // 1 for side 1, anything else side 0
    std::string password;
    uint8_t argument = 0;  // a slot for actions 8-10; 1 asks for side 1 with action 9
    std::string name;
    std::string ticket;
};

enum class LobbyPlace : uint8_t { NoRoom = 0, RoomLobby = 1, Match = 2 };

struct LobbyMember {
    uint8_t slot = 0;
    bool isHost = false;
    std::string name;
    uint8_t side = kTeamNone;  // 0, 1, or none
    uint8_t armour = 0;
    int kills = 0;   // capped at 255 on the wire
    int deaths = 0;  // capped at 255 on the wire
    uint8_t role = 0;  // 0 player, 1 moderator, 2 staff
    bool isBot = false;
    std::array<uint8_t, 4> accessories{};
    uint8_t skin = 0;
};

struct LobbyRoomEntry {
    uint16_t id = 0;
    std::string name;
    int memberCount = 0;  // capped at 256 on the wire
    bool started = false;
    bool hasPassword = false;
    uint8_t gameMode = 0;
    bool open = false;  // not started, or joining after the start allowed
};

// Server to one client every 0.2 s. In a room (place 1 or 2) it describes that room and its first
// 32 members; otherwise it lists the first 32 rooms. Texts longer than their limit are cut by the
// writer and cut to the limit by the reader, which then keeps only their printable characters
// (32..126); more members or rooms than 32 are refused.
struct LobbyStateMessage {
    static constexpr MessageType kType = MessageType::LobbyState;
    LobbyPlace place = LobbyPlace::NoRoom;
    uint8_t ownSlot = 0;
    uint8_t winningSide = kTeamNone;  // 0, 1, or none
    std::string notice;
    // In a room:
    uint16_t roomId = 0;
    std::string roomName;
    bool isHost = false;
    RoomSettings settings;
    bool hasPassword = false;
    uint16_t matchSeed = 0;
    std::vector<LobbyMember> members;
    // Not in a room:
    std::vector<LobbyRoomEntry> rooms;
};

// The member of the described room in slot `slot`, or null.
const LobbyMember* FindLobbyMember(const LobbyStateMessage& lobby, int slot);

bool WriteMessage(BitWriter& writer, const LobbyRequestMessage& message);
bool ReadMessage(BitReader& reader, LobbyRequestMessage& message);
bool WriteMessage(BitWriter& writer, const LobbyStateMessage& message);
bool ReadMessage(BitReader& reader, LobbyStateMessage& message);

}  // namespace net

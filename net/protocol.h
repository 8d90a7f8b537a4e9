#pragma once
// The framing every game datagram shares: the constants of the protocol, the message types and
// lobby actions, the header, the datagram rules of each end, and tick comparison.
#include <array>
#include <cstdint>
#include <span>

#include "net/bit_stream.h"

namespace net {

constexpr uint32_t kMagic = 0x5447;
constexpr uint32_t kProtocolVersion = 41;
constexpr uint32_t kBuildNumber = 84;
constexpr int kDatagramBytes = 1200;
constexpr int kDatagramWords = kDatagramBytes / 4;
constexpr uint16_t kDefaultGamePort = 27015;
constexpr int kHeaderBits = 24;
constexpr int kMaxPlayers = 256;
constexpr uint32_t kNoTick = 0xFFFFFFFFu;

enum class MessageType : uint8_t {
    Connect = 1,
    Accept = 2,
    Refuse = 3,
    Leave = 4,
    Input = 5,
    Snapshot = 6,
    LobbyRequest = 7,
    LobbyState = 8,
    HitEvent = 10,
    DropSpawned = 11,
    DropTaken = 12,
    ProjectileSpawned = 13,
    ProjectileDetonated = 14,
    KillEvent = 15,
    SentryStates = 16,
    ShotEvent = 18,
    ShieldStates = 19,
    HealingField = 20,
    Chat = 21,
    ChatLine = 22,
    Command = 23,
    Kicked = 24,
    BuyLevel = 25,
    Economy = 26,
};

enum class LobbyAction : uint8_t {
    KeepAlive = 0,
    CreateRoom = 1,
    JoinRoom = 2,
    LeaveRoom = 3,
    StartMatch = 4,
    UpdateProfile = 5,
    ChangeRoomSettings = 6,
    SwitchSide = 7,
    RemoveMember = 8,
    AddBot = 9,
    RemoveBot = 10,
};
constexpr int kLobbyActionCount = 11;

// Words of the stack buffer each sender builds into, sized for the largest form of its message.
constexpr int MessageCapacityWords(MessageType type)
{
    switch (type) {
    case MessageType::Connect:
    case MessageType::Leave:
    case MessageType::BuyLevel: return 2;
    case MessageType::Accept:
    case MessageType::Refuse: return 4;
    case MessageType::DropTaken:
    case MessageType::ProjectileDetonated: return 8;
    case MessageType::HitEvent:
    case MessageType::HealingField:
    case MessageType::ProjectileSpawned:
    case MessageType::KillEvent: return 16;
    case MessageType::Kicked: return 20;
    case MessageType::Chat:
    case MessageType::ChatLine: return 28;
    case MessageType::Command: return 36;
    case MessageType::LobbyRequest: return 48;
    case MessageType::Input: return 64;
    case MessageType::DropSpawned: return 128;
    case MessageType::Snapshot:
    case MessageType::LobbyState:
    case MessageType::SentryStates:
    case MessageType::ShieldStates:
    case MessageType::Economy:
    case MessageType::ShotEvent: return kDatagramWords;
    }
    return kDatagramWords;
}

// A stack buffer sized for one message record's largest form.
template <class Message>
using MessageBuffer = std::array<uint32_t, MessageCapacityWords(Message::kType)>;

// Width in bits of a count or length whose maximum is `max`: the smallest w with max < 2^w, at
// least 1.
constexpr int WidthOf(uint32_t max)
{
    int width = 1;
    while (width < 32 && (max >> width) != 0) {
        ++width;
    }
    return width;
}

// Ticks wrap; `a` is later than `b` when (a - b - 1) taken as unsigned is below 0x7FFFFFFF.
constexpr bool TickIsLater(uint32_t a, uint32_t b)
{
    return a - b - 1u < 0x7FFFFFFFu;
}

inline void WriteHeader(BitWriter& writer, MessageType type)
{
    writer.Write(kMagic, 16);
    writer.Write(static_cast<uint32_t>(type), 8);
}

// A datagram opened for its handler: the reader stands after the header.
struct OpenedDatagram {
    MessageType type = MessageType::Connect;
    BitReader reader{nullptr, 0, 0};
};

// The server's rule: whole words only (at least one), at most 1200 bytes, and the magic.
bool OpenServerDatagram(const void* bytes, int length, OpenedDatagram& out);
// The client's rule: at least 4 bytes, a trailing partial word ignored, the magic, and only the
// types the server sends (2 to 26, less the unused 9 and 17).
bool OpenClientDatagram(const void* bytes, int length, OpenedDatagram& out);

// Builds one whole message (header, fields, flush) into `words`. Returns its length in bytes, or
// 0 when it must not be sent: the writer overflowed or the message refused its own values.
template <class Message>
int EncodeMessage(const Message& message, std::span<uint32_t> words)
{
    BitWriter writer(words.data(), static_cast<int>(words.size()));
    if (!WriteMessage(writer, message)) {
        return 0;
    }
    writer.Flush();
    return writer.Overflowed() ? 0 : writer.ByteLength();
}

}  // namespace net

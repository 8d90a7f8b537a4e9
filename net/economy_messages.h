#pragma once
// The upgrade purchase a client asks for and the metal figures the server reports to it.
#include <cstdint>
#include <vector>

#include "net/bit_stream.h"
#include "net/protocol.h"

namespace net {

constexpr int64_t kMaxEconomyValue = 1048576;
constexpr int kMaxWireBounty = 2047;
constexpr int kLevelTrackCount = 5;

// Client to server: buy a level of a track (0 HEALTH, 1 DAMAGE, 2 SHOT SPEED, 3 SPEED, 4 ABILITY).
// A track of 5 or more is refused both ways.
struct BuyLevelMessage {
    static constexpr MessageType kType = MessageType::BuyLevel;
    uint8_t track = 0;
    bool flag = false;
};

struct BountyEntry {
    uint8_t slot = 0;
    int bounty = 0;  // capped at 2047 on the wire
};

// Server to one human client. The four figures are clamped to 0..1048576; the bounty list holds
// the room's members with a bounty of at least 1 in slot order (a writer sends the first 256).
struct EconomyMessage {
    static constexpr MessageType kType = MessageType::Economy;
    int64_t metal = 0;
    int64_t metalSpent = 0;
    int64_t bounty = 0;
    int64_t metalEarned = 0;
    std::vector<BountyEntry> bounties;
    // Set by the reader when the four figures were read whole, even if the list then ran off the
    // datagram (the client keeps the figures in that case).
    bool figuresComplete = false;
};

bool WriteMessage(BitWriter& writer, const BuyLevelMessage& message);
bool ReadMessage(BitReader& reader, BuyLevelMessage& message);
bool WriteMessage(BitWriter& writer, const EconomyMessage& message);
bool ReadMessage(BitReader& reader, EconomyMessage& message);

}  // namespace net

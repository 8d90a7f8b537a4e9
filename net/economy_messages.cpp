#include "net/economy_messages.h"

#include "net/message_stream.h"

namespace net {
namespace {

template <class S, class M>
bool SerializeBuyLevel(S& stream, M& m)
{
    SerializeBits(stream, m.track, 3);
    SerializeBool(stream, m.flag);
    return m.track < kLevelTrackCount;
}

template <class S, class M>
bool SerializeEconomy(S& stream, M& m)
{
    SerializeClamped(stream, m.metal, 21, kMaxEconomyValue);
    SerializeClamped(stream, m.metalSpent, 21, kMaxEconomyValue);
    SerializeClamped(stream, m.bounty, 21, kMaxEconomyValue);
    SerializeClamped(stream, m.metalEarned, 21, kMaxEconomyValue);
    if constexpr (S::kReading) {
        m.figuresComplete = !stream.Overflowed();
    }
    return SerializeList(stream, m.bounties, 9, kMaxPlayers, [](auto& s, auto& entry) {
        SerializeBits(s, entry.slot, 8);
        SerializeClamped(s, entry.bounty, 11, kMaxWireBounty);
        return true;
    });
}

}  // namespace

NET_MESSAGE_CODEC(BuyLevelMessage, SerializeBuyLevel)
NET_MESSAGE_CODEC(EconomyMessage, SerializeEconomy)

}  // namespace net

#include "net/connection_messages.h"

#include "net/message_stream.h"

namespace net {
namespace {

template <class S, class M>
bool SerializeConnect(S& stream, M& message)
{
    SerializeBits(stream, message.protocolVersion, 8);
    return true;
}

template <class S, class M>
bool SerializeAccept(S& stream, M& message)
{
    SerializeBits(stream, message.slot, 8);
    SerializeBits(stream, message.serverTick, 32);
    SerializeBits(stream, message.build, 24);
    return true;
}

template <class S, class M>
bool SerializeRefuse(S& stream, M& message)
{
    SerializeBits(stream, message.reason, 8);
    if (message.reason == static_cast<uint8_t>(RefuseReason::ProtocolMismatch)) {
        SerializeBits(stream, message.protocolVersion, 8);
        SerializeBits(stream, message.build, 24);
    }
    return true;
}

template <class S, class M>
bool SerializeLeave(S&, M&)
{
    return true;
}

}  // namespace

NET_MESSAGE_CODEC(ConnectMessage, SerializeConnect)
NET_MESSAGE_CODEC(AcceptMessage, SerializeAccept)
NET_MESSAGE_CODEC(RefuseMessage, SerializeRefuse)
NET_MESSAGE_CODEC(LeaveMessage, SerializeLeave)

}  // namespace net

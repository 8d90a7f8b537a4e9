#include "net/chat_messages.h"

#include "net/message_stream.h"

namespace net {
namespace {

template <class S, class M>
bool SerializeChat(S& stream, M& m)
{
    if constexpr (!S::kReading) {
        if (m.text.empty()) {
            return false;
        }
    }
    return SerializeShownText(stream, m.text, 7, kMaxChatLength, 8, OverLength::Refuse) && !m.text.empty();
}

template <class S, class M>
bool SerializeChatLine(S& stream, M& m)
{
    SerializeBits(stream, m.sender, 8);
    SerializeBool(stream, m.fromServer);
    return SerializeShownText(stream, m.text, 7, kMaxChatLength, 8, OverLength::Refuse);
}

template <class S, class M>
bool SerializeCommand(S& stream, M& m)
{
    if constexpr (!S::kReading) {
        if (m.line.empty()) {
            return false;
        }
    }
    return SerializeShownText(stream, m.line, 8, kMaxCommandLength, 8, OverLength::Refuse) && !m.line.empty();
}

template <class S, class M>
bool SerializeKicked(S& stream, M& m)
{
    return SerializeShownText(stream, m.reason, 7, kMaxKickReasonLength, 8, OverLength::Refuse);
}

}  // namespace

NET_MESSAGE_CODEC(ChatMessage, SerializeChat)
NET_MESSAGE_CODEC(ChatLineMessage, SerializeChatLine)
NET_MESSAGE_CODEC(CommandMessage, SerializeCommand)
NET_MESSAGE_CODEC(KickedMessage, SerializeKicked)

}  // namespace net

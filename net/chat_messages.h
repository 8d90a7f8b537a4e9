#pragma once
// Text messages: a player's chat line, the server's relayed or own lines, slash command lines and
// the kick notice. Characters travel in 8 bits; a reader keeps only the printable ones (32..126),
// so a line of nothing else reads as empty.
#include <cstdint>
#include <string>

#include "net/bit_stream.h"
#include "net/protocol.h"

namespace net {

constexpr uint32_t kMaxChatLength = 96;
constexpr uint32_t kMaxCommandLength = 128;
constexpr uint32_t kMaxKickReasonLength = 64;

// Client to server. The writer cuts the text to 96 characters and refuses an empty one; the
// reader refuses a length above 96 and a text with no printable character. Trimming spaces is the
// caller's.
struct ChatMessage {
    static constexpr MessageType kType = MessageType::Chat;
    std::string text;
};

// Server to clients: a relayed chat line, or a server text (the recipient's own slot as sender).
// The writer cuts at 96; the reader refuses a length above 96.
struct ChatLineMessage {
    static constexpr MessageType kType = MessageType::ChatLine;
    uint8_t sender = 0;
    bool fromServer = false;
    std::string text;
};

// Client to server: a slash command line, cut to 128 characters; an empty line is refused, as is a
// length above 128 or a line with no printable character on reading.
struct CommandMessage {
    static constexpr MessageType kType = MessageType::Command;
    std::string line;
};

// Server to a kicked client. The writer cuts the reason at 64; the reader refuses a longer one.
struct KickedMessage {
    static constexpr MessageType kType = MessageType::Kicked;
    std::string reason;
};

bool WriteMessage(BitWriter& writer, const ChatMessage& message);
bool ReadMessage(BitReader& reader, ChatMessage& message);
bool WriteMessage(BitWriter& writer, const ChatLineMessage& message);
bool ReadMessage(BitReader& reader, ChatLineMessage& message);
bool WriteMessage(BitWriter& writer, const CommandMessage& message);
bool ReadMessage(BitReader& reader, CommandMessage& message);
bool WriteMessage(BitWriter& writer, const KickedMessage& message);
bool ReadMessage(BitReader& reader, KickedMessage& message);

}  // namespace net

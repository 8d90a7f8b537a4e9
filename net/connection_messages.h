#pragma once
// Messages of joining and leaving a server: Connect, Accept, Refuse, Leave.
#include <cstdint>

#include "net/bit_stream.h"
#include "net/protocol.h"

namespace net {

// Client to server, every 0.25 s while connecting.
struct ConnectMessage {
    static constexpr MessageType kType = MessageType::Connect;
    uint8_t protocolVersion = kProtocolVersion;
};

// Server to one client: its slot (the player id of every later message), the server's tick and
// build.
struct AcceptMessage {
    static constexpr MessageType kType = MessageType::Accept;
    uint8_t slot = 0;
    uint32_t serverTick = 0;
    uint32_t build = kBuildNumber;  // 24 bits on the wire
};

enum class RefuseReason : uint8_t { ServerFull = 0, ProtocolMismatch = 1 };

// Server to one client that gets no slot. Only a protocol refusal carries the server's version
// and build; a reader treats any reason other than 1 as a full server.
struct RefuseMessage {
    static constexpr MessageType kType = MessageType::Refuse;
    uint8_t reason = static_cast<uint8_t>(RefuseReason::ServerFull);
    uint8_t protocolVersion = kProtocolVersion;
    uint32_t build = kBuildNumber;
};

// Client to server when it disconnects.
struct LeaveMessage {
    static constexpr MessageType kType = MessageType::Leave;
};

// Each writer writes the header and the fields; the caller flushes and sends unless the writer
// overflowed. Each reader takes a reader standing after the header and returns true when every
// field was read and accepted.
bool WriteMessage(BitWriter& writer, const ConnectMessage& message);
bool ReadMessage(BitReader& reader, ConnectMessage& message);
bool WriteMessage(BitWriter& writer, const AcceptMessage& message);
bool ReadMessage(BitReader& reader, AcceptMessage& message);
bool WriteMessage(BitWriter& writer, const RefuseMessage& message);
bool ReadMessage(BitReader& reader, RefuseMessage& message);
bool WriteMessage(BitWriter& writer, const LeaveMessage& message);
bool ReadMessage(BitReader& reader, LeaveMessage& message);

}  // namespace net

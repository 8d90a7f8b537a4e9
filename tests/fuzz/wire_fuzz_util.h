#pragma once
// Shared checks of the wire fuzz targets: a message that a reader accepts must encode again, and
// what it encodes to must read back and encode to the very same bytes (a writer and its reader
// agree on every field).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "net/protocol.h"

namespace wirefuzz {

inline void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

enum class End { Server, Client };

inline bool Open(End end, const void* bytes, int length, net::OpenedDatagram& opened)
{
    return end == End::Server ? net::OpenServerDatagram(bytes, length, opened)
                              : net::OpenClientDatagram(bytes, length, opened);
}

// Reads one message of type M from `reader` (standing after the header) and checks that an
// accepted message survives a round trip unchanged.
template <class M>
void CheckReader(net::BitReader reader, End end)
{
    M message;
    if (!ReadMessage(reader, message)) {
        return;
    }
    net::MessageBuffer<M> first{};
    const int firstLength = net::EncodeMessage(message, first);
    Check(firstLength > 0);

    net::OpenedDatagram opened;
    Check(Open(end, first.data(), firstLength, opened));
    Check(opened.type == M::kType);
    M again;
    Check(ReadMessage(opened.reader, again));
    net::MessageBuffer<M> second{};
    const int secondLength = net::EncodeMessage(again, second);
    Check(secondLength == firstLength);
    Check(std::memcmp(first.data(), second.data(), static_cast<size_t>(firstLength)) == 0);
}

}  // namespace wirefuzz

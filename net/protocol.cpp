#include "net/protocol.h"

namespace net {

bool OpenServerDatagram(const void* bytes, int length, OpenedDatagram& out)
{
    if (bytes == nullptr || length < 4 || length > kDatagramBytes || length % 4 != 0) {
        return false;
    }
    BitReader reader(bytes, length / 4, length * 8);
    if (reader.Read(16) != kMagic) {
        return false;
    }
    const uint32_t type = reader.Read(8);
    out.type = static_cast<MessageType>(type);
    out.reader = reader;
    return true;
}

bool OpenClientDatagram(const void* bytes, int length, OpenedDatagram& out)
{
    if (bytes == nullptr || length < 4) {
        return false;
    }
    if (length > kDatagramBytes) {
        length = kDatagramBytes;
    }
    const int words = length / 4;
    BitReader reader(bytes, words, words * 32);
    if (reader.Read(16) != kMagic) {
        return false;
    }
    const uint32_t type = reader.Read(8);
    // 9 and 17 lie inside the range but name no message: nothing would read their fields.
    if (type < 2 || type > 26 || type == 9 || type == 17) {
        return false;
    }
    out.type = static_cast<MessageType>(type);
    out.reader = reader;
    return true;
}

}  // namespace net

#pragma once
// Helpers for the wire tests: encode a record into datagram bytes, decode bytes back through the
// receiving end's datagram rules, and build raw datagrams field by field from the layout tables
// (so that a test can send what no writer would).
#include <cstdint>
#include <string>
#include <vector>

#include "net/bit_stream.h"
#include "net/protocol.h"

namespace wiretest {

inline bool SentByClient(net::MessageType type)
{
    switch (type) {
    case net::MessageType::Connect:
    case net::MessageType::Leave:
    case net::MessageType::Input:
    case net::MessageType::LobbyRequest:
    case net::MessageType::Chat:
    case net::MessageType::Command:
    case net::MessageType::BuyLevel: return true;
    default: return false;
    }
}

// The datagram bytes of a record, or empty when it must not be sent.
template <class M>
std::vector<uint8_t> Encode(const M& message)
{
    net::MessageBuffer<M> words{};
    const int length = net::EncodeMessage(message, words);
    const auto* bytes = reinterpret_cast<const uint8_t*>(words.data());
    return std::vector<uint8_t>(bytes, bytes + length);
}

// Opens the bytes as the receiving end would and reads the record; false when the datagram or the
// message is ignored.
template <class M>
bool Decode(const std::vector<uint8_t>& bytes, M& out)
{
    net::OpenedDatagram opened;
    const bool open = SentByClient(M::kType)
                          ? net::OpenServerDatagram(bytes.data(), static_cast<int>(bytes.size()), opened)
                          : net::OpenClientDatagram(bytes.data(), static_cast<int>(bytes.size()), opened);
    if (!open || opened.type != M::kType) {
        return false;
    }
    return ReadMessage(opened.reader, out);
}

// A datagram written field by field.
class Raw {
public:
    explicit Raw(net::MessageType type)
    {
        Bits(net::kMagic, 16);
        Bits(static_cast<uint32_t>(type), 8);
    }
    Raw& Bits(uint32_t value, int bits)
    {
        fields_.push_back({value, bits});
        return *this;
    }
    Raw& Float(float value)
    {
        uint32_t bits;
        static_assert(sizeof bits == sizeof value);
        __builtin_memcpy(&bits, &value, 4);
        return Bits(bits, 32);
    }
    Raw& Text(const std::string& text, int lengthBits, int charBits)
    {
        Bits(static_cast<uint32_t>(text.size()), lengthBits);
        for (const char c : text) {
            Bits(static_cast<unsigned char>(c), charBits);
        }
        return *this;
    }
    std::vector<uint8_t> Bytes() const
    {
        std::vector<uint32_t> words(1024);
        net::BitWriter writer(words.data(), static_cast<int>(words.size()));
        for (const auto& [value, bits] : fields_) {
            writer.Write(value, bits);
        }
        writer.Flush();
        const auto* bytes = reinterpret_cast<const uint8_t*>(words.data());
        return std::vector<uint8_t>(bytes, bytes + writer.ByteLength());
    }

private:
    std::vector<std::pair<uint32_t, int>> fields_;
};

}  // namespace wiretest

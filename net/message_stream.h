#pragma once
// The two streams one serialize function per message runs over, so that the writer and the reader
// of a message cannot disagree about a field's width or order. A serialize function is a template
// over the stream and over the record's constness: writing takes a const record, reading fills a
// mutable one; `if constexpr (S::kReading)` marks the few steps that differ (range refusals on
// the way in, clamps and cuts on the way out).
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>

#include <glm/vec3.hpp>

#include "game/player_state.h"
#include "net/bit_stream.h"
#include "net/protocol.h"

namespace net {

class WriteStream {
public:
    static constexpr bool kReading = false;
    explicit WriteStream(BitWriter& writer) : writer(writer) {}
    BitWriter& writer;
};

class ReadStream {
public:
    static constexpr bool kReading = true;
    explicit ReadStream(BitReader& reader) : reader(reader) {}
    bool Overflowed() const { return reader.Overflowed(); }
    BitReader& reader;
};

// Raw bits: writes the low `bits` bits of `value`, or reads them into `value`.
template <class S, class T>
void SerializeBits(S& stream, T& value, int bits)
{
    if constexpr (S::kReading) {
        value = static_cast<std::remove_cv_t<T>>(stream.reader.Read(bits));
    } else {
        stream.writer.Write(static_cast<uint32_t>(value), bits);
    }
}

template <class S, class T>
void SerializeBool(S& stream, T& flag)
{
    if constexpr (S::kReading) {
        flag = stream.reader.Read(1) != 0;
    } else {
        stream.writer.Write(flag ? 1u : 0u, 1);
    }
}

// A 32-bit float as its IEEE 754 bit pattern.
template <class S, class T>
void SerializeFloat(S& stream, T& value)
{
    if constexpr (S::kReading) {
        value = std::bit_cast<float>(stream.reader.Read(32));
    } else {
        stream.writer.Write(std::bit_cast<uint32_t>(static_cast<float>(value)), 32);
    }
}

template <class S, class V>
void SerializeVec3(S& stream, V& v)
{
    SerializeFloat(stream, v.x);
    SerializeFloat(stream, v.y);
    SerializeFloat(stream, v.z);
}

// An unsigned value that the sender clamps to 0..`max` before writing in `bits` bits. The value
// read back is whatever the field held.
template <class S, class T>
void SerializeClamped(S& stream, T& value, int bits, int64_t max)
{
    if constexpr (S::kReading) {
        value = static_cast<std::remove_cv_t<T>>(stream.reader.Read(bits));
    } else {
        int64_t v = static_cast<int64_t>(value);
        v = v < 0 ? 0 : (v > max ? max : v);
        stream.writer.Write(static_cast<uint32_t>(v), bits);
    }
}

// A player slot in 8 bits. Every 8-bit value is a real slot, so a writer given one outside
// 0..kMaxPlayers-1 (a negative "nobody") refuses the message rather than send it as slot 0, a
// player who did nothing. Returns false only then.
template <class S, class T>
bool SerializeSlot(S& stream, T& slot)
{
    if constexpr (S::kReading) {
        slot = static_cast<std::remove_cv_t<T>>(stream.reader.Read(8));
    } else {
        const int64_t v = static_cast<int64_t>(slot);
        if (v < 0 || v >= kMaxPlayers) {
            return false;
        }
        stream.writer.Write(static_cast<uint32_t>(v), 8);
    }
    return true;
}

// A team on the wire: 0, 1, or 2 for anything else. Read back as 0, 1, or kTeamNone.
template <class S, class T>
void SerializeTeam(S& stream, T& team)
{
    if constexpr (S::kReading) {
        const uint32_t v = stream.reader.Read(2);
        team = v <= 1 ? static_cast<uint8_t>(v) : static_cast<uint8_t>(kTeamNone);
    } else {
        const int v = static_cast<int>(team);
        stream.writer.Write(v == 0 || v == 1 ? static_cast<uint32_t>(v) : 2u, 2);
    }
}

// How a reader treats a text whose length field is above the message's maximum.
enum class OverLength { Refuse, KeepFirst };

// Text: a length in `lengthBits`, then one field of `charBits` (7 or 8) per character, no
// terminator. The writer cuts the text at `maxLength` and keeps the low `charBits` of each byte.
// The reader refuses a longer length, or reads every character and keeps the first `maxLength`.
// Returns false only when the reader refuses.
template <class S, class Text>
bool SerializeText(S& stream, Text& text, int lengthBits, uint32_t maxLength, int charBits,
                   OverLength overLength)
{
    if constexpr (S::kReading) {
        const uint32_t length = stream.reader.Read(lengthBits);
        if (length > maxLength && overLength == OverLength::Refuse) {
            return false;
        }
        text.clear();
        for (uint32_t i = 0; i < length; ++i) {
            const uint32_t c = stream.reader.Read(charBits);
            if (i < maxLength) {
                text.push_back(static_cast<char>(c));
            }
        }
        return true;
    } else {
        const size_t length = text.size() < maxLength ? text.size() : maxLength;
        stream.writer.Write(static_cast<uint32_t>(length), lengthBits);
        for (size_t i = 0; i < length; ++i) {
            stream.writer.Write(static_cast<unsigned char>(text[i]), charBits);
        }
        return true;
    }
}

// Keeps only the printable bytes 32..126 of a text, in order.
inline void KeepPrintable(std::string& text)
{
    std::erase_if(text, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 32 || byte > 126;
    });
}

// Text that is shown to players (names, chat, room names, notices, kick reasons): as SerializeText,
// and a reader stores only its printable bytes, so that no NUL, control or escape byte from the
// network reaches a screen, a log or a name comparison.
template <class S, class Text>
bool SerializeShownText(S& stream, Text& text, int lengthBits, uint32_t maxLength, int charBits,
                        OverLength overLength)
{
    const bool accepted = SerializeText(stream, text, lengthBits, maxLength, charBits, overLength);
    if constexpr (S::kReading) {
        KeepPrintable(text);
    }
    return accepted;
}

// A list: a count in `countBits`, then the entries. The writer sends at most `maxCount` entries
// (the first ones); the reader refuses a larger count. `entry(stream, element)` serializes one
// entry and returns false to refuse it.
template <class S, class List, class Entry>
bool SerializeList(S& stream, List& list, int countBits, uint32_t maxCount, Entry entry)
{
    uint32_t count = 0;
    if constexpr (S::kReading) {
        count = stream.reader.Read(countBits);
        if (count > maxCount) {
            return false;
        }
        list.clear();
        list.resize(count);
    } else {
        count = list.size() < maxCount ? static_cast<uint32_t>(list.size()) : maxCount;
        stream.writer.Write(count, countBits);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (!entry(stream, list[i])) {
            return false;
        }
    }
    return true;
}

// Writes the header, then the fields through `serialize`.
template <class M, class Serialize>
bool WriteFramed(BitWriter& writer, const M& message, Serialize serialize)
{
    WriteHeader(writer, M::kType);
    WriteStream stream(writer);
    return serialize(stream, message);
}

// Reads the fields after the header through `serialize`; false when refused or overflowed.
template <class M, class Serialize>
bool ReadFramed(BitReader& reader, M& message, Serialize serialize)
{
    ReadStream stream(reader);
    return serialize(stream, message) && !reader.Overflowed();
}

}  // namespace net

// Defines the WriteMessage and ReadMessage pair of a record from its one serialize template.
#define NET_MESSAGE_CODEC(Message, Serialize)                                                      \
    bool WriteMessage(BitWriter& writer, const Message& message)                                  \
    {                                                                                              \
        return WriteFramed(writer, message, [](auto& s, auto& m) { return Serialize(s, m); });    \
    }                                                                                              \
    bool ReadMessage(BitReader& reader, Message& message)                                         \
    {                                                                                              \
        return ReadFramed(reader, message, [](auto& s, auto& m) { return Serialize(s, m); });     \
    }

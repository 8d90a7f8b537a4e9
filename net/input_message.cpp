#include "net/input_message.h"

#include <cstdint>

#include "net/message_stream.h"

namespace net {
namespace {

constexpr uint32_t kAxisOffset = 127;
constexpr uint32_t kMaxAxisWire = 254;

template <class S, class T>
bool SerializeAxis(S& stream, T& axis)
{
    if constexpr (S::kReading) {
        const uint32_t wire = stream.reader.Read(8);
        axis = static_cast<int8_t>(static_cast<int>(wire) - static_cast<int>(kAxisOffset));
        return wire <= kMaxAxisWire;
    } else {
        const int value = axis < -127 ? -127 : axis;
        stream.writer.Write(static_cast<uint32_t>(value + static_cast<int>(kAxisOffset)), 8);
        return true;
    }
}

template <class S, class Command>
bool SerializeCommand(S& stream, Command& command)
{
    SerializeBits(stream, command.tick, 32);
    SerializeBits(stream, command.claimedViewTick, 32);
    if (!SerializeAxis(stream, command.forward) || !SerializeAxis(stream, command.side)) {
        return false;
    }
    if constexpr (S::kReading) {
        command.buttons = static_cast<uint8_t>(stream.reader.Read(7));
        command.weapon = static_cast<uint8_t>(stream.reader.Read(4));
        command.power = static_cast<uint8_t>(stream.reader.Read(3));
        command.yaw = static_cast<uint16_t>(stream.reader.Read(16));
        command.pitch = static_cast<int16_t>(static_cast<uint16_t>(stream.reader.Read(16)));
        return command.weapon < kWeaponRowCount && command.power < kPowerRowCount;
    } else {
        stream.writer.Write(command.buttons & kInputButtonMask, 7);
        stream.writer.Write(CommandWeaponRow(command), 4);
        stream.writer.Write(CommandPowerRow(command), 3);
        stream.writer.Write(command.yaw, 16);
        stream.writer.Write(static_cast<uint16_t>(command.pitch), 16);
        return true;
    }
}

template <class S, class M>
bool SerializeInput(S& stream, M& m)
{
    SerializeBits(stream, m.acknowledgedTick, 32);
    if constexpr (!S::kReading) {
        if (m.count < 0 || m.count > kMaxInputCommands) {
            return false;
        }
    }
    uint32_t count = static_cast<uint32_t>(m.count);
    SerializeBits(stream, count, 4);
    if (count > static_cast<uint32_t>(kMaxInputCommands)) {
        return false;
    }
    if constexpr (S::kReading) {
        m.count = static_cast<int>(count);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (!SerializeCommand(stream, m.commands[i])) {
            return false;
        }
        if (i > 0 && !TickIsLater(m.commands[i].tick, m.commands[i - 1].tick)) {
            return false;
        }
    }
    return true;
}

}  // namespace

NET_MESSAGE_CODEC(InputMessage, SerializeInput)

int32_t PitchLimitUnits(float degrees)
{
    const float units = degrees * 182.04445f;
    if (!(units > -2.0e9f)) {
        return units != units ? 0 : INT32_MIN;
    }
    return units < 2.0e9f ? static_cast<int32_t>(units) : INT32_MAX;
}

bool InputPitchesWithin(const InputMessage& message, int32_t minimumPitch, int32_t maximumPitch)
{
    for (int i = 0; i < message.count && i < kMaxInputCommands; ++i) {
        const int32_t pitch = message.commands[static_cast<size_t>(i)].pitch;
        if (pitch < minimumPitch || pitch > maximumPitch) {
            return false;
        }
    }
    return true;
}

}  // namespace net
